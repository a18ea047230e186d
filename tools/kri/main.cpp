// kri: inspects, converts and renders image files from the command line.
// Exit status 0 on success, 1 on a failure (its message on standard error,
// no output file left), 2 on a usage error.
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "export/Export.h"
#include "figures/Streams.h"
#include "tools/kri/KriInfo.h"
#include "tools/kri/KriJson.h"

namespace {

constexpr const char* Usage =
    "usage: kri info FILE.kri           summary of the image\n"
    "       kri dump FILE.kri           the image as JSON on standard output\n"
    "       kri build FILE.json OUT.kri the image a JSON file describes\n"
    "       kri render [--scale N] FILE.kri OUT.bmp|OUT.png\n"
    "                                   the image drawn as a 24-bit BMP file, or PNG\n"
    "                                   when OUT ends in .png; each pixel N x N (1-8)\n"
    "       kri export FILE.kri OUT.svg|OUT.pdf\n"
    "                                   the image as an SVG 1.1 document, or a one-page\n"
    "                                   PDF when OUT ends in .pdf\n";

// The operands of render with "--scale N" taken out, wherever it stands;
// none when N is not a whole number from 1 to MaxRenderScale.
struct TRenderArguments {
  std::vector<std::string> Files;
  int Scale = 1;
};

std::optional<TRenderArguments> ParseRender(std::vector<std::string> Args) {
  TRenderArguments parsed;
  const auto option = std::find(Args.begin(), Args.end(), "--scale");
  if (option != Args.end()) {
    const std::string value = option + 1 != Args.end() ? *(option + 1) : std::string();
    if (value.size() != 1 || value[0] < '1' || value[0] > '0' + MaxRenderScale) return std::nullopt;
    parsed.Scale = value[0] - '0';
    Args.erase(option, option + 2);
  }
  parsed.Files = std::move(Args);
  return parsed;
}

std::unique_ptr<TFiguresCollection> LoadImage(const std::string& FileName) {
  return TFiguresCollection::CreateFromFile(nullptr, FileName);
}

// A failed write (a full disk, a closed pipe) is reported, not ignored.
void WriteStandardOutput(const std::string& Text) {
  if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0) throw EWriteError();
}

int Run(int& argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? std::string() : args[0];
  if (args.size() == 1 && (command == "-h" || command == "--help")) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (args.size() == 2 && command == "info") {
    WriteStandardOutput(DescribeImage(*LoadImage(args[1])));
  } else if (args.size() == 2 && command == "dump") {
    const QByteArray json = ImageToJson(*LoadImage(args[1]));
    WriteStandardOutput(json.toStdString());
  } else if (args.size() == 3 && command == "build") {
    // A pipe or a device may never end: the read stops past the limit.
    const std::vector<uint8_t> json = ReadFileBytes(args[1], MaxJsonTextBytes, "JSON text");
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(json.data()), qsizetype(json.size()));
    ImageFromJson(text)->SaveToFile(args[2]);
  } else if (command == "render") {
    const std::optional<TRenderArguments> render = ParseRender({args.begin() + 1, args.end()});
    if (!render) {
      std::fprintf(stderr, "kri: the scale must be a whole number from 1 to %d\n", MaxRenderScale);
      return 2;
    }
    if (render->Files.size() != 2) {
      std::fputs(Usage, stderr);
      return 2;
    }
    const std::unique_ptr<TFiguresCollection> image = LoadImage(render->Files[0]);
    // Text needs the font system, hence a GUI application; without a
    // platform chosen it runs offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the tool's own failures only, not the
    // platform's notes about its environment.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QGuiApplication application(argc, argv);
    const TExportFormat format =
        ExportFormatOfName(render->Files[1]) == TExportFormat::Png ? TExportFormat::Png : TExportFormat::Bmp;
    std::vector<TVectorApproximation> none;
    ExportImage(*image, render->Files[1], format, none, render->Scale);
  } else if (args.size() == 3 && command == "export") {
    const std::unique_ptr<TFiguresCollection> image = LoadImage(args[1]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QGuiApplication application(argc, argv);
    std::vector<TVectorApproximation> approximated;
    const TExportFormat format =
        ExportFormatOfName(args[2]) == TExportFormat::Pdf ? TExportFormat::Pdf : TExportFormat::Svg;
    ExportImage(*image, args[2], format, approximated);
    // The file is written and usable: what it shows only approximately is
    // a note, not a failure.
    if (!approximated.empty()) std::cerr << "kri: " << DescribeApproximations(approximated) << '\n';
  } else {
    std::fputs(Usage, stderr);
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "kri: " << EOutOfMemory().what() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "kri: " << e.what() << '\n';
  }
  return 1;
}
