#include "ui/Printing.h"

#include <QCheckBox>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>
#include <cups/cups.h>

#include <vector>

#include "export/Export.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "ui/FileDialogs.h"

namespace {

// Where the image lands on the printer's paper, in points.
TPdfPlacement Placement(const QPrinter& Printer, const TFiguresCollection& Image, bool FitToPage) {
  const QPageLayout layout = Printer.pageLayout();
  const QRectF paper = layout.fullRect(QPageLayout::Point);
  const QMarginsF margins = layout.margins(QPageLayout::Point);
  const TRect& r = Image.ImageRect();
  return PagePlacement(paper.width(), paper.height(),
                       {margins.left(), margins.top(), margins.right(), margins.bottom()}, r.Right, r.Bottom,
                       FitToPage);
}

// Hands the PDF to the print system as one job on the printer chosen.
void SendToPrintSystem(const QPrinter& Printer, const std::vector<uint8_t>& Pdf) {
  QTemporaryFile file;
  if (!file.open() || file.write(reinterpret_cast<const char*>(Pdf.data()), qint64(Pdf.size())) != qint64(Pdf.size()) ||
      !file.flush())
    throw EWriteError();
  cups_option_t* options = nullptr;
  int count = cupsAddOption("copies", QByteArray::number(Printer.copyCount()).constData(), 0, &options);
  count = cupsAddOption("document-format", CUPS_FORMAT_PDF, count, &options);
  const int job = cupsPrintFile(Printer.printerName().toLocal8Bit().constData(), QFile::encodeName(file.fileName()),
                                Printer.docName().toUtf8().constData(), count, options);
  cupsFreeOptions(count, options);
  if (job == 0) throw EKrestaError(std::string("Not printed: ") + cupsLastErrorString());
}

}  // namespace

TImagePrinter::TImagePrinter(QWidget* Owner)
    : QObject(Owner), FOwner(Owner), FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  // Placements count from the paper's corner, margins included.
  FPrinter->setFullPage(true);
}

TImagePrinter::~TImagePrinter() = default;

void TImagePrinter::Prepare(const TFiguresCollection& Image, const QString& Title) {
  const TRect& r = Image.ImageRect();
  FPrinter->setPageOrientation(r.Right > r.Bottom ? QPageLayout::Landscape : QPageLayout::Portrait);
  FPrinter->setDocName(Title);
}

void TImagePrinter::Print(TFiguresCollection& Image, const QString& Title) {
  Prepare(Image, Title);
  QPrintDialog dialog(FPrinter.get(), FOwner);
  auto* placement = new QWidget;
  placement->setWindowTitle(tr("Размещение"));
  auto* fit = new QCheckBox(tr("По размеру страницы"), placement);
  fit->setChecked(FitToPage);
  (new QVBoxLayout(placement))->addWidget(fit);
  dialog.setOptionTabs({placement});
  if (dialog.exec() != QDialog::Accepted) return;
  FitToPage = fit->isChecked();
  FImage = &Image;
  SendPage(*FPrinter);
}

void TImagePrinter::Preview(TFiguresCollection& Image, const QString& Title) {
  Prepare(Image, Title);
  FImage = &Image;
  QPrintPreviewDialog dialog(FPrinter.get(), FOwner);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &TImagePrinter::PaintPage);
  if (auto* tools = dialog.findChild<QToolBar*>()) {
    QAction* fit = tools->addAction(tr("По размеру страницы"));
    fit->setCheckable(true);
    fit->setChecked(FitToPage);
    connect(fit, &QAction::toggled, &dialog, [this, &dialog](bool Checked) {
      FitToPage = Checked;
      if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) pages->updatePreview();
    });
  }
  dialog.exec();
}

void TImagePrinter::PaintPage(QPrinter* Printer) {
  // The preview paints on a recording engine of its own; a real page has
  // the printer's.
  const QPaintEngine* engine = Printer->paintEngine();
  if (engine != nullptr && engine->type() == QPaintEngine::Picture)
    PaintPreview(*Printer);
  else
    SendPage(*Printer);
}

void TImagePrinter::PaintPreview(QPrinter& Printer) {
  const TPdfPlacement placement = Placement(Printer, *FImage, FitToPage);
  const double dots = Printer.resolution() / 72.0;
  const TRect& r = FImage->ImageRect();
  QPainter painter(&Printer);
  // Shrunk for the screen, the pixels are blended rather than picked, so
  // hatches do not beat into false patterns.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(placement.Left * dots, placement.Top * dots, r.Right * placement.Scale * dots,
                           r.Bottom * placement.Scale * dots),
                    RenderImage(*FImage));
}

void TImagePrinter::SendPage(QPrinter& Printer) {
  std::vector<TVectorApproximation> approximated;
  const std::vector<uint8_t> pdf = ImageToPdf(*FImage, approximated, Placement(Printer, *FImage, FitToPage));
  if (Printer.outputFormat() == QPrinter::PdfFormat)
    WriteFileAtomically(LocalFileName(Printer.outputFileName()), pdf);
  else
    SendToPrintSystem(Printer, pdf);
}
