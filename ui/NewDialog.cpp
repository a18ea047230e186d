#include "ui/NewDialog.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <utility>

namespace {

constexpr int kMinSide = 10;
constexpr int kMaxSide = 2000;
// Between a caption and its field at the least, pixels.
constexpr int kCaptionGap = 4;

}  // namespace

TfrmNewDlg::TfrmNewDlg(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(tr("Создать"));
  setFixedSize(167, 153);
  // The fixed layout below is measured for the classic 8-point dialog font,
  // whose compact stand-in the image window's panels use too.
  QFont dialogFont = font();
  dialogFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  dialogFont.setPixelSize(11);
  setFont(dialogFont);

  Label1 = new QLabel(tr("Цвет фона"), this);
  Label1->move(15, 10);
  colorbBackground = new TColorBox(this);
  colorbBackground->setGeometry(10, 25, 145, 22);

  Label2 = new QLabel(tr("Ширина:"), this);
  Label2->move(50, 56);
  spinedW = new TRangeSpinBox(this);
  spinedW->setGeometry(95, 55, 60, 22);
  spinedW->setRange(kMinSide, kMaxSide);
  spinedW->setValue(650);

  Label3 = new QLabel(tr("Высота:"), this);
  Label3->move(50, 88);
  spinedH = new TRangeSpinBox(this);
  spinedH->setGeometry(95, 85, 60, 22);
  spinedH->setRange(kMinSide, kMaxSide);
  spinedH->setValue(400);

  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setGeometry(5, 120, 70, 25);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(tr("Отмена"), this);
  btnCancel->setGeometry(85, 120, 70, 25);
  for (QLabel* label : {Label1, Label2, Label3}) label->adjustSize();
  // A size's caption too long for its place (in a language or a face that
  // makes it so) ends just before its field.
  for (const auto& [label, field] : {std::pair{Label2, spinedW}, std::pair{Label3, spinedH}})
    if (label->x() + label->width() + kCaptionGap > field->x())
      label->move(field->x() - kCaptionGap - label->width(), label->y());

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
