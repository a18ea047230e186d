// The failure kinds of the model. Messages are English; the windows decide
// what reaches the user: an EAbort is swallowed without a message, every
// other kind is shown with its text.
#pragma once

#include <stdexcept>
#include <string>

class EKrestaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A refusal the caller expects ("Canvas undefined", "Asked point not found").
class EAbort : public EKrestaError {
 public:
  using EKrestaError::EKrestaError;
};

// An index outside the points of a figure.
class ERangeError : public EKrestaError {
 public:
  ERangeError() : EKrestaError("Array range error") {}
};

class EOutOfMemory : public EKrestaError {
 public:
  EOutOfMemory() : EKrestaError("Out of memory") {}
};

// A stream that ends before the data it should hold, or refuses a write.
class EStreamError : public EKrestaError {
 public:
  using EKrestaError::EKrestaError;
};

class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
};

// A file that cannot be opened or created; the message names it.
class EFileError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A stored figure entry naming no registered class.
class EFigureClassUnknown : public EStreamError {
 public:
  EFigureClassUnknown() : EStreamError("Figure class unknown") {}
};

// A stored image whose size no raster should be made for.
class EImageSizeInvalid : public EStreamError {
 public:
  EImageSizeInvalid() : EStreamError("Image size invalid") {}
};

// Bytes that are not a picture the picture object can read.
class EInvalidGraphic : public EKrestaError {
 public:
  EInvalidGraphic() : EKrestaError("Bitmap image is not valid") {}

 protected:
  explicit EInvalidGraphic(const char* Message) : EKrestaError(Message) {}
};

// A picture that would take more memory decoded than one picture may.
class EPictureTooLarge : public EInvalidGraphic {
 public:
  EPictureTooLarge() : EInvalidGraphic("Bitmap image too large (over 256 MiB decoded)") {}
};

// Pictures that would take an image past the memory all its pictures may
// take together.
class EPicturesTooLarge : public EKrestaError {
 public:
  EPicturesTooLarge() : EKrestaError("Pictures of the image too large (over 1 GiB decoded together)") {}
};

// Bytes that are not a whole, undamaged JPEG image.
class EInvalidJpeg : public EKrestaError {
 public:
  EInvalidJpeg() : EKrestaError("JPEG image is not valid") {}
};
