// Clipboard exchange: a whole image or a single figure on the system
// clipboard, under two private formats found by their names, so that
// running copies of the program (and any program that knows the names)
// exchange them.
//
// "Kresta Image" carries the image container; "Kresta Figure" carries one
// block of a 32-bit class-name length, the class name and the figure's
// record. A block longer than its data still pastes: readers read only what
// the data describes.
//
// Pictures that other programs put there (PNG, BMP) are read as picture
// figures.
//
// Every routine runs on the GUI thread of a QGuiApplication; without one the
// clipboard counts as empty and a put does nothing.
#pragma once

#include <QImage>

#include <memory>

class TMemoryStream;
class TFiguresCollection;
class TBasicFigure;
class TFigureBitmap;

// A clipboard format: its registered name is its identity. The system
// clipboard keys data by the name itself (on X11 the name is the selection
// target), so the two constants below are the whole registration: fixed at
// compile time, valid before any window exists, never unregistered.
struct TClipboardFormat {
  const char* Name;
};

extern const TClipboardFormat CF_IMAGE;   // "Kresta Image"
extern const TClipboardFormat CF_FIGURE;  // "Kresta Figure"

// Replaces the clipboard's contents, in every format, with the stream's
// bytes from its position to its end under the format; the stream ends at
// its end. Never fails: a failure leaves the clipboard as it was and reports
// nothing.
void PutStreamToClipboard(TMemoryStream& Stream, const TClipboardFormat& Format);
// Writes the clipboard's whole block of the format into the stream at its
// position; EOutOfMemory ("Out of memory") when there is none or it cannot
// be held in memory; a block over 1 GiB fails with EStreamError "Clipboard
// data too large (over 1 GiB)" before it is copied.
void GetStreamFromClipboard(TMemoryStream& Stream, const TClipboardFormat& Format);

// Offers the container under CF_IMAGE and, when Picture is not null, the
// picture as "image/png" for programs that know only pictures. The PNG is
// encoded when a program first asks for it; pasting here reads CF_IMAGE
// alone.
void CopyImageToClipboard(const TFiguresCollection& Collection, const QImage& Picture = QImage());
// Loads the collection from the image block (the container's failures
// propagate).
void PasteImageFromClipboard(TFiguresCollection& Collection);
bool ClipboardHasImage();

// The figure and its collection are not changed.
void CopyFigureToClipboard(const TBasicFigure& Figure);
// A new figure of the stored class with the stored record and no canvas.
// EAbort "Figure class unknown" for a class that is not registered; a
// negative name length or a name longer than the block fails with "Stream
// read error"; the record's failures propagate. Nothing is created on
// failure.
std::unique_ptr<TBasicFigure> PasteFigureFromClipboard();

// A picture put there by another program: "image/png" or "image/bmp". Our
// own image copy offers a PNG too, so callers look for the image block
// first.
bool ClipboardHasPicture();
// A new picture figure, without canvas, holding the clipboard's picture at
// its own size from (0, 0) to (width, height), in the 24 bits a picture
// figure keeps: a PNG's pixels composited over white (opaque ones kept
// exactly), a BMP read as a BMP file is (its alpha ignored). Room: the
// memory the image's pictures still may take. A PNG is refused from its
// declared size, before it is decoded: over MaxPictureSide a side, over
// MaxPictureBytes (EPictureTooLarge) or over Room (EPicturesTooLarge) once
// loaded; a BMP is refused so by the picture reader. Data that is no such
// picture: "Picture cannot be read: REASON", or the picture reader's
// failures. Null when the clipboard holds no picture (any more: another
// program may take it back while the person is asked).
std::unique_ptr<TFigureBitmap> PastePictureFromClipboard(uint64_t Room);
