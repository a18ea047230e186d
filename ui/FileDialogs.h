// The file dialogs of the main window, one object each for the program's
// life, so that each remembers its folder and its last name between uses.
// Each Run... returns the chosen file, or none when the dialog is cancelled.
#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "export/Export.h"

class QFileDialog;
class QWidget;

class TFileDialogs : public QObject {
  Q_OBJECT
 public:
  explicit TFileDialogs(QWidget* Owner);

  // An existing .kri file.
  std::optional<QString> RunOpenImage();
  // Where to save an image, proposing Proposal (a name, or a path whose
  // folder the dialog opens in); asks before overwriting.
  std::optional<QString> RunSaveImage(const QString& Proposal);
  // Where to write a picture; without a proposal the dialog offers the name
  // of its previous use.
  std::optional<QString> RunSaveAsPicture(const std::optional<QString>& Proposal = std::nullopt);
  // An existing picture file of a format the preview can load.
  std::optional<QString> RunOpenPicture();
  // Where and how to export the image, proposing Proposal as
  // RunSaveImage does: the formats of pictures, which all write a bitmap
  // whatever the name, then PNG, SVG and PDF. The filter chosen decides the
  // format; a name without an extension gets the format's.
  struct TExportChoice {
    QString FileName;
    TExportFormat Format;
  };
  std::optional<TExportChoice> RunExportImage(const QString& Proposal);

  QFileDialog* dlgOpenImage;
  QFileDialog* dlgSaveImage;
  QFileDialog* dlgSaveAsPicture;
  QFileDialog* dlgOpenPicture;
  QFileDialog* dlgExportImage;

 private:
  static std::optional<QString> Run(QFileDialog* Dialog);
  // The export filters past the pictures' ones, with their formats and
  // extensions.
  struct TVectorFilter {
    QString Filter;
    TExportFormat Format;
    QString Suffix;
  };
  std::vector<TVectorFilter> ExportFilters() const;
  // Follows the filter chosen: its extension for names without one, and in
  // place of a known one in the name typed so far.
  void ExportFilterSelected(const QString& Filter);
  // Every format the preview loads (ForWriting: those a picture is saved
  // as), each a filter, all of them first.
  static QStringList PictureFilters(bool ForWriting);
};

// A file name as the file system takes it.
std::string LocalFileName(const QString& FileName);

// The proposal for a file named by a caption (a path or a bare name): the
// name part with its extension replaced by Extension (".kri", ".bmp"), in
// the caption's folder when it has one.
QString ProposedFileName(const QString& Caption, const QString& Extension);
