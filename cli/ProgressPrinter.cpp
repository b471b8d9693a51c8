#include "cli/ProgressPrinter.h"

#include <algorithm>
#include <cstdio>

namespace tilvex::cli {

void ProgressPrinter::Show(double share, std::string_view detail)
{
    if (!enabled_) return;
    // Counters from a damaged session can lie outside any sensible range.
    const int percent = share > 0.0 ? static_cast<int>(std::min(share, 1.0) * 100.0) : 0;
    if (percent == shown_) return;
    shown_ = percent;
    std::fprintf(stderr, "\r%s%s[%-50s] %3d%%%s%.*s", label_.c_str(), label_.empty() ? "" : " ",
                 std::string(static_cast<std::size_t>(percent / 2), '#').c_str(), percent, detail.empty() ? "" : " ",
                 static_cast<int>(detail.size()), detail.data());
    std::fflush(stderr);
}

void ProgressPrinter::Finish()
{
    if (enabled_ && shown_ >= 0) std::fputc('\n', stderr);
    shown_ = -1;
}

}  // namespace tilvex::cli
