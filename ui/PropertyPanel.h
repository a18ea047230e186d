// The property panel: the class of figure to draw next, and the selected
// figure's properties in both directions. ShowFigureProps fills the controls
// from a figure; every edit of a control applies the whole panel to the
// selected figure, unless the lock is down, no class is chosen, no image is
// open, or the controls are being filled. New figures take the panel's
// values whatever the lock says.
#pragma once

#include <QWidget>

#include "figures/AbstractFigures.h"

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QTabWidget;
class TClassPage;
class TColorBox;
class TCornersPage;
class TDocument;
class TFileDialogs;
class TPicturePage;
class TRangeSpinBox;
class TTextPage;

class TPropertyPanel : public QWidget {
  Q_OBJECT
 public:
  // Lock: the property lock of the object toolbar.
  TPropertyPanel(TDocument& Document, QAbstractButton& Lock, TFileDialogs& Dialogs, QWidget* Parent);

  // Figure to controls; none does nothing. Selects the figure's class, which
  // also becomes the class to draw.
  void ShowFigureProps(TBasicFigure* Figure);
  // Controls to figure, as one change: the figure's notices are held back
  // while its properties are set. None does nothing.
  void ApplyPropsToFigure(TBasicFigure* Figure);
  // The edit handler of every control.
  void FigurePropsChanged();
  // The user picked a class-selector item: presses the lock.
  void cbClassSelectorClick();
  void cbClassSelectorSelect();
  // The user switched class pages: the page's class is chosen, the lock
  // stays as it is.
  void pcObjectsSpecificPropsChange();

  const TFigureClass* ChosenClass() const { return FChosenClass; }
  bool PropsLive() const { return FPropsLive; }

  QGroupBox* gbClassSelector;
  QComboBox* cbClassSelector;
  QGroupBox* gbProperties;
  QWidget* pnBasicProps;
  TColorBox* cbLineColor;
  TRangeSpinBox* speditLineWidth;
  QComboBox* cbLineStyle;
  QComboBox* cbPenMode;
  TRangeSpinBox* speditScale;
  TRangeSpinBox* speditAngle;
  QWidget* pnBinDimProperties;
  TColorBox* cbBgColor;
  QComboBox* cbBgStyle;
  QTabWidget* pcObjectsSpecificProps;
  TClassPage* tsOSP_Line;
  TClassPage* tsOSP_Rectangle;
  TClassPage* tsOSP_Polygon;
  TCornersPage* tsOSP_Roundrect;
  TClassPage* tsOSP_Ellipse;
  TClassPage* tsOSP_Sector;
  TClassPage* tsOSP_Chord;
  TTextPage* tsOSP_Text;
  TPicturePage* tsOSP_Bitmap;

 signals:
  // The class the image window creates next; none creates nothing.
  void ChosenClassChanged(const TFigureClass* Class);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void CreateClassSelector();
  void CreateBasicProps();
  void CreateFillProps();
  void CreateClassPages(TDocument& Document, TFileDialogs& Dialogs);
  void ImageOpened();
  void ImageClosed();
  void ShowPage(int Index);
  // The page of the figure's class; none for a class without one.
  TClassPage* PageFor(const TBasicFigure& Figure) const;

  TDocument& FDocument;
  QAbstractButton& FLock;
  const TFigureClass* FChosenClass = nullptr;
  bool FPropsLive = true;
  // True while the program itself switches pages.
  bool FShowingPage = false;
};
