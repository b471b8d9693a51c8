#pragma once

#include <iostream>

#include "explore/NewQuilt.h"

namespace tilvex::cli {

// The command line's user: asks for the new quilt the options describe and
// reports every message on stderr.
class CliInteraction : public NewQuiltInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon) override { std::cerr << "tilvex-cli: " << text << "\n"; }
};

}  // namespace tilvex::cli
