#include <cmath>
#include <filesystem>

#include "core/TilvexApp.h"

namespace tilvex {

namespace {
bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}
}  // namespace

void CTilvexApp::OpenCommandLine(const std::string& text)
{
    if (text.empty()) return;
    if (FileExists(text))
        TransferSession(text, 1);
    else
        ui->ShowMessage(text, MessageIcon::Question);
}

void CTilvexApp::OnAppAbout() { ui->ShowAbout(); }

void CTilvexApp::OnOpenSession()
{
    FileDialogRequest request{"File Open", ".qlt", "", "Session (*.qlt)", true};
    if (auto path = ui->AskOpenFile(request)) OpenSession(*path);
}

void CTilvexApp::OpenSession(const std::string& path) { TransferSession(path, 1); }

void CTilvexApp::OnOpenRecent(const std::string& path)
{
    if (FileExists(path))
        TransferSession(path, 1);
    else
        ui->ShowMessage(path, MessageIcon::Question);
}

void CTilvexApp::OnIterationStatus()
{
    StatusFields f;
    f.maxIterations = static_cast<std::uint32_t>(maxIterations);
    f.iterationCount = static_cast<std::uint32_t>(iterationCount);
    if (ui->AskStatus(f)) maxIterations = static_cast<int>(f.maxIterations);
}

void CTilvexApp::OnSetViewPeriod()
{
    ViewPeriodFields f;
    f.period = static_cast<unsigned>(static_cast<int>(viewPeriod));
    if (ui->AskViewPeriod(f)) viewPeriod = static_cast<std::int16_t>(f.period);
}

void CTilvexApp::OnUseDetail()
{
    if (squareDetailDepth < 3) squareDetailDepth = 6;
    UseDetailFields f;
    f.useSquare = detailedSquare;
    f.squareDepth = squareDetailDepth;
    f.useHex = detailedHex;
    f.hexDepth = static_cast<unsigned>(hexDetailDepth);
    if (!ui->AskUseDetail(f)) return;
    bool changed = f.useSquare != detailedSquare || f.squareDepth != squareDetailDepth || f.useHex != detailedHex ||
                   static_cast<int>(f.hexDepth) != hexDetailDepth;
    if (!changed) return;
    detailedHex = f.useHex;
    hexDetailDepth = static_cast<int>(f.hexDepth);
    detailedSquare = f.useSquare;
    squareDetailDepth = static_cast<std::uint16_t>(f.squareDepth);
    hexMap.detailed = detailedHex;
    hexMap.depth = hexDetailDepth;
    squareMap.depth = squareDetailDepth;
    squareMap.detailed = detailedSquare;
    ChooseQuiltFractal();
}

void CTilvexApp::OnUseTransformation()
{
    TransformFields f;
    f.zigZag = zigZag;
    f.upDown = slantUpDown;
    f.slantAngle = slantAngle;
    if (!ui->AskTransform(f)) return;
    zigZag = f.zigZag;
    slantUpDown = f.upDown;
    slantAngle = f.slantAngle;
    double w = 2.0 * gridSize;
    double t = std::tan(3.14159 * slantAngle);
    if (slantAngle == 0.0) {
        zigZag = 0;
    } else if (slantUpDown == 1) {
        slantShift = t * w;
        slantRatio = slantShift / w;
    } else if (slantUpDown == 0) {
        slantShiftWhole = std::trunc(t * w);
        slantRatioWhole = slantShiftWhole / w;
    }
    transformEnabled = zigZag != 0 ? 1 : 0;
}

void CTilvexApp::OnSetMapping()
{
    ChooseMapFields f;
    f.detailedSquare = detailedSquare;
    f.useRandom = useRandomSettings;
    f.detailedHex = detailedHex;
    ChooseMapModel radios(*this);
    ui->AskChooseMap(f, radios);
    detailedSquare = f.detailedSquare;
    detailedHex = f.detailedHex;
    useRandomSettings = f.useRandom;
    gridSize = grid.width;
    RandomNewQuilt();
    if (useRandomSettings == 0) ChooseQuiltFractal();
}

}  // namespace tilvex
