#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "motion/Clip.h"
#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/RenderSettings.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSettings;
class QSpinBox;

namespace tilvex::ui {

// A key of the clip the dialog asks for: a quilt and what to call it.
struct AnimationKey {
    std::shared_ptr<const QuiltSnapshot> quilt;
    QString label;
};

// What "Export Animation" renders and where it goes.
struct AnimationRequest {
    AnimationKey start, end;
    double seconds = 4.0;
    int fps = 24;
    studio::RenderSettings renderSpec{.width = 640};
    studio::Look look;
    bool loop = false;
    QString path;

    // The last duration, rate, size, samples and loop are offered again ("Animation" group).
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    motion::ClipSettings Settings() const;
    std::vector<motion::Keyframe> Keys() const;
};

// The current quilt's key: its name and form.
AnimationKey CurrentQuiltKey(std::shared_ptr<const QuiltSnapshot> quilt);

// Asks for a clip from a start key to an end key. It stays open beside the
// main window, so the end key can be the current quilt of a later moment:
// each key has "Use Current Quilt", which takes the quilt as it is when
// pressed, and "Session...", which loads a saved one. OK checks that the keys
// make a clip (one kind and form) before it closes and hands the request on.
class AnimationExportDialog : public QDialog {
    Q_OBJECT
public:
    using CurrentQuilt = std::function<std::shared_ptr<const QuiltSnapshot>()>;
    AnimationExportDialog(const AnimationRequest& initial, CurrentQuilt currentQuilt, QWidget* parent = nullptr);

    AnimationRequest Request() const;
    // Key 0 is the start, 1 the end.
    void UseCurrentQuilt(int key);
    // False (after telling the user why) when the session cannot be loaded.
    bool UseSession(int key, const QString& path);
    void accept() override;

signals:
    void chosen(const AnimationRequest& request);

private:
    void ShowKey(int key);
    void Browse();

    AnimationRequest initial_;
    CurrentQuilt currentQuilt_;
    AnimationKey keys_[2];
    QLabel* keyLabels_[2] = {};
    QDoubleSpinBox* seconds_;
    QSpinBox* fps_;
    QSpinBox* size_;
    QDoubleSpinBox* spp_;
    QComboBox* colormap_;
    QDoubleSpinBox* gamma_;
    QCheckBox* loop_;
    QLineEdit* path_;
};

}  // namespace tilvex::ui
