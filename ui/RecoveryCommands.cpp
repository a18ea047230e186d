// The main window's side of recovery: at start-up, the images that a
// program which did not end normally left unsaved are offered back.
#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "document/Collection.h"
#include "document/Recovery.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "ui/Application.h"
#include "ui/Document.h"
#include "ui/MainUnit.h"
#include "ui/ModelMessages.h"
#include "ui/RecoveryKeeper.h"

#include <chrono>
#include <vector>

namespace {

enum TRestoreAnswer : uint8_t { raRestore, raDiscard, raLater };

TRestoreAnswer AskRestore(QWidget* Parent, const TRecoveryEntry& Entry, const QString& Name) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kresta"),
                  QCoreApplication::translate("TfrmMain", "Восстановить несохранённое изображение?"),
                  QMessageBox::NoButton, Parent);
  const QDateTime written = QDateTime::fromSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::seconds>(Entry.Modified.time_since_epoch()).count());
  box.setInformativeText(QCoreApplication::translate("TfrmMain", "«%1», изменено %2")
                             .arg(Name.isEmpty() ? QCoreApplication::translate("TfrmMain", "Новый") : Name,
                                  QLocale().toString(written, QLocale::ShortFormat)));
  QPushButton* restore =
      box.addButton(QCoreApplication::translate("TfrmMain", "Восстановить"), QMessageBox::AcceptRole);
  QPushButton* discard =
      box.addButton(QCoreApplication::translate("TfrmMain", "Удалить"), QMessageBox::DestructiveRole);
  QPushButton* later = box.addButton(QCoreApplication::translate("TfrmMain", "Позже"), QMessageBox::RejectRole);
  box.setDefaultButton(restore);
  box.setEscapeButton(later);
  box.setAccessibleName(box.windowTitle());
  box.exec();
  if (box.clickedButton() == restore) return raRestore;
  return box.clickedButton() == discard ? raDiscard : raLater;
}

// A recovery file that cannot be restored is kept for the person under a
// name no longer offered, and the start goes on.
void SetAside(QWidget* Parent, TRecoveryStore& Store, const TRecoveryEntry& Entry, const QString& Reason) {
  QString kept;
  try {
    kept = QCoreApplication::translate("TfrmMain", "\nФайл сохранён как %1")
               .arg(QString::fromStdString(Store.SetAside(Entry)));
  } catch (const EKrestaError&) {
    // It stays where it was and is offered again.
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kresta"),
                  QCoreApplication::translate("TfrmMain", "Изображение не восстановлено: ") + Reason + kept,
                  QMessageBox::Ok, Parent);
  box.setAccessibleName(box.windowTitle());
  box.exec();
}

}  // namespace

bool TfrmMain::OfferRecovery() {
  TRecoveryStore& store = FRecovery->Store();
  std::vector<TRecoveryEntry> leftovers;
  try {
    leftovers = store.Leftovers();
  } catch (const EKrestaError& Failure) {
    sbHelper->showMessage(tr("Нет доступа к копиям для восстановления: ") + FailureText(Failure));
    return false;
  }
  for (const TRecoveryEntry& entry : leftovers) {
    TRecoveredImage image;
    try {
      image = store.Load(entry);
    } catch (const EKrestaError& Failure) {
      SetAside(this, store, entry, FailureText(Failure));
      continue;
    }
    const QString name = QString::fromStdString(image.OriginalFileName);
    switch (AskRestore(this, entry, name)) {
      case raRestore:
        if (RestoreImage(image, name)) {
          // Now this program's own: written under its session, then gone
          // from the list of leftovers.
          FRecovery->WriteNow();
          ReportFailures([&] { store.Discard(entry); });
          return true;
        }
        SetAside(this, store, entry, sbHelper->currentMessage());
        break;
      case raDiscard: ReportFailures([&] { store.Discard(entry); }); break;
      case raLater: break;
    }
  }
  return false;
}

bool TfrmMain::RestoreImage(const TRecoveredImage& Image, const QString& FileName) {
  try {
    TReadOnlyStream stream(Image.Container);
    AttachReadImage(TFiguresCollection::CreateFromStream(nullptr, stream), FileName);
    FinishOpening(true);
    return true;
  } catch (const std::exception& Failure) {
    CloseImage();
    sbHelper->showMessage(FailureText(Failure));
    return false;
  }
}
