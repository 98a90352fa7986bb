// The run-length decoder of Windows bitmaps (compression 1: 8-bit runs,
// compression 2: 4-bit runs). The input is read in byte pairs:
//   n > 0, v      n pixels of v (4-bit: the high nibble, then the low, ...)
//   0, 0          end of line: on to the start of the next row
//   0, 1          end of picture
//   0, 2, dx, dy  move dx pixels right and dy rows on
//   0, n >= 3     n literal pixels, then on to the next even input byte
// The output is a zeroed block of `height` rows of RowBytes(width, bits)
// bytes, bottom row first as the file stores it. Decoding stops at the end
// of the input or of the output, whichever comes first; nothing is written
// outside the block.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// `bits` must be 8 or 4; width and height must be positive.
std::vector<uint8_t> DecodeBitmapRle(std::span<const uint8_t> input, int32_t width, int32_t height,
                                     int32_t bits);
