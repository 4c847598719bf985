#include "report/frxpngimage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/gfx/picture.h"
#include "report/frxpngcodec_p.h"

namespace report {

// ---------------------------------------------------------------- errors
#define PNG_ERROR_TEXT(Name, Text) \
  Name::Name() : rtl::Exception(Text) {}
PNG_ERROR_TEXT(
    EPNGOutMemory,
    "Some operation could not be performed because the system is out of resources. Close some windows and try again.")
PNG_ERROR_TEXT(EPngError, "")
PNG_ERROR_TEXT(
    EPngUnexpectedEnd,
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.")
PNG_ERROR_TEXT(
    EPngInvalidCRC,
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc error)")
PNG_ERROR_TEXT(EPngInvalidIHDR,
               "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data "
               "(ihdr) might be corrupted")
PNG_ERROR_TEXT(EPNGMissingMultipleIDAT,
               "This \"Portable Network Graphics\" image is invalid because it has missing image parts.")
PNG_ERROR_TEXT(EPNGZLIBError, "Could not decompress the image because it contains invalid compressed data.")
PNG_ERROR_TEXT(EPNGInvalidPalette, "The \"Portable Network Graphics\" image contains an invalid palette.")
PNG_ERROR_TEXT(EPNGInvalidFileHeader,
               "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an "
               "invalid header. This file may be corruped, try obtaining it again.")
PNG_ERROR_TEXT(EPNGIHDRNotFirst,
               "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR chunk is "
               "not the first)")
PNG_ERROR_TEXT(EPNGNotExists, "The png file could not be loaded because it does not exists.")
PNG_ERROR_TEXT(EPNGSizeExceeds,
               "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds "
               "the maximum size, which is 65535 pixels length.")
PNG_ERROR_TEXT(EPNGMissingPalette,
               "This \"Portable Network Graphics\" could not be loaded because it uses a color table which is missing.")
PNG_ERROR_TEXT(EPNGUnknownCriticalChunk,
               "This \"Portable Network Graphics\" image contains an unknown critical part which could not be decoded.")
PNG_ERROR_TEXT(EPNGUnknownCompression,
               "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not "
               "be decoded.")
PNG_ERROR_TEXT(EPNGUnknownInterlace,
               "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded.")
PNG_ERROR_TEXT(EPNGNoImageData, "This \"Portable Network Graphics\" image contains no data.")
PNG_ERROR_TEXT(EPNGCouldNotLoadResource, "The png image could not be loaded from the resource ID.")
PNG_ERROR_TEXT(EPNGCannotChangeTransparent,
               "Setting bit transparency color is not allowed for png images containing alpha value for each pixel "
               "(COLOR_RGBALPHA and COLOR_GRAYSCALEALPHA)")
PNG_ERROR_TEXT(EPNGHeaderNotPresent, "This operation is not valid because the current image contains no valid header.")
PNG_ERROR_TEXT(EPNGInvalidNewSize, "The new size provided for image resizing is invalid.")
PNG_ERROR_TEXT(
    EPNGInvalidSpec,
    "The \"Portable Network Graphics\" could not be created because invalid image type parameters have being provided.")
#undef PNG_ERROR_TEXT

const char* const EPngErrorExistentCritical =
    "The program tried to add a existent critical chunk to the current image which is not allowed.";
const char* const EPngErrorInvalidImage = "It's not allowed to add a new chunk because the current image is invalid.";
const char* const EPngErrorNoPaletteEntry = "There is no such palette entry.";
const char* const EPngErrorIncompatibleChunks = "The chunks must be compatible to be assigned.";

// ---------------------------------------------------------------- chunk classes
namespace {
std::vector<TChunkClass>& ChunkClasses() {
  static std::vector<TChunkClass> list;
  return list;
}

const TChunkClass* FindChunkClass(const char name[4]) {
  for (const auto& c : ChunkClasses())
    if (std::memcmp(c.name, name, 4) == 0) return &c;
  return nullptr;
}

std::size_t& MaxBytes() {
  static std::size_t limit = std::size_t{256} << 20;
  return limit;
}

// The unit's start-up: the picture format (unless already registered) and
// the ten chunk classes, in this order; both are undone at shutdown.
struct ChunkRegistration {
  ChunkRegistration() {
    if (!gfx::TPicture::IsClassRegistered("TPNGObject"))
      gfx::TPicture::RegisterFileFormat("PNG", "Portable Network Graphics",
                                        [] { return std::make_unique<TPNGObject>(); });
    RegisterChunk<TChunkIEND>();
    RegisterChunk<TChunkIHDR>();
    RegisterChunk<TChunkIDAT>();
    RegisterChunk<TChunkPLTE>();
    RegisterChunk<TChunkgAMA>();
    RegisterChunk<TChunktRNS>();
    RegisterChunk<TChunkpHYs>();
    RegisterChunk<TChunktIME>();
    RegisterChunk<TChunktEXt>();
    RegisterChunk<TChunkzTXt>();
  }
  ~ChunkRegistration() {
    gfx::TPicture::UnregisterGraphicClass("TPNGObject");
    ChunkClasses().clear();
  }
};
const ChunkRegistration registration;

bool IsName(const std::string& n, const char* what) { return n.size() == 4 && std::memcmp(n.data(), what, 4) == 0; }

const std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}  // namespace

void RegisterChunk(const TChunkClass& cls) {
  if (!FindChunkClass(cls.name)) ChunkClasses().push_back(cls);
}

// ---------------------------------------------------------------- TPNGList
TChunk* TPNGList::Append(std::unique_ptr<TChunk> chunk) {
  items_.reserve(items_.size() + (items_.size() % 10 == 0 ? 10 : 0));
  items_.push_back(std::move(chunk));
  return items_.back().get();
}

TChunk* TPNGList::Insert(std::unique_ptr<TChunk> chunk, int index) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, std::move(chunk));
  return items_[static_cast<std::size_t>(index)].get();
}

int TPNGList::IndexOf(const TChunk* chunk) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == chunk) return static_cast<int>(i);
  return -1;
}

void TPNGList::RemoveChunk(TChunk* chunk) {
  int i = IndexOf(chunk);
  if (i >= 0) items_.erase(items_.begin() + i);
}

TChunk* TPNGList::AddChunk(const char* name, TChunk* (*create)(TPNGObject*)) {
  const std::string n(name, 4);
  auto indexOfName = [&](const char* what) {
    for (int i = 0; i < Count(); ++i)
      if (IsName(items_[static_cast<std::size_t>(i)]->Name(), what)) return i;
    return -1;
  };
  const bool critical = IsName(n, "IHDR") || IsName(n, "IDAT") || IsName(n, "PLTE") || IsName(n, "IEND");
  const bool single = IsName(n, "gAMA") || IsName(n, "tRNS") || IsName(n, "pHYs");
  const bool building = owner_->BeingCreated();
  if ((critical && !building) || (single && indexOfName(name) >= 0)) throw EPngError(EPngErrorExistentCritical);
  if (!building && (indexOfName("IHDR") < 0 || indexOfName("IEND") < 0)) throw EPngError(EPngErrorInvalidImage);

  std::unique_ptr<TChunk> chunk(create(owner_));
  int ihdr = indexOfName("IHDR"), iend = indexOfName("IEND");
  int at;
  if (IsName(n, "gAMA") || IsName(n, "pHYs") || IsName(n, "PLTE")) {
    at = ihdr + 1;
  } else if (IsName(n, "IEND")) {
    at = Count();
  } else if (IsName(n, "IHDR")) {
    at = 0;
  } else if (IsName(n, "tRNS")) {
    int plte = indexOfName("PLTE"), idat = indexOfName("IDAT");
    at = plte >= 0 ? plte + 1 : idat >= 0 ? idat : ihdr + 1;
  } else {
    at = iend >= 0 ? iend : Count();
  }
  return Insert(std::move(chunk), at);
}

// ---------------------------------------------------------------- TPNGObject
std::size_t TPNGObject::MaxImageBytes() { return MaxBytes(); }
void TPNGObject::SetMaxImageBytes(std::size_t bytes) { MaxBytes() = bytes; }

TPNGObject::TPNGObject() : chunks_(this) { InitializeGamma(); }

TPNGObject::TPNGObject(int colorType, int bitDepth, int width, int height) : TPNGObject() {
  if (!pngcodec::ValidTypeAndDepth(colorType, bitDepth) || width < 1 || height < 1) throw EPNGInvalidSpec();
  if (width > 65535 || height > 65535) throw EPNGSizeExceeds();
  beingCreated_ = true;
  try {
    TChunkIHDR* header = chunks_.Add<TChunkIHDR>();
    header->Width = width;
    header->Height = height;
    header->BitDepth = static_cast<std::uint8_t>(bitDepth == 2 ? 4 : bitDepth);
    header->ColorType = static_cast<std::uint8_t>(colorType);
    header->PrepareImageData();
    if (colorType == COLOR_PALETTE) chunks_.Add<TChunkPLTE>()->Count = 1 << header->BitDepth;
    chunks_.Add<TChunkIDAT>();
    chunks_.Add<TChunkIEND>();
  } catch (...) {
    beingCreated_ = false;
    throw;
  }
  beingCreated_ = false;
}

TPNGObject::~TPNGObject() = default;

void TPNGObject::InitializeGamma() {
  for (int i = 0; i < 256; ++i) GammaTable[i] = InverseTable[i] = static_cast<std::uint8_t>(i);
}

void TPNGObject::ClearChunks() {
  InitializeGamma();
  chunks_.Clear();
}

void TPNGObject::BuildGreyRamp(TChunkIHDR& header) {
  TPNGPixels& px = header.Pixels();
  int n = px.ColorCount();
  for (int i = 0; i < n; ++i) {
    std::uint8_t g = GammaTable[i * 255 / (n - 1)];
    px.ColorTable()[i] = TPNGRGB{g, g, g};
  }
}

TChunkIHDR* TPNGObject::GetHeader() const {
  if (!HeaderPresent()) throw EPNGHeaderNotPresent();
  return static_cast<TChunkIHDR*>(chunks_.Item(0));
}

bool TPNGObject::HeaderPresent() const {
  return chunks_.Count() > 0 && dynamic_cast<TChunkIHDR*>(chunks_.Item(0)) != nullptr;
}

int TPNGObject::GetWidth() const { return HeaderPresent() ? GetHeader()->Width : 0; }
int TPNGObject::GetHeight() const { return HeaderPresent() ? GetHeader()->Height : 0; }

void TPNGObject::LoadFromStream(rtl::TStream& stream) {
  try {
    ReadChunks(stream);
  } catch (...) {
    ImageChanged();
    throw;
  }
  ImageChanged();
}

void TPNGObject::ReadChunks(rtl::TStream& stream) {
  ClearChunks();
  std::uint8_t sig[8];
  if (stream.Read(sig, 8) != 8 || std::memcmp(sig, kSignature, 8) != 0) throw EPNGInvalidFileHeader();
  bool haveImageData = false;
  for (bool ended = false; !ended;) {
    std::uint8_t head[8];
    if (stream.Read(head, 4) != 4 || stream.Read(head + 4, 4) != 4) throw EPngUnexpectedEnd();
    const char* name = reinterpret_cast<const char*>(head + 4);
    std::uint32_t size = pngcodec::ReadBE32(head);
    if (chunks_.Count() == 0 && std::memcmp(name, "IHDR", 4) != 0) throw EPNGIHDRNotFirst();
    // A second header would describe pixels the first one owns.
    if (chunks_.Count() > 0 && std::memcmp(name, "IHDR", 4) == 0) throw EPngInvalidIHDR();
    // A length beyond what the stream holds cannot be right: refuse it
    // before any buffer is sized by it.
    if (static_cast<std::int64_t>(size) > stream.Size() - stream.Position() - 4) throw EPngUnexpectedEnd();
    if (std::memcmp(name, "cHRM", 4) == 0 || (haveImageData && std::memcmp(name, "IDAT", 4) == 0)) {
      stream.Seek(static_cast<std::int64_t>(size) + 4, rtl::soCurrent);
      continue;
    }
    std::unique_ptr<TChunk> chunk;
    if (const TChunkClass* cls = FindChunkClass(name)) {
      chunk.reset(cls->create(this));
    } else {
      if (name[0] >= 'A' && name[0] <= 'Z') throw EPNGUnknownCriticalChunk();
      chunk = std::make_unique<TChunk>(this);
    }
    chunk->SetNameRaw(std::string(name, 4));
    TChunk* added = chunks_.Append(std::move(chunk));
    bool ok;
    try {
      ok = added->LoadFromStream(stream, name, size);
    } catch (...) {
      // The header stays only when it is whole; other chunks are dropped.
      chunks_.RemoveChunk(added);
      throw;
    }
    if (std::memcmp(name, "IDAT", 4) == 0) haveImageData = true;
    if (!ok) break;
    if (std::memcmp(name, "IEND", 4) == 0) ended = true;
  }
  if (!haveImageData) throw EPNGNoImageData();
}

void TPNGObject::SaveToStream(rtl::TStream& stream) const {
  stream.WriteBuffer(kSignature, 8);
  for (int i = 0; i < chunks_.Count(); ++i)
    if (!chunks_.Item(i)->SaveToStream(stream)) break;
}

void TPNGObject::AssignPNG(const TPNGObject& source) {
  if (&source == this) return;
  ClearChunks();
  interlaceMethod_ = source.interlaceMethod_;
  maxIdatSize_ = source.maxIdatSize_;
  compressionLevel_ = source.compressionLevel_;
  filters_ = source.filters_;
  // The pixels were read through the source's gamma table; writing them
  // back needs the same tables.
  GammaTable = source.GammaTable;
  InverseTable = source.InverseTable;
  for (int i = 0; i < source.chunks_.Count(); ++i) {
    const TChunk* src = source.chunks_.Item(i);
    std::unique_ptr<TChunk> copy(src->CloneEmpty(this));
    copy->Assign(*src);
    chunks_.Append(std::move(copy));
  }
  ImageChanged();
}

void TPNGObject::Resize(int width, int height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) throw EPNGInvalidNewSize();
  TChunkIHDR* header = GetHeader();
  TPNGPixels resized;
  if (!header->Pixels().Resized(width, height, MaxImageBytes(), resized)) throw EPNGOutMemory();
  header->Pixels() = std::move(resized);
  header->Width = width;
  header->Height = height;
  ImageChanged();
}

TPNGTransparencyMode TPNGObject::GetTransparencyMode() const {
  if (!HeaderPresent()) return ptmNone;
  const TChunkIHDR* header = GetHeader();
  const TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>();
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_RGB: return trns ? ptmBit : ptmNone;
    case COLOR_PALETTE:
      if (!trns) return ptmNone;
      return trns->BitTransparency ? ptmBit : ptmPartial;
    default: return ptmPartial;
  }
}

TPNGColor TPNGObject::GetTransparentColor() const {
  const TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>();
  return trns && HeaderPresent() ? trns->GetTransparentColor() : 0;
}

void TPNGObject::SetTransparentColor(TPNGColor color) {
  if (!HeaderPresent()) return;
  const TChunkIHDR* header = GetHeader();
  if (header->ColorType == COLOR_GRAYSCALEALPHA || header->ColorType == COLOR_RGBALPHA)
    throw EPNGCannotChangeTransparent();
  TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>();
  if (!trns) trns = chunks_.Add<TChunktRNS>();
  trns->SetTransparentColor(color);
  ImageChanged();
}

void TPNGObject::RemoveTransparency() {
  if (!HeaderPresent()) return;
  TChunkIHDR* header = GetHeader();
  switch (header->ColorType) {
    case COLOR_PALETTE:
      if (TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>()) chunks_.RemoveChunk(trns);
      break;
    case COLOR_GRAYSCALEALPHA:
      header->ColorType = COLOR_GRAYSCALE;
      header->Pixels().DropAlpha();
      break;
    case COLOR_RGBALPHA:
      header->ColorType = COLOR_RGB;
      header->Pixels().DropAlpha();
      break;
    default: break;
  }
  ImageChanged();
}

void TPNGObject::CreateAlpha() {
  if (!HeaderPresent()) return;
  TChunkIHDR* header = GetHeader();
  TPNGPixels& px = header->Pixels();
  switch (header->ColorType) {
    case COLOR_GRAYSCALE: {
      if (header->BitDepth < 8) {
        // Grey with alpha exists only at 8 and 16 bits: widen the samples
        // to 8 bits with their brightness.
        TPNGPixels wide;
        if (!wide.Create(px.Width(), px.Height(), 8, false, true, false, MaxImageBytes())) throw EPNGOutMemory();
        const int maxLevel = px.ColorCount() - 1;
        for (int y = 0; y < px.Height(); ++y)
          for (int x = 0; x < px.Width(); ++x)
            wide.ScanLine(y)[x] = static_cast<std::uint8_t>(px.IndexAt(x, y) * 255 / maxLevel);
        px = std::move(wide);
        header->BitDepth = 8;
        header->ColorType = COLOR_GRAYSCALEALPHA;
        BuildGreyRamp(*header);
      } else {
        header->ColorType = COLOR_GRAYSCALEALPHA;
      }
      px.AddAlpha(header->BitDepth == 16);
      if (TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>()) chunks_.RemoveChunk(trns);
      break;
    }
    case COLOR_RGB:
      header->ColorType = COLOR_RGBALPHA;
      px.AddAlpha(header->BitDepth == 16);
      if (TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>()) chunks_.RemoveChunk(trns);
      break;
    case COLOR_PALETTE: {
      TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>();
      if (!trns) trns = chunks_.Add<TChunktRNS>();
      // As many values as the palette has entries: a longer table would
      // make the file invalid.
      const TChunkPLTE* plte = chunks_.FindChunk<TChunkPLTE>();
      int count = plte && plte->Count ? plte->Count : px.ColorCount();
      trns->PaletteValues.fill(255);
      trns->SetValueCount(static_cast<std::uint32_t>(count));
      std::memset(trns->Data(), 255, static_cast<std::size_t>(count));
      trns->BitTransparency = false;
      break;
    }
    default: break;
  }
  ImageChanged();
}

void TPNGObject::AddtEXt(const rtl::AnsiString& keyword, const rtl::AnsiString& text) {
  TChunktEXt* c = chunks_.Add<TChunktEXt>();
  c->Keyword = keyword;
  c->Text = text;
}

void TPNGObject::AddzTXt(const rtl::AnsiString& keyword, const rtl::AnsiString& text) {
  TChunkzTXt* c = chunks_.Add<TChunkzTXt>();
  c->Keyword = keyword;
  c->Text = text;
}

std::uint8_t* TPNGObject::GetScanline(int row) { return GetHeader()->Pixels().ScanLine(row); }
std::uint8_t* TPNGObject::GetAlphaScanline(int row) { return GetHeader()->Pixels().AlphaLine(row); }
std::uint8_t* TPNGObject::GetExtraScanline(int row) { return GetHeader()->Pixels().ExtraLine(row); }

TPNGColor TPNGObject::GetPixels(int x, int y) const {
  if (!HeaderPresent()) return 0;
  const TChunkIHDR* header = GetHeader();
  const TPNGPixels& px = header->Pixels();
  if (x < 0 || y < 0 || x >= px.Width() || y >= px.Height()) return 0;
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: {
      // The colour table already holds the displayed colours (the grey
      // ramp and the palette both went through the gamma table once).
      const TPNGRGB& c = px.ColorTable()[px.IndexAt(x, y)];
      return PNGColor(c.r, c.g, c.b);
    }
    case COLOR_GRAYSCALEALPHA: {
      std::uint8_t g = px.ScanLine(y)[x];
      return PNGColor(g, g, g);
    }
    default: {
      const std::uint8_t* p = px.ScanLine(y) + 3 * x;
      return PNGColor(p[2], p[1], p[0]);
    }
  }
}

void TPNGObject::SetPixels(int x, int y, TPNGColor color) {
  if (!HeaderPresent()) return;
  TChunkIHDR* header = GetHeader();
  TPNGPixels& px = header->Pixels();
  if (x < 0 || y < 0 || x >= px.Width() || y >= px.Height()) return;
  std::uint8_t* lo = px.ExtraLine(y);
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: {
      int count = px.ColorCount();
      if (header->ColorType == COLOR_PALETTE)
        if (const TChunkPLTE* plte = chunks_.FindChunk<TChunkPLTE>(); plte && plte->Count)
          count = std::min(count, plte->Count);
      int index = PNGNearestEntry(px.ColorTable(), count, color);
      px.SetIndexAt(x, y, index);
      if (lo) lo[x] = static_cast<std::uint8_t>(index);
      break;
    }
    case COLOR_GRAYSCALEALPHA:
      px.ScanLine(y)[x] = PNGRed(color);
      if (lo) lo[x] = PNGRed(color);
      break;
    default: {
      std::uint8_t* p = px.ScanLine(y) + 3 * x;
      p[0] = PNGBlue(color);
      p[1] = PNGGreen(color);
      p[2] = PNGRed(color);
      if (lo) std::memcpy(lo + 3 * x, p, 3);
      break;
    }
  }
}

std::vector<TPNGRGB> TPNGObject::GetPalette() const {
  if (!HeaderPresent()) return {};
  const TPNGPixels& px = GetHeader()->Pixels();
  return std::vector<TPNGRGB>(px.ColorTable().begin(), px.ColorTable().begin() + px.ColorCount());
}

void TPNGObject::SetPalette(const std::vector<TPNGRGB>& palette) {
  if (!HeaderPresent()) return;
  TPNGPixels& px = GetHeader()->Pixels();
  int n = std::min<int>(px.ColorCount(), static_cast<int>(palette.size()));
  for (int i = 0; i < n; ++i) px.ColorTable()[i] = palette[static_cast<std::size_t>(i)];
}

// ---------------------------------------------------------------- graphics
void TPNGObject::ImageChanged() {
  if (Transparent() != GetTransparent())
    gfx::TGraphic::SetTransparent(GetTransparent());
  else
    Changed();
}

const gfx::TBitmap* TPNGObject::Bitmap() const {
  return HeaderPresent() ? std::as_const(GetHeader()->Pixels()).Bitmap() : nullptr;
}

gfx::TCanvas& TPNGObject::Canvas() { return GetHeader()->Pixels().Bitmap()->Canvas(); }

void TPNGObject::Assign(const gfx::TGraphic& source) {
  if (&source == this) return;
  if (auto* png = dynamic_cast<const TPNGObject*>(&source)) {
    AssignPNG(*png);
  } else if (auto* bitmap = dynamic_cast<const gfx::TBitmap*>(&source)) {
    AssignHandle(*bitmap, bitmap->Transparent(), bitmap->TransparentColor());
  } else {
    gfx::TGraphic::Assign(source);
  }
}

void TPNGObject::Assign(const gfx::TGraphic* source) {
  if (source) {
    Assign(*source);
  } else {
    ClearChunks();
    ImageChanged();
  }
}

void TPNGObject::AssignHandle(const gfx::TBitmap& bitmap, bool transparent, gfx::TColor transparentColor) {
  ClearChunks();
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) {
    ImageChanged();
    return;
  }
  const int bpp = bitmap.BitsPerPixel();
  const bool indexed = bpp < 16;
  beingCreated_ = true;
  try {
    TChunkIHDR* header = chunks_.Add<TChunkIHDR>();
    header->Width = bitmap.Width();
    header->Height = std::abs(bitmap.Height());
    header->BitDepth = static_cast<std::uint8_t>(indexed ? bpp : 8);
    header->ColorType = indexed ? COLOR_PALETTE : COLOR_RGB;
    header->PrepareImageData();
    TPNGPixels& px = header->Pixels();
    if (indexed) {
      TChunkPLTE* plte = chunks_.Add<TChunkPLTE>();
      plte->Count = 1 << bpp;
      const auto& pal = bitmap.Palette();
      for (int i = 0; i < plte->Count && i < static_cast<int>(pal.size()); ++i)
        px.ColorTable()[i] = TPNGRGB{pal[static_cast<std::size_t>(i)].rgbRed, pal[static_cast<std::size_t>(i)].rgbGreen,
                                     pal[static_cast<std::size_t>(i)].rgbBlue};
      for (int y = 0; y < header->Height; ++y) std::memcpy(px.ScanLine(y), bitmap.ScanLine(y), px.Stride());
    } else {
      const std::vector<std::uint32_t> rgb = bitmap.ToRGB32();
      for (int y = 0; y < header->Height; ++y) {
        std::uint8_t* d = px.ScanLine(y);
        const std::uint32_t* s = rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(header->Width);
        for (int x = 0; x < header->Width; ++x) {
          d[3 * x] = static_cast<std::uint8_t>(s[x]);
          d[3 * x + 1] = static_cast<std::uint8_t>(s[x] >> 8);
          d[3 * x + 2] = static_cast<std::uint8_t>(s[x] >> 16);
        }
      }
    }
    if (transparent) chunks_.Add<TChunktRNS>()->SetTransparentColor(gfx::ColorToRGB(transparentColor));
    chunks_.Add<TChunkIDAT>();
    chunks_.Add<TChunkIEND>();
  } catch (...) {
    beingCreated_ = false;
    ClearChunks();
    throw;
  }
  beingCreated_ = false;
  ImageChanged();
}

void TPNGObject::AssignTo(gfx::TGraphic& dest) const {
  if (auto* png = dynamic_cast<TPNGObject*>(&dest)) {
    png->AssignPNG(*this);
    return;
  }
  auto* bitmap = dynamic_cast<gfx::TBitmap*>(&dest);
  if (!bitmap) throw rtl::EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
  if (!HeaderPresent()) {
    bitmap->SetSize(0, 0);
    return;
  }
  const TChunkIHDR* header = GetHeader();
  const TPNGTransparencyMode mode = GetTransparencyMode();
  gfx::TPixelFormat format = gfx::pf24bit;
  if (mode != ptmPartial) {
    if (header->BitDepth == 1)
      format = gfx::pf1bit;
    else if (header->BitDepth == 2 || header->BitDepth == 4)
      format = gfx::pf4bit;
    else if (header->BitDepth == 8 && header->ColorType == COLOR_PALETTE)
      format = gfx::pf8bit;
  }
  if (format != gfx::pf24bit) {
    // The pixel store has this very format: the indexes and palette copy over.
    bitmap->Assign(*Bitmap());
  } else {
    bitmap->SetPixelFormat(gfx::pf24bit);
    bitmap->SetSize(header->Width, header->Height);
    Draw(bitmap->Canvas(), gfx::Rect(0, 0, header->Width, header->Height));
  }
  bitmap->SetTransparent(mode == ptmBit);
  if (mode == ptmBit) bitmap->SetTransparentColor(static_cast<gfx::TColor>(GetTransparentColor()));
}

void TPNGObject::Draw(gfx::TCanvas& canvas, const gfx::TRect& rect) const {
  if (GetEmpty() || !HeaderPresent()) return;
  const gfx::TBitmap* bitmap = Bitmap();
  const gfx::TRect all = gfx::Rect(0, 0, GetWidth(), GetHeight());
  switch (GetTransparencyMode()) {
    case ptmNone: canvas.DrawBitmap(rect, *bitmap, all, gfx::cmSrcCopy); break;
    case ptmBit:
      canvas.DrawBitmapTransparent(rect, *bitmap, all, static_cast<gfx::TColor>(GetTransparentColor()));
      break;
    case ptmPartial: DrawPartial(canvas, rect); break;
  }
}

void TPNGObject::DrawPartial(gfx::TCanvas& canvas, const gfx::TRect& rect) const {
  const gfx::TRect r = rect.Normalized();
  if (r.Width() == 0 || r.Height() == 0) return;
  // Only the part that can show is blended: a zoomed image may be far larger
  // than the surface.
  const gfx::TRect clip = canvas.ClipRect();
  const gfx::TRect vis = clip.IsEmpty() ? r : gfx::IntersectRect(r, clip);
  if (vis.IsEmpty()) return;
  const TChunkIHDR* header = GetHeader();
  const TPNGPixels& px = header->Pixels();
  const TChunktRNS* trns = chunks_.FindChunk<TChunktRNS>();
  const int vw = vis.Width(), vh = vis.Height();
  if (static_cast<std::uint64_t>(vw) * static_cast<std::uint64_t>(vh) > (std::uint64_t{1} << 26)) throw EPNGOutMemory();
  try {
    gfx::TBitmap background;
    std::vector<std::uint32_t> buf;
    if (canvas.ReadPixels(vis, background) && background.Width() == vw && background.Height() == vh) {
      buf = background.ToRGB32();
    } else {
      // A surface that keeps no pixels (a recording, a printer): blend over white.
      background.SetPixelFormat(gfx::pf24bit);
      background.SetSize(vw, vh);
      buf.assign(static_cast<std::size_t>(vw) * static_cast<std::size_t>(vh), 0xFFFFFF);
    }
    const int iw = header->Width, ih = header->Height;
    const std::int64_t rw = r.Width(), rh = r.Height();
    auto blend = [](unsigned s, unsigned b, unsigned a) { return (s * a + (255 - a) * b + 255) / 256; };
    for (int y = 0; y < vh; ++y) {
      const int sy = static_cast<int>((vis.Top - r.Top + y) * static_cast<std::int64_t>(ih) / rh);
      const std::uint8_t* row = px.ScanLine(sy);
      const std::uint8_t* alpha = px.AlphaLine(sy);
      std::uint32_t* out = buf.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(vw);
      for (int x = 0; x < vw; ++x) {
        const int sx = static_cast<int>((vis.Left - r.Left + x) * static_cast<std::int64_t>(iw) / rw);
        unsigned sr, sg, sb, a;
        if (header->ColorType == COLOR_RGBALPHA) {
          sb = row[3 * sx];
          sg = row[3 * sx + 1];
          sr = row[3 * sx + 2];
          a = alpha[sx];
        } else {
          const int index = px.IndexAt(sx, sy);
          const TPNGRGB& c = px.ColorTable()[index];
          sr = c.r;
          sg = c.g;
          sb = c.b;
          a = alpha ? alpha[sx] : trns ? trns->PaletteValues[static_cast<std::size_t>(index)] : 255;
        }
        if (a == 0) continue;
        const std::uint32_t bg = out[x];
        out[x] =
            (blend(sr, (bg >> 16) & 0xFF, a) << 16) | (blend(sg, (bg >> 8) & 0xFF, a) << 8) | blend(sb, bg & 0xFF, a);
      }
    }
    background.FromRGB32(buf.data());
    canvas.DrawBitmap(vis, background, gfx::Rect(0, 0, vw, vh), gfx::cmSrcCopy);
  } catch (const std::bad_alloc&) {
    throw EPNGOutMemory();
  }
}

void TPNGObject::DrawUsingPixelInformation(gfx::TCanvas& canvas, gfx::TPoint topLeft) const {
  int w = GetWidth(), h = GetHeight();
  if (const TChunkpHYs* phys = chunks_.FindChunk<TChunkpHYs>(); phys && phys->PPUnitX && phys->PPUnitY) {
    const double screenX = canvas.PixelsPerInchX() / 0.0254, screenY = canvas.PixelsPerInchY() / 0.0254;
    w = static_cast<int>(w * screenX / phys->PPUnitX);
    h = static_cast<int>(h * screenY / phys->PPUnitY);
  }
  Draw(canvas, gfx::Bounds(topLeft.X, topLeft.Y, w, h));
}

}  // namespace report
