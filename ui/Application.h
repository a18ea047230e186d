// The program's application object and its top-level error report: a
// failure that no handler caught ends up here. A silent abort (EAbort) is
// dropped; any other failure is shown to the user with its text, and the
// event loop goes on.
#pragma once

#include <exception>
#include <functional>

#include <QApplication>
#include <QLocale>
#include <QString>

class TApplication : public QApplication {
 public:
  // Receives the text of a failure to show; the default shows a message box
  // with the critical icon, captioned "Kresta".
  using TErrorReporter = std::function<void(const QString& Message)>;

  TApplication(int& argc, char** argv);

  // Delivers the event; a failure escaping its handler goes to
  // HandleException.
  bool notify(QObject* Receiver, QEvent* Event) override;

  // Shows the failure's text through the reporter, whatever its kind.
  static void ShowException(const std::exception& E);
  // The top-level decision for a failure: EAbort silent, any other failure
  // shown. Widgets call it where a failure reaches the toolkit's edge, so
  // that it never unwinds through the toolkit's own frames.
  static void HandleException(std::exception_ptr Failure);

  // Replaces the reporter (an empty one restores the message box) and
  // returns the previous one.
  static TErrorReporter SetErrorReporter(TErrorReporter Reporter);
};

// The language of the interface for a locale, as a language code: "ru"
// (the language the program's texts are written in) for a Russian locale,
// else the first of the locale's languages that the program has a
// translation of, else "en". The locale's languages follow LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG.
QString InterfaceLanguage(const QLocale& System);
// Speaks the system locale's interface language from now on: the
// program's translation, the toolkit's own (its dialogs and buttons), and
// the default locale numbers are shown in. Returns the language's code.
QString InstallInterfaceLanguage(QCoreApplication& App);

// Runs a handler at the toolkit's edge: whatever it raises goes to the
// top-level report instead of unwinding into the event loop.
template <typename THandler>
void ReportFailures(THandler&& Handler) {
  try {
    Handler();
  } catch (...) {
    TApplication::HandleException(std::current_exception());
  }
}
