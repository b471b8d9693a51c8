#include "explore/GalleryIndex.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace tilvex {

namespace {

using Json = nlohmann::ordered_json;

Json SeedJson(double seed)
{
    if (seed >= 0.0 && seed <= 9007199254740992.0 && std::floor(seed) == seed) return static_cast<std::uint64_t>(seed);
    return seed;
}

// The field `key` of entry `at`, of the type `is` accepts; nullptr (error set) otherwise.
template <class Is>
const Json* Field(const Json& entry, const char* key, std::size_t at, Is is, const char* type, std::string& error)
{
    auto found = entry.find(key);
    if (found == entry.end() || !is(*found)) {
        error = "entry " + std::to_string(at + 1) + " has no " + type + " \"" + key + "\"";
        return nullptr;
    }
    return &*found;
}

}  // namespace

bool IsGalleryFileName(std::string_view name, std::string_view extension)
{
    return name.size() > extension.size() && name.front() != '.' && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos && name.substr(name.size() - extension.size()) == extension;
}

std::string GalleryIndexText(const std::vector<GalleryIndexEntry>& entries)
{
    Json index = Json::array();
    for (const GalleryIndexEntry& e : entries) {
        Json j;
        j["name"] = e.name;
        j["kind"] = e.kind;
        j["seed"] = SeedJson(e.seed);
        j["score"] = e.score;
        j["filledCells"] = e.filledCells;
        j["session"] = e.session;
        j["thumbnail"] = e.thumbnail;
        j["command"] = e.command;
        index.push_back(j);
    }
    return index.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<std::vector<GalleryIndexEntry>> ParseGalleryIndex(std::string_view text, std::string& error)
{
    const Json index = Json::parse(text.begin(), text.end(), nullptr, false);
    if (index.is_discarded()) {
        error = "it is not JSON";
        return std::nullopt;
    }
    if (!index.is_array()) {
        error = "it is not a list of quilts";
        return std::nullopt;
    }
    const auto isString = [](const Json& j) { return j.is_string(); };
    const auto isFinite = [](const Json& j) { return j.is_number() && std::isfinite(j.get<double>()); };
    const auto isCount = [](const Json& j) {
        return j.is_number_integer() && j.get<long long>() >= 0 && j.get<long long>() <= 0x7fffffff;
    };
    std::vector<GalleryIndexEntry> entries;
    for (std::size_t at = 0; at < index.size(); ++at) {
        const Json& j = index[at];
        if (!j.is_object() || j.size() != 8) {
            error = "entry " + std::to_string(at + 1) + " is not an object of the eight fields a gallery writes";
            return std::nullopt;
        }
        const Json *name = Field(j, "name", at, isString, "text", error),
                   *kind = name ? Field(j, "kind", at, isString, "text", error) : nullptr,
                   *seed = kind ? Field(j, "seed", at, isFinite, "number", error) : nullptr,
                   *score = seed ? Field(j, "score", at, isFinite, "number", error) : nullptr,
                   *filled = score ? Field(j, "filledCells", at, isCount, "count", error) : nullptr,
                   *session = filled ? Field(j, "session", at, isString, "text", error) : nullptr,
                   *thumbnail = session ? Field(j, "thumbnail", at, isString, "text", error) : nullptr,
                   *command = thumbnail ? Field(j, "command", at, isString, "text", error) : nullptr;
        if (!command) return std::nullopt;
        GalleryIndexEntry e{name->get<std::string>(), kind->get<std::string>(), seed->get<double>(),
                            score->get<double>(),     filled->get<int>(),      session->get<std::string>(),
                            thumbnail->get<std::string>(), command->get<std::string>()};
        // The names are removed or replaced later: nothing outside the folder may be named.
        if (!IsGalleryFileName(e.session, ".qlt") || !IsGalleryFileName(e.thumbnail, ".png")) {
            error = "entry " + std::to_string(at + 1) + " names a file outside the folder or of another type";
            return std::nullopt;
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace tilvex
