#include "ui/NewDialog.h"

#include <QAbstractItemView>
#include <QColor>
#include <QColorDialog>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <iterator>
#include <optional>

#include "canvas/RasterCanvas.h"

namespace {

constexpr int kMinSide = 10;
constexpr int kMaxSide = 2000;

// The swatch drawn beside each colour name, pixels.
constexpr QSize kSwatchSize(16, 12);

struct TNamedColor {
  TColor Value;
  const char* Name;  // UTF-8
};

// 0x00BBGGRR.
constexpr TNamedColor kStandardColors[] = {
    {0x000000, "Чёрный"},     {0x000080, "Тёмно-красный"}, {0x008000, "Зелёный"},    {0x008080, "Оливковый"},
    {0x800000, "Тёмно-синий"}, {0x800080, "Фиолетовый"},   {0x808000, "Сине-зелёный"}, {0x808080, "Серый"},
    {0xC0C0C0, "Серебристый"}, {0x0000FF, "Красный"},      {0x00FF00, "Ярко-зелёный"}, {0x00FFFF, "Жёлтый"},
    {0xFF0000, "Синий"},       {0xFF00FF, "Пурпурный"},    {0xFFFF00, "Голубой"},      {0xFFFFFF, "Белый"},
};

constexpr TNamedColor kExtendedColors[] = {
    {0xC0DCC0, "Серо-зелёный"},
    {0xF0CAA6, "Небесно-голубой"},
    {0xF0FBFF, "Кремовый"},
    {0xA4A0A0, "Средне-серый"},
};

// By system colour index, 0 to 24.
constexpr const char* kSystemColorNames[] = {
    "Полоса прокрутки",
    "Рабочий стол",
    "Заголовок активного окна",
    "Заголовок неактивного окна",
    "Меню",
    "Фон окна",
    "Рамка окна",
    "Текст меню",
    "Текст окна",
    "Текст заголовка активного окна",
    "Граница активного окна",
    "Граница неактивного окна",
    "Рабочая область приложения",
    "Выделение",
    "Текст выделения",
    "Поверхность кнопки",
    "Тень кнопки",
    "Недоступный текст",
    "Текст кнопки",
    "Текст заголовка неактивного окна",
    "Светлый край кнопки",
    "Тёмная тень объёмных элементов",
    "Светлый край объёмных элементов",
    "Текст подсказки",
    "Фон подсказки",
};

QColor ToQColor(TColor Value) {
  const uint32_t rgb = ColorToRGB(Value);
  return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

TColor FromQColor(const QColor& Value) {
  return TColor(Value.red()) | TColor(Value.green()) << 8 | TColor(Value.blue()) << 16;
}

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
  addItem(Swatch(clWhite), QStringLiteral("Другой…"), QVariant::fromValue<uint32_t>(clWhite));
  for (const TNamedColor& c : kStandardColors) AddColor(c.Value, QString::fromUtf8(c.Name));
  for (const TNamedColor& c : kExtendedColors) AddColor(c.Value, QString::fromUtf8(c.Name));
  for (uint32_t i = 0; i < std::size(kSystemColorNames); ++i)
    AddColor(clSystemColor + i, QString::fromUtf8(kSystemColorNames[i]));
  // The list may be wider than the closed box, which the fixed dialog keeps
  // narrow.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) + kSwatchSize.width());
  connect(this, &QComboBox::activated, this, &TColorBox::ColorActivated);
  connect(this, &QComboBox::currentIndexChanged, this, [this](int Index) {
    if (Index != CustomIndex) FCommittedIndex = Index;
  });
  SetColor(clWhite);
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
  setItemData(CustomIndex, QVariant::fromValue<uint32_t>(Value));
  setItemIcon(CustomIndex, Swatch(Value));
  setCurrentIndex(CustomIndex);
  FCommittedIndex = CustomIndex;
}

void TColorBox::ColorActivated(int Index) {
  if (Index != CustomIndex) return;
  QColorDialog dialog(ToQColor(TColor(itemData(CustomIndex).value<uint32_t>())), this);
  dialog.setWindowTitle(QStringLiteral("Цвет"));
  if (dialog.exec() == QDialog::Accepted && dialog.selectedColor().isValid())
    SetCustomColor(FromQColor(dialog.selectedColor()));
  else
    setCurrentIndex(FCommittedIndex);
}

void TColorBox::RefreshSwatches() {
  for (int i = 0; i < count(); ++i) setItemIcon(i, Swatch(TColor(itemData(i).value<uint32_t>())));
}

// System colours follow the palette: their swatches are redrawn with it.
void TColorBox::changeEvent(QEvent* Event) {
  if (Event->type() == QEvent::PaletteChange || Event->type() == QEvent::ApplicationPaletteChange) RefreshSwatches();
  QComboBox::changeEvent(Event);
}

TfrmNewDlg::TfrmNewDlg(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("Создать"));
  setFixedSize(167, 153);
  // The fixed layout below is measured for the classic 8-point dialog font.
  QFont dialogFont = font();
  dialogFont.setPixelSize(11);
  setFont(dialogFont);

  Label1 = new QLabel(QStringLiteral("Цвет фона"), this);
  Label1->move(15, 10);
  colorbBackground = new TColorBox(this);
  colorbBackground->setGeometry(10, 25, 145, 22);

  Label2 = new QLabel(QStringLiteral("Ширина:"), this);
  Label2->move(50, 56);
  spinedW = new TRangeSpinBox(this);
  spinedW->setGeometry(95, 55, 60, 22);
  spinedW->setRange(kMinSide, kMaxSide);
  spinedW->setValue(650);

  Label3 = new QLabel(QStringLiteral("Высота:"), this);
  Label3->move(50, 88);
  spinedH = new TRangeSpinBox(this);
  spinedH->setGeometry(95, 85, 60, 22);
  spinedH->setRange(kMinSide, kMaxSide);
  spinedH->setValue(400);

  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setGeometry(5, 120, 70, 25);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
  btnCancel->setGeometry(85, 120, 70, 25);
  for (QLabel* label : {Label1, Label2, Label3}) label->adjustSize();

  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(btnOK, btnCancel);
  setTabOrder(btnCancel, colorbBackground);
  setTabOrder(colorbBackground, spinedW);
  setTabOrder(spinedW, spinedH);
}

int32_t TfrmNewDlg::Width() const { return spinedW->value(); }

int32_t TfrmNewDlg::Height() const { return spinedH->value(); }

TColor TfrmNewDlg::BackgroundColor() const { return colorbBackground->Color(); }

void TfrmNewDlg::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (const QScreen* desktop = screen())
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(), desktop->availableGeometry())
             .topLeft());
  btnOK->setFocus(Qt::OtherFocusReason);
}
