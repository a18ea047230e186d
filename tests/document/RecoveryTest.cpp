// The recovery store: what one session writes comes back whole to another
// once the writer is gone, and nothing else is offered. Guards against a
// running program's file offered to another, one leftover offered to two
// programs at once, a header trusted beyond the bytes it came with, a
// damaged file that blocks the start, debris of gone sessions piling up and
// a folder outside the XDG rules.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/Recovery.h"
#include "figures/Exceptions.h"
#include "figures/MessageText.h"
#include "figures/Streams.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

Names FileNames(const std::string& Folder) {
  Names names;
  for (const auto& entry : fs::directory_iterator(Folder)) names.push_back(entry.path().filename().string());
  std::ranges::sort(names);
  return names;
}

Names Paths(const std::vector<TRecoveryEntry>& Entries) {
  Names paths;
  for (const TRecoveryEntry& entry : Entries) paths.push_back(entry.Path);
  return paths;
}

// The message Load refuses the file with as damaged; empty when it loads.
std::string DamageMessage(const TRecoveryStore& Store, const std::string& Path) {
  try {
    Store.Load({Path, {}, 0});
  } catch (const ERecoveryDamaged& e) {
    return e.what();
  }
  return {};
}

// The recovery file of name "n" and container {7, 7}, written out by hand.
const Bytes ValidFile = {'K', 'R', 'E', 'C', 'O', 'V', 'E', 'R', 1, 0, 0, 0, 1, 0, 0, 0, 'n', 2, 0, 0, 0, 7, 7};

struct RecoveryTest : ::testing::Test {
  QTemporaryDir Temp;
  // Not there yet: the first write makes it and its parent.
  std::string Folder = Temp.path().toStdString() + "/state/kresta";

  // A file in the folder as a gone session, or the person, left it.
  std::string Put(const std::string& Name, const Bytes& Content) {
    fs::create_directories(Folder);
    WriteFileAtomically(Folder + "/" + Name, Content);
    return Folder + "/" + Name;
  }
};

}  // namespace

TEST_F(RecoveryTest, FileHoldsHeaderNameAndContainer) {
  TRecoveryStore store(Folder);
  store.Write(Bytes{1, 2, 3}, "a.kri");
  EXPECT_EQ(ReadFileBytes(store.RecoveryPath()), (Bytes{'K', 'R', 'E', 'C', 'O', 'V', 'E', 'R', 1, 0, 0, 0, 5, 0, 0, 0,
                                                        'a', '.', 'k', 'r', 'i', 3, 0, 0, 0, 1, 2, 3}));
  EXPECT_EQ(FileNames(Folder), (Names{store.SessionId() + ".krr", store.SessionId() + ".lock"}));
  for (const std::string& folder : {Folder, Temp.path().toStdString() + "/state"})
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
}

TEST_F(RecoveryTest, LeftoverComesBackOnlyOnceItsWriterIsGone) {
  const Bytes container = {0, 0xFF, 'K', 'R', 'I', 0x80};
  auto writer = std::make_unique<TRecoveryStore>(Folder);
  writer->Write(container, "/home/ann/Пример drawing.kri");
  const std::string path = writer->RecoveryPath();
  TRecoveryStore reader(Folder);
  reader.Write(Bytes{1}, "own.kri");
  EXPECT_EQ(Paths(reader.Leftovers()), Names{}) << "the writer still runs";

  writer.reset();  // as a crash leaves it: no Remove
  const std::vector<TRecoveryEntry> leftovers = reader.Leftovers();
  ASSERT_EQ(Paths(leftovers), Names{path});
  const TRecoveredImage image = reader.Load(leftovers[0]);
  EXPECT_EQ(image.OriginalFileName, "/home/ann/Пример drawing.kri");
  EXPECT_EQ(image.Container, container);
}

TEST_F(RecoveryTest, RemovedFileIsNotOffered) {
  {
    TRecoveryStore store(Folder);
    EXPECT_NO_THROW(store.Remove()) << "nothing written yet";
    store.Write(Bytes{1, 2}, "a.kri");
    store.Remove();
    EXPECT_EQ(FileNames(Folder), Names{store.SessionId() + ".lock"});
  }
  EXPECT_EQ(FileNames(Folder), Names{});
}

TEST_F(RecoveryTest, LeftoverIsOfferedToOneStoreAtATime) {
  const std::string path = Put("gone.krr", ValidFile);
  Put("gone.lock", {});  // a crash leaves it, unlocked
  auto first = std::make_unique<TRecoveryStore>(Folder);
  TRecoveryStore second(Folder);
  EXPECT_EQ(Paths(first->Leftovers()), Names{path});
  EXPECT_EQ(Paths(second.Leftovers()), Names{});
  EXPECT_THROW(second.Discard({path, {}, 0}), EFileError);

  first.reset();
  const std::vector<TRecoveryEntry> released = second.Leftovers();
  ASSERT_EQ(Paths(released), Names{path});
  second.Discard(released[0]);
  EXPECT_EQ(FileNames(Folder), Names{}) << "the file and its lock file";
}

TEST_F(RecoveryTest, DamagedFileIsRefusedWithItsName) {
  const auto with = [](size_t At, const Bytes& Part) {
    Bytes file = ValidFile;
    file.resize(std::max(file.size(), At + Part.size()));
    std::ranges::copy(Part, file.begin() + ptrdiff_t(At));
    return file;
  };
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"empty", {}},
      {"header cut", Bytes(ValidFile.begin(), ValidFile.begin() + 19)},
      {"container cut", Bytes(ValidFile.begin(), ValidFile.end() - 1)},
      {"a byte after the container", with(23, {0})},
      {"container signature", with(0, {'K', 'R', 'I', ' ', ' '})},
      {"huge container length", with(17, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"huge name length", with(12, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"name past the end", with(12, {4})},
      {"NUL in the name", with(16, {0})},
  };
  TRecoveryStore store(Folder);
  ASSERT_EQ(store.Load({Put("valid.krr", ValidFile), {}, 0}).Container, (Bytes{7, 7}));
  for (const auto& [label, content] : cases) {
    const std::string path = Put("damaged.krr", content);
    EXPECT_EQ(DamageMessage(store, path), "Recovery file " + QuoteForMessage(path) + " is damaged") << label;
  }
  const std::string later = Put("later.krr", with(8, {2}));
  EXPECT_EQ(DamageMessage(store, later),
            "Recovery file " + QuoteForMessage(later) + " has an unknown format version (2)");
  EXPECT_THROW(store.Load({Folder + "/missing.krr", {}, 0}), EFileError) << "unreadable is not damaged";
}

TEST_F(RecoveryTest, SetAsideFileIsKeptButNoLongerOffered) {
  const std::string path = Put("gone.krr", Bytes{'x'});
  Put("gone.krr.damaged", Bytes{'y'});
  {
    TRecoveryStore store(Folder);
    const std::vector<TRecoveryEntry> leftovers = store.Leftovers();
    ASSERT_EQ(Paths(leftovers), Names{path});
    EXPECT_EQ(store.SetAside(leftovers[0]), path + ".damaged-2");
  }
  EXPECT_EQ(ReadFileBytes(path + ".damaged-2"), Bytes{'x'});
  EXPECT_EQ(ReadFileBytes(path + ".damaged"), Bytes{'y'});
  EXPECT_EQ(Paths(TRecoveryStore(Folder).Leftovers()), Names{});
}

TEST_F(RecoveryTest, FirstWriteSweepsWhatGoneSessionsLeft) {
  TRecoveryStore running(Folder);
  running.Write(Bytes{1}, "");
  const std::string other = running.SessionId();
  for (const std::string& name :
       Names{other + ".krr.Ab12Cd", "removed.lock", "crashed.krr.Xy34Zw", "kept.krr", "kept.krr.Qr56St",
             "kept.krr.damaged"})
    Put(name, ValidFile);

  TRecoveryStore store(Folder);
  store.Write(Bytes{5}, "");
  const std::string own = store.SessionId();
  Names expected = {"kept.krr", "kept.krr.damaged", own + ".krr", own + ".lock", other + ".krr", other + ".lock",
                    other + ".krr.Ab12Cd"};
  std::ranges::sort(expected);
  EXPECT_EQ(FileNames(Folder), expected);
}

TEST(RecoveryFolder, FollowsXdgStateHome) {
  const auto set = [](const char* Name, const char* Value) { Value ? ::setenv(Name, Value, 1) : ::unsetenv(Name); };
  const auto saved = [](const char* Name) {
    const char* value = std::getenv(Name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> state = saved("XDG_STATE_HOME"), home = saved("HOME");
  set("HOME", "/home/ann/");
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"/var/state", "/var/state/kresta"},        {"/var/state//", "/var/state/kresta"},
      {"", "/home/ann/.local/state/kresta"},      {"state", "/home/ann/.local/state/kresta"},
      {nullptr, "/home/ann/.local/state/kresta"},
  };
  for (const auto& [value, expected] : cases) {
    set("XDG_STATE_HOME", value);
    EXPECT_EQ(DefaultRecoveryFolder(), expected) << (value ? value : "unset");
  }
  set("XDG_STATE_HOME", state ? state->c_str() : nullptr);
  set("HOME", home ? home->c_str() : nullptr);
}
