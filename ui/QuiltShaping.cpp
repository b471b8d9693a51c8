#include "ui/QuiltShaping.h"

#include <QMainWindow>
#include <algorithm>

#include "engine/QuiltCoefficients.h"
#include "engine/SessionFile.h"
#include "ui/ExploreWindow.h"
#include "ui/IdleDriver.h"
#include "ui/StudioPictures.h"
#include "ui/TilvexView.h"

namespace tilvex::ui {

QuiltShaping::QuiltShaping(CTilvexApp& app, QMainWindow& frame, CTilvexView& view, IdleDriver& idle)
    : app_(app), frame_(frame), view_(view), idle_(idle), preview_(this)
{
    dock_ = new ParameterDock(&frame_);
    frame_.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();
    dock_->editStarted = [this] { before_ = QuiltDefinition::Of(app_); };
    dock_->edited = [this](const QuiltMaps& maps) { Edited(maps); };
    dock_->editFinished = [this] {
        if (before_) history_.Record(std::move(*before_), app_);
        before_.reset();
        Reload();
        if (changed) changed();
    };
    connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (changed) changed();
        if (!visible && !dock_->isVisible() && !(studioPreviewOn && studioPreviewOn())) view_.HidePreview();
    });
    preview_.shown = [this](const QImage& tile, std::uint64_t request, double) {
        if (request == preview_.Request()) view_.ShowPreview(tile);
    };
}

QuiltShaping::~QuiltShaping()
{
    preview_.Cancel();
    if (variations_) variations_->close();
}

bool QuiltShaping::HandlesCommand(int id) const
{
    if (id == cmd::QuiltUndo) return history_.CanUndo();
    if (id == cmd::QuiltRedo) return history_.CanRedo();
    return id == cmd::ShowParameters || id == cmd::QuiltVariations;
}

void QuiltShaping::OnCommand(int id)
{
    switch (id) {
    case cmd::QuiltUndo: Step(true); break;
    case cmd::QuiltRedo: Step(false); break;
    case cmd::ShowParameters: ShowParameters(!ParametersShown()); break;
    case cmd::QuiltVariations: ShowVariations(); break;
    default: break;
    }
}

void QuiltShaping::BeforeChange() { before_ = QuiltDefinition::Of(app_); }

void QuiltShaping::AfterChange()
{
    if (stepping_) {
        stepping_ = false;
        before_.reset();
        return;
    }
    if (!before_) return;
    const bool same = before_->SameQuiltAs(QuiltDefinition::Of(app_));
    history_.Record(std::move(*before_), app_);
    before_.reset();
    if (same) return;
    // A new quilt: the edit preview of the old one goes.
    if (!(studioPreviewOn && studioPreviewOn())) view_.HidePreview();
    Reload();
}

bool QuiltShaping::ParametersShown() const { return dock_->isVisible(); }

void QuiltShaping::ShowParameters(bool on)
{
    dock_->setVisible(on);
    Reload();
}

void QuiltShaping::Reload()
{
    if (dock_->isHidden()) return;
    dock_->Load(FormOf(app_), app_.maps, QString::fromStdString(app_.QuiltName()));
    ViewResized();
}

void QuiltShaping::ViewResized()
{
    // The dock showing narrows the view after it is shown: the field made for
    // the view's old size would be of no use to the preview.
    if (dock_->isHidden()) return;
    auto [quilt, width] = QuiltForView();
    preview_.Prepare(std::move(quilt), width);
}

std::pair<std::shared_ptr<const QuiltSnapshot>, int> QuiltShaping::QuiltForView() const
{
    std::shared_ptr<const QuiltSnapshot> quilt = app_.TakeSnapshot();
    const int width = PreviewTileWidth(view_, *quilt, app_.geometry.viewPeriod);
    return {std::move(quilt), width};
}

void QuiltShaping::Edited(const QuiltMaps& maps)
{
    {
        IdleHold hold(&idle_);
        StartFromCoefficients(app_, maps);
    }
    view_.OnRebuildView();
    StartPreview();
    if (changed) changed();
}

void QuiltShaping::StartPreview()
{
    auto [quilt, width] = QuiltForView();
    preview_.Show(std::move(quilt), width, look ? look() : studio::Look{}, view_.devicePixelRatioF());
}

void QuiltShaping::Step(bool undo)
{
    stepping_ = true;
    const bool stepped = undo ? history_.Undo(app_) : history_.Redo(app_);
    if (!stepped) return;
    view_.OnRebuildView();
    Reload();
    StartPreview();
}

void QuiltShaping::ShowVariations()
{
    if (!variations_) {
        variations_ = new VariationsWindow(
            [this] {
                IdleHold hold(&idle_);
                return EncodeSession(app_);
            },
            [this](const std::vector<std::uint8_t>& session) { TakeVariation(session); }, &frame_);
    }
    variations_->show();
    variations_->raise();
    variations_->activateWindow();
}

void QuiltShaping::TakeVariation(const std::vector<std::uint8_t>& session)
{
    BeforeChange();
    {
        IdleHold hold(&idle_);
        if (!OpenGallerySession(app_, session)) {
            before_.reset();
            return;
        }
    }
    AfterChange();
    view_.OnRebuildView();
    StartPreview();
    if (changed) changed();
}

}  // namespace tilvex::ui
