#include "export/vuzExportRTFDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "export/vuzExportMatrix.h"
#include "export/vuzExportRTFText.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"
#include "report/vuzHTMLTags.h"

namespace report {

namespace {

// Nearest integer, halves to the even neighbour.
long long Round(long double x) {
  if (!std::isfinite(static_cast<double>(x))) return 0;
  return static_cast<long long>(std::nearbyint(static_cast<double>(x)));
}

std::string N(long long v) { return std::to_string(v); }

constexpr char kHex[] = "0123456789ABCDEF";

// A number as `bytes` bytes, least significant first, two hex digits each.
std::string HexLE(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i, value >>= 8) {
    out += kHex[(value >> 4) & 15];
    out += kHex[value & 15];
  }
  return out;
}

// Bytes as upper-case hexadecimal text, 64 bytes to a line.
void AppendHexLines(std::string& out, std::string_view bytes) {
  out.reserve(out.size() + bytes.size() * 2 + bytes.size() / 32 + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kHex[b >> 4];
    out += kHex[b & 15];
    if (i % 64 == 63 || i + 1 == bytes.size()) out += "\r\n";
  }
}

bool IsBlank(const WideString& text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= u' '; });
}

// White, or no fill at all (transparent counts as white).
bool IsWhiteFill(gfx::TColor color) { return (static_cast<std::uint32_t>(color) & 0xFFFFFF) == 0xFFFFFF; }

class Writer {
 public:
  Writer(TfrxIEMatrix& m, const TfrxRTFDocumentOptions& o) : m_(m), o_(o) {}

  // The tables are complete once every object is registered, so the head
  // goes first and the rows follow in pieces: no copy of the whole document
  // is ever held.
  bool Write(rtl::TStream& out) {
    Register();
    out_ = &out;
    cancelled_ = false;
    std::string head = "{\\rtf1\\ansi\r\n" + tables_.FontTable() + tables_.ColorTable();
    int y, mo, d, h, mi, s, ms;
    rtl::DecodeDateTime(o_.Created, y, mo, d, h, mi, s, ms);
    char date[96];
    std::snprintf(date, sizeof date, "{\\creatim\\yr%04d\\mo%02d\\dy%02d\\hr%02d\\min%02d}}", y, mo, d, h, mi);
    head += "{\\info{\\title " + StrToRTFUnicodeEx(o_.Title) + "}{\\author " + StrToRTFUnicodeEx(o_.Author) + "}" +
            date + "\r\n";
    Put(head);
    std::string body;
    body.reserve(kChunk + kChunk / 4);
    body_ = &body;
    const int pages = m_.GetPagesCount();
    Section(0);
    if (o_.HeaderFooterMode == hfPrint) {
      Line("{\\header ");
      Pass(kHeader, pages);
      Line("}");
      Line("{\\footer ");
      Pass(kFooter, pages);
      Line("}");
    }
    Pass(kBody, pages);
    Line("}");
    Put(body);
    return !cancelled_;
  }

 private:
  enum TPass { kHeader, kFooter, kBody };

  static constexpr std::size_t kChunk = 1 << 20;

  void Put(const std::string& bytes) { out_->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }

  // Hands the rows so far to the stream once they fill a piece.
  void Flush() {
    if (body_->size() < kChunk) return;
    Put(*body_);
    body_->clear();
  }

  void Line(const std::string& s) {
    if (s.empty()) return;
    *body_ += s;
    *body_ += "\r\n";
  }

  int FontNumber(const TfrxIEMStyle& s) { return s.Font ? tables_.AddFont(s.Font->Name(), s.Charset) : 0; }
  gfx::TColor FontColor(const TfrxIEMStyle& s) const { return s.Font ? s.Font->Color() : gfx::clBlack; }

  // Every font and colour a cell refers to goes into the tables before they
  // are written, in the objects' order.
  void Register() {
    for (int id = 0; id < m_.GetObjectsCount(); ++id) {
      TfrxIEMObject* o = m_.GetObjectById(id);
      if (!o) continue;
      o->ExportMark = -1;
      const TfrxIEMStyle* s = o->CellStyle;
      if (!s) continue;
      tables_.AddColor(s->Color);
      tables_.AddColor(s->FrameLineColor);
      if (o->IsRichTextObject) {
        rich_[o] = RTFRemapRichText(rtl::WideToAnsi(o->Memo.Text()), tables_);
        tables_.AddColor(FontColor(*s));
        FontNumber(*s);
      } else if (o->IsTextObject) {
        tables_.AddColor(FontColor(*s));
        FontNumber(*s);
        if (o->AllowHTMLTags) HtmlText(*o, *s, nullptr);
      }
    }
  }

  void Section(int p) {
    Line("\\pgwsxn" + N(Round(m_.GetPageWidth(p) * 15.02L)) + "\\pghsxn" + N(Round(m_.GetPageHeight(p) * 15.02L)) +
         "\\marglsxn" + N(Round(m_.GetPageLMargin(p) * 56.48L)) + "\\margrsxn" +
         N(Round(m_.GetPageRMargin(p) * 56.48L)) + "\\margtsxn" + N(Round(m_.GetPageTMargin(p) * 56.48L)) +
         "\\margbsxn" + N(Round(m_.GetPageBMargin(p) * 56.48L)));
    if (m_.GetPageOrientation(p) == poLandscape) Line("\\lndscpsxn");
  }

  bool InPass(const TfrxIEMObject& o, TPass pass) const {
    switch (pass) {
      case kHeader: return o.InPageHeader;
      case kFooter: return o.InPageFooter;
      case kBody:
        if (o.InPageHeader || o.InPageFooter) return o_.HeaderFooterMode == hfText;
        return true;
    }
    return false;
  }

  // Whether a cell shows anything: text, a picture, a fill that is not
  // white or a frame. The white fill under everything shows nothing.
  bool Shows(const TfrxIEMObject& o) const {
    if (!o.IsTextObject) return o_.ExportPictures;
    if (o.CellStyle && (!IsWhiteFill(o.CellStyle->Color) || o.CellStyle->FrameSides != 0)) return true;
    return !IsBlank(o.Memo.Text());
  }

  bool RowShows(int j, TPass pass) const {
    for (int i = 0; i + 1 < m_.ColumnCount; ++i) {
      const TfrxIEMObject* o = m_.GetObject(i, j);
      if (o && InPass(*o, pass) && Shows(*o)) return true;
    }
    return false;
  }

  void Pass(TPass pass, int pages) {
    if (cancelled_) return;
    int page = 0;
    factor_ = pages == 1 ? 14.5L : 15;
    for (int j = 0; j + 1 < m_.RowCount; ++j) {
      if (o_.Cancelled && o_.Cancelled()) {
        cancelled_ = true;
        return;
      }
      if (pass == kBody && o_.ExportPageBreaks) {
        bool broke = false;
        // Every break the row has passed (an empty page gives an empty section).
        while (page < pages && m_.GetYPosById(j) >= m_.GetPageBreak(page)) {
          Line("\\pard\\sect");
          ++page;
          if (page < pages) {
            Section(page);
            // A section that starts with a table is no new page to some
            // readers (LibreOffice); a paragraph of one point makes it one.
            Line("{\\pard\\plain\\fs2\\sl-20\\slmult0\\par}");
          }
          if (page == pages - 1) factor_ = 14.5L;
          broke = true;
        }
        // The row at the break is written when it shows anything: with no
        // top margin, or merged rows, it holds the new page's first content.
        if (broke && !RowShows(j, pass)) continue;
      }
      Row(j, pass, page);
      Flush();
    }
  }

  // What every cell of a style writes, made once per style: the cell
  // definition after "\\clvmgf" (fill, vertical alignment, borders) and
  // of a continued merge, the alignment and font part of its text, and its
  // paragraph part for the row-height factor last asked.
  struct TStyleParts {
    bool ready = false;
    std::string first, merged, font, paragraph;
    long double paragraphFactor = -1;
    bool wordBreak = false;
  };

  TStyleParts& Parts(const TfrxIEMObject& o) {
    static const TfrxIEMStyle kPlain;
    const std::size_t count = static_cast<std::size_t>(m_.GetStylesCount());
    if (parts_.size() != count + 1) parts_.assign(count + 1, TStyleParts{});
    const std::size_t i = o.CellStyle && o.StyleId >= 0 && static_cast<std::size_t>(o.StyleId) < count
                              ? static_cast<std::size_t>(o.StyleId)
                              : count;
    TStyleParts& p = parts_[i];
    if (p.ready) return p;
    p.ready = true;
    const TfrxIEMStyle& s = i < count && o.CellStyle ? *o.CellStyle : kPlain;
    const std::string borders = Borders(o.CellStyle);
    if (o.CellStyle && !IsWhiteFill(s.Color)) {
      p.first += "\\clcbpat";
      AppendRTFNumber(p.first, tables_.AddColor(s.Color));
    }
    p.first += s.VAlign == vaBottom ? "\\clvertalb" : s.VAlign == vaCenter ? "\\clvertalc" : "\\clvertalt";
    p.first += borders + "\\cltxlrtb\\cellx";
    p.merged = "\\clvmrg" + borders + "\\cltxlrtb\\cellx";
    switch (s.HAlign) {
      case haRight: p.font = "\\qr"; break;
      case haCenter: p.font = "\\qc"; break;
      case haBlock: p.font = "\\qj"; break;
      default: p.font = "\\ql";
    }
    const gfx::TFontStyles style = s.Font ? s.Font->Style() : gfx::TFontStyles();
    p.font += "{\\f" + N(FontNumber(s)) + "\\fs" + N(FontSize(s) * 2);
    if (style.Contains(gfx::fsItalic)) p.font += "\\i";
    if (style.Contains(gfx::fsBold)) p.font += "\\b";
    if (style.Contains(gfx::fsUnderline)) p.font += "\\ul";
    p.font += "\\cf" + N(tables_.AddColor(FontColor(s)));
    return p;
  }

  static int FontSize(const TfrxIEMStyle& s) { return s.Font ? s.Font->Size() : 10; }

  const std::string& Paragraph(TStyleParts& p, const TfrxIEMObject& o) {
    if (p.paragraphFactor == factor_) return p.paragraph;
    static const TfrxIEMStyle kPlain;
    const TfrxIEMStyle& s = o.CellStyle ? *o.CellStyle : kPlain;
    const long double gap = s.GapY + s.LineSpacing - 1;
    const long long c = Round(s.CharSpacing * 15);
    p.paragraph = "\\sb" + N(gap > 0 ? Round(gap * factor_) : 0) + "\\li" + N(Round(s.GapX / 2 * 15.05L)) + "\\fi" +
                  N(Round(s.ParagraphGap * 15.05L)) + "\\expnd" + N(c / 5) + "\\expndtw" + N(c) + "\\sl-" +
                  N(Round((FontSize(s) * 96.0L / 72 + s.LineSpacing) * factor_ * 0.98L)) + "\\slmult0";
    if (s.WordBreak) p.paragraph += "\\hyphauto1\\hyphcaps1";
    p.paragraphFactor = factor_;
    return p.paragraph;
  }

  void Row(int j, TPass pass, int page) {
    const long long height = Round((m_.GetYPosById(j + 1) - m_.GetYPosById(j)) * factor_);
    def_.assign(o_.AutoSize ? "\\trrh" : "\\trrh-");
    AppendRTFNumber(def_, height);
    def_ += "\\trgaph15";
    const long double left = static_cast<long double>(Round(m_.GetXPosById(0))) +
                             static_cast<long double>(Round(m_.GetPageLMargin(page) * 56.48L / 15.05L));
    cells_.clear();
    long long lastX = 0;
    // Column 0 is empty unless an object starts at the very left edge.
    for (int i = 0; i + 1 < m_.ColumnCount; ++i) {
      const int id = m_.GetCell(i, j);
      if (id < 0) continue;
      TfrxIEMObject* o = m_.GetObjectById(id);
      if (!o || !InPass(*o, pass)) continue;
      const bool first = o->ExportMark == -1;
      if (!first && o->ExportMark == j + 1) continue;  // the same object further along the row
      int c0, r0, dx, dy;
      m_.GetObjectPos(id, c0, r0, dx, dy);
      if (!first && dy <= 1) continue;
      const TfrxRect r = TfrxIEMatrix::GetObjectBounds(*o);
      // Cell edges must grow along the row, whatever the rounding.
      const long long x = std::max(lastX + 1, Round((r.Right - left) * 15.05L));
      TStyleParts& parts = Parts(*o);
      if (first) {
        if (dy > 1) def_ += "\\clvmgf";
        def_ += parts.first;
        AppendRTFNumber(def_, x);
        if (o->IsTextObject)
          TextCell(*o, parts);
        else
          PictureCell(*o);
      } else {
        // A later row of a vertically merged object.
        def_ += parts.merged;
        AppendRTFNumber(def_, x);
        cells_ += "{\\fs";
        AppendRTFNumber(cells_, std::min<long long>(height / 15, 20));
        cells_ += "\\cell}";
      }
      o->ExportMark = j + 1;
      lastX = x;
    }
    if (cells_.empty()) return;
    std::string& b = *body_;
    b += "\\trowd";
    b += def_;
    b += "\\pard\\intbl\r\n";
    b += cells_;
    b += "\\pard\\intbl{\\trowd";
    b += def_;
    b += "\\row}\r\n";
  }

  std::string Borders(const TfrxIEMStyle* s) {
    if (!s || s->FrameSides == 0) return {};
    const std::string part = "\\brdrs\\brdrw" + N(Round(s->FrameLineWidth * 20.0L)) + "\\brdrcf" +
                             N(tables_.AddColor(s->FrameLineColor)) +
                             (s->FrameLineStyle == fsDouble  ? "\\brdrdb"
                              : s->FrameLineStyle == fsSolid ? ""
                                                             : "\\brdrdashsm");
    std::string out;
    const std::pair<TfrxFrameType, const char*> sides[] = {
        {ftTop, "\\clbrdrt"}, {ftLeft, "\\clbrdrl"}, {ftBottom, "\\clbrdrb"}, {ftRight, "\\clbrdrr"}};
    for (const auto& [side, word] : sides)
      if (s->FrameSides & FrameBit(side)) out += word + part;
    return out;
  }

  // The text of a memo with formatting tags: each run's character with the
  // bold, italic, underline and colour changes before it. Without out only
  // the colours are registered.
  void HtmlText(const TfrxIEMObject& o, const TfrxIEMStyle& s, std::string* out) {
    const WideString escaped = StrToRTFSlash(RTFTruncReturns(o.Memo.Text()));
    TfrxHTMLTagsList tags;
    tags.TagsAllowed = true;
    const gfx::TFontStyles style = s.Font ? s.Font->Style() : gfx::TFontStyles();
    tags.SetDefaults(FontColor(s), FontSize(s), style);
    WideString work = escaped;
    tags.ExpandHTMLTags(work);
    bool bold = false, italic = false, underline = false;
    // The font part has set the font colour; the fill colour has nothing
    // to do with the text.
    gfx::TColor last = FontColor(s);
    auto toggle = [out](bool on, bool& state, const char* onWord, const char* offWord) {
      if (on == state) return;
      state = on;
      if (out) *out += on ? onWord : offWord;
    };
    for (int line = 0; line < tags.Count(); ++line) {
      for (const TfrxHTMLTag& run : tags[line].Items()) {
        toggle(run.Style().Contains(gfx::fsBold), bold, "\\b ", "\\b0 ");
        toggle(run.Style().Contains(gfx::fsItalic), italic, "\\i ", "\\i0 ");
        toggle(run.Style().Contains(gfx::fsUnderline), underline, "\\ul ", "\\ul0 ");
        if (run.Color() != last) {
          const int n = tables_.AddColor(run.Color());
          if (out) *out += "\\cf" + N(n) + " ";
          last = run.Color();
        }
        const int pos = run.Position();
        if (out && pos >= 1 && static_cast<std::size_t>(pos) <= escaped.size())
          *out += StrToRTFUnicode(escaped.substr(static_cast<std::size_t>(pos) - 1, 1));
      }
    }
    if (out) *out += "\\plain";
  }

  void TextCell(const TfrxIEMObject& o, TStyleParts& parts) {
    cells_ += parts.font;
    const WideString memo = o.Memo.Text();
    if (!o.IsRichTextObject && !IsBlank(memo)) cells_ += Paragraph(parts, o);
    cells_ += ' ';
    if (o.IsRichTextObject) {
      // A merged memo's own final paragraph mark would end the cell twice.
      const auto it = rich_.find(&o);
      std::string tail = (it != rich_.end() ? it->second : std::string()) + "\\cell}";
      static const std::string kParCell = "\\par\r\n\\cell";
      for (std::size_t at = tail.find(kParCell); at != std::string::npos; at = tail.find(kParCell, at))
        tail.replace(at, kParCell.size(), "\\cell");
      cells_ += tail;
      return;
    }
    if (o.AllowHTMLTags) {
      static const TfrxIEMStyle kPlain;
      HtmlText(o, o.CellStyle ? *o.CellStyle : kPlain, &cells_);
    } else {
      AppendRTFText(cells_, memo, true);
    }
    cells_ += "\\cell}";
  }

  void PictureCell(TfrxIEMObject& o) {
    if (!o_.ExportPictures) return;
    if (o_.PictureType == gpBMP) {
      const gfx::TBitmap* bitmap = o.GetImage();
      if (!bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0) return;
      BitmapCell(*bitmap);
      return;
    }
    if (!o.HasMetafilePicture()) return;
    gfx::TMetafile& picture = o.MetafilePicture();
    if (picture.Width() <= 0 || picture.Height() <= 0) return;
    const TfrxPictureType type = o_.PictureType == gpEMF ? gpEMF : o_.PictureType == gpJPG ? gpJPG : gpPNG;
    rtl::TMemoryStream data;
    SaveGraphicAs(picture, data, type);
    if (data.Size() == 0) return;
    const char* blip = type == gpEMF ? "emfblip" : type == gpJPG ? "jpegblip" : "pngblip";
    cells_ += "{\\sb0\\li0\\sl0\\slmult0 {\\pict\\picw" + N(Round(o.Width * 25.3L)) + "\\pich" +
              N(Round(o.Height * 25.3L)) + "\\picscalex98\\picscaley98\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\" +
              blip + "\r\n";
    AppendHexLines(cells_, data.Bytes());
    cells_ += "}\\cell}\r\n";
  }

  // A bitmap as a Windows metafile holding it in one stretch-DIB record.
  void BitmapCell(const gfx::TBitmap& bitmap) {
    rtl::TMemoryStream file;
    bitmap.SaveToStream(file);
    const std::string bytes = file.Bytes();
    if (bytes.size() <= 14) return;
    const auto size =
        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2]) | static_cast<unsigned char>(bytes[3]) << 8 |
                                   static_cast<unsigned char>(bytes[4]) << 16 |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[5])) << 24);
    const std::uint32_t words = size / 2 + 7;
    const auto w = static_cast<std::uint32_t>(bitmap.Width()), h = static_cast<std::uint32_t>(bitmap.Height());
    cells_ += "{\\sb0\\li0\\sl0\\slmult0 {\\pict\\wmetafile8\\picw" + N(Round(w * 25.3L)) + "\\pich" +
              N(Round(h * 25.3L)) + "\\picbmp\\picbpp4\r\n";
    cells_ += "010009000003" + HexLE(words + 36, 4) + "0000" + HexLE(words, 4) +
              "0000050000000b0200000000050000000c02" + HexLE(h, 2) + HexLE(w, 2) +
              "05000000090200000000050000000102ffffff000400000007010300" + HexLE(words, 4) + "430f2000cc000000" +
              HexLE(h, 2) + HexLE(w, 2) + "00000000" + HexLE(h, 2) + HexLE(w, 2) + "00000000\r\n";
    AppendHexLines(cells_, std::string_view(bytes).substr(14));
    cells_ += "030000000000}\\cell}\r\n";
  }

  TfrxIEMatrix& m_;
  const TfrxRTFDocumentOptions& o_;
  TfrxRTFTables tables_;
  std::unordered_map<const TfrxIEMObject*, AnsiString> rich_;
  rtl::TStream* out_ = nullptr;
  std::string* body_ = nullptr;
  std::string def_, cells_;
  std::vector<TStyleParts> parts_;
  long double factor_ = 15;
  bool cancelled_ = false;
};

}  // namespace

bool vuzWriteRTFDocument(TfrxIEMatrix& matrix, const TfrxRTFDocumentOptions& options, rtl::TStream& out) {
  return Writer(matrix, options).Write(out);
}

}  // namespace report
