// Font matching (fontconfig), metrics and outlines (FreeType), shaping
// (HarfBuzz). Faces are opened once and kept for the life of the process;
// instances (a face at a pixel size) are cached by request.
#include "platform/gfx/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include "platform/rtl/textcase.h"
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/rtl/strings.h"

namespace gfx {

namespace {

std::recursive_mutex& EngineMutex() {
  static std::recursive_mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return lib;
}

std::string Lower(std::string_view s) { return rtl::LowerCase(s); }

// Metric-compatible families for the names documents use, tried before
// fontconfig's own rules so the choice does not depend on its configuration.
const char* KnownSubstitute(const std::string& lowerFamily) {
  static const std::map<std::string, const char*> table = {
      {"times new roman", "Liberation Serif"},
      {"times", "Liberation Serif"},
      {"arial", "Liberation Sans"},
      {"helvetica", "Liberation Sans"},
      {"ms sans serif", "Liberation Sans"},
      {"microsoft sans serif", "Liberation Sans"},
      {"arial narrow", "Liberation Sans Narrow"},
      {"courier new", "Liberation Mono"},
      {"courier", "Liberation Mono"},
      {"tahoma", "DejaVu Sans"},
      {"verdana", "DejaVu Sans"},
      {"wingdings", "DejaVu Sans"},
      {"symbol", "DejaVu Sans"},
      // Older Cyrillic editions of the same families.
      {"times new roman cyr", "Liberation Serif"},
      {"arial cyr", "Liberation Sans"},
      {"courier new cyr", "Liberation Mono"},
      {"ms serif", "Liberation Serif"},
  };
  auto it = table.find(lowerFamily);
  return it == table.end() ? nullptr : it->second;
}

// The few symbol-font codes documents draw (check-box marks, bullets) and
// their Unicode equivalents in ordinary fonts.
char32_t WingdingsToUnicode(char32_t c) {
  switch (c & 0xFF) {
    case 0x6C: return 0x25CF;  // black circle
    case 0x6E: return 0x25A0;  // black square
    case 0x6F: return 0x25A1;  // white square
    case 0x71: return 0x2751;
    case 0x9F: return 0x2022;  // bullet
    case 0xA8: return 0x25FB;
    case 0xD8: return 0x27A2;
    case 0xE0: return 0x2192;
    case 0xFB: return 0x2718;  // heavy ballot X
    case 0xFC: return 0x2714;  // heavy check mark
    case 0xFD: return 0x2612;  // ballot box with X
    case 0xFE: return 0x2611;  // ballot box with check
    default: return c & 0xFF;
  }
}

// The symbol font's Greek letters and mathematical signs at their Unicode places.
char32_t SymbolToUnicode(char32_t c) {
  static const char16_t upper[26] = {0x391, 0x392, 0x3A7, 0x394, 0x395, 0x3A6, 0x393, 0x397, 0x399,
                                     0x3D1, 0x39A, 0x39B, 0x39C, 0x39D, 0x39F, 0x3A0, 0x398, 0x3A1,
                                     0x3A3, 0x3A4, 0x3A5, 0x3C2, 0x3A9, 0x39E, 0x3A8, 0x396};
  static const char16_t lower[26] = {0x3B1, 0x3B2, 0x3C7, 0x3B4, 0x3B5, 0x3C6, 0x3B3, 0x3B7, 0x3B9,
                                     0x3D5, 0x3BA, 0x3BB, 0x3BC, 0x3BD, 0x3BF, 0x3C0, 0x3B8, 0x3C1,
                                     0x3C3, 0x3C4, 0x3C5, 0x3D6, 0x3C9, 0x3BE, 0x3C8, 0x3B6};
  const char32_t b = c & 0xFF;
  if (b >= 'A' && b <= 'Z') return upper[b - 'A'];
  if (b >= 'a' && b <= 'z') return lower[b - 'a'];
  switch (b) {
    case 0xA3: return 0x2264;
    case 0xA5: return 0x221E;
    case 0xB0: return 0x00B0;
    case 0xB1: return 0x00B1;
    case 0xB3: return 0x2265;
    case 0xB4: return 0x00D7;
    case 0xB6: return 0x2202;
    case 0xB8: return 0x00F7;
    case 0xB9: return 0x2260;
    case 0xBB: return 0x2248;
    case 0xD6: return 0x221A;
    case 0xE5: return 0x2211;
    default: return b;
  }
}

// ---- faces

struct Face {
  std::string path;
  int index = 0;
  FT_Face ft = nullptr;
  hb_font_t* hb = nullptr;                 // unscaled: positions in font units
  std::vector<std::int32_t> advanceUnits;  // per glyph, -1 until read
  std::string bytes;                       // the file, read when asked for
  bool bytesRead = false;
};

std::map<std::pair<std::string, int>, std::unique_ptr<Face>>& Faces() {
  static std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces;
  return faces;
}

Face* OpenFace(const std::string& path, int index) {
  auto key = std::make_pair(path, index);
  auto& faces = Faces();
  auto it = faces.find(key);
  if (it != faces.end()) return it->second.get();
  FT_Face ft = nullptr;
  if (FT_New_Face(Library(), path.c_str(), index, &ft) != 0 || !ft) return nullptr;
  auto f = std::make_unique<Face>();
  f->path = path;
  f->index = index;
  f->ft = ft;
  // HarfBuzz reads the tables itself; positions come out in font units.
  hb_face_t* hbFace = hb_ft_face_create_referenced(ft);
  f->hb = hb_font_create(hbFace);
  hb_face_destroy(hbFace);
  hb_font_set_scale(f->hb, ft->units_per_EM, ft->units_per_EM);
  f->advanceUnits.assign(static_cast<std::size_t>(ft->num_glyphs), -1);
  Face* raw = f.get();
  faces.emplace(key, std::move(f));
  return raw;
}

struct Match {
  std::string path;
  int index = 0;
  std::string family;
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

bool FcMatchFamily(const std::string& family, bool bold, bool italic, Match& out) {
  static bool inited = FcInit();
  (void)inited;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* m = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!m) return false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    FcPatternGetInteger(m, FC_INDEX, 0, &index);
    FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(m, FC_SLANT, 0, &slant);
    if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch) out.family = reinterpret_cast<char*>(fam);
    out.path = reinterpret_cast<char*>(file);
    out.index = index & 0xFFFF;
    out.syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    out.syntheticItalic = italic && slant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(m);
  return ok;
}

Match MatchFont(const std::string& family, bool bold, bool italic) {
  Match m;
  const char* sub = KnownSubstitute(Lower(family));
  if (sub && FcMatchFamily(sub, bold, italic, m) && Lower(m.family) == Lower(sub)) return m;
  if (FcMatchFamily(family.empty() ? std::string("sans-serif") : family, bold, italic, m)) return m;
  FcMatchFamily("sans-serif", bold, italic, m);
  return m;
}

int RoundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

std::string Utf16BeToUtf8(const FT_Byte* s, FT_UInt len) {
  std::u16string w;
  for (FT_UInt i = 0; i + 1 < len; i += 2) w.push_back(static_cast<char16_t>((s[i] << 8) | s[i + 1]));
  return rtl::WideToUtf8(w);
}

std::string SfntName(FT_Face face, FT_UShort nameId) {
  FT_UInt n = FT_Get_Sfnt_Name_Count(face);
  std::string fallback;
  for (FT_UInt i = 0; i < n; ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != nameId) continue;
    if (name.platform_id == TT_PLATFORM_MICROSOFT && name.language_id == 0x409)
      return Utf16BeToUtf8(name.string, name.string_len);
    if (fallback.empty() && name.platform_id == TT_PLATFORM_MACINTOSH)
      fallback.assign(reinterpret_cast<const char*>(name.string), name.string_len);
  }
  return fallback;
}

std::uint32_t ReadU32(const std::string& s, std::size_t at) {
  if (at + 4 > s.size()) return 0;
  auto b = reinterpret_cast<const unsigned char*>(s.data()) + at;
  return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}
std::uint16_t ReadU16(const std::string& s, std::size_t at) {
  if (at + 2 > s.size()) return 0;
  auto b = reinterpret_cast<const unsigned char*>(s.data()) + at;
  return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}
void PutU32(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v >> 24);
  s[at + 1] = static_cast<char>(v >> 16);
  s[at + 2] = static_cast<char>(v >> 8);
  s[at + 3] = static_cast<char>(v);
}
void PutU16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v >> 8);
  s[at + 1] = static_cast<char>(v);
}

std::uint32_t TableChecksum(const std::string& s, std::size_t at, std::size_t len) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < len; i += 4) {
    std::uint32_t w = 0;
    for (std::size_t k = 0; k < 4; ++k)
      w = (w << 8) | (at + i + k < s.size() && i + k < len ? static_cast<unsigned char>(s[at + i + k]) : 0);
    sum += w;
  }
  return sum;
}

struct TableEntry {
  std::uint32_t tag, checksum, offset, length;
};

// The table directory of the face at `dirOffset` of a font file.
bool ReadDirectory(const std::string& file, std::size_t dirOffset, std::uint32_t& version,
                   std::vector<TableEntry>& tables) {
  if (dirOffset + 12 > file.size()) return false;
  version = ReadU32(file, dirOffset);
  std::uint16_t n = ReadU16(file, dirOffset + 4);
  if (dirOffset + 12 + std::size_t(n) * 16 > file.size()) return false;
  tables.clear();
  for (std::uint16_t i = 0; i < n; ++i) {
    std::size_t e = dirOffset + 12 + std::size_t(i) * 16;
    TableEntry t{ReadU32(file, e), ReadU32(file, e + 4), ReadU32(file, e + 8), ReadU32(file, e + 12)};
    if (std::size_t(t.offset) + t.length > file.size()) return false;
    tables.push_back(t);
  }
  return true;
}

// One face as a standalone font file: the tables of its directory copied
// after a fresh directory, 4-byte aligned, with the whole-file checksum in
// 'head' recomputed.
std::string BuildStandalone(const std::string& file, std::uint32_t version, const std::vector<TableEntry>& tables) {
  std::vector<TableEntry> sorted = tables;
  std::sort(sorted.begin(), sorted.end(), [](const TableEntry& a, const TableEntry& b) { return a.tag < b.tag; });
  const std::uint16_t n = static_cast<std::uint16_t>(sorted.size());
  std::uint16_t entrySelector = 0;
  while ((1u << (entrySelector + 1)) <= n) ++entrySelector;
  const std::uint16_t searchRange = static_cast<std::uint16_t>((1u << entrySelector) * 16);
  std::string out(12 + std::size_t(n) * 16, '\0');
  PutU32(out, 0, version);
  PutU16(out, 4, n);
  PutU16(out, 6, searchRange);
  PutU16(out, 8, entrySelector);
  PutU16(out, 10, static_cast<std::uint16_t>(n * 16 - searchRange));
  std::size_t headAt = 0;
  for (std::uint16_t i = 0; i < n; ++i) {
    const auto& t = sorted[i];
    std::size_t at = out.size();
    out.append(file, t.offset, t.length);
    out.append((4 - out.size() % 4) % 4, '\0');
    if (t.tag == TFontInstance::MakeTag("head")) {
      headAt = at;
      if (t.length >= 12) PutU32(out, at + 8, 0);
    }
    std::size_t e = 12 + std::size_t(i) * 16;
    PutU32(out, e, t.tag);
    PutU32(out, e + 4, TableChecksum(out, at, t.length));
    PutU32(out, e + 8, static_cast<std::uint32_t>(at));
    PutU32(out, e + 12, t.length);
  }
  if (headAt) PutU32(out, headAt + 8, 0xB1B0AFBAu - TableChecksum(out, 0, out.size()));
  return out;
}

struct RequestHash {
  std::size_t operator()(const TFontRequest& r) const {
    std::size_t h = std::hash<std::string>()(r.family);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(static_cast<std::size_t>(r.height));
    mix(static_cast<std::size_t>(r.weight));
    mix(r.italic | (r.underline << 1) | (r.strikeOut << 2));
    mix(r.charset);
    mix(r.pitch);
    mix(static_cast<std::size_t>(r.escapement));
    return h;
  }
};

// A bounded cache: the least recently used instances go first.
struct InstanceCache {
  static constexpr std::size_t kLimit = 512;
  std::list<std::pair<TFontRequest, TFontInstancePtr>> order;
  std::unordered_map<TFontRequest, decltype(order)::iterator, RequestHash> index;
};
InstanceCache& Cache() {
  static InstanceCache c;
  return c;
}

}  // namespace

// ------------------------------------------------------------------ Impl

struct TFontInstance::Impl {
  TFontRequest request;
  Face* face = nullptr;
  std::string family;
  double ppem = 16;
  double scale = 1;  // pixels per font unit
  bool synthBold = false;
  bool synthItalic = false;
  char32_t (*symbolMap)(char32_t) = nullptr;  // a symbol family drawn with an ordinary font
  bool nativeSymbol = false;                  // the face has a symbol cmap (U+F0xx)
  TTextMetric tm;
  TOutlineTextMetric otm;
  mutable std::vector<std::int32_t> charGlyph;  // glyph per code below kDirect, -1 unknown
  // Advance in pixels per code below kDirect, -1 unknown: text layout measures
  // the same Latin and Cyrillic letters of one face, size and style over and
  // over, so each is worked out once.
  mutable std::vector<std::int32_t> charPixels;
  static constexpr char32_t kDirect = 0x500;

  std::uint32_t Glyph(char32_t ch) const {
    if (symbolMap) ch = symbolMap(ch);
    if (ch < kDirect && charGlyph[ch] >= 0) return static_cast<std::uint32_t>(charGlyph[ch]);
    std::uint32_t g = FT_Get_Char_Index(face->ft, ch);
    if (!g && nativeSymbol && ch < 0x100) g = FT_Get_Char_Index(face->ft, 0xF000 + ch);
    if (ch < kDirect) charGlyph[ch] = static_cast<std::int32_t>(g);
    return g;
  }
  int Units(std::uint32_t glyph) const {
    if (glyph >= face->advanceUnits.size()) return 0;
    auto& a = face->advanceUnits[glyph];
    if (a < 0) {
      FT_Fixed adv = 0;
      FT_Get_Advance(face->ft, glyph, FT_LOAD_NO_SCALE, &adv);
      a = static_cast<std::int32_t>(adv);
    }
    return a;
  }
  int Pixels(std::uint32_t glyph) const {
    int px = RoundHalfUp(Units(glyph) * scale);
    if (synthBold && px > 0) ++px;
    return px;
  }
  int CharPixels(char32_t ch) const {
    if (ch >= kDirect) return Pixels(Glyph(ch));
    std::int32_t& px = charPixels[ch];
    if (px < 0) px = Pixels(Glyph(ch));
    return px;
  }
};

TFontRequest TFontRequest::FromFont(const TFont& font) {
  TFontRequest r;
  r.family = rtl::AnsiToUtf8(font.Name());
  r.height = font.Height();
  r.weight = font.Style().Contains(fsBold) ? 700 : 400;
  r.italic = font.Style().Contains(fsItalic);
  r.underline = font.Style().Contains(fsUnderline);
  r.strikeOut = font.Style().Contains(fsStrikeOut);
  r.charset = font.Charset();
  r.pitch = font.Pitch();
  r.escapement = font.Orientation();
  return r;
}

TFontInstance::TFontInstance(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TFontInstance::~TFontInstance() = default;

namespace {

std::unique_ptr<TFontInstance::Impl> BuildInstance(const TFontRequest& req, const Match* given = nullptr) {
  auto p = std::make_unique<TFontInstance::Impl>();
  p->request = req;
  const bool bold = req.weight >= 600;
  Match m = given ? *given : MatchFont(req.family, bold, req.italic);
  p->face = m.path.empty() ? nullptr : OpenFace(m.path, m.index);
  if (p->face && m.family.empty() && p->face->ft->family_name) m.family = p->face->ft->family_name;
  if (!p->face) {
    Match fallback;
    FcMatchFamily("DejaVu Sans", bold, req.italic, fallback);
    p->face = OpenFace(fallback.path, fallback.index);
    m = fallback;
  }
  p->family = m.family;
  p->synthBold = m.syntheticBold;
  p->synthItalic = m.syntheticItalic;
  std::string lf = Lower(req.family);
  if (Lower(m.family) != lf) {
    if (lf == "wingdings")
      p->symbolMap = WingdingsToUnicode;
    else if (lf == "symbol")
      p->symbolMap = SymbolToUnicode;
  }
  FT_Face ft = p->face ? p->face->ft : nullptr;
  if (ft) {
    for (int i = 0; i < ft->num_charmaps; ++i)
      if (ft->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) p->nativeSymbol = true;
    if (FT_Select_Charmap(ft, FT_ENCODING_UNICODE) != 0 && p->nativeSymbol)
      FT_Select_Charmap(ft, FT_ENCODING_MS_SYMBOL);
  }
  p->charGlyph.assign(TFontInstance::Impl::kDirect, -1);
  p->charPixels.assign(TFontInstance::Impl::kDirect, -1);

  const double upem = ft && ft->units_per_EM ? ft->units_per_EM : 2048;
  auto* os2 = ft ? static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)) : nullptr;
  auto* hhea = ft ? static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA)) : nullptr;
  auto* post = ft ? static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(ft, FT_SFNT_POST)) : nullptr;
  const double winAsc = os2 ? os2->usWinAscent : (ft ? ft->ascender : upem * 0.9);
  const double winDesc = os2 ? os2->usWinDescent : (ft ? -ft->descender : upem * 0.2);
  if (req.height < 0)
    p->ppem = -static_cast<double>(req.height);
  else if (req.height > 0)
    p->ppem = req.height * upem / std::max(1.0, winAsc + winDesc);
  else
    p->ppem = 16;
  p->ppem = std::min(p->ppem, 1e7);  // keeps every metric within int
  p->scale = p->ppem / upem;
  const double s = p->scale;

  TTextMetric& tm = p->tm;
  tm.tmAscent = RoundHalfUp(winAsc * s);
  tm.tmDescent = RoundHalfUp(winDesc * s);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - RoundHalfUp(p->ppem));
  if (hhea) {
    double gap = (hhea->Ascender - hhea->Descender + hhea->Line_Gap) - (winAsc + winDesc);
    tm.tmExternalLeading = std::max(0, RoundHalfUp(gap * s));
  }
  tm.tmAveCharWidth = os2 ? RoundHalfUp(os2->xAvgCharWidth * s) : RoundHalfUp(p->ppem / 2);
  tm.tmMaxCharWidth = hhea ? RoundHalfUp(hhea->advance_Width_Max * s) : RoundHalfUp(p->ppem);
  tm.tmWeight = p->synthBold ? 700 : (os2 ? os2->usWeightClass : req.weight);
  tm.tmItalic = req.italic;
  tm.tmUnderlined = req.underline;
  tm.tmStruckOut = req.strikeOut;
  const bool fixedPitch = post && post->isFixedPitch;
  tm.tmPitchAndFamily = static_cast<std::uint8_t>((fixedPitch ? 0 : 1) | 2 | 4 | (fixedPitch ? 0x30 : 0));
  if (req.charset == SYMBOL_CHARSET || p->nativeSymbol || p->symbolMap != nullptr)
    tm.tmCharSet = SYMBOL_CHARSET;
  else
    tm.tmCharSet = req.charset == DEFAULT_CHARSET ? TFontCharset(RUSSIAN_CHARSET) : req.charset;
  if (os2) {
    tm.tmFirstChar = os2->usFirstCharIndex;
    tm.tmLastChar = os2->usLastCharIndex;
    if (os2->version >= 2 && os2->usDefaultChar) tm.tmDefaultChar = os2->usDefaultChar;
    if (os2->version >= 2 && os2->usBreakChar) tm.tmBreakChar = os2->usBreakChar;
  }

  TOutlineTextMetric& o = p->otm;
  o.otmTextMetrics = tm;
  o.otmEMSquare = static_cast<unsigned>(upem);
  if (os2) {
    o.otmfsSelection = os2->fsSelection;
    o.otmfsType = os2->fsType;
    o.otmAscent = RoundHalfUp(os2->sTypoAscender * s);
    o.otmDescent = RoundHalfUp(os2->sTypoDescender * s);
    o.otmLineGap = static_cast<unsigned>(std::max(0, RoundHalfUp(os2->sTypoLineGap * s)));
    if (os2->version >= 2) {
      o.otmsCapEmHeight = static_cast<unsigned>(std::max(0, RoundHalfUp(os2->sCapHeight * s)));
      o.otmsXHeight = static_cast<unsigned>(std::max(0, RoundHalfUp(os2->sxHeight * s)));
    }
    o.otmsStrikeoutSize = static_cast<unsigned>(std::max(1, RoundHalfUp(os2->yStrikeoutSize * s)));
    o.otmsStrikeoutPosition = RoundHalfUp(os2->yStrikeoutPosition * s);
  }
  if (ft) {
    o.otmrcFontBox = {RoundHalfUp(ft->bbox.xMin * s), RoundHalfUp(ft->bbox.yMax * s), RoundHalfUp(ft->bbox.xMax * s),
                      RoundHalfUp(ft->bbox.yMin * s)};
  }
  if (hhea) {
    o.otmMacAscent = RoundHalfUp(hhea->Ascender * s);
    o.otmMacDescent = RoundHalfUp(hhea->Descender * s);
    o.otmMacLineGap = static_cast<unsigned>(std::max(0, RoundHalfUp(hhea->Line_Gap * s)));
    o.otmsCharSlopeRise = hhea->caret_Slope_Rise;
    o.otmsCharSlopeRun = hhea->caret_Slope_Run;
  }
  if (post) {
    o.otmItalicAngle = static_cast<int>(std::lround(post->italicAngle / 65536.0 * 10));
    o.otmsUnderscoreSize = std::max(1, RoundHalfUp(post->underlineThickness * s));
    o.otmsUnderscorePosition = RoundHalfUp(post->underlinePosition * s);
  }
  if (p->synthItalic && o.otmItalicAngle == 0) o.otmItalicAngle = -120;  // the renderer slants by about 12 degrees
  if (ft) {
    o.otmpFamilyName = SfntName(ft, TT_NAME_ID_FONT_FAMILY);
    o.otmpStyleName = SfntName(ft, TT_NAME_ID_FONT_SUBFAMILY);
    o.otmpFaceName = SfntName(ft, TT_NAME_ID_FULL_NAME);
    o.otmpFullName = SfntName(ft, TT_NAME_ID_UNIQUE_ID);
  }
  return p;
}

}  // namespace

TFontInstancePtr TFontInstance::Get(const TFontRequest& request) {
  std::lock_guard lock(EngineMutex());
  auto& cache = Cache();
  auto it = cache.index.find(request);
  if (it != cache.index.end()) {
    cache.order.splice(cache.order.begin(), cache.order, it->second);
    return it->second->second;
  }
  auto inst = std::make_shared<const TFontInstance>(BuildInstance(request));
  cache.order.emplace_front(request, inst);
  cache.index[request] = cache.order.begin();
  if (cache.order.size() > InstanceCache::kLimit) {
    cache.index.erase(cache.order.back().first);
    cache.order.pop_back();
  }
  return inst;
}

TFontInstancePtr TFontInstance::GetFromFile(const std::string& path, int faceIndex, const TFontRequest& request) {
  std::lock_guard lock(EngineMutex());
  Match m;
  m.path = path;
  m.index = faceIndex;
  if (!OpenFace(path, faceIndex)) return nullptr;
  return std::make_shared<const TFontInstance>(BuildInstance(request, &m));
}

std::string TFontInstance::ResolveFamily(const std::string& family, bool bold, bool italic) {
  std::lock_guard lock(EngineMutex());
  return MatchFont(family, bold, italic).family;
}

void TFontInstance::ClearCache() {
  std::lock_guard lock(EngineMutex());
  Cache().order.clear();
  Cache().index.clear();
}

const TFontRequest& TFontInstance::Request() const { return impl_->request; }
const std::string& TFontInstance::FamilyName() const { return impl_->family; }
const std::string& TFontInstance::FilePath() const { return impl_->face->path; }
int TFontInstance::FaceIndex() const { return impl_->face->index; }
double TFontInstance::PixelsPerEm() const { return impl_->ppem; }
bool TFontInstance::SyntheticBold() const { return impl_->synthBold; }
bool TFontInstance::SyntheticItalic() const { return impl_->synthItalic; }
bool TFontInstance::IsSymbolFont() const { return impl_->symbolMap != nullptr || impl_->nativeSymbol; }
const TTextMetric& TFontInstance::TextMetrics() const { return impl_->tm; }
const TOutlineTextMetric& TFontInstance::OutlineTextMetrics() const { return impl_->otm; }
void* TFontInstance::NativeFace() const { return impl_->face ? impl_->face->ft : nullptr; }

std::uint32_t TFontInstance::GlyphIndex(char32_t ch) const {
  std::lock_guard lock(EngineMutex());
  return impl_->Glyph(ch);
}

namespace {
// Walks UTF-16 units, calling f(index, code point, units) once per character.
template <class F>
void ForEachChar(std::u16string_view text, F f) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      f(i, c, 2);
      ++i;
    } else {
      f(i, c, 1);
    }
  }
}
}  // namespace

std::vector<std::uint32_t> TFontInstance::GlyphIndices(std::u16string_view text) const {
  std::lock_guard lock(EngineMutex());
  std::vector<std::uint32_t> out;
  ForEachChar(text, [&](std::size_t, char32_t c, int) { out.push_back(impl_->Glyph(c)); });
  return out;
}

int TFontInstance::GlyphAdvance(std::uint32_t glyph) const {
  std::lock_guard lock(EngineMutex());
  return impl_->Pixels(glyph);
}

int TFontInstance::GlyphAdvanceUnits(std::uint32_t glyph) const {
  std::lock_guard lock(EngineMutex());
  return impl_->Units(glyph);
}

int TFontInstance::CharAdvance(char32_t ch) const {
  std::lock_guard lock(EngineMutex());
  return impl_->CharPixels(ch);
}

std::vector<int> TFontInstance::Advances(std::u16string_view text) const {
  std::lock_guard lock(EngineMutex());
  std::vector<int> out(text.size(), 0);
  ForEachChar(text, [&](std::size_t i, char32_t c, int) { out[i] = impl_->CharPixels(c); });
  return out;
}

int TFontInstance::TextWidth(std::u16string_view text) const {
  std::lock_guard lock(EngineMutex());
  int w = 0;
  ForEachChar(text, [&](std::size_t, char32_t c, int) { w += impl_->CharPixels(c); });
  return w;
}

TSize TFontInstance::TextExtent(std::u16string_view text) const { return {TextWidth(text), impl_->tm.tmHeight}; }

std::vector<TShapedGlyph> TFontInstance::Shape(std::u16string_view text, bool rightToLeft, bool kerning) const {
  std::lock_guard lock(EngineMutex());
  std::vector<TShapedGlyph> out;
  if (text.empty() || !impl_->face) return out;
  std::u16string mapped;
  if (impl_->symbolMap) {
    // The substitute font has the marks at their Unicode places.
    ForEachChar(text,
                [&](std::size_t, char32_t c, int) { mapped.push_back(static_cast<char16_t>(impl_->symbolMap(c))); });
    text = mapped;
  }
  hb_buffer_t* buf = hb_buffer_create();
  hb_buffer_add_utf16(buf, reinterpret_cast<const std::uint16_t*>(text.data()), static_cast<int>(text.size()), 0,
                      static_cast<int>(text.size()));
  hb_buffer_set_direction(buf, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_guess_segment_properties(buf);
  hb_buffer_set_direction(buf, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_feature_t kern{HB_TAG('k', 'e', 'r', 'n'), kerning ? 1u : 0u, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END};
  hb_shape(impl_->face->hb, buf, &kern, 1);
  unsigned n = 0;
  hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
  hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
  out.reserve(n);
  for (unsigned i = 0; i < n; ++i) {
    TShapedGlyph g;
    g.glyph = info[i].codepoint;
    g.cluster = info[i].cluster;
    // Whole-pixel advances as for measuring, unless shaping changed the advance.
    int units = pos[i].x_advance;
    g.advance = units == impl_->Units(g.glyph) ? impl_->Pixels(g.glyph) : RoundHalfUp(units * impl_->scale);
    g.xOffset = RoundHalfUp(pos[i].x_offset * impl_->scale);
    g.yOffset = -RoundHalfUp(pos[i].y_offset * impl_->scale);
    out.push_back(g);
  }
  hb_buffer_destroy(buf);
  return out;
}

namespace {
enum class Strength { Ltr, Rtl, Neutral };
Strength StrengthOf(char16_t c) {
  if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF))
    return Strength::Rtl;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
      (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c < 0x2000) || (c >= 0x3000 && c < 0xD800) || (c >= 0xF900 && c < 0xFB1D))
    return Strength::Ltr;
  return Strength::Neutral;
}
}  // namespace

std::vector<TFontInstance::TTextRun> TFontInstance::ItemizeLine(std::u16string_view text, bool rightToLeftBase) {
  // Strong directions first; a stretch of neutrals between two strong
  // characters of one direction takes it, any other the paragraph's.
  const std::size_t n = text.size();
  std::vector<int> dir(n, -1);  // 0 left to right, 1 right to left, -1 not yet known
  for (std::size_t i = 0; i < n; ++i) {
    Strength st = StrengthOf(text[i]);
    if (st != Strength::Neutral) dir[i] = st == Strength::Rtl;
  }
  const int base = rightToLeftBase ? 1 : 0;
  for (std::size_t i = 0; i < n;) {
    if (dir[i] >= 0) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && dir[j] < 0) ++j;
    const int before = i > 0 ? dir[i - 1] : base, after = j < n ? dir[j] : base;
    for (std::size_t k = i; k < j; ++k) dir[k] = before == after ? before : base;
    i = j;
  }
  std::vector<TTextRun> runs;
  for (std::uint32_t i = 0; i < n; ++i) {
    const bool rtl = dir[i] == 1;
    if (!runs.empty() && runs.back().rightToLeft == rtl)
      ++runs.back().length;
    else
      runs.push_back({i, 1, rtl});
  }
  // In a right-to-left paragraph the runs read from the right.
  if (rightToLeftBase) std::reverse(runs.begin(), runs.end());
  return runs;
}

std::vector<TShapedGlyph> TFontInstance::ShapeLine(std::u16string_view text, bool rightToLeftBase) const {
  std::vector<TShapedGlyph> out;
  for (const TTextRun& r : ItemizeLine(text, rightToLeftBase)) {
    std::vector<TShapedGlyph> g = Shape(text.substr(r.start, r.length), r.rightToLeft);
    for (auto& x : g) x.cluster += r.start;
    out.insert(out.end(), g.begin(), g.end());
  }
  return out;
}

std::string TFontInstance::FontData(std::uint32_t tableTag) const {
  std::lock_guard lock(EngineMutex());
  Face* f = impl_->face;
  if (!f) return {};
  if (!f->bytesRead) {
    std::ifstream in(f->path, std::ios::binary);
    f->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    f->bytesRead = true;
  }
  const std::string& file = f->bytes;
  std::size_t dir = 0;
  const bool collection = ReadU32(file, 0) == MakeTag("ttcf");
  if (collection) {
    std::uint32_t count = ReadU32(file, 8);
    if (static_cast<std::uint32_t>(f->index) >= count) return {};
    dir = ReadU32(file, 12 + std::size_t(f->index) * 4);
  }
  std::uint32_t version = 0;
  std::vector<TableEntry> tables;
  if (!ReadDirectory(file, dir, version, tables)) return {};
  if (tableTag != 0) {
    for (const auto& t : tables)
      if (t.tag == tableTag) return file.substr(t.offset, t.length);
    return {};
  }
  if (!collection) return file;
  return BuildStandalone(file, version, tables);
}

std::vector<TFontInstance::TPathCommand> TFontInstance::GlyphOutline(std::uint32_t glyph) const {
  std::lock_guard lock(EngineMutex());
  std::vector<TPathCommand> out;
  FT_Face ft = impl_->face ? impl_->face->ft : nullptr;
  if (!ft || FT_Load_Glyph(ft, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return out;
  if (ft->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return out;
  struct Ctx {
    std::vector<TPathCommand>* out;
    double s;
    double lastX = 0, lastY = 0;
    bool open = false;
  } ctx{&out, impl_->scale};
  FT_Outline_Funcs funcs{};
  funcs.move_to = [](const FT_Vector* to, void* u) {
    auto* c = static_cast<Ctx*>(u);
    if (c->open) c->out->push_back({TPathCommand::Close, 0, 0, 0, 0, 0, 0});
    c->lastX = to->x * c->s;
    c->lastY = -to->y * c->s;
    c->out->push_back({TPathCommand::Move, c->lastX, c->lastY, 0, 0, 0, 0});
    c->open = true;
    return 0;
  };
  funcs.line_to = [](const FT_Vector* to, void* u) {
    auto* c = static_cast<Ctx*>(u);
    c->lastX = to->x * c->s;
    c->lastY = -to->y * c->s;
    c->out->push_back({TPathCommand::Line, c->lastX, c->lastY, 0, 0, 0, 0});
    return 0;
  };
  funcs.conic_to = [](const FT_Vector* ctl, const FT_Vector* to, void* u) {
    auto* c = static_cast<Ctx*>(u);
    double qx = ctl->x * c->s, qy = -ctl->y * c->s, x = to->x * c->s, y = -to->y * c->s;
    c->out->push_back({TPathCommand::Cubic, c->lastX + 2.0 / 3 * (qx - c->lastX), c->lastY + 2.0 / 3 * (qy - c->lastY),
                       x + 2.0 / 3 * (qx - x), y + 2.0 / 3 * (qy - y), x, y});
    c->lastX = x;
    c->lastY = y;
    return 0;
  };
  funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* u) {
    auto* c = static_cast<Ctx*>(u);
    c->lastX = to->x * c->s;
    c->lastY = -to->y * c->s;
    c->out->push_back(
        {TPathCommand::Cubic, c1->x * c->s, -c1->y * c->s, c2->x * c->s, -c2->y * c->s, c->lastX, c->lastY});
    return 0;
  };
  FT_Outline_Decompose(&ft->glyph->outline, &funcs, &ctx);
  if (ctx.open) out.push_back({TPathCommand::Close, 0, 0, 0, 0, 0, 0});
  return out;
}

}  // namespace gfx
