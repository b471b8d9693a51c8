#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ChooseMapModel.h"
#include "core/DialogFields.h"

namespace tilvex {

enum class MessageIcon { None, Information, Question, Warning, Error };

struct FileDialogRequest {
    std::string title;        // empty: the chooser's own title
    std::string defaultExt;   // ".bmp", ".pcx", ".qlt"
    std::string initialName;  // proposed file name
    std::string filter;       // "BMP FILES (*.bmp) | *.bmp ||"
    bool mustExist = false;
};

// Every question the flows put to the user. The desktop program answers with
// real dialogs; tests and the command-line program script the answers.
// Ask* methods return true for OK and false for Cancel; fields are only
// meaningful after OK.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    virtual void ShowConvergedMessage() = 0;  // dialog 104
    virtual void ShowAbout() = 0;             // dialog 100

    virtual bool AskSquareQuilt(SquareQuiltFields& f) = 0;
    virtual bool AskAllCoefficients(AllCoefficientsFields& f) = 0;
    virtual bool AskHexQuilt(HexQuiltFields& f) = 0;
    virtual bool AskHexDetail(HexDetailFields& f) = 0;
    virtual bool AskCornerWild(CornerWildFields& f) = 0;
    virtual bool AskStatus(StatusFields& f) = 0;
    virtual bool AskViewPeriod(ViewPeriodFields& f) = 0;
    virtual bool AskUseDetail(UseDetailFields& f) = 0;
    virtual bool AskTransform(TransformFields& f) = 0;
    virtual void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) = 0;  // OK only
    virtual bool AskDensityPalette(DensityPaletteFields& f) = 0;
    // true: "Change Color"; false: "Done With Colors".
    virtual bool AskSelectColor(SelectColorFields& f) = 0;
    // initial: the chooser's starting colour as 0x00BBGGRR, or none.
    virtual bool AskColor(std::optional<std::uint32_t> initial, Rgb& chosen) = 0;

    virtual std::optional<std::string> AskSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> AskOpenFile(const FileDialogRequest& request) = 0;

    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
};

// Answers every dialog with OK and the fields as filled, the period dialog
// included; never picks a file. Messages go to a sink the owner supplies.
class AcceptingInteraction : public UserInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    void ShowConvergedMessage() override { messages.emplace_back("converged"); }
    void ShowAbout() override {}
    bool AskSquareQuilt(SquareQuiltFields&) override { return true; }
    bool AskAllCoefficients(AllCoefficientsFields&) override { return true; }
    bool AskHexQuilt(HexQuiltFields&) override { return true; }
    bool AskHexDetail(HexDetailFields&) override { return true; }
    bool AskCornerWild(CornerWildFields&) override { return true; }
    bool AskStatus(StatusFields&) override { return true; }
    bool AskViewPeriod(ViewPeriodFields&) override { return true; }
    bool AskUseDetail(UseDetailFields&) override { return true; }
    bool AskTransform(TransformFields&) override { return true; }
    void AskChooseMap(ChooseMapFields&, ChooseMapModel&) override {}
    bool AskDensityPalette(DensityPaletteFields&) override { return true; }
    bool AskSelectColor(SelectColorFields&) override { return false; }
    bool AskColor(std::optional<std::uint32_t>, Rgb&) override { return false; }
    std::optional<std::string> AskSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> AskOpenFile(const FileDialogRequest&) override { return std::nullopt; }

    std::vector<std::string> messages;
};

}  // namespace tilvex
