#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/QuiltKind.h"
#include "maps/QuiltMaps.h"

namespace tilvex {

// Which map and which of its forms a quilt uses. The knot changes how the hex
// map's result is read, not its coefficients.
struct QuiltForm {
    QuiltKind kind = QuiltKind::Square;
    bool detailed = false;  // square and hex only
    bool knot = false;      // hex only
    bool operator==(const QuiltForm&) const = default;
};

// "square", "square detailed", "hex knot", "hex detailed knot", "4-8-8", ...
std::string FormName(const QuiltForm& form);

// One coefficient of a form. Values are in the units its dialog shows
// (the damped harmonics undamped); integer ones take whole numbers only.
struct ParameterInfo {
    std::string name;     // "alpha", "coef[2][3]", "square.radial[2].re"
    std::string group;    // as the dialogs group them: "Waves", "Harmonic 3", "Octagon tile"
    std::string meaning;  // the dialog's label, or what it does
    double min = 0.0;     // the dialog's range, or a sensible one where the dialog has none
    double max = 0.0;
    bool integer = false;
};

// Every coefficient a session stores for one form, by name, with get and set
// on a copy of the maps. Set stores exactly what the form's dialog stores for
// the value; Get reads back what the dialog would show.
class ParameterTable {
public:
    using Getter = std::function<double(const QuiltMaps&)>;
    using Setter = std::function<void(QuiltMaps&, double)>;

    void Add(ParameterInfo info, Getter get, Setter set);

    const std::vector<ParameterInfo>& Parameters() const { return info_; }
    std::size_t Size() const { return info_.size(); }
    std::optional<std::size_t> Find(std::string_view name) const;
    double Get(const QuiltMaps& maps, std::size_t index) const { return get_[index](maps); }
    void Set(QuiltMaps& maps, std::size_t index, double value) const { set_[index](maps, value); }
    // Empty when value may be set, else why not (naming the range).
    std::string Check(std::size_t index, double value) const;
    // The names, comma separated, for messages.
    std::string NameList() const;

private:
    std::vector<ParameterInfo> info_;
    std::vector<Getter> get_;
    std::vector<Setter> set_;
};

// The table of a form (built once, shared, never changed).
const ParameterTable& ParametersFor(const QuiltForm& form);

}  // namespace tilvex
