// Composite fonts: each document font is a Type0 font over a CIDFontType2
// whose CIDs are the glyph ids of the face that measured and shaped the
// text, with glyph widths, a text map for extraction and, when embedded,
// that same face's font program.
#include <algorithm>
#include <cmath>

#include "export/vuzExportPDF.h"
#include "platform/gfx/font_subset.h"
#include "report/vuzGZip.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

// One em is 1000 pixels: advances and metrics read directly in glyph-space units.
constexpr int kEm = 1000;

const AnsiString kStylelessFonts[] = {
    "\x2D\x33\x20\xB4\xB7\xC3\xAF",
    "\x2D\x33\x20\x30\xB4\xB7\xC3\xAF",
    "\x2D\x33\x20\x0E\x1D",
    "\x2D\x33\x20\x30\x0E\x1D",
    "MS UI Gothic",
};

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Deflate(const std::string& plain) {
  rtl::TMemoryStream source(plain), dest;
  vuzDeflateStream(source, dest, gzFastest);
  return dest.Bytes();
}

AnsiString Hex4(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
  return text;
}

}  // namespace

bool vuzPDFStylelessFont(const AnsiString& name) {
  for (const AnsiString& listed : kStylelessFonts)
    if (SameTextIgnoringCase(listed, name)) return true;
  return false;
}

TfrxPDFFont::TfrxPDFFont(const gfx::TFont& source) {
  source_.Assign(&source);
  gfx::TFontRequest request = gfx::TFontRequest::FromFont(source);
  request.height = -kEm;
  request.underline = request.strikeOut = false;
  request.escapement = 0;
  instance_ = gfx::TFontInstance::Get(request);
  // A face of another family stands in for the named one (say Liberation Serif
  // for Times New Roman): only its own program can show its glyph ids.
  substitute_ = !SameTextIgnoringCase(instance_->FamilyName(), request.family);
}

bool TfrxPDFFont::EmbeddingAllowed() const {
  const unsigned fsType = instance_->OutlineTextMetrics().otmfsType;
  // Bit 1 alone: restricted licence, the font must not leave the system.
  return (fsType & 0x000F) != 0x0002;
}

void TfrxPDFFont::Use(std::uint32_t glyph, int advance, std::u16string text) {
  if (glyph > 0xFFFF) glyph = 0;
  if (slot_.size() <= glyph) slot_.resize(glyph + 1, -1);
  if (slot_[glyph] >= 0) return;
  slot_[glyph] = static_cast<std::int32_t>(glyphs_.size());
  glyphs_.push_back(static_cast<std::uint16_t>(glyph));
  widths_.push_back(advance);
  texts_.push_back(std::move(text));
}

std::u16string TfrxPDFFont::RemapString(std::u16string_view text, bool rightToLeft) {
  std::u16string codes;
  if (text.empty()) return codes;
  std::vector<gfx::TShapedGlyph> glyphs = instance_->ShapeLine(text, rightToLeft);
  if (glyphs.empty()) {
    // Shaping gave nothing: the nominal glyph of each character keeps the text.
    for (std::uint32_t i = 0; i < text.size(); ++i) {
      char32_t ch = text[i];
      const bool pair = ch >= 0xD800 && ch < 0xDC00 && i + 1 < text.size();
      if (pair) ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      gfx::TShapedGlyph g;
      g.glyph = instance_->GlyphIndex(ch);
      g.cluster = i;
      g.advance = instance_->GlyphAdvance(g.glyph);
      glyphs.push_back(g);
      if (pair) ++i;
    }
  }
  // The characters of a cluster run up to the next cluster's start: a
  // ligature maps back to all its characters, a right-to-left glyph to its own.
  std::vector<std::uint32_t> starts;
  starts.reserve(glyphs.size());
  for (const auto& g : glyphs) starts.push_back(g.cluster);
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  codes.reserve(glyphs.size());
  for (const auto& g : glyphs) {
    const auto next = std::upper_bound(starts.begin(), starts.end(), g.cluster);
    const std::uint32_t end = next == starts.end() ? static_cast<std::uint32_t>(text.size()) : *next;
    const std::uint32_t begin = std::min<std::uint32_t>(g.cluster, static_cast<std::uint32_t>(text.size()));
    Use(g.glyph, g.advance, std::u16string(text.substr(begin, end > begin ? end - begin : 0)));
    codes += static_cast<char16_t>(g.glyph > 0xFFFF ? 0 : g.glyph);
  }
  return codes;
}

AnsiString TfrxPDFFont::GetFontName() const {
  AnsiString name;
  for (char c : source_.Name()) {
    switch (c) {
      case ' ': name += "#20"; break;
      case '(': name += "#28"; break;
      case ')': name += "#29"; break;
      case '%': name += "#25"; break;
      case '<': name += "#3C"; break;
      case '>': name += "#3E"; break;
      case '[': name += "#5B"; break;
      case ']': name += "#5D"; break;
      case '{': name += "#7B"; break;
      case '}': name += "#7D"; break;
      case '/': name += "#2F"; break;
      case '#':  // else a reader takes it for the start of an escape
        name += "#23";
        break;
      default: name += c;
    }
  }
  const bool bold = source_.Style().Contains(gfx::fsBold), italic = source_.Style().Contains(gfx::fsItalic);
  if (!vuzPDFStylelessFont(source_.Name()) && (bold || italic)) {
    name += ",";
    if (bold) name += "Bold";
    if (italic) name += "Italic";
  }
  AnsiString out;
  for (unsigned char c : name) {
    if (c >= 128 || c < 33) {
      char text[4];
      std::snprintf(text, sizeof text, "#%02X", c);
      out += text;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string TfrxPDFFont::FontFile() const { return instance_->FontData(); }

// ---------------------------------------------------------------- the export's side

TfrxPDFFont& TfrxPDFExport::FontFor(const gfx::TFont& font) {
  const bool listed = vuzPDFStylelessFont(font.Name());
  const unsigned style = font.Style().Contains(gfx::fsBold) | (font.Style().Contains(gfx::fsItalic) << 1);
  for (auto& f : fonts_) {
    const gfx::TFont& s = f->Source();
    const unsigned fs = s.Style().Contains(gfx::fsBold) | (s.Style().Contains(gfx::fsItalic) << 1);
    if (s.Name() == font.Name() && (listed || fs == style)) return *f;
  }
  fonts_.push_back(std::make_unique<TfrxPDFFont>(font));
  TfrxPDFFont& f = *fonts_.back();
  f.Name = "/F" + std::to_string(fonts_.size() - 1);
  return f;
}

namespace {

// The six capital letters that name a cut-down program: the same glyphs give
// the same tag, so equal input gives equal files.
AnsiString SubsetTag(const std::vector<std::uint16_t>& glyphs) {
  std::uint32_t h = 2166136261u;
  for (std::uint16_t g : glyphs) h = (h ^ g) * 16777619u;
  AnsiString tag;
  for (int i = 0; i < 6; ++i, h /= 26) tag += static_cast<char>('A' + h % 26);
  return tag + "+";
}

}  // namespace

void TfrxPDFExport::WriteFont(TfrxPDFFont& font) {
  // The font program: when asked for, and always for a substitute face,
  // whose glyph ids a viewer can only draw with this very program. Only the
  // glyphs used go in; their ids stay, so the codes need no map.
  std::string program;
  bool subset = false;
  if ((EmbeddedFonts || font.IsSubstitute()) && font.EmbeddingAllowed()) {
    const std::vector<std::uint32_t> used(font.UsedGlyphs().begin(), font.UsedGlyphs().end());
    program = gfx::FontSubset(font.Instance(), used);
    subset = !program.empty();
    if (!subset) program = font.FontFile();
  }
  const AnsiString baseName = (subset ? SubsetTag(font.UsedGlyphs()) : AnsiString()) + font.GetFontName();
  const gfx::TOutlineTextMetric& otm = font.Instance().OutlineTextMetrics();
  const gfx::TTextMetric& tm = otm.otmTextMetrics;
  auto streamHead = [&](const std::string& data, std::size_t plainSize) {
    if (Compressed)
      WriteLn("<< /Length " + std::to_string(data.size()) + "  /Filter /FlateDecode /Length1 " +
              std::to_string(plainSize) + " >>");
    else
      WriteLn("<< /Length " + std::to_string(data.size()) + " /Length1 " + std::to_string(plainSize) + " >>");
  };

  int fileObject = 0;
  {
    if (!program.empty()) {
      fileObject = UpdateXRef();
      WriteLn(std::to_string(fileObject) + " 0 obj");
      std::string data = Compressed ? Deflate(program) : program;
      streamHead(data, program.size());
      WriteLn("stream");
      Write(CryptBytes(std::move(data), fileObject));
      WriteLn("");
      WriteLn("endstream");
      WriteLn("endobj");
    }
  }

  const int descriptor = UpdateXRef();
  WriteLn(std::to_string(descriptor) + " 0 obj");
  WriteLn("<<");
  WriteLn("/Type /FontDescriptor");
  WriteLn("/FontName /" + baseName);
  WriteLn("/FontFamily /" + baseName);
  WriteLn("/Flags 32");
  WriteLn("/FontBBox [" + std::to_string(otm.otmrcFontBox.Left) + " " + std::to_string(otm.otmrcFontBox.Bottom) + " " +
          std::to_string(otm.otmrcFontBox.Right) + " " + std::to_string(otm.otmrcFontBox.Top) + " ]");
  // The metrics hold tenths of a degree; the descriptor wants degrees.
  WriteLn("/ItalicAngle " + PdfNum(otm.otmItalicAngle / 10.0));
  WriteLn("/Ascent " + std::to_string(otm.otmAscent));
  WriteLn("/Descent " + std::to_string(otm.otmDescent));
  WriteLn("/Leading " + std::to_string(tm.tmInternalLeading));
  WriteLn("/CapHeight " + std::to_string(tm.tmHeight));
  WriteLn("/StemV " + std::to_string(vuzRoundEven(std::pow(tm.tmWeight / 65.0, 2)) + 50));
  WriteLn("/AvgWidth " + std::to_string(tm.tmAveCharWidth));
  WriteLn("/MxWidth " + std::to_string(tm.tmMaxCharWidth));
  WriteLn("/MissingWidth " + std::to_string(tm.tmAveCharWidth));
  if (fileObject) WriteLn("/FontFile2 " + std::to_string(fileObject) + " 0 R");
  WriteLn(">>");
  WriteLn("endobj");

  std::string cmap;
  auto line = [&](std::string_view text) {
    cmap.append(text);
    cmap.append("\r\n");
  };
  line("/CIDInit /ProcSet findresource begin");
  line("12 dict begin");
  line("begincmap");
  line("/CIDSystemInfo");
  line("<< /Registry (Adobe)");
  line("/Ordering (UCS)");
  line("/Supplement 0");
  line(">> def");
  AnsiString cmapName = baseName;
  std::replace(cmapName.begin(), cmapName.end(), ',', '+');
  line("/CMapName /" + cmapName + " def");
  line("/CMapType 2 def");
  line("1 begincodespacerange");
  line("<0000> <FFFF>");
  line("endcodespacerange");
  // At most 100 mappings a block, as CMap readers expect.
  const auto& glyphs = font.UsedGlyphs();
  const auto& texts = font.UsedText();
  std::vector<std::size_t> mapped;
  for (std::size_t i = 0; i < glyphs.size(); ++i)
    if (!texts[i].empty()) mapped.push_back(i);
  for (std::size_t from = 0; from < mapped.size(); from += 100) {
    const std::size_t to = std::min(mapped.size(), from + 100);
    line(std::to_string(to - from) + " beginbfchar");
    for (std::size_t j = from; j < to; ++j)
      line("<" + Hex4(glyphs[mapped[j]]) + "> <" + StrToHex(texts[mapped[j]]) + ">");
    line("endbfchar");
  }
  line("endcmap");
  line("CMapName currentdict /CMap defineresource pop");
  line("end");
  line("end");
  const int toUnicode = UpdateXRef();
  WriteLn(std::to_string(toUnicode) + " 0 obj");
  std::string data = Compressed ? Deflate(cmap) : cmap;
  streamHead(data, cmap.size());
  WriteLn("stream");
  Write(CryptBytes(std::move(data), toUnicode));
  if (Compressed) WriteLn("");
  WriteLn("endstream");
  WriteLn("endobj");

  const int systemInfo = UpdateXRef();
  WriteLn(std::to_string(systemInfo) + " 0 obj");
  WriteLn("<<");
  WriteLn("/Registry (Adobe) /Ordering (Identity) /Supplement 0");
  WriteLn(">>");
  WriteLn("endobj");

  const int descendant = UpdateXRef();
  WriteLn(std::to_string(descendant) + " 0 obj");
  WriteLn("<<");
  WriteLn("/Type /Font");
  WriteLn("/Subtype /CIDFontType2");
  WriteLn("/BaseFont /" + baseName);
  WriteLn("/CIDSystemInfo " + std::to_string(systemInfo) + " 0 R");
  WriteLn("/FontDescriptor " + std::to_string(descriptor) + " 0 R");
  AnsiString widths = "/W [ ";
  const auto& advances = font.Widths();
  for (std::size_t i = 0; i < glyphs.size(); ++i)
    widths += std::to_string(glyphs[i]) + " [" + std::to_string(advances[i]) + "] ";
  WriteLn(widths + "]");
  WriteLn(">>");
  WriteLn("endobj");

  SetXRef(font.ObjectNumber);
  WriteLn(std::to_string(font.ObjectNumber) + " 0 obj");
  WriteLn("<<");
  WriteLn("/Type /Font");
  WriteLn("/Subtype /Type0");
  WriteLn("/BaseFont /" + baseName);
  WriteLn("/Encoding /Identity-H");
  WriteLn("/DescendantFonts [" + std::to_string(descendant) + " 0 R]");
  WriteLn("/ToUnicode " + std::to_string(toUnicode) + " 0 R");
  WriteLn(">>");
  WriteLn("endobj");
}

}  // namespace report
