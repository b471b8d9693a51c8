#pragma once

#include <QImage>
#include <QSettings>
#include <QWidget>

#include "render/QuiltSnapshot.h"

#include "studio/Look.h"
#include "studio/Rgb8Image.h"

namespace tilvex::ui {

QImage ToQImage(const studio::Rgb8Image& picture);

// The width in device pixels of a preview tile: viewPeriod whole tiles fit
// across and down the widget; the rest of it is tiled on.
int PreviewTileWidth(const QWidget& view, const QuiltSnapshot& quilt, int viewPeriod);

// The desktop's studio look (the preview's and the next export's), kept in
// the settings' "Studio" group.
studio::Look LoadStudioLook(QSettings& settings);
void SaveStudioLook(QSettings& settings, const studio::Look& look);

}  // namespace tilvex::ui
