#pragma once

#include <QImage>
#include <QSettings>

#include "studio/Look.h"
#include "studio/Rgb8Image.h"

namespace tilvex::ui {

QImage ToQImage(const studio::Rgb8Image& picture);

// The desktop's studio look (the preview's and the next export's), kept in
// the settings' "Studio" group.
studio::Look LoadStudioLook(QSettings& settings);
void SaveStudioLook(QSettings& settings, const studio::Look& look);

}  // namespace tilvex::ui
