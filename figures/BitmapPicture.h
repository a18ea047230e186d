// The picture object of picture figures: a device-independent bitmap read
// from and written to BMP file images.
//
// The picture keeps the bytes of the file image it was given and writes them
// back unchanged, so that a record reads back byte for byte. The exceptions
// keep every written image bounded by its headers alone:
// - a run-length-compressed image is decoded on load and kept (and written)
//   uncompressed with a 40-byte information header;
// - an image whose pixel offset disagrees with its headers (unused bytes
//   before the bits, an offset inside the headers, a core-header colour
//   table cut short by the offset) is kept without the unused bytes and with
//   the table padded to its full size;
// - a version 5 header that names a colour profile is kept naming none.
// Whenever the kept bytes differ from those read, the file header's size and
// pixel offset are rewritten to match them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/Canvas.h"

class TStream;

// The most memory one picture may take decoded (its kept file image and its
// pixels): what trusted image readers allow by default.
constexpr uint64_t MaxPictureBytes = uint64_t(256) << 20;
// The widest and tallest picture the reader takes, pixels.
constexpr int32_t MaxPictureSide = 32768;

// While one lives, the pictures decoded on its thread share Bytes of memory
// between them (nested allowances share the smaller rest); a picture that
// would take more than is left is refused (EPicturesTooLarge) before it is
// decoded. Without one, only MaxPictureBytes bounds a picture.
class TPictureAllowance {
 public:
  enum TScope { asNested, asApart };
  // asApart: an allowance of its own, which the allowances around it do not
  // see spent (a picture decoded only to be checked, then dropped).
  explicit TPictureAllowance(uint64_t Bytes, TScope Scope = asNested);
  ~TPictureAllowance();
  TPictureAllowance(const TPictureAllowance&) = delete;
  TPictureAllowance& operator=(const TPictureAllowance&) = delete;

  uint64_t Remaining() const { return FRemaining; }
  // Refuses Bytes when more than is left, else takes them here and in every
  // allowance around this one.
  static void Spend(uint64_t Bytes);

 private:
  TPictureAllowance* FPrevious;  // the allowance current before this one
  TPictureAllowance* FOuter;     // the one that shares what is spent here
  uint64_t FRemaining;
};

class TBitmapPicture {
 public:
  bool Empty() const { return FPixels.Empty(); }
  int32_t Width() const { return FPixels.Width; }
  int32_t Height() const { return FPixels.Height; }

  // Off in a new picture. The transparent colour is the bottom-left pixel,
  // but white for a two-colour (1 bit per pixel) picture.
  bool Transparent() const { return FTransparent; }
  // Marks the picture modified only when the value changes.
  void SetTransparent(bool Value);
  uint32_t TransparentColor() const;  // 0x00RRGGBB; 0 for an empty picture

  // False in a new picture; true from the first image loaded or the first
  // switch of transparency on, never reset.
  bool Modified() const { return FModified; }

  // Reads one BMP file image from the stream's position, consuming exactly
  // the bytes its headers bound (and unused bytes before the bits that its
  // pixel offset skips). Not a BMP image, or one this reader refuses (among
  // them a run-length image of more pixels than its runs could cover, 128 a
  // byte of data, beyond 4096 pixels; EPictureTooLarge for one that would
  // take more than MaxPictureBytes decoded):
  // EInvalidGraphic ("Bitmap image is not valid"); the stream ends inside
  // it: EReadError. On failure the picture keeps its previous image and the
  // stream its position.
  void LoadFromStream(TStream& Stream);
  // Writes the file image; an empty picture writes nothing.
  void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  // An empty picture gives an empty file.
  void SaveToFile(const std::string& FileName) const;

  // The memory the picture takes: its file image and its decoded pixels.
  uint64_t MemoryBytes() const { return FFileImage.size() + FPixels.Bytes(); }

  // Discards the image; the transparency and modified flags stay.
  void Clear();

  // The decoded pixels, rows top to bottom.
  const TPixelImage& Pixels() const { return FPixels; }
  // The BMP file image written by SaveToStream.
  const std::vector<uint8_t>& FileImage() const { return FFileImage; }

  // Stretches the picture into Dest (corners as given), leaving out the
  // transparent colour when transparency is on.
  void Draw(TCanvas& Canvas, const TRect& Dest) const;

 private:
  std::vector<uint8_t> FFileImage;
  TPixelImage FPixels;
  int FBitCount = 0;  // bits per pixel of the kept image; 0 when empty
  bool FTransparent = false;
  bool FModified = false;
};
