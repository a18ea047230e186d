// Controls shared by the windows: a whole-number field with the classic
// reading rules, a colour drop-down list, and the hint every control and
// menu item carries.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QStatusBar>
#include <QSpinBox>

#include <cstdint>

#include "canvas/Canvas.h"

class QAction;

// A whole-number field whose value is always within its range: a typed
// number outside the range goes to the nearer limit and text that is not a
// whole number counts as the minimum, once the text is interpreted (Enter,
// leaving the field, or interpretText()).
class TRangeSpinBox : public QSpinBox {
  Q_OBJECT
 public:
  explicit TRangeSpinBox(QWidget* Parent = nullptr);

  // The text as it stands, read as a decimal integer even while it is being
  // typed and lies outside the range; the minimum when it is not a whole
  // number.
  int32_t ReadValue() const;

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

 signals:
  // Color() has a new value, chosen by the user or set by the program.
  void ColorChanged();

 protected:
  void changeEvent(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 private:
  void AddColor(TColor Value, const QString& Name);
  void SetCustomColor(TColor Value);
  void RefreshSwatches();
  void ColorActivated(int Index);
  void NotifyColor();

  TColor FNotifiedColor = clWhite;
  bool FSettingCustom = false;
  // The entry chosen last, to return to when the colour dialog is cancelled.
  int FCommittedIndex = -1;
};

// A drop-down list without free text whose list opens as soon as the user
// starts typing, so the typed letters pick among the shown items. An item
// too long for the closed box is shown shortened with an ellipsis, never
// cut in the middle of a letter; the list shows it whole.
class TDropDownList : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 public:
  // The list as wide as its longest item.
  void showPopup() override;
};

// A window's hint line: the message in the compact face of the image
// window's panels; one too long for the line is shown shortened with an
// ellipsis, and whole in the line's tooltip.
class THintBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit THintBar(QWidget* Parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  // Where the message is written, as the toolkit places it.
  QRect MessageRect() const;
};

// Enables or disables every direct child control of Container; children of
// children keep their state.
void EnableChildControls(QWidget* Container, bool Enabled);

// A colour as the screen shows it now (system colours resolved), and back.
QColor ToQColor(TColor Value);
TColor FromQColor(const QColor& Value);

// The hint of a control: shown as its tooltip and in the status bar of its
// window while the pointer is over it, and its accessible description. Its
// accessible name is its caption, or the hint where it has no caption.
void SetHint(QWidget* Control, const QString& Hint, const QString& Caption = {});
void SetHint(QAction* Item, const QString& Hint);
