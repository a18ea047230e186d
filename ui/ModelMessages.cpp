#include "ui/ModelMessages.h"

#include <new>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace {

// A model message: its English form as a pattern, and the interface's text
// for it, in which %1, %2 ... stand for the pattern's captures. A capture
// that is itself a message (a reason, a size) is shown in the interface's
// language too.
struct TMessageForm {
  const char* Pattern;
  const char* Text;
};

// A file name quoted as the model quotes it: escapes inside, never a bare
// double quote.
#define QUOTED "(\"(?:[^\"\\\\]|\\\\.)*\")"

constexpr TMessageForm kForms[] = {
    {"Image signature incorrect", QT_TRANSLATE_NOOP("TModelMessage", "Неверная подпись изображения")},
    {"Image size invalid", QT_TRANSLATE_NOOP("TModelMessage", "Недопустимый размер изображения")},
    {"Figure class unknown", QT_TRANSLATE_NOOP("TModelMessage", "Неизвестный класс фигуры")},
    {"Stream read error", QT_TRANSLATE_NOOP("TModelMessage", "Ошибка чтения потока")},
    {"Stream write error", QT_TRANSLATE_NOOP("TModelMessage", "Ошибка записи потока")},
    {"Array range error", QT_TRANSLATE_NOOP("TModelMessage", "Выход за границы массива")},
    {"Out of memory", QT_TRANSLATE_NOOP("TModelMessage", "Недостаточно памяти")},
    {"Unknown failure", QT_TRANSLATE_NOOP("TModelMessage", "Неизвестная ошибка")},
    {"Bitmap image is not valid", QT_TRANSLATE_NOOP("TModelMessage", "Неверный формат точечного рисунка")},
    {"JPEG image is not valid", QT_TRANSLATE_NOOP("TModelMessage", "Неверный формат изображения JPEG")},
    {"Bitmap image too large \\(over 256 MiB decoded\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Точечный рисунок слишком велик (больше 256 МиБ в памяти)")},
    {"Pictures of the image too large \\(over 1 GiB decoded together\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Картинки изображения слишком велики (вместе больше 1 ГиБ в памяти)")},
    {"Picture too large \\(over (\\d+) pixels a side\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Картинка слишком велика (больше %1 точек по стороне)")},
    {"Picture cannot be read: (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Картинка не читается: %1")},
    {"Cannot open file " QUOTED "\\. (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся открыть файл %1. %2")},
    {"Cannot create file " QUOTED "\\. (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся создать файл %1. %2")},
    {"Cannot remove file " QUOTED "\\. (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся удалить файл %1. %2")},
    {"Cannot rename file " QUOTED "\\. (.*)",
     QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся переименовать файл %1. %2")},
    {"Cannot create folder " QUOTED "\\. (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся создать папку %1. %2")},
    {"Cannot open folder " QUOTED "\\. (.*)", QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся открыть папку %1. %2")},
    {"Cannot open resource " QUOTED, QT_TRANSLATE_NOOP("TModelMessage", "Не удаётся открыть ресурс %1")},
    {"Cannot find the home folder to keep recovery files in",
     QT_TRANSLATE_NOOP("TModelMessage", "Не найдена домашняя папка для копий восстановления")},
    {"File too large \\(over (.*)\\)", QT_TRANSLATE_NOOP("TModelMessage", "Файл слишком велик (больше %1)")},
    {"Recovery file too large \\(over (.*)\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Копия для восстановления слишком велика (больше %1)")},
    {"Clipboard data too large \\(over (.*)\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Данные в буфере обмена слишком велики (больше %1)")},
    {"Recovery file " QUOTED " is damaged",
     QT_TRANSLATE_NOOP("TModelMessage", "Копия для восстановления %1 повреждена")},
    {"Recovery file " QUOTED " has an unknown format version \\((\\d+)\\)",
     QT_TRANSLATE_NOOP("TModelMessage", "Копия для восстановления %1 в неизвестном формате (версия %2)")},
    {"It belongs to a program still running",
     QT_TRANSLATE_NOOP("TModelMessage", "Ею пользуется программа, которая ещё работает")},
    {"(\\d+) GiB", QT_TRANSLATE_NOOP("TModelMessage", "%1 ГиБ")},
    {"(\\d+) MiB", QT_TRANSLATE_NOOP("TModelMessage", "%1 МиБ")},
    {"(\\d+) KiB", QT_TRANSLATE_NOOP("TModelMessage", "%1 КиБ")},
    {"(\\d+) bytes", QT_TRANSLATE_NOOP("TModelMessage", "%1 байт")},
};

#undef QUOTED

// A capture shown as it is: a quoted name or a number.
bool Verbatim(const QString& Capture) {
  return Capture.startsWith(QLatin1Char('"')) || (!Capture.isEmpty() && Capture.front().isDigit());
}

}  // namespace

QString ModelMessageText(const QString& Message) {
  for (const TMessageForm& form : kForms) {
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(QString::fromUtf8(form.Pattern)));
    const QRegularExpressionMatch match = pattern.match(Message);
    if (!match.hasMatch()) continue;
    QStringList parts;
    for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
      const QString capture = match.captured(i);
      parts << (Verbatim(capture) ? capture : ModelMessageText(capture));
    }
    // In one pass, so that a %1 inside a quoted name stays as it is.
    const QString text = QCoreApplication::translate("TModelMessage", form.Text);
    switch (parts.size()) {
      case 0: return text;
      case 1: return text.arg(parts[0]);
      default: return text.arg(parts[0], parts[1]);
    }
  }
  return Message;
}

QString FailureText(const std::exception& Failure) {
  if (dynamic_cast<const std::bad_alloc*>(&Failure) != nullptr)
    return ModelMessageText(QStringLiteral("Out of memory"));
  return ModelMessageText(QString::fromUtf8(Failure.what()));
}
