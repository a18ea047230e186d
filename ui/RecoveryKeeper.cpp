#include "ui/RecoveryKeeper.h"

#include "figures/Exceptions.h"
#include "ui/Document.h"
#include "ui/ModelMessages.h"

TRecoveryKeeper::TRecoveryKeeper(TDocument& Document, const std::string& Folder, QObject* Parent)
    : QObject(Parent), FDocument(Document), FStore(Folder) {
  FTimer.setSingleShot(true);
  FTimer.setInterval(WriteDelayMs);
  connect(&FTimer, &QTimer::timeout, this, &TRecoveryKeeper::WriteNow);
  connect(&FDocument, &TDocument::StateChanged, this, &TRecoveryKeeper::DocumentChanged);
}

TRecoveryKeeper::~TRecoveryKeeper() {
  try {
    FStore.Remove();
  } catch (const EKrestaError&) {
    // Offered again at the next start, which is the safe side.
  }
}

void TRecoveryKeeper::DocumentChanged() {
  if (FDocument.Modified()) {
    // Not restarted by later steps: a person drawing without a pause still
    // has the file at most WriteDelayMs behind.
    if (!FTimer.isActive()) FTimer.start();
  } else {
    FTimer.stop();
    RemoveFile();
  }
}

void TRecoveryKeeper::WriteNow() {
  FTimer.stop();
  if (!FDocument.Modified()) return;
  try {
    FStore.Write(FDocument.State(), FDocument.FileName().toStdString());
    FWritten = true;
  } catch (const EKrestaError& Failure) {
    emit Failed(FailureText(Failure));
  }
}

void TRecoveryKeeper::RemoveFile() {
  if (!FWritten) return;
  try {
    FStore.Remove();
    FWritten = false;
  } catch (const EKrestaError& Failure) {
    emit Failed(FailureText(Failure));
  }
}
