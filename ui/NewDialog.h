// The new-image dialog: the size and background colour of a new image. One
// dialog lives for the whole program and keeps its values between showings.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QSpinBox>

#include <cstdint>

#include "canvas/Canvas.h"

class QLabel;
class QPushButton;

// A whole-number field whose value is always within its range: a typed
// number outside the range goes to the nearer limit and text that is not a
// whole number counts as the minimum, once the text is interpreted (Enter,
// leaving the field, or interpretText()).
class TRangeSpinBox : public QSpinBox {
  Q_OBJECT
 public:
  explicit TRangeSpinBox(QWidget* Parent = nullptr);

  QValidator::State validate(QString& Input, int& Pos) const override;
  void fixup(QString& Input) const override;

 protected:
  int valueFromText(const QString& Text) const override;
};

// A colour drop-down list: a custom entry that opens the colour dialog, the
// sixteen standard colours, four extended ones and the system colours 0 to
// 24, each under its Russian name with a swatch. A system colour is held as
// its reference (clSystemColor + index); its swatch shows what it resolves
// to now.
class TColorBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TColorBox(QWidget* Parent = nullptr);

  TColor Color() const;
  // Selects the listed entry of the colour; any other colour becomes the
  // custom entry's.
  void SetColor(TColor Value);

  static constexpr int CustomIndex = 0;

 protected:
  void changeEvent(QEvent* Event) override;

 private:
  void AddColor(TColor Value, const QString& Name);
  void SetCustomColor(TColor Value);
  void RefreshSwatches();
  void ColorActivated(int Index);

  // The entry chosen last, to return to when the colour dialog is cancelled.
  int FCommittedIndex = -1;
};

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
