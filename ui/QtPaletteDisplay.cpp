#include "ui/QtPaletteDisplay.h"

namespace tilvex::ui {

QtPaletteDisplay::QtPaletteDisplay() : colours_(256, qRgb(0, 0, 0)) {}

bool QtPaletteDisplay::ShowPalette(const Palette& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        colours_[static_cast<qsizetype>(i)] = qRgb(entries[i].red, entries[i].green, entries[i].blue);
    if (changed) changed();
    return true;
}

}  // namespace tilvex::ui
