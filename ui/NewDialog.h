// The new-image dialog: the size and background colour of a new image. One
// dialog lives for the whole program and keeps its values between showings.
#pragma once

#include <QDialog>

#include <cstdint>

#include "canvas/Canvas.h"
#include "ui/Controls.h"

class QLabel;
class QPushButton;

class TfrmNewDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmNewDlg(QWidget* Parent = nullptr);

  // The result, valid once the dialog has closed with OK: pixels 10..2000
  // (text still being edited counts, since closing hides the fields and a
  // hidden field interprets its text), and the colour as held (a system
  // colour stays a reference).
  int32_t Width() const;
  int32_t Height() const;
  TColor BackgroundColor() const;

  QLabel* Label1;
  TColorBox* colorbBackground;
  QLabel* Label2;
  TRangeSpinBox* spinedW;
  QLabel* Label3;
  TRangeSpinBox* spinedH;
  QPushButton* btnOK;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* Event) override;
};
