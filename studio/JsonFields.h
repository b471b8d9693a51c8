#pragma once

#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <nlohmann/json.hpp>

namespace tilvex::studio {

// Reads a settings object field by field: each value must have the field's
// type, and keys nobody read are refused, so a typing error in a file is
// reported by name instead of silently falling back to a default.
class JsonFields {
public:
    JsonFields(const nlohmann::json& object, std::string what) : object_(object), what_(std::move(what))
    {
        if (!object_.is_object()) throw std::invalid_argument(what_ + " must be a JSON object");
    }

    template <class T>
    bool Read(const std::string& key, T& value)
    {
        read_.insert(key);
        auto it = object_.find(key);
        if (it == object_.end()) return false;
        if (!Fits<T>(*it)) throw std::invalid_argument(key + ": " + it->dump() + " is not a value this key takes");
        try {
            value = it->template get<T>();
        } catch (const nlohmann::json::exception&) {
            throw std::invalid_argument(key + ": " + it->dump() + " is not a value this key takes");
        }
        return true;
    }

    void RefuseOthers() const
    {
        for (auto it = object_.begin(); it != object_.end(); ++it)
            if (!read_.count(it.key())) throw std::invalid_argument("unknown key '" + it.key() + "' in the " + what_);
    }

private:
    // nlohmann converts between number kinds silently (3.7 to 3, -1 to 2^64 - 1).
    template <class T>
    static bool Fits(const nlohmann::json& v)
    {
        if constexpr (std::is_same_v<T, bool>)
            return v.is_boolean();
        else if constexpr (std::is_integral_v<T>) {
            using Limits = std::numeric_limits<T>;
            if (v.is_number_unsigned()) return v.get<std::uint64_t>() <= static_cast<std::uint64_t>(Limits::max());
            if (!v.is_number_integer()) return false;
            const auto i = v.get<std::int64_t>();
            return i >= static_cast<std::int64_t>(Limits::min()) && i <= static_cast<std::int64_t>(Limits::max());
        }
        else if constexpr (std::is_floating_point_v<T>)
            return v.is_number();
        else
            return true;  // strings, arrays: their own get<> refuses a wrong type
    }

    const nlohmann::json& object_;
    std::string what_;
    std::set<std::string> read_;
};

}  // namespace tilvex::studio
