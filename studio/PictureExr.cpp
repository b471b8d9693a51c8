#include "studio/PictureExr.h"

#include <OpenEXR/Iex.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <OpenEXR/ImfStringAttribute.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "render/ImageOutput.h"
#include "studio/Base64.h"
#include "studio/PicturePng.h"
#include "studio/RenderSettings.h"

namespace tilvex::studio {

namespace {

// OpenEXR writes through ImageOutput, so the file appears only complete.
class OutputStream : public Imf::OStream {
public:
    OutputStream(ImageOutput& out, const std::string& path) : Imf::OStream(path.c_str()), out_(out) {}
    void write(const char c[], int n) override
    {
        if (!out_.Write(c, static_cast<std::size_t>(n))) throw Iex::IoExc("the write failed");
    }
    std::uint64_t tellp() override
    {
        const long long at = out_.Tell();
        if (at < 0) throw Iex::IoExc("the file cannot tell its position");
        return static_cast<std::uint64_t>(at);
    }
    void seekp(std::uint64_t pos) override
    {
        if (!out_.Seek(static_cast<long long>(pos))) throw Iex::IoExc("the file cannot be rewound");
    }

private:
    ImageOutput& out_;
};

class MemoryStream : public Imf::IStream {
public:
    MemoryStream(const std::uint8_t* data, std::size_t size) : Imf::IStream("picture"), data_(data), size_(size) {}
    bool read(char c[], int n) override
    {
        if (n < 0 || static_cast<std::size_t>(n) > size_ - at_) throw Iex::InputExc("the file ends early");
        std::memcpy(c, data_ + at_, static_cast<std::size_t>(n));
        at_ += static_cast<std::size_t>(n);
        return at_ < size_;
    }
    std::uint64_t tellg() override { return at_; }
    void seekg(std::uint64_t pos) override
    {
        if (pos > size_) throw Iex::InputExc("a position beyond the file");
        at_ = static_cast<std::size_t>(pos);
    }
    void clear() override {}

private:
    const std::uint8_t* data_;
    std::size_t size_, at_ = 0;
};

}  // namespace

double LinearFromSrgb(double v)
{
    if (!(v > 0.0)) return 0.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

std::string WritePictureExr(const FloatImage& tile, int period, const std::string& path, const PictureNote& note,
                            std::stop_token stop, const ShareDone& progress)
{
    const long long width = static_cast<long long>(tile.Width()) * period;
    const long long height = static_cast<long long>(tile.Height()) * period;
    if (period < 1 || width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        return "The image would be " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels; an OpenEXR picture of 1 to 65535 pixels a side can be written.";
    ImageOutput out;
    if (std::string error = out.Open(path); !error.empty()) return error;
    try {
        Imf::Header header(static_cast<int>(width), static_cast<int>(height));
        header.compression() = Imf::ZIP_COMPRESSION;
        const nlohmann::json settings = nlohmann::json::parse(note.settings, nullptr, false);
        if (settings.is_object() && settings.contains("quiltName") && settings["quiltName"].is_string())
            header.insert("quiltName", Imf::StringAttribute(settings["quiltName"].get<std::string>()));
        header.insert(kPictureNoteKey, Imf::StringAttribute(note.settings));
        if (!note.session.empty())
            header.insert(kPictureSessionKey, Imf::StringAttribute(Base64Encode(note.session)));
        OutputStream stream(out, path);
        Imf::RgbaOutputFile file(stream, header, Imf::WRITE_RGB);
        std::vector<RgbF> colours(static_cast<std::size_t>(tile.Width()));
        std::vector<Imf::Rgba> row(static_cast<std::size_t>(width));
        for (long long y = 0; y < height; ++y) {
            if (stop.stop_requested()) return kWriteStopped;  // out removes the unfinished file
            tile.Row(static_cast<int>(y % tile.Height()), colours.data());
            for (long long x = 0; x < width; ++x) {
                const RgbF& c = colours[static_cast<std::size_t>(x % tile.Width())];
                row[static_cast<std::size_t>(x)] = Imf::Rgba(static_cast<float>(LinearFromSrgb(c.r)),
                                                             static_cast<float>(LinearFromSrgb(c.g)),
                                                             static_cast<float>(LinearFromSrgb(c.b)), 1.0f);
            }
            // The frame buffer's origin is where row 0 would be, so this row sits at y.
            file.setFrameBuffer(row.data() - y * width, 1, static_cast<std::size_t>(width));
            file.writePixels(1);
            if (progress && (y & 63) == 63) progress(static_cast<double>(y + 1) / static_cast<double>(height));
        }
    } catch (const std::exception& e) {
        if (out.Failed()) return out.Finish();
        return "Could not write \"" + path + "\": " + e.what();
    }
    return out.Finish();
}

std::optional<PngImageFile::TextChunks> ReadExrText(const std::uint8_t* data, std::size_t size, std::string& error)
{
    try {
        MemoryStream stream(data, size);
        char magic[4];
        stream.read(magic, 4);
        char versionBytes[4];
        stream.read(versionBytes, 4);
        int version = 0;
        for (int i = 3; i >= 0; --i) version = version << 8 | static_cast<unsigned char>(versionBytes[i]);
        Imf::Header header;
        header.readFrom(stream, version);
        PngImageFile::TextChunks texts;
        for (auto it = header.begin(); it != header.end(); ++it)
            if (const auto* text = dynamic_cast<const Imf::StringAttribute*>(&it.attribute()))
                texts.emplace_back(it.name(), text->value());
        return texts;
    } catch (const std::exception& e) {
        error = std::string("its OpenEXR header cannot be read (") + e.what() + ")";
        return std::nullopt;
    }
}

}  // namespace tilvex::studio
