// The program: the main window first, then the new-image dialog, then the
// event loop until the main window closes. A file named on the command line
// is opened at once, as if chosen in the open dialog.
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
  if (arguments.size() > 1) frmMain.OpenImage(isFile, arguments[1]);
  return app.exec();
}
