#pragma once

namespace tilvex::studio {

// A built-in colour map: 256 entries as 1536 hex digits, RRGGBB each.
struct NamedTable {
    const char* name;
    const char* rgbHex;
};

extern const NamedTable kNamedTables[];
extern const int kNamedTableCount;

}  // namespace tilvex::studio
