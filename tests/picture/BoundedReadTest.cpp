// Files read whole (images, pictures, the kri tool's JSON) and their size
// limit. Guards against a limit off by one, an endless input read without
// bound, and a regular file read before its size is checked.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

// The message ReadFileBytes fails with; empty when it reads the file.
std::string ReadFailure(const std::string& FileName, int64_t Limit, std::string_view What = "File") {
  try {
    ReadFileBytes(FileName, Limit, What);
  } catch (const EFileError& e) {
    return e.what();
  }
  return {};
}

int64_t PeakResidentKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

TEST(BoundedRead, MoreThanTheLimitIsRefusedWhateverTheFile) {
  const QTemporaryDir folder;
  const std::string name = folder.filePath("hundred.bin").toStdString();
  WriteFileAtomically(name, std::vector<uint8_t>(100, 7));
  EXPECT_EQ(ReadFileBytes(name, 100), std::vector<uint8_t>(100, 7));
  EXPECT_EQ(ReadFailure(name, 99), "Cannot open file \"" + name + "\". File too large (over 99 bytes)");
  // A device that never ends, whose size says nothing.
  EXPECT_EQ(ReadFailure("/dev/zero", 64 << 10, "JSON text"),
            "Cannot open file \"/dev/zero\". JSON text too large (over 64 KiB)");

  // A sparse file one byte over the real limit: its size refuses it before a
  // byte is read, so the peak memory stays where it was.
  QFile sparse(folder.filePath("huge.kri"));
  ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(MaxFileBytes + 1));
  sparse.close();
  const int64_t peakBefore = PeakResidentKiB();
  EXPECT_EQ(ReadFailure(sparse.fileName().toStdString(), MaxFileBytes),
            "Cannot open file \"" + sparse.fileName().toStdString() + "\". File too large (over 1 GiB)");
  EXPECT_LT(PeakResidentKiB() - peakBefore, 64 << 10) << "KiB";
}
