// The open image as the windows share it: the one collection the program
// edits at a time, owned here, and the moments it opens and closes. The
// parts of the main window (menu, object list, property panel) listen to
// those moments instead of being told one by one.
#pragma once

#include <QObject>

#include <memory>

#include "document/Collection.h"

class TDocument : public QObject {
  Q_OBJECT
 public:
  explicit TDocument(QObject* Parent = nullptr);
  ~TDocument() override;

  // None while no image is open.
  TFiguresCollection* Collection() const { return FCollection.get(); }
  bool IsOpen() const { return FCollection != nullptr; }
  // The collection's selected figure; none without an image.
  TBasicFigure* Selected() const;

  // Takes the image as the open one, replacing none (close the previous one
  // first); its sort handler is the document's OnSort. Emits Opened.
  void Open(std::unique_ptr<TFiguresCollection> Collection);
  // Destroys the collection with its figures, then emits Closed. Nothing
  // happens when no image is open.
  void Close();

  // Reorders the open image's figures when the collection sorts.
  TFigureSortEvent OnSort;

 signals:
  void Opened();
  void Closed();

 private:
  std::unique_ptr<TFiguresCollection> FCollection;
};
