#include "ui/AboutUnit.h"

#include <algorithm>
#include <span>

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "canvas/CodePage.h"
#include "canvas/RasterCanvas.h"
#include "figures/Exceptions.h"
#include "ui/Application.h"
#include "ui/JpegImage.h"

namespace {

constexpr uint8_t RussianCharset = 204;
constexpr TColor clYellow = 0x0000FFFFu;
constexpr TColor clAzure = 0x00FF9900u;  // red 0x00, green 0x99, blue 0xFF

// Where the texts start: the poem at the top left, the paragraph measured
// from the window's bottom-right corner ((46, 250) in the 666 x 500 window).
constexpr int32_t PoemLeft = 10;
constexpr int32_t PoemTop = 10;
constexpr int32_t StoryFromRight = 620;
constexpr int32_t StoryFromBottom = 250;

// The window's font; "Monotype Corsiva" resolves to the installed cursive
// stand-in where it is missing (see canvas/RasterText.cpp).
TFont AboutFont() {
  TFont font;
  font.Name = "Monotype Corsiva";
  font.Height = -21;  // character height, pixels
  font.Color = clYellow;
  font.Charset = RussianCharset;
  font.Style = fsItalic;
  return font;
}

// The paragraph's lines must fit between its start and the window's bottom
// edge (250 pixels for ten lines). A stand-in font with taller lines (URW
// Z003 takes 27 pixels a line at 21) is made smaller until they fit, so that
// the date line is not cut off.
void FitLines(TCanvas& Canvas, std::string_view Text, int32_t Room) {
  const auto lines = int32_t(std::count(Text.begin(), Text.end(), '\r'));
  while (Canvas.Font.Height < -1 && Canvas.TextHeight("A") * lines > Room) ++Canvas.Font.Height;
}

std::string ToCp1251(std::string_view Utf8) { return Utf8ToCp1251(Utf8).Bytes; }

// A text of lines ended by line feeds, as translators write it, in the
// stored form: Windows-1251, each line ended by a carriage return.
std::string StoredLines(QString Text) {
  Text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
  return ToCp1251(Text.toStdString());
}

// A text as a screen reader gets it: Unicode, lines ended by line feeds.
QString Readable(const std::string& Cp1251) {
  QString text = QString::fromStdU16String(Cp1251ToUtf16(Cp1251));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text.trimmed();
}

QImage DecodeAboutPicture() {
  QFile resource(QStringLiteral(":/imgAbout"));
  if (!resource.open(QIODevice::ReadOnly)) throw EFileError("Cannot open resource \"imgAbout\"");
  const QByteArray bytes = resource.readAll();
  return DecodeJpeg(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
}

}  // namespace

// ------------------------------------------------------------- the picture

TAboutPicture::TAboutPicture(QWidget* Parent) : QWidget(Parent), FCanvas(std::make_unique<TRasterCanvas>(FBitmap)) {}

TAboutPicture::~TAboutPicture() = default;

void TAboutPicture::Assign(QImage Bitmap) {
  FBitmap = std::move(Bitmap);
  update();
}

TCanvas& TAboutPicture::Canvas() const { return *FCanvas; }

void TAboutPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, FBitmap);
}

void TAboutPicture::mousePressEvent(QMouseEvent* Event) {
  Event->accept();
  if (OnMouseDown) ReportFailures([this] { OnMouseDown(); });
}

// -------------------------------------------------------------- the window

TfrmAbout::TfrmAbout(QWidget* Parent) : QDialog(Parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setWindowTitle(tr("О программе"));
  setAccessibleName(windowTitle());
  setFixedSize(ClientWidth, ClientHeight);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  SetAlphaBlendValue(DesignAlpha);

  imgAbout = new TAboutPicture(this);
  imgAbout->setGeometry(0, 0, ClientWidth, ClientHeight);
  imgAbout->setAccessibleName(tr("Картинка о программе"));
  imgAbout->setAccessibleDescription(Readable(PoemText()) + QStringLiteral("\n\n") + Readable(StoryText()));
  imgAbout->OnMouseDown = [this] { imgAboutMouseDown(); };

  timerTransp = new QTimer(this);
  timerTransp->setInterval(FadeInterval);
  connect(timerTransp, &QTimer::timeout, this, [this] {
    timerTranspTimer();
    // Qt's X11 platform sends a new opacity with its next batch of requests,
    // which a window showing a still picture may not make for seconds: the
    // fade would stall on screen. Synchronising sends it now.
    QGuiApplication::sync();
  });
}

TfrmAbout::~TfrmAbout() = default;

uint8_t TfrmAbout::AlphaBlendValue() const { return uint8_t(qRound(windowOpacity() * 255)); }

void TfrmAbout::SetAlphaBlendValue(uint8_t Value) {
  // Qt keeps the opacity as opacity x 255 truncated to a whole number; the
  // half keeps Value exact.
  setWindowOpacity((Value + 0.5) / 255.0);
}

void TfrmAbout::FormShow() {
  imgAbout->Assign(DecodeAboutPicture());
  FStartAlpha = AlphaBlendValue();
  timerTransp->start();

  // The texts go through the project's raster canvas rather than a bare
  // QPainter: they are Windows-1251 bytes, which it takes as they are; it
  // resolves the classic typeface to the installed stand-in like every text
  // figure; and its text height is the line height DrawTextLines steps by.
  TCanvas& canvas = imgAbout->Canvas();
  canvas.Brush.Style = bsClear;  // no box behind the glyphs
  canvas.Font = AboutFont();
  FitLines(canvas, StoryText(), StoryFromBottom);
  DrawTextLines(PoemLeft, PoemTop, PoemText());
  canvas.Font.Color = clAzure;
  DrawTextLines(width() - StoryFromRight, height() - StoryFromBottom, StoryText());
}

void TfrmAbout::timerTranspTimer() {
  const int next = AlphaBlendValue() + AlphaStep;
  if (next < 255) {
    SetAlphaBlendValue(uint8_t(next));
  } else {
    timerTransp->stop();
    SetAlphaBlendValue(255);
  }
}

void TfrmAbout::FormClose() {
  SetAlphaBlendValue(FStartAlpha);
  timerTransp->stop();
}

void TfrmAbout::FormKeyDown(int, Qt::KeyboardModifiers) { close(); }

void TfrmAbout::imgAboutMouseDown() { close(); }

void TfrmAbout::DrawTextLines(int32_t X, int32_t Y, std::string_view Text) {
  TCanvas& canvas = imgAbout->Canvas();
  const int32_t lineHeight = canvas.TextHeight("A");
  int32_t line = 0;
  for (size_t start = 0, end; (end = Text.find('\r', start)) != std::string_view::npos; start = end + 1, ++line)
    canvas.TextOut(X, Y + line * lineHeight, Text.substr(start, end - start));
  imgAbout->update();
}

std::string TfrmAbout::PoemText() {
  return StoredLines(
      tr("Точка, линия, круг —\n"
         "Целый мир из фигур:\n"
         "Солнце, волны вокруг,\n"
         "Парус, ветер, лазурь...\n"
         "Нарисуй его, друг.\n"
         "      Разработчики Kresta, 2026\n"));
}

std::string TfrmAbout::StoryText() {
  return StoredLines(
      tr("Мы начали Kresta для своих схем и эскизов:\n"
         "хотелось, чтобы каждая фигура оставалась\n"
         "живой и после того, как её нарисовали.\n"
         "Писали на C++20 и Qt 6, картинки читает\n"
         "libjpeg, а эту картинку мы нарисовали\n"
         "фигурами самой Kresta. Отмена действий\n"
         "и увеличение уже есть, печати пока нет,\n"
         "а поворот и масштаб фигур лишь хранятся.\n"
         "Но рисовать уже можно — попробуйте!\n"
         "      Закончено в декабре 2026 года.\n"));
}

// ------------------------------------------------------------------ events

bool TfrmAbout::event(QEvent* Event) {
  switch (Event->type()) {
    case QEvent::ShortcutOverride:
      // Claimed, so that no shortcut of the program takes a key away from
      // this window: every key comes back as a key press.
      Event->accept();
      return true;
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(Event);
      ReportFailures([&] { FormKeyDown(key->key(), key->modifiers()); });
      return true;
    }
    default: return QDialog::event(Event);
  }
}

void TfrmAbout::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // The platform's own re-showing (after a minimize) is not a new showing.
  if (Event->spontaneous()) return;
  CenterOnScreen();
  ReportFailures([this] { FormShow(); });
}

void TfrmAbout::hideEvent(QHideEvent* Event) {
  QDialog::hideEvent(Event);
  if (!Event->spontaneous()) FormClose();
}

void TfrmAbout::CenterOnScreen() {
  const QScreen* target = screen();
  if (target == nullptr) return;
  const QRect area = target->geometry();
  move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}
