#include "export/PdfExport.h"

#include <cairo-pdf.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <memory>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

struct TGErrorFree {
  void operator()(GError* Error) const { g_error_free(Error); }
};
struct TObjectUnref {
  void operator()(void* Object) const { g_object_unref(Object); }
};
struct TSurfaceDestroy {
  void operator()(cairo_surface_t* Surface) const { cairo_surface_destroy(Surface); }
};
struct TCairoDestroy {
  void operator()(cairo_t* Cairo) const { cairo_destroy(Cairo); }
};

// Cairo's writer: the bytes appended to a vector; a failure to grow it
// stops the document.
cairo_status_t AppendBytes(void* Closure, const unsigned char* Data, unsigned int Length) {
  try {
    auto* out = static_cast<std::vector<uint8_t>*>(Closure);
    out->insert(out->end(), Data, Data + Length);
    return CAIRO_STATUS_SUCCESS;
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
}

void CheckCairo(cairo_status_t Status) {
  if (Status == CAIRO_STATUS_NO_MEMORY) throw EOutOfMemory();
  if (Status != CAIRO_STATUS_SUCCESS)
    throw EKrestaError(std::string("PDF not written: ") + cairo_status_to_string(Status));
}

}  // namespace

TPdfPlacement NaturalPlacement(int32_t Width, int32_t Height) {
  TPdfPlacement placement;
  placement.PageWidth = Width * placement.Scale;
  placement.PageHeight = Height * placement.Scale;
  return placement;
}

TPdfPlacement PagePlacement(double PageWidth, double PageHeight, const TPageMargins& Margins, int32_t Width,
                            int32_t Height, bool FitToPage) {
  TPdfPlacement placement;
  placement.PageWidth = PageWidth;
  placement.PageHeight = PageHeight;
  const double areaWidth = std::max(PageWidth - Margins.Left - Margins.Right, 0.0);
  const double areaHeight = std::max(PageHeight - Margins.Top - Margins.Bottom, 0.0);
  if (FitToPage && Width > 0 && Height > 0) placement.Scale = std::min(areaWidth / Width, areaHeight / Height);
  placement.Left = Margins.Left + (areaWidth - Width * placement.Scale) / 2;
  placement.Top = Margins.Top + (areaHeight - Height * placement.Scale) / 2;
  return placement;
}

std::vector<uint8_t> SvgToPdf(const std::string& Svg, int32_t Width, int32_t Height, const TPdfPlacement& Placement) {
  GError* failure = nullptr;
  const std::unique_ptr<RsvgHandle, TObjectUnref> handle(
      rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(Svg.data()), gsize(Svg.size()), &failure));
  const std::unique_ptr<GError, TGErrorFree> handleError(failure);
  if (!handle) throw EKrestaError(std::string("SVG not read: ") + (failure ? failure->message : "unknown reason"));

  std::vector<uint8_t> pdf;
  const std::unique_ptr<cairo_surface_t, TSurfaceDestroy> surface(
      cairo_pdf_surface_create_for_stream(AppendBytes, &pdf, Placement.PageWidth, Placement.PageHeight));
  CheckCairo(cairo_surface_status(surface.get()));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Kresta");
  {
    const std::unique_ptr<cairo_t, TCairoDestroy> cairo(cairo_create(surface.get()));
    cairo_translate(cairo.get(), Placement.Left, Placement.Top);
    cairo_scale(cairo.get(), Placement.Scale, Placement.Scale);
    const RsvgRectangle viewport{0, 0, double(Width), double(Height)};
    failure = nullptr;
    const bool drawn = rsvg_handle_render_document(handle.get(), cairo.get(), &viewport, &failure);
    const std::unique_ptr<GError, TGErrorFree> drawError(failure);
    if (!drawn) throw EKrestaError(std::string("SVG not drawn: ") + (failure ? failure->message : "unknown reason"));
    CheckCairo(cairo_status(cairo.get()));
  }
  cairo_surface_finish(surface.get());
  CheckCairo(cairo_surface_status(surface.get()));
  return pdf;
}

std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TSvgApproximation>& Approximated) {
  const TRect& r = Image.ImageRect();
  return SvgToPdf(ImageToSvg(Image, Approximated), r.Right, r.Bottom, NaturalPlacement(r.Right, r.Bottom));
}

void ExportPdf(TFiguresCollection& Image, const std::string& FileName, std::vector<TSvgApproximation>& Approximated) {
  WriteFileAtomically(FileName, ImageToPdf(Image, Approximated));
}
