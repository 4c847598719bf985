// The PDF export: the prepared pages of a report as one PDF 1.5 file. Text
// stays text (composite TrueType fonts with glyph widths and text maps, laid
// out exactly as the preview lays it out), lines and shapes become vector
// paths, everything else inline JPEG pictures. Documents can carry an
// outline, links, document information, viewer preferences and standard
// security (RC4 128-bit, revision 3).
//
// The whole file is built in memory and written in one piece at the end
// (through a temporary file and a rename), so a failed or cancelled export
// leaves no file behind and an older file of that name stays as it was.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/gfx/font_engine.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassServices.h"
#include "report/vuzClassView.h"

namespace report {

class TfrxCustomMemoView;
class TfrxCustomLineView;
class TfrxShapeView;
class TfrxCheckBoxView;

using rtl::AnsiString;
using rtl::WideString;

// Permissions of an encrypted document; a set is a bit mask (ePrint = bit 0).
enum TfrxPDFEncBit { ePrint, eModify, eCopy, eAnnot };
using TfrxPDFEncBits = unsigned;
constexpr TfrxPDFEncBits kAllPDFPermissions = 15;
// The permission value of a set: -64 plus 4, 8, 16, 32 for the four rights.
std::int32_t vuzPDFPermissionValue(TfrxPDFEncBits flags);

// ---------------------------------------------------------------- numbers and operators

// A number of points: the integer when whole, otherwise two decimals.
AnsiString PdfNum(double value);
// Colour texts: "r g b" with components in 0..1.
AnsiString PdfColor(gfx::TColor color);  // two digits of (c x 100) div 256
AnsiString PdfSetLineColor(gfx::TColor color);
AnsiString PdfSetColor(gfx::TColor color);
AnsiString PdfSetLineWidth(double width);
AnsiString PdfPoint(double x, double y);
AnsiString PdfMove(double x, double y);
AnsiString PdfLine(double x, double y);
AnsiString PdfFill();
AnsiString PdfFillRect(double x1, double y1, double x2, double y2, gfx::TColor color);
// The dash line of a frame style and a width in pixels.
AnsiString PdfDash(TfrxFrameStyle style, double width);
// Escapes "(", ")", "\", CR and LF for a literal string.
AnsiString EscapeSpecialChar(std::string_view text);
// Four upper-case hexadecimal digits per UTF-16 unit; StrToUTF16H adds the mark.
AnsiString StrToHex(std::u16string_view text);
AnsiString StrToUTF16H(std::u16string_view text);
// FE FF and the UTF-16 units, high byte first.
std::string StrToUTF16(std::u16string_view text);
// A URI as a literal string: printable ASCII stays, everything else is
// UTF-8 percent-encoded, so the string is always plain ASCII.
std::string PdfURI(std::u16string_view text);

// ---------------------------------------------------------------- fonts

// One composite font of the document: the face that measured the text is the
// face named or embedded, and its glyph ids are the codes written.
class TfrxPDFFont {
 public:
  explicit TfrxPDFFont(const gfx::TFont& source);

  // The glyph codes of one line in display order, as UTF-16 units (one per
  // glyph); records each new glyph with its advance and the text it stands for.
  std::u16string RemapString(std::u16string_view text, bool rightToLeft);
  // The base font name: special characters as #xx, ",Bold"/",Italic" unless
  // the font is one of the style-less names.
  AnsiString GetFontName() const;
  // The face's file (one face of a collection); empty when there is none.
  std::string FontFile() const;
  // The matched face stands in for a font of another name (a substitute):
  // its glyph ids mean nothing to a viewer that has the named font.
  bool IsSubstitute() const { return substitute_; }
  // The face permits embedding (no restricted-licence bit alone).
  bool EmbeddingAllowed() const;

  const gfx::TFont& Source() const { return source_; }
  const gfx::TFontInstance& Instance() const { return *instance_; }
  const std::vector<std::uint16_t>& UsedGlyphs() const { return glyphs_; }
  const std::vector<int>& Widths() const { return widths_; }
  const std::vector<std::u16string>& UsedText() const { return texts_; }

  AnsiString Name;  // resource name "/F<n>"
  int ObjectNumber = 0;
  bool Numbered = false;

 private:
  void Use(std::uint32_t glyph, int advance, std::u16string text);

  gfx::TFont source_;
  gfx::TFontInstancePtr instance_;
  bool substitute_ = false;
  std::vector<std::uint16_t> glyphs_;
  std::vector<int> widths_;
  std::vector<std::u16string> texts_;
  std::vector<std::int32_t> slot_;  // glyph id -> index in glyphs_, -1 when unused
};

// The five names for which one font object serves every style.
bool vuzPDFStylelessFont(const AnsiString& name);

// ---------------------------------------------------------------- document parts

struct TfrxPDFPage {
  double Height = 0;  // points
};

struct TfrxPDFAnnot {
  int Number = 0;
  AnsiString Rect;   // "left bottom right top"
  std::string URI;   // literal string bytes (before encryption); empty: internal
  int DestPage = 0;  // prepared page, 0-based
  int DestY = 0;     // points
};

struct TfrxPDFOutlineNode {
  int Number = 0;
  int DestPage = -1;
  int Top = 0;
  int CountTree = 0;  // all entries below
  int Count = 0;      // direct children
  AnsiString Title;
  std::vector<std::unique_ptr<TfrxPDFOutlineNode>> Children;
};

// ---------------------------------------------------------------- the filter

class TfrxPDFExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxPDFExport(rtl::TComponent* owner);
  // Unregistered, for callers that own the filter.
  TfrxPDFExport();
  ~TfrxPDFExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // ---- published settings
  bool Compressed = true;
  bool EmbeddedFonts = false;
  bool EmbedFontsIfProtected = true;
  bool OpenAfterExport = false;
  bool PrintOptimized = false;
  bool Outline = false;
  bool Background = false;
  bool HTMLTags = true;
  int Quality = 95;
  WideString Title, Author, Subject, Keywords, Creator, Producer;
  AnsiString UserPassword, OwnerPassword;
  TfrxPDFEncBits ProtectionFlags() const { return protectionFlags_; }
  void SetProtectionFlags(TfrxPDFEncBits flags);
  bool HideToolbar = false, HideMenubar = false, HideWindowUI = false;
  bool FitWindow = false, CenterWindow = false, PrintScaling = false;

  // ---- what makes two runs byte-identical: the clock of the dates and the
  // source of the identifier (a GUID text); nil: now and a random GUID.
  std::function<rtl::TDateTime()> Clock;
  std::function<AnsiString()> NewGUID;

  // The options dialog: the GUI installs it; without one the export runs
  // with its settings as they are. Answers 1 (OK) or 2 (Cancel).
  using TDialogHandler = std::function<int(TfrxPDFExport&)>;
  static void SetDialogHandler(TDialogHandler handler);
  static bool HasDialogHandler();

  // ---- state an export exposes (tests and the content writer)
  bool Encrypted() const { return encrypted_; }
  std::int32_t PermissionValue() const { return permission_; }
  const AnsiString& FileID() const { return fileId_; }
  const std::string& DocumentKey() const { return key_; }
  const std::string& OwnerValue() const { return ownerValue_; }
  const std::string& UserValue() const { return userValue_; }
  // The page's content stream while a page is open.
  std::string& Content() { return content_; }

  // ---- security
  static std::string PadPassword(std::string_view password);
  // Owner value, document key and user value from the passwords,
  // permissions and identifier.
  void PrepareKeys();
  // The RC4 key of one object.
  std::string ObjectKey(int objectNumber) const;
  // Bytes enciphered with the object's key when encrypted (else unchanged).
  std::string CryptBytes(std::string bytes, int objectNumber) const;
  // A text string: <FEFF...> in the clear, (escaped cipher) when encrypted.
  AnsiString PrepareString(std::u16string_view text, int objectNumber) const;

  // ---- page content (used by the drawing of one object)
  void AddObject(TfrxView* view);
  AnsiString GetPDFColor(gfx::TColor color);
  double X(double v) const { return v * 0.75 + marginLeft_; }
  double Y(double v) const { return pageHeight_ - marginTop_ - v * 0.75; }

 private:
  class Writer;
  void ClearState();
  int UpdateXRef();
  void SetXRef(int number);
  void Write(std::string_view text) { out_.append(text); }
  void WriteLn(std::string_view text) {
    out_.append(text);
    out_.append("\r\n");
  }
  void WriteStreamObject(int number, const std::string& plain, bool lineEndAfterCompressed);
  void WriteFont(TfrxPDFFont& font);
  void WriteOutline(int& rootNumber);
  void BuildOutline(TfrxCustomOutline& source, TfrxPDFOutlineNode& parent, int& next);
  void WriteOutlineNode(const TfrxPDFOutlineNode& node, int parent, int prev, int next);
  int PageObjectOf(int preparedPage) const;
  bool PageExported(int preparedPage) const;
  void AddLink(const AnsiString& url, const AnsiString& rect);
  TfrxPDFFont& FontFor(const gfx::TFont& font);
  AnsiString DateText() const;
  void SaveOutput();

  void DrawText(TfrxCustomMemoView& memo);
  void DrawLineView(TfrxCustomLineView& line);
  void DrawArrow(double ox, double oy, double tx, double ty, TfrxCustomLineView& line);
  void DrawShape(TfrxShapeView& shape);
  void DrawCheck(TfrxCheckBoxView& box);
  void DrawPicture(TfrxView& view, bool isMemo);
  void DrawRaster(TfrxView& view, bool isMemo);
  void DrawFrame(TfrxView& view);

  TfrxPDFEncBits protectionFlags_ = kAllPDFPermissions;
  std::int32_t permission_ = -4;

  // one export
  std::string out_;  // the whole document
  bool active_ = false;
  bool encrypted_ = false;
  AnsiString fileId_;
  AnsiString target_;  // the file written at the end (empty: Stream)
  std::vector<std::int64_t> xref_;
  std::vector<int> pageObjects_;
  std::vector<int> exportedPages_;  // prepared page index of each exported page
  std::vector<TfrxPDFPage> pages_;
  std::vector<std::unique_ptr<TfrxPDFFont>> fonts_;
  std::vector<TfrxPDFAnnot> annots_;
  std::vector<int> pageAnnots_;
  std::string content_;
  double pageWidth_ = 0, pageHeight_ = 0, marginLeft_ = 0, marginTop_ = 0;
  int preparedPageCount_ = 0;
  std::vector<int> wantedPages_;  // 1-based numbers from PageNumbers; empty: all
  std::string key_, ownerValue_, userValue_;
  gfx::TColor cachedColor_ = 0;
  AnsiString cachedColorText_ = "0 0 0";
};

void vuzExportPDFStartup();

}  // namespace report
