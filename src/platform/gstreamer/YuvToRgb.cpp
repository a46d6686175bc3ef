#include "platform/gstreamer/YuvToRgb.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mova {

namespace {

// A coefficient with 13 fractional bits; every one used is below 4.
int16_t Fixed(double value) { return static_cast<int16_t>(std::lround(value * 8192.0)); }

// The high half of a 16 x 16-bit product, as the vector multiply gives it.
int MulHigh(int a, int b) { return (a * b) >> 16; }

uint8_t ToByte(int value) { return static_cast<uint8_t>(std::clamp((value + 8) >> 4, 0, 255)); }

// One pixel; the vector code below computes exactly this, lane by lane.
void Pixel(const TYuvMatrix& m, int y, int u, int v, uint8_t* out) {
  const int luma = MulHigh((y - m.LumaOffset) << 7, m.Luma);
  const int cb = (u - 128) * 128;
  const int cr = (v - 128) * 128;
  out[0] = ToByte(luma + MulHigh(cb, m.BlueU));
  out[1] = ToByte(luma - MulHigh(cb, m.GreenU) - MulHigh(cr, m.GreenV));
  out[2] = ToByte(luma + MulHigh(cr, m.RedV));
  out[3] = 255;
}

#if defined(__SSE2__)
struct TVectorMatrix {
  __m128i LumaOffset, Luma, RedV, GreenU, GreenV, BlueU, Half, Middle, Opaque, Zero;
  explicit TVectorMatrix(const TYuvMatrix& m)
      : LumaOffset(_mm_set1_epi16(m.LumaOffset)),
        Luma(_mm_set1_epi16(m.Luma)),
        RedV(_mm_set1_epi16(m.RedV)),
        GreenU(_mm_set1_epi16(m.GreenU)),
        GreenV(_mm_set1_epi16(m.GreenV)),
        BlueU(_mm_set1_epi16(m.BlueU)),
        Half(_mm_set1_epi16(8)),
        Middle(_mm_set1_epi16(128)),
        Opaque(_mm_set1_epi8(static_cast<char>(0xff))),
        Zero(_mm_setzero_si128()) {}
};

// Eight pixels' blue, green and red as 16-bit values before clipping.
inline void EightPixels(const TVectorMatrix& m, __m128i y, __m128i u, __m128i v, __m128i& b, __m128i& g,
                        __m128i& r) {
  const __m128i luma = _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(y, m.LumaOffset), 7), m.Luma);
  const __m128i cb = _mm_slli_epi16(_mm_sub_epi16(u, m.Middle), 7);
  const __m128i cr = _mm_slli_epi16(_mm_sub_epi16(v, m.Middle), 7);
  b = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(luma, _mm_mulhi_epi16(cb, m.BlueU)), m.Half), 4);
  g = _mm_sub_epi16(_mm_sub_epi16(luma, _mm_mulhi_epi16(cb, m.GreenU)), _mm_mulhi_epi16(cr, m.GreenV));
  g = _mm_srai_epi16(_mm_add_epi16(g, m.Half), 4);
  r = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(luma, _mm_mulhi_epi16(cr, m.RedV)), m.Half), 4);
}

// Sixteen pixels, written as 64 bytes.
inline void SixteenPixels(const TVectorMatrix& m, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                          uint8_t* out) {
  const __m128i y8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
  const __m128i u8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u));
  const __m128i v8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
  __m128i b0, g0, r0, b1, g1, r1;
  EightPixels(m, _mm_unpacklo_epi8(y8, m.Zero), _mm_unpacklo_epi8(u8, m.Zero), _mm_unpacklo_epi8(v8, m.Zero), b0,
              g0, r0);
  EightPixels(m, _mm_unpackhi_epi8(y8, m.Zero), _mm_unpackhi_epi8(u8, m.Zero), _mm_unpackhi_epi8(v8, m.Zero), b1,
              g1, r1);
  // Clipped to bytes, then interleaved as B, G, R, 255.
  const __m128i b = _mm_packus_epi16(b0, b1);
  const __m128i g = _mm_packus_epi16(g0, g1);
  const __m128i r = _mm_packus_epi16(r0, r1);
  const __m128i bgLow = _mm_unpacklo_epi8(b, g);
  const __m128i bgHigh = _mm_unpackhi_epi8(b, g);
  const __m128i raLow = _mm_unpacklo_epi8(r, m.Opaque);
  const __m128i raHigh = _mm_unpackhi_epi8(r, m.Opaque);
  auto* target = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(target, _mm_unpacklo_epi16(bgLow, raLow));
  _mm_storeu_si128(target + 1, _mm_unpackhi_epi16(bgLow, raLow));
  _mm_storeu_si128(target + 2, _mm_unpacklo_epi16(bgHigh, raHigh));
  _mm_storeu_si128(target + 3, _mm_unpackhi_epi16(bgHigh, raHigh));
}
#endif

}  // namespace

std::optional<TYuvMatrix> YuvMatrixFor(const GstVideoColorimetry& colours) {
  gdouble kr = 0.0;
  gdouble kb = 0.0;
  if (!gst_video_color_matrix_get_Kr_Kb(colours.matrix, &kr, &kb)) return std::nullopt;
  // Full range uses every code; otherwise luma spans 16-235 and colour 16-240.
  const bool full = colours.range == GST_VIDEO_COLOR_RANGE_0_255;
  const double lumaScale = full ? 1.0 : 255.0 / 219.0;
  const double colourScale = full ? 1.0 : 255.0 / 224.0;
  const double kg = 1.0 - kr - kb;
  TYuvMatrix matrix;
  matrix.LumaOffset = full ? 0 : 16;
  matrix.Luma = Fixed(lumaScale);
  matrix.RedV = Fixed(2.0 * (1.0 - kr) * colourScale);
  matrix.GreenU = Fixed(2.0 * kb * (1.0 - kb) / kg * colourScale);
  matrix.GreenV = Fixed(2.0 * kr * (1.0 - kr) / kg * colourScale);
  matrix.BlueU = Fixed(2.0 * (1.0 - kb) * colourScale);
  return matrix;
}

void YuvToRgb32(const TYuvMatrix& matrix, const uint8_t* y, int yStride, const uint8_t* u, int uStride,
                const uint8_t* v, int vStride, uint8_t* rgb, int rgbStride, int width, int height) {
#if defined(__SSE2__)
  const TVectorMatrix vector(matrix);
#endif
  for (int row = 0; row < height; ++row) {
    const uint8_t* yRow = y + static_cast<ptrdiff_t>(row) * yStride;
    const uint8_t* uRow = u + static_cast<ptrdiff_t>(row) * uStride;
    const uint8_t* vRow = v + static_cast<ptrdiff_t>(row) * vStride;
    uint8_t* out = rgb + static_cast<ptrdiff_t>(row) * rgbStride;
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width; x += 16) SixteenPixels(vector, yRow + x, uRow + x, vRow + x, out + 4 * x);
#endif
    for (; x < width; ++x) Pixel(matrix, yRow[x], uRow[x], vRow[x], out + 4 * x);
  }
}

}  // namespace mova
