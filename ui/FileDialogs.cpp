#include "ui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

#include "ui/Controls.h"

namespace {

const QString kImageFilter = QStringLiteral("Kresta images (*.kri)");

QFileDialog* MakeDialog(QWidget* Owner, QFileDialog::AcceptMode Mode, const QString& Title, const QStringList& Filters,
                        const QString& Suffix, bool ShowHidden) {
  auto* dialog = new QFileDialog(Owner, Title);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(Mode);
  dialog->setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog->setNameFilters(Filters);
  dialog->setDefaultSuffix(Suffix);
  if (ShowHidden) dialog->setFilter(dialog->filter() | QDir::Hidden);
  dialog->setAccessibleName(Title.isEmpty() ? dialog->windowTitle() : Title);
  return dialog;
}

}  // namespace

// Every format the preview loads: the bitmaps and JPEG files the program
// decodes itself, then what the toolkit's image readers know. The bitmap
// entry is the fourth, the one preselected.
QStringList TFileDialogs::PictureFilters(bool ForWriting) {
  QStringList patterns = {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.bmp")};
  QStringList filters = {tr("Изображение JPEG (*.jpg)"), tr("Изображение JPEG (*.jpeg)"),
                         tr("Точечные рисунки (*.bmp)")};
  if (!ForWriting) {
    const QList<QByteArray> known = QImageReader::supportedImageFormats();
    const auto offer = [&](const char* Format, const QString& Filter, const QStringList& Patterns) {
      if (!known.contains(Format)) return;
      filters << Filter;
      patterns << Patterns;
    };
    offer("ico", tr("Значки (*.ico)"), {QStringLiteral("*.ico")});
    offer("png", tr("Изображение PNG (*.png)"), {QStringLiteral("*.png")});
    offer("gif", tr("Изображение GIF (*.gif)"), {QStringLiteral("*.gif")});
    offer("ppm", tr("Изображение PBM/PGM/PPM (*.pbm *.pgm *.ppm)"),
          {QStringLiteral("*.pbm"), QStringLiteral("*.pgm"), QStringLiteral("*.ppm")});
    offer("xpm", tr("Изображение XPM (*.xpm)"), {QStringLiteral("*.xpm")});
  }
  filters.prepend(tr("Все картинки (%1)").arg(patterns.join(QLatin1Char(' '))));
  return filters;
}

TFileDialogs::TFileDialogs(QWidget* Owner) : QObject(Owner) {
  dlgOpenImage =
      MakeDialog(Owner, QFileDialog::AcceptOpen, tr("Открыть файл"), {kImageFilter}, QStringLiteral("kri"), true);
  dlgSaveImage = MakeDialog(Owner, QFileDialog::AcceptSave, QString(), {kImageFilter}, QStringLiteral("kri"), false);
  dlgSaveAsPicture = MakeDialog(Owner, QFileDialog::AcceptSave, tr("Сохранить файл как изображение"),
                                PictureFilters(true), QStringLiteral("bmp"), true);
  dlgOpenPicture =
      MakeDialog(Owner, QFileDialog::AcceptOpen, QString(), PictureFilters(false), QStringLiteral("bmp"), false);
  QStringList exportFilters = PictureFilters(true);
  for (const TVectorFilter& filter : ExportFilters()) exportFilters << filter.Filter;
  dlgExportImage = MakeDialog(Owner, QFileDialog::AcceptSave, tr("Сохранить файл как изображение"), exportFilters,
                              QStringLiteral("bmp"), true);
  for (QFileDialog* dialog : {dlgSaveAsPicture, dlgOpenPicture, dlgExportImage})
    dialog->selectNameFilter(dialog->nameFilters()[3]);
  connect(dlgExportImage, &QFileDialog::filterSelected, this, &TFileDialogs::ExportFilterSelected);
}

std::vector<TFileDialogs::TVectorFilter> TFileDialogs::ExportFilters() const {
  return {{tr("PNG (*.png)"), TExportFormat::Png, QStringLiteral("png")},
          {tr("SVG (*.svg)"), TExportFormat::Svg, QStringLiteral("svg")},
          {tr("PDF (*.pdf)"), TExportFormat::Pdf, QStringLiteral("pdf")}};
}

void TFileDialogs::ExportFilterSelected(const QString& Filter) {
  QString suffix = QStringLiteral("bmp");
  for (const TVectorFilter& filter : ExportFilters()) {
    if (filter.Filter == Filter) suffix = filter.Suffix;
  }
  dlgExportImage->setDefaultSuffix(suffix);
  const QStringList typed = dlgExportImage->selectedFiles();
  if (typed.size() != 1) return;
  const QFileInfo name(typed.front());
  static const QStringList known = {"bmp", "jpg", "jpeg", "png", "svg", "pdf"};
  if (known.contains(name.suffix(), Qt::CaseInsensitive))
    dlgExportImage->selectFile(name.completeBaseName() + QLatin1Char('.') + suffix);
}

std::optional<QString> TFileDialogs::Run(QFileDialog* Dialog) {
  if (Dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = Dialog->selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.front();
}

std::optional<QString> TFileDialogs::RunOpenImage() { return Run(dlgOpenImage); }

std::optional<QString> TFileDialogs::RunSaveImage(const QString& Proposal) {
  const QFileInfo proposal(Proposal);
  if (proposal.path() != QStringLiteral(".")) dlgSaveImage->setDirectory(proposal.path());
  dlgSaveImage->selectFile(proposal.fileName());
  return Run(dlgSaveImage);
}

std::optional<QString> TFileDialogs::RunSaveAsPicture(const std::optional<QString>& Proposal) {
  if (Proposal) {
    const QFileInfo proposal(*Proposal);
    if (proposal.path() != QStringLiteral(".")) dlgSaveAsPicture->setDirectory(proposal.path());
    dlgSaveAsPicture->selectFile(proposal.fileName());
  }
  return Run(dlgSaveAsPicture);
}

std::optional<QString> TFileDialogs::RunOpenPicture() { return Run(dlgOpenPicture); }

std::optional<TFileDialogs::TExportChoice> TFileDialogs::RunExportImage(const QString& Proposal) {
  const QFileInfo proposal(Proposal);
  if (proposal.path() != QStringLiteral(".")) dlgExportImage->setDirectory(proposal.path());
  // The name proposed with the extension of the filter left chosen.
  dlgExportImage->selectFile(proposal.fileName());
  ExportFilterSelected(dlgExportImage->selectedNameFilter());
  const std::optional<QString> name = Run(dlgExportImage);
  if (!name) return std::nullopt;
  TExportFormat format = TExportFormat::Bmp;
  for (const TVectorFilter& filter : ExportFilters()) {
    if (filter.Filter == dlgExportImage->selectedNameFilter()) format = filter.Format;
  }
  return TExportChoice{*name, format};
}

QString ProposedFileName(const QString& Caption, const QString& Extension) {
  const QFileInfo caption(Caption);
  const QString name = caption.completeBaseName().isEmpty() ? caption.fileName() : caption.completeBaseName();
  return caption.path() == QStringLiteral(".") ? name + Extension : caption.dir().filePath(name + Extension);
}

std::string LocalFileName(const QString& FileName) { return QFile::encodeName(FileName).toStdString(); }
