#include "script/fs_ievents.h"

namespace script {

namespace {
Variant Sender(rtl::TObject* sender) { return fsObjectToVariant(sender); }
Variant Mask(unsigned bits) { return Variant(static_cast<std::int32_t>(bits)); }
}  // namespace

void TfsNotifyEvent::DoEvent(rtl::TObject* sender) {
  const Variant args[] = {Sender(sender)};
  CallHandler(args);
}

void TfsMouseEvent::DoEvent(rtl::TObject* sender, int button, unsigned shift, int x, int y) {
  const Variant args[] = {Sender(sender), Variant(button), Mask(shift), Variant(x), Variant(y)};
  CallHandler(args);
}

void TfsMouseMoveEvent::DoEvent(rtl::TObject* sender, unsigned shift, int x, int y) {
  const Variant args[] = {Sender(sender), Mask(shift), Variant(x), Variant(y)};
  CallHandler(args);
}

void TfsKeyEvent::DoEvent(rtl::TObject* sender, std::uint16_t& key, unsigned shift) {
  // A procedure already running is not called, and then leaves the arguments alone.
  if (!HandlerProc || HandlerProc->Running) return;
  const Variant args[] = {Sender(sender), Variant(static_cast<std::int32_t>(key)), Mask(shift)};
  CallHandler(args);
  const Variant back = ParamAfterCall(1);
  if (!back.IsNull()) key = static_cast<std::uint16_t>(back.AsInteger());
}

void TfsKeyPressEvent::DoEvent(rtl::TObject* sender, char& key) {
  // A procedure already running is not called, and then leaves the arguments alone.
  if (!HandlerProc || HandlerProc->Running) return;
  const Variant args[] = {Sender(sender), Variant(std::string_view(&key, 1))};
  CallHandler(args);
  const Variant back = ParamAfterCall(1);
  if (back.IsNull()) return;
  const AnsiString text = back.AsString();
  key = text.empty() ? '\0' : text[0];
}

void TfsCloseEvent::DoEvent(rtl::TObject* sender, int& action) {
  // A procedure already running is not called, and then leaves the arguments alone.
  if (!HandlerProc || HandlerProc->Running) return;
  const Variant args[] = {Sender(sender), Variant(action)};
  CallHandler(args);
  const Variant back = ParamAfterCall(1);
  if (!back.IsNull()) action = back.AsInteger();
}

void TfsCloseQueryEvent::DoEvent(rtl::TObject* sender, bool& canClose) {
  // A procedure already running is not called, and then leaves the arguments alone.
  if (!HandlerProc || HandlerProc->Running) return;
  const Variant args[] = {Sender(sender), Variant(canClose)};
  CallHandler(args);
  const Variant back = ParamAfterCall(1);
  if (!back.IsNull()) canClose = back.AsBoolean();
}

void TfsCanResizeEvent::DoEvent(rtl::TObject* sender, int& newWidth, int& newHeight, bool& resize) {
  // A procedure already running is not called, and then leaves the arguments alone.
  if (!HandlerProc || HandlerProc->Running) return;
  const Variant args[] = {Sender(sender), Variant(newWidth), Variant(newHeight), Variant(resize)};
  CallHandler(args);
  if (const Variant w = ParamAfterCall(1); !w.IsNull()) newWidth = w.AsInteger();
  if (const Variant h = ParamAfterCall(2); !h.IsNull()) newHeight = h.AsInteger();
  if (const Variant r = ParamAfterCall(3); !r.IsNull()) resize = r.AsBoolean();
}

}  // namespace script
