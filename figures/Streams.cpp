#include "figures/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "figures/Exceptions.h"
#include "figures/MessageText.h"

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

std::string ByteCountText(int64_t Bytes) {
  static constexpr const char* units[] = {"GiB", "MiB", "KiB"};
  for (int i = 0; i < 3; ++i) {
    const int64_t unit = int64_t(1) << (10 * (3 - i));
    if (Bytes >= unit && Bytes % unit == 0) return std::to_string(Bytes / unit) + " " + units[i];
  }
  return std::to_string(Bytes) + " bytes";
}

std::vector<uint8_t> ReadFileBytes(const std::string& FileName, int64_t Limit, std::string_view What) {
  const auto fail = [&FileName](const std::string& Reason) {
    throw EFileError("Cannot open file " + QuoteForMessage(FileName) + ". " + Reason);
  };
  const auto tooLarge = [&] { fail(std::string(What) + " too large (over " + ByteCountText(Limit) + ")"); };
  const int handle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle < 0) fail(std::strerror(errno));
  struct TCloser {
    int Handle;
    ~TCloser() { ::close(Handle); }
  } closer{handle};
  struct stat info;
  if (::fstat(handle, &info) != 0) fail(std::strerror(errno));
  if (S_ISDIR(info.st_mode)) fail(std::strerror(EISDIR));
  std::vector<uint8_t> data;
  // Only a regular file's size is known beforehand (and it may still grow
  // while it is read); the bytes read are counted in any case.
  if (S_ISREG(info.st_mode)) {
    if (info.st_size > Limit) tooLarge();
    data.reserve(size_t(info.st_size));
  }
  uint8_t buffer[65536];
  for (;;) {
    // One byte past the limit is enough to refuse: the read stops there.
    const size_t wanted = size_t(std::min<int64_t>(int64_t(sizeof buffer), Limit + 1 - int64_t(data.size())));
    const ssize_t n = ::read(handle, buffer, wanted);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(std::strerror(errno));
    if (n == 0) return data;
    if (int64_t(data.size()) + n > Limit) tooLarge();
    data.insert(data.end(), buffer, buffer + n);
  }
}

namespace {

// Closes the descriptor and removes the temporary file unless committed.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(std::string Path) : FPath(std::move(Path)) {
    FHandle = ::mkstemp(FPath.data());
    FCreated = FHandle >= 0;
  }
  ~TTemporaryFile() {
    if (FHandle >= 0) ::close(FHandle);
    if (FCreated && !FCommitted) ::unlink(FPath.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  bool Opened() const { return FHandle >= 0; }
  int Handle() const { return FHandle; }
  const std::string& Path() const { return FPath; }
  bool Close() {
    const int handle = std::exchange(FHandle, -1);
    return ::close(handle) == 0;
  }
  void Commit() { FCommitted = true; }

 private:
  std::string FPath;
  int FHandle = -1;
  bool FCreated = false;
  bool FCommitted = false;
};

bool WriteAll(int Handle, std::span<const uint8_t> Data) {
  size_t done = 0;
  while (done < Data.size()) {
    const ssize_t n = ::write(Handle, Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// The permissions a new file gets (0666 less the umask), or those of the
// file being replaced.
mode_t TargetMode(const std::string& FileName) {
  struct stat existing;
  if (::stat(FileName.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void WriteFileAtomically(const std::string& FileName, std::span<const uint8_t> Data) {
  const auto fail = [&FileName](int Error) {
    throw EFileError("Cannot create file " + QuoteForMessage(FileName) + ". " + std::strerror(Error));
  };
  struct stat target;
  if (::stat(FileName.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) fail(EISDIR);
  TTemporaryFile temporary(FileName + ".XXXXXX");
  if (!temporary.Opened()) fail(errno);
  if (::fchmod(temporary.Handle(), TargetMode(FileName)) != 0 || !WriteAll(temporary.Handle(), Data) ||
      ::fsync(temporary.Handle()) != 0)
    fail(errno);
  if (!temporary.Close()) fail(errno);
  if (::rename(temporary.Path().c_str(), FileName.c_str()) != 0) fail(errno);
  temporary.Commit();
  // The rename itself reaches the disk with the folder.
  const std::string::size_type slash = FileName.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : FileName.substr(0, slash));
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}
