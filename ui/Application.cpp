#include "ui/Application.h"
#include "ui/ModelMessages.h"

#include <QFile>
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
  reporter(FailureText(E));
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

QString InterfaceLanguage(const QLocale& System) {
  for (const QString& name : System.uiLanguages()) {
    const QLocale::Language language = QLocale(name).language();
    if (language == QLocale::Russian) return QStringLiteral("ru");
    const QString code = QLocale::languageToCode(language);
    if (QFile::exists(QStringLiteral(":/i18n/kresta_%1.qm").arg(code))) return code;
  }
  return QStringLiteral("en");
}

namespace {

// Keeps the toolkit's names of font styles untranslated. The font
// dialog lists a family's faces under the names the font gives them and
// looks the chosen font's style up there by the toolkit's name for it:
// translated, that name is never found, and the dialog falls back to
// another face (a bold font came back oblique).
class TFontStyleNames : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* Context, const char* Source, const char*, int) const override {
    static constexpr const char* kStyles[] = {"Normal", "Thin",       "Extra Light", "Light",  "Medium", "Demi Bold",
                                              "Bold",   "Extra Bold", "Black",       "Italic", "Oblique"};
    if (qstrcmp(Context, "QFontDatabase") != 0) return {};
    for (const char* style : kStyles)
      if (qstrcmp(Source, style) == 0) return QString::fromLatin1(Source);
    return {};
  }
};

bool InstallTranslator(QCoreApplication& App, const QString& Name, const QString& Folder) {
  auto* translator = new QTranslator(&App);
  if (!translator->load(Name, Folder)) {
    delete translator;
    return false;
  }
  return App.installTranslator(translator);
}

}  // namespace

QString InstallInterfaceLanguage(QCoreApplication& App) {
  const QString code = InterfaceLanguage(QLocale::system());
  QLocale::setDefault(QLocale(code));
  // The program's texts are Russian; the toolkit's, English.
  if (code != QStringLiteral("ru")) InstallTranslator(App, QStringLiteral("kresta_") + code, QStringLiteral(":/i18n"));
  if (code != QStringLiteral("en") &&
      InstallTranslator(App, QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    App.installTranslator(new TFontStyleNames(&App));
  return code;
}
