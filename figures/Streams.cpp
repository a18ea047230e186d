#include "figures/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

#include "figures/Exceptions.h"

void TStream::ReadBuffer(void* Buffer, size_t Count) {
  if (Count == 0) return;
  if (Remaining() < int64_t(Count)) throw EReadError();
  if (DoRead(Buffer, Count) != Count) throw EReadError();
}

void TStream::WriteBuffer(const void* Buffer, size_t Count) {
  if (Count == 0) return;
  if (!DoWrite(Buffer, Count)) throw EWriteError();
}

uint8_t TStream::ReadUInt8() {
  uint8_t b;
  ReadBuffer(&b, 1);
  return b;
}

int8_t TStream::ReadInt8() { return int8_t(ReadUInt8()); }

uint16_t TStream::ReadUInt16() {
  uint8_t b[2];
  ReadBuffer(b, 2);
  return uint16_t(b[0] | (b[1] << 8));
}

int16_t TStream::ReadInt16() { return int16_t(ReadUInt16()); }

uint32_t TStream::ReadUInt32() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

int32_t TStream::ReadInt32() { return int32_t(ReadUInt32()); }

bool TStream::ReadBoolean() { return ReadUInt8() != 0; }

std::string TStream::ReadBytes(size_t Count) {
  if (Remaining() < int64_t(Count)) throw EReadError();
  std::string s(Count, '\0');
  ReadBuffer(s.data(), Count);
  return s;
}

void TStream::WriteUInt8(uint8_t Value) { WriteBuffer(&Value, 1); }

void TStream::WriteUInt16(uint16_t Value) {
  const uint8_t b[2] = {uint8_t(Value), uint8_t(Value >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteUInt32(uint32_t Value) {
  const uint8_t b[4] = {uint8_t(Value), uint8_t(Value >> 8), uint8_t(Value >> 16), uint8_t(Value >> 24)};
  WriteBuffer(b, 4);
}

void TMemoryStream::Seek(int64_t Position) { FPosition = size_t(std::clamp<int64_t>(Position, 0, Size())); }

std::vector<uint8_t> TMemoryStream::TakeData() {
  FPosition = 0;
  return std::exchange(FData, {});
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

size_t TMemoryStream::DoRead(void* Buffer, size_t Count) {
  const size_t n = std::min(Count, FData.size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

bool TMemoryStream::DoWrite(const void* Buffer, size_t Count) {
  const size_t end = FPosition + Count;
  if (end > FData.size()) FData.resize(end);
  std::memcpy(FData.data() + FPosition, Buffer, Count);
  FPosition = end;
  return true;
}

void TReadOnlyStream::Seek(int64_t Position) { FPosition = size_t(std::clamp<int64_t>(Position, 0, Size())); }

size_t TReadOnlyStream::DoRead(void* Buffer, size_t Count) {
  const size_t n = std::min(Count, FData.size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

std::vector<uint8_t> ReadFileBytes(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw EFileError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EFileError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  return data;
}
