// The class pages of the property panel: one page per figure class, each
// showing what only figures of its class hold and applying it to them. The
// panel shows a figure on the page of its class and applies the page of its
// class to it; the other pages keep their values.
#pragma once

#include <QWidget>

#include "canvas/Canvas.h"
#include "figures/AbstractFigures.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TFontSelectDialog;
class TRangeSpinBox;

class TClassPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // Whether figures with these traits are shown and applied on this page.
  virtual bool Handles(const TFigureTraits& Traits) const = 0;
  // Figure to controls: raises Edited for every control that changes.
  virtual void ShowFigure(TBasicFigure& Figure) = 0;
  // Controls to figure; the figure's notices are held back by the caller.
  virtual void ApplyToFigure(TBasicFigure& Figure) = 0;

 signals:
  // A control of the page changed; the panel decides whether that edits the
  // selected figure.
  void Edited();
};

// A page with a few words about its class and nothing to edit.
class TNotePage : public TClassPage {
  Q_OBJECT
 public:
  TNotePage(const QString& Note, QWidget* Parent);
  bool Handles(const TFigureTraits&) const override { return false; }
  void ShowFigure(TBasicFigure&) override {}
  void ApplyToFigure(TBasicFigure&) override {}
};

// The rounded rectangle's corner sizes, 1 to 500 pixels each.
class TCornersPage : public TClassPage {
  Q_OBJECT
 public:
  explicit TCornersPage(QWidget* Parent);
  bool Handles(const TFigureTraits& Traits) const override { return Traits.HasCorners; }
  void ShowFigure(TBasicFigure& Figure) override;
  void ApplyToFigure(TBasicFigure& Figure) override;

  QLabel* lblCorners;
  TRangeSpinBox* speditCornersX;
  TRangeSpinBox* speditCornersY;
};

// The text of a text figure and the panel font that text figures receive.
class TTextPage : public TClassPage {
  Q_OBJECT
 public:
  explicit TTextPage(QWidget* Parent);
  ~TTextPage() override;
  bool Handles(const TFigureTraits& Traits) const override { return Traits.HasText; }
  void ShowFigure(TBasicFigure& Figure) override;
  void ApplyToFigure(TBasicFigure& Figure) override;

  // The panel font: what the font dialog holds.
  const TFont& PanelFont() const { return FPanelFont; }
  void SetPanelFont(const TFont& Value) { FPanelFont = Value; }

  // Runs the font dialog; a confirmed choice becomes the panel font and
  // counts as an edit.
  void btnFontSelectClick();
  // The dialog's apply action while it stays open: the choice shown becomes
  // the panel font and counts as an edit.
  void dlgFontSelectApply();

  QLabel* lblText;
  QLineEdit* edText;
  QPushButton* btnFontSelect;
  TFontSelectDialog* dlgFontSelect;

 private:
  TFont FPanelFont;
};
