// The font dialog of the property panel: family, size and style from the
// fonts installed, the strike-out and underline effects, the colour, and an
// apply action that hands the choice over while the dialog stays open.
#pragma once

#include <QDialog>
#include <QFont>

#include "canvas/Canvas.h"

class QFontDialog;
class QPushButton;
class TColorBox;

// The font a figure's font stands for on the screen: the typeface from its
// Windows-1251 name, the size in points at the classic 96 pixels per inch
// (a negative height is the character height in pixels; a positive one the
// cell height, taken as the character height here), the style bits.
QFont ToQFont(const TFont& Font);
// Typeface, size and style of Font over Base, which gives the rest (charset,
// colour). The height becomes the character height in pixels at 96 pixels
// per inch.
TFont FromQFont(const QFont& Font, const TFont& Base);

class TFontSelectDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFontSelectDialog(QWidget* Parent = nullptr);

  // The choice the dialog shows.
  TFont SelectedFont() const;
  void SetSelectedFont(const TFont& Value);

  QFontDialog* FontChooser;
  TColorBox* cbFontColor;
  QPushButton* btnApply;

 signals:
  // The apply button was pressed; the dialog stays open.
  void Applied();

 private:
  TFont FBase;
  // The choice as first shown for FBase.
  QFont FShown;
};
