#include "motion/KeyQuilt.h"

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"

namespace tilvex::motion {

std::shared_ptr<const QuiltSnapshot> LoadKeyQuilt(const std::string& path, std::string& error)
{
    CTilvexApp app(0.0);
    AcceptingInteraction quiet;
    ScopedInteraction aside(app, quiet);
    if (app.InitInstance(AvailablePhysicalMemory()) && app.LoadSession(path)) return app.TakeSnapshot();
    error = quiet.messages.empty() ? "cannot load \"" + path + "\"" : quiet.messages.back();
    return nullptr;
}

QuiltForm FormOf(const QuiltSnapshot& quilt)
{
    QuiltForm form;
    form.kind = quilt.kind;
    if (form.kind == QuiltKind::Square) form.detailed = quilt.detail.detailedSquare != 0;
    if (form.kind == QuiltKind::Hex) {
        form.detailed = quilt.detail.detailedHex != 0;
        form.knot = quilt.detail.hexKnot != 0;
    }
    return form;
}

std::vector<double> ParametersOf(const QuiltSnapshot& quilt, const QuiltForm& form)
{
    const ParameterTable& table = ParametersFor(form);
    std::vector<double> values(table.Size());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = table.Get(quilt.maps, i);
    return values;
}

std::shared_ptr<const QuiltSnapshot> WithParameters(const QuiltSnapshot& base, const QuiltForm& form,
                                                    std::span<const double> values)
{
    auto quilt = std::make_shared<QuiltSnapshot>(base);
    const ParameterTable& table = ParametersFor(form);
    for (std::size_t i = 0; i < table.Size(); ++i) table.Set(quilt->maps, i, values[i]);
    // The hex map keeps alpha's rotations with its geometry (ApplyHexGeometry);
    // the other maps read their coefficients as they are.
    if (form.kind == QuiltKind::Hex) quilt->maps.hex.SetGeometry(quilt->grid.width);
    return quilt;
}

}  // namespace tilvex::motion
