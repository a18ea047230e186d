// JPEG pictures decoded with libjpeg: the about window's picture and the JPEG
// files the picture preview opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <QImage>
#include <QString>

// The largest pixel buffer a decoded picture may take, bytes (4 per pixel).
constexpr size_t MaxJpegPixelBytes = size_t(256) * 1024 * 1024;

// The most scans a progressive file may have; encoders write about ten.
constexpr int MaxJpegScans = 500;

// The whole image in QImage::Format_RGB32: colour (YCbCr or RGB), greyscale
// and CMYK files (CMYK inverted when an Adobe marker says so, as Adobe
// applications write it), baseline or progressive. Damaged bytes, a
// truncation included, and files of more than MaxJpegScans scans raise
// EInvalidJpeg; dimensions whose pixels would exceed MaxJpegPixelBytes raise
// EImageSizeInvalid before anything is allocated for them.
QImage DecodeJpeg(std::span<const uint8_t> Bytes);

// The file's bytes through DecodeJpeg; EFileError when it cannot be read.
QImage LoadJpegFile(const QString& FileName);
