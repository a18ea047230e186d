// The size limit of a clipboard block. Guards against a block of any size
// copied into a stream: Qt holds it already, a copy would double it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>
#include <string>

#include "document/ClipBoardUnit.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"

TEST(ClipboardLimit, BlockOverTheLimitIsRefusedBeforeItIsCopied) {
  // Left untouched, the block costs address space, not memory.
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(CF_IMAGE.Name), QByteArray(MaxFileBytes + 1, Qt::Uninitialized));
  QGuiApplication::clipboard()->setMimeData(data.release());
  TMemoryStream stream;
  try {
    GetStreamFromClipboard(stream, CF_IMAGE);
    ADD_FAILURE() << "took a block over the limit";
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Clipboard data too large (over 1 GiB)");
  }
  EXPECT_EQ(stream.Size(), 0);
  QGuiApplication::clipboard()->clear();
}
