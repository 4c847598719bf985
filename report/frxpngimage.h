// The report engine's PNG picture: an image held as a list of chunk objects,
// with its own reader and writer. The header chunk owns the pixels in a
// bitmap-like layout (see TPNGPixels); every other chunk keeps its own data.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/graphic.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "report/frxpngpixels.h"

namespace report {

// ---------------------------------------------------------------- errors
// Each error of the codec is its own class with a fixed English message.
#define PNG_DECLARE_ERROR(Name)                                        \
  class Name : public rtl::Exception {                                 \
   public:                                                             \
    Name();                                                            \
    explicit Name(rtl::AnsiString m) : rtl::Exception(std::move(m)) {} \
  };
PNG_DECLARE_ERROR(EPNGOutMemory)
PNG_DECLARE_ERROR(EPngError)
PNG_DECLARE_ERROR(EPngUnexpectedEnd)
PNG_DECLARE_ERROR(EPngInvalidCRC)
PNG_DECLARE_ERROR(EPngInvalidIHDR)
PNG_DECLARE_ERROR(EPNGMissingMultipleIDAT)
PNG_DECLARE_ERROR(EPNGZLIBError)
PNG_DECLARE_ERROR(EPNGInvalidPalette)
PNG_DECLARE_ERROR(EPNGInvalidFileHeader)
PNG_DECLARE_ERROR(EPNGIHDRNotFirst)
PNG_DECLARE_ERROR(EPNGNotExists)
PNG_DECLARE_ERROR(EPNGSizeExceeds)
PNG_DECLARE_ERROR(EPNGMissingPalette)
PNG_DECLARE_ERROR(EPNGUnknownCriticalChunk)
PNG_DECLARE_ERROR(EPNGUnknownCompression)
PNG_DECLARE_ERROR(EPNGUnknownInterlace)
PNG_DECLARE_ERROR(EPNGNoImageData)
PNG_DECLARE_ERROR(EPNGCouldNotLoadResource)
PNG_DECLARE_ERROR(EPNGCannotChangeTransparent)
PNG_DECLARE_ERROR(EPNGHeaderNotPresent)
PNG_DECLARE_ERROR(EPNGInvalidNewSize)
PNG_DECLARE_ERROR(EPNGInvalidSpec)
#undef PNG_DECLARE_ERROR

// The EPngError texts.
extern const char* const EPngErrorExistentCritical;
extern const char* const EPngErrorInvalidImage;
extern const char* const EPngErrorNoPaletteEntry;
extern const char* const EPngErrorIncompatibleChunks;

// ---------------------------------------------------------------- enums
enum TFilter { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
// A set of TFilter: bit n stands for filter type n.
using TFilters = std::uint8_t;
constexpr TFilters FilterSet(std::initializer_list<TFilter> fs) {
  TFilters s = 0;
  for (TFilter f : fs) s = static_cast<TFilters>(s | (1u << f));
  return s;
}
using TCompressionLevel = int;  // 0..9
enum TInterlaceMethod { imNone = 0, imAdam7 = 1 };
enum TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };
enum TUnitType { utUnknown = 0, utMeter = 1 };

// PNG colour types.
enum : std::uint8_t {
  COLOR_GRAYSCALE = 0,
  COLOR_RGB = 2,
  COLOR_PALETTE = 3,
  COLOR_GRAYSCALEALPHA = 4,
  COLOR_RGBALPHA = 6,
};

class TPNGObject;
class TChunk;

// ---------------------------------------------------------------- chunks
// How a chunk class is named, made and recognised at run time.
struct TChunkClass {
  const char* name;  // the 4-character chunk name
  TChunk* (*create)(TPNGObject* owner);
};

class TChunk {
 public:
  explicit TChunk(TPNGObject* owner);
  virtual ~TChunk() = default;
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;

  static const char* GetName() { return ""; }
  virtual void Assign(const TChunk& source);
  // Reads size bytes of data and the CRC that follows; false ends reading.
  virtual bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size);
  virtual bool SaveToStream(rtl::TStream& stream) const;
  // A fresh chunk of the same class for the given owner.
  virtual TChunk* CloneEmpty(TPNGObject* owner) const { return new TChunk(owner); }

  const std::string& Name() const { return name_; }
  void SetNameRaw(const std::string& n) { name_ = n; }
  TPNGObject* Owner() const { return owner_; }
  std::uint8_t* Data() { return data_.data(); }
  const std::uint8_t* Data() const { return data_.data(); }
  std::uint32_t DataSize() const { return dataSize_; }
  // Resizes the data buffer (always one byte longer than the data).
  void ResizeData(std::uint32_t size);
  // The chunk's name and data as written, framed by length and CRC.
  bool WriteChunk(rtl::TStream& stream, const std::uint8_t* data, std::uint32_t size) const;

 protected:
  // Reads the data and CRC; raises EPngInvalidCRC when they differ.
  void ReadDataAndCheckCRC(rtl::TStream& stream, std::uint32_t size);

  std::vector<std::uint8_t> data_;
  std::uint32_t dataSize_ = 0;
  TPNGObject* owner_;
  std::string name_;
};

#define PNG_CHUNK_CLASS(Cls, NameText)                                            \
 public:                                                                          \
  static const char* GetName() { return NameText; }                               \
  TChunk* CloneEmpty(TPNGObject* owner) const override { return new Cls(owner); } \
  static TChunk* Create(TPNGObject* owner) { return new Cls(owner); }

class TChunkIEND : public TChunk {
  PNG_CHUNK_CLASS(TChunkIEND, "IEND")
  explicit TChunkIEND(TPNGObject* owner);
};

class TChunkIHDR : public TChunk {
  PNG_CHUNK_CLASS(TChunkIHDR, "IHDR")
  explicit TChunkIHDR(TPNGObject* owner);
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;

  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint8_t BitDepth = 0;
  std::uint8_t ColorType = 0;
  std::uint8_t CompressionMethod = 0;
  std::uint8_t FilterMethod = 0;
  std::uint8_t InterlaceMethod = 0;

  TPNGPixels& Pixels() { return pixels_; }
  const TPNGPixels& Pixels() const { return pixels_; }
  // Makes a zeroed pixel buffer for the header's size, type and depth.
  void PrepareImageData();

 private:
  TPNGPixels pixels_;
};

class TChunkIDAT : public TChunk {
  PNG_CHUNK_CLASS(TChunkIDAT, "IDAT")
  explicit TChunkIDAT(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
};

class TChunkPLTE : public TChunk {
  PNG_CHUNK_CLASS(TChunkPLTE, "PLTE")
  explicit TChunkPLTE(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  // Entries written; 0 means the colour table's count.
  int Count = 0;
  TPNGRGB Item(int index) const;
};

class TChunkgAMA : public TChunk {
  PNG_CHUNK_CLASS(TChunkgAMA, "gAMA")
  explicit TChunkgAMA(TPNGObject* owner);
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  std::uint32_t Gamma = 1;
};

class TChunktRNS : public TChunk {
  PNG_CHUNK_CLASS(TChunktRNS, "tRNS")
  explicit TChunktRNS(TPNGObject* owner);
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  TPNGColor GetTransparentColor() const;
  void SetTransparentColor(TPNGColor color);
  // Alpha of a palette index, or the bytes of a grey or RGB key.
  std::array<std::uint8_t, 256> PaletteValues;
  bool BitTransparency = false;
  // Sets DataSize (the count of values written).
  void SetValueCount(std::uint32_t n) { ResizeData(n); }
};

class TChunkpHYs : public TChunk {
  PNG_CHUNK_CLASS(TChunkpHYs, "pHYs")
  explicit TChunkpHYs(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  std::uint32_t PPUnitX = 0, PPUnitY = 0;
  TUnitType UnitType = utUnknown;
};

class TChunktIME : public TChunk {
  PNG_CHUNK_CLASS(TChunktIME, "tIME")
  explicit TChunktIME(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  std::uint16_t Year = 0;
  std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
  PNG_CHUNK_CLASS(TChunktEXt, "tEXt")
  explicit TChunktEXt(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }
  void Assign(const TChunk& source) override;
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  rtl::AnsiString Keyword, Text;
};

class TChunkzTXt : public TChunktEXt {
  PNG_CHUNK_CLASS(TChunkzTXt, "zTXt")
  explicit TChunkzTXt(TPNGObject* owner) : TChunktEXt(owner) { name_ = GetName(); }
  bool LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) override;
  bool SaveToStream(rtl::TStream& stream) const override;
  // Inflated text beyond this many bytes is cut off: a tiny chunk can
  // otherwise claim gigabytes.
  static constexpr std::size_t kMaxTextSize = 1 << 20;
};
#undef PNG_CHUNK_CLASS

// The index of the colour-table entry nearest to a colour (first of equals).
int PNGNearestEntry(const std::array<TPNGRGB, 256>& table, int count, TPNGColor color);

// Adds a class to the process-wide list used when reading.
void RegisterChunk(const TChunkClass& cls);
template <class T>
void RegisterChunk() {
  RegisterChunk(TChunkClass{T::GetName(), &T::Create});
}

// ---------------------------------------------------------------- list
class TPNGPointerList {
 public:
  explicit TPNGPointerList(TPNGObject* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TPNGObject* Owner() const { return owner_; }

 protected:
  TPNGObject* owner_;
  std::vector<std::unique_ptr<TChunk>> items_;
};

class TPNGList : public TPNGPointerList {
 public:
  using TPNGPointerList::TPNGPointerList;

  TChunk* Item(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  // Adds a chunk of class T at the place the chunk-order rules give it.
  template <class T>
  T* Add() {
    return static_cast<T*>(AddChunk(T::GetName(), &T::Create));
  }
  // The first chunk of class T (or a subclass), or nullptr.
  template <class T>
  T* FindChunk() const {
    for (auto& c : items_)
      if (auto* t = dynamic_cast<T*>(c.get())) return t;
    return nullptr;
  }
  template <class T>
  T* ItemFromClass() const {
    return FindChunk<T>();
  }
  void RemoveChunk(TChunk* chunk);
  void Clear() { items_.clear(); }
  // Appends as read from a file, no rules applied.
  TChunk* Append(std::unique_ptr<TChunk> chunk);
  int IndexOf(const TChunk* chunk) const;

 private:
  TChunk* AddChunk(const char* name, TChunk* (*create)(TPNGObject*));
  TChunk* Insert(std::unique_ptr<TChunk> chunk, int index);
};

// ---------------------------------------------------------------- image
class TPNGObject : public gfx::TGraphic {
 public:
  TPNGObject();
  // A blank image; raises EPNGInvalidSpec for a type and depth the format
  // does not allow.
  TPNGObject(int colorType, int bitDepth, int width, int height);
  ~TPNGObject() override;

  std::string ClassName() const override { return "TPNGObject"; }
  std::unique_ptr<gfx::TGraphic> NewInstance() const override { return std::make_unique<TPNGObject>(); }
  int Width() const override { return GetWidth(); }
  int Height() const override { return GetHeight(); }
  bool Empty() const override { return GetEmpty(); }

  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) const override;

  // A PNG image (AssignPNG) or a bitmap (AssignHandle with the bitmap's
  // transparency); anything else is refused by the base class.
  void Assign(const gfx::TGraphic& source) override;
  // No source at all clears the image.
  void Assign(const gfx::TGraphic* source);
  // Into a PNG image, or into a bitmap that takes this image's size, a
  // pixel format for its type and depth, the drawn image and, for bit
  // transparency, the transparent colour.
  void AssignTo(gfx::TGraphic& dest) const;
  void AssignHandle(const gfx::TBitmap& bitmap, bool transparent, gfx::TColor transparentColor);

  // The clipboard, through a bitmap of the image's size (loading takes no
  // transparency). Loading answers false when the clipboard holds no picture.
  // Defined in the GUI companion frxpngimage_gui.cpp.
  void SaveToClipboardFormat() const;
  bool LoadFromClipboardFormat();

  void Draw(gfx::TCanvas& canvas, const gfx::TRect& rect) const override;
  // Draws at the physical size a pHYs chunk gives, else at the pixel size.
  void DrawUsingPixelInformation(gfx::TCanvas& canvas, gfx::TPoint topLeft) const;
  // The canvas drawing straight into the pixels (grey, palette and RGB
  // images; alpha and low-byte planes are left as they are).
  gfx::TCanvas& Canvas();
  void AssignPNG(const TPNGObject& source);

  bool GetEmpty() const { return chunks_.Count() == 0; }
  int GetWidth() const;
  int GetHeight() const;
  void SetWidth(int value) override { Resize(value, GetHeight()); }
  void SetHeight(int value) override { Resize(GetWidth(), value); }
  void Resize(int width, int height);

  bool GetTransparent() const { return GetTransparencyMode() != ptmNone; }
  TPNGTransparencyMode GetTransparencyMode() const;
  TPNGColor GetTransparentColor() const;
  void SetTransparentColor(TPNGColor color);
  void RemoveTransparency();
  void CreateAlpha();

  void AddtEXt(const rtl::AnsiString& keyword, const rtl::AnsiString& text);
  void AddzTXt(const rtl::AnsiString& keyword, const rtl::AnsiString& text);

  TChunkIHDR* GetHeader() const;
  bool HeaderPresent() const;
  std::uint8_t* GetScanline(int row);
  std::uint8_t* GetAlphaScanline(int row);
  std::uint8_t* GetExtraScanline(int row);

  virtual TPNGColor GetPixels(int x, int y) const;
  virtual void SetPixels(int x, int y, TPNGColor color);
  // The pixel-store bitmap (palette up to date), or null without a header.
  const gfx::TBitmap* Bitmap() const;
  // The image's palette (empty for images without one).
  std::vector<TPNGRGB> GetPalette() const;
  void SetPalette(const std::vector<TPNGRGB>& palette);

  void InitializeGamma();
  void ClearChunks();
  static rtl::AnsiString GetLibraryVersion() { return "1.564"; }

  // Properties.
  TFilters Filters() const { return filters_; }
  void SetFilters(TFilters f) { filters_ = f; }
  TCompressionLevel CompressionLevel() const { return compressionLevel_; }
  void SetCompressionLevel(TCompressionLevel l) { compressionLevel_ = l < 0 ? 0 : l > 9 ? 9 : l; }
  std::int32_t MaxIdatSize() const { return maxIdatSize_; }
  void SetMaxIdatSize(std::int32_t v) { maxIdatSize_ = v < 65535 ? 65535 : v; }
  TInterlaceMethod InterlaceMethod() const { return interlaceMethod_; }
  void SetInterlaceMethod(TInterlaceMethod m) { interlaceMethod_ = m; }
  TPNGList& Chunks() { return chunks_; }
  const TPNGList& Chunks() const { return chunks_; }

  // Gamma tables: stored to displayed when reading, displayed to stored when
  // writing.
  std::array<std::uint8_t, 256> GammaTable;
  std::array<std::uint8_t, 256> InverseTable;

  // The largest pixel buffer (all planes together, in bytes) that reading or
  // building an image may allocate; bigger images raise EPNGOutMemory.
  static std::size_t MaxImageBytes();
  static void SetMaxImageBytes(std::size_t bytes);

  bool BeingCreated() const { return beingCreated_; }
  // Rebuilds the grey ramp of a grey image's colour table through the gamma
  // table: entry i shows sample i of the held depth.
  void BuildGreyRamp(TChunkIHDR& header);

 protected:
  friend class TChunkIHDR;
  friend class TPNGList;
  friend class TChunktRNS;

  // Keeps the graphic's transparent flag equal to GetTransparent() and
  // tells listeners of the change.
  void ImageChanged();
  void ReadChunks(rtl::TStream& stream);
  void DrawPartial(gfx::TCanvas& canvas, const gfx::TRect& rect) const;

  TFilters filters_ = FilterSet({pfSub});
  TCompressionLevel compressionLevel_ = 7;
  std::int32_t maxIdatSize_ = 65535;
  TInterlaceMethod interlaceMethod_ = imNone;
  TPNGList chunks_;
  bool beingCreated_ = false;
};

}  // namespace report
