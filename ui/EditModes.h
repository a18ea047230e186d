// The edit modes of the image window and the one table that decides every
// change of mode, with each mode's status text and cursor.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <Qt>

enum TEditMode : uint8_t { emSelect, emDraw, emMove, emResize };

// What happened, as far as the mode is concerned. The presses are those in
// emSelect; a press in the other modes changes no mode.
enum TEditEvent : uint8_t {
  eePressOnControlPoint,  // on a control point of a figure, without Shift
  eeVertexDeleted,        // on a control point with Shift: its vertex deleted
  eePressOnBody,          // on a figure away from its control points, without Shift
  eeVertexInserted,       // on a figure away from its control points with Shift
  eePressOnEmpty,         // on empty space
  eeFigureStarted,        // a figure created by that press
  eeFigureFinished,       // the release that completes a figure being drawn
  eeLeftRelease,          // the left button released, after whatever it finished
  eeRightRelease,         // the right button released: drawing ends
};

// The mode after Event in Mode.
TEditMode NextMode(TEditMode Mode, TEditEvent Event);

// "Режим: Выбор фигуры" and the others, as status panel 3 shows them.
QString ModeText(TEditMode Mode);
// The application-wide cursor of a mode; none for emSelect (the default
// arrow).
std::optional<Qt::CursorShape> ModeCursor(TEditMode Mode);
