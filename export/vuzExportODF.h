// The OpenDocument exports: prepared pages laid out by the layout matrix and
// written as an OpenDocument 1.0 package, a spreadsheet (".ods") or a text
// document (".odt") whose tables hold the matrix's cells, spans and pictures.
#pragma once
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export/vuzImageConverter.h"
#include "platform/gfx/bitmap.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxIEMatrix;
class TfrxIEMObject;
class TfrxCustomProgress;

class TfrxODFExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxODFExport(rtl::TComponent* owner = nullptr);
  ~TfrxODFExport() override;

  AnsiString GetDescription() const override { return AnsiString(); }
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // Published options.
  TfrxPictureType PictureType = gpPNG;
  bool ExportStyles = true, ExportPageBreaks = true, OpenAfterExport = false, Wysiwyg = true, Background = true,
       EmptyLines = true, SingleSheet = false;
  AnsiString Creator = "ReziZuzore", Language = "en";

  // "spreadsheet" or "text": the last word of the package's MIME type.
  const std::string& DocumentKind() const { return kind_; }

  // The options dialog, installed by the GUI companion; without it the
  // filter runs with its settings.
  using DialogHandler = std::function<int(TfrxODFExport&)>;
  static void SetDialogHandler(DialogHandler handler);

 protected:
  void SetKind(const std::string& kind) { kind_ = kind; }

 private:
  // Writes the package's files into folder (created, empty).
  void WritePackageFiles(const std::string& folder);
  std::string StylesXml() const;
  std::string ContentXml(const std::string& folder);
  std::string ManifestXml() const;
  std::string MetaXml() const;
  bool IsText() const { return kind_ == "text"; }

  // The header or footer text of the master page: the texts of the matrix
  // objects marked as lying in a page header (footer).
  std::string HeaderFooterText(bool header) const;

  std::string kind_;
  std::unique_ptr<TfrxIEMatrix> matrix_;
  std::unique_ptr<gfx::TBitmap> thumbnail_;  // the first page at a fifth of its size
  std::unique_ptr<TfrxCustomProgress> progress_;
  bool firstPage_ = false;
  long double pageWidth_ = 0, pageHeight_ = 0, margins_[4] = {0, 0, 0, 0};  // left, top, right, bottom (mm)
  int pictureCount_ = 0;
  std::string pictureExt_;
};

class TfrxODSExport : public TfrxODFExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxODSExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
};

class TfrxODTExport : public TfrxODFExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxODTExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
};

// Makes the two filters creatable by class name (stored forms, tools).
void vuzExportODFStartup();

// The element text of one cell line (UTF-16 in, UTF-8 out): markup
// characters escaped, runs of spaces, tabs as their elements, control
// characters dropped. Exposed for tests.
std::string OdfCellText(std::u16string_view line);

// One piece of a line that goes on after earlier pieces (spans): a space
// right after the text before it stays plain; a final run of spaces is
// written as elements only when the piece ends the line.
std::string OdfCellText(std::u16string_view piece, bool& afterNonSpace, bool endsLine);

// A cell text whose formatting tags are allowed, one entry per line (a
// final line end makes no line): the tags removed (they may span lines),
// each run of one colour and font style a "text:span" with its escaped
// text. spanStyle answers the style name of a colour and font style.
std::vector<std::string> OdfSpanParagraphs(std::u16string_view text, gfx::TColor defaultColor,
                                           gfx::TFontStyles defaultStyle,
                                           const std::function<std::string(gfx::TColor, gfx::TFontStyles)>& spanStyle);

}  // namespace report
