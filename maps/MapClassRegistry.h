#pragma once

#include <string_view>

namespace tilvex {

class SqrMap;
class HexMap;
class MapSixFourTwelve;
class MapFourEight;
class MapThreeTwelve;

// Run-time class descriptor of a serialisable map class: name, schema, base
// class and a function that builds a default instance in caller storage.
struct MapClass {
    const char* className;
    int objectSize;
    unsigned schema;
    void (*construct)(void* storage);  // does nothing when storage is null
    const MapClass* baseClass;
    const MapClass* nextClass;  // registry chain, set at registration
};

// The root of every serialisable class; it has no base and cannot be built.
extern const MapClass classCObject;

// Descriptor of T, for T among the five lattice and square map classes.
template <typename T>
const MapClass& RuntimeClassOf();

// The registered descriptor of that name, or null. The five map classes are
// entered at program start.
const MapClass* FindMapClass(std::string_view name);

// First descriptor of the registry chain (follow nextClass for the rest).
const MapClass* FirstMapClass();

// True when cls is base or derives from it.
bool IsDerivedFrom(const MapClass& cls, const MapClass& base);

}  // namespace tilvex
