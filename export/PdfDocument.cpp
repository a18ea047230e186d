#include "export/PdfDocument.h"

#include <libdeflate.h>

#include <cstdio>

#include "figures/Exceptions.h"

namespace {

// The fastest level: the content streams of long drawings are large, and
// most of what compression gains comes at once.
constexpr int kCompressionLevel = 1;

// Flate data in the zlib format.
void Compress(libdeflate_compressor& Compressor, std::string_view Data, std::vector<uint8_t>& Packed) {
  Packed.resize(libdeflate_zlib_compress_bound(&Compressor, Data.size()));
  Packed.resize(libdeflate_zlib_compress(&Compressor, Data.data(), Data.size(), Packed.data(), Packed.size()));
  if (Packed.empty()) throw EKrestaError("PDF not written: a stream could not be compressed");
}

}  // namespace

void TPdfDocument::TCompressorFree::operator()(libdeflate_compressor* Compressor) const {
  libdeflate_free_compressor(Compressor);
}

TPdfDocument::TPdfDocument() : FCompressor(libdeflate_alloc_compressor(kCompressionLevel)) {
  if (!FCompressor) throw EOutOfMemory();
  // The comment's bytes above 127 mark the file as binary to transports.
  Append("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

TPdfDocument::~TPdfDocument() = default;

void TPdfDocument::Append(std::string_view Text) { FOut.insert(FOut.end(), Text.begin(), Text.end()); }

int TPdfDocument::Reserve() {
  FOffsets.push_back(0);
  return int(FOffsets.size());
}

void TPdfDocument::Object(int Id, std::string_view Body) {
  FOffsets.at(size_t(Id - 1)) = FOut.size();
  Append(std::to_string(Id) + " 0 obj\n");
  Append(Body);
  Append("\nendobj\n");
}

void TPdfDocument::Stream(int Id, std::string_view Dictionary, std::string_view Data) {
  Compress(*FCompressor, Data, FPacked);
  PackedStream(Id, Dictionary, FPacked);
}

void TPdfDocument::PackedStream(int Id, std::string_view Dictionary, std::span<const uint8_t> Packed) {
  FOffsets.at(size_t(Id - 1)) = FOut.size();
  Append(std::to_string(Id) + " 0 obj\n<<");
  Append(Dictionary);
  Append(" /Filter /FlateDecode /Length " + std::to_string(Packed.size()) + " >>\nstream\n");
  FOut.insert(FOut.end(), Packed.begin(), Packed.end());
  Append("\nendstream\nendobj\n");
}

std::vector<uint8_t> Deflated(std::string_view Data) {
  const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
      libdeflate_alloc_compressor(kCompressionLevel), libdeflate_free_compressor);
  if (!compressor) throw EOutOfMemory();
  std::vector<uint8_t> packed;
  Compress(*compressor, Data, packed);
  return packed;
}

std::vector<uint8_t> TPdfDocument::Finish(int Catalog, int Info) {
  const size_t xref = FOut.size();
  Append("xref\n0 " + std::to_string(FOffsets.size() + 1) + "\n0000000000 65535 f \n");
  char entry[40];
  for (const size_t offset : FOffsets) {
    if (offset == 0) throw EKrestaError("PDF not written: an object was left out");
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    Append(entry);
  }
  Append("trailer\n<< /Size " + std::to_string(FOffsets.size() + 1) + " /Root " + std::to_string(Catalog) +
         " 0 R /Info " + std::to_string(Info) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  return std::move(FOut);
}

std::string PdfHexCode(uint32_t Code) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", unsigned(Code & 0xFFFF));
  return text;
}

std::string PdfTextString(std::u16string_view Text) {
  std::string s = "<FEFF";
  for (const char16_t c : Text) s += PdfHexCode(c);
  return s + '>';
}
