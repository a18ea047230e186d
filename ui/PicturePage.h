// The picture page of the property panel: a preview of a picture, commands
// that load a picture from a file, save the selected picture figure's
// picture and clear it, and the transparent-background switch. The preview
// also stages a picture for the next picture figure drawn: a figure whose
// picture was never set takes the preview's bitmap when the panel is
// applied to it.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>

#include "ui/ClassPages.h"

class QAbstractButton;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class TDocument;
class TFileDialogs;
class TFigureBitmap;

class TPicturePage : public TClassPage {
  Q_OBJECT
 public:
  // Lock: the property lock; while it is down the commands leave the
  // selected figure alone.
  TPicturePage(TDocument& Document, const QAbstractButton& Lock, TFileDialogs& Dialogs, QWidget* Parent);

  bool Handles(const TFigureTraits& Traits) const override { return Traits.HasPicture; }
  void ShowFigure(TBasicFigure& Figure) override;
  // Failures are ignored (the rest of the step is skipped), but for a
  // picture the image has no room for: EPicturesTooLarge.
  void ApplyToFigure(TBasicFigure& Figure) override;

  // Load, Save and Clear, told apart by Sender.
  void btnImageClick(QPushButton* Sender);

  // What the preview holds: nothing, a bitmap (with its BMP file image), or
  // a picture of another format (no file image).
  const QImage& PreviewImage() const { return FPreview; }
  const std::vector<uint8_t>& PreviewBitmap() const { return FPreviewBitmap; }

  QFrame* Bevel1;
  QLabel* imgPreview;
  QPushButton* btnImageLoad;
  QPushButton* btnImageSave;
  QPushButton* btnImageClear;
  QCheckBox* cbImageTransp;

 private:
  void Load();
  void Save();
  void Clear();
  void SetPreview(QImage Image, std::vector<uint8_t> Bitmap);
  void SetPictureButtons(bool Enabled);
  // The memory a new picture of the figure may take: what the image's
  // pictures leave, and what its present picture frees.
  uint64_t RoomFor(const TFigureBitmap& Figure) const;
  // The open image's selected figure when the lock is up; none otherwise.
  TBasicFigure* UnlockedSelection() const;

  TDocument& FDocument;
  const QAbstractButton& FLock;
  TFileDialogs& FDialogs;
  QImage FPreview;
  std::vector<uint8_t> FPreviewBitmap;
};
