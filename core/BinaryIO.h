#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Complex.h"

namespace tilvex {

// Raw little-endian field values, whatever the host's byte order: int 4 bytes,
// 16-bit values 2, double 8 (IEEE 754), Complex 16 (re, then im).
//
// ByteWriter and ByteReader offer the same operations on lvalues, so one
// template describes a record for both directions and the order cannot drift.

class ByteWriter {
public:
    static constexpr bool kReading = false;

    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void U8(std::uint8_t& v) { out_.push_back(v); }
    void U16(std::uint16_t& v);
    void I16(std::int16_t& v);
    void I32(int& v);
    void F64(double& v);
    void FiniteF64(double& v) { F64(v); }
    void Point(Complex& v)
    {
        F64(v.re);
        F64(v.im);
    }
    void Chars(char* text, std::size_t n);
    // Bytes that carry no value: written as zero.
    void Pad(std::size_t n) { out_.insert(out_.end(), n, std::uint8_t{0}); }
    // A value that is written but has no home when read back.
    void Spare(double v) { F64(v); }

    // Reading-side checks; a writer has nothing to check.
    bool Check(bool, const std::string&) { return true; }
    bool Ok() const { return true; }
    void Section(const char*) {}
    std::size_t Position() const { return out_.size(); }

private:
    std::vector<std::uint8_t>& out_;
};

class ByteReader {
public:
    static constexpr bool kReading = true;

    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Once a read runs past the end or a check fails, every later read is a
    // no-op that leaves its target unchanged.
    void U8(std::uint8_t& v);
    void U16(std::uint16_t& v);
    void I16(std::int16_t& v);
    void I32(int& v);
    // Any double, NaN and infinities included: an orbit can reach them and the
    // program saves what it reached.
    void F64(double& v);
    // A double that sizes or scales the grid or the image, which the program
    // only ever writes finite: NaN or infinite fails the reader.
    void FiniteF64(double& v);
    void Point(Complex& v)
    {
        F64(v.re);
        F64(v.im);
    }
    void Chars(char* text, std::size_t n);
    void Pad(std::size_t n) { Take(n); }
    void Spare(double) { Pad(8); }

    // Records a refusal (the first one wins); returns cond while nothing failed.
    bool Check(bool cond, const std::string& reason);
    bool Ok() const { return !truncated_ && failure_.empty(); }
    bool Truncated() const { return truncated_; }
    const std::string& Failure() const { return failure_; }

    // Names the record being read, for the messages.
    void Section(const char* name)
    {
        if (Ok()) section_ = name;
    }
    const char* CurrentSection() const { return section_; }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    std::size_t Size() const { return size_; }

private:
    // The next n bytes, or null (and the reader stops) when fewer are left.
    const std::uint8_t* Take(std::size_t n);

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool truncated_ = false;
    std::string failure_;
    const char* section_ = "header";
};

}  // namespace tilvex
