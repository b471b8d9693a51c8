#include "motion/LookCurve.h"

#include <cmath>
#include <stdexcept>

namespace tilvex::motion {

namespace {

std::string Setting(const nlohmann::json::json_pointer& where)
{
    std::string name = where.to_string();
    return name.empty() ? "look" : name.substr(1);
}

[[noreturn]] void Differ(const nlohmann::json::json_pointer& where, const nlohmann::json& a, const nlohmann::json& b)
{
    throw std::invalid_argument("the keys' looks differ in '" + Setting(where) + "' (" + a.dump() + " and " +
                                b.dump() + "); only numeric settings can change along a clip");
}

}  // namespace

LookCurve::LookCurve(const std::vector<studio::Look>& looks, const std::vector<double>& times, double period)
{
    std::vector<nlohmann::json> keys;
    for (const studio::Look& look : looks) keys.emplace_back(look);
    first_ = keys.front();
    Collect(keys, nlohmann::json::json_pointer(), times, period);
}

// Walks the first key's form; each place is a number in every key, or the same value in every key.
void LookCurve::Collect(const std::vector<nlohmann::json>& keys, const nlohmann::json::json_pointer& where,
                        const std::vector<double>& times, double period)
{
    const nlohmann::json& first = keys.front();
    for (const nlohmann::json& key : keys)
        if (key.type() != first.type() && !(key.is_number() && first.is_number())) Differ(where, first, key);
    if (first.is_number()) {
        std::vector<double> values;
        bool whole = true;
        for (const nlohmann::json& key : keys) {
            values.push_back(key.get<double>());
            whole = whole && !key.is_number_float();
        }
        numbers_.push_back({where, KeyCurve(times, std::move(values), period), whole});
        return;
    }
    if (first.is_object()) {
        for (const nlohmann::json& key : keys) {
            for (auto it = key.begin(); it != key.end(); ++it)
                if (!first.contains(it.key())) Differ(where / it.key(), "unset", it.value());
            for (auto it = first.begin(); it != first.end(); ++it)
                if (!key.contains(it.key())) Differ(where / it.key(), it.value(), "unset");
        }
        for (auto it = first.begin(); it != first.end(); ++it) {
            std::vector<nlohmann::json> inner;
            for (const nlohmann::json& key : keys) inner.push_back(key.at(it.key()));
            Collect(inner, where / it.key(), times, period);
        }
        return;
    }
    for (const nlohmann::json& key : keys)
        if (key != first) Differ(where, first, key);
}

studio::Look LookCurve::operator()(double t) const
{
    nlohmann::json j = first_;
    for (const Number& n : numbers_) {
        const double value = n.curve(t);
        if (n.whole)
            j[n.where] = static_cast<long long>(std::llround(value));
        else
            j[n.where] = value;
    }
    return j.get<studio::Look>();
}

}  // namespace tilvex::motion
