#include "report/vuzClassPicture.h"

#include <cstring>

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "report/vuzClassServices.h"
#include "report/vuzGraphicUtils.h"
#include "report/vuzRes.h"

namespace report {

// ---------------------------------------------------------------- recognising pictures

namespace {

std::uint16_t Word(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t DWord(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads up to count bytes at the position and goes back.
std::string Peek(rtl::TStream& stream, std::size_t count) {
  std::string bytes(count, '\0');
  const std::int64_t at = stream.Position();
  const std::int64_t got = stream.Read(bytes.data(), static_cast<std::int64_t>(count));
  stream.SetPosition(at);
  bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return bytes;
}

}  // namespace

AnsiString vuzSniffPictureClass(rtl::TStream& stream) {
  // Each test needs its number of bytes; the first that matches wins.
  const std::string head = Peek(stream, 100);
  const auto* p = reinterpret_cast<const unsigned char*>(head.data());
  const std::size_t n = head.size();
  static const unsigned char kPng[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 14 && Word(p) == 0x4D42) return "TBitmap";
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8) return "TJPEGImage";
  if (n >= 8 && std::memcmp(p, kPng, 8) == 0) return "TPNGObject";
  if (n >= 22 && DWord(p) == 0x9AC6CDD7u) return "TMetafile";        // placeable WMF
  if (n >= 100 && DWord(p + 40) == 0x464D4520u) return "TMetafile";  // " EMF"
  if (n >= 6 && Word(p + 2) < 2) return "TIcon";
  return AnsiString();
}

// ---------------------------------------------------------------- TfrxPictureView

TfrxPictureView::TfrxPictureView(rtl::TComponent* owner) : TfrxView(owner) { InitPicture(); }

TfrxPictureView::TfrxPictureView(rtl::TComponent* owner, std::uint16_t flags) : TfrxView(owner, flags) {
  InitPicture();
}

TfrxPictureView::~TfrxPictureView() {
  if (picture_) picture_->OnChange = nullptr;
}

void TfrxPictureView::InitPicture() {
  SetFrComponentStyle(FrComponentStyle() & ~csDefaultDiff);
  SetColor(gfx::clWhite);
  transparentColor_ = gfx::clWhite;
  picture_ = std::make_unique<gfx::TPicture>();
  picture_->OnChange = [this](gfx::TPicture&) { PictureChanged(); };
  isPictureStored_ = true;
}

AnsiString TfrxPictureView::GetDescription() const { return vuzResources().Get("obPicture"); }

void TfrxPictureView::SetPicture(const gfx::TPicture* p) {
  if (p)
    picture_->Assign(*p);
  else
    picture_->Clear();
}

void TfrxPictureView::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v && !picture_->Empty()) {
    SetWidth(picture_->Width());
    SetHeight(picture_->Height());
  }
}

void TfrxPictureView::SetTransparent(bool v) {
  transparent_ = v;
  SetColor(v ? clTransparent : gfx::clWhite);
}

void TfrxPictureView::PictureChanged() {
  SetAutoSize(autoSize_);
  pictureChanged_ = true;
}

TfrxPictureLoadResult TfrxPictureView::LoadPictureFromStream(rtl::TStream& stream, bool fromStart) {
  if (fromStart) stream.SetPosition(0);
  const std::int64_t size = stream.Size();
  AnsiString className;
  if (size > 0) {
    // A database graphic field puts 1, 0x0100 and the data's size first.
    const std::string prefix = Peek(stream, 8);
    if (prefix.size() == 8) {
      const auto* p = reinterpret_cast<const unsigned char*>(prefix.data());
      if (Word(p) == 1 && Word(p + 2) == 0x0100 && static_cast<std::int64_t>(DWord(p + 4)) + 8 == size)
        stream.Seek(8, rtl::soCurrent);
    }
    className = vuzSniffPictureClass(stream);
  }
  std::unique_ptr<gfx::TGraphic> graphic;
  if (!className.empty()) graphic = gfx::TPicture::CreateGraphic(className);
  if (graphic) {
    try {
      graphic->LoadFromStream(stream);
    } catch (const std::exception&) {
      // Damaged data is no picture: the caller hears so from the result.
      graphic.reset();
    }
  }
  if (!graphic) {
    picture_->Clear();
    return plInvalidArg;
  }
  const bool png = graphic->ClassName() == "TPNGObject";
  picture_->TakeGraphic(std::move(graphic));
  if (png) PictureChanged();
  return plOk;
}

void TfrxPictureView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                           long double offsetY) {
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  DrawBackground();
  gfx::TGraphic* graphic = picture_->Graphic();
  if (graphic && !graphic->Empty()) {
    const int pw = picture_->Width(), ph = picture_->Height();
    gfx::TRect r = gfx::Rect(DevX, DevY, DevX1, DevY1);
    if (stretched_) {
      if (keepAspectRatio_) {
        const long double kx = static_cast<long double>(DevWidth) / pw, ky = static_cast<long double>(DevHeight) / ph;
        if (ky > kx)
          r.Bottom = r.Top + vuzRoundEven(ph * kx);
        else
          r.Right = r.Left + vuzRoundEven(pw * ky);
        if (center_) r = r.Offset((DevWidth + r.Left - r.Right) / 2, (DevHeight + r.Top - r.Bottom) / 2);
      }
      vuzDrawGraphic(canvas, r, graphic, IsPrinting(), hightQuality_, transparent_, transparentColor_);
    } else {
      gfx::TRegion saved;
      const bool hadClip = canvas.GetClipRegion(saved);
      canvas.IntersectClipRect(r);
      const int w = vuzRoundEven(scaleX * pw), h = vuzRoundEven(scaleY * ph);
      if (center_) r = r.Offset((DevWidth - w) / 2, (DevHeight - h) / 2);
      r.Right = r.Left + w;
      r.Bottom = r.Top + h;
      vuzDrawGraphic(canvas, r, graphic, IsPrinting(), hightQuality_, transparent_, transparentColor_);
      canvas.SelectClipRegion(hadClip ? &saved : nullptr);
    }
  }
  DrawFrame();
}

void TfrxPictureView::GetData() {
  TfrxView::GetData();
  if (!fileLink_.empty()) {
    AnsiString fileName = fileLink_;
    if (fileName.find('[') != AnsiString::npos) ExpandVariables(fileName);
    bool loaded = false;
    if (rtl::FileExists(fileName)) {
      try {
        picture_->LoadFromFile(fileName);
        loaded = true;
      } catch (const std::exception&) {
        // An unreadable file shows no picture, like a missing one.
      }
    }
    if (!loaded) picture_->Clear();
  } else if (IsDataField() && DataSet()->IsBlobField(DataField())) {
    rtl::TMemoryStream stream;
    DataSet()->AssignBlobToStream(DataField(), stream);
    LoadPictureFromStream(stream, true);
  }
}

AnsiString TfrxPictureView::Diff(TfrxComponent* other) {
  if (pictureChanged_) {
    TfrxReportServices* report = GetReportServices();
    if (TfrxCustomPreviewPages* pages = report ? report->PreviewPages() : nullptr) {
      pages->AddPicture(this);
      pictureChanged_ = false;
    }
  }
  AnsiString s = TfrxView::Diff(other);
  s += " ImageIndex=\"" + rtl::IntToStr(imageIndex_) + "\"";
  if (transparent_) s += " Transparent=\"1\"";
  if (transparentColor_ != gfx::clWhite) s += " TransparentColor=\"" + rtl::IntToStr(transparentColor_) + "\"";
  return s;
}

const rtl::TClassInfo& TfrxPictureView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxPictureView> b("TfrxPictureView", &TfrxView::StaticClass());
    b.Creatable();
    ViewProps::Cursor(b);
    b.Property("AutoSize", &TfrxPictureView::AutoSize, &TfrxPictureView::SetAutoSize).Default(false);
    b.Property("Center", &TfrxPictureView::Center, &TfrxPictureView::SetCenter).Default(false);
    ViewProps::DataField(b);
    ViewProps::DataSet(b);
    ViewProps::DataSetName(b);
    ViewProps::Frame(b);
    b.Property("FileLink", &TfrxPictureView::FileLink, &TfrxPictureView::SetFileLink);
    b.Property("ImageIndex", &TfrxPictureView::ImageIndex, &TfrxPictureView::SetImageIndex)
        .Stored(&TfrxPictureView::IsImageIndexStored);
    b.Property("KeepAspectRatio", &TfrxPictureView::KeepAspectRatio, &TfrxPictureView::SetKeepAspectRatio)
        .Default(true);
    b.Property("Picture", &TfrxPictureView::Picture, &TfrxPictureView::SetPicture)
        .Stored(&TfrxPictureView::IsPictureStored);
    b.Property("Stretched", &TfrxPictureView::Stretched, &TfrxPictureView::SetStretched).Default(true);
    ViewProps::TagStr(b);
    ViewProps::URL(b);
    b.Property("HightQuality", &TfrxPictureView::HightQuality, &TfrxPictureView::SetHightQuality);
    b.Property("Transparent", &TfrxPictureView::Transparent, &TfrxPictureView::SetTransparent);
    b.Property("TransparentColor", &TfrxPictureView::TransparentColor, &TfrxPictureView::SetTransparentColor);
    return b.Build();
  }();
  return info;
}

}  // namespace report
