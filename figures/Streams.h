// Byte streams: sequential reads and writes of exact counts, integers
// little-endian. A read that cannot be satisfied whole fails with
// "Stream read error" and consumes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TStream {
 public:
  virtual ~TStream() = default;

  virtual int64_t Size() const = 0;
  virtual int64_t Position() const = 0;
  // Clamped to 0..Size().
  virtual void Seek(int64_t Position) = 0;
  int64_t Remaining() const { return Size() - Position(); }

  void ReadBuffer(void* Buffer, size_t Count);
  void WriteBuffer(const void* Buffer, size_t Count);

  uint8_t ReadUInt8();
  int8_t ReadInt8();
  int16_t ReadInt16();
  uint16_t ReadUInt16();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  bool ReadBoolean();  // any non-zero byte is true
  // Count bytes; refused before any allocation when they are not there.
  std::string ReadBytes(size_t Count);

  void WriteUInt8(uint8_t Value);
  void WriteInt8(int8_t Value) { WriteUInt8(uint8_t(Value)); }
  void WriteInt16(int16_t Value) { WriteUInt16(uint16_t(Value)); }
  void WriteUInt16(uint16_t Value);
  void WriteInt32(int32_t Value) { WriteUInt32(uint32_t(Value)); }
  void WriteUInt32(uint32_t Value);
  void WriteBoolean(bool Value) { WriteUInt8(Value ? 1 : 0); }

 protected:
  // At most Count bytes; the number read.
  virtual size_t DoRead(void* Buffer, size_t Count) = 0;
  // All or nothing; false when the stream refuses.
  virtual bool DoWrite(const void* Buffer, size_t Count) = 0;
};

// A growable stream in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> Data) : FData(std::move(Data)) {}

  int64_t Size() const override { return int64_t(FData.size()); }
  int64_t Position() const override { return int64_t(FPosition); }
  void Seek(int64_t Position) override;

  const std::vector<uint8_t>& Data() const { return FData; }
  std::vector<uint8_t> TakeData();
  void Clear();

 protected:
  size_t DoRead(void* Buffer, size_t Count) override;
  bool DoWrite(const void* Buffer, size_t Count) override;

 private:
  std::vector<uint8_t> FData;
  size_t FPosition = 0;
};

// Reads bytes owned by somebody else; writes are refused.
class TReadOnlyStream : public TStream {
 public:
  explicit TReadOnlyStream(std::span<const uint8_t> Data) : FData(Data) {}

  int64_t Size() const override { return int64_t(FData.size()); }
  int64_t Position() const override { return int64_t(FPosition); }
  void Seek(int64_t Position) override;

 protected:
  size_t DoRead(void* Buffer, size_t Count) override;
  bool DoWrite(const void*, size_t) override { return false; }

 private:
  std::span<const uint8_t> FData;
  size_t FPosition = 0;
};

// Replaces (or creates) the file with Data without ever leaving it damaged:
// the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is renamed over the target. On failure the old file
// is as it was, no temporary file remains, and EFileError says
// "Cannot create file "<name>". <reason>". File names in messages are shown
// as QuoteForMessage (figures/MessageText.h) shows them.
void WriteFileAtomically(const std::string& FileName, std::span<const uint8_t> Data);

// The most bytes a file read whole may hold: an image container, a picture,
// anything the program opens. Also the largest clipboard block it takes.
inline constexpr int64_t MaxFileBytes = int64_t(1) << 30;  // 1 GiB

// "1 GiB", "256 MiB", "64 KiB" or "1000 bytes": a byte count in the largest
// binary unit that divides it.
std::string ByteCountText(int64_t Bytes);

// The whole content of a file of at most Limit bytes; a file that cannot be
// read fails with EFileError "Cannot open file "<name>". <reason>". More
// than Limit bytes fail with the reason "<What> too large (over <Limit as
// ByteCountText>)", e.g. "File too large (over 1 GiB)": a regular file by
// its size before anything is read; any other file (a pipe, a FIFO, a
// device, which may never end) once Limit + 1 bytes have come, holding at
// most Limit of them in memory.
std::vector<uint8_t> ReadFileBytes(const std::string& FileName, int64_t Limit = MaxFileBytes,
                                   std::string_view What = "File");
