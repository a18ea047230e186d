// Keeps the open image's recovery file up to date: while the image has
// unsaved steps, its state is written at most 5 seconds after the first
// step not yet written (so no more than the last 5 seconds of work can be
// lost to a crash); the file goes once the image is saved, closed, or its
// steps are undone back to the file's state, and when the program ends
// normally.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

#include "document/Recovery.h"

class TDocument;

class TRecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  static constexpr int WriteDelayMs = 5000;

  // Folder: where recovery files live (DefaultRecoveryFolder()).
  TRecoveryKeeper(TDocument& Document, const std::string& Folder, QObject* Parent = nullptr);
  // A normal end: the recovery file is removed.
  ~TRecoveryKeeper() override;

  TRecoveryStore& Store() { return FStore; }
  // Writes the image's state now, when it has unsaved steps.
  void WriteNow();

 signals:
  // A write or a removal failed; the image is untouched.
  void Failed(const QString& Message);

 private:
  void DocumentChanged();
  void RemoveFile();

  TDocument& FDocument;
  TRecoveryStore FStore;
  QTimer FTimer;
  bool FWritten = false;
};
