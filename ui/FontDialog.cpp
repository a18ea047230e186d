#include "ui/FontDialog.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

#include "canvas/CodePage.h"
#include "ui/Controls.h"

namespace {

// Pixels per inch of the classic screen that stored heights assume.
constexpr double kPixelsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
// The size a height of 0 (the system's default) stands for.
constexpr double kDefaultPointSize = 8.0;

}  // namespace

QFont ToQFont(const TFont& Font) {
  QFont font(QString::fromStdU16String(Cp1251ToUtf16(Font.Name)));
  const int64_t pixels = std::llabs(int64_t(Font.Height));
  font.setPointSizeF(pixels == 0 ? kDefaultPointSize : double(pixels) * kPointsPerInch / kPixelsPerInch);
  font.setBold((Font.Style & fsBold) != 0);
  font.setItalic((Font.Style & fsItalic) != 0);
  font.setUnderline((Font.Style & fsUnderline) != 0);
  font.setStrikeOut((Font.Style & fsStrikeOut) != 0);
  return font;
}

TFont FromQFont(const QFont& Font, const TFont& Base) {
  TFont result = Base;
  result.Name = Utf16ToCp1251(Font.family().toStdU16String()).Bytes;
  const double points = Font.pointSizeF() > 0 ? Font.pointSizeF() : kDefaultPointSize;
  result.Height = -int32_t(std::lround(points * kPixelsPerInch / kPointsPerInch));
  result.Style = TFontStyles((Font.bold() ? fsBold : 0) | (Font.italic() ? fsItalic : 0) |
                             (Font.underline() ? fsUnderline : 0) | (Font.strikeOut() ? fsStrikeOut : 0));
  return result;
}

TFontSelectDialog::TFontSelectDialog(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(tr("Шрифт"));
  setAccessibleName(windowTitle());

  FontChooser = new QFontDialog(this);
  FontChooser->setWindowFlags(Qt::Widget);
  FontChooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  // Enter and Escape end the embedded chooser as a dialog of its own (it
  // hides itself): they end this dialog the same way.
  connect(FontChooser, &QDialog::finished, this, [this](int Result) { done(Result); });

  auto* colorLabel = new QLabel(tr("Цвет:"), this);
  cbFontColor = new TColorBox(this);
  SetHint(cbFontColor, tr("Цвет шрифта"));
  colorLabel->setBuddy(cbFontColor);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  btnApply = buttons->button(QDialogButtonBox::Apply);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, &TFontSelectDialog::Applied);

  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(colorLabel);
  colorRow->addWidget(cbFontColor, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FontChooser);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);
}

TFont TFontSelectDialog::SelectedFont() const {
  const QFont chosen = FontChooser->currentFont();
  TFont font = FromQFont(chosen, FBase);
  // A typeface missing here is shown as its stand-in, and a cell height as a
  // size in points: what the user left alone keeps its stored form.
  if (chosen.family() == FShown.family()) font.Name = FBase.Name;
  if (chosen.pointSizeF() == FShown.pointSizeF()) font.Height = FBase.Height;
  font.Color = cbFontColor->Color();
  return font;
}

void TFontSelectDialog::SetSelectedFont(const TFont& Value) {
  FontChooser->show();
  FBase = Value;
  FontChooser->setCurrentFont(ToQFont(Value));
  FShown = FontChooser->currentFont();
  cbFontColor->SetColor(Value.Color);
}
