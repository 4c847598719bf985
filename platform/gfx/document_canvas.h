// A canvas whose pages go into a PDF or PostScript document: the printing
// path (the spooler takes PDF) and any vector output of whole pages. Device
// units are dots at the given resolution; the document's pages are sized in
// those dots.
#pragma once
#include <memory>

#include "platform/gfx/cairo_canvas.h"
#include "platform/rtl/streams.h"

namespace gfx {

enum class TDocumentFormat { Pdf, PostScript };

class TDocumentCanvas : public TCairoCanvas {
 public:
  // The document is written to output (not owned; it must outlive the canvas).
  TDocumentCanvas(rtl::TStream& output, TDocumentFormat format, int ppiX, int ppiY, TDeviceKind kind = dkPrinter);
  ~TDocumentCanvas() override;

  void SetTitle(const std::string& utf8Title) { title_ = utf8Title; }
  // Starts a page of the given size in device dots; drawing outside a page
  // does nothing.
  void BeginPage(TSize pageDots);
  void EndPage();
  // Completes the document; raises rtl::EWriteError when the output failed.
  void EndDocument();
  int PageCount() const { return pages_; }
  bool InPage() const { return inPage_; }
  TSize DeviceSize() const override { return inPage_ ? page_ : TSize{}; }

 protected:
  bool Drawable() const override { return inPage_; }

 private:
  rtl::TStream& output_;
  TDocumentFormat format_;
  std::string title_;
  TSize page_;
  bool inPage_ = false;
  bool ended_ = false;
  bool writeFailed_ = false;
  int pages_ = 0;
  static unsigned WriteChunk(void* closure, const unsigned char* data, unsigned length);
};

}  // namespace gfx
