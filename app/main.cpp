// The program: the main window first, then the offer of images a crash
// left unsaved, then the event loop until the main window closes. A file
// named on the command line is opened at once, as if chosen in the open
// dialog, unless a recovered image took its place.
//
// Each start is a program of its own with its own image: a file opened from
// the desktop while Kresta runs opens in a new instance, beside the images
// already open, whose own recovery files stay theirs.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include "ui/Application.h"
#include "ui/Icons.h"
#include "ui/MainUnit.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::setApplicationName(QStringLiteral("Kresta"));
  TApplication::setApplicationDisplayName(QStringLiteral("Kresta"));
  TApplication::setApplicationVersion(QStringLiteral(KRESTA_VERSION));
  // The desktop entry the windows belong to, and its icon on every window.
  TApplication::setDesktopFileName(QStringLiteral("org.kresta.Kresta"));
  TApplication::setWindowIcon(ProgramIcon());
  InstallInterfaceLanguage(app);

  QCommandLineParser options;
  options.setApplicationDescription(QCoreApplication::translate("main", "Kresta, редактор векторной графики."));
  options.addHelpOption();
  options.addVersionOption();
  options.addPositionalArgument(QCoreApplication::translate("main", "ФАЙЛ"),
                                QCoreApplication::translate("main", "Изображение (.kri), открываемое при запуске."),
                                QCoreApplication::translate("main", "[ФАЙЛ]"));
  options.process(app);
  const QStringList files = options.positionalArguments();

  TfrmMain frmMain;
  frmMain.show();
  const bool restored = frmMain.OfferRecovery();
  if (!restored && !files.isEmpty()) frmMain.OpenImage(isFile, files.first());
  return app.exec();
}
