#include "ui/Controls.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QColorDialog>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QPixmap>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>

#include "canvas/RasterCanvas.h"

namespace {

// The swatch drawn beside each colour name, pixels.
constexpr QSize kSwatchSize(16, 12);

struct TNamedColor {
  TColor Value;
  const char* Name;  // UTF-8, as written: translated when shown
};

// 0x00BBGGRR.
constexpr TNamedColor kStandardColors[] = {
    {0x000000, QT_TRANSLATE_NOOP("TColorBox", "Чёрный")},
    {0x000080, QT_TRANSLATE_NOOP("TColorBox", "Тёмно-красный")},
    {0x008000, QT_TRANSLATE_NOOP("TColorBox", "Зелёный")},
    {0x008080, QT_TRANSLATE_NOOP("TColorBox", "Оливковый")},
    {0x800000, QT_TRANSLATE_NOOP("TColorBox", "Тёмно-синий")},
    {0x800080, QT_TRANSLATE_NOOP("TColorBox", "Фиолетовый")},
    {0x808000, QT_TRANSLATE_NOOP("TColorBox", "Сине-зелёный")},
    {0x808080, QT_TRANSLATE_NOOP("TColorBox", "Серый")},
    {0xC0C0C0, QT_TRANSLATE_NOOP("TColorBox", "Серебристый")},
    {0x0000FF, QT_TRANSLATE_NOOP("TColorBox", "Красный")},
    {0x00FF00, QT_TRANSLATE_NOOP("TColorBox", "Ярко-зелёный")},
    {0x00FFFF, QT_TRANSLATE_NOOP("TColorBox", "Жёлтый")},
    {0xFF0000, QT_TRANSLATE_NOOP("TColorBox", "Синий")},
    {0xFF00FF, QT_TRANSLATE_NOOP("TColorBox", "Пурпурный")},
    {0xFFFF00, QT_TRANSLATE_NOOP("TColorBox", "Голубой")},
    {0xFFFFFF, QT_TRANSLATE_NOOP("TColorBox", "Белый")},
};

constexpr TNamedColor kExtendedColors[] = {
    {0xC0DCC0, QT_TRANSLATE_NOOP("TColorBox", "Серо-зелёный")},
    {0xF0CAA6, QT_TRANSLATE_NOOP("TColorBox", "Небесно-голубой")},
    {0xF0FBFF, QT_TRANSLATE_NOOP("TColorBox", "Кремовый")},
    {0xA4A0A0, QT_TRANSLATE_NOOP("TColorBox", "Средне-серый")},
};

// By system colour index, 0 to 24.
constexpr const char* kSystemColorNames[] = {
    QT_TRANSLATE_NOOP("TColorBox", "Полоса прокрутки"),
    QT_TRANSLATE_NOOP("TColorBox", "Рабочий стол"),
    QT_TRANSLATE_NOOP("TColorBox", "Заголовок активного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Заголовок неактивного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Меню"),
    QT_TRANSLATE_NOOP("TColorBox", "Фон окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Рамка окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст меню"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст заголовка активного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Граница активного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Граница неактивного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Рабочая область приложения"),
    QT_TRANSLATE_NOOP("TColorBox", "Выделение"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст выделения"),
    QT_TRANSLATE_NOOP("TColorBox", "Поверхность кнопки"),
    QT_TRANSLATE_NOOP("TColorBox", "Тень кнопки"),
    QT_TRANSLATE_NOOP("TColorBox", "Недоступный текст"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст кнопки"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст заголовка неактивного окна"),
    QT_TRANSLATE_NOOP("TColorBox", "Светлый край кнопки"),
    QT_TRANSLATE_NOOP("TColorBox", "Тёмная тень объёмных элементов"),
    QT_TRANSLATE_NOOP("TColorBox", "Светлый край объёмных элементов"),
    QT_TRANSLATE_NOOP("TColorBox", "Текст подсказки"),
    QT_TRANSLATE_NOOP("TColorBox", "Фон подсказки"),
};

QIcon Swatch(TColor Value) {
  QPixmap pixmap(kSwatchSize);
  pixmap.fill(ToQColor(Value));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, kSwatchSize.width() - 1, kSwatchSize.height() - 1);
  return QIcon(pixmap);
}

// The digits of Text with an optional sign and blanks around them; none when
// Text is anything else.
std::optional<QString> WholeNumberText(const QString& Text) {
  const QString trimmed = Text.trimmed();
  const qsizetype digitsFrom = trimmed.startsWith('+') || trimmed.startsWith('-') ? 1 : 0;
  if (trimmed.size() == digitsFrom) return std::nullopt;
  for (qsizetype i = digitsFrom; i < trimmed.size(); ++i)
    if (trimmed[i] < '0' || trimmed[i] > '9') return std::nullopt;
  return trimmed;
}

}  // namespace

TRangeSpinBox::TRangeSpinBox(QWidget* Parent) : QSpinBox(Parent) {
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  // A new spin box shows no text until its value first changes: the
  // initial value is read from the text like any other.
  lineEdit()->setText(textFromValue(value()));
}

// Anything may be typed; only a whole number within the range is final.
QValidator::State TRangeSpinBox::validate(QString& Input, int&) const {
  const std::optional<QString> number = WholeNumberText(Input);
  if (!number) return QValidator::Intermediate;
  bool ok = false;
  const int value = number->toInt(&ok);
  return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TRangeSpinBox::fixup(QString& Input) const { Input = textFromValue(valueFromText(Input)); }

int32_t TRangeSpinBox::ReadValue() const {
  const std::optional<QString> number = WholeNumberText(text());
  if (!number) return minimum();
  bool ok = false;
  const qlonglong value = number->toLongLong(&ok);
  if (!ok) return number->startsWith('-') ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  return int32_t(
      std::clamp<qlonglong>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int TRangeSpinBox::valueFromText(const QString& Text) const {
  const std::optional<QString> number = WholeNumberText(Text);
  if (!number) return minimum();
  bool ok = false;
  const qlonglong value = number->toLongLong(&ok);
  // Too many digits for any integer: the sign says which limit is nearer.
  if (!ok) return number->startsWith('-') ? minimum() : maximum();
  return int(std::clamp<qlonglong>(value, minimum(), maximum()));
}

TColorBox::TColorBox(QWidget* Parent) : QComboBox(Parent) {
  setIconSize(kSwatchSize);
  addItem(Swatch(clWhite), tr("Другой…"), QVariant::fromValue<uint32_t>(clWhite));
  for (const TNamedColor& c : kStandardColors) AddColor(c.Value, tr(c.Name));
  for (const TNamedColor& c : kExtendedColors) AddColor(c.Value, tr(c.Name));
  for (uint32_t i = 0; i < std::size(kSystemColorNames); ++i) AddColor(clSystemColor + i, tr(kSystemColorNames[i]));
  // The list may be wider than the closed box, which the fixed dialog keeps
  // narrow.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) + kSwatchSize.width());
  connect(this, &QComboBox::activated, this, &TColorBox::ColorActivated);
  connect(this, &QComboBox::currentIndexChanged, this, [this](int Index) {
    if (Index != CustomIndex) FCommittedIndex = Index;
    // The user's pick of the custom entry is settled by the colour dialog.
    if (Index != CustomIndex || FSettingCustom) NotifyColor();
  });
  SetColor(clWhite);
  FNotifiedColor = Color();
}

void TColorBox::NotifyColor() {
  if (Color() == FNotifiedColor) return;
  FNotifiedColor = Color();
  emit ColorChanged();
}

void TColorBox::AddColor(TColor Value, const QString& Name) {
  addItem(Swatch(Value), Name, QVariant::fromValue<uint32_t>(Value));
}

TColor TColorBox::Color() const {
  const int index = currentIndex();
  return index >= 0 ? TColor(itemData(index).value<uint32_t>()) : clWhite;
}

void TColorBox::SetColor(TColor Value) {
  for (int i = CustomIndex + 1; i < count(); ++i) {
    if (itemData(i).value<uint32_t>() == Value) {
      setCurrentIndex(i);
      return;
    }
  }
  SetCustomColor(Value);
}

void TColorBox::SetCustomColor(TColor Value) {
  FSettingCustom = true;
  setItemData(CustomIndex, QVariant::fromValue<uint32_t>(Value));
  setItemIcon(CustomIndex, Swatch(Value));
  setCurrentIndex(CustomIndex);
  FSettingCustom = false;
  FCommittedIndex = CustomIndex;
  NotifyColor();
}

void TColorBox::ColorActivated(int Index) {
  if (Index != CustomIndex) return;
  QColorDialog dialog(ToQColor(TColor(itemData(CustomIndex).value<uint32_t>())), this);
  dialog.setWindowTitle(tr("Цвет"));
  if (dialog.exec() == QDialog::Accepted && dialog.selectedColor().isValid())
    SetCustomColor(FromQColor(dialog.selectedColor()));
  else
    setCurrentIndex(FCommittedIndex);
}

// The closed box shows the swatch and the colour's name when the name fits
// whole; a narrow box shows a longer name as a wider swatch alone, never cut
// (the list and the accessible name carry it whole).
void TColorBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  constexpr int kIconGap = 4;  // between the swatch and the name, as the style lays them out
  const bool nameFits =
      option.fontMetrics.horizontalAdvance(option.currentText) <= field.width() - option.iconSize.width() - kIconGap;
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  if (nameFits) {
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    return;
  }
  const QRect swatch = field.adjusted(1, (field.height() - option.iconSize.height()) / 2, -kIconGap,
                                      -(field.height() - option.iconSize.height() + 1) / 2);
  painter.fillRect(swatch, ToQColor(Color()));
  painter.setPen(Qt::black);
  painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void TColorBox::RefreshSwatches() {
  for (int i = 0; i < count(); ++i) setItemIcon(i, Swatch(TColor(itemData(i).value<uint32_t>())));
}

// System colours follow the palette: their swatches are redrawn with it.
void TColorBox::changeEvent(QEvent* Event) {
  if (Event->type() == QEvent::PaletteChange || Event->type() == QEvent::ApplicationPaletteChange) RefreshSwatches();
  QComboBox::changeEvent(Event);
}

QColor ToQColor(TColor Value) {
  const uint32_t rgb = ColorToRGB(Value);
  return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

TColor FromQColor(const QColor& Value) {
  return TColor(Value.red()) | TColor(Value.green()) << 8 | TColor(Value.blue()) << 16;
}

void SetHint(QWidget* Control, const QString& Hint, const QString& Caption) {
  Control->setToolTip(Hint);
  Control->setStatusTip(Hint);
  Control->setAccessibleDescription(Hint);
  Control->setAccessibleName(Caption.isEmpty() ? Hint : Caption);
}

void SetHint(QAction* Item, const QString& Hint) {
  Item->setToolTip(Hint.isEmpty() ? Item->text() : Hint);
  Item->setStatusTip(Hint);
}

// ---------------------------------------------------------------- THintBar

THintBar::THintBar(QWidget* Parent) : QStatusBar(Parent) {
  QFont compact = font();
  compact.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  setFont(compact);
  connect(this, &QStatusBar::messageChanged, this, [this](const QString& Message) {
    const bool fits = fontMetrics().horizontalAdvance(Message) <= MessageRect().width();
    setToolTip(fits ? QString() : Message);
  });
}

QRect THintBar::MessageRect() const {
  constexpr int kMargin = 6;
  return rect().adjusted(kMargin, 0, -kMargin, 0);
}

void THintBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
  const QRect room = MessageRect();
  painter.setPen(palette().windowText().color());
  painter.drawText(room, Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(currentMessage(), Qt::ElideRight, room.width()));
}

// ------------------------------------------------------------ TDropDownList

void TDropDownList::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  option.currentText = option.fontMetrics.elidedText(option.currentText, Qt::ElideRight, field.width());
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TDropDownList::showPopup() {
  view()->setMinimumWidth(view()->sizeHintForColumn(0));
  QComboBox::showPopup();
}

void TDropDownList::keyPressEvent(QKeyEvent* Event) {
  const QString typed = Event->text();
  if (!typed.isEmpty() && typed.front().isPrint() && !view()->isVisible()) showPopup();
  QComboBox::keyPressEvent(Event);
}

void EnableChildControls(QWidget* Container, bool Enabled) {
  for (QWidget* child : Container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setEnabled(Enabled);
}
