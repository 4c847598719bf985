#include "script/fs_igraphicsrtti_gui.h"

#include <cstdint>

#include "platform/gfx/metafile.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/picture.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ibindings.h"

namespace script {

TfsCanvasObject::TfsCanvasObject() : surface_(std::make_unique<gfx::TBitmap>(1, 1)), canvas_(&surface_->Canvas()) {}

TfsCanvasObject* TfsGraphicObject::CanvasObject() {
  auto* bitmap = dynamic_cast<gfx::TBitmap*>(graphic_.get());
  if (!bitmap) return nullptr;
  if (!canvas_) canvas_ = std::make_unique<TfsCanvasObject>(&bitmap->Canvas());
  return canvas_.get();
}

namespace {

const rtl::TClassInfo* GraphicsClass(std::string_view name) {
  static const rtl::TClassInfo canvas("TCanvas", &rtl::TPersistent::StaticClass());
  static const rtl::TClassInfo graphic("TGraphic", &rtl::TPersistent::StaticClass());
  static const rtl::TClassInfo metafile("TMetafile", &graphic);
  static const rtl::TClassInfo metafileCanvas("TMetafileCanvas", &canvas);
  static const rtl::TClassInfo bitmap("TBitmap", &graphic);
  for (const rtl::TClassInfo* info : {&canvas, &graphic, &metafile, &metafileCanvas, &bitmap})
    if (rtl::SameText(info->Name(), name)) return info;
  return nullptr;
}

gfx::TGraphic& NeedGraphic(const Variant& value) {
  auto* g = fsAs<TfsGraphicObject>(value);
  if (!g) throw rtl::EInvalidPointer("Picture expected");
  return g->Graphic();
}

Variant CanvasMethod(rtl::TObject* instance, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  auto i = [caller](int k) { return fsArgInt(caller, k); };
  if (name == "CREATE") return fsObjectToVariant(new TfsCanvasObject());
  gfx::TCanvas& c = fsNeed<TfsCanvasObject>(instance).Canvas();
  if (name == "DRAW") c.Draw(i(0), i(1), NeedGraphic(fsArg(caller, 2)));
  if (name == "ELLIPSE") c.Ellipse(i(0), i(1), i(2), i(3));
  if (name == "LINETO") c.LineTo(i(0), i(1));
  if (name == "MOVETO") c.MoveTo(i(0), i(1));
  if (name == "RECTANGLE") c.Rectangle(i(0), i(1), i(2), i(3));
  if (name == "ROUNDRECT") c.RoundRect(i(0), i(1), i(2), i(3), i(4), i(5));
  if (name == "STRETCHDRAW") c.StretchDraw(gfx::TRect{i(0), i(1), i(2), i(3)}, NeedGraphic(fsArg(caller, 4)));
  if (name == "TEXTHEIGHT") return Variant(c.TextHeight(fsArgText(caller, 0)));
  if (name == "TEXTOUT") c.TextOut(i(0), i(1), fsArgText(caller, 2));
  if (name == "TEXTWIDTH") return Variant(c.TextWidth(fsArgText(caller, 0)));
  if (name == "PIXELS.GET") {
    gfx::TBitmap one(1, 1);
    if (!c.ReadPixels(gfx::TRect{i(0), i(1), i(0) + 1, i(1) + 1}, one))
      return Variant(static_cast<std::int32_t>(gfx::clNone));
    return Variant(static_cast<std::int32_t>(one.PixelColor(0, 0)));
  }
  if (name == "PIXELS.SET") {
    const gfx::TColor saved = c.Brush().Color();
    c.Brush().SetColor(static_cast<gfx::TColor>(fsArgInt(caller, 2)));
    c.FillRect(gfx::TRect{i(0), i(1), i(0) + 1, i(1) + 1});
    c.Brush().SetColor(saved);
  }
  return Variant(0);
}

Variant GraphicMethod(rtl::TObject* instance, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "CREATE") {
    auto* cls = dynamic_cast<TfsClassVariable*>(caller->PrevItem);
    const bool metafile = cls && rtl::SameText(cls->HostClass->Name(), "TMetafile");
    std::unique_ptr<gfx::TGraphic> made;
    if (metafile)
      made = std::make_unique<gfx::TMetafile>();
    else
      made = std::make_unique<gfx::TBitmap>();
    return fsObjectToVariant(new TfsGraphicObject(std::move(made)));
  }
  gfx::TGraphic& g = fsNeed<TfsGraphicObject>(instance).Graphic();
  if (name == "LOADFROMFILE") g.LoadFromFile(fsArgText(caller, 0));
  if (name == "SAVETOFILE") g.SaveToFile(fsArgText(caller, 0));
  return Variant(0);
}

Variant GraphicGet(rtl::TObject* instance, TClass classType, const AnsiString& name) {
  auto& holder = fsNeed<TfsGraphicObject>(instance);
  if (name == "HEIGHT") return Variant(holder.Graphic().Height());
  if (name == "WIDTH") return Variant(holder.Graphic().Width());
  if (name == "CANVAS" && classType == GraphicsClass("TBitmap")) return fsObjectToVariant(holder.CanvasObject());
  return Variant(0);
}

void GraphicSet(rtl::TObject* instance, TClass, const AnsiString& name, const Variant& value) {
  gfx::TGraphic& g = fsNeed<TfsGraphicObject>(instance).Graphic();
  if (name == "HEIGHT") g.SetHeight(value.AsInteger());
  if (name == "WIDTH") g.SetWidth(value.AsInteger());
}

Variant PictureMethod(rtl::TObject* instance, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  auto& p = fsNeed<gfx::TPicture>(instance);
  if (name == "LOADFROMFILE") p.LoadFromFile(fsArgText(caller, 0));
  if (name == "SAVETOFILE") p.SaveToFile(fsArgText(caller, 0));
  return Variant(0);
}

Variant PictureGet(rtl::TObject* instance, TClass, const AnsiString& name) {
  auto& p = fsNeed<gfx::TPicture>(instance);
  if (name == "HEIGHT") return Variant(p.Height());
  if (name == "WIDTH") return Variant(p.Width());
  return Variant(0);
}

Variant MetafileCanvasCreate(rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper* caller) {
  auto* metafile = dynamic_cast<gfx::TMetafile*>(&NeedGraphic(fsArg(caller, 0)));
  if (!metafile) throw rtl::EInvalidCast("Invalid class typecast");
  return fsObjectToVariant(new TfsCanvasObject(std::make_unique<gfx::TMetafileCanvas>(*metafile, fsArgInt(caller, 1))));
}

template <class T>
Variant Construct(rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) {
  return fsObjectToVariant(new T);
}

}  // namespace

namespace fs_igraphicsrtti {

TFunctions::TFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  auto rgb = [](int r, int g, int b) { return r + 256 * g + 65536 * b; };
  const std::pair<const char*, int> colours[] = {
      {"clBlack", rgb(0, 0, 0)},       {"clMaroon", rgb(128, 0, 0)},         {"clGreen", rgb(0, 128, 0)},
      {"clOlive", rgb(128, 128, 0)},   {"clNavy", rgb(0, 0, 128)},           {"clPurple", rgb(128, 0, 128)},
      {"clTeal", rgb(0, 128, 128)},    {"clGray", rgb(128, 128, 128)},       {"clSilver", rgb(192, 192, 192)},
      {"clRed", rgb(255, 0, 0)},       {"clLime", rgb(0, 255, 0)},           {"clYellow", rgb(255, 255, 0)},
      {"clBlue", rgb(0, 0, 255)},      {"clFuchsia", rgb(255, 0, 255)},      {"clAqua", rgb(0, 255, 255)},
      {"clWhite", rgb(255, 255, 255)}, {"clMoneyGreen", rgb(192, 220, 192)}, {"clSkyBlue", rgb(166, 202, 240)},
      {"clCream", rgb(255, 251, 240)}, {"clMedGray", rgb(160, 160, 164)},
  };
  for (const auto& [name, value] : colours) s.AddConst(name, "Integer", Variant(value));
  const std::pair<const char*, int> system[] = {
      {"clScrollBar", 0},
      {"clBackground", 1},
      {"clActiveCaption", 2},
      {"clInactiveCaption", 3},
      {"clMenu", 4},
      {"clWindow", 5},
      {"clWindowFrame", 6},
      {"clMenuText", 7},
      {"clWindowText", 8},
      {"clCaptionText", 9},
      {"clActiveBorder", 10},
      {"clInactiveBorder", 11},
      {"clAppWorkSpace", 12},
      {"clHighlight", 13},
      {"clHighlightText", 14},
      {"clBtnFace", 15},
      {"clBtnShadow", 16},
      {"clGrayText", 17},
      {"clBtnText", 18},
      {"clInactiveCaptionText", 19},
      {"clBtnHighlight", 20},
      {"cl3DDkShadow", 21},
      {"cl3DLight", 22},
      {"clInfoText", 23},
      {"clInfoBk", 24},
      {"clHotLight", 26},
      {"clGradientActiveCaption", 27},
      {"clGradientInactiveCaption", 28},
      {"clMenuHighlight", 29},
      {"clMenuBar", 30},
  };
  // System colours: the highest of 32 bits set, plus the index; a script
  // integer has 32 bits, so the constant holds that bit pattern.
  for (const auto& [name, index] : system)
    s.AddConst(name, "Integer", Variant(static_cast<std::int32_t>(0x80000000u + static_cast<unsigned>(index))));
  s.AddConst("clNone", "Integer", Variant(536870911));
  s.AddConst("clDefault", "Integer", Variant(536870912));

  s.AddEnumSet("TFontStyles", "fsBold, fsItalic, fsUnderline, fsStrikeout");
  s.AddEnum("TFontPitch", "fpDefault, fpVariable, fpFixed");
  s.AddEnum("TPenStyle", "psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame");
  s.AddEnum("TPenMode",
            "pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen, "
            "pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor");
  s.AddEnum("TBrushStyle",
            "bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross");

  if (TfsClassVariable* c = s.AddClass(&gfx::TFont::StaticClass(), "TPersistent"))
    c->AddConstructor("constructor Create", Construct<gfx::TFont>);
  if (TfsClassVariable* c = s.AddClass(&gfx::TPen::StaticClass(), "TPersistent"))
    c->AddConstructor("constructor Create", Construct<gfx::TPen>);
  if (TfsClassVariable* c = s.AddClass(&gfx::TBrush::StaticClass(), "TPersistent"))
    c->AddConstructor("constructor Create", Construct<gfx::TBrush>);
  if (TfsClassVariable* c = s.AddClass(GraphicsClass("TCanvas"), "TPersistent")) {
    c->AddConstructor("constructor Create", CanvasMethod);
    for (const char* d :
         {"procedure Draw(X, Y: Integer; Graphic: TGraphic)", "procedure Ellipse(X1, Y1, X2, Y2: Integer)",
          "procedure LineTo(X, Y: Integer)", "procedure MoveTo(X, Y: Integer)",
          "procedure Rectangle(X1, Y1, X2, Y2: Integer)", "procedure RoundRect(X1, Y1, X2, Y2, X3, Y3: Integer)",
          "procedure StretchDraw(X1, Y1, X2, Y2: Integer; Graphic: TGraphic)",
          "function TextHeight(const Text: string): Integer", "procedure TextOut(X, Y: Integer; const Text: string)",
          "function TextWidth(const Text: string): Integer"})
      c->AddMethod(d, CanvasMethod);
    c->AddIndexProperty("Pixels", "Integer, Integer", "TColor", CanvasMethod);
  }
  if (TfsClassVariable* c = s.AddClass(GraphicsClass("TGraphic"), "TPersistent")) {
    c->AddConstructor("constructor Create", GraphicMethod);
    c->AddMethod("procedure LoadFromFile(const Filename: string)", GraphicMethod);
    c->AddMethod("procedure SaveToFile(const Filename: string)", GraphicMethod);
    c->AddProperty("Height", "Integer", GraphicGet, GraphicSet);
    c->AddProperty("Width", "Integer", GraphicGet, GraphicSet);
  }
  if (TfsClassVariable* c = s.AddClass(&gfx::TPicture::StaticClass(), "TPersistent")) {
    c->AddMethod("procedure LoadFromFile(const Filename: string)", PictureMethod);
    c->AddMethod("procedure SaveToFile(const Filename: string)", PictureMethod);
    c->AddProperty("Height", "Integer", PictureGet);
    c->AddProperty("Width", "Integer", PictureGet);
  }
  s.AddClass(GraphicsClass("TMetafile"), "TGraphic");
  if (TfsClassVariable* c = s.AddClass(GraphicsClass("TMetafileCanvas"), "TCanvas"))
    c->AddConstructor("constructor Create(AMetafile: TMetafile; ReferenceDevice: Integer)", MetafileCanvasCreate);
  if (TfsClassVariable* c = s.AddClass(GraphicsClass("TBitmap"), "TGraphic"))
    c->AddProperty("Canvas", "TCanvas", GraphicGet);
}

}  // namespace fs_igraphicsrtti

namespace {
TfsRTTIModule* MakeGraphicsRTTI(TfsScript* script) { return new fs_igraphicsrtti::TFunctions(script); }
}  // namespace

void fsGraphicsRTTIStartup() { fsAddBindingModule(&MakeGraphicsRTTI); }
void fsGraphicsRTTIShutdown() { fsRemoveBindingModule(&MakeGraphicsRTTI); }

}  // namespace script
