// Automatic recovery: while an image has unsaved changes the program keeps
// a copy of its container in a recovery file, so that after a crash the
// person gets the drawing back at the next start.
//
// Every store is one session of one running program: an id of its own, the
// recovery file "<id>.krr" and the lock file "<id>.lock" in the recovery
// folder. From its first write until it is destroyed the store holds an
// exclusive flock on its lock file; the kernel releases it when the program
// ends in any way, so a recovery file whose lock can be taken (or whose lock
// file is missing) is a leftover of a session that is gone. A store offers
// leftovers only while it holds their lock too (its claim), so two programs
// started at once never offer the same one; a claim lasts until Discard,
// SetAside or the store's destruction.
//
// The recovery file, integers little-endian:
//   0      8  signature "KRECOVER"
//   8      4  format version, 1
//   12     4  N, the length of the original file name in bytes, 0..4096
//   16     N  the original file name, UTF-8 without terminator; empty for an
//             image never saved
//   16+N   4  M, the length of the container in bytes
//   20+N   M  the image container (Collection.h)
// and nothing after it: the file is exactly 20 + N + M bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "figures/Exceptions.h"

constexpr char RecoverySignature[8] = {'K', 'R', 'E', 'C', 'O', 'V', 'E', 'R'};
constexpr uint32_t RecoveryFormatVersion = 1;
constexpr uint32_t RecoveryHeaderSize = 20;  // without the name
// The longest original file name a recovery file holds, bytes (PATH_MAX).
constexpr uint32_t MaxRecoveredNameBytes = 4096;

// A recovery file that is not one this program wrote whole: its message
// names the file ("Recovery file "<name>" is damaged").
class ERecoveryDamaged : public EKrestaError {
 public:
  using EKrestaError::EKrestaError;
};

// "$XDG_STATE_HOME/kresta", or "$HOME/.local/state/kresta" when
// XDG_STATE_HOME is unset, empty or not an absolute path; the home folder
// of the user's account entry when HOME is unset or relative. EFileError
// when there is no home folder at all.
std::string DefaultRecoveryFolder();

// A recovery file left by a session that is gone.
struct TRecoveryEntry {
  std::string Path;
  std::chrono::system_clock::time_point Modified;  // when it was last written
  int64_t Size = 0;                                // bytes
};

struct TRecoveredImage {
  std::string OriginalFileName;  // empty: the image was never saved
  std::vector<uint8_t> Container;
};

class TRecoveryStore {
 public:
  // Touches nothing on disk before the first Write. Folder: an absolute
  // path, as DefaultRecoveryFolder gives.
  explicit TRecoveryStore(std::string Folder);
  // Removes the session's lock file and releases its lock and claims; the
  // recovery file stays (a normal end calls Remove first).
  ~TRecoveryStore();
  TRecoveryStore(const TRecoveryStore&) = delete;
  TRecoveryStore& operator=(const TRecoveryStore&) = delete;

  const std::string& Folder() const { return FFolder; }
  const std::string& SessionId() const { return FSessionId; }
  std::string RecoveryPath() const;

  // Replaces this session's recovery file with Container and the name of
  // the file the image was opened from or saved to; a name that cannot be a
  // path (over MaxRecoveredNameBytes, holding a NUL) is kept as empty, so
  // the drawing is still recovered. The first write creates the folder and
  // its missing parents (mode 0700) and takes the session's lock. A failure
  // of the file system throws EFileError and leaves the previous recovery
  // file as it was, as does a file that would pass MaxFileBytes.
  void Write(std::span<const uint8_t> Container, const std::string& OriginalFileName);
  // Removes this session's recovery file, if any; the lock stays. EFileError
  // when it exists and cannot be removed.
  void Remove();

  // The leftovers in the folder, this session's own excluded, oldest first
  // (by modification time, then path); each now claimed by this store. None
  // when the folder does not exist; EFileError when it cannot be read.
  std::vector<TRecoveryEntry> Leftovers() const;
  // The content of a leftover. ERecoveryDamaged for any file but one this
  // program wrote whole (SetAside is then the way out); EFileError when it
  // cannot be read. The container itself is not checked.
  TRecoveredImage Load(const TRecoveryEntry& Entry) const;
  // Removes a leftover restored and taken over (written first as this
  // session's own) or declined, and its lock file. Entries come from
  // Leftovers; EFileError when the session is running after all or the
  // file cannot be removed.
  void Discard(const TRecoveryEntry& Entry);
  // Renames a damaged leftover to "<path>.damaged" (or "<path>.damaged-2"
  // and so on, never over an existing file), which is no longer offered,
  // and returns the new path. The same failures as Discard.
  std::string SetAside(const TRecoveryEntry& Entry);

 private:
  // An open lock file holding an exclusive flock; closing releases it.
  class TLock {
   public:
    TLock() = default;
    explicit TLock(int Handle) : FHandle(Handle) {}
    TLock(TLock&& Other) noexcept;
    TLock& operator=(TLock&& Other) noexcept;
    ~TLock();
    bool Held() const { return FHandle >= 0; }

   private:
    int FHandle = -1;
  };

  std::string PathOf(const std::string& Session, const char* Suffix) const;
  // The session a leftover entry belongs to; std::invalid_argument for a
  // path that is not a recovery file of this folder or is this session's.
  std::string SessionOf(const TRecoveryEntry& Entry) const;
  // True when this store holds the session's lock (claimed before or now);
  // false, with errno, when a running program holds it (EWOULDBLOCK) or the
  // lock file cannot be opened.
  bool Claim(const std::string& Session) const;
  // Drops the claim; with RemoveLockFile the lock file goes first.
  void Release(const std::string& Session, bool RemoveLockFile) const;
  // The claim on a leftover's session, or EFileError naming the file.
  void ClaimForChange(const std::string& Session, const std::string& Path, const char* Action) const;
  void StartSession();
  // Removes what gone sessions leave besides recovery files: lock files of
  // none and temporary files of an interrupted write.
  void SweepGoneSessions();

  std::string FFolder;
  std::string FSessionId;
  TLock FLock;  // held from the first Write on
  mutable std::map<std::string, TLock> FClaims;  // by session id
};
