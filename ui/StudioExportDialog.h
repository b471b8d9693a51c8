#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "studio/Look.h"
#include "studio/RenderSpec.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSettings;
class QSpinBox;

namespace tilvex::ui {

// What "Export Studio Image" renders and where it goes.
struct StudioExportRequest {
    studio::RenderSpec renderSpec{.width = 2048};
    studio::Look look;
    int period = 1;
    QString path;

    // The last size, samples and period are offered again ("Studio" group of the settings).
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
};

// `wanted`, or when a file has that name the first free "<stem>-2.png",
// "<stem>-3.png"...: a name offered never points at a file already there.
QString FreshFileName(const QString& wanted);

// Asks before an existing file is replaced, as File > Save Image does, and
// refuses a file that cannot be written before any work starts.
class StudioExportDialog : public QDialog {
    Q_OBJECT
public:
    // checkSize: empty when a request's picture can be written, else why not.
    StudioExportDialog(const StudioExportRequest& initial, std::function<QString(const StudioExportRequest&)> checkSize,
                       QWidget* parent = nullptr);

    StudioExportRequest Request() const;
    void accept() override;

private:
    void Browse();

    StudioExportRequest initial_;
    std::function<QString(const StudioExportRequest&)> checkSize_;
    QString confirmed_;  // a file the file chooser already asked about replacing
    QSpinBox* size_;
    QDoubleSpinBox* spp_;
    QComboBox* colormap_;
    QDoubleSpinBox* gamma_;
    QSpinBox* period_;
    QLineEdit* path_;
};

}  // namespace tilvex::ui
