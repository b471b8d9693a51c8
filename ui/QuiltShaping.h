#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/QuiltHistory.h"
#include "studio/Look.h"
#include "ui/CommandRouter.h"
#include "ui/ParameterDock.h"
#include "ui/ProgressivePreview.h"
#include "ui/VariationsWindow.h"

class QMainWindow;

namespace tilvex::ui {

class CTilvexView;
class IdleDriver;

// Shaping a quilt live: the Parameters dock and its progressive preview, the
// Variations window, and undo and redo of every change of the quilt's
// definition. The frame hands it the commands Edit > Undo and Redo, View >
// Parameters and Quilt > Variations, and tells it before and after every
// other command so a change there becomes a step too.
class QuiltShaping : public QObject, public CommandTarget {
    Q_OBJECT
public:
    QuiltShaping(CTilvexApp& app, QMainWindow& frame, CTilvexView& view, IdleDriver& idle);
    ~QuiltShaping() override;

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // Around a change made elsewhere (a menu command, a session dropped or
    // opened from the gallery): a changed definition becomes an undo step.
    void BeforeChange();
    void AfterChange();
    // The view took a new size: what an edit's preview will need is readied for it.
    void ViewResized();

    bool ParametersShown() const;
    ParameterDock& Dock() { return *dock_; }
    ProgressivePreview& Preview() { return preview_; }
    QuiltHistory& History() { return history_; }
    VariationsWindow* Variations() const { return variations_; }

    // The look of the preview, and whether the frame's studio preview is on.
    std::function<studio::Look()> look;
    std::function<bool()> studioPreviewOn;
    // After this changed the quilt: menus, progress and title refresh.
    std::function<void()> changed;

private:
    void ShowParameters(bool on);
    void ShowVariations();
    void TakeVariation(const std::vector<std::uint8_t>& session);
    void Step(bool undo);
    void Edited(const QuiltMaps& maps);
    void Reload();
    void StartPreview();
    std::pair<std::shared_ptr<const QuiltSnapshot>, int> QuiltForView() const;  // its snapshot and preview width

    CTilvexApp& app_;
    QMainWindow& frame_;
    CTilvexView& view_;
    IdleDriver& idle_;
    QuiltHistory history_;
    ParameterDock* dock_ = nullptr;
    ProgressivePreview preview_;
    QPointer<VariationsWindow> variations_;
    std::optional<QuiltDefinition> before_;  // captured when a command or an edit starts
    bool stepping_ = false;                  // an undo or redo is the command under way
};

}  // namespace tilvex::ui
