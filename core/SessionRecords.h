#pragma once

#include <cstddef>

#include "core/BinaryIO.h"

namespace tilvex {

class SqrMap;
class HexMap;
class MapSixFourTwelve;
class MapFourEight;
class MapThreeTwelve;
class WildCornerMap;

// Byte sizes of the parts of a ".qlt" file, in file order.
inline constexpr std::size_t kSessionHeaderBytes = 198;
inline constexpr std::size_t kSquareRecordBytes = 368;
inline constexpr std::size_t kHexRecordBytes = 3444;
inline constexpr std::size_t kGridRecordFixedBytes = 6;  // plus 2 per cell
inline constexpr std::size_t kFourSixTwelveRecordBytes = 976;
inline constexpr std::size_t kFourEightRecordBytes = 704;
inline constexpr std::size_t kThreeTwelveRecordBytes = 792;
inline constexpr std::size_t kWildCornerRecordFixedBytes = 36;  // plus 16 per stored amplitude
inline constexpr std::size_t kPaletteRecordBytes = 1024;
inline constexpr std::size_t kClosingBytes = 2;

// Limits a loaded Wild Corner record must respect.
inline constexpr int kWildCornerMinN = 3;
inline constexpr int kWildCornerMaxN = 42;
inline constexpr int kWildCornerMaxDepth = 12;

// Length of a session file with this grid width and Wild Corner rows x depth.
constexpr std::size_t SessionFileBytes(int gridWidth, int rowCount, int depth)
{
    return kSessionHeaderBytes + kSquareRecordBytes + kHexRecordBytes + kGridRecordFixedBytes +
           2 * static_cast<std::size_t>(gridWidth) * static_cast<std::size_t>(gridWidth) +
           kFourSixTwelveRecordBytes + kFourEightRecordBytes + kThreeTwelveRecordBytes + kWildCornerRecordFixedBytes +
           16 * static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(depth) + kPaletteRecordBytes +
           kClosingBytes;
}

// Each map's record. Reading leaves the map partly read when the reader
// fails, so loads read into a copy first.
void TransferRecord(ByteWriter& io, SqrMap& map);
void TransferRecord(ByteReader& io, SqrMap& map);
void TransferRecord(ByteWriter& io, HexMap& map);
void TransferRecord(ByteReader& io, HexMap& map);
void TransferRecord(ByteWriter& io, MapSixFourTwelve& map);
void TransferRecord(ByteReader& io, MapSixFourTwelve& map);
void TransferRecord(ByteWriter& io, MapFourEight& map);
void TransferRecord(ByteReader& io, MapFourEight& map);
void TransferRecord(ByteWriter& io, MapThreeTwelve& map);
void TransferRecord(ByteReader& io, MapThreeTwelve& map);
void TransferRecord(ByteWriter& io, WildCornerMap& map);
void TransferRecord(ByteReader& io, WildCornerMap& map);

}  // namespace tilvex
