#include "export/biff/biffWorkbook.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/colors.h"
#include "platform/rtl/format.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

constexpr const char* kUnit = "biffWorkbook";

void U16Record(TBiffStream& stream, int id, std::uint32_t value) { stream.Add(id).WriteConst(value, 2); }

// Writes a drawing tree into one record, continued as needed.
void FlushDrawing(TBiffStream& stream, int id, TEscherStream& tree) {
  rtl::TMemoryStream bytes;
  tree.Flush(bytes);
  if (bytes.Size() > 0) stream.Add(id).Write(bytes.Memory(), static_cast<int>(bytes.Size()));
}

}  // namespace

int NearestColor(const std::uint32_t* palette, int count, std::uint32_t color) {
  int best = 0, bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const std::uint32_t x = palette[i] ^ color;
    const int distance = static_cast<int>((x & 0xFF) + ((x >> 8) & 0xFF) + ((x >> 16) & 0xFF) + (x >> 24));
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void ValidateLineBreaks(WideString& text) { std::erase(text, u'\r'); }

TBiffWorkbook::TBiffWorkbook() {
  for (std::uint32_t c : {0x000000u, 0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x00FFFFu, 0xFF00FFu, 0xFFFF00u})
    AddColor(c);
  for (int i = 0; i < 16; ++i) {
    auto xf = std::make_unique<TBiffXF>();
    xf->Protection |= 4;
    xf->UsedAttrs |= 2;
    xf->ListIndex = i;
    xfList_.Add(std::move(xf));
  }
  xfList_[0]->UsedAttrs = 0xFF;
  xfList_[15]->Parent = 0;
  xfList_[15]->Protection = 1;
  xfList_[15]->UsedAttrs = 0;
  AddStyle(std::make_unique<TBiffStyle>());
  for (int i = 0; i < 4; ++i) {
    auto font = std::make_unique<TBiffFont>();
    font->ListIndex = i;
    fontList_.Add(std::move(font));
  }
  fontCount_ = 4;
}

TBiffWorkbook::~TBiffWorkbook() = default;

int TBiffWorkbook::AddSheet(std::unique_ptr<TBiffSheet> sheet) {
  VUZ_ASSERT(sheet != nullptr, "", kUnit);
  std::lock_guard<rtl::TCriticalSection> hold(sheets_);
  const int index = sheetList_.Add(std::move(sheet));
  sheetCount_ = sheetList_.Count();
  return index;
}

TBiffSheet* TBiffWorkbook::GetSheet(int index) {
  if (index < 0 || index >= GetSheetsCount()) return nullptr;
  std::lock_guard<rtl::TCriticalSection> hold(sheets_);
  return sheetList_[index];
}

int TBiffWorkbook::AddXF(std::unique_ptr<TBiffXF> xf) {
  const std::uint32_t hash = xf->GetHashCode();
  std::lock_guard<rtl::TCriticalSection> hold(xfs_);
  auto* found = static_cast<TBiffXF*>(
      xfIndex_.FindOrAdd(hash, xf.get(), [&xf](void* other) { return static_cast<TBiffXF*>(other)->Equals(*xf); }));
  if (found) return found->ListIndex;
  xf->ListIndex = xfList_.Count();
  return xfList_.Add(std::move(xf));
}

int TBiffWorkbook::AddFont(std::unique_ptr<TBiffFont> font) {
  const std::uint32_t hash = font->GetHashCode();
  std::lock_guard<rtl::TCriticalSection> hold(fonts_);
  auto* found = static_cast<TBiffFont*>(fontIndex_.FindOrAdd(
      hash, font.get(), [&font](void* other) { return static_cast<TBiffFont*>(other)->Equals(*font); }));
  int index;
  if (found) {
    index = found->ListIndex;
  } else {
    font->ListIndex = fontList_.Count();
    index = fontList_.Add(std::move(font));
    fontCount_ = fontList_.Count();
  }
  return index <= 3 ? index : index + 1;  // BIFF8 has no font 4
}

TBiffFont* TBiffWorkbook::GetFont(int listIndex) {
  if (listIndex < 0 || listIndex >= GetFontsCount()) return nullptr;
  std::lock_guard<rtl::TCriticalSection> hold(fonts_);
  return fontList_[listIndex];
}

int TBiffWorkbook::AddFormat(const WideString& code, int number) {
  if (code.empty()) return 0;
  std::lock_guard<rtl::TCriticalSection> hold(formats_);
  for (const auto& f : formatList_) {
    if (number >= 0 && number == f->FormatNumber)
      throw rtl::Exception(rtl::Format("Format #%d already exists", {number}));
    if (f->Text() == code) return f->FormatNumber;
  }
  auto f = std::make_unique<TBiffUCS>(code, true);
  f->FormatNumber = number < 0 ? 164 + formatList_.Count() : number;
  const int result = f->FormatNumber;
  formatList_.Add(std::move(f));
  return result;
}

int TBiffWorkbook::AddString(const WideString& text) { return AddString(std::make_unique<TBiffUCS>(text, true)); }

int TBiffWorkbook::AddString(std::unique_ptr<TBiffUCS> string) {
  const std::uint32_t hash = string->GetHashCode();
  std::lock_guard<rtl::TCriticalSection> hold(sst_);
  // The formatting runs belong to the entry: the same text with other runs
  // is another string.
  auto* found = static_cast<TBiffUCS*>(stringIndex_.FindOrAdd(hash, string.get(), [&string](void* other) {
    auto* o = static_cast<TBiffUCS*>(other);
    return o->Text() == string->Text() && o->Runs() == string->Runs();
  }));
  if (found) return found->TableIndex;
  string->TableIndex = strings_.Count();
  return strings_.Add(std::move(string));
}

int TBiffWorkbook::StringsCount() {
  std::lock_guard<rtl::TCriticalSection> hold(sst_);
  int total = 0;
  for (const auto& s : sheetList_) total += s->StringCellCount();
  return total;
}

int TBiffWorkbook::UniqueStringsCount() {
  std::lock_guard<rtl::TCriticalSection> hold(sst_);
  return strings_.Count();
}

const TBiffUCS* TBiffWorkbook::GetString(int index) {
  std::lock_guard<rtl::TCriticalSection> hold(sst_);
  return index >= 0 && index < strings_.Count() ? strings_[index] : nullptr;
}

int TBiffWorkbook::AddStyle(std::unique_ptr<TBiffStyle> style) {
  std::lock_guard<rtl::TCriticalSection> hold(styles_);
  return styleList_.Add(std::move(style));
}

int TBiffWorkbook::AddColor(std::uint32_t color) {
  std::lock_guard<rtl::TCriticalSection> hold(colors_);
  return AddColorInternal(color);
}

int TBiffWorkbook::AddColorInternal(std::uint32_t color) {
  const std::uint32_t c = gfx::ColorToRGB(static_cast<gfx::TColor>(color)) & 0xFFFFFF;
  int r = -1;
  if (paletteCount_ >= 8) r = 7 + NearestColor(palette_.data() + 7, paletteCount_ - 7, c);
  if (r >= 0 && (palette_[static_cast<std::size_t>(r)] == c || paletteCount_ == 64)) return r;
  palette_[static_cast<std::size_t>(paletteCount_)] = c;
  return paletteCount_++;
}

int TBiffWorkbook::AddBlip(std::unique_ptr<TEscherPicture> picture) {
  std::lock_guard<rtl::TCriticalSection> hold(pictures_);
  TEscherBlip* blip = pictureStore_.AddImage(std::move(picture));
  ++blip->RefCount;
  return blip->Index;
}

int TBiffWorkbook::AddBitmap(int blipType, rtl::TStream& stream) {
  auto picture = std::make_unique<TEscherBitmap>(blipType);
  stream.SetPosition(0);
  picture->CopyFrom(stream, stream.Size());
  return AddBlip(std::move(picture));
}

int TBiffWorkbook::AddMetafile(const std::string& emfBytes, int widthPx, int heightPx) {
  auto picture = std::make_unique<TEscherMetafile>();
  picture->WriteBuffer(emfBytes.data(), static_cast<std::int64_t>(emfBytes.size()));
  picture->Bounds[2] = widthPx;
  picture->Bounds[3] = heightPx;
  picture->SizeX = static_cast<std::int32_t>(std::lround(widthPx * 9525.0));
  picture->SizeY = static_cast<std::int32_t>(std::lround(heightPx * 9525.0));
  return AddBlip(std::move(picture));
}

TEscherGroup* TBiffWorkbook::AddDrawingGroup() {
  std::lock_guard<rtl::TCriticalSection> hold(pictures_);
  return pictureStore_.AddGroup();
}

TEscherShape* TBiffWorkbook::AddShape(TEscherGroup* group) {
  std::lock_guard<rtl::TCriticalSection> hold(pictures_);  // shape ids may need a new id cluster
  return group->Add();
}

TBiffLinkTable* TBiffWorkbook::GetLinkTable() {
  std::call_once(linkTableOnce_, [this] { linkTable_ = std::make_unique<TBiffLinkTable>(); });
  return linkTable_.get();
}

void TBiffWorkbook::SetPassword(const WideString& password) {
  if (password.empty()) {
    encryption_.reset();
    return;
  }
  if (!encryption_) encryption_ = std::make_unique<TBiffRC4>(encryptionSeed_);
  std::string bytes;
  for (char16_t c : password) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  encryption_->Prepare(bytes.data(), static_cast<int>(bytes.size()));
}

void TBiffWorkbook::Flush(TBiffStream& stream) {
  stream.AddBOF(0x0005);
  if (encryption_) encryption_->Flush(stream);
  U16Record(stream, 0x00E1, 1200);
  U16Record(stream, 0x00C1, 0);
  stream.Add(0x00E2);
  TBiffRecord access = stream.Add(0x005C);
  access.WriteConst(2, 2);
  access.WriteConst(0, 2);
  const std::string blanks(108, ' ');
  access.Write(blanks.data(), 108);
  U16Record(stream, 0x0042, 1200);
  U16Record(stream, 0x0161, 0);
  const int sheets = sheetList_.Count();
  if (sheets <= 4112) {
    TBiffRecord tabs = stream.Add(0x013D);
    for (int i = 1; i <= sheets; ++i) tabs.WriteConst(static_cast<std::uint32_t>(i), 2);
  }
  for (int id : {0x0019, 0x0012, 0x0013, 0x01AF, 0x01BC}) U16Record(stream, id, 0);
  Window.Flush(stream);
  U16Record(stream, 0x0040, 0);
  U16Record(stream, 0x008D, 0);
  U16Record(stream, 0x0022, 0);
  U16Record(stream, 0x000E, 1);
  U16Record(stream, 0x01B7, 0);
  U16Record(stream, 0x00DA, 0);
  FlushList(fontList_, stream);
  for (const auto& f : formatList_) {
    stream.Add(0x041E).WriteConst(static_cast<std::uint32_t>(f->FormatNumber), 2);
    TBiffUCS code(f->Text(), true);
    code.Flush(stream);
  }
  FlushList(xfList_, stream);
  FlushList(styleList_, stream);
  TBiffRecord palette = stream.Add(0x0092);
  palette.WriteConst(56, 2);
  for (int i = 8; i < 64; ++i) palette.WriteConst(palette_[static_cast<std::size_t>(i)], 4);
  U16Record(stream, 0x0160, 0);
  for (const auto& sheet : sheetList_) {
    sheet->BoundSheetRecord = stream.Add(0x0085);
    sheet->BoundSheetRecord.WriteConst(0, 4);
    sheet->BoundSheetRecord.WriteConst(sheet->Visibility, 1);
    sheet->BoundSheetRecord.WriteConst(static_cast<std::uint32_t>(sheet->SheetType), 1);
    TBiffUCS name(sheet->Name, false);
    name.Flush(stream);
  }
  TBiffRecord country = stream.Add(0x008C);
  country.WriteConst(7, 2);
  country.WriteConst(7, 2);
  if (!pictureStore_.Empty()) {
    TEscherStream tree;
    pictureStore_.Flush(tree);
    FlushDrawing(stream, 0x00EB, tree);
  }
  if (strings_.Count() > 0) {
    TBiffRecord sst = stream.Add(0x00FC);
    sst.WriteConst(static_cast<std::uint32_t>(StringsCount()), 4);
    sst.WriteConst(static_cast<std::uint32_t>(strings_.Count()), 4);
    FlushList(strings_, stream);
  }
  if (linkTable_) {
    linkTable_->SheetCount = sheets;
    for (int i = 0; i < sheets; ++i) linkTable_->SetSheetIndex(rtl::WideToAnsi(sheetList_[i]->Name), i);
    linkTable_->Flush(stream);
  }
  stream.AddEOF();
  for (const auto& sheet : sheetList_) {
    sheet->BoundSheetRecord.WriteBytes(0, static_cast<std::uint32_t>(stream.GetSize()), 4);
    sheet->Flush(stream);
  }
  if (encryption_) encryption_->EncryptStream(stream);
}

}  // namespace report
