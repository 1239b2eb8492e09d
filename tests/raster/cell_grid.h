#pragma once

// Cells written out as rows of hex digits, one digit a pixel, for expected values.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/cell_surface.h"

template <class Surface = CellSurface>
std::unique_ptr<Surface> GridCell(const std::vector<std::string>& rows) {
  auto cell = std::make_unique<Surface>();
  cell->Create(rows.empty() ? 0 : int32_t(rows[0].size()), int32_t(rows.size()), 0);
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      cell->SetPixel(int32_t(x), int32_t(y), std::stoi(std::string(1, rows[y][x]), nullptr, 16));
  return cell;
}

inline std::vector<std::string> GridOf(const RasterSurface& s) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < s.Height(); ++y) {
    std::string row;
    for (int32_t x = 0; x < s.Width(); ++x) row += "0123456789abcdef"[s.GetPixel(x, y) & 15];
    rows.push_back(row);
  }
  return rows;
}

template <class Surface = CellSurface>
std::unique_ptr<Surface> BlankCell(int32_t w, int32_t h, int fill = 0) {
  auto cell = std::make_unique<Surface>();
  cell->Create(w, h, fill);
  return cell;
}

// Random pixels drawn from `values`.
inline void Scatter(RasterSurface& s, std::mt19937& rng, const std::vector<int>& values) {
  std::uniform_int_distribution<size_t> pick(0, values.size() - 1);
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) s.SetPixel(x, y, values[pick(rng)]);
}

// A cell that reports another colour count, so drawing takes the path through GetPixel and
// SetPixel instead of the packed one.
class UnpackedCell : public CellSurface {
 public:
  UnpackedCell() { colorCount_ = 17; }
};

inline void CopyPixels(const RasterSurface& from, RasterSurface& to) {
  for (int32_t y = 0; y < from.Height(); ++y)
    for (int32_t x = 0; x < from.Width(); ++x) to.SetPixel(x, y, from.GetPixel(x, y));
}
