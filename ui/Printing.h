// Printing the image: Qt's print dialog and print preview choose the
// printer, the paper and whether the image fits the page; the page itself
// is the PDF export's drawing (vectors, texts in embedded fonts), placed on
// the paper and written to the PDF file the dialog names or handed to the
// print system. The preview shows the raster at the same place.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QPrinter;
class QWidget;
class TFiguresCollection;

class TImagePrinter : public QObject {
  Q_OBJECT
 public:
  explicit TImagePrinter(QWidget* Owner);
  ~TImagePrinter() override;

  // The print dialog for Image (Title names the job); prints when accepted.
  void Print(TFiguresCollection& Image, const QString& Title);
  // The preview of the page, from which the person may print.
  void Preview(TFiguresCollection& Image, const QString& Title);

  // The image as large as the page holds it, instead of 96 pixels an inch.
  bool FitToPage = false;

 private:
  // The paper turned the way the image fits it better, and the job named.
  void Prepare(const TFiguresCollection& Image, const QString& Title);
  // Paints a preview page, or prints: the printer asks for either.
  void PaintPage(QPrinter* Printer);
  void PaintPreview(QPrinter& Printer);
  void SendPage(QPrinter& Printer);

  QWidget* FOwner;
  // Kept between uses: the person's printer, paper and margins.
  std::unique_ptr<QPrinter> FPrinter;
  TFiguresCollection* FImage = nullptr;
};
