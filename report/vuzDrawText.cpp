#include "report/vuzDrawText.h"

#include <memory>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/threads.h"

namespace report {

const rtl::TEnumType& HAlignType() {
  static const rtl::TEnumType type{"TfrxHAlign", {"haLeft", "haRight", "haCenter", "haBlock"}};
  return type;
}

const rtl::TEnumType& VAlignType() {
  static const rtl::TEnumType type{"TfrxVAlign", {"vaTop", "vaBottom", "vaCenter"}};
  return type;
}

namespace {
rtl::TCriticalSection* g_lock = nullptr;
TfrxDrawText* g_drawText = nullptr;
int g_startups = 0;
}  // namespace

TfrxDrawText::TfrxDrawText() : layoutCanvas_(std::make_unique<gfx::TRecordingCanvas>(kLayoutPPI, kLayoutPPI)) {}
TfrxDrawText::~TfrxDrawText() = default;

void TfrxDrawText::Lock() {
  if (!g_lock) throw rtl::EInvalidOperation("Text layout is not started");
  g_lock->Enter();
}

void TfrxDrawText::Unlock() {
  if (g_lock) g_lock->Leave();
}

void TfrxDrawText::SetFont(const gfx::TFont&) {}
void TfrxDrawText::SetOptions(bool, bool, bool, bool, bool, bool, int) {}
void TfrxDrawText::SetGaps(double, double, double) {}
void TfrxDrawText::SetDimensions(double, double, double, const gfx::TRect&, const gfx::TRect&) {}
void TfrxDrawText::SetText(const TWideStrings&) {}
void TfrxDrawText::SetParaBreaks(bool, bool) {}
void TfrxDrawText::DrawText(gfx::TCanvas&, TfrxHAlign, TfrxVAlign) {}
void TfrxDrawText::DrawTextLine(gfx::TCanvas&, const rtl::WideString&, int, int, int, int, TfrxHAlign) {}
double TfrxDrawText::CalcHeight() const { return 0; }
double TfrxDrawText::CalcWidth() const { return 0; }
double TfrxDrawText::LineHeight() const { return 0; }
double TfrxDrawText::TextHeight() const { return 0; }
double TfrxDrawText::UnusedSpace() const { return 0; }
rtl::WideString TfrxDrawText::GetOutBoundsText(bool& inParagraph) {
  inParagraph = false;
  return {};
}
rtl::WideString TfrxDrawText::GetWrappedText() const { return {}; }
rtl::WideString TfrxDrawText::DeleteTags(const rtl::WideString& text) const { return text; }
bool TfrxDrawText::IsPrinter(const gfx::TCanvas& canvas) { return canvas.DeviceKind() == gfx::dkPrinter; }
rtl::WideString TfrxDrawText::WrappedLine(int) const { return {}; }
int TfrxDrawText::WrappedLineFlags(int) const { return 0; }

TfrxDrawText* vuzDrawText() { return g_drawText; }

void vuzDrawTextStartup() {
  if (g_startups++ > 0) return;
  g_lock = new rtl::TCriticalSection;
  g_drawText = new TfrxDrawText;
}

void vuzDrawTextShutdown() {
  if (g_startups == 0 || --g_startups > 0) return;
  delete g_drawText;
  g_drawText = nullptr;
  delete g_lock;
  g_lock = nullptr;
}

}  // namespace report
