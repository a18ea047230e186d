// The file structure of a PDF 1.7 document: numbered objects, streams
// compressed with Flate, the cross-reference table and the trailer. The
// callers write the objects' dictionaries themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct libdeflate_compressor;

class TPdfDocument {
 public:
  TPdfDocument();
  ~TPdfDocument();
  TPdfDocument(const TPdfDocument&) = delete;
  TPdfDocument& operator=(const TPdfDocument&) = delete;

  // A number for an object to be written later, so that objects can refer
  // to each other in any order.
  int Reserve();
  // Object Id as the dictionary (or any other value) Body.
  void Object(int Id, std::string_view Body);
  // Object Id as a stream: Dictionary holds its entries without the
  // brackets and without the length and filter, which are added.
  void Stream(int Id, std::string_view Dictionary, std::string_view Data);
  // The same with Packed compressed already (Deflated).
  void PackedStream(int Id, std::string_view Dictionary, std::span<const uint8_t> Packed);
  // The finished file, Catalog and Info naming the document catalogue and
  // the information dictionary. Every reserved number must have been
  // written.
  std::vector<uint8_t> Finish(int Catalog, int Info);

 private:
  struct TCompressorFree {
    void operator()(libdeflate_compressor* Compressor) const;
  };
  void Append(std::string_view Text);

  std::vector<uint8_t> FOut;
  std::vector<size_t> FOffsets;  // by object number - 1; 0 while unwritten
  std::unique_ptr<libdeflate_compressor, TCompressorFree> FCompressor;
  std::vector<uint8_t> FPacked;  // the stream being written, compressed
};

// Data compressed for a stream, on any thread.
std::vector<uint8_t> Deflated(std::string_view Data);

// A two-byte code (a glyph number, a UTF-16 unit) as four hex digits.
std::string PdfHexCode(uint32_t Code);
// UTF-16 as a PDF text string: big-endian with a byte order mark, in hex.
std::string PdfTextString(std::u16string_view Text);
