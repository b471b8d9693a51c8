#include "cluster/GalleryEntryBytes.h"

#include "core/BinaryIO.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

namespace tilvex::cluster {

namespace {

// One description of the record for both directions (as BinaryIO's records).
template <class Io>
void Count(Io& io, std::size_t& n)
{
    int v = static_cast<int>(n);
    io.I32(v);
    if (io.Check(v >= 0 && static_cast<std::size_t>(v) <= io.Size() - io.Position(), "a length past the end"))
        n = static_cast<std::size_t>(v);
}

template <class Io>
void Text(Io& io, std::string& text)
{
    std::size_t n = text.size();
    Count(io, n);
    if (Io::kReading) text.assign(n, '\0');
    if (io.Ok()) io.Chars(text.data(), n);
}

template <class Io>
void Bytes(Io& io, std::vector<std::uint8_t>& bytes)
{
    std::size_t n = bytes.size();
    Count(io, n);
    if (Io::kReading) bytes.assign(n, 0);
    if (io.Ok()) io.Chars(reinterpret_cast<char*>(bytes.data()), n);
}

template <class Io>
void Record(Io& io, GalleryEntry& e)
{
    GalleryQuilt& q = e.quilt;
    io.I32(q.index);
    io.F64(q.seed);
    Text(io, q.kind);
    Text(io, q.name);
    io.I32(q.filledCells);
    std::size_t n = q.counts.size();
    Count(io, n);
    if (Io::kReading) q.counts.assign(io.Ok() ? n : 0, 0);
    for (std::uint16_t& c : q.counts) io.U16(c);
    Bytes(io, q.session);
    io.F64(e.score);
    io.I32(e.thumbnail.width);
    io.I32(e.thumbnail.height);
    n = e.thumbnail.pixels.size();
    Count(io, n);
    if (Io::kReading) e.thumbnail.pixels.assign(io.Ok() ? n : 0, studio::Rgb8{});
    for (studio::Rgb8& p : e.thumbnail.pixels) {
        io.U8(p.r);
        io.U8(p.g);
        io.U8(p.b);
    }
}

// The writer has no size to check lengths against.
struct Writer : ByteWriter {
    using ByteWriter::ByteWriter;
    std::size_t Size() const { return SIZE_MAX; }
};

}  // namespace

std::vector<std::uint8_t> EncodeGalleryEntry(const GalleryEntry& entry)
{
    std::vector<std::uint8_t> bytes;
    Writer writer(bytes);
    Record(writer, const_cast<GalleryEntry&>(entry));  // the writer only reads
    return bytes;
}

std::optional<GalleryEntry> DecodeGalleryEntry(const std::vector<std::uint8_t>& bytes, std::string& error)
{
    GalleryEntry entry;
    ByteReader reader(bytes.data(), bytes.size());
    Record(reader, entry);
    if (!reader.Ok() || reader.Remaining() != 0 ||
        entry.thumbnail.pixels.size() !=
            static_cast<std::size_t>(entry.thumbnail.width) * static_cast<std::size_t>(entry.thumbnail.height)) {
        error = "a gallery entry arrived damaged";
        return std::nullopt;
    }
    CTilvexApp app(entry.quilt.seed);
    if (!app.InitInstance(AvailablePhysicalMemory())) {
        error = "not enough memory to load a quilt";
        return std::nullopt;
    }
    if (std::optional<std::string> refusal = DecodeSession(app, entry.quilt.session.data(), entry.quilt.session.size())) {
        error = "quilt " + entry.quilt.name + ": " + *refusal;
        return std::nullopt;
    }
    entry.quilt.snapshot = app.TakeSnapshot();
    return entry;
}

}  // namespace tilvex::cluster
