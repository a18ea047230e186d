#include "ui/ClassPages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "canvas/CodePage.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/FontDialog.h"

namespace {

// Accepts only the characters a stored text can hold (Windows-1251), so a
// text is never changed behind the user's back when it is stored.
class TCp1251Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& Input, int&) const override {
    return Utf16ToCp1251(Input.toStdU16String()).Unencodable.empty() ? Acceptable : Invalid;
  }
};

constexpr int kMargin = 6;
constexpr int kFieldHeight = 22;

}  // namespace

// ------------------------------------------------------------------ TNotePage

TNotePage::TNotePage(const QString& Note, QWidget* Parent) : TClassPage(Parent) {
  auto* label = new QLabel(Note, this);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(kMargin, kMargin, 172, 80);
}

// --------------------------------------------------------------- TCornersPage

TCornersPage::TCornersPage(QWidget* Parent) : TClassPage(Parent) {
  lblCorners = new QLabel(tr("Размер скругления углов:"), this);
  lblCorners->move(kMargin, kMargin);
  lblCorners->adjustSize();
  speditCornersX = new TRangeSpinBox(this);
  speditCornersY = new TRangeSpinBox(this);
  SetHint(speditCornersX, tr("Ширина скругления углов"));
  SetHint(speditCornersY, tr("Высота скругления углов"));
  int x = kMargin;
  for (TRangeSpinBox* field : {speditCornersX, speditCornersY}) {
    field->setRange(1, 500);
    field->setValue(5);
    field->setGeometry(x, kMargin + 20, 60, kFieldHeight);
    x += 70;
    connect(field, &QSpinBox::textChanged, this, &TClassPage::Edited);
  }
}

void TCornersPage::ShowFigure(TBasicFigure& Figure) {
  const TFigureRoundRect* figure = AsRoundRect(&Figure);
  speditCornersX->setValue(figure->Corners().x);
  speditCornersY->setValue(figure->Corners().y);
}

void TCornersPage::ApplyToFigure(TBasicFigure& Figure) {
  AsRoundRect(&Figure)->SetCorners(TPoint{speditCornersX->ReadValue(), speditCornersY->ReadValue()});
}

// ------------------------------------------------------------------ TTextPage

TTextPage::TTextPage(QWidget* Parent) : TClassPage(Parent), dlgFontSelect(new TFontSelectDialog(this)) {
  lblText = new QLabel(tr("Текст"), this);
  lblText->move(kMargin, kMargin);
  lblText->adjustSize();
  edText = new QLineEdit(tr("и без того всё так дерьмово..."), this);
  edText->setValidator(new TCp1251Validator(edText));
  edText->setGeometry(kMargin, kMargin + 16, 172, kFieldHeight);
  SetHint(edText, tr("Текст надписи"), tr("Текст"));
  lblText->setBuddy(edText);
  btnFontSelect = new QPushButton(tr("Шрифт"), this);
  btnFontSelect->setGeometry(kMargin, kMargin + 44, 75, 24);
  SetHint(btnFontSelect, tr("Выбрать шрифт надписи"), btnFontSelect->text());

  connect(edText, &QLineEdit::textChanged, this, &TClassPage::Edited);
  connect(btnFontSelect, &QPushButton::clicked, this, [this] { ReportFailures([this] { btnFontSelectClick(); }); });
  connect(dlgFontSelect, &TFontSelectDialog::Applied, this,
          [this] { ReportFailures([this] { dlgFontSelectApply(); }); });
}

TTextPage::~TTextPage() = default;

void TTextPage::ShowFigure(TBasicFigure& Figure) {
  const TFigureText* figure = AsText(&Figure);
  edText->setText(QString::fromStdU16String(Cp1251ToUtf16(figure->GetText())));
  FPanelFont = figure->Font();
}

void TTextPage::ApplyToFigure(TBasicFigure& Figure) {
  TFigureText* figure = AsText(&Figure);
  figure->SetText(Utf16ToCp1251(edText->text().toStdU16String()).Bytes);
  figure->GetFont() = FPanelFont;
}

void TTextPage::btnFontSelectClick() {
  dlgFontSelect->SetSelectedFont(FPanelFont);
  if (dlgFontSelect->exec() != QDialog::Accepted) return;
  FPanelFont = dlgFontSelect->SelectedFont();
  emit Edited();
}

void TTextPage::dlgFontSelectApply() {
  FPanelFont = dlgFontSelect->SelectedFont();
  emit Edited();
}
