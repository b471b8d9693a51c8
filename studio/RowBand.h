#pragma once

#include <algorithm>
#include <limits>

namespace tilvex::studio {

// Rows [first, last) of a buffer or a picture: the part of a stage one
// process does when several share it. The default is every row.
struct RowBand {
    int first = 0;
    int last = std::numeric_limits<int>::max();

    RowBand Within(int rows) const
    {
        const int a = std::clamp(first, 0, rows);
        return {a, std::clamp(last, a, rows)};
    }
    int Count() const { return last - first; }
};

}  // namespace tilvex::studio
