#pragma once
// The two pictures laid on the balls, as 8-bit bitmap file images built into the program.

#include "winrt/BitmapFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace render {

inline constexpr size_t kBallImageBitsOffset = size_t(winrt::bitmapHeaderBytes(8));

inline constexpr size_t kShadeImageWidth = 21;
inline constexpr size_t kShadeImageHeight = 25;
inline constexpr size_t kShadeImageBytes = kBallImageBitsOffset + 24 * kShadeImageHeight; // 1678

inline constexpr size_t kMarkImageWidth = 33;
inline constexpr size_t kMarkImageHeight = 33;
inline constexpr size_t kMarkImageBytes = kBallImageBitsOffset + 36 * kMarkImageHeight; // 2266

// The blue shading copied onto every ball, 5 pixels in from the ball's corner: brighter
// towards a flat core and towards the right, black corner pixels on the left.
std::span<const uint8_t> shadeImage();

// A green-shaded disc 33 pixels across with a red capital A, on black: ORed over the balls of
// the first zinc blende species so that its black surround leaves the ball untouched.
std::span<const uint8_t> markImage();

} // namespace render
