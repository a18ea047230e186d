#include "ui/PicturePage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <utility>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Document.h"
#include "ui/FileDialogs.h"
#include "ui/PictureFiles.h"

namespace {

constexpr int kPreviewSide = 70;
constexpr int kBevelSide = 80;

}  // namespace

TPicturePage::TPicturePage(TDocument& Document, const QAbstractButton& Lock, TFileDialogs& Dialogs, QWidget* Parent)
    : TClassPage(Parent), FDocument(Document), FLock(Lock), FDialogs(Dialogs) {
  const QString previewHint = tr("Предварительный просмотр");
  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(4, 4, kBevelSide, kBevelSide);
  SetHint(Bevel1, previewHint);
  imgPreview = new QLabel(this);
  imgPreview->setAlignment(Qt::AlignCenter);
  const int inset = 4 + (kBevelSide - kPreviewSide) / 2;
  imgPreview->setGeometry(inset, inset, kPreviewSide, kPreviewSide);
  SetHint(imgPreview, previewHint);

  btnImageLoad = new QPushButton(tr("Загрузить"), this);
  btnImageSave = new QPushButton(tr("Сохранить"), this);
  btnImageClear = new QPushButton(tr("Очистить"), this);
  SetHint(btnImageLoad, tr("Загрузить картинку из файла"), btnImageLoad->text());
  SetHint(btnImageSave, tr("Сохранить картинку в файл"), btnImageSave->text());
  SetHint(btnImageClear, tr("Очистить картинку"), btnImageClear->text());
  int y = 2;
  for (QPushButton* button : {btnImageLoad, btnImageSave, btnImageClear}) {
    button->setGeometry(90, y, 90, 21);
    y += 22;
    connect(button, &QPushButton::clicked, this, [this, button] { ReportFailures([&] { btnImageClick(button); }); });
  }
  SetPictureButtons(false);
  cbImageTransp = new QCheckBox(tr("Прозр. фон"), this);
  cbImageTransp->setGeometry(90, y, 92, 17);
  SetHint(cbImageTransp, tr("Прозрачный фон картинки"), cbImageTransp->text());
  connect(cbImageTransp, &QCheckBox::clicked, this, &TClassPage::Edited);
}

void TPicturePage::SetPreview(QImage Image, std::vector<uint8_t> Bitmap) {
  FPreview = std::move(Image);
  FPreviewBitmap = std::move(Bitmap);
  if (FPreview.isNull()) {
    imgPreview->clear();
    return;
  }
  imgPreview->setPixmap(
      QPixmap::fromImage(FPreview.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TPicturePage::SetPictureButtons(bool Enabled) {
  btnImageSave->setEnabled(Enabled);
  btnImageClear->setEnabled(Enabled);
}

uint64_t TPicturePage::RoomFor(const TFigureBitmap& Figure) const {
  const TFiguresCollection* image = FDocument.Collection();
  if (image == nullptr) return MaxImagePictureBytes;
  return image->PictureRoom() + Figure.Picture().MemoryBytes();
}

TBasicFigure* TPicturePage::UnlockedSelection() const { return FLock.isChecked() ? nullptr : FDocument.Selected(); }

void TPicturePage::ShowFigure(TBasicFigure& Figure) {
  const TFigureBitmap& figure = *AsPicture(&Figure);
  if (figure.PictureEmpty()) {
    SetPreview({}, {});
    SetPictureButtons(false);
  } else {
    TMemoryStream stream;
    figure.SavePictureToStream(stream);
    SetPreview(PictureImage(figure.Picture()), stream.TakeData());
    SetPictureButtons(true);
  }
  cbImageTransp->setChecked(figure.GetTransparent());
}

void TPicturePage::ApplyToFigure(TBasicFigure& Figure) {
  TFigureBitmap& figure = *AsPicture(&Figure);
  try {
    if (!figure.PictureModified()) {
      // Taken as a bitmap, a picture of another format is an empty one.
      if (FPreviewBitmap.empty()) SetPreview({}, {});
      if (!FPreviewBitmap.empty() && figure.PictureEmpty()) {
        TMemoryStream stream(FPreviewBitmap);
        TPictureAllowance room(RoomFor(figure));
        figure.LoadPictureFromStream(stream);
      }
    }
    figure.SetTransparent(cbImageTransp->isChecked());
  } catch (const EPicturesTooLarge&) {
    throw;
  } catch (const EKrestaError&) {
    // A picture the figure refuses leaves it as it was.
  }
}

void TPicturePage::btnImageClick(QPushButton* Sender) {
  if (Sender == btnImageLoad)
    Load();
  else if (Sender == btnImageSave)
    Save();
  else if (Sender == btnImageClear)
    Clear();
}

void TPicturePage::Load() {
  const std::optional<QString> fileName = FDialogs.RunOpenPicture();
  if (!fileName) return;
  TLoadedPicture loaded = LoadPictureFile(*fileName);
  SetPreview(std::move(loaded.Image), std::move(loaded.Bitmap));
  try {
    if (TBasicFigure* selected = UnlockedSelection()) {
      TFigureBitmap* figure = AsPicture(selected);
      if (figure == nullptr) return;
      {
        TPictureAllowance room(RoomFor(*figure));
        figure->LoadPictureFromFile(LocalFileName(*fileName));
      }
      figure->SetTransparent(cbImageTransp->isChecked());
    }
    emit Edited();
    SetPictureButtons(true);
  } catch (const EPicturesTooLarge&) {
    throw;
  } catch (const EKrestaError&) {
    // Not a bitmap for the figure: the preview shows it, nothing else changes.
  }
}

void TPicturePage::Save() {
  const std::optional<QString> fileName = FDialogs.RunSaveAsPicture();
  if (!fileName) return;
  // Without a picture figure selected nothing is written and nothing said;
  // a write that fails is reported, so that no one believes the picture
  // saved.
  if (const TFigureBitmap* figure = AsPicture(FDocument.Selected()))
    figure->SavePictureToFile(LocalFileName(*fileName));
}

void TPicturePage::Clear() {
  try {
    SetPreview({}, {});
    if (FLock.isChecked()) return;
    if (FDocument.IsOpen()) {
      TFigureBitmap* figure = AsPicture(FDocument.Selected());
      if (figure == nullptr) return;
      figure->ClearPicture();
    }
    SetPictureButtons(false);
    emit Edited();
  } catch (const EKrestaError&) {
    // As a failed step: the rest is skipped.
  }
}
