#include "platform/gfx/document_canvas.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo.h>

namespace gfx {

TDocumentCanvas::TDocumentCanvas(rtl::TStream& output, TDocumentFormat format, int ppiX, int ppiY, TDeviceKind kind)
    : TCairoCanvas(kind, ppiX, ppiY, {}), output_(output), format_(format) {}

TDocumentCanvas::~TDocumentCanvas() {
  try {
    EndDocument();
  } catch (...) {
    // A destructor does not report; EndDocument does.
  }
}

unsigned TDocumentCanvas::WriteChunk(void* closure, const unsigned char* data, unsigned length) {
  auto* self = static_cast<TDocumentCanvas*>(closure);
  if (self->writeFailed_) return CAIRO_STATUS_WRITE_ERROR;
  try {
    self->output_.WriteBuffer(data, length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    self->writeFailed_ = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

void TDocumentCanvas::BeginPage(TSize dots) {
  if (ended_) return;
  if (inPage_) EndPage();
  const double w = dots.cx * 72.0 / PixelsPerInchX(), h = dots.cy * 72.0 / PixelsPerInchY();
  auto write = reinterpret_cast<cairo_write_func_t>(&TDocumentCanvas::WriteChunk);
  if (!Surface()) {
    cairo_surface_t* s = format_ == TDocumentFormat::Pdf ? cairo_pdf_surface_create_for_stream(write, this, w, h)
                                                         : cairo_ps_surface_create_for_stream(write, this, w, h);
    if (format_ == TDocumentFormat::Pdf && !title_.empty())
      cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, title_.c_str());
    AttachSurface(s, false, 72.0 / PixelsPerInchX(), 72.0 / PixelsPerInchY());
  } else if (format_ == TDocumentFormat::Pdf) {
    cairo_pdf_surface_set_size(static_cast<cairo_surface_t*>(Surface()), w, h);
  } else {
    cairo_ps_surface_set_size(static_cast<cairo_surface_t*>(Surface()), w, h);
  }
  page_ = dots;
  SetDeviceCaps(PixelsPerInchX(), PixelsPerInchY(), dots);
  ClipChanged();
  inPage_ = true;
}

void TDocumentCanvas::EndPage() {
  if (!inPage_) return;
  cairo_show_page(static_cast<cairo_t*>(Context()));
  inPage_ = false;
  ++pages_;
}

void TDocumentCanvas::EndDocument() {
  if (ended_) return;
  EndPage();
  ended_ = true;
  if (Surface()) {
    cairo_surface_finish(static_cast<cairo_surface_t*>(Surface()));
    DetachSurface();
  }
  if (writeFailed_) throw rtl::EWriteError("Error writing the document");
}

}  // namespace gfx
