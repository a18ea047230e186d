// Writes the seed corpora of the fuzz targets, built with the model itself so
// that they follow the formats as the program writes them:
//   OUT/container/     whole images: empty, one of each class, all classes,
//                      texts, pictures
//   OUT/figure_block/  a class name length, the name and the record, per
//                      class and per picture
//   OUT/bitmap/        small BMP file images built by hand
// Pictures are also taken from the BMP files of the folders given after OUT
// (those the reader accepts; others are skipped).
//
// Usage: kresta_fuzz_seeds OUT [BMP-FOLDER...]
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put16(Bytes& B, uint16_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

void Put32(Bytes& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back(uint8_t(V >> (8 * i)));
}

// A file image with a 40-byte information header (or the 12-byte core
// header), the given colour table (entries of 4 bytes, 3 for the core
// header) and pixel bits.
Bytes Bmp(int32_t Width, int32_t Height, uint16_t BitCount, const Bytes& Palette, const Bytes& Bits,
          uint32_t Compression = 0, const Bytes& Masks = {}, bool Core = false) {
  const uint32_t headerSize = Core ? 12 : 40;
  const uint32_t offBits = 14 + headerSize + uint32_t(Masks.size() + Palette.size());
  Bytes b{'B', 'M'};
  Put32(b, offBits + uint32_t(Bits.size()));
  Put32(b, 0);
  Put32(b, offBits);
  Put32(b, headerSize);
  if (Core) {
    Put16(b, uint16_t(Width));
    Put16(b, uint16_t(Height));
    Put16(b, 1);
    Put16(b, BitCount);
  } else {
    Put32(b, uint32_t(Width));
    Put32(b, uint32_t(Height));
    Put16(b, 1);
    Put16(b, BitCount);
    Put32(b, Compression);
    Put32(b, Compression == 1 || Compression == 2 ? uint32_t(Bits.size()) : 0);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
  }
  b.insert(b.end(), Masks.begin(), Masks.end());
  b.insert(b.end(), Palette.begin(), Palette.end());
  b.insert(b.end(), Bits.begin(), Bits.end());
  return b;
}

// Small pictures of every depth and layout the reader supports.
std::vector<std::pair<std::string, Bytes>> HandBuiltPictures() {
  std::vector<std::pair<std::string, Bytes>> p;
  p.emplace_back("rgb24-2x2", Bmp(2, 2, 24, {}, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}));
  p.emplace_back("rgb24-topdown", Bmp(2, -2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
  p.emplace_back("pal1-3x2", Bmp(3, 2, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}));
  p.emplace_back("pal1-core", Bmp(3, 2, 1, {0, 0, 0, 255, 255, 255}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, 0, {}, true));
  Bytes pal4;
  for (int i = 0; i < 16; ++i) Put32(pal4, uint32_t(i * 0x111111));
  p.emplace_back("pal4-4x1", Bmp(4, 1, 4, pal4, {0x01, 0x23, 0, 0}));
  Bytes pal8;
  for (int i = 0; i < 256; ++i) Put32(pal8, uint32_t(i * 0x010101));
  p.emplace_back("pal8-2x2", Bmp(2, 2, 8, pal8, {0, 255, 0, 0, 128, 64, 0, 0}));
  // Run-length: a run, an absolute run, end of line, a delta, end of bitmap.
  p.emplace_back("pal8-rle", Bmp(6, 3, 8, pal8, {2, 7, 0, 3, 9, 10, 11, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1}, 1));
  p.emplace_back("pal4-rle", Bmp(4, 2, 4, pal4, {4, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1}, 2));
  Bytes masks565;
  Put32(masks565, 0xF800);
  Put32(masks565, 0x07E0);
  Put32(masks565, 0x001F);
  p.emplace_back("rgb16-565", Bmp(2, 1, 16, {}, {0x00, 0xF8, 0xE0, 0x07}, 3, masks565));
  p.emplace_back("rgb16-555", Bmp(2, 1, 16, {}, {0x00, 0x7C, 0x1F, 0x00}));
  p.emplace_back("rgb32-2x1", Bmp(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  return p;
}

// The BMP files of a folder that the picture reader accepts.
std::vector<std::pair<std::string, Bytes>> PicturesIn(const fs::path& Folder) {
  std::vector<std::pair<std::string, Bytes>> p;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(Folder, error)) {
    if (entry.path().extension() != ".bmp") continue;
    try {
      const Bytes bytes = ReadFileBytes(entry.path().string());
      TReadOnlyStream stream(bytes);
      TBitmapPicture picture;
      picture.LoadFromStream(stream);
      p.emplace_back(entry.path().stem().string(), bytes);
    } catch (const EKrestaError&) {
    }
  }
  return p;
}

void Write(const fs::path& File, const Bytes& Data) {
  WriteFileAtomically(File.string(), Data);
}

template <typename T>
Bytes Saved(const T& Object) {
  TMemoryStream stream;
  Object.SaveToStream(stream);
  return stream.TakeData();
}

Bytes Block(const TBasicFigure& Figure) {
  const std::string name = Figure.ClassName();
  TMemoryStream stream;
  stream.WriteInt32(int32_t(name.size()));
  stream.WriteBuffer(name.data(), name.size());
  Figure.SaveToStream(stream);
  return stream.TakeData();
}

// A figure of the class with every stored attribute away from its default.
std::unique_ptr<TBasicFigure> Sample(const TFigureClass& Class, int Salt) {
  std::unique_ptr<TBasicFigure> figure = Class.Create(nullptr);
  figure->SetPenColor(0x00102030u + uint32_t(Salt));
  figure->SetPenWidth(1 + Salt % 4);
  figure->SetPenMode(TPenMode(4 + Salt % 12));
  figure->SetPenStyle(TPenStyle(Salt % 7));
  figure->SetAngle(int16_t(15 * Salt));
  figure->SetScale(int8_t(Salt));
  TVertexList* vertices = AsVertexList(figure.get());
  if (vertices != nullptr && figure->ClassType().Traits.Family == ffOpenLine) {
    for (int i = 0; i < 4; ++i) vertices->AddPointXY(10 + 20 * i, 15 + 7 * (i % 2));
    vertices->SetInsertIndex(2);
  } else if (vertices != nullptr) {
    vertices->AddPointXY(10, 10);
    vertices->AddPointXY(90, 20);
    vertices->AddPointXY(40, 80);
    vertices->SetInsertIndex(1);
  } else {
    for (int32_t i = 0; i < figure->PointsCount(); ++i) figure->SetPoint(i, TPoint{5 + 40 * i, 8 + 30 * i});
  }
  if (TBinaryDimensionsFigure* closed = AsFilled(figure.get())) {
    closed->SetBrushStyle(TBrushStyle(Salt % 8));
    closed->SetBrushColor(0x00C0B0A0u);
  }
  if (TFigureRoundRect* round = AsRoundRect(figure.get())) round->SetCorners(TPoint{12, 9});
  if (TFigureText* text = AsText(figure.get())) {
    text->SetText("\xCF\xEB\xE0\xED 42");  // Windows-1251 letters and digits
    TFont font = text->Font();
    font.Name = "DejaVu Sans";
    font.Height = -16;
    font.Style = 3;
    font.Charset = 204;
    font.Color = 0x000000FF;
    text->SetFont(font);
  }
  figure->FindPoint(figure->PointsCount() > 0 ? figure->Point(0) : TPoint{});
  return figure;
}

std::unique_ptr<TFigureBitmap> PictureFigure(const Bytes& Picture, bool Transparent) {
  auto figure = std::make_unique<TFigureBitmap>(nullptr);
  figure->SetPoint(0, TPoint{3, 4});
  TReadOnlyStream stream(Picture);
  figure->LoadPictureFromStream(stream);
  figure->SetTransparent(Transparent);
  return figure;
}

// The container with its stored selection replaced (the collection can only
// change its selection by redrawing, which needs a canvas).
Bytes WithSelected(Bytes Container, int32_t Position) {
  constexpr size_t SelectedAt = KriHeaderSize - 4;  // the header's last field
  for (int i = 0; i < 4; ++i) Container[SelectedAt + size_t(i)] = uint8_t(uint32_t(Position) >> (8 * i));
  return Container;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT [BMP-FOLDER...]\n", argv[0]);
    return 2;
  }
  try {
    const fs::path out = argv[1];
    const fs::path container = out / "container", block = out / "figure_block", bitmap = out / "bitmap";
    for (const fs::path& folder : {container, block, bitmap}) fs::create_directories(folder);

    std::vector<std::pair<std::string, Bytes>> pictures = HandBuiltPictures();
    for (const auto& [name, bytes] : pictures) Write(bitmap / (name + ".bmp"), bytes);
    for (int i = 2; i < argc; ++i)
      for (auto& picture : PicturesIn(argv[i])) pictures.push_back(std::move(picture));

    // The empty image, and one image per class and one per picture.
    TFiguresCollection empty(nullptr, TRect{0, 0, 650, 400});
    Write(container / "empty.kri", Saved(empty));

    int salt = 0;
    TFiguresCollection all(nullptr, TRect{0, 0, 320, 240});
    for (const TFigureClass* cls : RegisteredFigureClasses()) {
      ++salt;
      std::unique_ptr<TBasicFigure> figure = Sample(*cls, salt);
      if (TFigureBitmap* picture = AsPicture(figure.get())) {
        TReadOnlyStream stream(pictures.front().second);
        picture->LoadPictureFromStream(stream);
      }
      Write(block / (std::string(cls->ClassName) + ".blk"), Block(*figure));
      TFiguresCollection one(nullptr, TRect{0, 0, 200, 100});
      one.Add(Sample(*cls, salt));
      Write(container / ("one-" + std::string(cls->ClassName) + ".kri"), Saved(one));
      all.Add(std::move(figure));
    }
    Write(container / "all-classes.kri", Saved(all));
    Write(container / "all-classes-none-selected.kri", WithSelected(Saved(all), -1));
    Write(container / "all-classes-second-selected.kri", WithSelected(Saved(all), 1));

    // A picture figure without picture writes no picture bytes.
    TFigureBitmap emptyPicture(nullptr);
    Write(block / "TFigureBitmap-empty.blk", Block(emptyPicture));
    TFiguresCollection withEmptyPicture(nullptr, TRect{0, 0, 64, 64});
    withEmptyPicture.Add(std::make_unique<TFigureBitmap>(nullptr));
    withEmptyPicture.Add(Sample(TFigureEllipse::Class, 1));
    Write(container / "empty-picture-then-ellipse.kri", Saved(withEmptyPicture));

    TFiguresCollection texts(nullptr, TRect{0, 0, 400, 300});
    for (const char* line : {"", "A", "\x98 odd byte", "a longer line of text, 40 characters...."}) {
      auto text = std::make_unique<TFigureText>(nullptr);
      text->SetText(line);
      texts.Add(std::move(text));
    }
    Write(container / "texts.kri", Saved(texts));

    bool transparent = false;
    for (const auto& [name, bytes] : pictures) {
      transparent = !transparent;
      std::unique_ptr<TFigureBitmap> figure = PictureFigure(bytes, transparent);
      Write(block / ("TFigureBitmap-" + name + ".blk"), Block(*figure));
      TFiguresCollection image(nullptr, TRect{0, 0, 300, 300});
      image.Add(std::move(figure));
      image.Add(Sample(TFigureRectangle::Class, 3));
      Write(container / ("picture-" + name + ".kri"), Saved(image));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kresta_fuzz_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
