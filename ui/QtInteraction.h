#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "core/UserInteraction.h"

namespace tilvex::ui {

// Answers the flows' questions with the program's dialogs, message boxes and
// the standard file and colour choosers, all modal over parent.
class QtInteraction : public UserInteraction {
public:
    explicit QtInteraction(QWidget* parent);
    ~QtInteraction() override;

    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ShowConvergedMessage() override;
    void ShowAbout() override;

    bool AskSquareQuilt(SquareQuiltFields& f) override;
    bool AskAllCoefficients(AllCoefficientsFields& f) override;
    bool AskHexQuilt(HexQuiltFields& f) override;
    bool AskHexDetail(HexDetailFields& f) override;
    bool AskCornerWild(CornerWildFields& f) override;
    bool AskStatus(StatusFields& f) override;
    bool AskViewPeriod(ViewPeriodFields& f) override;
    bool AskUseDetail(UseDetailFields& f) override;
    bool AskTransform(TransformFields& f) override;
    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override;
    bool AskDensityPalette(DensityPaletteFields& f) override;
    bool AskSelectColor(SelectColorFields& f) override;
    bool AskColor(std::optional<std::uint32_t> initial, Rgb& chosen) override;

    std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;

    void BeginWaitCursor() override;
    void EndWaitCursor() override;

private:
    std::optional<std::string> AskFile(const FileDialogRequest& request, bool save);

    QWidget* parent_;
    int waitCursors_ = 0;
};

// The file choosers' name filters from a request's filter text, which is
// either "Description (*.ext)" or pairs "Description | *.ext | ... ||".
QStringList NameFilters(const std::string& filter);

}  // namespace tilvex::ui
