// An image as one JSON object and back: what `kri dump` prints and
// `kri build` reads. Every stored field of the container and of each figure
// record has its key, so dump followed by build reproduces a file byte for
// byte.
//
//   { "background": uint32, "rect": [left, top, right, bottom],
//     "selected": position from the bottom, -1 for none,
//     "figures": [ { "class": name, "points": [[x, y], ...],
//       "penColor": uint32, "penWidth": int32, "penMode": uint8,
//       "angle": int16, "scale": int8, "penStyle": uint8, "visible": bool,
//       "updating": bool, "selectedPoint": int32,
//       "brushStyle": uint8, "brushColor": uint32,      closed figures
//       "insertIndex": int32,                           polyline, polygon
//       "corners": [width, height],                     rounded rectangle
//       "text": string, "font": { "charset": uint8, "color": uint32,
//         "height": int32, "name": string, "style": uint8 },   text
//       "picture": base64 BMP file image, "" for none,
//       "transparent": bool } ] }                      picture
//
// Ordinals (pen mode and style, brush style, font style and charset) take
// any byte value, as records store them unchecked. Strings are stored as
// Windows-1251 bytes and shown as Unicode; the byte 0x98, which names no
// character there, is shown as U+0098, so every byte string round-trips. A
// character Windows-1251 cannot hold is refused, never replaced.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>

#include "document/Collection.h"
#include "figures/Exceptions.h"

// A JSON text that does not describe an image. The message names the place:
// "figure 2: penMode: ...", "rect: ...".
class EKriJsonError : public EKrestaError {
 public:
  using EKrestaError::EKrestaError;
};

// The longest JSON text `kri build` reads, from a file or a pipe alike;
// a longer one is refused with "JSON text too large (over 256 MiB)".
inline constexpr int64_t MaxJsonTextBytes = int64_t(256) << 20;  // 256 MiB

// UTF-8, indented; every key is written.
QByteArray ImageToJson(const TFiguresCollection& Image);

// The image the JSON text describes. Keys and class names in messages are
// shown short and escaped (figures/MessageText.h). A key left out takes the
// value a new object has: a figure's from its class's constructor; for the
// image, a white 650 x 400 image without selection and without figures.
// Figures are created without canvas; the collection rests on IdleCanvas().
std::unique_ptr<TFiguresCollection> ImageFromJson(const QByteArray& Json);
