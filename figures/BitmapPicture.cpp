#include "figures/BitmapPicture.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

// Bounds on the decoded image. Uncompressed bits are as large as the image,
// so the data backs it; run-length data can describe a huge image in a few
// bytes (an end-of-bitmap code leaves the rest undefined), so a run-length
// image may be no larger than runs of its data could cover: a run codes at
// most 255 pixels in 2 bytes. Tiny images are exempt, so that a sparse
// icon still loads.
constexpr int64_t MaxDimension = MaxPictureSide;
constexpr int64_t MaxPixels = int64_t(1) << 26;
constexpr int64_t MaxRunLengthPixelsPerByte = 128;
constexpr int64_t RunLengthPixelsAlwaysAllowed = 4096;

constexpr size_t FileHeaderSize = 14;
constexpr size_t BfSizeOffset = 2;
constexpr size_t BfOffBitsOffset = 10;

// Information header variants by their size field.
constexpr uint32_t CoreHeaderSize = 12;  // 16-bit width, height, planes, bit count
constexpr uint32_t Os2ShortHeaderSize = 16;  // OS/2 2.x header cut after the bit count
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t Os2HeaderSize = 64;  // compression 3 and 4 mean other things there
constexpr uint32_t V5HeaderSize = 124;

constexpr uint32_t biRGB = 0;
constexpr uint32_t biRLE8 = 1;
constexpr uint32_t biRLE4 = 2;
constexpr uint32_t biBitFields = 3;

// Colour space fields of the version 5 header. A profile lies outside the
// bytes the headers bound, so a kept image never refers to one.
constexpr size_t V5CSTypeOffset = 56;
constexpr size_t V5ProfileDataOffset = 112;
constexpr size_t V5ProfileSizeOffset = 116;
constexpr uint32_t LCS_sRGB = 0x73524742;  // 'sRGB'
constexpr uint32_t PROFILE_LINKED = 0x4C494E4B;  // 'LINK'
constexpr uint32_t PROFILE_EMBEDDED = 0x4D424544;  // 'MBED'

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

bool KnownHeaderSize(uint32_t Size) {
  switch (Size) {
    case CoreHeaderSize:
    case Os2ShortHeaderSize:
    case InfoHeaderSize:
    case 52:
    case 56:
    case Os2HeaderSize:
    case 108:
    case V5HeaderSize:
      return true;
    default:
      return false;
  }
}

// The headers that carry the three colour masks at offsets 40, 44 and 48.
bool HeaderHoldsMasks(uint32_t Size) { return Size == 52 || Size == 56 || Size == 108 || Size == V5HeaderSize; }

// The fields of any information header variant; absent fields are 0.
struct TInfoHeader {
  uint32_t Size = 0;
  int64_t Width = 0;
  int64_t Height = 0;  // negative: rows stored top-down
  uint16_t Planes = 0;
  uint16_t BitCount = 0;
  uint32_t Compression = biRGB;
  uint32_t SizeImage = 0;
  uint32_t ClrUsed = 0;
  uint32_t Masks[3] = {};  // red, green, blue
};

TInfoHeader ParseInfoHeader(const std::vector<uint8_t>& Bytes) {
  const uint8_t* p = Bytes.data();
  TInfoHeader h;
  h.Size = uint32_t(Bytes.size());
  if (h.Size == CoreHeaderSize) {
    h.Width = Get16(p + 4);
    h.Height = Get16(p + 6);
    h.Planes = Get16(p + 8);
    h.BitCount = Get16(p + 10);
    return h;
  }
  h.Width = int32_t(Get32(p + 4));
  h.Height = int32_t(Get32(p + 8));
  h.Planes = Get16(p + 12);
  h.BitCount = Get16(p + 14);
  if (h.Size >= InfoHeaderSize) {
    h.Compression = Get32(p + 16);
    h.SizeImage = Get32(p + 20);
    h.ClrUsed = Get32(p + 32);
  }
  if (HeaderHoldsMasks(h.Size))
    for (int i = 0; i < 3; ++i) h.Masks[i] = Get32(p + 40 + 4 * i);
  return h;
}

// What the pixel decoder needs; the image is Width x Height with Height > 0.
struct TFormat {
  int64_t Width = 0;
  int64_t Height = 0;
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Masks[3] = {};
  size_t EntrySize = 4;  // bytes per colour table entry
  uint64_t Stride = 0;  // bytes per stored row, padded to 4
};

// Checks the header against what the decoder supports; throws
// EInvalidGraphic. Masks are filled only later, once they are read.
TFormat CheckHeader(const TInfoHeader& h) {
  if (h.Planes != 1) throw EInvalidGraphic();
  switch (h.BitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: throw EInvalidGraphic();
  }
  TFormat f;
  f.Width = h.Width;
  f.TopDown = h.Height < 0;
  f.Height = f.TopDown ? -h.Height : h.Height;
  if (f.Width <= 0 || f.Height <= 0 || f.Width > MaxDimension || f.Height > MaxDimension ||
      f.Width * f.Height > MaxPixels)
    throw EInvalidGraphic();
  f.BitCount = h.BitCount;
  switch (h.Compression) {
    case biRGB:
      break;
    case biRLE8:
    case biRLE4:
      // Run-length rows are always bottom-up, and only SizeImage bounds them.
      if (h.BitCount != (h.Compression == biRLE8 ? 8 : 4) || f.TopDown || h.SizeImage == 0)
        throw EInvalidGraphic();
      if (f.Width * f.Height >
          std::max(RunLengthPixelsAlwaysAllowed, MaxRunLengthPixelsPerByte * int64_t(h.SizeImage)))
        throw EInvalidGraphic();
      break;
    case biBitFields:
      if ((h.BitCount != 16 && h.BitCount != 32) || (h.Size != InfoHeaderSize && !HeaderHoldsMasks(h.Size)))
        throw EInvalidGraphic();
      break;
    default:
      throw EInvalidGraphic();
  }
  f.EntrySize = h.Size == CoreHeaderSize ? 3 : 4;
  f.Stride = ((uint64_t(f.Width) * uint64_t(f.BitCount) + 31) / 32) * 4;
  return f;
}

// Bit-field images take their masks from after a 40-byte header or from
// inside a longer one; others use 5-5-5 for 16 bits and 8-8-8 for 32.
void SetMasks(TFormat& f, const TInfoHeader& h, const uint8_t* FollowingMasks, bool MasksFollow) {
  static constexpr uint32_t Default16[3] = {0x7C00, 0x03E0, 0x001F};
  static constexpr uint32_t Default32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (int i = 0; i < 3; ++i) {
    if (MasksFollow)
      f.Masks[i] = Get32(FollowingMasks + 4 * i);
    else if (h.Compression == biBitFields)
      f.Masks[i] = h.Masks[i];
    else
      f.Masks[i] = f.BitCount == 16 ? Default16[i] : f.BitCount == 32 ? Default32[i] : 0;
  }
}

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
class TChannel {
 public:
  explicit TChannel(uint32_t Mask)
      : FMask(Mask), FShift(Mask == 0 ? 0 : std::countr_zero(Mask)), FMax(uint64_t(Mask) >> FShift) {}
  uint32_t operator()(uint32_t Pixel) const {
    if (FMax == 0) return 0;
    const uint64_t v = (Pixel & FMask) >> FShift;
    return uint32_t((v * 255 + FMax / 2) / FMax);
  }

 private:
  uint32_t FMask;
  int FShift;
  uint64_t FMax;
};

// Bits holds Height rows of Stride bytes in stored order; the result is top
// to bottom. Indices beyond the colour table give black.
TPixelImage DecodePixels(const TFormat& f, std::span<const uint8_t> Palette, std::span<const uint8_t> Bits) {
  std::vector<uint32_t> colours(Palette.size() / f.EntrySize);
  for (size_t i = 0; i < colours.size(); ++i) {
    const uint8_t* e = Palette.data() + i * f.EntrySize;
    colours[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
  }
  const TChannel red(f.Masks[0]), green(f.Masks[1]), blue(f.Masks[2]);
  const auto masked = [&](uint32_t v) { return (red(v) << 16) | (green(v) << 8) | blue(v); };

  TPixelImage image;
  image.Width = int32_t(f.Width);
  image.Height = int32_t(f.Height);
  const size_t width = size_t(f.Width);
  const auto row = [&](int64_t Stored) { return size_t(f.TopDown ? Stored : f.Height - 1 - Stored) * width; };
  if (f.BitCount <= 8) {
    // One byte per pixel; the entries the table lacks are black.
    image.Palette.assign(256, 0);
    std::copy_n(colours.begin(), std::min<size_t>(colours.size(), 256), image.Palette.begin());
    image.Indices.resize(size_t(f.Width * f.Height));
    const unsigned bits = unsigned(f.BitCount);
    const unsigned mask = (1u << bits) - 1;
    for (int64_t r = 0; r < f.Height; ++r) {
      const uint8_t* src = Bits.data() + uint64_t(r) * f.Stride;
      uint8_t* dst = image.Indices.data() + row(r);
      if (bits == 8) {
        std::memcpy(dst, src, width);
        continue;
      }
      // The leftmost pixel in the most significant bits.
      for (size_t x = 0; x < width; ++x) {
        const size_t bit = x * bits;
        dst[x] = uint8_t((src[bit / 8] >> (8 - bits - bit % 8)) & mask);
      }
    }
    return image;
  }
  image.Pixels.resize(size_t(f.Width * f.Height));
  for (int64_t r = 0; r < f.Height; ++r) {
    const uint8_t* src = Bits.data() + uint64_t(r) * f.Stride;
    uint32_t* dst = image.Pixels.data() + row(r);
    switch (f.BitCount) {
      case 16:
        for (size_t x = 0; x < width; ++x) dst[x] = masked(Get16(src + 2 * x));
        break;
      case 24:
        for (size_t x = 0; x < width; ++x)
          dst[x] = (uint32_t(src[3 * x + 2]) << 16) | (uint32_t(src[3 * x + 1]) << 8) | src[3 * x];
        break;
      default:
        for (size_t x = 0; x < width; ++x) dst[x] = masked(Get32(src + 4 * x));
        break;
    }
  }
  return image;
}

// Expands RLE8 or RLE4 data into zeroed bottom-up rows of f.Stride bytes:
// pixels the data skips keep index 0. Runs past a row's end or above the
// top row, deltas leaving the image and cut absolute runs are refused; data
// that ends without the end-of-bitmap code leaves the rest as it is.
void ExpandRunLength(const TFormat& f, std::span<const uint8_t> Data, uint8_t* Bits) {
  const bool rle8 = f.BitCount == 8;
  const auto put = [&](int64_t x, int64_t y, unsigned index) {
    uint8_t* row = Bits + uint64_t(y) * f.Stride;
    if (rle8) {
      row[x] = uint8_t(index);
    } else {
      uint8_t& b = row[x / 2];
      b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F)) : uint8_t((b & 0x0F) | (index << 4));
    }
  };
  size_t p = 0;
  int64_t x = 0;
  int64_t y = 0;
  while (Data.size() - p >= 2) {
    const unsigned count = Data[p];
    const unsigned value = Data[p + 1];
    p += 2;
    if (count > 0) {
      if (y >= f.Height || x + count > f.Width) throw EInvalidGraphic();
      for (unsigned i = 0; i < count; ++i) put(x + i, y, rle8 ? value : (i & 1) ? value & 0x0F : value >> 4);
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta: move right and up
      if (Data.size() - p < 2) throw EInvalidGraphic();
      x += Data[p];
      y += Data[p + 1];
      p += 2;
      if (x > f.Width || y > f.Height) throw EInvalidGraphic();
    } else {  // absolute run of value pixels, padded to a 16-bit boundary
      const size_t bytes = rle8 ? value : (value + 1) / 2;
      if (Data.size() - p < bytes || y >= f.Height || x + value > f.Width) throw EInvalidGraphic();
      for (unsigned i = 0; i < value; ++i)
        put(x + i, y, rle8 ? Data[p + i] : (i & 1) ? Data[p + i / 2] & 0x0F : Data[p + i / 2] >> 4);
      x += value;
      p += std::min(bytes + (bytes & 1), Data.size() - p);
    }
  }
}

struct TLoadedImage {
  std::vector<uint8_t> FileImage;
  TPixelImage Pixels;
  int BitCount = 0;
};

// Rebuilds a run-length image uncompressed behind a 40-byte header, keeping
// its colour table, resolution and important-colour count.
TLoadedImage LoadRunLength(const TFormat& f, const std::vector<uint8_t>& Source, size_t PaletteOffset,
                           size_t PaletteBytes, size_t BitsOffset) {
  const uint8_t* info = Source.data() + FileHeaderSize;
  const uint32_t paletteCount = uint32_t(PaletteBytes / 4);
  const uint64_t bitsSize = f.Stride * uint64_t(f.Height);
  const size_t bitsOffset = FileHeaderSize + InfoHeaderSize + PaletteBytes;

  std::vector<uint8_t> image(bitsOffset + bitsSize, 0);
  uint8_t* p = image.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + BfSizeOffset, uint32_t(image.size()));
  Put32(p + BfOffBitsOffset, uint32_t(bitsOffset));
  uint8_t* h = p + FileHeaderSize;
  Put32(h, InfoHeaderSize);
  Put32(h + 4, uint32_t(f.Width));
  Put32(h + 8, uint32_t(f.Height));
  Put16(h + 12, 1);
  Put16(h + 14, uint16_t(f.BitCount));
  Put32(h + 16, biRGB);
  Put32(h + 20, uint32_t(bitsSize));
  std::memcpy(h + 24, info + 24, 8);  // pixels per metre
  Put32(h + 32, paletteCount);
  const uint32_t important = Get32(info + 36);
  Put32(h + 36, important <= paletteCount ? important : 0);
  std::memcpy(h + InfoHeaderSize, Source.data() + PaletteOffset, PaletteBytes);
  ExpandRunLength(f, std::span(Source).subspan(BitsOffset), image.data() + bitsOffset);

  TLoadedImage loaded;
  loaded.Pixels = DecodePixels(f, std::span(image).subspan(FileHeaderSize + InfoHeaderSize, PaletteBytes),
                               std::span(image).subspan(bitsOffset));
  loaded.FileImage = std::move(image);
  loaded.BitCount = f.BitCount;
  return loaded;
}

// Where the parts of a file image lie, in bytes from the start of the file
// header. The headers bound it as the class comment says; beyond that, the
// pixel offset of the file header is honoured where it points past the
// colour table (the gap is skipped) and, for the core header, which has no
// colour count of its own, where it cuts the table short.
struct TLayout {
  uint64_t MaskBytes = 0;  // masks after a 40-byte header
  uint64_t PaletteOffset = 0;
  uint64_t PaletteRead = 0;  // table bytes present in the stream
  uint64_t PaletteBytes = 0;  // table bytes kept: the whole stated table
  uint64_t Gap = 0;  // unused bytes skipped before the bits
  uint64_t BitsSize = 0;
  uint64_t BitsOffset() const { return PaletteOffset + PaletteBytes; }
  uint64_t ToRead() const { return MaskBytes + PaletteRead + Gap + BitsSize; }
};

TLayout PlanLayout(const TInfoHeader& h, const TFormat& f, uint32_t OffBits) {
  TLayout l;
  l.MaskBytes = h.Size == InfoHeaderSize && h.Compression == biBitFields ? 12 : 0;
  l.PaletteOffset = FileHeaderSize + h.Size + l.MaskBytes;
  const bool indexedDefault = f.BitCount == 1 || f.BitCount == 4 || f.BitCount == 8;
  const uint64_t count = h.ClrUsed != 0 ? h.ClrUsed : indexedDefault ? 1u << f.BitCount : 0;
  l.PaletteBytes = count * f.EntrySize;
  l.PaletteRead = l.PaletteBytes;
  if (OffBits > l.BitsOffset()) {
    l.Gap = OffBits - l.BitsOffset();
  } else if (OffBits >= l.PaletteOffset && OffBits < l.BitsOffset()) {
    // A stated colour count whose table runs into the pixels is a contradiction.
    if (h.Size != CoreHeaderSize) throw EInvalidGraphic();
    l.PaletteRead = (OffBits - l.PaletteOffset) / f.EntrySize * f.EntrySize;
    l.Gap = OffBits - l.PaletteOffset - l.PaletteRead;
  }
  if (f.BitCount <= 8 && l.PaletteRead == 0) throw EInvalidGraphic();

  const uint64_t rowsSize = f.Stride * uint64_t(f.Height);
  l.BitsSize = h.SizeImage != 0 ? h.SizeImage : rowsSize;
  const bool runLength = h.Compression == biRLE8 || h.Compression == biRLE4;
  if (!runLength && l.BitsSize < rowsSize) throw EInvalidGraphic();
  return l;
}

// A version 5 header may name a colour profile by its offset; that lies
// outside the bytes the headers bound, so the kept header names none and the
// pixels count as sRGB, which is how they are shown anyway. True when the
// header was changed.
bool DropProfileReference(uint8_t* Info, uint32_t HeaderSize) {
  if (HeaderSize != V5HeaderSize) return false;
  const uint32_t space = Get32(Info + V5CSTypeOffset);
  if (space != PROFILE_LINKED && space != PROFILE_EMBEDDED) return false;
  Put32(Info + V5CSTypeOffset, LCS_sRGB);
  Put32(Info + V5ProfileDataOffset, 0);
  Put32(Info + V5ProfileSizeOffset, 0);
  return true;
}

// The memory a picture will take once decoded: its kept file image (a
// run-length one kept uncompressed) and its pixels. Refused above
// MaxPictureBytes before anything large is allocated.
void CheckMemory(const TInfoHeader& h, const TFormat& f, const TLayout& l) {
  const bool runLength = h.Compression == biRLE8 || h.Compression == biRLE4;
  const uint64_t pixels = uint64_t(f.Width) * uint64_t(f.Height);
  const uint64_t kept = l.BitsOffset() + (runLength ? f.Stride * uint64_t(f.Height) : l.BitsSize);
  const uint64_t decoded = f.BitCount <= 8 ? pixels + 256 * 4 : pixels * 4;
  if (kept + decoded > MaxPictureBytes) throw EPictureTooLarge();
  TPictureAllowance::Spend(kept + decoded);
}

// Reads one file image at the stream's position. The kept bytes are those
// read, less a skipped gap, with a short core table padded with black; when
// they differ from the bytes read, or the pixel offset was wrong, the file
// header's size and pixel offset are rewritten to match them.
TLoadedImage ReadFileImage(TStream& Stream) {
  uint8_t fileHeader[FileHeaderSize];
  Stream.ReadBuffer(fileHeader, FileHeaderSize);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') throw EInvalidGraphic();
  const uint32_t headerSize = Stream.ReadUInt32();
  if (!KnownHeaderSize(headerSize)) throw EInvalidGraphic();
  std::vector<uint8_t> info(headerSize);
  Put32(info.data(), headerSize);
  Stream.ReadBuffer(info.data() + 4, headerSize - 4);
  const TInfoHeader h = ParseInfoHeader(info);
  TFormat f = CheckHeader(h);
  const uint32_t offBits = Get32(fileHeader + BfOffBitsOffset);
  const TLayout l = PlanLayout(h, f, offBits);
  if (l.ToRead() > uint64_t(Stream.Remaining())) throw EReadError();
  CheckMemory(h, f, l);

  const size_t bitsOffset = size_t(l.BitsOffset());
  std::vector<uint8_t> image;
  image.reserve(bitsOffset + size_t(l.BitsSize));
  image.insert(image.end(), fileHeader, fileHeader + FileHeaderSize);
  image.insert(image.end(), info.begin(), info.end());
  image.resize(size_t(l.PaletteOffset + l.PaletteRead));
  Stream.ReadBuffer(image.data() + FileHeaderSize + headerSize, size_t(l.MaskBytes + l.PaletteRead));
  Stream.Seek(Stream.Position() + int64_t(l.Gap));
  image.resize(bitsOffset + size_t(l.BitsSize), 0);
  Stream.ReadBuffer(image.data() + bitsOffset, size_t(l.BitsSize));

  SetMasks(f, h, image.data() + FileHeaderSize + headerSize, l.MaskBytes != 0);
  const bool profileDropped = DropProfileReference(image.data() + FileHeaderSize, headerSize);
  if (profileDropped || offBits != bitsOffset) {
    Put32(image.data() + BfSizeOffset, uint32_t(image.size()));
    Put32(image.data() + BfOffBitsOffset, uint32_t(bitsOffset));
  }

  const size_t paletteOffset = size_t(l.PaletteOffset);
  const size_t paletteBytes = size_t(l.PaletteBytes);
  if (h.Compression == biRLE8 || h.Compression == biRLE4)
    return LoadRunLength(f, image, paletteOffset, paletteBytes, bitsOffset);

  TLoadedImage loaded;
  loaded.Pixels = DecodePixels(f, std::span(image).subspan(paletteOffset, paletteBytes),
                               std::span(image).subspan(bitsOffset));
  loaded.FileImage = std::move(image);
  loaded.BitCount = f.BitCount;
  return loaded;
}

thread_local TPictureAllowance* CurrentAllowance = nullptr;

}  // namespace

TPictureAllowance::TPictureAllowance(uint64_t Bytes, TScope Scope)
    : FPrevious(CurrentAllowance),
      FOuter(Scope == asNested ? CurrentAllowance : nullptr),
      FRemaining(FOuter != nullptr ? std::min(Bytes, FOuter->FRemaining) : Bytes) {
  CurrentAllowance = this;
}

TPictureAllowance::~TPictureAllowance() { CurrentAllowance = FPrevious; }

void TPictureAllowance::Spend(uint64_t Bytes) {
  if (CurrentAllowance == nullptr) return;
  if (Bytes > CurrentAllowance->FRemaining) throw EPicturesTooLarge();
  for (TPictureAllowance* a = CurrentAllowance; a != nullptr; a = a->FOuter)
    a->FRemaining -= std::min(Bytes, a->FRemaining);
}

void TBitmapPicture::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  FModified = true;
}

uint32_t TBitmapPicture::TransparentColor() const {
  if (Empty()) return 0;
  // A two-colour picture leaves its white out, whichever pixel is where.
  if (FBitCount == 1) return 0x00FFFFFF;
  return FPixels.At(0, FPixels.Height - 1);
}

void TBitmapPicture::LoadFromStream(TStream& Stream) {
  const int64_t start = Stream.Position();
  try {
    TLoadedImage loaded = ReadFileImage(Stream);
    FFileImage = std::move(loaded.FileImage);
    FPixels = std::move(loaded.Pixels);
    FBitCount = loaded.BitCount;
    FModified = true;
  } catch (...) {
    Stream.Seek(start);
    throw;
  }
}

void TBitmapPicture::SaveToStream(TStream& Stream) const {
  if (Empty()) return;
  Stream.WriteBuffer(FFileImage.data(), FFileImage.size());
}

void TBitmapPicture::LoadFromFile(const std::string& FileName) {
  const std::vector<uint8_t> bytes = ReadFileBytes(FileName);
  TReadOnlyStream stream(bytes);
  LoadFromStream(stream);
}

void TBitmapPicture::SaveToFile(const std::string& FileName) const {
  WriteFileAtomically(FileName, Empty() ? std::span<const uint8_t>() : std::span<const uint8_t>(FFileImage));
}

void TBitmapPicture::Clear() {
  FFileImage.clear();
  FPixels = TPixelImage();
  FBitCount = 0;
}

void TBitmapPicture::Draw(TCanvas& Canvas, const TRect& Dest) const {
  if (Empty()) return;
  Canvas.StretchDraw(Dest, FPixels, FTransparent ? std::optional(TransparentColor()) : std::nullopt);
}
