#include <cmath>
#include <filesystem>

#include "engine/TilvexApp.h"

namespace tilvex {

namespace {

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// The "Choose Map" radio button of a kind, and the kind of a button.
int KindButton(QuiltKind kind)
{
    switch (kind) {
    case QuiltKind::Hex: return ChooseMapModel::kHex;
    case QuiltKind::FourSixTwelve: return ChooseMapModel::kFourSixTwelve;
    case QuiltKind::FourEightEight: return ChooseMapModel::kFourEightEight;
    case QuiltKind::ThreeTwelveTwelve: return ChooseMapModel::kThreeTwelveTwelve;
    case QuiltKind::WildCorner: return ChooseMapModel::kWildCorner;
    case QuiltKind::Square: break;
    }
    return ChooseMapModel::kSquare;
}

QuiltKind KindOfButton(int button)
{
    switch (button) {
    case ChooseMapModel::kHex: return QuiltKind::Hex;
    case ChooseMapModel::kFourSixTwelve: return QuiltKind::FourSixTwelve;
    case ChooseMapModel::kFourEightEight: return QuiltKind::FourEightEight;
    case ChooseMapModel::kThreeTwelveTwelve: return QuiltKind::ThreeTwelveTwelve;
    case ChooseMapModel::kWildCorner: return QuiltKind::WildCorner;
    default: break;
    }
    return QuiltKind::Square;
}

}  // namespace

void CTilvexApp::OpenCommandLine(const std::string& text)
{
    if (text.empty()) return;
    if (FileExists(text))
        LoadSession(text);
    else
        ui->ShowMessage(text, MessageIcon::Question);
}

void CTilvexApp::OnAppAbout() { ui->ShowAbout(); }

void CTilvexApp::OnOpenSession()
{
    FileDialogRequest request{"File Open", ".qlt", "", "Session (*.qlt)", true};
    if (auto path = ui->AskOpenFile(request)) OpenSession(*path);
}

void CTilvexApp::OpenSession(const std::string& path) { LoadSession(path); }

void CTilvexApp::OnOpenRecent(const std::string& path)
{
    if (FileExists(path))
        LoadSession(path);
    else
        ui->ShowMessage(path, MessageIcon::Question);
}

void CTilvexApp::OnIterationStatus()
{
    StatusFields f;
    f.maxIterations = static_cast<std::uint32_t>(counters.maxIterations);
    f.iterationCount = static_cast<std::uint32_t>(counters.iterationCount);
    if (ui->AskStatus(f)) counters.maxIterations = static_cast<int>(f.maxIterations);
}

void CTilvexApp::OnSetViewPeriod()
{
    ViewPeriodFields f;
    f.period = static_cast<unsigned>(static_cast<int>(geometry.viewPeriod));
    if (ui->AskViewPeriod(f)) geometry.viewPeriod = static_cast<std::int16_t>(f.period);
}

UseDetailFields CTilvexApp::CurrentUseDetailFields() const
{
    UseDetailFields f;
    f.useSquare = detail.detailedSquare;
    f.squareDepth = detail.squareDetailDepth;
    f.useHex = detail.detailedHex;
    f.hexDepth = static_cast<unsigned>(detail.hexDetailDepth);
    return f;
}

void CTilvexApp::OnUseDetail()
{
    if (detail.squareDetailDepth < 3) detail.squareDetailDepth = 6;
    UseDetailFields f = CurrentUseDetailFields();
    if (!ui->AskUseDetail(f)) return;
    // A change leads on to the parameter dialogs of the kind.
    if (ApplyUseDetail(f)) ChooseQuiltFractal();
}

bool CTilvexApp::ApplyUseDetail(const UseDetailFields& f)
{
    bool changed = f.useSquare != detail.detailedSquare || f.squareDepth != detail.squareDetailDepth ||
                   f.useHex != detail.detailedHex || static_cast<int>(f.hexDepth) != detail.hexDetailDepth;
    if (!changed) return false;
    detail.detailedHex = f.useHex;
    detail.hexDetailDepth = static_cast<int>(f.hexDepth);
    detail.detailedSquare = f.useSquare;
    detail.squareDetailDepth = static_cast<std::uint16_t>(f.squareDepth);
    PushDetailToMaps(kAllDetail);
    return true;
}

void CTilvexApp::OnUseTransformation()
{
    TransformFields f;
    f.zigZag = transform.zigZag;
    f.upDown = transform.slantUpDown;
    f.slantAngle = transform.slantAngle;
    if (!ui->AskTransform(f)) return;
    transform.zigZag = f.zigZag;
    transform.slantUpDown = f.upDown;
    transform.slantAngle = f.slantAngle;
    double w = 2.0 * geometry.gridSize;
    double t = std::tan(3.14159 * transform.slantAngle);
    if (transform.slantAngle == 0.0) {
        transform.zigZag = 0;
    } else if (transform.slantUpDown == 1) {
        transform.slantShift = t * w;
        transform.slantRatio = transform.slantShift / w;
    } else if (transform.slantUpDown == 0) {
        transform.slantShiftWhole = std::trunc(t * w);
        transform.slantRatioWhole = transform.slantShiftWhole / w;
    }
    transform.transformEnabled = transform.zigZag != 0 ? 1 : 0;
}

ChooseMapFields CTilvexApp::CurrentChooseMapFields() const
{
    ChooseMapFields f;
    f.detailedSquare = detail.detailedSquare;
    f.useRandom = run.useRandomSettings;
    f.detailedHex = detail.detailedHex;
    return f;
}

void CTilvexApp::OnSetMapping()
{
    ChooseMapFields f = CurrentChooseMapFields();
    ChooseMapModel radios(kindFlags);
    ui->AskChooseMap(f, radios);
    // The radio buttons have set the kind already: it is the one shown now.
    ApplyChooseMap(KindOfButton(radios.InitialButton()), f);
    if (run.useRandomSettings == 0) ChooseQuiltFractal();
}

void CTilvexApp::ApplyChooseMap(QuiltKind kind, const ChooseMapFields& f)
{
    // As the kind's radio button does, clicked when another kind is shown.
    ChooseMapModel radios(kindFlags);
    if (radios.InitialButton() != KindButton(kind)) radios.Click(KindButton(kind));
    detail.detailedSquare = f.detailedSquare;
    detail.detailedHex = f.detailedHex;
    run.useRandomSettings = f.useRandom;
    geometry.gridSize = grid.width;
    RandomNewQuilt();
}

}  // namespace tilvex
