#include "ui/Document.h"

#include <utility>

TDocument::TDocument(QObject* Parent) : QObject(Parent) {}

TDocument::~TDocument() = default;

TBasicFigure* TDocument::Selected() const { return FCollection ? FCollection->Selected() : nullptr; }

void TDocument::Open(std::unique_ptr<TFiguresCollection> Collection) {
  FCollection = std::move(Collection);
  FCollection->OnSort = [this](PFigureNode First, uint16_t Count, TFigureCompare Compare) {
    if (OnSort) OnSort(First, Count, Compare);
  };
  emit Opened();
}

void TDocument::Close() {
  if (!FCollection) return;
  FCollection.reset();
  emit Closed();
}
