// The other side of the clipboard tests across processes: a program of its
// own, on the X server the test started, that copies or pastes through the
// clipboard routines.
//
//   clipboard_peer copy-figure IMAGE.kri  copies the image's selected figure
//   clipboard_peer copy-image IMAGE.kri   copies the image
//       Both print "ready" once the clipboard is theirs and serve it until
//       their standard input ends (X11 keeps the data in the owner).
//   clipboard_peer paste-figure           prints the pasted figure as its
//                                         block (name length, name, record)
//   clipboard_peer paste-image            prints the pasted image's container
//
// Bytes are printed as lowercase hexadecimal on one line. A failure prints
// its message on the standard error and exits with 1; wrong usage exits with
// 2.
#include <QGuiApplication>
#include <QClipboard>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/AbstractFigures.h"
#include "figures/Streams.h"

namespace {

void PrintHex(const std::vector<uint8_t>& Bytes) {
  std::string text;
  text.reserve(Bytes.size() * 2 + 1);
  static constexpr char digits[] = "0123456789abcdef";
  for (uint8_t b : Bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  std::printf("%s\n", text.c_str());
}

// Serves the clipboard until the standard input ends.
int ServeClipboard(QGuiApplication& App) {
  if (!QGuiApplication::clipboard()->ownsClipboard()) {
    std::fprintf(stderr, "the clipboard was not taken\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, &App, [&] {
    char buffer[256];
    if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) App.quit();
  });
  return App.exec();
}

int Run(QGuiApplication& App, const std::string& Mode, const std::string& FileName) {
  if (Mode == "copy-figure" || Mode == "copy-image") {
    TFiguresCollection image(nullptr);
    image.LoadFromFile(FileName);
    if (Mode == "copy-image") {
      CopyImageToClipboard(image);
    } else {
      if (image.Selected() == nullptr) throw std::runtime_error("the image has no selected figure");
      CopyFigureToClipboard(*image.Selected());
    }
    return ServeClipboard(App);
  }
  TMemoryStream out;
  if (Mode == "paste-figure") {
    const std::unique_ptr<TBasicFigure> figure = PasteFigureFromClipboard();
    const std::string name = figure->ClassName();
    out.WriteInt32(int32_t(name.size()));
    out.WriteBuffer(name.data(), name.size());
    figure->SaveToStream(out);
  } else if (Mode == "paste-image") {
    TFiguresCollection image(nullptr);
    PasteImageFromClipboard(image);
    image.SaveToStream(out);
  } else {
    return 2;
  }
  PrintHex(out.Data());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool copying = !args.empty() && args[0].rfind("copy-", 0) == 0;
  if (args.empty() || args.size() != (copying ? 2u : 1u)) {
    std::fprintf(stderr, "usage: clipboard_peer copy-figure|copy-image IMAGE.kri | paste-figure|paste-image\n");
    return 2;
  }
  try {
    const int status = Run(app, args[0], copying ? args[1] : std::string());
    if (status == 2) std::fprintf(stderr, "unknown mode %s\n", args[0].c_str());
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
