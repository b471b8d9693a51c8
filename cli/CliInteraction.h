#pragma once

#include <iostream>

#include "core/UserInteraction.h"

namespace tilvex::cli {

// The command line's user: picks the requested kind in "Choose Map" with
// "Use Random Settings" ticked, and accepts every other dialog as filled.
class CliInteraction : public AcceptingInteraction {
public:
    int wantedKindButton = ChooseMapModel::kSquare;
    int detailedSquare = 0;
    int detailedHex = 0;

    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override
    {
        if (radios.InitialButton() != wantedKindButton) radios.Click(wantedKindButton);
        f.detailedSquare = detailedSquare;
        f.detailedHex = detailedHex;
        f.useRandom = 1;
    }
    void ShowMessage(const std::string& text, MessageIcon) override { std::cerr << "tilvex-cli: " << text << "\n"; }
};

}  // namespace tilvex::cli
