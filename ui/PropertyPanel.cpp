#include "ui/PropertyPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>

#include <iterator>

#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/ClassPages.h"
#include "ui/ClassTable.h"
#include "ui/Controls.h"
#include "ui/Document.h"
#include "ui/Icons.h"
#include "ui/PicturePage.h"

namespace {

constexpr TColor clSkyBlue = 0x00F0CAA6u;

// By item: the pen style written for item 0 is the inside-frame style, and
// reading shows both solid styles as item 0.
constexpr const char* kLineStyles[] = {QT_TRANSLATE_NOOP("TPropertyPanel", "Сплошная"),
                                       QT_TRANSLATE_NOOP("TPropertyPanel", "Тире"),
                                       QT_TRANSLATE_NOOP("TPropertyPanel", "Точки"),
                                       QT_TRANSLATE_NOOP("TPropertyPanel", "Тире-точка"),
                                       QT_TRANSLATE_NOOP("TPropertyPanel", "Тире-точка-точка"),
                                       QT_TRANSLATE_NOOP("TPropertyPanel", "Отсутствует")};
constexpr const char* kPenModes[] = {
    QT_TRANSLATE_NOOP("TPropertyPanel", "Чёрный"),      QT_TRANSLATE_NOOP("TPropertyPanel", "Белый"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "Пустой"),      QT_TRANSLATE_NOOP("TPropertyPanel", "Отрицание"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "Copy"),        QT_TRANSLATE_NOOP("TPropertyPanel", "NotCopy"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "MergePenNot"), QT_TRANSLATE_NOOP("TPropertyPanel", "MaskPenNot"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "MergeNotPen"), QT_TRANSLATE_NOOP("TPropertyPanel", "MaskNotPen"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "Merge"),       QT_TRANSLATE_NOOP("TPropertyPanel", "NotMerge"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "Mask"),        QT_TRANSLATE_NOOP("TPropertyPanel", "NotMask"),
    QT_TRANSLATE_NOOP("TPropertyPanel", "Xor"),         QT_TRANSLATE_NOOP("TPropertyPanel", "NotXor")};
constexpr const char* kBrushStyles[] = {QT_TRANSLATE_NOOP("TPropertyPanel", "Сплошная"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Отсутствует"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Горизонтальные полосы"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Вертикальные полосы"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Диагональ сверху-вниз"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Диагональ снизу-вверх"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Крестик"),
                                        QT_TRANSLATE_NOOP("TPropertyPanel", "Диагональный крестик")};

TPenStyle PenStyleOfItem(int Item) { return Item == 0 ? psInsideFrame : TPenStyle(Item); }
int ItemOfPenStyle(TPenStyle Style) { return Style == psInsideFrame ? 0 : int(Style); }

struct TPageInfo {
  const char* Caption;
  const char* Hint;
};

// By page index (class-selector item - 1).
constexpr TPageInfo kPages[] = {
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Линия"), QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства ломаной линии")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Прямоугольник"),
     QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства прямоугольника")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Многоугольник"),
     QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства многоугольника")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Кривоугольник"),
     QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства кривоугольника")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Эллипс"), QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства эллипса")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Сектор"), QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства сектора")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Хорда"), QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства хорды")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Текст"), QT_TRANSLATE_NOOP("TPropertyPanel", "Свойства текста")},
    {QT_TRANSLATE_NOOP("TPropertyPanel", "Картинка"), ""},
};

template <size_t N>
QComboBox* MakeList(QWidget* Parent, const char* const (&Items)[N]) {
  auto* list = new TDropDownList(Parent);
  for (const char* item : Items) list->addItem(QCoreApplication::translate("TPropertyPanel", item));
  return list;
}

// Lays a control out under its caption, which is also its hint: the
// caption at (X, Y), the control 22 pixels high below it.
template <typename TControl>
TControl* Captioned(TControl* Control, const QString& Caption, int X, int Y, int Width) {
  auto* label = new QLabel(Caption, Control->parentWidget());
  label->move(X, Y);
  label->adjustSize();
  label->setBuddy(Control);
  Control->setGeometry(X, Y + 14, Width, 22);
  SetHint(Control, Caption);
  return Control;
}

// Raises and lowers FPropsLive around the filling of the controls, also
// when a step fails.
class TPropsFilling {
 public:
  explicit TPropsFilling(bool& Live) : FLive(Live) { FLive = false; }
  ~TPropsFilling() { FLive = true; }
  TPropsFilling(const TPropsFilling&) = delete;
  TPropsFilling& operator=(const TPropsFilling&) = delete;

 private:
  bool& FLive;
};

}  // namespace

TPropertyPanel::TPropertyPanel(TDocument& Document, QAbstractButton& Lock, TFileDialogs& Dialogs, QWidget* Parent)
    : QWidget(Parent), FDocument(Document), FLock(Lock) {
  CreateClassSelector();
  gbProperties = new QGroupBox(tr(" Свойства объекта "), this);
  gbProperties->setGeometry(0, 57, 200, 343);
  CreateBasicProps();
  CreateFillProps();
  CreateClassPages(Document, Dialogs);
  EnableChildControls(gbClassSelector, false);
  EnableChildControls(pnBasicProps, false);
  EnableChildControls(pnBinDimProperties, false);
  connect(&Document, &TDocument::Opened, this, &TPropertyPanel::ImageOpened);
  connect(&Document, &TDocument::Closed, this, &TPropertyPanel::ImageClosed);
  connect(&Document, &TDocument::SelectionChanged, this, &TPropertyPanel::ShowFigureProps);
}

void TPropertyPanel::CreateClassSelector() {
  gbClassSelector = new QGroupBox(tr(" Тип создаваемого объекта "), this);
  gbClassSelector->setGeometry(0, 0, 200, 57);
  cbClassSelector = new TDropDownList(gbClassSelector);
  for (const TClassItem& item : ClassItems()) cbClassSelector->addItem(ClassItemCaption(item));
  cbClassSelector->setGeometry(8, 22, 184, 24);
  SetHint(cbClassSelector, tr("Класс создаваемого объекта"));
  connect(cbClassSelector, &QComboBox::activated, this, [this] {
    ReportFailures([this] {
      cbClassSelectorClick();
      cbClassSelectorSelect();
    });
  });
}

void TPropertyPanel::CreateBasicProps() {
  pnBasicProps = new QWidget(gbProperties);
  pnBasicProps->setGeometry(4, 16, 192, 154);
  cbLineColor = Captioned(new TColorBox(pnBasicProps), tr("Цвет линии"), 2, 2, 188);
  cbLineColor->SetColor(clBlack);
  speditLineWidth = Captioned(new TRangeSpinBox(pnBasicProps), tr("Толщина линии"), 2, 39, 80);
  speditLineWidth->setRange(1, 5000);
  speditLineWidth->setValue(1);
  // The scale and the angle are stored with every figure but not offered:
  // they pass through the panel unchanged, clamped to their ranges.
  speditScale = new TRangeSpinBox(pnBasicProps);
  speditScale->setRange(-5, 5);
  speditScale->hide();
  speditAngle = new TRangeSpinBox(pnBasicProps);
  speditAngle->setRange(INT16_MIN, INT16_MAX);
  speditAngle->hide();
  cbLineStyle = Captioned(MakeList(pnBasicProps, kLineStyles), tr("Стиль линии"), 2, 76, 188);
  cbPenMode = Captioned(MakeList(pnBasicProps, kPenModes), tr("Режим пера"), 2, 113, 188);
  cbPenMode->setCurrentIndex(pmCopy);

  const auto edited = [this] { ReportFailures([this] { FigurePropsChanged(); }); };
  connect(cbLineColor, &TColorBox::ColorChanged, this, edited);
  for (TRangeSpinBox* field : {speditLineWidth, speditScale, speditAngle})
    connect(field, &QSpinBox::textChanged, this, edited);
  for (QComboBox* list : {cbLineStyle, cbPenMode}) connect(list, &QComboBox::currentIndexChanged, this, edited);
}

void TPropertyPanel::CreateFillProps() {
  pnBinDimProperties = new QWidget(gbProperties);
  pnBinDimProperties->setGeometry(4, 170, 192, 52);
  cbBgColor = Captioned(new TColorBox(pnBinDimProperties), tr("Цвет фона"), 2, 2, 92);
  cbBgColor->SetColor(clSkyBlue);
  cbBgStyle = Captioned(MakeList(pnBinDimProperties, kBrushStyles), tr("Стиль фона"), 98, 2, 92);

  const auto edited = [this] { ReportFailures([this] { FigurePropsChanged(); }); };
  connect(cbBgColor, &TColorBox::ColorChanged, this, edited);
  connect(cbBgStyle, &QComboBox::currentIndexChanged, this, edited);
}

void TPropertyPanel::CreateClassPages(TDocument& Document, TFileDialogs& Dialogs) {
  pcObjectsSpecificProps = new QTabWidget(gbProperties);
  pcObjectsSpecificProps->setGeometry(4, 222, 192, 117);
  pcObjectsSpecificProps->setUsesScrollButtons(true);
  pcObjectsSpecificProps->setDocumentMode(false);
  SetHint(pcObjectsSpecificProps, tr("Своиства картинки"));

  const auto note = [this](const QString& Text) { return new TNotePage(Text, pcObjectsSpecificProps); };
  tsOSP_Line = note(tr("Ломаная линия, состоящая из отрезков различной длины..."));
  tsOSP_Rectangle =
      note(tr("Прямоугольник. Всё управление мышкой. Координаты "
              "добавлять не буду. Лень."));
  tsOSP_Polygon = note(tr("Обычный многоугольник"));
  tsOSP_Roundrect = new TCornersPage(pcObjectsSpecificProps);
  tsOSP_Ellipse = note(tr("Стандартный эллипс"));
  tsOSP_Sector = note(tr("Сектор, вырезанный из эллипса двумя отрезками"));
  tsOSP_Chord = note(tr("Хорда, вырезанная из эллипса одним отрезком"));
  tsOSP_Text = new TTextPage(pcObjectsSpecificProps);
  tsOSP_Bitmap = new TPicturePage(Document, FLock, Dialogs, pcObjectsSpecificProps);

  const TClassPage* pages[] = {tsOSP_Line,   tsOSP_Rectangle, tsOSP_Polygon, tsOSP_Roundrect, tsOSP_Ellipse,
                               tsOSP_Sector, tsOSP_Chord,     tsOSP_Text,    tsOSP_Bitmap};
  for (size_t i = 0; i < std::size(pages); ++i) {
    TClassPage* page = const_cast<TClassPage*>(pages[i]);
    const QString caption = tr(kPages[i].Caption);
    const QString hint = *kPages[i].Hint != '\0' ? tr(kPages[i].Hint) : QString();
    pcObjectsSpecificProps->addTab(page, ClassIcon(*ClassItems()[i + 1].Class), caption);
    pcObjectsSpecificProps->setTabToolTip(int(i), hint);
    page->setAccessibleName(caption);
    connect(page, &TClassPage::Edited, this, [this] { ReportFailures([this] { FigurePropsChanged(); }); });
  }
  pcObjectsSpecificProps->setCurrentIndex(0);
  // Each tab's hint reaches the status bar as the pointer passes over it.
  pcObjectsSpecificProps->tabBar()->setMouseTracking(true);
  pcObjectsSpecificProps->tabBar()->installEventFilter(this);
  connect(pcObjectsSpecificProps, &QTabWidget::currentChanged, this, [this] {
    if (!FShowingPage) ReportFailures([this] { pcObjectsSpecificPropsChange(); });
  });
}

bool TPropertyPanel::eventFilter(QObject* Watched, QEvent* Event) {
  QTabBar* tabs = pcObjectsSpecificProps->tabBar();
  if (Watched == tabs && Event->type() == QEvent::MouseMove) {
    const int tab = tabs->tabAt(static_cast<QMouseEvent*>(Event)->position().toPoint());
    QStatusTipEvent tip(tab >= 0 ? tabs->tabToolTip(tab) : pcObjectsSpecificProps->statusTip());
    QCoreApplication::sendEvent(tabs, &tip);
  }
  return QWidget::eventFilter(Watched, Event);
}

void TPropertyPanel::ImageOpened() {
  EnableChildControls(gbClassSelector, true);
  EnableChildControls(pnBasicProps, true);
}

void TPropertyPanel::ImageClosed() {
  cbClassSelector->setCurrentIndex(0);
  cbClassSelectorSelect();
  EnableChildControls(gbClassSelector, false);
  EnableChildControls(pnBasicProps, false);
  EnableChildControls(pnBinDimProperties, false);
}

void TPropertyPanel::ShowPage(int Index) {
  FShowingPage = true;
  pcObjectsSpecificProps->setCurrentIndex(Index);
  FShowingPage = false;
}

TClassPage* TPropertyPanel::PageFor(const TBasicFigure& Figure) const {
  const TFigureTraits& traits = Figure.ClassType().Traits;
  for (int i = 0; i < pcObjectsSpecificProps->count(); ++i) {
    auto* page = static_cast<TClassPage*>(pcObjectsSpecificProps->widget(i));
    if (page->Handles(traits)) return page;
  }
  return nullptr;
}

void TPropertyPanel::cbClassSelectorClick() { FLock.setChecked(true); }

void TPropertyPanel::cbClassSelectorSelect() {
  const int index = cbClassSelector->currentIndex();
  FChosenClass = index >= 0 ? ClassItems()[size_t(index)].Class : nullptr;
  emit ChosenClassChanged(FChosenClass);
  if (FChosenClass == nullptr) return;
  EnableChildControls(pnBinDimProperties, FChosenClass->Traits.HasFill);
  if (index - 1 != pcObjectsSpecificProps->currentIndex()) ShowPage(index - 1);
}

void TPropertyPanel::pcObjectsSpecificPropsChange() {
  cbClassSelector->setCurrentIndex(pcObjectsSpecificProps->currentIndex() + 1);
  cbClassSelectorSelect();
}

void TPropertyPanel::ShowFigureProps(TBasicFigure* Figure) {
  if (Figure == nullptr) return;
  TPropsFilling filling(FPropsLive);
  speditAngle->setValue(Figure->Angle());
  cbLineColor->SetColor(Figure->PenColor());
  cbLineStyle->setCurrentIndex(ItemOfPenStyle(Figure->PenStyle()));
  speditLineWidth->setValue(Figure->PenWidth());
  cbPenMode->setCurrentIndex(Figure->PenMode());
  speditScale->setValue(Figure->Scale());
  if (const TBinaryDimensionsFigure* filled = AsFilled(Figure)) {
    cbBgColor->SetColor(filled->BrushColor());
    cbBgStyle->setCurrentIndex(filled->BrushStyle());
  }
  const int item = ClassItemIndex(&Figure->ClassType());
  if (item >= 0) cbClassSelector->setCurrentIndex(item);
  if (TClassPage* page = PageFor(*Figure)) page->ShowFigure(*Figure);
  cbClassSelectorSelect();
}

void TPropertyPanel::ApplyPropsToFigure(TBasicFigure* Figure) {
  if (Figure == nullptr) return;
  TFigureUpdate update(*Figure);
  // A list showing no item (a stored ordinal it does not list) leaves the
  // figure's value as it is.
  Figure->SetAngle(int16_t(speditAngle->ReadValue()));
  Figure->SetPenColor(cbLineColor->Color());
  if (cbLineStyle->currentIndex() >= 0) Figure->SetPenStyle(PenStyleOfItem(cbLineStyle->currentIndex()));
  Figure->SetPenWidth(speditLineWidth->ReadValue());
  if (cbPenMode->currentIndex() >= 0) Figure->SetPenMode(TPenMode(cbPenMode->currentIndex()));
  Figure->SetScale(int8_t(speditScale->ReadValue()));
  if (TBinaryDimensionsFigure* filled = AsFilled(Figure)) {
    filled->SetBrushColor(cbBgColor->Color());
    if (cbBgStyle->currentIndex() >= 0) filled->SetBrushStyle(TBrushStyle(cbBgStyle->currentIndex()));
  }
  if (TClassPage* page = PageFor(*Figure)) page->ApplyToFigure(*Figure);
}

void TPropertyPanel::FigurePropsChanged() {
  if (!FPropsLive || cbClassSelector->currentIndex() <= 0 || FLock.isChecked() || !FDocument.IsOpen()) return;
  TBasicFigure* figure = FDocument.Selected();
  if (figure == nullptr) return;
  FDocument.EndPendingStep();
  ApplyPropsToFigure(figure);
  FDocument.Collection()->UpdateRaster();
  // Every edit of one control on one figure, one after the other, is one
  // step: typing a width, dragging through colours.
  FDocument.StepDone({sender(), FDocument.Collection()->PositionOf(figure)});
}
