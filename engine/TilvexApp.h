#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Complex.h"
#include "core/GridCapacity.h"
#include "core/GrowableArray.h"
#include "core/PaletteEntry.h"
#include "core/QuiltMap.h"
#include "core/QuiltState.h"
#include "core/RandomSource.h"
#include "core/UserInteraction.h"
#include "maps/QuiltKind.h"
#include "maps/QuiltMaps.h"
#include "render/QuiltSnapshot.h"

namespace tilvex {

// The parts of the detail settings the maps keep copies of; or them together
// for CTilvexApp::PushDetailToMaps.
enum MapDetailPart : unsigned {
    kSquareDetail = 1u << 0,  // the square map's detailed flag and depth
    kHexDetailed = 1u << 1,
    kHexDepth = 1u << 2,
    kHexKnot = 1u << 3,
    kAllDetail = kSquareDetail | kHexDetailed | kHexDepth,  // all but the knot
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

    // ---- the dialogs' operations on plain values ----
    // A dialog flow fills its fields from the state (Current*Fields), asks
    // the user, and hands the answer to its Apply operation; a front end that
    // knows the values calls the operation itself. The operations make the
    // same changes and random draws, in the same order, as the flows after OK.
    SquareQuiltFields CurrentSquareQuiltFields() const;
    void ApplySquareQuilt(const SquareQuiltFields& f);
    AllCoefficientsFields CurrentAllCoefficientsFields() const;
    void ApplyAllCoefficients(const AllCoefficientsFields& f);
    HexQuiltFields CurrentHexQuiltFields() const;
    void ApplyHexQuilt(const HexQuiltFields& f);
    HexDetailFields CurrentHexDetailFields() const;
    void ApplyHexDetail(const HexDetailFields& f);
    CornerWildFields CurrentCornerWildFields() const;
    void ApplyCornerWild(const CornerWildFields& f);
    // The kind as picked with its radio button, then the fields: a new random
    // quilt of the kind. With useRandom off the flow goes on to the kind's
    // parameter dialogs; that is the flow's part, not this operation's.
    ChooseMapFields CurrentChooseMapFields() const;
    void ApplyChooseMap(QuiltKind kind, const ChooseMapFields& f);
    // True when the settings changed (the flow then opens the kind's
    // parameter dialogs); unchanged settings change nothing.
    UseDetailFields CurrentUseDetailFields() const;
    bool ApplyUseDetail(const UseDetailFields& f);
    // Density palette from the start colour to the final one, cycles times
    // over the histogram; also keeps the cycle and recolour settings.
    DensityPaletteFields CurrentDensityPaletteFields() const;
    void ApplyDensityPalette(const DensityPaletteFields& f);

    // ---- session file ----
    // False when the operation failed (already reported to the user).
    bool SaveSession(const std::string& path);
    bool LoadSession(const std::string& path);

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
    // The hex dialogs' width limit: hexSizeLimit, or from the grid capacity when 0.
    unsigned HexDialogSizeLimit() const;
    void RandomStartPoint();
    // Copies the given parts of the detail settings into the maps. Only the
    // parts named: a flow that leaves a map's copy alone does so on purpose.
    void PushDetailToMaps(unsigned parts);
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
    // A copy of everything a picture is made from, for renderers anywhere.
    std::shared_ptr<const QuiltSnapshot> TakeSnapshot() const;
    // Removes the grid's floor, then builds the image block from a snapshot.
    int BuildImage();
    // BuildImage for the screen: the block then counts as built (imageBuilt).
    int BuildScreenImage();
    // The palette shown on screen; Detach only lets go of the one attached.
    void AttachPaletteDisplay(PaletteDisplay* display) { palette.displayPalette = display; }
    void DetachPaletteDisplay(const PaletteDisplay* display)
    {
        if (palette.displayPalette == display) palette.displayPalette = nullptr;
    }
    TileSize CurrentTileSize() const;
    int PixelIndex(std::uint16_t count) const;
    std::optional<GridCell> CellForPixel(int x, int y);
    void SaveImageAsBmp();
    void SaveImageAsPcx();
    void SaveImageAsPng();

    // ---- the quilt's state, by concern ----
    RunState run;
    KindFlags kindFlags;
    DetailSettings detail;
    RunCounters counters;
    OrbitState orbit;
    GridGeometry geometry;
    Transformation transform;
    QuiltIdentity identity;
    PaletteState palette;
    ImageBuffer image;
    RandomSource random;  // before the maps: the Wild Corner map draws from it
    QuiltMaps maps;
    QuiltMap grid;

    // The header groups as one value, and back; a loader commits them whole.
    SessionHeader Header() const { return {run, detail, kindFlags, counters, geometry, identity, orbit}; }
    void CommitHeader(const SessionHeader& h);

    // ---- not part of the quilt ----
    // The largest grid side the storage can hold: kDefaultMaxGridSize, lowered
    // at start-up to fit the machine's memory. Every grid width stays below it.
    int maxGridSize = kDefaultMaxGridSize;
    UserInteraction* ui = nullptr;  // never null; defaults to ownUi

    std::string QuiltName() const;

private:
    void CheckConvergence();
    AcceptingInteraction ownUi;
};

// Size in bytes of the image block for a grid capacity of n.
std::size_t ImageBlockSize(int n);
// Available physical memory of this machine, in bytes.
std::uint64_t AvailablePhysicalMemory();

}  // namespace tilvex
