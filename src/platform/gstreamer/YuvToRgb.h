#pragma once
// Turns a picture of full-size luma and colour planes (4:4:4) into RGB32
// (bytes B, G, R, 255), with the colour matrix and range it was made in.
#include <gst/video/video.h>

#include <cstdint>
#include <optional>

namespace mova {

// The conversion's coefficients in fixed point with 13 fractional bits. A
// sample shifted up by 7 times a coefficient, keeping the product's high 16
// bits, gives a value with 4 fractional bits.
struct TYuvMatrix {
  int16_t LumaOffset = 16;  // black's luma: 16, or 0 in full range
  int16_t Luma = 0;         // luma scale
  int16_t RedV = 0;
  int16_t GreenU = 0;       // subtracted
  int16_t GreenV = 0;       // subtracted
  int16_t BlueU = 0;
};

// The coefficients for a colorimetry; none for RGB or an unknown matrix.
std::optional<TYuvMatrix> YuvMatrixFor(const GstVideoColorimetry& colours);

// Converts `height` rows of `width` pixels. Out-of-gamut colours are clipped.
void YuvToRgb32(const TYuvMatrix& matrix, const uint8_t* y, int yStride, const uint8_t* u, int uStride,
                const uint8_t* v, int vStride, uint8_t* rgb, int rgbStride, int width, int height);

}  // namespace mova
