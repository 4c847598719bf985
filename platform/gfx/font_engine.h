// Fonts as the system measures, draws and embeds them. A TFontInstance is one
// matched face (fontconfig) at one pixel size (FreeType), shared through a
// cache. Measuring, drawing and the PDF export use the same instance, so the
// widths agree everywhere.
//
// Sizes follow the logical-font convention: a negative height is the em height
// in pixels, a positive one the cell height (ascent + descent). Advances are
// whole device pixels, each glyph's advance rounded on its own and without
// kerning, so that the width of a text is the sum of its character widths.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/types.h"

namespace gfx {

// Metrics of a font at its pixel size, integer pixels.
struct TTextMetric {
  int tmHeight = 0;  // ascent + descent
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;  // tmHeight - em height
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 400;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 96;
  int tmDigitizedAspectY = 96;
  char16_t tmFirstChar = 0x20;
  char16_t tmLastChar = 0xFFFC;
  char16_t tmDefaultChar = 0x1F;
  char16_t tmBreakChar = 0x20;
  std::uint8_t tmItalic = 0;
  std::uint8_t tmUnderlined = 0;
  std::uint8_t tmStruckOut = 0;
  std::uint8_t tmPitchAndFamily = 0;  // bit 0 set: variable pitch; bit 1: vector; bit 2: TrueType
  std::uint8_t tmCharSet = DEFAULT_CHARSET;
};

// Outline metrics, in pixels of the instance's size unless noted.
struct TOutlineTextMetric {
  TTextMetric otmTextMetrics;
  unsigned otmfsSelection = 0;  // OS/2 fsSelection
  unsigned otmfsType = 0;       // OS/2 fsType (embedding permissions)
  int otmsCharSlopeRise = 1;
  int otmsCharSlopeRun = 0;
  int otmItalicAngle = 0;       // tenths of a degree, negative for a forward slant
  unsigned otmEMSquare = 2048;  // font units per em
  int otmAscent = 0;            // typographic ascent
  int otmDescent = 0;           // typographic descent (negative below the baseline)
  unsigned otmLineGap = 0;
  unsigned otmsCapEmHeight = 0;
  unsigned otmsXHeight = 0;
  // Font box in pixels, y up: Left = x min, Top = y max, Right = x max,
  // Bottom = y min.
  TRect otmrcFontBox;
  int otmMacAscent = 0;
  int otmMacDescent = 0;
  unsigned otmMacLineGap = 0;
  unsigned otmusMinimumPPEM = 0;
  int otmsUnderscoreSize = 0;
  int otmsUnderscorePosition = 0;
  unsigned otmsStrikeoutSize = 0;
  int otmsStrikeoutPosition = 0;
  std::string otmpFamilyName;  // UTF-8
  std::string otmpFaceName;
  std::string otmpStyleName;
  std::string otmpFullName;
};

// What a font request asks for; built from a TFont or filled directly.
struct TFontRequest {
  std::string family = "Arial";  // UTF-8
  int height = -16;              // logical height in device pixels
  int weight = 400;              // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  TFontCharset charset = DEFAULT_CHARSET;
  TFontPitch pitch = fpDefault;
  int escapement = 0;  // tenths of a degree

  static TFontRequest FromFont(const TFont& font);
  friend bool operator==(const TFontRequest&, const TFontRequest&) = default;
};

// One shaped glyph: index in the face, the character (UTF-16 index) it came
// from, and its advance and offset in device pixels.
struct TShapedGlyph {
  std::uint32_t glyph = 0;
  std::uint32_t cluster = 0;
  int advance = 0;
  int xOffset = 0;
  int yOffset = 0;
};

class TFontInstance {
 public:
  // The cached instance for a request; never null (falls back to a default
  // face when nothing matches, so text always measures and draws).
  static std::shared_ptr<const TFontInstance> Get(const TFontRequest& request);
  static std::shared_ptr<const TFontInstance> Get(const TFont& font) { return Get(TFontRequest::FromFont(font)); }
  // An instance of one face of a font file, bypassing matching (null when the
  // file cannot be opened). Not cached.
  static std::shared_ptr<const TFontInstance> GetFromFile(const std::string& path, int faceIndex,
                                                          const TFontRequest& request);
  // The family that a requested family name resolves to (e.g. "Liberation Serif"
  // for "Times New Roman").
  static std::string ResolveFamily(const std::string& family, bool bold = false, bool italic = false);
  // Empties the cache (tests and after installing fonts).
  static void ClearCache();

  ~TFontInstance();
  TFontInstance(const TFontInstance&) = delete;
  TFontInstance& operator=(const TFontInstance&) = delete;

  const TFontRequest& Request() const;
  // The matched face: family (UTF-8), file and face index in that file.
  const std::string& FamilyName() const;
  const std::string& FilePath() const;
  int FaceIndex() const;
  // Pixels per em, as used for all pixel metrics.
  double PixelsPerEm() const;
  // Bold or italic made by the renderer because the family lacks that face.
  bool SyntheticBold() const;
  bool SyntheticItalic() const;
  bool IsSymbolFont() const;

  const TTextMetric& TextMetrics() const;
  const TOutlineTextMetric& OutlineTextMetrics() const;

  // The glyph for a character (0 = missing). Symbol fonts also map a byte
  // value c to the glyph of U+F000 + c, as 8-bit text in them expects.
  std::uint32_t GlyphIndex(char32_t ch) const;
  std::vector<std::uint32_t> GlyphIndices(std::u16string_view text) const;
  // Advance of a glyph in whole device pixels, and in font units.
  int GlyphAdvance(std::uint32_t glyph) const;
  int GlyphAdvanceUnits(std::uint32_t glyph) const;
  // Advance of a character in device pixels (surrogate pairs count once, on
  // their first unit; the second unit gets 0).
  int CharAdvance(char32_t ch) const;
  // Per-UTF-16-unit advances of a text, and its total width.
  std::vector<int> Advances(std::u16string_view text) const;
  int TextWidth(std::u16string_view text) const;
  // Size of a text's cell: total advance x tmHeight.
  TSize TextExtent(std::u16string_view text) const;

  // HarfBuzz shaping of a run (ligatures and marks, no kerning feature unless
  // asked): glyphs in visual order.
  std::vector<TShapedGlyph> Shape(std::u16string_view text, bool rightToLeft = false, bool kerning = false) const;

  // A line split into direction runs, in display order: letters of
  // right-to-left scripts (Hebrew, Arabic) run right to left, other letters
  // and digits left to right, and neutral characters join the run they follow
  // (leading ones the paragraph's direction). A simplified bidirectional
  // analysis, enough for lines of one script with embedded numbers or words.
  // A line split into direction runs, in display order: letters of
  // right-to-left scripts (Hebrew, Arabic) run right to left, other letters
  // and digits left to right; neutral characters between two letters of one
  // direction take it, others the paragraph's. A simplified bidirectional
  // analysis (no embeddings, no mirrored brackets), enough for lines of one
  // script with embedded numbers or words.
  struct TTextRun {
    std::uint32_t start = 0, length = 0;
    bool rightToLeft = false;
  };
  static std::vector<TTextRun> ItemizeLine(std::u16string_view text, bool rightToLeftBase);
  // Shapes a whole line run by run: glyphs in display order, clusters counted
  // in the whole text.
  std::vector<TShapedGlyph> ShapeLine(std::u16string_view text, bool rightToLeftBase) const;

  // The font program: the face as a standalone TrueType/OpenType file (one
  // face taken out of a collection). With a table tag (e.g. 'glyf' written as
  // MakeTag("glyf")) only that table; empty when the table does not exist.
  std::string FontData(std::uint32_t tableTag = 0) const;
  static constexpr std::uint32_t MakeTag(const char (&t)[5]) {
    return (std::uint32_t(std::uint8_t(t[0])) << 24) | (std::uint32_t(std::uint8_t(t[1])) << 16) |
           (std::uint32_t(std::uint8_t(t[2])) << 8) | std::uint32_t(std::uint8_t(t[3]));
  }

  // Outline of a glyph in device pixels relative to the origin on the baseline,
  // y down: a sequence of move/line/cubic commands (for drawing symbols as paths).
  struct TPathCommand {
    enum Kind : std::uint8_t { Move, Line, Cubic, Close } kind;
    double x1, y1, x2, y2, x3, y3;  // Move/Line use x1,y1; Cubic all three
  };
  std::vector<TPathCommand> GlyphOutline(std::uint32_t glyph) const;

  // The FreeType face the measurements come from (an FT_Face, opaque here),
  // for code inside the platform layer; the renderer opens its own.
  void* NativeFace() const;

  struct Impl;
  explicit TFontInstance(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

using TFontInstancePtr = std::shared_ptr<const TFontInstance>;

}  // namespace gfx
