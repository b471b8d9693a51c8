#pragma once

#include <iostream>

#include "core/UserInteraction.h"

namespace tilvex::cli {

// The command line's user: accepts every dialog as filled and prints messages.
class CliInteraction : public AcceptingInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon) override { std::cerr << "tilvex-cli: " << text << "\n"; }
};

}  // namespace tilvex::cli
