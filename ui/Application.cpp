#include "ui/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "figures/Exceptions.h"

namespace {

void ShowErrorBox(const QString& Message) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Kresta"), Message, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

TApplication::TErrorReporter& Reporter() {
  static TApplication::TErrorReporter reporter = ShowErrorBox;
  return reporter;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

void TApplication::ShowException(const std::exception& E) {
  // Copied first: the reporter may replace itself while it runs.
  const TErrorReporter reporter = Reporter();
  reporter(QString::fromUtf8(E.what()));
}

void TApplication::HandleException(std::exception_ptr Failure) {
  if (!Failure) return;
  try {
    std::rethrow_exception(Failure);
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(std::runtime_error("Unknown failure"));
  }
}

TApplication::TErrorReporter TApplication::SetErrorReporter(TErrorReporter NewReporter) {
  TErrorReporter previous = std::move(Reporter());
  Reporter() = NewReporter ? std::move(NewReporter) : TErrorReporter(ShowErrorBox);
  return previous;
}

bool InstallRussianTranslations(QCoreApplication& App) {
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  QLocale::setDefault(russian);
  auto* translator = new QTranslator(&App);
  if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return App.installTranslator(translator);
}
