#include "export/vuzExportODF.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "export/vuzExportMarkup.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "export/vuzFileUtils.h"
#include "export/vuzZip.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassView.h"
#include "report/vuzHTMLTags.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace fs = std::filesystem;

namespace {

TfrxODFExport::DialogHandler& DialogSlot() {
  static TfrxODFExport::DialogHandler handler;
  return handler;
}

// A private folder for the package's files, removed whatever happens.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zarnik-odf-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("Cannot create a temporary folder for the package");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("Cannot write " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) throw std::runtime_error("Cannot write " + path);
}

// A whole number without decimals, else with the given number of decimals.
std::string Num(long double value, int decimals) {
  if (!std::isfinite(static_cast<double>(value))) value = 0;
  char buf[64];
  if (std::fabs(static_cast<double>(value - std::round(value))) < 1e-12) {
    std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(std::round(value)));
  } else {
    std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(value));
  }
  return buf;
}

std::string Cm(long double pixels) { return Num(pixels / 38.5L, 3) + "cm"; }

// Attribute values and element texts: every markup character escaped.
std::string Esc(std::string_view utf8) { return HtmlEscape(utf8); }

std::string EscAnsi(const AnsiString& s) { return Esc(rtl::AnsiToUtf8(s)); }

const char* const kNamespaces[][2] = {
    {"office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
    {"style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
    {"text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
    {"table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
    {"draw", "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"},
    {"fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"},
    {"xlink", "http://www.w3.org/1999/xlink"},
    {"dc", "http://purl.org/dc/elements/1.1/"},
    {"meta", "urn:oasis:names:tc:opendocument:xmlns:meta:1.0"},
    {"number", "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"},
    {"svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"},
    {"chart", "urn:oasis:names:tc:opendocument:xmlns:chart:1.0"},
    {"dr3d", "urn:oasis:names:tc:opendocument:xmlns:dr3d:1.0"},
    {"math", "http://www.w3.org/1998/Math/MathML"},
    {"form", "urn:oasis:names:tc:opendocument:xmlns:form:1.0"},
    {"script", "urn:oasis:names:tc:opendocument:xmlns:script:1.0"},
    {"dom", "http://www.w3.org/2001/xml-events"},
    {"xforms", "http://www.w3.org/2002/xforms"},
    {"xsd", "http://www.w3.org/2001/XMLSchema"},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
};

std::string NamespaceHeader() {
  std::string out;
  for (const auto& ns : kNamespaces) out += std::string(" xmlns:") + ns[0] + "=\"" + ns[1] + "\"";
  return out;
}

const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

std::string FontProperties(const gfx::TFont& font) {
  std::string out =
      " style:font-name=\"" + EscAnsi(font.Name()) + "\" fo:font-size=\"" + std::to_string(font.Size()) + "pt\"";
  const gfx::TFontStyles st = font.Style();
  if (st.Contains(gfx::fsUnderline))
    out +=
        " style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" "
        "style:text-underline-color=\"font-color\"";
  if (st.Contains(gfx::fsItalic)) out += " fo:font-style=\"italic\"";
  if (st.Contains(gfx::fsBold)) out += " fo:font-weight=\"bold\"";
  return out + " fo:color=\"" + HtmlColor(font.Color()) + "\"";
}

std::string ParagraphProperties(const TfrxIEMStyle& s) {
  std::string out = "<style:paragraph-properties";
  if (s.HAlign == haLeft) out += " fo:text-align=\"start\"";
  if (s.HAlign == haCenter) out += " fo:text-align=\"center\"";
  if (s.HAlign == haRight) out += " fo:text-align=\"end\"";
  if (s.GapX != 0) out += " fo:margin-left=\"" + Cm(s.GapX) + "\" fo:margin-right=\"" + Cm(s.GapX) + "\"";
  return out + "/>";
}

bool IsNumericStyle(const TfrxIEMStyle* s) { return s && s->DisplayFormat && s->DisplayFormat->Kind() == fkNumeric; }

// The digits after the first "." of a number format, "0" when none.
std::string DecimalPlaces(const AnsiString& format) {
  const auto dot = format.find('.');
  std::string digits;
  if (dot != AnsiString::npos)
    for (std::size_t i = dot + 1; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) digits += format[i];
  return digits.empty() ? "0" : digits;
}

// The numeric value of a formatted number: sign and digits kept, a decimal
// separator becomes ".", everything else dropped. Empty when what remains
// is not a number (say "12-34"), so the cell is written as a string.
std::string NumericValue(std::u16string_view text, const AnsiString& decimalSeparator) {
  std::string value;
  const char16_t sep = decimalSeparator.size() == 1 ? static_cast<char16_t>(decimalSeparator[0]) : u',';
  for (char16_t c : text) {
    if ((c >= u'0' && c <= u'9') || c == u'-')
      value += static_cast<char>(c);
    else if (c == u'.' || c == u',' || c == sep)
      value += '.';
  }
  if (value.empty()) return value;
  char* end = nullptr;
  std::strtod(value.c_str(), &end);
  if (!end || *end != '\0' || value == "-" || value == ".") return std::string();
  return value;
}

}  // namespace

// ---------------------------------------------------------------- cell text

std::string OdfCellText(std::u16string_view line) {
  bool afterNonSpace = false;
  return OdfCellText(line, afterNonSpace, true);
}

std::string OdfCellText(std::u16string_view line, bool& afterNonSpace, bool endsLine) {
  std::u16string out;
  std::size_t i = 0;
  while (i < line.size()) {
    const char16_t c = line[i];
    if (c == u' ') {
      std::size_t n = 0;
      while (i + n < line.size() && line[i + n] == u' ') ++n;
      std::size_t rest = n;
      // Readers drop a plain space at the end of a paragraph, so a final
      // run is written as elements only.
      if (afterNonSpace && (i + n < line.size() || !endsLine)) {
        out += u' ';
        --rest;
      }
      if (rest == 1) out += u"<text:s/>";
      if (rest > 1) out += u"<text:s text:c=\"" + rtl::AnsiToWide(std::to_string(rest)) + u"\"/>";
      i += n;
      afterNonSpace = false;
      continue;
    }
    afterNonSpace = true;
    ++i;
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      case u'\t': out += u"<text:tab/>"; break;
      default:
        if (c >= 0x20 && c != 0xFFFE && c != 0xFFFF) out += c;
    }
  }
  return rtl::WideToUtf8(out);
}

std::vector<std::string> OdfSpanParagraphs(std::u16string_view source, gfx::TColor defaultColor,
                                           gfx::TFontStyles defaultStyle,
                                           const std::function<std::string(gfx::TColor, gfx::TFontStyles)>& spanStyle) {
  rtl::WideString text(source);
  TfrxHTMLTagsList tags;
  tags.SetDefaults(defaultColor, 0, defaultStyle);
  const bool wasEmpty = text.empty();
  tags.ExpandHTMLTags(text);
  const TfrxHTMLTags* runs = tags.Find(0);
  std::vector<std::string> lines;
  if (wasEmpty || !runs || runs->Count() != static_cast<int>(text.size())) {
    lines.emplace_back();
    return lines;
  }
  // Line by line; within a line, one span per run of equal format.
  const gfx::TFontStyles kept{gfx::fsBold, gfx::fsItalic, gfx::fsUnderline};
  std::size_t lineStart = 0;
  auto endLine = [&](std::size_t end) {
    std::string para;
    bool afterNonSpace = false;
    std::size_t start = lineStart;
    while (start < end) {
      const TfrxHTMLTag& first = (*runs)[static_cast<int>(start)];
      const gfx::TFontStyles style = first.FontStyle * kept;
      std::size_t stop = start + 1;
      while (stop < end && (*runs)[static_cast<int>(stop)].FontColor == first.FontColor &&
             ((*runs)[static_cast<int>(stop)].FontStyle * kept) == style)
        ++stop;
      para += "<text:span text:style-name=\"" + spanStyle(first.FontColor, style) + "\">" +
              OdfCellText(std::u16string_view(text).substr(start, stop - start), afterNonSpace, stop == end) +
              "</text:span>";
      start = stop;
    }
    lines.push_back(std::move(para));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    endLine(i);
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    lineStart = i + 1;
  }
  if (lineStart < text.size() || lines.empty()) endLine(text.size());
  return lines;
}

// ---------------------------------------------------------------- filter

TfrxODFExport::TfrxODFExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {}
TfrxODFExport::~TfrxODFExport() = default;

void TfrxODFExport::SetDialogHandler(DialogHandler handler) { DialogSlot() = std::move(handler); }

int TfrxODFExport::ShowModal() {
  if (Stream || !DialogSlot()) return rtl::mrOk;
  return DialogSlot()(*this);
}

bool TfrxODFExport::Start() {
  vuzLoadExportResources();
  if (ExportToTemp) {
    auto* report = dynamic_cast<TfrxReport*>(Report);
    const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    FileName = name.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                            : GetTemporaryFolder() + rtl::ChangeFileExt(name, DefaultExt);
  }
  matrix_.reset();
  thumbnail_ = std::make_unique<gfx::TBitmap>();
  if (FileName.empty() && !Stream) return false;
  if (!DefaultPath.empty() && !FileName.empty() && rtl::ExtractFilePath(FileName).empty())
    FileName = DefaultPath + "/" + FileName;
  firstPage_ = true;
  matrix_ = std::make_unique<TfrxIEMatrix>(UseFileCache);
  TfrxIEMatrix& m = *matrix_;
  m.ShowProgress = ShowProgress;
  m.Inaccuracy = Wysiwyg ? 0.5L : 10;
  m.RotatedAsPicture = false;
  m.KeepRichText = m.RichAsPlainText = PictureType != gpEMF;
  m.StripHTMLTags = false;
  m.BackgroundAsPicture = false;
  m.Background = Background && EmptyLines;
  m.ExportNotPrintable = ExportNotPrintable;
  m.WrapLines = false;
  m.EmptyLines = EmptyLines;
  m.MetafilePictures = true;
  return true;
}

void TfrxODFExport::StartPage(TfrxComponent* page, int /*index*/) {
  if (!firstPage_) return;
  if (auto* p = dynamic_cast<TfrxReportPage*>(page)) {
    margins_[0] = p->LeftMargin();
    margins_[1] = p->TopMargin();
    margins_[2] = p->RightMargin();
    margins_[3] = p->BottomMargin();
    pageWidth_ = p->Width();
    pageHeight_ = p->Height();
    if (thumbnail_) {
      thumbnail_->SetSize(static_cast<int>(std::lrint(static_cast<double>(pageWidth_ / 5))),
                          static_cast<int>(std::lrint(static_cast<double>(pageHeight_ / 5))));
      gfx::TCanvas& c = thumbnail_->Canvas();
      c.Brush().SetColor(gfx::clWhite);
      c.FillRect(gfx::TRect{0, 0, thumbnail_->Width(), thumbnail_->Height()});
    }
  }
}

void TfrxODFExport::ExportObject(TfrxComponent* object) {
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || !matrix_) return;
  if (object->Name() == "_pagebackground") {
    if (!Background) return;
    // A page without a picture or fill adds nothing.
    if (auto* picture = dynamic_cast<TfrxPictureView*>(view);
        picture && view->Color() == gfx::clTransparent &&
        (!picture->Picture() || picture->Picture()->Width() * picture->Picture()->Height() == 0))
      return;
  }
  if (!view->Printable() && !ExportNotPrintable) return;
  matrix_->AddObject(view);
  // The view scales its own position: the offsets stay 0.
  if (firstPage_ && thumbnail_ && !thumbnail_->Empty()) view->Draw(thumbnail_->Canvas(), 0.2L, 0.2L, 0, 0);
}

void TfrxODFExport::FinishPage(TfrxComponent* page, int index) {
  firstPage_ = false;
  if (!matrix_) return;
  if (auto* p = dynamic_cast<TfrxReportPage*>(page))
    matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                     p->BottomMargin(), p->MirrorMargins(), index);
}

void TfrxODFExport::Finish() {
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(matrix_);
  // The export driver calls Finish also after a failed or stopped run:
  // then nothing is written.
  if (std::current_exception() || !matrix) return;
  matrix_ = std::move(matrix);
  struct Release {
    std::unique_ptr<TfrxIEMatrix>& m;
    ~Release() { m.reset(); }
  } release{matrix_};
  struct ReleaseProgress {
    std::unique_ptr<TfrxCustomProgress>& p;
    ~ReleaseProgress() { p.reset(); }
  } releaseProgress{progress_};
  if (ShowProgress) progress_ = vuzCreateProgress();
  matrix_->Prepare();
  if (progress_) progress_->Execute(std::max(0, matrix_->RowCount - 1), vuzResources().Get("ProgressWait"), true, true);
  TempFolder folder;
  WritePackageFiles(folder.Path());
  // Stopped while the tables were written: the package would be
  // incomplete, so nothing is written.
  if (progress_ && progress_->Terminated()) return;
  TfrxZipArchive zip;
  zip.RootFolder = folder.Path() + "/";
  zip.FirstEntry = "mimetype";
  zip.AddDir(folder.Path());
  if (Stream)
    zip.SaveToStream(*Stream);
  else
    zip.SaveToFile(FileName);  // through a temporary file and a rename
}

void TfrxODFExport::WritePackageFiles(const std::string& folder) {
  fs::create_directories(folder + "/Pictures");
  fs::create_directories(folder + "/Thumbnails");
  fs::create_directories(folder + "/META-INF");
  pictureCount_ = 0;
  pictureExt_ = GetPicFileExtension(PictureType);
  if (thumbnail_ && !thumbnail_->Empty())
    SaveGraphicAs(*thumbnail_, AnsiString(folder + "/Thumbnails/thumbnail.jpg"), gpJPG);
  WriteFile(folder + "/styles.xml", StylesXml());
  WriteFile(folder + "/content.xml", ContentXml(folder));
  WriteFile(folder + "/META-INF/manifest.xml", ManifestXml());
  WriteFile(folder + "/mimetype", "application/vnd.oasis.opendocument." + kind_);
  WriteFile(folder + "/meta.xml", MetaXml());
}

std::string TfrxODFExport::StylesXml() const {
  std::string lang, country;
  for (char c : Language) {
    lang += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    country += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  lang = Esc(lang);
  country = Esc(country);
  std::string x = kXmlHead;
  x += "<office:document-styles" + NamespaceHeader() + ">\n";
  x += " <office:styles>\n  <style:default-style style:family=\"paragraph\">\n";
  x += "   <style:paragraph-properties style:text-autospace=\"ideograph-alpha\" style:punctuation-wrap=\"hanging\" "
       "style:line-break=\"strict\" style:writing-mode=\"page\"/>\n";
  x += "   <style:text-properties fo:color=\"#000000\" style:font-name=\"Times New Roman\" fo:font-size=\"12pt\" "
       "fo:language=\"" +
       lang + "\" fo:country=\"" + country +
       "\" style:font-name-asian=\"Arial Unicode MS\" style:font-size-asian=\"12pt\" style:language-asian=\"" + lang +
       "\" style:country-asian=\"" + country +
       "\" style:font-name-complex=\"Tahoma1\" style:font-size-complex=\"12pt\" style:language-complex=\"" + lang +
       "\" style:country-complex=\"" + country + "\"/>\n";
  x += "  </style:default-style>\n </office:styles>\n <office:automatic-styles>\n";
  x += "  <style:page-layout style:name=\"pm1\">\n   <style:page-layout-properties fo:page-width=\"" +
       Num(pageWidth_ / 37.8L, 1) + "cm\" fo:page-height=\"" + Num(pageHeight_ / 37.8L, 1) + "cm\" fo:margin-top=\"" +
       Num(margins_[1] / 10, 3) + "cm\" fo:margin-bottom=\"" + Num(margins_[3] / 10, 3) + "cm\" fo:margin-left=\"" +
       Num(margins_[0] / 10, 3) + "cm\" fo:margin-right=\"" + Num(margins_[2] / 10, 3) + "cm\"/>\n";
  x += "  </style:page-layout>\n </office:automatic-styles>\n <office:master-styles>\n";
  const std::string header = HeaderFooterText(true), footer = HeaderFooterText(false);
  if (header.empty() && footer.empty()) {
    x += "  <style:master-page style:name=\"PageDef\" style:page-layout-name=\"pm1\"/>\n";
  } else {
    x += "  <style:master-page style:name=\"PageDef\" style:page-layout-name=\"pm1\">\n";
    if (!header.empty()) x += "   <style:header><text:p>" + header + "</text:p></style:header>\n";
    if (!footer.empty()) x += "   <style:footer><text:p>" + footer + "</text:p></style:footer>\n";
    x += "  </style:master-page>\n";
  }
  x += " </office:master-styles>\n</office:document-styles>\n";
  return x;
}

std::string TfrxODFExport::HeaderFooterText(bool header) const {
  std::u16string text;
  if (!matrix_) return std::string();
  for (int i = 0; i < matrix_->GetObjectsCount(); ++i) {
    const TfrxIEMObject* o = matrix_->GetObjectById(i);
    if (!o || !(header ? o->InPageHeader : o->InPageFooter)) continue;
    rtl::WideString t = o->Memo.Text();
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, u"\r\n") == 0) t.resize(t.size() - 2);
    text += t;
  }
  std::u16string clean;
  for (char16_t c : text)
    if (c != u'\r' && c != u'\n') clean += c;
  return Esc(rtl::WideToUtf8(clean));
}

std::string TfrxODFExport::ManifestXml() const {
  std::string x = kXmlHead;
  x += "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">\n";
  auto entry = [&x](const std::string& type, const std::string& path) {
    x += " <manifest:file-entry manifest:media-type=\"" + Esc(type) + "\" manifest:full-path=\"" + Esc(path) + "\"/>\n";
  };
  entry("application/vnd.oasis.opendocument." + kind_, "/");
  entry("text/xml", "content.xml");
  entry("text/xml", "styles.xml");
  entry("text/xml", "meta.xml");
  const std::string mime = GetFileMIMEType("." + pictureExt_);
  for (int n = 0; n < pictureCount_; ++n) entry(mime, "Pictures/Pic" + std::to_string(n) + "." + pictureExt_);
  return x + "</manifest:manifest>\n";
}

std::string TfrxODFExport::MetaXml() const {
  int y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(CreationTime, y, mo, d, h, mi, s, ms);
  char date[40];
  std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
  std::string x = kXmlHead;
  x += "<office:document-meta xmlns:office=\"" + std::string(kNamespaces[0][1]) + "\" xmlns:xlink=\"" +
       kNamespaces[6][1] + "\" xmlns:dc=\"" + kNamespaces[7][1] + "\" xmlns:meta=\"" + kNamespaces[8][1] + "\">\n";
  x += " <office:meta>\n  <meta:generator>Zarnik report engine</meta:generator>\n";
  x += "  <meta:initial-creator>" + EscAnsi(Creator) + "</meta:initial-creator>\n";
  x += "  <meta:creation-date>" + std::string(date) + "</meta:creation-date>\n";
  return x + " </office:meta>\n</office:document-meta>\n";
}

// ---------------------------------------------------------------- content

std::string TfrxODFExport::ContentXml(const std::string& folder) {
  TfrxIEMatrix& m = *matrix_;
  const bool text = IsText();
  std::string styles, body;

  // Fonts in use, sorted without regard to case.
  std::set<std::string, bool (*)(const std::string&, const std::string&)> fonts(
      [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
          return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
      });
  for (int i = 0; i < m.GetStylesCount(); ++i)
    if (const TfrxIEMStyle* s = m.GetStyleById(i); s && s->Font) fonts.insert(EscAnsi(s->Font->Name()));

  styles +=
      "<style:style style:name=\"pagebreak\" style:family=\"paragraph\" style:parent-style-name=\"Default\">"
      "<style:paragraph-properties fo:break-after=\"page\"/></style:style>";
  std::set<std::string> widths;
  std::vector<std::string> columnWidth(static_cast<std::size_t>(std::max(0, m.ColumnCount)));
  for (int c = 0; c + 1 < m.ColumnCount; ++c) {
    columnWidth[static_cast<std::size_t>(c)] = Num((m.GetXPosById(c + 1) - m.GetXPosById(c)) / 38.5L, 3);
    widths.insert(columnWidth[static_cast<std::size_t>(c)]);
  }
  for (const std::string& w : widths)
    styles += "<style:style style:name=\"co" + w +
              "\" style:family=\"table-column\">"
              "<style:table-column-properties fo:break-before=\"auto\" style:column-width=\"" +
              w + "cm\"/></style:style>";
  styles +=
      "<style:style style:name=\"ta1\" style:family=\"table\" style:master-page-name=\"PageDef\">"
      "<style:table-properties table:display=\"true\" style:writing-mode=\"lr-tb\"/></style:style>";
  styles += "<style:style style:name=\"ceb\" style:family=\"table-cell\" style:display=\"false\"/>";
  for (int i = 0; i < m.GetStylesCount(); ++i)
    if (const TfrxIEMStyle* s = m.GetStyleById(i); IsNumericStyle(s))
      styles += "<number:number-style style:name=\"N" + std::to_string(i) +
                "\"><number:number number:decimal-places=\"" + Esc(DecimalPlaces(s->DisplayFormat->FormatStr())) +
                "\" number:min-integer-digits=\"1\"/></number:number-style>";
  for (int i = 0; i < m.GetStylesCount(); ++i) {
    const TfrxIEMStyle* s = m.GetStyleById(i);
    if (!s) continue;
    const std::string n = std::to_string(i);
    styles += "<style:style style:name=\"ce" + n + "\" style:family=\"table-cell\" style:parent-style-name=\"Default\"";
    if (IsNumericStyle(s)) styles += " style:data-style-name=\"N" + n + "\"";
    styles += ">";
    if (!text && s->Font)
      styles += "<style:text-properties" + FontProperties(*s->Font) + "/>" + ParagraphProperties(*s);
    styles += "<style:table-cell-properties fo:background-color=\"" +
              (s->Color == gfx::clTransparent ? std::string("transparent") : HtmlColor(s->Color)) +
              "\" style:repeat-content=\"false\"";
    if (s->Rotation > 0)
      styles += " style:rotation-angle=\"" + std::to_string(s->Rotation) + "\" style:rotation-align=\"none\"";
    if (s->VAlign == vaCenter) styles += " style:vertical-align=\"middle\"";
    if (s->VAlign == vaTop) styles += " style:vertical-align=\"top\"";
    if (s->VAlign == vaBottom) styles += " style:vertical-align=\"bottom\"";
    const char* sides[] = {"left", "right", "top", "bottom"};
    for (int b = 0; b < 4; ++b)
      if (s->FrameSides & (1u << b))
        styles += std::string(" fo:border-") + sides[b] + "=\"" + Cm(s->FrameLineWidth) + " " +
                  (s->FrameLineStyle == fsDouble ? "double" : "solid") + " " + HtmlColor(s->FrameLineColor) + "\"";
    if (s->WordWrap) styles += " fo:wrap-option=\"wrap\"";
    styles += "/></style:style>";
  }
  if (text) {
    styles += "<style:style style:name=\"pb\" style:family=\"paragraph\" style:display=\"false\"/>";
    for (int i = 0; i < m.GetStylesCount(); ++i) {
      const TfrxIEMStyle* s = m.GetStyleById(i);
      if (!s) continue;
      styles += "<style:style style:name=\"p" + std::to_string(i) +
                "\" style:family=\"paragraph\" style:parent-style-name=\"Default\"><style:text-properties "
                "fo:letter-spacing=\"" +
                Num(s->CharSpacing / 96, 4) + "in\"" + (s->Font ? FontProperties(*s->Font) : std::string()) + "/>" +
                ParagraphProperties(*s) + "</style:style>";
    }
  }
  styles +=
      "<style:style style:name=\"gr1\" style:family=\"graphic\"><style:graphic-properties draw:stroke=\"none\" "
      "draw:fill=\"none\" draw:textarea-horizontal-align=\"left\" draw:textarea-vertical-align=\"top\" "
      "draw:color-mode=\"standard\" draw:luminance=\"0%\" draw:contrast=\"0%\" draw:gamma=\"100%\" "
      "draw:red=\"0%\" draw:green=\"0%\" draw:blue=\"0%\" fo:clip=\"rect(0cm 0cm 0cm 0cm)\" "
      "draw:image-opacity=\"100%\" style:mirror=\"none\"/></style:style>";

  std::set<std::string> rowStyles;
  const AnsiString pageWord = vuzResources().Get("8322");
  const int pages = m.GetPagesCount();

  auto rowEmpty = [&m](int r) {
    for (int c = 0; c + 1 < m.ColumnCount; ++c)
      if (m.GetCell(c, r) >= 0) return false;
    return true;
  };
  auto writeCovered = [&body](int& pending) {
    if (pending > 0) {
      body += "<table:covered-table-cell table:style-name=\"ceb\"";
      if (pending > 1) body += " table:number-columns-repeated=\"" + std::to_string(pending) + "\"";
      body += "/>";
    }
    pending = 0;
  };
  auto writePicture = [&](TfrxIEMObject& o) {
    const gfx::TGraphic* graphic = nullptr;
    if (o.HasMetafilePicture() && o.MetafilePicture().Width() >= 1 && o.MetafilePicture().Height() >= 1)
      graphic = &o.MetafilePicture();
    else if (o.GetImage())
      graphic = o.GetImage();
    if (!graphic) return;
    const int n = pictureCount_++;
    const std::string file = "Pic" + std::to_string(n) + "." + pictureExt_;
    SaveGraphicAs(*graphic, AnsiString(folder + "/Pictures/" + file), PictureType);
    const TfrxRect r = TfrxIEMatrix::GetObjectBounds(o);
    if (text) body += "<text:p>";
    body += "<draw:frame draw:z-index=\"0\" draw:name=\"Picture" + std::to_string(n) +
            "\" draw:style-name=\"gr1\" draw:text-style-name=\"P1\" svg:width=\"" + Cm(r.Right - r.Left) +
            "\" svg:height=\"" + Cm(r.Bottom - r.Top) +
            "\" svg:x=\"0cm\" svg:y=\"0cm\"><draw:image xlink:href=\"Pictures/" + file +
            "\" xlink:type=\"simple\" xlink:show=\"embed\" text:anchor-type=\"frame\" xlink:actuate=\"onLoad\"/>"
            "</draw:frame>";
    if (text) body += "</text:p>";
  };
  // Span styles: one automatic text style per colour and font style in use.
  struct SpanStyle {
    gfx::TColor color;
    gfx::TFontStyles style;
    std::string name;
  };
  std::vector<SpanStyle> spanStyles;
  const std::function<std::string(gfx::TColor, gfx::TFontStyles)> spanStyle = [&](gfx::TColor color,
                                                                                  gfx::TFontStyles st) {
    for (const SpanStyle& s : spanStyles)
      if (s.color == color && s.style == st) return s.name;
    spanStyles.push_back({color, st, "ss-" + std::to_string(spanStyles.size() + 1)});
    // One properties element holds all of the look.
    styles += "<style:style style:name=\"" + spanStyles.back().name +
              "\" style:family=\"text\"><style:text-properties fo:color=\"" + HtmlColor(color) + "\"";
    if (st.Contains(gfx::fsItalic))
      styles += " fo:font-style=\"italic\" style:font-style-asian=\"italic\" style:font-style-complex=\"italic\"";
    if (st.Contains(gfx::fsBold))
      styles += " fo:font-weight=\"bold\" style:font-weight-asian=\"bold\" style:font-weight-complex=\"bold\"";
    if (st.Contains(gfx::fsUnderline))
      styles +=
          " style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" "
          "style:text-underline-color=\"font-color\"";
    styles += "/></style:style>";
    return spanStyles.back().name;
  };
  auto writeData = [&](int id, TfrxIEMObject& o) {
    int c0, r0, sx, sy;
    m.GetObjectPos(id, c0, r0, sx, sy);
    body += "<table:table-cell table:style-name=\"ce" + std::to_string(o.StyleId) + "\"";
    if (sx > 1 || sy > 1)
      body += " table:number-columns-spanned=\"" + std::to_string(sx) + "\" table:number-rows-spanned=\"" +
              std::to_string(sy) + "\"";
    if (!o.IsTextObject) {
      body += ">";
      writePicture(o);
      body += "</table:table-cell>";
      return;
    }
    // One paragraph per line of the text; a final empty line is the
    // text's own line end and is not written.
    std::vector<std::u16string> lines;
    for (int i = 0; i < o.Memo.Count(); ++i) {
      std::u16string line = o.Memo[i];
      std::u16string clean;
      for (char16_t ch : line)
        if (ch != u'\r' && ch != u'\n') clean += ch;
      lines.push_back(std::move(clean));
    }
    while (!lines.empty() && lines.back().empty() && lines.size() > 1) lines.pop_back();
    const std::string pStart =
        text ? "<text:p text:style-name=\"p" + std::to_string(o.StyleId) + "\">" : std::string("<text:p>");
    std::string value;
    if (IsNumericStyle(o.CellStyle)) {
      std::u16string all;
      for (const auto& l : lines) all += l;
      value = NumericValue(all, o.CellStyle->DisplayFormat->DecimalSeparator());
    }
    if (!value.empty())
      body += " office:value-type=\"float\" office:value=\"" + value + "\">";
    else
      body += " office:value-type=\"string\">";
    const bool link = value.empty() && !o.URL.empty() && o.URL[0] != '#' && o.URL[0] != '@';
    std::vector<std::string> paragraphs;
    if (o.AllowHTMLTags && value.empty()) {
      std::u16string all;
      for (int i = 0; i < o.Memo.Count(); ++i) all += o.Memo[i] + (i + 1 < o.Memo.Count() ? u"\r\n" : u"");
      const gfx::TFont* font = o.CellStyle ? o.CellStyle->Font.get() : nullptr;
      paragraphs = OdfSpanParagraphs(all, font ? font->Color() : gfx::clBlack,
                                     font ? font->Style() : gfx::TFontStyles(), spanStyle);
      while (paragraphs.size() > 1 && paragraphs.back().empty()) paragraphs.pop_back();
    } else {
      for (const auto& l : lines) paragraphs.push_back(OdfCellText(l));
    }
    for (const auto& p : paragraphs) {
      body += pStart;
      if (link) body += "<text:a xlink:href=\"" + EscAnsi(o.URL) + "\">";
      body += p;
      if (link) body += "</text:a>";
      body += "</text:p>";
    }
    body += "</table:table-cell>";
  };

  auto writeTable = [&](int page, int first, int last) {
    while (last >= first && rowEmpty(last)) --last;
    while (first < last && rowEmpty(first)) ++first;
    body += "<table:table table:name=\"" + EscAnsi(pageWord) + " " + std::to_string(page + 1) +
            "\" table:style-name=\"ta1\" table:print=\"false\">";
    for (int c = 0; c + 1 < m.ColumnCount; ++c)
      body += "<table:table-column table:style-name=\"co" + columnWidth[static_cast<std::size_t>(c)] + "\"/>";
    int p = page;
    for (int r = first; r <= last; ++r) {
      bool breakRow = false;
      if (ExportPageBreaks && p < pages && m.GetPageBreak(p) <= m.GetYPosById(r) && r > first) {
        breakRow = true;
        ++p;
      }
      const std::string h = Num((m.GetYPosById(r + 1) - m.GetYPosById(r)) / 38.5L, 3);
      const std::string name = "ro" + h + (breakRow ? "b" : "");
      if (rowStyles.insert(name).second)
        styles += "<style:style style:name=\"" + name +
                  "\" style:family=\"table-row\"><style:table-row-properties "
                  "fo:break-before=\"" +
                  (breakRow ? std::string("page") : std::string("auto")) + "\" style:row-height=\"" + h +
                  "cm\"/></style:style>";
      body += "<table:table-row table:style-name=\"" + name + "\">";
      int pending = 0;
      for (int c = 0; c + 1 < m.ColumnCount; ++c) {
        const int id = m.GetCell(c, r);
        TfrxIEMObject* o = id >= 0 ? m.GetObjectById(id) : nullptr;
        if (!o) {
          writeCovered(pending);
          body += "<table:table-cell/>";
        } else if (o->ExportMark != 0) {
          ++pending;
        } else {
          writeCovered(pending);
          o->ExportMark = 1;
          writeData(id, *o);
        }
      }
      writeCovered(pending);
      body += "</table:table-row>";
    }
    body += "</table:table>";
  };

  const int lastRow = m.RowCount - 2;
  int page = 0, groupStart = 0;
  if (!SingleSheet) {
    for (int r = 0; r <= lastRow; ++r) {
      if (page < pages && m.GetYPosById(r) >= m.GetPageBreak(page)) {
        if (r > groupStart) {
          writeTable(page, groupStart, r - 1);
          if (ExportPageBreaks) body += "<text:p text:style-name=\"pagebreak\"/>";
        }
        ++page;
        groupStart = r;
        if (progress_) {
          progress_->SetMessage(vuzResources().Get("ProgressWait"));
          if (progress_->Terminated()) return std::string();
        }
      }
    }
  }
  if (groupStart <= lastRow) writeTable(page, groupStart, lastRow);

  std::string x = kXmlHead;
  x += "<office:document-content" + NamespaceHeader() + "><office:scripts/><office:font-face-decls>";
  for (const std::string& f : fonts)
    x += "<style:font-face style:name=\"" + f + "\" svg:font-family=\"&apos;" + f +
         "&apos;\" style:font-pitch=\"variable\"/>";
  x += "</office:font-face-decls><office:automatic-styles>" + styles + "</office:automatic-styles><office:body>";
  x += text ? "<office:text text:use-soft-page-breaks=\"true\">" : "<office:spreadsheet>";
  x += body;
  x += text ? "</office:text>" : "</office:spreadsheet>";
  return x + "</office:body></office:document-content>";
}

// ---------------------------------------------------------------- the two kinds

TfrxODSExport::TfrxODSExport(rtl::TComponent* owner) : TfrxODFExport(owner) {
  vuzLoadExportResources();
  SetKind("spreadsheet");
  FileFilter = vuzResources().Get("ODSExportFilter");
  DefaultExt = vuzResources().Get("8960");
}
AnsiString TfrxODSExport::GetDescription() const { return vuzResources().Get("ODSExport"); }

TfrxODTExport::TfrxODTExport(rtl::TComponent* owner) : TfrxODFExport(owner) {
  vuzLoadExportResources();
  SetKind("text");
  FileFilter = vuzResources().Get("ODTExportFilter");
  DefaultExt = vuzResources().Get("8961");
}
AnsiString TfrxODTExport::GetDescription() const { return vuzResources().Get("ODTExport"); }

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxODFExport::StaticClass() {
  using F = TfrxODFExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxODFExport", &TfrxCustomExportFilter::StaticClass())
          .Property(
              "PictureType", [](const F& f) { return static_cast<int>(f.PictureType); },
              [](F& f, int v) { f.PictureType = static_cast<TfrxPictureType>(v); })
          .Property(
              "ExportStyles", [](const F& f) { return f.ExportStyles; }, [](F& f, bool v) { f.ExportStyles = v; })
          .Property(
              "ExportPageBreaks", [](const F& f) { return f.ExportPageBreaks; },
              [](F& f, bool v) { f.ExportPageBreaks = v; })
          .Property(
              "OpenAfterExport", [](const F& f) { return f.OpenAfterExport; },
              [](F& f, bool v) { f.OpenAfterExport = v; })
          .Property(
              "Wysiwyg", [](const F& f) { return f.Wysiwyg; }, [](F& f, bool v) { f.Wysiwyg = v; })
          .Property(
              "Background", [](const F& f) { return f.Background; }, [](F& f, bool v) { f.Background = v; })
          .Property(
              "EmptyLines", [](const F& f) { return f.EmptyLines; }, [](F& f, bool v) { f.EmptyLines = v; })
          .Property(
              "SingleSheet", [](const F& f) { return f.SingleSheet; }, [](F& f, bool v) { f.SingleSheet = v; })
          .Property(
              "Creator", [](const F& f) { return f.Creator; }, [](F& f, const AnsiString& v) { f.Creator = v; })
          .Property(
              "Language", [](const F& f) { return f.Language; }, [](F& f, const AnsiString& v) { f.Language = v; })
          .Property(
              "SuppressPageHeadersFooters", [](const F& f) { return f.SuppressPageHeadersFooters; },
              [](F& f, bool v) { f.SuppressPageHeadersFooters = v; })
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxODSExport::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxODSExport>("TfrxODSExport", &TfrxODFExport::StaticClass()).Creatable().Build();
  return info;
}

const rtl::TClassInfo& TfrxODTExport::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxODTExport>("TfrxODTExport", &TfrxODFExport::StaticClass()).Creatable().Build();
  return info;
}

void vuzExportODFStartup() {
  rtl::RegisterClass<TfrxODSExport>("TfrxODSExport");
  rtl::RegisterClass<TfrxODTExport>("TfrxODTExport");
}

}  // namespace report
