#include "cli/GalleryFolder.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include <nlohmann/json.hpp>

#include "engine/SessionFile.h"
#include "explore/ContactSheet.h"
#include "studio/PictureNote.h"
#include "studio/PicturePng.h"

#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

namespace tilvex::cli {

namespace fs = std::filesystem;

namespace {

std::string SeedText(double seed)
{
    if (std::floor(seed) == seed && std::fabs(seed) < 1e15) return std::to_string(static_cast<long long>(seed));
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", seed);
    return text;
}

// "<quiltName>", or "<quiltName>-<index>" when an earlier entry has that name.
std::vector<std::string> FileStems(const std::vector<GalleryEntry>& entries)
{
    std::set<std::string> used;
    std::vector<std::string> stems;
    for (const GalleryEntry& e : entries) {
        std::string stem = e.quilt.name.empty() ? "quilt" : e.quilt.name;
        if (!used.insert(stem).second) {
            stem.push_back('-');
            stem.append(std::to_string(e.quilt.index));
            used.insert(stem);
        }
        stems.push_back(stem);
    }
    return stems;
}

std::string Problem(const fs::path& path, const std::string& reason)
{
    return "cannot write \"" + path.string() + "\": " + reason;
}

std::string WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    if (auto error = WriteFileReplacing(path.string(), bytes)) return Problem(path, *error);
    return {};
}

std::string WriteAll(const fs::path& staging, const std::vector<GalleryEntry>& entries, const GalleryRequest& request,
                     const RemakeCommand& remake, std::vector<std::string>& names)
{
    std::vector<std::string> stems = FileStems(entries);
    // Each quilt's two files on the gallery's threads: every write waits for its disk.
    std::vector<std::string> errors(entries.size());
    tbb::task_arena arena(GalleryThreads(request));
    arena.execute([&] {
        tbb::parallel_for(std::size_t{0}, entries.size(), [&](std::size_t i) {
            std::string& error = errors[i];
            error = WriteBytes(staging / (stems[i] + ".qlt"), entries[i].quilt.session);
            const GalleryEntry& e = entries[i];
            const QuiltSnapshot& quilt = *e.quilt.snapshot;
            if (error.empty())
                error = studio::WritePicturePng(
                    e.thumbnail, 1, (staging / (stems[i] + ".png")).string(),
                    studio::PictureNote(quilt, ThumbnailSpec(quilt, request.thumbWidth), ThumbnailLook(), 1));
        });
    });
    for (const std::string& error : errors)
        if (!error.empty()) return error;
    nlohmann::ordered_json index = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const GalleryEntry& e = entries[i];
        const std::string session = stems[i] + ".qlt", thumbnail = stems[i] + ".png";
        names.push_back(session);
        names.push_back(thumbnail);
        nlohmann::ordered_json j;
        j["name"] = e.quilt.name;
        j["kind"] = e.quilt.kind;
        j["seed"] = nlohmann::ordered_json::parse(SeedText(e.quilt.seed));
        j["score"] = e.score;
        j["filledCells"] = e.quilt.filledCells;
        j["session"] = session;
        j["thumbnail"] = thumbnail;
        j["command"] = remake ? remake(e, session) : RenderCommandFor(e, request);
        index.push_back(j);
    }
    if (std::string error =
            studio::WritePicturePng(ContactSheet(entries, request.thumbWidth), 1, (staging / "index.png").string());
        !error.empty())
        return error;
    names.push_back("index.png");
    std::string text = index.dump(2) + "\n";
    if (std::string error = WriteBytes(staging / "index.json", std::vector<std::uint8_t>(text.begin(), text.end()));
        !error.empty())
        return error;
    names.push_back("index.json");
    return {};
}

}  // namespace

std::string RenderCommandFor(const GalleryEntry& entry, const GalleryRequest& request)
{
    return "tilvex-cli render --seed " + SeedText(entry.quilt.seed) + " --kind " + entry.quilt.kind +
           " --max-iterations " + std::to_string(request.maxIterations);
}

std::string WriteGalleryFolder(const std::string& dirText, const std::vector<GalleryEntry>& bestFirst,
                               const GalleryRequest& request, const RemakeCommand& remake)
{
    const fs::path dir = dirText;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec)) {
        std::string message = "cannot create the folder \"";
        message += dirText;
        message += ec ? "\": " + ec.message() : std::string("\": a file has that name");
        return message;
    }
    const fs::path staging = dir / (".gallery-" + std::to_string(::getpid()));
    if (!fs::create_directory(staging, ec)) return Problem(dir, ec ? ec.message() : "a staging folder is in the way");

    std::vector<std::string> names;
    std::string error = WriteAll(staging, bestFirst, request, remake, names);
    if (error.empty()) {
        // An index.json from an earlier gallery must not describe a half-replaced folder.
        fs::remove(dir / "index.json", ec);
        for (const std::string& name : names) {
            fs::rename(staging / name, dir / name, ec);
            if (ec) {
                error = Problem(dir / name, ec.message());
                break;
            }
        }
    }
    fs::remove_all(staging, ec);
    return error;
}

}  // namespace tilvex::cli
