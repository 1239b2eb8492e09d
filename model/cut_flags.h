#pragma once

#include <cstdint>

// CutStateFlags bits.
inline constexpr uint32_t kStateUnsaved = 1u << 1;        // asks to save on close
inline constexpr uint32_t kStateContentChanged = 1u << 2;  // compiled form must be rebuilt
inline constexpr uint32_t kStateTimingChanged = 1u << 3;   // compiled timing must be patched
inline constexpr uint32_t kStateAntiAliasShift = 4;        // bits 4-5
inline constexpr uint32_t kStateAntiAliasMask = 3u << kStateAntiAliasShift;

// Every structural or pixel change; timing and placement changes only.
inline constexpr uint32_t kChangeContent = kStateUnsaved | kStateContentChanged | kStateTimingChanged;
inline constexpr uint32_t kChangeTiming = kStateUnsaved | kStateTimingChanged;

// Anti-aliasing choice: output size full, 1/2 or 1/4.
enum class AntiAlias : int32_t { kFull = 0, kHalf = 1, kQuarter = 2 };

// DisplayFlags bits.
inline constexpr uint32_t kShowPreviousCell = 1u << 0;
inline constexpr uint32_t kShowNextCell = 1u << 1;
inline constexpr uint32_t kCurrentCellOnly = 1u << 2;
inline constexpr uint32_t kOtherLayersPale = 1u << 3;
inline constexpr uint32_t kLayerLimitShift = 4;  // bits 4-9: layers to draw, 0 = all
inline constexpr uint32_t kLayerLimitMask = 0x3Fu << kLayerLimitShift;
