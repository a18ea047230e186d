// CROSS-PROCESS CLIPBOARD TESTS ON A REAL X SERVER.
//
// The exchange between separate programs through the X11 clipboard: a figure
// or an image copied by one program (clipboard_peer) and pasted by another,
// and a program that is not ours (xclip) reading and writing the formats by
// their names. Guards against formats that only work within one process,
// names the system does not see, bytes changed on the way, and a block
// longer than its data across processes.
//
// Each case starts its own Xvfb on a free display number (from :140 up,
// skipping any display whose lock file names a live process or whose socket
// answers, so parallel runs do not clash) and stops it at the end. Nothing
// outside the test is needed but the packages that scripts/install-deps
// installs (xvfb, xauth, xclip). A missing program fails the case with a
// message saying so; nothing is skipped.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "clipboard/ClipboardTestSupport.h"
#include "document/Collection.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/RasterTestSupport.h"

using namespace cliptest;

namespace {

constexpr int kFirstDisplay = 140;
constexpr int kLastDisplay = 239;
constexpr int kStartMs = 20000;
constexpr int kRunMs = 30000;
// The step of every poll below: a wait on the polled process itself, so that
// its exit ends the poll at once.
constexpr int kPollStepMs = 20;

const char* const kInstallHint = "; run scripts/install-deps (packages xvfb, xauth, xclip)";

Bytes FromQBytes(const QByteArray& B) { return Bytes(B.begin(), B.end()); }

QByteArray ToQBytes(const Bytes& B) { return QByteArray(reinterpret_cast<const char*>(B.data()), qsizetype(B.size())); }

Bytes FromHex(const QByteArray& Hex) { return FromQBytes(QByteArray::fromHex(Hex.trimmed())); }

// Children end with the test, even when it crashes or is killed; SIGTERM
// lets Xvfb remove its lock file and socket.
std::unique_ptr<QProcess> NewChild() {
  auto child = std::make_unique<QProcess>();
  child->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  return child;
}

// Stops a child the test started: SIGTERM, then SIGKILL if it lingers.
void Stop(QProcess& Child) {
  if (Child.state() == QProcess::NotRunning) return;
  Child.terminate();
  if (!Child.waitForFinished(5000)) {
    Child.kill();
    Child.waitForFinished(5000);
  }
}

// Whether an X server accepts connections on the display's local socket.
bool DisplayAccepts(int Display) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = "/tmp/.X11-unix/X" + std::to_string(Display);
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return accepted;
}

// The process id an X server wrote into the display's lock file; 0 when none.
qint64 LockOwner(int Display) {
  QFile lock(QString("/tmp/.X%1-lock").arg(Display));
  if (!lock.open(QIODevice::ReadOnly)) return 0;
  return lock.readAll().trimmed().toLongLong();
}

// A display is held while the process in its lock file lives or a server
// answers on its socket; a lock left by a dead server is reclaimed by the
// next Xvfb itself.
bool DisplayHeld(int Display) {
  const qint64 owner = LockOwner(Display);
  if (owner > 0 && (kill(pid_t(owner), 0) == 0 || errno == EPERM)) return true;
  return DisplayAccepts(Display);
}

struct TRunResult {
  int ExitCode = -1;
  QByteArray Out;
  QByteArray Err;
};

class ClipboardAcrossProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFiles.isValid());
    StartXServer();
  }

  void TearDown() override {
    // Copying peers leave when their input ends; xclip is stopped.
    for (auto& peer : FPeers) {
      peer->closeWriteChannel();
      if (!peer->waitForFinished(5000)) Stop(*peer);
    }
    FPeers.clear();
    for (auto& other : FOthers) Stop(*other);
    FOthers.clear();
    if (FXServer) Stop(*FXServer);
  }

  // Xvfb on the first display number nobody holds. A number taken between
  // the check and the start makes that Xvfb exit; the next number is tried.
  void StartXServer() {
    QByteArray lastOutput;
    for (int display = kFirstDisplay; display <= kLastDisplay; ++display) {
      if (DisplayHeld(display)) continue;
      std::unique_ptr<QProcess> server = NewChild();
      server->setProcessChannelMode(QProcess::MergedChannels);
      server->start("Xvfb", {QString(":%1").arg(display), "-screen", "0", "640x480x24", "-nolisten", "tcp"});
      if (!server->waitForStarted(kStartMs)) {
        FAIL() << "cannot start Xvfb: " << server->errorString().toStdString() << kInstallHint;
      }
      const QDeadlineTimer deadline(kStartMs);
      bool ready = false;
      while (!ready && server->state() == QProcess::Running && !deadline.hasExpired()) {
        ready = LockOwner(display) == server->processId() && DisplayAccepts(display);
        if (!ready) server->waitForFinished(kPollStepMs);
      }
      if (ready) {
        FDisplay = display;
        FXServer = std::move(server);
        return;
      }
      lastOutput = server->readAll();
      Stop(*server);
      if (deadline.hasExpired()) FAIL() << "Xvfb :" << display << " did not come up: " << lastOutput.toStdString();
    }
    FAIL() << "no X display from :" << kFirstDisplay << " to :" << kLastDisplay
           << " could be started; the last Xvfb said: " << lastOutput.toStdString();
  }

  QProcessEnvironment XEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", QString(":%1").arg(FDisplay));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("XAUTHORITY");
    return environment;
  }

  // Runs a program on the X server to its end.
  TRunResult Run(const QString& Program, const QStringList& Args) {
    TRunResult result;
    std::unique_ptr<QProcess> child = NewChild();
    child->setProcessEnvironment(XEnvironment());
    child->start(Program, Args);
    if (!child->waitForStarted(kStartMs)) {
      ADD_FAILURE() << "cannot start " << Program.toStdString() << ": " << child->errorString().toStdString()
                    << kInstallHint;
      return result;
    }
    if (!child->waitForFinished(kRunMs)) {
      ADD_FAILURE() << Program.toStdString() << " did not finish";
      Stop(*child);
    }
    result.ExitCode = child->exitStatus() == QProcess::NormalExit ? child->exitCode() : -1;
    result.Out = child->readAllStandardOutput();
    result.Err = child->readAllStandardError();
    return result;
  }

  // A peer that takes the clipboard and holds it until the test ends.
  void StartCopyingPeer(const char* Mode, const TFiguresCollection& Image) {
    const QString file = FFiles.filePath(QString("image%1.kri").arg(FPeers.size()));
    Image.SaveToFile(file.toStdString());
    std::unique_ptr<QProcess> peer = NewChild();
    peer->setProcessEnvironment(XEnvironment());
    peer->start(CLIPBOARD_PEER_EXECUTABLE, {Mode, file});
    ASSERT_TRUE(peer->waitForStarted(kStartMs)) << peer->errorString().toStdString();
    const QDeadlineTimer deadline(kStartMs);
    QByteArray said;
    while (!said.contains('\n') && peer->state() == QProcess::Running && !deadline.hasExpired()) {
      peer->waitForReadyRead(kPollStepMs);
      said += peer->readAllStandardOutput();
    }
    ASSERT_EQ(said, QByteArray("ready\n")) << peer->readAllStandardError().toStdString();
    FPeers.push_back(std::move(peer));
  }

  // What a second peer pastes, as the bytes it writes the result to.
  Bytes PastedByPeer(const char* Mode) {
    const TRunResult result = Run(CLIPBOARD_PEER_EXECUTABLE, {Mode});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    return FromHex(result.Out);
  }

  // The message with which a pasting peer failed.
  std::string PasteFailure(const char* Mode) {
    const TRunResult result = Run(CLIPBOARD_PEER_EXECUTABLE, {Mode});
    EXPECT_EQ(result.ExitCode, 1) << result.Out.toStdString();
    return result.Err.trimmed().toStdString();
  }

  // The format names the clipboard's owner offers, as another program
  // reads them; none while nobody owns the clipboard.
  QStringList Targets() {
    const TRunResult result = Run("xclip", {"-selection", "clipboard", "-t", "TARGETS", "-o"});
    return result.ExitCode == 0 ? QString::fromLatin1(result.Out).split('\n', Qt::SkipEmptyParts) : QStringList();
  }

  // xclip offering the block under Format; it serves in the foreground
  // until the test ends or another program takes the clipboard.
  void OfferWithXclip(const QString& Format, const Bytes& Block) {
    const QString file = FFiles.filePath("offered.bin");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ToQBytes(Block));
    out.close();
    std::unique_ptr<QProcess> xclip = NewChild();
    xclip->setProcessEnvironment(XEnvironment());
    xclip->start("xclip", {"-quiet", "-selection", "clipboard", "-t", Format, "-i", file});
    ASSERT_TRUE(xclip->waitForStarted(kStartMs)) << "cannot start xclip: " << xclip->errorString().toStdString()
                                                 << kInstallHint;
    const QDeadlineTimer deadline(kStartMs);
    bool offered = false;
    while (!offered && xclip->state() == QProcess::Running && !deadline.hasExpired()) {
      offered = Targets().contains(Format);
      if (!offered) xclip->waitForFinished(kPollStepMs);
    }
    ASSERT_TRUE(offered) << "xclip did not take the clipboard: " << xclip->readAllStandardError().toStdString();
    FOthers.push_back(std::move(xclip));
  }

  QTemporaryDir FFiles;
  int FDisplay = 0;
  std::unique_ptr<QProcess> FXServer;
  std::vector<std::unique_ptr<QProcess>> FPeers;
  std::vector<std::unique_ptr<QProcess>> FOthers;
};

// An image as the program keeps it, on a canvas (a background change
// redraws).
struct TDrawnImage {
  explicit TDrawnImage(const TRect& Rect) : Image(&Canvas, Rect) {}
  QImage Raster = MakeRaster(64, 48);
  TRasterCanvas Canvas{Raster};
  TFiguresCollection Image;
};

// Three figures, the middle one selected: the copied figure must be the
// selected one, not the last.
std::unique_ptr<TDrawnImage> ImageSelecting(std::unique_ptr<TBasicFigure> Figure) {
  auto drawn = std::make_unique<TDrawnImage>(TRect{0, 0, 400, 300});
  drawn->Image.Add(MakeFigure(TFigureRectangle::Class, 1));
  TBasicFigure* selected = drawn->Image.Add(std::move(Figure));
  drawn->Image.Add(MakeFigure(TFigureEllipse::Class, 2));
  drawn->Image.SetSelected(selected);
  return drawn;
}

std::unique_ptr<TDrawnImage> ImageOfEveryClass() {
  auto drawn = std::make_unique<TDrawnImage>(TRect{0, 0, 640, 480});
  int seed = 0;
  for (const TFigureClass* cls : RegisteredFigureClasses()) drawn->Image.Add(MakeFigure(*cls, ++seed));
  drawn->Image.SetSelected(drawn->Image.GetFigure(3));
  drawn->Image.SetBackgroundColor(clSystemColor + 5);
  return drawn;
}

Bytes Save(const TFiguresCollection& Image) {
  TMemoryStream stream;
  Image.SaveToStream(stream);
  return stream.TakeData();
}

}  // namespace

TEST_F(ClipboardAcrossProcesses, AFigureCopiedByOneProgramPastesEqualInAnother) {
  for (const TFigureClass* cls : {&TFigureText::Class, &TFigureBitmap::Class, &TFigurePolygon::Class}) {
    SCOPED_TRACE(cls->ClassName);
    const auto drawn = ImageSelecting(MakeFigure(*cls, 9));
    ASSERT_NO_FATAL_FAILURE(StartCopyingPeer("copy-figure", drawn->Image));
    EXPECT_EQ(PastedByPeer("paste-figure"), FigureBlock(*drawn->Image.Selected()));
    // The copying program still holds the data: a second paste gives it again.
    EXPECT_EQ(PastedByPeer("paste-figure"), FigureBlock(*drawn->Image.Selected()));
  }
}

TEST_F(ClipboardAcrossProcesses, AnImageCopiedByOneProgramPastesEqualInAnother) {
  const auto drawn = ImageOfEveryClass();
  ASSERT_NO_FATAL_FAILURE(StartCopyingPeer("copy-image", drawn->Image));
  EXPECT_EQ(PastedByPeer("paste-image"), Save(drawn->Image));
  // Copying replaced every format, in every program.
  EXPECT_EQ(PasteFailure("paste-figure"), "Out of memory");
}

TEST_F(ClipboardAcrossProcesses, AnotherProgramReadsTheFormatsByName) {
  const auto drawn = ImageSelecting(MakeFigure(TFigureText::Class, 4));
  ASSERT_NO_FATAL_FAILURE(StartCopyingPeer("copy-figure", drawn->Image));
  QStringList targets = Targets();
  EXPECT_EQ(targets.contains("Kresta Figure"), true) << targets.join(' ').toStdString();
  EXPECT_EQ(targets.contains("Kresta Image"), false) << targets.join(' ').toStdString();
  const TRunResult figure = Run("xclip", {"-selection", "clipboard", "-t", "Kresta Figure", "-o"});
  EXPECT_EQ(figure.ExitCode, 0) << figure.Err.toStdString();
  EXPECT_EQ(FromQBytes(figure.Out), FigureBlock(*drawn->Image.Selected()));

  ASSERT_NO_FATAL_FAILURE(StartCopyingPeer("copy-image", drawn->Image));
  targets = Targets();
  EXPECT_EQ(targets.contains("Kresta Image"), true) << targets.join(' ').toStdString();
  EXPECT_EQ(targets.contains("Kresta Figure"), false) << targets.join(' ').toStdString();
  const TRunResult container = Run("xclip", {"-selection", "clipboard", "-t", "Kresta Image", "-o"});
  EXPECT_EQ(container.ExitCode, 0) << container.Err.toStdString();
  EXPECT_EQ(FromQBytes(container.Out), Save(drawn->Image));
}

TEST_F(ClipboardAcrossProcesses, AnotherProgramWritesTheFormatsByName) {
  const auto figure = MakeFigure(TFigureRoundRect::Class, 6);
  Bytes longer = FigureBlock(*figure);
  longer.insert(longer.end(), 40, 0xEE);
  ASSERT_NO_FATAL_FAILURE(OfferWithXclip("Kresta Figure", longer));
  EXPECT_EQ(PastedByPeer("paste-figure"), FigureBlock(*figure));
  EXPECT_EQ(PasteFailure("paste-image"), "Out of memory");

  const auto drawn = ImageOfEveryClass();
  ASSERT_NO_FATAL_FAILURE(OfferWithXclip("Kresta Image", Save(drawn->Image)));
  EXPECT_EQ(PastedByPeer("paste-image"), Save(drawn->Image));
}
