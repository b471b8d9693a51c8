#include "ui/StudioPictures.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "engine/PreviewPasses.h"

namespace tilvex::ui {

QImage ToQImage(const studio::Rgb8Image& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    static_assert(sizeof(studio::Rgb8) == 3);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.Row(y), 3 * static_cast<std::size_t>(picture.width));
    return image;
}

int PreviewTileWidth(const QWidget& view, const QuiltSnapshot& quilt, int viewPeriod)
{
    const double dpr = view.devicePixelRatioF();
    return FittedTileWidth(view.width() * dpr, view.height() * dpr, quilt, viewPeriod);
}

studio::Look LoadStudioLook(QSettings& settings)
{
    studio::Look look;
    settings.beginGroup(QStringLiteral("Studio"));
    const QString json = settings.value(QStringLiteral("Look")).toString();
    if (!json.isEmpty()) {
        // A look the program itself wrote; one it cannot read (another version's) gives way to the default.
        try {
            look = nlohmann::json::parse(json.toStdString()).get<studio::Look>();
        } catch (const std::exception&) {
            look = {};
        }
    } else {
        // Settings from before looks were kept whole.
        look.colormap = settings.value(QStringLiteral("ColorMap"), QString::fromStdString(look.colormap)).toString().toStdString();
        look.tone.gamma = settings.value(QStringLiteral("Gamma"), look.tone.gamma).toDouble();
        if (!studio::Validate(look).empty()) look = {};
    }
    settings.endGroup();
    return look;
}

void SaveStudioLook(QSettings& settings, const studio::Look& look)
{
    settings.setValue(QStringLiteral("Studio/Look"), QString::fromStdString(nlohmann::json(look).dump()));
}

}  // namespace tilvex::ui
