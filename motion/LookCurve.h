#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "motion/KeyCurve.h"
#include "studio/Look.h"

namespace tilvex::motion {

// The looks of a clip's keys as one look that changes with time. It works on
// the looks' JSON form, so every numeric setting a look has (now or later)
// follows its own KeyCurve through the keys, and whole-number settings stay
// whole; every other setting (the colour map, its stops, a flag) must be the
// same in every key. The constructor throws std::invalid_argument naming the
// first setting that is not.
class LookCurve {
public:
    LookCurve(const std::vector<studio::Look>& looks, const std::vector<double>& times, double period = 0.0);

    studio::Look operator()(double t) const;

private:
    struct Number {
        nlohmann::json::json_pointer where;
        KeyCurve curve;
        bool whole;
    };

    void Collect(const std::vector<nlohmann::json>& keys, const nlohmann::json::json_pointer& where,
                 const std::vector<double>& times, double period);

    nlohmann::json first_;
    std::vector<Number> numbers_;
};

}  // namespace tilvex::motion
