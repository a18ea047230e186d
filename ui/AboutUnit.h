// The about window: a borderless picture that fades in, with a poem and a
// paragraph about the program written over it, closed by the first key or
// mouse press. Created once, shown modally with exec() as often as asked,
// hidden (not destroyed) when it closes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QDialog>
#include <QImage>
#include <QWidget>

#include "canvas/Canvas.h"

class QTimer;
class TRasterCanvas;

// The picture control: a raster shown at the top-left corner, with the
// canvas that draws into it; reports every mouse press.
class TAboutPicture : public QWidget {
 public:
  explicit TAboutPicture(QWidget* Parent);
  ~TAboutPicture() override;

  // Replaces the raster (expected in QImage::Format_RGB32) and repaints.
  void Assign(QImage Bitmap);
  const QImage& Bitmap() const { return FBitmap; }
  // Draws into the raster; the pen, brush and font stay between showings.
  TCanvas& Canvas() const;

  std::function<void()> OnMouseDown;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;

 private:
  QImage FBitmap;
  std::unique_ptr<TRasterCanvas> FCanvas;
};

class TfrmAbout : public QDialog {
  Q_DECLARE_TR_FUNCTIONS(TfrmAbout)

 public:
  static constexpr int ClientWidth = 666;
  static constexpr int ClientHeight = 500;
  // Opacity values, 0 (invisible) to 255 (opaque).
  static constexpr uint8_t DesignAlpha = 10;
  static constexpr uint8_t AlphaStep = 7;
  static constexpr int FadeInterval = 48;  // milliseconds between fade steps

  explicit TfrmAbout(QWidget* Parent = nullptr);
  ~TfrmAbout() override;

  // The window's opacity as a value 0 to 255.
  uint8_t AlphaBlendValue() const;
  void SetAlphaBlendValue(uint8_t Value);

  // Every showing: the picture decoded afresh from the resource imgAbout,
  // the start opacity saved, the fade started, the two texts drawn.
  void FormShow();
  // One fade step: 7 more while that stays below 255, else 255 and the
  // timer stops.
  void timerTranspTimer();
  // However the window goes away: the opacity back to the start value and
  // the timer stopped, so that the next showing fades in again.
  void FormClose();
  // Any key at all, a modifier alone included, closes the window.
  void FormKeyDown(int Key, Qt::KeyboardModifiers Shift);
  // A press of any button anywhere on the picture closes the window.
  void imgAboutMouseDown();
  // Draws the lines of Text (Windows-1251), each ended by a carriage return,
  // on the picture from (X, Y) down, one text height of a one-character
  // string apart. What follows the last carriage return is not drawn.
  void DrawTextLines(int32_t X, int32_t Y, std::string_view Text);

  // The texts in Windows-1251: a poem of five lines with an attribution
  // line, and a paragraph about the program's making with a date line.
  static std::string PoemText();
  static std::string StoryText();

  TAboutPicture* imgAbout;
  QTimer* timerTransp;

 protected:
  bool event(QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  // Top-left corner that centres the window on its screen.
  void CenterOnScreen();

  uint8_t FStartAlpha = DesignAlpha;
};
