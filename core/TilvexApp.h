#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Complex.h"
#include "core/GridCapacity.h"
#include "core/GrowableArray.h"
#include "core/PaletteEntry.h"
#include "core/QuiltMap.h"
#include "core/RandomSource.h"
#include "core/UserInteraction.h"
#include "maps/HexMap.h"
#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"
#include "maps/SqrMap.h"
#include "maps/WildCornerMap.h"

namespace tilvex {

enum class QuiltKind { Square, Hex, FourSixTwelve, FourEightEight, ThreeTwelveTwelve, WildCorner };

struct GridCell {
    int x = 0, y = 0;
};

struct TileSize {
    int width = 0, height = 0;
};

// All quilt state of the program and the operations on it. The desktop
// program owns one and calls OnIdle from its idle time; the command-line
// program drives it directly.
class CTilvexApp {
public:
    // Seeds the random source from the clock unless a seed is given. Draws the
    // start-up palette with the program's rand (after the Wild Corner map's call).
    explicit CTilvexApp(std::optional<double> seed = std::nullopt);
    CTilvexApp(const CTilvexApp&) = delete;
    CTilvexApp& operator=(const CTilvexApp&) = delete;

    // ---- generation loop ----
    bool OnIdle();  // exactly one step; always true
    void ResetGeneration();
    void WrapToUnitSquare();
    void AdvancePoint();
    QuiltKind Kind() const;  // from the kind flags, in the loop's test order
    void ClearKindFlags();

    // ---- start-up, shutdown, application commands ----
    // Steps of start-up up to the first quilt: defaults, grid capacity fitted to
    // availableBytes, storage, the start-up draws. False (after the message) on failure.
    bool InitInstance(std::uint64_t availableBytes);
    void ExitInstance();
    void OpenCommandLine(const std::string& text);
    void OnAppAbout();
    void OnOpenSession();
    // File Open once the file is chosen; also for files dropped on the window.
    void OpenSession(const std::string& path);
    void OnOpenRecent(const std::string& path);
    void OnIterationStatus();
    void OnSetViewPeriod();
    void OnUseDetail();
    void OnUseTransformation();
    void OnSetMapping();

    // ---- session file ----
    // mode 0 saves, 1 loads. False when the operation failed (already reported).
    bool TransferSession(const std::string& path, int mode);

    // ---- choosing and setting up a quilt ----
    void RandomNewQuilt();
    void ChooseQuiltFractal();
    void SetSquareQuilt();
    void SetSquareCoefficients();
    void SetHexQuilt();
    void SetHexCoefficients();
    void SetWildCornerQuilt();
    void RandomHexQuilt();
    // Grid scale, hex map geometry and tile size from the grid's width.
    void ApplyHexGeometry();
    void ApplyGridWidth(int newWidth, double iterationFactor = 3500000.0);
    void RandomStartPoint();
    void MakeQuiltName();
    void FormatQuiltName();  // quiltName from quiltNumber and the kind flags

    // ---- palette ----
    int ApplyPalette();
    void RecolourImage();
    void RandomResetPalette();
    void RandomDensityPalette();
    void CycleDensityPalette();
    void SelectPaletteColors();

    // ---- image ----
    int BuildImage();
    TileSize CurrentTileSize() const;
    int PixelIndex(std::uint16_t count) const;
    std::optional<GridCell> CellForPixel(int x, int y);
    void SaveImageAsBmp();
    void SaveImageAsPcx();
    void SaveImageAsPng();

    // ---- generation state ----
    int limitReached = 0;
    int generating = 0;
    int restartPending = 0;
    int useRandomSettings = 1;
    int idleBusy = 0;
    int imageBuilt = 0;
    int densityRecolourOnly = 0;

    // ---- map kind ----
    int kindHex = 0;
    int kindReserved = 0;
    int hexKnot = 0;
    int kindFourSixTwelve = 0;
    int kindFourEightEight = 0;
    int kindThreeTwelveTwelve = 0;
    int kindWildCorner = 0;

    // ---- rendering transformation and detail settings ----
    int transformEnabled = 0;
    int zigZag = 0;
    int detailedSquare = 0;
    int detailedHex = 0;
    int densityCyclesDefault = 1;
    double plotX = 0.0, plotY = 0.0;
    Complex point;
    Complex nextPoint;
    int slantUpDown = 0;
    double slantShiftWhole = 0.0;
    double slantAngle = 0.0;
    double slantRatioWhole = 0.0;
    double slantShift = 0.0;
    double slantRatio = 0.0;
    int hexSizeLimit = 0;
    int reserved1 = 0, reserved2 = 0, reserved3 = 0;
    double tileWidth = 0.0, tileHeight = 0.0;
    int imageWidth = 0, imageHeight = 0;

    // ---- owned objects ----
    SqrMap squareMap;
    HexMap hexMap;
    MapSixFourTwelve fourSixTwelveMap;
    MapFourEight fourEightEightMap;
    MapThreeTwelve threeTwelveTwelveMap;
    WildCornerMap wildCornerMap;
    std::uint16_t densityCycles = 3;
    CWordArray anchorRed, anchorGreen, anchorBlue;
    CintArray stepRed, stepGreen, stepBlue;
    std::uint16_t squareDetailDepth = 6;
    int hexDetailDepth = 11;
    int filledCells = 0;
    int minFilledCells = 0;
    int iterationCount = 0;
    int maxIterations = 3500000;
    double gridScale = 0.0;
    double gridScaleInverse = 0.0;
    std::uint16_t gridSize = 100;
    QuiltMap grid;
    RandomSource random;
    char quiltName[20] = {};
    Palette paletteEntries;
    std::vector<std::uint8_t> imageMemory;  // empty: none
    PaletteDisplay* displayPalette = nullptr;
    int cellX = 0, cellY = 0;
    std::int16_t viewPeriod = 1;
    int quiltNumber = 0;

    // ---- not part of the quilt ----
    UserInteraction* ui = nullptr;  // never null; defaults to ownUi
    int restarts = 0;               // convergence restarts since construction

    std::string QuiltName() const;

private:
    void CheckConvergence();
    void PlotWrapped(Complex r);
    AcceptingInteraction ownUi;
};

// Size in bytes of the image block for a grid capacity of n.
std::size_t ImageBlockSize(int n);
// Available physical memory of this machine, in bytes.
std::uint64_t AvailablePhysicalMemory();

}  // namespace tilvex
