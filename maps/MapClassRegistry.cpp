#include "maps/MapClassRegistry.h"

#include <new>

#include "maps/HexMap.h"
#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"
#include "maps/SqrMap.h"

namespace tilvex {

namespace {

constexpr unsigned kMapSchema = 2;

// The registry is a chain threaded through the descriptors themselves, so
// entering a class needs no storage and no ordering among static initialisers.
constinit const MapClass* registryHead = nullptr;

template <typename T>
void ConstructInPlace(void* storage)
{
    if (storage) ::new (storage) T();
}

#define TILVEX_MAP_CLASS(T)                                                                                 \
    constinit MapClass class##T = {#T, static_cast<int>(sizeof(T)), kMapSchema, &ConstructInPlace<T>, &classCObject, \
                                   nullptr}

TILVEX_MAP_CLASS(SqrMap);
TILVEX_MAP_CLASS(HexMap);
TILVEX_MAP_CLASS(MapSixFourTwelve);
TILVEX_MAP_CLASS(MapFourEight);
TILVEX_MAP_CLASS(MapThreeTwelve);

#undef TILVEX_MAP_CLASS

// Static initialisers enter each class at program start.
struct ClassRegistration {
    explicit ClassRegistration(MapClass& cls)
    {
        cls.nextClass = registryHead;
        registryHead = &cls;
    }
};

const ClassRegistration registerSqrMap(classSqrMap);
const ClassRegistration registerHexMap(classHexMap);
const ClassRegistration registerSixFourTwelve(classMapSixFourTwelve);
const ClassRegistration registerFourEight(classMapFourEight);
const ClassRegistration registerThreeTwelve(classMapThreeTwelve);

}  // namespace

const MapClass classCObject = {"CObject", 0, 0xFFFF, nullptr, nullptr, nullptr};

template <>
const MapClass& RuntimeClassOf<SqrMap>() { return classSqrMap; }
template <>
const MapClass& RuntimeClassOf<HexMap>() { return classHexMap; }
template <>
const MapClass& RuntimeClassOf<MapSixFourTwelve>() { return classMapSixFourTwelve; }
template <>
const MapClass& RuntimeClassOf<MapFourEight>() { return classMapFourEight; }
template <>
const MapClass& RuntimeClassOf<MapThreeTwelve>() { return classMapThreeTwelve; }

const MapClass* FindMapClass(std::string_view name)
{
    for (const MapClass* cls = registryHead; cls; cls = cls->nextClass)
        if (cls->className && name == cls->className) return cls;
    return nullptr;
}

const MapClass* FirstMapClass() { return registryHead; }

bool IsDerivedFrom(const MapClass& cls, const MapClass& base)
{
    for (const MapClass* c = &cls; c; c = c->baseClass)
        if (c == &base) return true;
    return false;
}

}  // namespace tilvex
