#pragma once

#include <string>
#include <type_traits>

#include "core/BinaryIO.h"

namespace tilvex {

// The three tiling maps store every field after tileType in declaration
// order; the map lists them through ForEachRecordField.
template <class IO, class Map>
void TransferTilingRecord(IO& io, Map& map, const char* name)
{
    io.Section(name);
    map.ForEachRecordField([&io](auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, Complex>)
            io.Point(field);
        else if constexpr (std::is_same_v<Field, double>)
            io.F64(field);
        else {
            static_assert(std::is_same_v<Field, int>, "a tiling record holds Complex, double and int fields");
            io.I32(field);
        }
    });
}

// The fold reduces coordinates modulo twice the cell side.
template <class IO>
void CheckFoldPeriod(IO& io, double side, const char* name)
{
    if constexpr (IO::kReading) io.Check(side > 0.0, std::string("its ") + name + " cell side is not positive");
}

}  // namespace tilvex
