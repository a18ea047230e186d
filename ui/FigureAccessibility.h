// The figures of the open image as a screen reader reaches them: each one
// an accessible child of the drawing surface, in the object list's order
// (top of the drawing order first), named as the list names it, described
// by its box in image pixels, and announced when it becomes the selected
// one. With images of 100,000 figures in mind, a figure's interface exists
// only once something asks for it, and none outlives the list of figures
// it was made for.
#pragma once

#include <QString>

#include <functional>

class QAccessibleEvent;
class TBasicFigure;
class TDocument;
class TImageSurface;

// The name a person knows a figure by: its object-list item's text.
using TFigureNameEvent = std::function<QString(const TBasicFigure* Figure)>;

// From now on the surface's accessible children are the document's figures.
// What this sets up lives as long as the surface; the document must outlive
// it or close its image first. Once per surface.
void ExposeFigures(TImageSurface& Surface, TDocument& Document, TFigureNameEvent FigureName);

// The figure interfaces of the surface that exist now: those asked for (or
// announced) since its figures last changed. For tests that check that the
// tree is built on request.
int FigureInterfaceCount(const TImageSurface& Surface);

// Where the events about figures go besides the toolkit, which passes them
// to the platform's accessibility bridge only while it is active (a reader
// listens); without either, none are made. A test, which has no bridge to
// activate, records them here. None: the toolkit alone.
using TFigureEventRecorder = std::function<void(QAccessibleEvent& Event)>;
void RecordFigureEvents(TFigureEventRecorder Recorder);
