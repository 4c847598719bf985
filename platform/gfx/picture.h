// The picture holder and the registry of picture classes.
//
// A TPicture owns at most one graphic of any registered class. The registry
// knows each class by name (so a picture stored with its class name loads
// again) and by file extension (for file dialogs and for files whose first
// bytes say nothing). Bitmaps, metafiles, JPEG images and icons are
// registered here; other libraries add theirs (the PNG class does at
// start-up) with RegisterFileFormat or RegisterClass.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/graphic.h"
#include "platform/rtl/object.h"

namespace gfx {

class TBitmap;
class TMetafile;
class TIcon;

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// One registered file format.
struct TFileFormat {
  std::string extension;    // lower case, without the dot ("png")
  std::string description;  // "Portable Network Graphics"
  std::string className;    // "TPNGObject"
};

// A persistent object: a report picture property stores its graphic as the
// defined property "Data" (WriteData/ReadData).
class TPicture : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // ---- the registry (process-wide, safe to use from any thread)
  // Registers a class for an extension (and by its class name). A second
  // registration of the same extension replaces the first.
  static void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory factory);
  // Registers a class by name only. sizePrefixed says that its stored form
  // (WriteData) puts a 32-bit length before the graphic's stream.
  static void RegisterClass(const std::string& className, TGraphicFactory factory, bool sizePrefixed = false);
  // Removes a class and every extension registered for it.
  static void UnregisterGraphicClass(const std::string& className);
  static bool IsClassRegistered(const std::string& className);
  // A new empty graphic of a registered class; null when unknown.
  static std::unique_ptr<TGraphic> CreateGraphic(const std::string& className);
  static std::unique_ptr<TGraphic> CreateGraphicForExtension(std::string extension);
  static std::vector<TFileFormat> FileFormats();
  // A file-dialog filter: "All (*.bmp;*.jpg;...)|*.bmp;*.jpg;...|Bitmaps (*.bmp)|*.bmp|..."
  static std::string GraphicFilter();
  // The class the first bytes of a picture belong to ("TBitmap", "TJPEGImage",
  // "TPNGObject", "TMetafile", "TIcon"), empty when none.
  static std::string DetectClassName(std::string_view head);

  // ---- the graphic
  TGraphic* Graphic() const { return graphic_.get(); }
  // Copies the graphic (null clears the picture).
  void SetGraphic(const TGraphic* graphic);
  // Takes the graphic over.
  void TakeGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap, metafile or icon; a graphic of another class is
  // replaced by an empty one of the asked class first.
  TBitmap& Bitmap();
  TMetafile& Metafile();
  TIcon& Icon();
  int Width() const;
  int Height() const;
  bool Empty() const { return !graphic_ || graphic_->Empty(); }
  void Clear() { TakeGraphic(nullptr); }

  void Assign(const TPicture& source) { SetGraphic(source.Graphic()); }
  void Assign(const rtl::TPersistent* source) override;
  void DefineProperties(rtl::TFiler& filer) override;

  // Reads a picture of any registered class, told by its first bytes;
  // unknown or damaged data raise EInvalidGraphic and keep the picture.
  void LoadFromStream(rtl::TStream& stream);
  void SaveToStream(rtl::TStream& stream) const;
  // Files: the first bytes decide, then the extension. A metafile is saved as
  // WMF when the name ends in ".wmf", as EMF otherwise.
  void LoadFromFile(const rtl::AnsiString& fileName);
  void SaveToFile(const rtl::AnsiString& fileName) const;

  // The stored form of templates: the class name (a length byte and the
  // name), then the graphic's data, with a 32-bit length first for the
  // classes registered as size-prefixed. An empty name stands for no graphic.
  void WriteData(rtl::TStream& stream) const;
  void ReadData(rtl::TStream& stream);

  // Called when the graphic is replaced or changes.
  std::function<void(TPicture&)> OnChange;

 private:
  void Changed();
  void Hook();
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace gfx
