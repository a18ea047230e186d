#include "ui/JpegImage.h"

// jpeglib.h uses FILE and size_t without including their headers.
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include <QFile>

#include <vector>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

// libjpeg reports failures through its error manager, which must not return.
// Ours jumps back to the setjmp of the phase that is running. A warning
// counts as a failure too: libjpeg warns about corrupt data and about a
// premature end, then fills the rest of the image with grey and reports
// success.
struct TJpegErrors {
  jpeg_error_mgr Manager;  // first member: libjpeg sees only this part
  std::jmp_buf Jump;
};

[[noreturn]] void JumpBack(j_common_ptr Info) { std::longjmp(reinterpret_cast<TJpegErrors*>(Info->err)->Jump, 1); }

void EmitMessage(j_common_ptr Info, int Level) {
  // Level 0 and up are trace messages, dropped.
  if (Level < 0) JumpBack(Info);
}

// Every scan of a progressive file passes over the whole image: a small
// file of thousands of scans would keep the decoder busy for minutes.
void LimitScans(j_common_ptr Info) {
  if (reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxJpegScans) JumpBack(Info);
}

std::jmp_buf& JumpOf(jpeg_decompress_struct& Info) { return reinterpret_cast<TJpegErrors*>(Info.err)->Jump; }

// Owns the decompressor; libjpeg releases every buffer of its pools with it.
struct TDecompressor {
  TJpegErrors Errors{};
  jpeg_progress_mgr Progress{};
  jpeg_decompress_struct Info{};  // zeroed, so destroying it before creation is harmless

  TDecompressor() {
    Info.err = jpeg_std_error(&Errors.Manager);
    Errors.Manager.error_exit = JumpBack;
    Errors.Manager.emit_message = EmitMessage;
    Progress.progress_monitor = LimitScans;
  }
  ~TDecompressor() { jpeg_destroy_decompress(&Info); }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;
};

// The phases below run libjpeg calls that may jump back to their setjmp, so
// they hold no object with a destructor and return false when libjpeg
// failed; the caller throws after the jump, never through libjpeg.

bool CreateAndReadHeader(jpeg_decompress_struct& Info, jpeg_progress_mgr& Progress, const uint8_t* Bytes,
                         size_t Count) {
  if (setjmp(JumpOf(Info)) != 0) return false;
  jpeg_create_decompress(&Info);
  Info.progress = &Progress;  // creation clears it
  jpeg_mem_src(&Info, Bytes, static_cast<unsigned long>(Count));
  jpeg_read_header(&Info, TRUE);
  switch (Info.jpeg_color_space) {
    case JCS_GRAYSCALE: Info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: Info.out_color_space = JCS_CMYK; break;
    default: Info.out_color_space = JCS_RGB; break;
  }
  jpeg_calc_output_dimensions(&Info);
  return true;
}

constexpr uint32_t Opaque(uint32_t R, uint32_t G, uint32_t B) { return 0xFF000000u | R << 16 | G << 8 | B; }

// CMYK samples are ink amounts, or their complements (255 = no ink) in the
// files Adobe applications write. The share of white a channel keeps under
// its ink and the black ink, rounded.
constexpr uint32_t CmykChannel(JSAMPLE Ink, JSAMPLE Black, bool Inverted) {
  const uint32_t keeps = Inverted ? Ink : 255u - Ink;
  const uint32_t blackKeeps = Inverted ? Black : 255u - Black;
  return (keeps * blackKeeps + 127) / 255;
}

void ConvertRow(const JSAMPLE* In, uint32_t* Out, JDIMENSION Width, J_COLOR_SPACE Space, bool InvertedCmyk) {
  switch (Space) {
    case JCS_GRAYSCALE:
      for (JDIMENSION x = 0; x < Width; ++x, ++In) Out[x] = Opaque(In[0], In[0], In[0]);
      break;
    case JCS_CMYK:
      for (JDIMENSION x = 0; x < Width; ++x, In += 4)
        Out[x] = Opaque(CmykChannel(In[0], In[3], InvertedCmyk), CmykChannel(In[1], In[3], InvertedCmyk),
                        CmykChannel(In[2], In[3], InvertedCmyk));
      break;
    default:
      for (JDIMENSION x = 0; x < Width; ++x, In += 3) Out[x] = Opaque(In[0], In[1], In[2]);
      break;
  }
}

// Decodes every row into Bits, a buffer of output_height rows of
// BytesPerLine bytes, 4 bytes a pixel.
bool DecodeRows(jpeg_decompress_struct& Info, uint8_t* Bits, size_t BytesPerLine) {
  if (setjmp(JumpOf(Info)) != 0) return false;
  jpeg_start_decompress(&Info);
  // The row buffer comes from libjpeg's image pool, freed with the
  // decompressor whether or not the decoding ends normally.
  const JSAMPARRAY row = (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info), JPOOL_IMAGE,
                                                   Info.output_width * JDIMENSION(Info.output_components), 1);
  const bool invertedCmyk = Info.saw_Adobe_marker != FALSE;
  while (Info.output_scanline < Info.output_height) {
    auto* out = reinterpret_cast<uint32_t*>(Bits + BytesPerLine * Info.output_scanline);
    if (jpeg_read_scanlines(&Info, row, 1) != 1) return false;
    ConvertRow(row[0], out, Info.output_width, Info.out_color_space, invertedCmyk);
  }
  jpeg_finish_decompress(&Info);
  return true;
}

}  // namespace

QImage DecodeJpeg(std::span<const uint8_t> Bytes) {
  TDecompressor decompressor;
  jpeg_decompress_struct& info = decompressor.Info;
  if (!CreateAndReadHeader(info, decompressor.Progress, Bytes.data(), Bytes.size())) throw EInvalidJpeg();
  // libjpeg allocates its own buffers for the whole image in
  // jpeg_start_decompress, in proportion to these dimensions: refuse them
  // first.
  if (uint64_t(info.output_width) * info.output_height * 4 > MaxJpegPixelBytes) throw EImageSizeInvalid();
  QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
  if (image.isNull()) throw EOutOfMemory();
  if (!DecodeRows(info, image.bits(), size_t(image.bytesPerLine()))) throw EInvalidJpeg();
  return image;
}

QImage LoadJpegFile(const QString& FileName) {
  const std::vector<uint8_t> bytes = ReadFileBytes(QFile::encodeName(FileName).toStdString());
  return DecodeJpeg(bytes);
}
