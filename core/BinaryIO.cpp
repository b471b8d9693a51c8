#include "core/BinaryIO.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace tilvex {

namespace {

void PutLittle(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t GetLittle(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

}  // namespace

void ByteWriter::U16(std::uint16_t& v) { PutLittle(out_, v, 2); }
void ByteWriter::I16(std::int16_t& v) { PutLittle(out_, static_cast<std::uint16_t>(v), 2); }
void ByteWriter::I32(int& v) { PutLittle(out_, static_cast<std::uint32_t>(v), 4); }
void ByteWriter::F64(double& v) { PutLittle(out_, std::bit_cast<std::uint64_t>(v), 8); }

void ByteWriter::Chars(char* text, std::size_t n)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
    out_.insert(out_.end(), bytes, bytes + n);
}

const std::uint8_t* ByteReader::Take(std::size_t n)
{
    if (!Ok()) return nullptr;
    if (size_ - pos_ < n) {
        truncated_ = true;
        return nullptr;
    }
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
}

void ByteReader::U8(std::uint8_t& v)
{
    if (const std::uint8_t* p = Take(1)) v = *p;
}

void ByteReader::U16(std::uint16_t& v)
{
    if (const std::uint8_t* p = Take(2)) v = static_cast<std::uint16_t>(GetLittle(p, 2));
}

void ByteReader::I16(std::int16_t& v)
{
    if (const std::uint8_t* p = Take(2)) v = static_cast<std::int16_t>(static_cast<std::uint16_t>(GetLittle(p, 2)));
}

void ByteReader::I32(int& v)
{
    if (const std::uint8_t* p = Take(4)) v = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLittle(p, 4)));
}

void ByteReader::F64(double& v)
{
    if (const std::uint8_t* p = Take(8)) v = std::bit_cast<double>(GetLittle(p, 8));
}

void ByteReader::FiniteF64(double& v)
{
    const std::uint8_t* p = Take(8);
    if (!p) return;
    double value = std::bit_cast<double>(GetLittle(p, 8));
    if (!std::isfinite(value)) {
        failure_ = "it holds a number that is not finite at byte " + std::to_string(pos_ - 8);
        return;
    }
    v = value;
}

void ByteReader::Chars(char* text, std::size_t n)
{
    if (const std::uint8_t* p = Take(n)) std::memcpy(text, p, n);
}

bool ByteReader::Check(bool cond, const std::string& reason)
{
    if (!Ok()) return false;
    if (!cond) failure_ = reason;
    return cond;
}

}  // namespace tilvex
