#pragma once

#include <QCoreApplication>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/UserInteraction.h"

namespace tilvex::test {

// Stands in for the user: accepts dialogs as filled, answers the file
// choosers from a script and records what it was asked.
class TestInteraction : public AcceptingInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override
    {
        AcceptingInteraction::ShowMessage(text, icon);
        icons.push_back(icon);
    }
    void ShowConvergedMessage() override
    {
        ++asked["converged"];
        if (onConverged) onConverged();
    }
    void ShowAbout() override { ++asked["about"]; }
    bool AskSquareQuilt(SquareQuiltFields& f) override { return Count("square", f); }
    bool AskAllCoefficients(AllCoefficientsFields& f) override { return Count("coefficients", f); }
    bool AskHexQuilt(HexQuiltFields& f) override { return Count("hex", f); }
    bool AskStatus(StatusFields& f) override
    {
        ++asked["status"];
        if (newMaxIterations) f.maxIterations = *newMaxIterations;
        return true;
    }
    bool AskViewPeriod(ViewPeriodFields& f) override
    {
        ++asked["period"];
        if (newViewPeriod) f.period = *newViewPeriod;
        return true;
    }
    bool AskUseDetail(UseDetailFields& f) override { return Count("detail", f); }
    bool AskTransform(TransformFields& f) override { return Count("transform", f); }
    void AskChooseMap(ChooseMapFields&, ChooseMapModel&) override { ++asked["map"]; }
    bool AskDensityPalette(DensityPaletteFields& f) override { return Count("density", f); }
    bool AskSelectColor(SelectColorFields&) override
    {
        ++asked["select"];
        return false;
    }
    std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override
    {
        ++asked["save"];
        saveRequests.push_back(request);
        return savePath;
    }
    std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override
    {
        ++asked["open"];
        openRequests.push_back(request);
        return openPath;
    }

    int Asked(const std::string& what) const
    {
        auto it = asked.find(what);
        return it == asked.end() ? 0 : it->second;
    }

    std::map<std::string, int> asked;
    std::vector<MessageIcon> icons;
    std::vector<FileDialogRequest> saveRequests, openRequests;
    std::optional<std::string> savePath, openPath;
    std::optional<std::uint32_t> newMaxIterations;
    std::optional<unsigned> newViewPeriod;
    std::function<void()> onConverged;

private:
    template <class Fields>
    bool Count(const std::string& what, Fields&)
    {
        ++asked[what];
        return true;
    }
};

}  // namespace tilvex::test
