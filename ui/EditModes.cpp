#include "ui/EditModes.h"

#include <QCoreApplication>

TEditMode NextMode(TEditMode Mode, TEditEvent Event) {
  switch (Event) {
    case eePressOnControlPoint: return emResize;
    case eeVertexDeleted: return emSelect;
    case eePressOnBody: return emMove;
    // The same drag then carries the new vertex.
    case eeVertexInserted: return emResize;
    case eePressOnEmpty: return emSelect;
    case eeFigureStarted: return emDraw;
    case eeFigureFinished: return emSelect;
    // A figure drawn one press at a time (or one gesture of three) goes on
    // drawing until its last release or a right release.
    case eeLeftRelease: return Mode == emDraw ? emDraw : emSelect;
    case eeRightRelease: return emSelect;
  }
  return Mode;
}

QString ModeText(TEditMode Mode) {
  switch (Mode) {
    case emSelect: return QCoreApplication::translate("TEditMode", "Режим: Выбор фигуры");
    case emDraw: return QCoreApplication::translate("TEditMode", "Режим: Рисование");
    case emMove: return QCoreApplication::translate("TEditMode", "Режим: Перемещение");
    case emResize: return QCoreApplication::translate("TEditMode", "Режим: Изменение размеров");
  }
  return {};
}

std::optional<Qt::CursorShape> ModeCursor(TEditMode Mode) {
  switch (Mode) {
    case emDraw: return Qt::CrossCursor;
    case emMove: return Qt::DragMoveCursor;
    case emResize: return Qt::SizeAllCursor;
    case emSelect: break;
  }
  return std::nullopt;
}
