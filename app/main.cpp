// The program: the main window first, then the offer of images a crash
// left unsaved, then the event loop until the main window closes. A file
// named on the command line is opened at once, as if chosen in the open
// dialog, unless a recovered image took its place.
#include <QStringList>

#include "ui/Application.h"
#include "ui/MainUnit.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::setApplicationName(QStringLiteral("Kresta"));
  TApplication::setApplicationDisplayName(QStringLiteral("Kresta"));
  InstallRussianTranslations(app);

  TfrmMain frmMain;
  frmMain.show();
  const QStringList arguments = TApplication::arguments();
  const bool restored = frmMain.OfferRecovery();
  if (!restored && arguments.size() > 1) frmMain.OpenImage(isFile, arguments[1]);
  return app.exec();
}
