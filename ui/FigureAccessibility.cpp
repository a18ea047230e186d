#include "ui/FigureAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ranges>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/Collection.h"
#include "ui/Document.h"
#include "ui/ImageSurface.h"
#include "ui/ViewScale.h"

namespace {

// After a change of the list, the tree is told to read the surface's
// children again (ObjectReorder). The Linux bridge answers that by making
// an interface for every child and sending a signal for each, so a larger
// list is left for the reader to ask for: the removed interfaces and the
// new selection are announced either way.
constexpr int kReorderNoticeLimit = 100;

TFigureEventRecorder& EventRecorder() {
  static TFigureEventRecorder recorder;
  return recorder;
}

// Whether anybody hears of the events: making them costs a search of the list.
bool Listening() { return EventRecorder() || QAccessible::isActive(); }

void Tell(QAccessibleEvent& Event) {
  if (EventRecorder()) EventRecorder()(Event);
  QAccessible::updateAccessibility(&Event);
}

int ClampToInt(int64_t Value) { return int(std::clamp<int64_t>(Value, INT_MIN, INT_MAX)); }

}  // namespace

// What the surface's accessible children are made of: the figures of the
// open image in the object list's order, and the interfaces made for them
// since the list last changed. A child object of the surface, so that it
// goes with it.
class TFigureAccessibility : public QObject {
 public:
  TFigureAccessibility(TImageSurface& Surface, TDocument& Document, TFigureNameEvent FigureName);
  ~TFigureAccessibility() override;

  TImageSurface& Surface() const { return FSurface; }
  int Count() const;
  // The figure at Index of the list's order; none outside 0 .. Count() - 1.
  TBasicFigure* FigureAt(int Index) const;
  // -1 for a figure the image does not hold.
  int IndexOf(const TBasicFigure* Figure) const;
  // The topmost figure whose box holds P (image pixels); none.
  TBasicFigure* FigureAtPoint(const TPoint& P) const;
  // The interface of a figure of the image, made when first asked for.
  QAccessibleInterface* Interface(TBasicFigure& Figure) const;
  // The selected figure's interface while the surface has the keyboard
  // focus; none otherwise.
  QAccessibleInterface* FocusedInterface() const;
  QString Name(const TBasicFigure& Figure) const { return FFigureName ? FFigureName(&Figure) : QString(); }
  bool IsSelected(const TBasicFigure& Figure) const { return FDocument && FDocument->Selected() == &Figure; }
  int InterfaceCount() const { return int(FInterfaces.size()); }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  const std::vector<TBasicFigure*>& Index() const;
  QAccessibleInterface* Existing(const TBasicFigure* Figure) const;
  void FiguresChanged();
  void SelectionChanged(TBasicFigure* Figure);
  // Deletes every figure interface; with Notify the tree hears of each.
  void DropInterfaces(bool Notify);
  void NoticeChildren();
  void AnnounceFocus();

  TImageSurface& FSurface;
  QPointer<TDocument> FDocument;
  TFigureNameEvent FFigureName;
  // Top of the drawing order first; rebuilt when asked for after a change.
  mutable std::vector<TBasicFigure*> FIndex;
  mutable bool FIndexValid = false;
  // Figure -> id of its interface. Emptied, and the interfaces deleted, at
  // every change of the list, which the collection tells before a removed
  // figure is destroyed: no interface ever holds a figure that is gone.
  mutable std::unordered_map<const TBasicFigure*, QAccessible::Id> FInterfaces;
  // The figure last announced as selected since the list changed; compared,
  // never followed.
  const TBasicFigure* FAnnounced = nullptr;
  bool FNoticePending = false;
};

// ------------------------------------------------------------ one figure

// A figure as a reader sees it: a graphic named by its list item, described
// by its box, selected as the image's selection is. Lives no longer than
// the list it was made for (see TFigureAccessibility::FInterfaces).
class TFigureAccessible : public QAccessibleInterface {
  Q_DECLARE_TR_FUNCTIONS(TFigureAccessible)

 public:
  TFigureAccessible(const TFigureAccessibility& Owner, TBasicFigure& Figure) : FOwner(Owner), FFigure(Figure) {}

  const TBasicFigure& Figure() const { return FFigure; }

  bool isValid() const override { return true; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return FOwner.Surface().window()->windowHandle(); }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(&FOwner.Surface()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessible::Role role() const override { return QAccessible::Graphic; }

  QString text(QAccessible::Text Kind) const override {
    if (Kind == QAccessible::Name) return FOwner.Name(FFigure);
    if (Kind != QAccessible::Description) return {};
    // The box of the control points, right and bottom edges exclusive.
    const TRect box = FFigure.Bounds();
    return tr("x %1, y %2, ширина %3, высота %4")
        .arg(box.Left)
        .arg(box.Top)
        .arg(int64_t(box.Right) - box.Left)
        .arg(int64_t(box.Bottom) - box.Top);
  }

  // The box on the screen, as the view shows it at its zoom and scroll.
  QRect rect() const override {
    const TImageSurface& surface = FOwner.Surface();
    const TViewScale& scale = surface.Scale();
    const TRect box = FFigure.Bounds();
    const int left = ClampToInt(scale.ToView(box.Left)), top = ClampToInt(scale.ToView(box.Top));
    const QSize size(ClampToInt(scale.ToView(box.Right) - left), ClampToInt(scale.ToView(box.Bottom) - top));
    return QRect(surface.mapToGlobal(QPoint(left, top)), size);
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    state.selectable = true;
    state.focusable = true;
    state.selected = FOwner.IsSelected(FFigure);
    state.focused = state.selected && FOwner.Surface().hasFocus();
    state.invisible = !FOwner.Surface().isVisible();
    return state;
  }

 private:
  const TFigureAccessibility& FOwner;
  TBasicFigure& FFigure;
};

// ------------------------------------------------------------ the surface

// The drawing surface as a reader sees it: a canvas whose children are the
// image's figures, then any child widgets.
class TSurfaceAccessible : public QAccessibleWidget {
  Q_DECLARE_TR_FUNCTIONS(TSurfaceAccessible)

 public:
  explicit TSurfaceAccessible(TImageSurface* Surface) : QAccessibleWidget(Surface, QAccessible::Canvas) {}

  QString text(QAccessible::Text Kind) const override {
    if (Kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return tr("Рисунок");
    return QAccessibleWidget::text(Kind);
  }

  int childCount() const override { return FigureCount() + QAccessibleWidget::childCount(); }

  QAccessibleInterface* child(int Index) const override {
    const int figures = FigureCount();
    if (Index < figures) {
      TBasicFigure* figure = Figures()->FigureAt(Index);
      return figure != nullptr ? Figures()->Interface(*figure) : nullptr;
    }
    return QAccessibleWidget::child(Index - figures);
  }

  int indexOfChild(const QAccessibleInterface* Child) const override {
    if (const auto* figure = dynamic_cast<const TFigureAccessible*>(Child))
      return Figures() != nullptr ? Figures()->IndexOf(&figure->Figure()) : -1;
    const int index = QAccessibleWidget::indexOfChild(Child);
    return index >= 0 ? FigureCount() + index : -1;
  }

  // Screen coordinates. A child widget lies over the image; else the
  // topmost figure whose box holds the point. Asks no other figure for an
  // interface (the default asks every child).
  QAccessibleInterface* childAt(int X, int Y) const override {
    for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
      QAccessibleInterface* control = QAccessibleWidget::child(i);
      if (control != nullptr && control->rect().contains(X, Y)) return control;
    }
    if (Figures() == nullptr || !rect().contains(X, Y)) return nullptr;
    const QPoint at = widget()->mapFromGlobal(QPoint(X, Y));
    const TViewScale& scale = static_cast<const TImageSurface*>(widget())->Scale();
    TBasicFigure* figure = Figures()->FigureAtPoint({scale.ToImage(at.x()), scale.ToImage(at.y())});
    return figure != nullptr ? Figures()->Interface(*figure) : nullptr;
  }

  QAccessibleInterface* focusChild() const override {
    QAccessibleInterface* figure = Figures() != nullptr ? Figures()->FocusedInterface() : nullptr;
    return figure != nullptr ? figure : QAccessibleWidget::focusChild();
  }

 private:
  // None until the figures are exposed, and once the surface goes.
  TFigureAccessibility* Figures() const {
    if (widget() == nullptr) return nullptr;
    for (QObject* part : widget()->children())
      if (auto* figures = dynamic_cast<TFigureAccessibility*>(part)) return figures;
    return nullptr;
  }
  int FigureCount() const { return Figures() != nullptr ? Figures()->Count() : 0; }
};

namespace {

QAccessibleInterface* SurfaceInterface(const QString&, QObject* Object) {
  auto* surface = dynamic_cast<TImageSurface*>(Object);
  return surface != nullptr ? new TSurfaceAccessible(surface) : nullptr;
}

}  // namespace

// ------------------------------------------------------------ the figures

TFigureAccessibility::TFigureAccessibility(TImageSurface& Surface, TDocument& Document, TFigureNameEvent FigureName)
    : QObject(&Surface), FSurface(Surface), FDocument(&Document), FFigureName(std::move(FigureName)) {
  connect(&Document, &TDocument::FiguresChanged, this, [this] { FiguresChanged(); });
  connect(&Document, &TDocument::SelectionChanged, this, [this](TBasicFigure* Figure) { SelectionChanged(Figure); });
  Surface.installEventFilter(this);
}

// The surface is on its way out: nobody is to be told.
TFigureAccessibility::~TFigureAccessibility() { DropInterfaces(false); }

int TFigureAccessibility::Count() const {
  const TFiguresCollection* collection = FDocument ? FDocument->Collection() : nullptr;
  return collection != nullptr ? collection->Count() : 0;
}

const std::vector<TBasicFigure*>& TFigureAccessibility::Index() const {
  if (FIndexValid) return FIndex;
  FIndex.clear();
  if (const TFiguresCollection* collection = FDocument ? FDocument->Collection() : nullptr) {
    FIndex.reserve(size_t(collection->Count()));
    for (TBasicFigure* figure : collection->Figures() | std::views::reverse) FIndex.push_back(figure);
  }
  FIndexValid = true;
  return FIndex;
}

TBasicFigure* TFigureAccessibility::FigureAt(int Index) const {
  const std::vector<TBasicFigure*>& index = this->Index();
  return Index >= 0 && size_t(Index) < index.size() ? index[size_t(Index)] : nullptr;
}

int TFigureAccessibility::IndexOf(const TBasicFigure* Figure) const {
  const std::vector<TBasicFigure*>& index = Index();
  const auto found = std::find(index.begin(), index.end(), Figure);
  return found != index.end() ? int(found - index.begin()) : -1;
}

TBasicFigure* TFigureAccessibility::FigureAtPoint(const TPoint& P) const {
  for (TBasicFigure* figure : Index()) {
    const TRect box = figure->Bounds();
    if (P.x >= box.Left && P.x < box.Right && P.y >= box.Top && P.y < box.Bottom) return figure;
  }
  return nullptr;
}

QAccessibleInterface* TFigureAccessibility::Existing(const TBasicFigure* Figure) const {
  const auto found = FInterfaces.find(Figure);
  return found != FInterfaces.end() ? QAccessible::accessibleInterface(found->second) : nullptr;
}

QAccessibleInterface* TFigureAccessibility::Interface(TBasicFigure& Figure) const {
  if (QAccessibleInterface* existing = Existing(&Figure)) return existing;
  auto* made = new TFigureAccessible(*this, Figure);
  FInterfaces[&Figure] = QAccessible::registerAccessibleInterface(made);
  return made;
}

QAccessibleInterface* TFigureAccessibility::FocusedInterface() const {
  TBasicFigure* selected = FDocument ? FDocument->Selected() : nullptr;
  if (selected == nullptr || !FSurface.hasFocus() || IndexOf(selected) < 0) return nullptr;
  return Interface(*selected);
}

void TFigureAccessibility::DropInterfaces(bool Notify) {
  // Taken first: whoever hears of a removal may ask for children again.
  const auto dropped = std::exchange(FInterfaces, {});
  for (const auto& [figure, id] : dropped) {
    QAccessibleInterface* face = QAccessible::accessibleInterface(id);
    if (face == nullptr) continue;
    if (Notify && Listening()) {
      QAccessibleEvent gone(face, QAccessible::ObjectDestroyed);
      Tell(gone);
    }
    QAccessible::deleteAccessibleInterface(id);
  }
}

void TFigureAccessibility::FiguresChanged() {
  FIndex.clear();
  FIndexValid = false;
  FAnnounced = nullptr;
  DropInterfaces(true);
  // One notice for a burst of changes (a batch, a paste, an undo), once the
  // list and the selection are settled.
  if (FNoticePending || !Listening()) return;
  FNoticePending = true;
  QMetaObject::invokeMethod(
      this, [this] { NoticeChildren(); }, Qt::QueuedConnection);
}

void TFigureAccessibility::NoticeChildren() {
  FNoticePending = false;
  if (!Listening()) return;
  if (Count() <= kReorderNoticeLimit) {
    QAccessibleEvent reorder(&FSurface, QAccessible::ObjectReorder);
    Tell(reorder);
  }
  // The focused figure's interface went with the old list; unless a new
  // selection was announced since, the reader learns of its new one.
  if (FAnnounced == nullptr) AnnounceFocus();
}

void TFigureAccessibility::AnnounceFocus() {
  if (QAccessibleInterface* focused = FocusedInterface()) {
    QAccessibleEvent focus(focused, QAccessible::Focus);
    Tell(focus);
  }
}

void TFigureAccessibility::SelectionChanged(TBasicFigure* Figure) {
  // Nobody listens: not even the list is looked at.
  if (!Listening()) return;
  QAccessible::State selection;
  selection.selected = true;
  if (QAccessibleInterface* previous = Figure != FAnnounced ? Existing(FAnnounced) : nullptr) {
    QAccessibleEvent removed(previous, QAccessible::SelectionRemove);
    Tell(removed);
    QAccessibleStateChangeEvent changed(previous, selection);
    Tell(changed);
  }
  FAnnounced = Figure;
  if (Figure == nullptr || IndexOf(Figure) < 0) return;
  QAccessibleInterface* current = Interface(*Figure);
  QAccessibleEvent selected(current, QAccessible::Selection);
  Tell(selected);
  QAccessibleStateChangeEvent changed(current, selection);
  Tell(changed);
  if (FSurface.hasFocus()) {
    QAccessibleEvent focus(current, QAccessible::Focus);
    Tell(focus);
  }
}

// When the surface takes the focus, the toolkit announces the surface
// itself after this filter has seen the event; the selected figure is
// announced after that.
bool TFigureAccessibility::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == &FSurface && Event->type() == QEvent::FocusIn && Listening())
    QMetaObject::invokeMethod(
        this, [this] { AnnounceFocus(); }, Qt::QueuedConnection);
  return false;
}

// ------------------------------------------------------------ entry points

void ExposeFigures(TImageSurface& Surface, TDocument& Document, TFigureNameEvent FigureName) {
  static const bool installed = (QAccessible::installFactory(&SurfaceInterface), true);
  Q_UNUSED(installed);
  new TFigureAccessibility(Surface, Document, std::move(FigureName));
  // The toolkit's plain interface, made for the surface before the factory
  // was there (when it was first shown), gives way to the one with figures.
  QAccessibleInterface* current = QAccessible::queryAccessibleInterface(&Surface);
  if (current != nullptr && dynamic_cast<TSurfaceAccessible*>(current) == nullptr)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

int FigureInterfaceCount(const TImageSurface& Surface) {
  for (QObject* part : Surface.children())
    if (auto* figures = dynamic_cast<TFigureAccessibility*>(part)) return figures->InterfaceCount();
  return 0;
}

void RecordFigureEvents(TFigureEventRecorder Recorder) { EventRecorder() = std::move(Recorder); }
