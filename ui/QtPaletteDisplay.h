#pragma once

#include <QList>
#include <QRgb>
#include <functional>

#include "core/PaletteEntry.h"

namespace tilvex::ui {

// The palette the painted image is shown with. ShowPalette takes the entries
// at once (as palette animation would) and tells the view to repaint.
class QtPaletteDisplay : public PaletteDisplay {
public:
    QtPaletteDisplay();

    bool ShowPalette(const Palette& entries) override;
    const QList<QRgb>& Colours() const { return colours_; }

    std::function<void()> changed;

private:
    QList<QRgb> colours_;
};

}  // namespace tilvex::ui
