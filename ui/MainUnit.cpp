#include "ui/MainUnit.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMoveEvent>
#include <QPushButton>
#include <QSessionManager>
#include <QSettings>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>
#include <utility>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "ui/AboutUnit.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Document.h"
#include "ui/FigureAccessibility.h"
#include "ui/FileDialogs.h"
#include "ui/GridSettings.h"
#include "ui/Icons.h"
#include "ui/ModelMessages.h"
#include "ui/Printing.h"
#include "ui/NewDialog.h"
#include "ui/ObjectList.h"
#include "ui/PropertyPanel.h"
#include "ui/RecoveryKeeper.h"

namespace {

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 499;
constexpr int kStatusBarHeight = 19;
constexpr int kObjectGroupHeight = 80;
// How far, in pixels on each axis, the image window may be from the main
// window's right edge to count as docked.
constexpr int kDockingDistance = 10;

// Without a home folder the recovery files go to the temporary folder,
// which still outlives a crash.
std::string RecoveryFolder() {
  try {
    return DefaultRecoveryFolder();
  } catch (const EKrestaError&) {
    return QDir::tempPath().toStdString() + "/kresta-recovery-" + std::to_string(::getuid());
  }
}

}  // namespace

TfrmMain::TfrmMain()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      FDocument(new TDocument(this)),
      FRecovery(new TRecoveryKeeper(*FDocument, RecoveryFolder(), this)) {
  setWindowTitle(QStringLiteral("Kresta"));
  setWindowIcon(ProgramIcon());
  setAccessibleName(windowTitle());
  // The fixed layout is measured for the classic 8-point interface font.
  QFont interfaceFont = font();
  interfaceFont.setPixelSize(11);
  setFont(interfaceFont);
  Menu = BuildMainMenu(*menuBar());
  CreateParts();
  WireParts();
  FGrid = LoadGridSettings(*ProgramSettings());
  ShowGridSettings();
  // Every title on the bar, in every language: the frame grows only if
  // they cannot fit otherwise.
  const int width = FitMenuTitles(*menuBar(), kClientWidth);
  setFixedSize(width, menuBar()->sizeHint().height() + kClientHeight);
  frmNewDlg = new TfrmNewDlg(this);
}

TfrmMain::~TfrmMain() {
  // The image goes before its window: the figures draw on the window's
  // raster.
  if (FImage != nullptr) FImage->SetCollection(nullptr);
  FDocument->Close();
  delete FImage;
}

void TfrmMain::CreateParts() {
  auto* client = new QWidget(this);
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);
  Dialogs = new TFileDialogs(this);
  Printer = new TImagePrinter(this);
  ObjectList = new TObjectList(*FDocument, client);
  ObjectList->setGeometry(0, 0, kClientWidth, kObjectGroupHeight);
  PropertyPanel = new TPropertyPanel(*FDocument, *ObjectList->btnObjectLock, *Dialogs, client);
  PropertyPanel->setGeometry(0, kObjectGroupHeight, kClientWidth,
                             kClientHeight - kStatusBarHeight - kObjectGroupHeight);
  sbHelper = new THintBar(this);
  setStatusBar(sbHelper);
  sbHelper->setObjectName(QStringLiteral("sbHelper"));
  sbHelper->setFixedHeight(kStatusBarHeight);
  sbHelper->setSizeGripEnabled(false);
}

void TfrmMain::WireParts() {
  for (QAction* item :
       {Menu.mnMain_File_New, Menu.mnMain_File_Open, Menu.mnMain_File_Save, Menu.mnMain_File_Saveas,
        Menu.mnMain_File_Print, Menu.mnMain_File_PrintPreview, Menu.mnMain_File_Close, Menu.mnMain_File_CopyToBuff,
        Menu.mnMain_File_PasteFromBuff, Menu.mnMain_File_Quit, Menu.mnMain_Edit_Undo, Menu.mnMain_Edit_Redo,
        Menu.mnMain_Options_Grid, Menu.mnMain_Options_Snap, Menu.mnMain_Options_GridStep, Menu.mnMain_About})
    connect(item, &QAction::triggered, this, [this, item] { ReportFailures([&] { mn_MainClick(item); }); });
  connect(FDocument, &TDocument::Opened, this, [this] { Menu.EnableImageCommands(true); });
  connect(FDocument, &TDocument::Closed, this, [this] { Menu.EnableImageCommands(false); });
  connect(FDocument, &TDocument::StateChanged, this, &TfrmMain::ShowDocumentState);
  connect(FDocument, &TDocument::Restored, this, &TfrmMain::ShowRestoredImage);
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    connect(app, &QGuiApplication::commitDataRequest, this, &TfrmMain::CommitSession, Qt::DirectConnection);
  connect(FRecovery, &TRecoveryKeeper::Failed, this, [this](const QString& Message) {
    sbHelper->showMessage(tr("Копия для восстановления не записана: ") + Message);
  });
  FDocument->OnEndPendingStep = [this] {
    if (FImage != nullptr) FImage->EndStep();
  };
  FDocument->OnSort = [this](PFigureNode List, uint16_t Count, TFigureCompare Compare) {
    SortFigures(List, Count, Compare);
  };
  connect(ObjectList, &TObjectList::FiguresRemoved, this, [this] {
    if (FImage != nullptr) FImage->SetMode(emSelect);
  });
  connect(PropertyPanel, &TPropertyPanel::ChosenClassChanged, this, [this](const TFigureClass* Class) {
    if (FImage != nullptr) FImage->FFigureClass = Class;
  });
}

void TfrmMain::mn_MainClick(QAction* Sender) {
  if (Sender == Menu.mnMain_File_New)
    ReplaceImage(isNew);
  else if (Sender == Menu.mnMain_File_Open)
    ReplaceImage(isFile);
  else if (Sender == Menu.mnMain_File_Save)
    SaveCommand();
  else if (Sender == Menu.mnMain_File_Saveas)
    ExportCommand();
  else if (Sender == Menu.mnMain_File_Print || Sender == Menu.mnMain_File_PrintPreview)
    PrintCommand(Sender == Menu.mnMain_File_PrintPreview);
  else if (Sender == Menu.mnMain_File_Close) {
    if (QueryDiscardImage(false)) CloseImage();
  } else if (Sender == Menu.mnMain_File_CopyToBuff)
    CopyCommand();
  else if (Sender == Menu.mnMain_File_PasteFromBuff)
    PasteCommand();
  else if (Sender == Menu.mnMain_File_Quit)
    close();
  else if (Sender == Menu.mnMain_Edit_Undo || Sender == Menu.mnMain_Edit_Redo)
    StepThroughHistory(Sender == Menu.mnMain_Edit_Undo);
  else if (Sender == Menu.mnMain_Options_Grid || Sender == Menu.mnMain_Options_Snap ||
           Sender == Menu.mnMain_Options_GridStep)
    GridCommand(Sender);
  else if (Sender == Menu.mnMain_About)
    AboutCommand();
}

void TfrmMain::GridCommand(QAction* Sender) {
  if (Sender == Menu.mnMain_Options_GridStep) {
    const std::optional<int32_t> step = AskGridStep(this, FGrid.Step);
    if (!step) return;
    FGrid.Step = *step;
  }
  FGrid.Visible = Menu.mnMain_Options_Grid->isChecked();
  FGrid.Snap = Menu.mnMain_Options_Snap->isChecked();
  SaveGridSettings(*ProgramSettings(), FGrid);
  if (FImage != nullptr) FImage->SetGrid(FGrid);
}

void TfrmMain::ShowGridSettings() {
  Menu.mnMain_Options_Grid->setChecked(FGrid.Visible);
  Menu.mnMain_Options_Snap->setChecked(FGrid.Snap);
}

bool TfrmMain::AskCloseCurrent() {
  QMessageBox box(QMessageBox::Question, tr("Закрыть"), tr("Закрыть текущий файл?"),
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  box.setWindowModality(Qt::ApplicationModal);
  box.setAccessibleName(box.windowTitle());
  return box.exec() == QMessageBox::Ok;
}

TSaveAnswer TfrmMain::AskSaveChanges() {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kresta"),
                  tr("Сохранить изменения в «%1»?").arg(QFileInfo(FDocument->Title()).fileName()),
                  QMessageBox::NoButton, this);
  QPushButton* save = box.addButton(tr("Сохранить"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(tr("Не сохранять"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(tr("Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.setWindowModality(Qt::ApplicationModal);
  box.setAccessibleName(box.windowTitle());
  box.exec();
  if (box.clickedButton() == save) return saSave;
  return box.clickedButton() == discard ? saDiscard : saCancel;
}

bool TfrmMain::QueryDiscardImage(bool Confirm) {
  if (!FDocument->IsOpen()) return true;
  FDocument->EndPendingStep();
  if (FSessionAnswered && !Confirm) return true;
  if (!FDocument->Modified()) return !Confirm || AskCloseCurrent();
  switch (AskSaveChanges()) {
    case saSave: {
      // A save that fails says why, and the image stays.
      bool saved = false;
      ReportFailures([&] { saved = SaveCommand(); });
      return saved;
    }
    case saDiscard: return true;
    case saCancel: break;
  }
  return false;
}

void TfrmMain::ReplaceImage(TImageSource Source) {
  if (FDocument->IsOpen()) {
    if (!QueryDiscardImage(true)) return;
    CloseImage();
  }
  OpenImage(Source);
}

void TfrmMain::AboutCommand() {
  if (!FAbout) FAbout = std::make_unique<TfrmAbout>();
  FAbout->exec();
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
  bool mayClose = false;
  ReportFailures([&] { mayClose = QueryDiscardImage(false); });
  if (!mayClose) {
    Event->ignore();
    return;
  }
  // The image goes with the program, answered for: the toolkit's quit
  // closes every window, and the image window would ask again.
  CloseImage();
  Event->accept();
}

// ------------------------------------------------------------------ the image

void TfrmMain::EnsureImageWindow() {
  if (FImage != nullptr) return;
  FImage = new TfrmImage();
  // The program ends with the main window, whatever image is open.
  FImage->setAttribute(Qt::WA_QuitOnClose, false);
  FImage->setWindowIcon(windowIcon());
  FImage->OnFigureAction = [this](TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action) {
    ImageFigureAction(Sender, Figure, Action);
  };
  FImage->OnClose = [this] { return ImageClose(); };
  FImage->OnMoved = [this] { ImageCanResize(); };
  FImage->SetGrid(FGrid);
  ExposeFigures(*FImage->imgDraw, *FDocument,
                [this](const TBasicFigure* Figure) { return ObjectList->FigureItemText(Figure); });
}

void TfrmMain::PrepareDrawingSurface() { FImage->PrepareSurface(FDocument->Collection()->ImageRect()); }

void TfrmMain::OpenImage(TImageSource Source, const QString& FileName) {
  try {
    bool opened = true;
    switch (Source) {
      case isNew: opened = OpenNewImage(); break;
      case isFile: opened = OpenFileImage(FileName); break;
      case isClipboard: OpenClipboardImage(); break;
    }
    if (opened) FinishOpening();
  } catch (const std::exception& Failure) {
    CloseImage();
    // The narrow bar shows the start, its tooltip the whole reason.
    sbHelper->showMessage(tr("Изображение не открыто: ") + FailureText(Failure));
  }
}

bool TfrmMain::OpenNewImage() {
  if (frmNewDlg->exec() != QDialog::Accepted) return false;
  EnsureImageWindow();
  FDocument->Open(std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, frmNewDlg->Width(), frmNewDlg->Height()}));
  TFiguresCollection& collection = *FDocument->Collection();
  FImage->SetCollection(&collection);
  try {
    PrepareDrawingSurface();
    collection.SetBackgroundColor(frmNewDlg->BackgroundColor());
  } catch (const EKrestaError&) {
    // Without a canvas the background cannot be drawn yet; it is kept.
  }
  collection.SetCanvas(FImage->DrawingCanvas());
  return true;
}

void TfrmMain::ListOpenedFigures() {
  ObjectList->RebuildObjectList();
  ObjectList->UpdateObjectControls();
  // The list shows the stored selection, or its last item when none was
  // stored: the image selects what the list shows.
  ObjectList->cbObjectSelectSelect();
}

void TfrmMain::FinishOpening(bool Modified) {
  FDocument->StartHistory(Modified);
  MoveImageToEdge();
  FImage->FormResize();
  FImage->SetMode(emSelect);
  FImage->show();
}

void TfrmMain::CloseImage() {
  if (FImage == nullptr) return;
  TfrmImage* image = std::exchange(FImage, nullptr);
  image->OnFigureAction = nullptr;
  image->OnClose = nullptr;
  image->OnMoved = nullptr;
  image->SetCollection(nullptr);
  FDocument->Close();
  image->SetMode(emSelect);
  // Possibly inside the window's own close processing: it goes once that
  // processing is over.
  image->hide();
  image->deleteLater();
  FDockingMovePending = false;
}

void TfrmMain::ImageFigureAction(TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action) {
  switch (Action) {
    case faCreated:
      PropertyPanel->ApplyPropsToFigure(Figure);
      ObjectList->AddFigureItem(Figure);
      FDocument->Select(Figure);
      break;
    case faPasted:
      ObjectList->AddFigureItem(Figure);
      FDocument->Select(Figure);
      break;
    case faDeleteRequest: ObjectList->DeleteSelected(); break;
    case faSelected: FDocument->Select(Figure); break;
    case faRaiseRequest: ObjectList->RaiseSelected(); break;
    case faLowerRequest: ObjectList->LowerSelected(); break;
    case faStepDone: FDocument->StepDone(Sender->StepKey()); break;
  }
}

bool TfrmMain::ImageClose() {
  if (!QueryDiscardImage(false)) return false;
  CloseImage();
  return true;
}

// ------------------------------------------------------------------ history

void TfrmMain::StepThroughHistory(bool Back) {
  if (!FDocument->IsOpen()) return;
  FDocument->EndPendingStep();
  if (Back)
    FDocument->Undo();
  else
    FDocument->Redo();
}

void TfrmMain::ShowRestoredImage(bool FiguresReplaced) {
  if (FImage == nullptr) return;
  FImage->SetMode(emSelect);
  // Other figures are listed anew; the same ones need only show the
  // restored selection.
  if (FiguresReplaced)
    ObjectList->RebuildObjectList();
  else
    ObjectList->ShowSelected();
  ObjectList->UpdateObjectControls();
  ObjectList->cbObjectSelectSelect();
}

void TfrmMain::CommitSession(QSessionManager& Manager) {
  // Whatever the answer, the work outlives the session.
  ReportFailures([&] { FRecovery->WriteNow(); });
  if (!FDocument->Modified() || !Manager.allowsInteraction()) return;
  bool mayEnd = false;
  ReportFailures([&] { mayEnd = QueryDiscardImage(false); });
  Manager.release();
  if (mayEnd)
    FSessionAnswered = true;
  else
    Manager.cancel();
}

void TfrmMain::ShowDocumentState() {
  FSessionAnswered = false;
  Menu.EnableHistoryCommands(FDocument->CanUndo(), FDocument->CanRedo());
  if (FImage != nullptr && FDocument->IsOpen())
    FImage->setWindowTitle(FDocument->Title() + (FDocument->Modified() ? QStringLiteral(" *") : QString()));
}

// --------------------------------------------------------------- docking glue

bool TfrmMain::ImageIsNear(const QPoint& MainPos) const {
  const QPoint edge(MainPos.x() + frameGeometry().width(), MainPos.y());
  return std::abs(FImage->x() - edge.x()) <= kDockingDistance && std::abs(FImage->y() - edge.y()) <= kDockingDistance;
}

void TfrmMain::MoveImageToEdge() {
  const QPoint edge(x() + frameGeometry().width(), y());
  if (FImage->pos() == edge) return;
  FDockingMovePending = true;
  FImage->move(edge);
}

void TfrmMain::moveEvent(QMoveEvent* Event) {
  QMainWindow::moveEvent(Event);
  ReportFailures([&] { FormCanResize(pos() - (Event->pos() - Event->oldPos())); });
}

void TfrmMain::FormCanResize(const QPoint& OldPos) {
  if (FImage == nullptr) return;
  if (!FDocked && ImageIsNear(OldPos)) {
    MoveImageToEdge();
    FDocked = true;
  } else if (FImage->isVisible() && FDocked) {
    MoveImageToEdge();
  }
}

void TfrmMain::ImageCanResize() {
  if (FImage == nullptr) return;
  if (std::exchange(FDockingMovePending, false)) return;
  FDocked = ImageIsNear(pos()) && !FDocked;
}

// ------------------------------------------------------------------- sorting

void TfrmMain::SortFigures(PFigureNode List, uint16_t Count, TFigureCompare Compare) {
  if (Menu.mnMain_Options_SortType_Hoar->isChecked())
    SortRoutines.Hoare(List, Count, Compare);
  else if (Menu.mnMain_Options_SortType_Insert->isChecked())
    SortRoutines.Insertion(List, Count, Compare);
  else
    SortRoutines.Bubble(List, Count, Compare);
}
