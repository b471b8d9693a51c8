#include <cmath>
#include <fstream>
#include <new>
#include <sstream>

#include "engine/TilvexApp.h"

namespace tilvex {

std::size_t ImageBlockSize(int n)
{
    std::size_t stride = static_cast<std::size_t>((16 * n + 31) / 32) * 4;
    return 1064 + stride * 2 * static_cast<std::size_t>(n);
}

std::uint64_t AvailablePhysicalMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string key;
        std::uint64_t kib = 0;
        if (fields >> key >> kib && key == "MemAvailable:") return kib * 1024;
    }
    return 0;
}

bool CTilvexApp::InitInstance(std::uint64_t availableBytes)
{
    image.imageMemory.clear();
    palette.displayPalette = nullptr;
    grid.width = 100;
    geometry.viewPeriod = 1;
    kindFlags.kindHex = kindFlags.kindReserved = kindFlags.kindFourSixTwelve = kindFlags.kindFourEightEight =
        kindFlags.kindThreeTwelveTwelve = 0;
    counters.maxIterations = 3500000;
    image.imageBuilt = 0;
    detail.detailedSquare = 0;
    detail.detailedHex = 0;
    run.useRandomSettings = 1;
    detail.squareDetailDepth = 6;
    detail.hexDetailDepth = 11;
    palette.densityCycles = 3;
    palette.densityCyclesDefault = 1;

    auto fail = [this] {
        ui->ShowMessage("Not Enouth non-Virtual Memory free for Startup", MessageIcon::None);
        return false;
    };

    int n = maxGridSize;
    auto need = [](int c) {
        return static_cast<std::uint64_t>(ImageBlockSize(c)) + 2ull * static_cast<std::uint64_t>(c) * c + 600000ull;
    };
    while (need(n) >= availableBytes) {
        n = static_cast<int>(n * 0.9);
        maxGridSize = n;
        if (n < 200) return fail();
    }
    try {
        image.imageMemory.assign(ImageBlockSize(n), 0);
        grid.AttachStorage(n);
    } catch (const std::bad_alloc&) {
        image.imageMemory.clear();
        return fail();
    }
    geometry.hexSizeLimit = 2 * n / 3;

    maps.hex.Randomize(random, detail.detailedHex);
    maps.square.Randomize(random);
    RandomStartPoint();
    ResetGeneration();
    RandomNewQuilt();
    return true;
}

void CTilvexApp::ExitInstance()
{
    image.imageMemory.clear();
    image.imageMemory.shrink_to_fit();
    palette.displayPalette = nullptr;
    grid.DetachStorage();
}

}  // namespace tilvex
