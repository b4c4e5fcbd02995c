#include "game/base/maps.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/base/files.h"
#include "game/base/globals.h"
#include "platform/system.h"

namespace zarn {

namespace {

constexpr std::size_t MaxMapFileSize = MapFileSize(MapMaxSize, MapMaxSize);

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

bool SizeOk(long w, long h) { return w >= 1 && w <= MapMaxSize && h >= 1 && h <= MapMaxSize; }

std::filesystem::path MapPath(std::string_view name) {
  std::string game = "maps\\";
  game += name;
  return NativePath(game);
}

void SetMinimapScales(int width, int height) {
  ViewState.MinimapScaleX = static_cast<float>(width * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(height * 0.025);
}

}  // namespace

void SetMapSizeAndClear(int width, int height) {
  if (width < 1 || width > MapMaxSize) ThrowRangeError(width, 1, MapMaxSize);
  if (height < 1 || height > MapMaxSize) ThrowRangeError(height, 1, MapMaxSize);
  GameMap.Width = static_cast<std::uint16_t>(width);
  GameMap.Height = static_cast<std::uint16_t>(height);
  // The whole grid: the cells beside a smaller map (which the edges' neighbour tests read) must
  // not keep the terrain of a larger map before it.
  std::memset(GameMap.Cells, 0, sizeof GameMap.Cells);
  TerrainChanged();
}

void ResetMapPlacements() {
  for (TMapPlacement& p : MapPlacements) p = TMapPlacement{PlacementEmpty, 0, 1, 1};
}

bool AddMapPlacement(std::uint8_t kind, std::uint16_t x, std::uint16_t y) {
  for (TMapPlacement& p : MapPlacements) {
    if (p.Kind != PlacementEmpty) continue;
    p = TMapPlacement{kind, 0, x, y};
    return true;
  }
  return false;
}

std::vector<std::uint8_t> EncodeMapFile() {
  const int w = GameMap.Width, h = GameMap.Height;
  if (!SizeOk(w, h)) return {};
  std::vector<std::uint8_t> out(MapFileSize(w, h));
  PutU16(&out[0], GameMap.Width);
  PutU16(&out[2], GameMap.Height);
  std::size_t at = 4;
  for (int y = 1; y <= h; ++y)
    for (int x = 1; x <= w; ++x) out[at++] = GameMap.Cell(x, y);
  std::memcpy(&out[at], MapPlacements.data(), sizeof(TMapPlacements));
  return out;
}

MapFileResult ApplyMapFile(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return MapFileResult::BadLength;
  const int w = GetU16(&bytes[0]), h = GetU16(&bytes[2]);
  if (!SizeOk(w, h)) return MapFileResult::BadSize;
  if (bytes.size() != MapFileSize(w, h)) return MapFileResult::BadLength;

  TMapPlacements list;
  std::memcpy(list.data(), bytes.data() + 4 + static_cast<std::size_t>(w) * h, sizeof(TMapPlacements));
  // Empty entries carry no position; the others must be a known kind inside the map, since the
  // world turns them into objects at those cells.
  for (const TMapPlacement& p : list) {
    if (p.Kind == PlacementEmpty) continue;
    if (p.Kind > PlacementBloom) return MapFileResult::BadPlacement;
    if (p.X < 1 || p.X > w || p.Y < 1 || p.Y > h) return MapFileResult::BadPlacement;
  }

  // Cleared whole first, as a new map is: nothing of a larger map before stays beside it.
  SetMapSizeAndClear(w, h);
  const std::uint8_t* terrain = bytes.data() + 4;
  for (int y = 1; y <= h; ++y)
    for (int x = 1; x <= w; ++x) GameMap.Cell(x, y) = terrain[(y - 1) * w + (x - 1)];
  TerrainChanged();
  MapPlacements = list;
  SetMinimapScales(w, h);
  return MapFileResult::Ok;
}

MapFileResult ReadMapFile(std::string_view name) {
  if (!IsPlainFileName(name)) return MapFileResult::BadName;
  // The length is judged before reading, so a huge file is never pulled into memory.
  std::vector<std::uint8_t> bytes;
  switch (plat::ReadRegularFile(MapPath(name), MaxMapFileSize, bytes)) {
    case plat::ReadResult::Ok: return ApplyMapFile(bytes);
    case plat::ReadResult::TooLarge: return MapFileResult::BadLength;
    default: return MapFileResult::CannotRead;
  }
}

MapFileResult SaveMapFile(std::string_view name) {
  if (!IsPlainFileName(name)) return MapFileResult::BadName;
  const std::vector<std::uint8_t> bytes = EncodeMapFile();
  if (bytes.empty()) return MapFileResult::BadSize;
  std::error_code ec;
  std::filesystem::create_directories(NativePath("maps"), ec);
  if (!ReplaceFileAtomically(MapPath(name), std::span<const std::uint8_t>(bytes))) return MapFileResult::CannotWrite;
  return MapFileResult::Ok;
}

}  // namespace zarn
