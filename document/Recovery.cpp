#include "document/Recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "figures/MessageText.h"
#include "figures/Streams.h"

namespace {

std::string WithoutTrailingSlashes(std::string Path) {
  while (!Path.empty() && Path.back() == '/') Path.pop_back();
  return Path;
}

// pid, start time in seconds since the epoch and 64 random bits: unique
// among programs running at once, also in other PID namespaces sharing the
// folder, and never a name a gone session used.
std::string NewSessionId() {
  std::random_device device;
  const uint64_t random = uint64_t(device()) << 32 | device();
  char id[64];
  std::snprintf(id, sizeof id, "%ld-%lld-%016llx", long(::getpid()), static_cast<long long>(std::time(nullptr)),
                static_cast<unsigned long long>(random));
  return id;
}

[[noreturn]] void FailOnFile(const char* Action, const std::string& Path, const std::string& Reason) {
  throw EFileError(std::string("Cannot ") + Action + " " + QuoteForMessage(Path) + ". " + Reason);
}

// Every missing folder of the path, each with mode 0700 (the state folders
// hold drawings nobody else should read).
void MakeFolder(const std::string& Folder) {
  for (size_t end = Folder.find('/', 1);; end = Folder.find('/', end + 1)) {
    const std::string part = Folder.substr(0, end);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) FailOnFile("create folder", part, std::strerror(errno));
    if (end == std::string::npos) break;
  }
  struct stat info;
  if (::stat(Folder.c_str(), &info) != 0) FailOnFile("create folder", Folder, std::strerror(errno));
  if (!S_ISDIR(info.st_mode)) FailOnFile("create folder", Folder, std::strerror(ENOTDIR));
}

// Opens Path, creating it (mode 0600) when missing, and takes an exclusive
// flock on it; Wait blocks until the lock is free, otherwise a held lock
// fails at once. The lock counts only while Path still names the locked
// file: a lock file removed by its holder between the open and the flock is
// opened again. The handle, or -1 with errno (EWOULDBLOCK: held elsewhere).
int LockFile(const std::string& Path, bool Wait) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const int handle = ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (handle < 0) return -1;
    int locked;
    do locked = ::flock(handle, LOCK_EX | (Wait ? 0 : LOCK_NB));
    while (locked != 0 && errno == EINTR);
    const int lockError = errno;
    struct stat held, named;
    if (locked == 0 && ::fstat(handle, &held) == 0 && ::lstat(Path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      return handle;
    ::close(handle);
    if (locked != 0) {
      errno = lockError;
      return -1;
    }
  }
  errno = EWOULDBLOCK;
  return -1;
}

// The files of one session in the recovery folder.
struct TSessionFiles {
  bool Recovery = false;                 // "<id>.krr", a regular file
  bool Lock = false;                     // "<id>.lock"
  std::vector<std::string> Temporaries;  // names of "<id>.krr.XXXXXX"
};

// The temporary file of an interrupted WriteFileAtomically: the target's
// name, a dot and the six letters or digits mkstemp chose.
bool IsTemporaryName(std::string_view Name) {
  constexpr size_t tail = 11;  // ".krr.XXXXXX"
  if (Name.size() <= tail || Name.substr(Name.size() - tail, 5) != ".krr.") return false;
  return std::ranges::all_of(Name.substr(Name.size() - 6), [](char C) {
    return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
  });
}

// The sessions that have files in Folder, by id; none when it does not
// exist.
std::map<std::string, TSessionFiles> ScanFolder(const std::string& Folder) {
  std::map<std::string, TSessionFiles> sessions;
  struct TCloser {
    void operator()(DIR* Dir) const { ::closedir(Dir); }
  };
  const std::unique_ptr<DIR, TCloser> dir(::opendir(Folder.c_str()));
  if (!dir) {
    if (errno == ENOENT) return sessions;
    FailOnFile("open folder", Folder, std::strerror(errno));
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    struct stat info;
    if (name.size() > 4 && name.ends_with(".krr")) {
      if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
        sessions[std::string(name.substr(0, name.size() - 4))].Recovery = true;
    } else if (name.size() > 5 && name.ends_with(".lock")) {
      sessions[std::string(name.substr(0, name.size() - 5))].Lock = true;
    } else if (IsTemporaryName(name)) {
      sessions[std::string(name.substr(0, name.size() - 11))].Temporaries.emplace_back(name);
    }
  }
  return sessions;
}

std::chrono::system_clock::time_point ModifiedTime(const struct stat& Info) {
  using namespace std::chrono;
  return system_clock::time_point(
      duration_cast<system_clock::duration>(seconds(Info.st_mtim.tv_sec) + nanoseconds(Info.st_mtim.tv_nsec)));
}

}  // namespace

std::string DefaultRecoveryFolder() {
  const auto absolute = [](const char* Path) { return Path != nullptr && Path[0] == '/'; };
  if (const char* state = std::getenv("XDG_STATE_HOME"); absolute(state))
    return WithoutTrailingSlashes(state) + "/kresta";
  const char* home = std::getenv("HOME");
  if (!absolute(home)) {
    const passwd* account = ::getpwuid(::getuid());
    home = account != nullptr ? account->pw_dir : nullptr;
  }
  if (!absolute(home)) throw EFileError("Cannot find the home folder to keep recovery files in");
  return WithoutTrailingSlashes(home) + "/.local/state/kresta";
}

TRecoveryStore::TLock::TLock(TLock&& Other) noexcept : FHandle(std::exchange(Other.FHandle, -1)) {}

TRecoveryStore::TLock& TRecoveryStore::TLock::operator=(TLock&& Other) noexcept {
  if (this != &Other) {
    if (FHandle >= 0) ::close(FHandle);
    FHandle = std::exchange(Other.FHandle, -1);
  }
  return *this;
}

TRecoveryStore::TLock::~TLock() {
  if (FHandle >= 0) ::close(FHandle);
}

TRecoveryStore::TRecoveryStore(std::string Folder)
    : FFolder(WithoutTrailingSlashes(std::move(Folder))), FSessionId(NewSessionId()) {}

TRecoveryStore::~TRecoveryStore() {
  // Removed while still locked, so nobody takes the lock of a file that is
  // about to disappear.
  if (FLock.Held()) ::unlink(PathOf(FSessionId, ".lock").c_str());
}

std::string TRecoveryStore::PathOf(const std::string& Session, const char* Suffix) const {
  return FFolder + '/' + Session + Suffix;
}

std::string TRecoveryStore::RecoveryPath() const { return PathOf(FSessionId, ".krr"); }

void TRecoveryStore::Write(std::span<const uint8_t> Container, const std::string& OriginalFileName) {
  const bool nameIsPath =
      OriginalFileName.size() <= MaxRecoveredNameBytes && OriginalFileName.find('\0') == std::string::npos;
  const std::string_view name = nameIsPath ? std::string_view(OriginalFileName) : std::string_view();
  const uint64_t total = RecoveryHeaderSize + name.size() + Container.size();
  // Load would refuse it.
  if (total > uint64_t(MaxFileBytes))
    FailOnFile("create file", RecoveryPath(), "Recovery file too large (over " + ByteCountText(MaxFileBytes) + ")");
  if (!FLock.Held()) StartSession();

  TMemoryStream header;
  header.WriteBuffer(RecoverySignature, sizeof RecoverySignature);
  header.WriteUInt32(RecoveryFormatVersion);
  header.WriteUInt32(uint32_t(name.size()));
  header.WriteBuffer(name.data(), name.size());
  header.WriteUInt32(uint32_t(Container.size()));
  std::vector<uint8_t> bytes = header.TakeData();
  bytes.reserve(size_t(total));
  bytes.insert(bytes.end(), Container.begin(), Container.end());
  WriteFileAtomically(RecoveryPath(), bytes);
}

void TRecoveryStore::Remove() {
  const std::string path = RecoveryPath();
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) FailOnFile("remove file", path, std::strerror(errno));
}

void TRecoveryStore::StartSession() {
  MakeFolder(FFolder);
  const std::string path = PathOf(FSessionId, ".lock");
  // Waits out another program that holds it for a moment to see whether
  // this session is gone.
  const int handle = LockFile(path, true);
  if (handle < 0) FailOnFile("create file", path, std::strerror(errno));
  FLock = TLock(handle);
  SweepGoneSessions();
}

void TRecoveryStore::SweepGoneSessions() {
  std::map<std::string, TSessionFiles> sessions;
  try {
    sessions = ScanFolder(FFolder);
  } catch (const EFileError&) {
    return;  // tidying up is no reason to fail a write
  }
  for (const auto& [session, files] : sessions) {
    const bool lockOfNone = files.Lock && !files.Recovery;
    if (session == FSessionId || (!lockOfNone && files.Temporaries.empty())) continue;
    const bool claimedBefore = FClaims.contains(session);
    if (!Claim(session)) continue;
    for (const std::string& name : files.Temporaries) ::unlink((FFolder + '/' + name).c_str());
    // A lock file this claim created goes again; one of a leftover stays.
    if (lockOfNone || !claimedBefore) Release(session, lockOfNone || !files.Lock);
  }
}

bool TRecoveryStore::Claim(const std::string& Session) const {
  if (FClaims.contains(Session)) return true;
  const int handle = LockFile(PathOf(Session, ".lock"), false);
  if (handle < 0) return false;
  FClaims.emplace(Session, TLock(handle));
  return true;
}

void TRecoveryStore::Release(const std::string& Session, bool RemoveLockFile) const {
  const auto claim = FClaims.find(Session);
  if (claim == FClaims.end()) return;
  if (RemoveLockFile) ::unlink(PathOf(Session, ".lock").c_str());
  FClaims.erase(claim);
}

void TRecoveryStore::ClaimForChange(const std::string& Session, const std::string& Path, const char* Action) const {
  if (Claim(Session)) return;
  FailOnFile(Action, Path, errno == EWOULDBLOCK ? "It belongs to a program still running" : std::strerror(errno));
}

std::string TRecoveryStore::SessionOf(const TRecoveryEntry& Entry) const {
  const std::string prefix = FFolder + '/';
  const std::string& path = Entry.Path;
  if (path.size() > prefix.size() + 4 && path.starts_with(prefix) && path.ends_with(".krr")) {
    std::string session = path.substr(prefix.size(), path.size() - prefix.size() - 4);
    if (session.find('/') == std::string::npos && session != FSessionId) return session;
  }
  throw std::invalid_argument("Not a leftover recovery file: " + QuoteForMessage(path));
}

std::vector<TRecoveryEntry> TRecoveryStore::Leftovers() const {
  std::vector<TRecoveryEntry> entries;
  for (const auto& [session, files] : ScanFolder(FFolder)) {
    if (!files.Recovery || session == FSessionId || !Claim(session)) continue;
    const std::string path = PathOf(session, ".krr");
    struct stat info;
    // The program that held it before may have discarded it meanwhile.
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      Release(session, false);
      continue;
    }
    entries.push_back({path, ModifiedTime(info), int64_t(info.st_size)});
  }
  std::ranges::sort(entries, [](const TRecoveryEntry& A, const TRecoveryEntry& B) {
    return A.Modified != B.Modified ? A.Modified < B.Modified : A.Path < B.Path;
  });
  return entries;
}

TRecoveredImage TRecoveryStore::Load(const TRecoveryEntry& Entry) const {
  const auto damaged = [&Entry]() -> void {
    throw ERecoveryDamaged("Recovery file " + QuoteForMessage(Entry.Path) + " is damaged");
  };
  // This program writes only regular files it can read back; anything else
  // (a FIFO would block the read) is not one of them.
  struct stat info;
  if (::lstat(Entry.Path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || info.st_size > MaxFileBytes)) damaged();
  std::vector<uint8_t> data = ReadFileBytes(Entry.Path, MaxFileBytes, "Recovery file");

  TReadOnlyStream stream(data);
  if (stream.Remaining() < RecoveryHeaderSize) damaged();
  char signature[sizeof RecoverySignature];
  stream.ReadBuffer(signature, sizeof signature);
  if (!std::ranges::equal(signature, RecoverySignature)) damaged();
  if (const uint32_t version = stream.ReadUInt32(); version != RecoveryFormatVersion)
    throw ERecoveryDamaged("Recovery file " + QuoteForMessage(Entry.Path) + " has an unknown format version (" +
                           std::to_string(version) + ")");
  const uint32_t nameLength = stream.ReadUInt32();
  // Both lengths are compared with the bytes read before anything is sized
  // by them.
  if (nameLength > MaxRecoveredNameBytes || stream.Remaining() < int64_t(nameLength) + 4) damaged();
  TRecoveredImage recovered;
  recovered.OriginalFileName = stream.ReadBytes(nameLength);
  if (recovered.OriginalFileName.find('\0') != std::string::npos) damaged();
  const uint32_t containerLength = stream.ReadUInt32();
  if (stream.Remaining() != int64_t(containerLength)) damaged();
  data.erase(data.begin(), data.begin() + stream.Position());
  recovered.Container = std::move(data);
  return recovered;
}

void TRecoveryStore::Discard(const TRecoveryEntry& Entry) {
  const std::string session = SessionOf(Entry);
  ClaimForChange(session, Entry.Path, "remove file");
  if (::unlink(Entry.Path.c_str()) != 0 && errno != ENOENT) FailOnFile("remove file", Entry.Path, std::strerror(errno));
  Release(session, true);
}

std::string TRecoveryStore::SetAside(const TRecoveryEntry& Entry) {
  const std::string session = SessionOf(Entry);
  ClaimForChange(session, Entry.Path, "rename file");
  // The claim keeps other programs of this kind away from these names; the
  // check before the rename only guards what the person put there.
  for (int n = 1; n <= 1000; ++n) {
    const std::string target = Entry.Path + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) continue;
    if (::rename(Entry.Path.c_str(), target.c_str()) != 0) FailOnFile("rename file", Entry.Path, std::strerror(errno));
    Release(session, true);
    return target;
  }
  FailOnFile("rename file", Entry.Path, std::strerror(EEXIST));
}
