// The kri executable run as a separate process. Guards against wrong exit
// statuses, messages that do not reach standard error, partial output on
// standard output, output files left behind (or damaged) by a failure, and
// inputs that never end read without bound.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "figures/MessageText.h"
#include "figures/Streams.h"
#include "kri/KriTestSupport.h"
#include "export/PictureExport.h"

namespace {

struct TKriRun {
  int ExitCode = -1;
  QByteArray Out;
  QByteArray Err;
};

TKriRun RunKri(const QStringList& Args, const QProcessEnvironment& Environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(Environment);
  process.start(KRI_EXECUTABLE, Args);
  TKriRun run;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
    ADD_FAILURE() << "kri did not finish normally: " << process.errorString().toStdString();
    return run;
  }
  run.ExitCode = process.exitCode();
  run.Out = process.readAllStandardOutput();
  run.Err = process.readAllStandardError();
  return run;
}

void WriteFile(const QString& Path, const TBytes& Data) { WriteFileAtomically(Path.toStdString(), Data); }

TBytes ReadFile(const QString& Path) { return ReadFileBytes(Path.toStdString()); }

QByteArray ToByteArray(const TBytes& Data) {
  return QByteArray(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size()));
}

class KriCommand : public ::testing::Test {
 protected:
  QString Path(const QString& Name) const { return FFolder.filePath(Name); }
  // The names in the folder, to see that a failure leaves nothing behind
  // (no output file, no temporary file).
  QStringList Names() const { return QDir(FFolder.path()).entryList(QDir::Files, QDir::Name); }

  QTemporaryDir FFolder;
};

}  // namespace

TEST_F(KriCommand, UsageErrorsExitWithTwo) {
  for (const QStringList& args : {QStringList{}, QStringList{"info"}, QStringList{"dump", "a", "b"},
                                  QStringList{"render", "a.kri"}, QStringList{"frobnicate", "a.kri"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const TKriRun run = RunKri(args);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.startsWith("usage: kri info FILE.kri")) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QByteArray());
  }
  const TKriRun help = RunKri({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(help.Out.startsWith("usage: kri info FILE.kri")) << help.Out.toStdString();
}

TEST_F(KriCommand, InfoSummarisesTheImage) {
  WriteFile(Path("every.kri"), ContainerBytes(*MakeEveryClassImage()));
  const TKriRun run = RunKri({"info", Path("every.kri")});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Err, QByteArray());
  EXPECT_EQ(run.Out.toStdString(),
            "Size: 320 x 200 pixels (image rectangle 0, 0, 320, 200)\n"
            "Background: 0x00336699\n"
            "Figures: 10\n"
            "  TFigurePolyLine   1\n"
            "  TFigureRectangle  1\n"
            "  TFigurePolygon    1\n"
            "  TFigureRoundRect  1\n"
            "  TFigureEllipse    1\n"
            "  TFigurePie        1\n"
            "  TFigureChord      1\n"
            "  TFigureText       1\n"
            "  TFigureBitmap     2\n"
            "Selected: 2 (TFigurePolygon)\n");
}

TEST_F(KriCommand, InfoNamesSystemColoursAndNoSelection) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 650, 400});
  image.SetBackgroundColor(clSystemColor + 15);
  WriteFile(Path("plain.kri"), ContainerBytes(image));
  const TKriRun run = RunKri({"info", Path("plain.kri")});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out.toStdString(),
            "Size: 650 x 400 pixels (image rectangle 0, 0, 650, 400)\n"
            "Background: 0x8000000F (system colour 15)\n"
            "Figures: 0\n"
            "Selected: none\n");
}

TEST_F(KriCommand, DumpThenBuildReproducesTheFile) {
  const TBytes original = ContainerBytes(*MakeEveryClassImage());
  WriteFile(Path("every.kri"), original);
  const TKriRun dump = RunKri({"dump", Path("every.kri")});
  ASSERT_EQ(dump.ExitCode, 0) << dump.Err.toStdString();
  EXPECT_EQ(dump.Err, QByteArray());
  WriteFile(Path("every.json"), TBytes(dump.Out.begin(), dump.Out.end()));
  const TKriRun build = RunKri({"build", Path("every.json"), Path("copy.kri")});
  EXPECT_EQ(build.ExitCode, 0) << build.Err.toStdString();
  EXPECT_EQ(build.Out, QByteArray());
  EXPECT_EQ(ReadFile(Path("copy.kri")), original);
}

TEST_F(KriCommand, LoadFailuresReportTheModelsMessage) {
  TBytes wrongSignature = ContainerBytes(*MakeEveryClassImage());
  wrongSignature[3] = 'x';
  WriteFile(Path("signature.kri"), wrongSignature);
  TBytes truncated = ContainerBytes(*MakeEveryClassImage());
  truncated.resize(truncated.size() - 3);
  WriteFile(Path("truncated.kri"), truncated);

  for (const char* command : {"info", "dump"}) {
    SCOPED_TRACE(command);
    TKriRun run = RunKri({command, Path("signature.kri")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "kri: Image signature incorrect\n");
    EXPECT_EQ(run.Out, QByteArray());
    run = RunKri({command, Path("truncated.kri")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "kri: Stream read error\n");
    EXPECT_EQ(run.Out, QByteArray());
    run = RunKri({command, Path("missing.kri")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err.toStdString(), "kri: Cannot open file " + QuoteForMessage(Path("missing.kri").toStdString()) +
                                         ". No such file or directory\n");
  }
}

// A device that never ends is read only to one byte past the limit.
TEST_F(KriCommand, EndlessInputIsRefusedAtTheLimit) {
  const TKriRun run = RunKri({"build", "/dev/zero", Path("out.kri")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err, "kri: Cannot open file \"/dev/zero\". JSON text too large (over 256 MiB)\n");
  EXPECT_EQ(Names(), QStringList());
}

TEST_F(KriCommand, FailedBuildLeavesNoFileAndKeepsAnOldOne) {
  QFile json(Path("bad.json"));
  ASSERT_TRUE(json.open(QIODevice::WriteOnly));
  json.write(R"({"figures": [{"class": "TFigureRectangle"}, {"class": "TFigureText", "text": "中"}]})");
  json.close();

  TKriRun run = RunKri({"build", Path("bad.json"), Path("out.kri")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err, "kri: figure 1: text: character U+4E2D cannot be stored in Windows-1251\n");
  EXPECT_EQ(Names(), QStringList{"bad.json"});

  const TBytes old{'o', 'l', 'd'};
  WriteFile(Path("out.kri"), old);
  run = RunKri({"build", Path("bad.json"), Path("out.kri")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(ReadFile(Path("out.kri")), old);
  EXPECT_EQ(Names(), (QStringList{"bad.json", "out.kri"}));
}

TEST_F(KriCommand, FailedRenderLeavesNoFile) {
  TBytes truncated = ContainerBytes(*MakeEveryClassImage());
  truncated.resize(100);
  WriteFile(Path("truncated.kri"), truncated);
  TKriRun run = RunKri({"render", Path("truncated.kri"), Path("out.bmp")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err, "kri: Stream read error\n");
  EXPECT_EQ(Names(), QStringList{"truncated.kri"});

  // A picture figure whose picture has the signature but no valid header.
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 10, 10});
  image.Add(std::make_unique<TFigureBitmap>(nullptr));
  TBytes badPicture = ContainerBytes(image);
  badPicture.pop_back();  // the transparency byte
  const TBytes fake{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0};
  badPicture.insert(badPicture.end(), fake.begin(), fake.end());
  WriteFile(Path("picture.kri"), badPicture);
  run = RunKri({"render", Path("picture.kri"), Path("out.bmp")});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err, "kri: Bitmap image is not valid\n");
  EXPECT_EQ(Names(), (QStringList{"picture.kri", "truncated.kri"}));
}

// Without a platform chosen the tool runs offscreen by itself, and writes
// the same BMP file image the library gives for the same image.
TEST_F(KriCommand, RenderWritesTheBmpOfTheImage) {
  const auto image = MakeEveryClassImage();
  WriteFile(Path("every.kri"), ContainerBytes(*image));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("QT_QPA_PLATFORM");
  const TKriRun run = RunKri({"render", Path("every.kri"), Path("every.bmp")}, environment);
  EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out, QByteArray());
  const TBytes expected = EncodeBmp24(RenderImage(*image));
  EXPECT_EQ(ToByteArray(ReadFile(Path("every.bmp"))), ToByteArray(expected));

  // Texts included, the pixels do not depend on the screen's scale.
  environment.insert("QT_SCALE_FACTOR", "2");
  ASSERT_EQ(RunKri({"render", Path("every.kri"), Path("scaled.bmp")}, environment).ExitCode, 0);
  EXPECT_EQ(ToByteArray(ReadFile(Path("scaled.bmp"))), ToByteArray(expected));
}

// A name ending in ".png" gives a PNG; --scale makes each pixel a square of
// that many pixels, wherever the option stands; a scale out of range is a
// usage error that writes nothing.
TEST_F(KriCommand, RenderWritesScaledPng) {
  const auto image = MakeEveryClassImage();
  WriteFile(Path("every.kri"), ContainerBytes(*image));
  const QImage expected = RenderImage(*image);
  const TKriRun run = RunKri({"render", Path("every.kri"), Path("every.PNG"), "--scale", "3"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  QImage png;
  ASSERT_TRUE(png.load(Path("every.PNG"), "PNG"));
  ASSERT_EQ(png.size(), expected.size() * 3);
  int differences = 0;
  for (int y = 0; y < png.height(); ++y)
    for (int x = 0; x < png.width(); ++x) differences += png.pixel(x, y) != expected.pixel(x / 3, y / 3);
  EXPECT_EQ(differences, 0);

  for (const char* scale : {"0", "9", "2x", ""}) {
    const TKriRun bad = RunKri({"render", "--scale", scale, Path("every.kri"), Path("bad.png")});
    EXPECT_EQ(bad.ExitCode, 2) << scale;
    EXPECT_EQ(bad.Err, "kri: the scale must be a whole number from 1 to 8\n");
  }
  EXPECT_EQ(Names(), (QStringList{"every.PNG", "every.kri"}));
}
