#pragma once
// The menu's transparency steps and the window's alpha value (0 = invisible,
// 255 = opaque). Both directions round to the nearest integer, halves to the even
// neighbour, so each of the ten steps maps to its own alpha value and back.

#include <cstdint>

// Alpha value for a transparency in percent: 255 - percent / 100 * 255, e.g. 10 % -> 230
// (229.5 rounded to even), 50 % -> 128. Percentages outside 0..100 are clamped.
std::uint8_t AlphaForTransparency(int percent);

// Transparency in whole percent that an alpha value stands for: (255 - alpha) / 255 * 100.
int TransparencyOfAlpha(std::uint8_t alpha);
