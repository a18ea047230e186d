#include "ui/ObjectList.h"

#include <QComboBox>
#include <QAbstractListModel>
#include <QToolBar>
#include <QToolButton>

#include <ranges>
#include <utility>
#include <vector>

#include "document/Collection.h"
#include "ui/Application.h"
#include "ui/ClassTable.h"
#include "ui/Controls.h"
#include "ui/Document.h"
#include "ui/Icons.h"

namespace {

QString ItemText(const TBasicFigure* Figure, int32_t Number) {
  return GetClassCaption(&Figure->ClassType()) + QLatin1Char(' ') + QString::number(Number);
}

// The items of the list: each a figure and the number it was listed with,
// its text made when asked for (the list asks for the rows it shows), so
// that listing 100,000 figures costs a few bytes each. A text set through
// the list replaces the made one.
class TFigureItems final : public QAbstractListModel {
 public:
  struct TItem {
    TBasicFigure* Figure = nullptr;
    int32_t Number = 0;
    QString Text;  // empty: made from the figure and the number
  };

  TFigureItems(std::vector<TItem>&& Items, QObject* Parent) : QAbstractListModel(Parent), FItems(std::move(Items)) {}

  int rowCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : int(FItems.size()); }

  QVariant data(const QModelIndex& Index, int Role) const override {
    if (!Index.isValid() || size_t(Index.row()) >= FItems.size()) return {};
    const TItem& item = FItems[size_t(Index.row())];
    if (Role == Qt::UserRole) return QVariant::fromValue(static_cast<void*>(item.Figure));
    if (Role != Qt::DisplayRole && Role != Qt::EditRole) return {};
    if (!item.Text.isEmpty() || item.Figure == nullptr) return item.Text;
    return ItemText(item.Figure, item.Number);
  }

  bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override {
    if (!Index.isValid() || size_t(Index.row()) >= FItems.size()) return false;
    TItem& item = FItems[size_t(Index.row())];
    if (Role == Qt::UserRole) {
      item.Figure = static_cast<TBasicFigure*>(Value.value<void*>());
    } else if (Role == Qt::DisplayRole || Role == Qt::EditRole) {
      item.Text = Value.toString();
    } else {
      return false;
    }
    emit dataChanged(Index, Index, {Role});
    return true;
  }

  bool insertRows(int Row, int Count, const QModelIndex& Parent) override {
    if (Parent.isValid() || Row < 0 || size_t(Row) > FItems.size() || Count <= 0) return false;
    beginInsertRows(Parent, Row, Row + Count - 1);
    FItems.insert(FItems.begin() + Row, size_t(Count), TItem{});
    endInsertRows();
    return true;
  }

  bool removeRows(int Row, int Count, const QModelIndex& Parent) override {
    if (Parent.isValid() || Row < 0 || Count <= 0 || size_t(Row) + size_t(Count) > FItems.size()) return false;
    beginRemoveRows(Parent, Row, Row + Count - 1);
    FItems.erase(FItems.begin() + Row, FItems.begin() + Row + Count);
    endRemoveRows();
    return true;
  }

 private:
  std::vector<TItem> FItems;
};

}  // namespace

TObjectList::TObjectList(TDocument& Document, QWidget* Parent)
    : QGroupBox(tr(" Выбрать существующий объект "), Parent), FDocument(Document) {
  cbObjectSelect = new TDropDownList(this);
  cbObjectSelect->setGeometry(8, 20, 184, 24);
  SetHint(cbObjectSelect, tr("Выбор объекта для изменения"));
  cbObjectSelect->setEnabled(false);
  connect(cbObjectSelect, &QComboBox::activated, this, [this] { ReportFailures([this] { cbObjectSelectSelect(); }); });

  toolbarObjectControl = new QToolBar(this);
  toolbarObjectControl->setIconSize(QSize(16, 16));
  toolbarObjectControl->setGeometry(8, 50, 6 * 25, 23);
  toolbarObjectControl->setStyleSheet(QStringLiteral("QToolBar { border: 0; spacing: 0; padding: 0; }"));
  const auto addButton = [this](TToolIcon Icon, const QString& Hint) {
    auto* button = new QToolButton(toolbarObjectControl);
    button->setIcon(ToolIcon(Icon));
    button->setAutoRaise(true);
    button->setFixedSize(25, 23);
    button->setEnabled(false);
    SetHint(button, Hint);
    toolbarObjectControl->addWidget(button);
    return button;
  };
  btnClearAllObjects = addButton(tiClearAll, tr("Удалить все фигуры"));
  btnDeleteObject = addButton(tiDelete, tr("Удалить фигуру"));
  btnObjectUp = addButton(tiUp, tr("Передвинуть вперёд"));
  btnObjectDown = addButton(tiDown, tr("Передвинуть назад"));
  btnSortObjects = addButton(tiSort, tr("Сортировать фигуры"));
  btnObjectLock = addButton(tiLock, tr("Запретить измение свойств фигуры"));
  btnObjectLock->setCheckable(true);
  for (QToolButton* button : {btnClearAllObjects, btnDeleteObject, btnObjectUp, btnObjectDown, btnSortObjects})
    connect(button, &QToolButton::clicked, this, [this, button] { ReportFailures([&] { btnObjectOpClick(button); }); });
  connect(&Document, &TDocument::Closed, this, &TObjectList::ImageClosed);
  connect(&Document, &TDocument::SelectionChanged, this, &TObjectList::FollowSelection);
}

TBasicFigure* TObjectList::ItemFigure(int Index) const {
  return static_cast<TBasicFigure*>(cbObjectSelect->itemData(Index).value<void*>());
}

int TObjectList::ItemOf(const TBasicFigure* Figure) const {
  if (Figure == nullptr) return -1;
  // The selected figure's item is the one asked for most.
  const int current = cbObjectSelect->currentIndex();
  if (current >= 0 && ItemFigure(current) == Figure) return current;
  // The list holds the drawing order top first, so the item is found from
  // the figure's position without comparing every item's data; a list out
  // of step with the image is searched.
  const TFiguresCollection* collection = FDocument.Collection();
  const int position = collection != nullptr ? collection->PositionOf(Figure) : -1;
  const int item = position >= 0 ? cbObjectSelect->count() - 1 - position : -1;
  if (item >= 0 && item < cbObjectSelect->count() && ItemFigure(item) == Figure) return item;
  return cbObjectSelect->findData(QVariant::fromValue(static_cast<void*>(const_cast<TBasicFigure*>(Figure))));
}

QString TObjectList::FigureItemText(const TBasicFigure* Figure) const {
  const int index = ItemOf(Figure);
  return index >= 0 ? cbObjectSelect->itemText(index) : QString();
}

void TObjectList::InsertItem(int Index, TBasicFigure* Figure, int32_t Number) {
  cbObjectSelect->insertItem(Index, ItemText(Figure, Number), QVariant::fromValue(static_cast<void*>(Figure)));
}

void TObjectList::ImageClosed() {
  cbObjectSelect->clear();
  UpdateObjectControls();
}

void TObjectList::UpdateObjectControls() {
  const int count = cbObjectSelect->count();
  if (cbObjectSelect->currentIndex() < 0) cbObjectSelect->setCurrentIndex(count - 1);
  const int index = cbObjectSelect->currentIndex();
  const bool selected = index >= 0;
  btnObjectLock->setChecked(btnObjectLock->isChecked() && selected);
  for (QToolButton* button :
       {btnClearAllObjects, btnDeleteObject, btnObjectUp, btnObjectDown, btnSortObjects, btnObjectLock})
    button->setEnabled(selected);
  btnObjectDown->setEnabled(count > 1 && index < count - 1);
  btnObjectUp->setEnabled(count > 1 && index > 0);
  btnSortObjects->setEnabled(count > 1);
  cbObjectSelect->setEnabled(btnDeleteObject->isEnabled());
}

void TObjectList::RebuildObjectList() {
  const TFiguresCollection* collection = FDocument.Collection();
  if (collection == nullptr) {
    cbObjectSelect->clear();
    return;
  }
  // Filled before the list shows it: one item at a time through the list
  // would tell the list of each (a tenth of a second at 100,000 figures).
  std::vector<TFigureItems::TItem> items;
  items.reserve(size_t(collection->Count()));
  int selected = -1;
  for (TBasicFigure* figure : collection->Figures() | std::views::reverse) {
    if (figure == collection->Selected()) selected = int(items.size());
    items.push_back({figure, collection->Count() - 1 - int32_t(items.size()), {}});
  }
  // The list's previous model, its child, goes with the change.
  cbObjectSelect->setModel(new TFigureItems(std::move(items), cbObjectSelect));
  cbObjectSelect->setCurrentIndex(selected);
}

void TObjectList::ShowSelected() { cbObjectSelect->setCurrentIndex(ItemOf(FDocument.Selected())); }

void TObjectList::AddFigureItem(TBasicFigure* Figure) {
  InsertItem(0, Figure, cbObjectSelect->count());
  cbObjectSelect->setCurrentIndex(0);
  UpdateObjectControls();
  btnObjectLock->setChecked(false);
}

void TObjectList::SelectFigureItem(TBasicFigure* Figure) { FDocument.Select(Figure); }

void TObjectList::FollowSelection(TBasicFigure* Figure) {
  const int index = ItemOf(Figure);
  if (index >= 0) cbObjectSelect->setCurrentIndex(index);
  UpdateObjectControls();
}

void TObjectList::cbObjectSelectSelect() {
  const int index = cbObjectSelect->currentIndex();
  if (!cbObjectSelect->isEnabled() || index < 0) return;
  FDocument.Select(ItemFigure(index));
}

void TObjectList::btnObjectOpClick(QToolButton* Sender) {
  if (cbObjectSelect->currentIndex() < 0) return;
  FDocument.EndPendingStep();
  TFiguresCollection& collection = *FDocument.Collection();
  UpdateInBatch(collection, [&] { RunCommand(Sender, collection); });
  UpdateObjectControls();
  FDocument.StepDone();
}

void TObjectList::RunCommand(QToolButton* Sender, TFiguresCollection& Collection) {
  if (Sender == btnDeleteObject) {
    Collection.Remove(ItemFigure(cbObjectSelect->currentIndex()), true);
    cbObjectSelect->removeItem(cbObjectSelect->currentIndex());
    cbObjectSelect->setCurrentIndex(cbObjectSelect->count() - 1);
    UpdateObjectControls();
    cbObjectSelectSelect();
    emit FiguresRemoved();
    Collection.UpdateRaster();
  } else if (Sender == btnClearAllObjects) {
    cbObjectSelect->clear();
    Collection.Clear();
    emit FiguresRemoved();
    Collection.UpdateRaster();
  } else if (Sender == btnObjectUp) {
    MoveSelectedFigure(+1);
  } else if (Sender == btnObjectDown) {
    MoveSelectedFigure(-1);
  } else if (Sender == btnSortObjects) {
    Collection.Sort();
    Collection.UpdateRaster();
    RebuildObjectList();
  }
}

void TObjectList::MoveSelectedFigure(int32_t Step) {
  TFiguresCollection& collection = *FDocument.Collection();
  if (!collection.MoveFigure(collection.Selected(), Step)) return;
  const int from = cbObjectSelect->currentIndex();
  const int to = from - Step;
  const QString text = cbObjectSelect->itemText(from);
  const QVariant figure = cbObjectSelect->itemData(from);
  cbObjectSelect->setItemText(from, cbObjectSelect->itemText(to));
  cbObjectSelect->setItemData(from, cbObjectSelect->itemData(to));
  cbObjectSelect->setItemText(to, text);
  cbObjectSelect->setItemData(to, figure);
  cbObjectSelect->setCurrentIndex(to);
  collection.UpdateRaster();
}
