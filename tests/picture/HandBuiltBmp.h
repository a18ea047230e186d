// BMP file images written out field by field from the published layout, as
// an independent reference for the picture reader: the file header, a
// 40-byte or 12-byte information header, masks, colour table and bits, each
// appended as little-endian integers in layout order.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Appends little-endian fields.
class TBytes {
 public:
  TBytes& U8(uint8_t v) {
    FData.push_back(v);
    return *this;
  }
  TBytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  TBytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  TBytes& I32(int32_t v) { return U32(uint32_t(v)); }
  TBytes& Append(const std::vector<uint8_t>& v) {
    FData.insert(FData.end(), v.begin(), v.end());
    return *this;
  }
  TBytes& Fill(size_t Count, uint8_t v) {
    FData.insert(FData.end(), Count, v);
    return *this;
  }
  const std::vector<uint8_t>& Data() const { return FData; }

 private:
  std::vector<uint8_t> FData;
};

// The fields of one image; unset sizes and offsets are filled in as a
// correct writer would.
struct TBmpFields {
  bool Core = false;  // 12-byte header with 3-byte colour table entries
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t Planes = 1;
  uint16_t BitCount = 24;
  uint32_t Compression = 0;
  std::optional<uint32_t> SizeImage;  // default: Bits.size()
  int32_t XPelsPerMeter = 0;
  int32_t YPelsPerMeter = 0;
  uint32_t ClrUsed = 0;
  uint32_t ClrImportant = 0;
  std::vector<uint32_t> Masks;  // written after the 40-byte header when not empty
  std::vector<uint32_t> Palette;  // 0x00RRGGBB each
  uint32_t Gap = 0;  // unused bytes between the colour table and the bits
  std::optional<uint32_t> OffBits;  // default: where the bits start
  std::optional<uint32_t> FileSize;  // default: the total length
  std::vector<uint8_t> Bits;
};

inline std::vector<uint8_t> BuildBmp(const TBmpFields& s) {
  const uint32_t headerSize = s.Core ? 12 : 40;
  const uint32_t entrySize = s.Core ? 3 : 4;
  const uint32_t bitsOffset =
      14 + headerSize + 4 * uint32_t(s.Masks.size()) + entrySize * uint32_t(s.Palette.size()) + s.Gap;
  const uint32_t total = bitsOffset + uint32_t(s.Bits.size());
  TBytes b;
  b.U8('B').U8('M').U32(s.FileSize.value_or(total)).U16(0).U16(0).U32(s.OffBits.value_or(bitsOffset));
  if (s.Core) {
    b.U32(12).U16(uint16_t(s.Width)).U16(uint16_t(s.Height)).U16(s.Planes).U16(s.BitCount);
  } else {
    b.U32(40).I32(s.Width).I32(s.Height).U16(s.Planes).U16(s.BitCount).U32(s.Compression);
    b.U32(s.SizeImage.value_or(uint32_t(s.Bits.size()))).I32(s.XPelsPerMeter).I32(s.YPelsPerMeter);
    b.U32(s.ClrUsed).U32(s.ClrImportant);
  }
  for (uint32_t m : s.Masks) b.U32(m);
  for (uint32_t c : s.Palette) {
    b.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16));
    if (!s.Core) b.U8(0);
  }
  b.Fill(s.Gap, 0xEE);
  b.Append(s.Bits);
  return b.Data();
}
