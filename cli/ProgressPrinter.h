#pragma once

#include <string>
#include <string_view>

namespace tilvex::cli {

// The one progress bar of the command line, on stderr: a label, a bar of 50
// marks, the percentage and a detail, redrawn in place when the percentage
// changes. Silent when not enabled.
class ProgressPrinter {
public:
    ProgressPrinter(bool enabled, std::string label = {}) : enabled_(enabled), label_(std::move(label)) {}
    ProgressPrinter(const ProgressPrinter&) = delete;
    ProgressPrinter& operator=(const ProgressPrinter&) = delete;
    ~ProgressPrinter() { Finish(); }

    void Show(double share, std::string_view detail = {});
    void SetLabel(std::string label) { label_ = std::move(label); }
    // Ends the bar's line, if one was drawn.
    void Finish();

private:
    bool enabled_;
    std::string label_;
    int shown_ = -1;
};

}  // namespace tilvex::cli
