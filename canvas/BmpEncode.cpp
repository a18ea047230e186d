#include "canvas/BmpEncode.h"

// The failure kinds are the model's, so that a caller handles this one like
// every other failure it reports.
#include "figures/Exceptions.h"

namespace {

constexpr uint32_t FileHeaderSize = 14;
constexpr uint32_t InfoHeaderSize = 40;

void Put16(std::vector<uint8_t>& Out, uint16_t Value) {
  Out.push_back(uint8_t(Value));
  Out.push_back(uint8_t(Value >> 8));
}

void Put32(std::vector<uint8_t>& Out, uint32_t Value) {
  Put16(Out, uint16_t(Value));
  Put16(Out, uint16_t(Value >> 16));
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const QImage& Picture) {
  const QImage image = Picture.convertToFormat(QImage::Format_RGB32);
  const uint64_t width = uint64_t(image.width()), height = uint64_t(image.height());
  const uint64_t stride = (width * 3 + 3) / 4 * 4;
  const uint64_t bitsSize = stride * height;
  const uint64_t fileSize = FileHeaderSize + InfoHeaderSize + bitsSize;
  if (fileSize > UINT32_MAX) throw EOutOfMemory();

  std::vector<uint8_t> out;
  out.reserve(size_t(fileSize));
  out.push_back('B');
  out.push_back('M');
  Put32(out, uint32_t(fileSize));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, FileHeaderSize + InfoHeaderSize);  // offset of the pixel bits
  Put32(out, InfoHeaderSize);
  Put32(out, uint32_t(width));
  Put32(out, uint32_t(height));  // positive: rows bottom-up
  Put16(out, 1);                 // planes
  Put16(out, 24);                // bits per pixel
  Put32(out, 0);                 // uncompressed
  Put32(out, uint32_t(bitsSize));
  Put32(out, 0);  // horizontal resolution unstated
  Put32(out, 0);  // vertical resolution unstated
  Put32(out, 0);  // no colour table
  Put32(out, 0);
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      out.push_back(uint8_t(qBlue(row[x])));
      out.push_back(uint8_t(qGreen(row[x])));
      out.push_back(uint8_t(qRed(row[x])));
    }
    out.resize(out.size() + size_t(stride - width * 3), 0);
  }
  return out;
}
