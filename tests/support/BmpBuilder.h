// BMP file images written out by hand from the published layout, as an
// independent reference for the picture reader and the records that embed
// pictures.
#pragma once

#include <cstdint>
#include <vector>

namespace bmp {

inline void PutU16(std::vector<uint8_t>& B, uint16_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

inline void PutU32(std::vector<uint8_t>& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back(uint8_t(V >> (8 * i)));
}

// A bottom-up 24-bit BI_RGB image; Pixels are 0x00RRGGBB, rows top to
// bottom.
inline std::vector<uint8_t> Rgb24(int32_t Width, int32_t Height, const std::vector<uint32_t>& Pixels) {
  const uint32_t stride = uint32_t((Width * 24 + 31) / 32 * 4);
  const uint32_t bits = stride * uint32_t(Height);
  std::vector<uint8_t> b{'B', 'M'};
  PutU32(b, 14 + 40 + bits);
  PutU32(b, 0);
  PutU32(b, 14 + 40);
  PutU32(b, 40);
  PutU32(b, uint32_t(Width));
  PutU32(b, uint32_t(Height));
  PutU16(b, 1);
  PutU16(b, 24);
  PutU32(b, 0);  // BI_RGB
  PutU32(b, bits);
  PutU32(b, 2835);
  PutU32(b, 2835);
  PutU32(b, 0);
  PutU32(b, 0);
  for (int32_t y = Height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < Width; ++x) {
      const uint32_t p = Pixels[size_t(y * Width + x)];
      b.push_back(uint8_t(p));
      b.push_back(uint8_t(p >> 8));
      b.push_back(uint8_t(p >> 16));
    }
    for (uint32_t pad = uint32_t(Width) * 3; pad < stride; ++pad) b.push_back(0);
  }
  return b;
}

}  // namespace bmp
