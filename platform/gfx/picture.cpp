#include "platform/gfx/picture.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/emf_format.h"
#include "platform/gfx/ico_format.h"
#include "platform/gfx/icon.h"
#include "platform/gfx/jpeg_codec.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/metafile_bytes.h"
#include "platform/gfx/wmf_format.h"
#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"

namespace gfx {

namespace {

std::string NormalExtension(std::string ext) {
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  return rtl::LowerCase(ext);
}

struct ClassEntry {
  TGraphicFactory factory;
  bool sizePrefixed = false;
};

// The registry, with the classes of this library registered on first use.
class Registry {
 public:
  static Registry& Get() {
    static Registry registry;
    return registry;
  }

  std::mutex mutex;
  std::map<std::string, ClassEntry> classes;
  std::vector<TFileFormat> formats;                  // registration order
  std::map<std::string, TGraphicFactory> factories;  // by extension

  void AddFormat(const std::string& ext, const std::string& description, const std::string& className,
                 TGraphicFactory factory) {
    std::string e = NormalExtension(ext);
    auto it = std::find_if(formats.begin(), formats.end(), [&](const TFileFormat& f) { return f.extension == e; });
    if (it != formats.end()) formats.erase(it);
    formats.push_back({e, description, className});
    factories[e] = factory;
    if (!classes.count(className)) classes[className] = ClassEntry{std::move(factory), false};
  }

 private:
  Registry() {
    auto bitmap = [] { return std::make_unique<TBitmap>(); };
    auto metafile = [] { return std::make_unique<TMetafile>(); };
    auto jpeg = [] { return std::make_unique<TJPEGImage>(); };
    auto icon = [] { return std::make_unique<TIcon>(); };
    AddFormat("bmp", "Bitmaps", "TBitmap", bitmap);
    AddFormat("ico", "Icons", "TIcon", icon);
    AddFormat("emf", "Enhanced Metafiles", "TMetafile", metafile);
    AddFormat("wmf", "Metafiles", "TMetafile", metafile);
    AddFormat("jpg", "JPEG Image File", "TJPEGImage", jpeg);
    AddFormat("jpeg", "JPEG Image File", "TJPEGImage", jpeg);
    // These store a length before their data.
    classes["TBitmap"].sizePrefixed = true;
    classes["TMetafile"].sizePrefixed = true;
    classes["TJPEGImage"].sizePrefixed = true;
  }
};

std::unique_ptr<TGraphic> Copy(const TGraphic& g) {
  std::unique_ptr<TGraphic> copy = g.NewInstance();
  copy->Assign(g);
  return copy;
}

// The bytes from the position to the end, at most n, without consuming them.
std::string Peek(rtl::TStream& stream, std::size_t n) {
  std::int64_t start = stream.Position();
  std::string head(n, '\0');
  std::int64_t got = stream.Read(head.data(), static_cast<std::int64_t>(n));
  stream.SetPosition(start);
  head.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  return head;
}

}  // namespace

TPicture::~TPicture() = default;

// ---- registry ----------------------------------------------------------------

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicFactory factory) {
  std::string className = factory()->ClassName();
  Registry& r = Registry::Get();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.AddFormat(extension, description, className, std::move(factory));
}

void TPicture::RegisterClass(const std::string& className, TGraphicFactory factory, bool sizePrefixed) {
  Registry& r = Registry::Get();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.classes[className] = ClassEntry{std::move(factory), sizePrefixed};
}

void TPicture::UnregisterGraphicClass(const std::string& className) {
  Registry& r = Registry::Get();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.classes.erase(className);
  for (auto it = r.formats.begin(); it != r.formats.end();) {
    if (it->className == className) {
      r.factories.erase(it->extension);
      it = r.formats.erase(it);
    } else {
      ++it;
    }
  }
}

bool TPicture::IsClassRegistered(const std::string& className) {
  Registry& r = Registry::Get();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.classes.count(className) != 0;
}

std::unique_ptr<TGraphic> TPicture::CreateGraphic(const std::string& className) {
  TGraphicFactory factory;
  {
    Registry& r = Registry::Get();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.classes.find(className);
    if (it == r.classes.end()) return nullptr;
    factory = it->second.factory;
  }
  return factory();
}

std::unique_ptr<TGraphic> TPicture::CreateGraphicForExtension(std::string extension) {
  TGraphicFactory factory;
  {
    Registry& r = Registry::Get();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.factories.find(NormalExtension(std::move(extension)));
    if (it == r.factories.end()) return nullptr;
    factory = it->second;
  }
  return factory();
}

std::vector<TFileFormat> TPicture::FileFormats() {
  Registry& r = Registry::Get();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.formats;
}

std::string TPicture::GraphicFilter() {
  std::vector<TFileFormat> formats = FileFormats();
  std::string all, each;
  for (const TFileFormat& f : formats) {
    std::string mask = "*." + f.extension;
    all += (all.empty() ? "" : ";") + mask;
    each += "|" + f.description + " (" + mask + ")|" + mask;
  }
  return "All (" + all + ")|" + all + each;
}

std::string TPicture::DetectClassName(std::string_view head) {
  bytes::Reader r(head);
  if (head.size() >= 14 && head[0] == 'B' && head[1] == 'M') return "TBitmap";
  if (head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xD8)
    return "TJPEGImage";
  if (head.size() >= 8 && head.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return "TPNGObject";
  if (head.size() >= 22 && wmf::LooksLikePlaceable(head)) return "TMetafile";
  if (head.size() >= 100 && r.U32(emf::kSignatureOffset) == emf::kSignature) return "TMetafile";
  if (head.size() >= 6 && r.U16(0) == 0 && r.U16(2) < 2 && r.U16(4) > 0) return "TIcon";
  return {};
}

// ---- the graphic -------------------------------------------------------------

void TPicture::Changed() {
  if (OnChange) OnChange(*this);
}

void TPicture::Hook() {
  if (graphic_) graphic_->OnChange = [this](TGraphic&) { Changed(); };
}

void TPicture::SetGraphic(const TGraphic* graphic) { TakeGraphic(graphic ? Copy(*graphic) : nullptr); }

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
  if (graphic) graphic->OnChange = nullptr;
  graphic_ = std::move(graphic);
  Hook();
  Changed();
}

TBitmap& TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(graphic_.get())) TakeGraphic(std::make_unique<TBitmap>());
  return static_cast<TBitmap&>(*graphic_);
}

TMetafile& TPicture::Metafile() {
  if (!dynamic_cast<TMetafile*>(graphic_.get())) TakeGraphic(std::make_unique<TMetafile>());
  return static_cast<TMetafile&>(*graphic_);
}

TIcon& TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(graphic_.get())) TakeGraphic(std::make_unique<TIcon>());
  return static_cast<TIcon&>(*graphic_);
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromStream(rtl::TStream& stream) {
  std::string className = DetectClassName(Peek(stream, 100));
  std::unique_ptr<TGraphic> graphic = className.empty() ? nullptr : CreateGraphic(className);
  if (!graphic) throw EInvalidGraphic("Unknown picture format");
  graphic->LoadFromStream(stream);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToStream(rtl::TStream& stream) const {
  if (graphic_) graphic_->SaveToStream(stream);
}

void TPicture::LoadFromFile(const rtl::AnsiString& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  std::string className = DetectClassName(Peek(stream, 100));
  std::unique_ptr<TGraphic> graphic = className.empty() ? nullptr : CreateGraphic(className);
  if (!graphic) {
    std::size_t dot = fileName.find_last_of('.');
    std::size_t slash = fileName.find_last_of("/\\");
    std::string ext =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : fileName.substr(dot);
    graphic = CreateGraphicForExtension(ext);
    if (!graphic) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  }
  graphic->LoadFromStream(stream);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const rtl::AnsiString& fileName) const {
  if (!graphic_) return;
  if (auto* mf = dynamic_cast<TMetafile*>(graphic_.get())) {
    bool wmf = rtl::SameText(rtl::ExtractFileExt(fileName), ".wmf");
    TMetafile copy;
    copy.Assign(*mf);
    copy.SetEnhanced(!wmf);
    copy.SaveToFile(fileName);
    return;
  }
  graphic_->SaveToFile(fileName);
}

void TPicture::WriteData(rtl::TStream& stream) const {
  std::string name = graphic_ ? graphic_->ClassName() : std::string();
  if (name.size() > 255) name.resize(255);
  auto len = static_cast<std::uint8_t>(name.size());
  stream.WriteBuffer(&len, 1);
  stream.WriteBuffer(name.data(), len);
  if (!graphic_) return;
  bool prefixed = false;
  {
    Registry& r = Registry::Get();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.classes.find(name);
    prefixed = it != r.classes.end() && it->second.sizePrefixed;
  }
  if (!prefixed) {
    graphic_->SaveToStream(stream);
    return;
  }
  rtl::TMemoryStream data;
  graphic_->SaveToStream(data);
  bytes::Writer size;
  size.U32(static_cast<std::uint32_t>(data.Size()));
  stream.WriteBuffer(size.Data().data(), 4);
  stream.WriteBuffer(data.Memory(), data.Size());
}

void TPicture::ReadData(rtl::TStream& stream) {
  std::uint8_t len = 0;
  stream.ReadBuffer(&len, 1);
  std::string name(len, '\0');
  stream.ReadBuffer(name.data(), len);
  if (name.empty()) {
    TakeGraphic(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> graphic = CreateGraphic(name);
  if (!graphic) throw EInvalidGraphic("Unknown picture class " + name);
  bool prefixed;
  {
    Registry& r = Registry::Get();
    std::lock_guard<std::mutex> lock(r.mutex);
    prefixed = r.classes[name].sizePrefixed;
  }
  if (prefixed) {
    char size[4];
    stream.ReadBuffer(size, 4);
    std::uint32_t n = bytes::Reader(std::string_view(size, 4)).U32(0);
    if (n > stream.Size() - stream.Position()) throw EInvalidGraphic("Picture data is truncated");
    rtl::TMemoryStream data;
    data.Bytes().resize(n);
    stream.ReadBuffer(data.Memory(), n);
    graphic->LoadFromStream(data);
  } else {
    graphic->LoadFromStream(stream);
  }
  TakeGraphic(std::move(graphic));
}

}  // namespace gfx
