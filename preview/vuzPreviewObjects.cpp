#include "preview/vuzPreviewObjects.h"

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassView.h"

namespace preview {

namespace {

const rtl::TPropInfo* Prop(TfrxComponent* object, const char* path, rtl::TObject*& holder) {
  holder = nullptr;
  if (!object) return nullptr;
  const rtl::TPropInfo* p = rtl::FindPropPath(*object, path, holder);
  return holder ? p : nullptr;
}

TfrxObjectHooks DefaultHooks() {
  TfrxObjectHooks h;
  // The text object keeps these as plain fields: they are not published.
  h.SetMemoPrintValues = [](TfrxComponent* object, int totalPages, int copyNo) {
    if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object)) {
      memo->PageTotal = totalPages;
      memo->CopyNumber = copyNo;
    }
  };
  h.SetMemoPrintScale = [](TfrxComponent* object, long double printScale) {
    if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object)) memo->PrintScale = printScale;
  };
  h.CreatePictureView = []() -> TfrxComponent* {
    const rtl::TClassInfo* info = rtl::GetClassInfo("TfrxPictureView");
    if (!info || !info->CanCreate()) return nullptr;
    return dynamic_cast<TfrxComponent*>(info->Create(nullptr));
  };
  h.ExtractMacros = [](TfrxComponent* object) {
    if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object)) memo->ExtractMacros();
  };
  h.DrawPageBackground = [](TfrxComponent* page, gfx::TCanvas& canvas, long double sx, long double sy, long double ox,
                            long double oy) {
    if (auto* reportPage = dynamic_cast<report::TfrxReportPage*>(page))
      reportPage->Draw(canvas, sx, sy, ox, oy);
    else if (auto* c = dynamic_cast<report::TfrxReportComponent*>(page))
      c->Draw(canvas, sx, sy, ox, oy);
  };
  return h;
}

}  // namespace

TfrxObjectHooks& vuzObjectHooks() {
  static TfrxObjectHooks hooks = DefaultHooks();
  return hooks;
}

long long vuzOrdProp(TfrxComponent* object, const char* path, long long fallback) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p || !rtl::IsOrdinalKind(p->Kind)) return fallback;
  try {
    return p->GetOrd(*holder);
  } catch (const rtl::Exception&) {
    return fallback;
  }
}

long double vuzFloatPropOf(TfrxComponent* object, const char* path, long double fallback) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p) return fallback;
  try {
    if (p->Kind == rtl::pkFloat) return p->GetFloat(*holder);
    if (rtl::IsOrdinalKind(p->Kind)) return static_cast<long double>(p->GetOrd(*holder));
  } catch (const rtl::Exception&) {
  }
  return fallback;
}

AnsiString vuzStrPropOf(TfrxComponent* object, const char* path) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p || (p->Kind != rtl::pkString && p->Kind != rtl::pkWideString)) return {};
  try {
    return p->GetStr(*holder);
  } catch (const rtl::Exception&) {
    return {};
  }
}

bool vuzSetProp(TfrxComponent* object, const char* path, const rtl::Variant& value) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p || !p->HasSetter()) return false;
  try {
    p->SetValue(*holder, value);
    return true;
  } catch (const rtl::Exception&) {
    return false;
  }
}

rtl::TObject* vuzObjectProp(TfrxComponent* object, const char* path) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p || !rtl::IsObjectKind(p->Kind)) return nullptr;
  return p->GetObject(*holder);
}

gfx::TPicture* vuzPictureOf(TfrxComponent* view, const char* path) {
  return dynamic_cast<gfx::TPicture*>(vuzObjectProp(view, path));
}

// The engine's views answer directly; other classes by their published names.
bool vuzIsPrintable(TfrxComponent* view) {
  if (auto* v = dynamic_cast<report::TfrxView*>(view)) return v->Printable();
  return vuzOrdProp(view, "Printable", 1) != 0;
}

int vuzCursorOf(TfrxComponent* view) {
  if (auto* v = dynamic_cast<report::TfrxView*>(view)) return v->Cursor();
  return static_cast<int>(vuzOrdProp(view, "Cursor", 0));
}

AnsiString vuzURLOf(TfrxComponent* view) {
  if (auto* v = dynamic_cast<report::TfrxView*>(view)) return v->URL();
  return vuzStrPropOf(view, "URL");
}

AnsiString vuzHintOf(TfrxComponent* view) {
  if (auto* v = dynamic_cast<report::TfrxView*>(view)) return v->Hint();
  return vuzStrPropOf(view, "Hint");
}

bool vuzShowHintOf(TfrxComponent* view) {
  if (auto* v = dynamic_cast<report::TfrxView*>(view)) return v->ShowHint();
  return vuzOrdProp(view, "ShowHint", 0) != 0;
}

TfrxPageMargins vuzPageMargins(TfrxComponent* page) {
  TfrxPageMargins m;
  m.Left = vuzFloatPropOf(page, "LeftMargin");
  m.Top = vuzFloatPropOf(page, "TopMargin");
  m.Right = vuzFloatPropOf(page, "RightMargin");
  m.Bottom = vuzFloatPropOf(page, "BottomMargin");
  return m;
}

bool vuzMirrorMargins(TfrxComponent* page) { return vuzOrdProp(page, "MirrorMargins", 0) != 0; }

bool vuzSetFloatProp(TfrxComponent* object, const char* path, long double value) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Prop(object, path, holder);
  if (!p || p->Kind != rtl::pkFloat || !p->HasSetter()) return vuzSetProp(object, path, rtl::Variant(value));
  try {
    p->SetFloat(*holder, value);
    return true;
  } catch (const rtl::Exception&) {
    return false;
  }
}

void vuzSetLeftRightMargins(TfrxComponent* page, long double left, long double right) {
  vuzSetFloatProp(page, "LeftMargin", left);
  vuzSetFloatProp(page, "RightMargin", right);
}

void vuzSetMemoPrintValues(TfrxComponent* memo, int totalPages, int copyNo) {
  if (vuzObjectHooks().SetMemoPrintValues) vuzObjectHooks().SetMemoPrintValues(memo, totalPages, copyNo);
}

void vuzSetMemoPrintScale(TfrxComponent* memo, long double printScale) {
  if (vuzObjectHooks().SetMemoPrintScale) vuzObjectHooks().SetMemoPrintScale(memo, printScale);
}

TfrxComponent* vuzCreatePictureView() {
  return vuzObjectHooks().CreatePictureView ? vuzObjectHooks().CreatePictureView() : nullptr;
}

int vuzRoundClamped(long double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0L) return 2147483647;
  if (value <= -2147483648.0L) return -2147483647 - 1;
  return static_cast<int>(rtl::Round(value));
}

TfrxDeviceRect vuzDeviceRect(TfrxComponent* view, long double sx, long double sy, long double ox, long double oy,
                             int slack) {
  const long double l = view->GetAbsLeft(), t = view->GetAbsTop();
  const auto add = [](int a, int b) {
    const long long v = static_cast<long long>(a) + b;
    return static_cast<int>(v > 2147483647LL ? 2147483647LL : v < -2147483648LL ? -2147483648LL : v);
  };
  const int dx = vuzRoundClamped(ox), dy = vuzRoundClamped(oy);
  return {add(add(vuzRoundClamped(l * sx), -slack), dx), add(add(vuzRoundClamped(t * sy), -slack), dy),
          add(vuzRoundClamped((l + view->Width()) * sx + slack), dx),
          add(vuzRoundClamped((t + view->Height()) * sy + slack), dy)};
}

}  // namespace preview
