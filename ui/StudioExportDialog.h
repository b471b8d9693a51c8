#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSettings;
class QSpinBox;

namespace tilvex::ui {

// What "Export Studio Image" renders and where it goes.
struct StudioExportRequest {
    int size = 2048;
    double spp = 16.0;
    QString colormap = QStringLiteral("viridis");
    double gamma = 2.2;
    int period = 1;
    QString path;

    // The last choices are offered again; they live in the settings' "Studio" group.
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
};

class StudioExportDialog : public QDialog {
    Q_OBJECT
public:
    StudioExportDialog(const StudioExportRequest& initial, QWidget* parent = nullptr);

    StudioExportRequest Request() const;
    void accept() override;

private:
    void Browse();

    QSpinBox* size_;
    QDoubleSpinBox* spp_;
    QComboBox* colormap_;
    QDoubleSpinBox* gamma_;
    QSpinBox* period_;
    QLineEdit* path_;
};

}  // namespace tilvex::ui
