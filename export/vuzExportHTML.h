// The HTML export: the prepared pages laid out by the layout matrix and
// written as HTML 4.01 tables in UTF-8, one CSS class per distinct cell
// look, pictures as files beside the document. All pages go into one
// document (a new table at every page) or one document per page, optionally
// inside a frameset with a page navigator.
//
// Every file of one export is written into a private folder beside the
// target and moved into place only when the export has succeeded, so a
// failed or cancelled export leaves nothing behind and older files of those
// names stay as they were.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "export/vuzExportMarkup.h"
#include "export/vuzImageConverter.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxIEMatrix;
class TfrxIEMStyle;
class TfrxCustomProgress;
class TfrxExportStaging;

class TfrxHTMLExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxHTMLExport(rtl::TComponent* owner = nullptr);
  ~TfrxHTMLExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // Published options.
  bool OpenAfterExport = false, FixedWidth = true, ExportPictures = true, PicsInSameFolder = false, ExportStyles = true,
       Navigator = false, Multipage = false, MozillaFrames = false, AbsLinks = false, Background = false,
       Centered = false, EmptyLines = true, Print = false;
  AnsiString URLTarget;
  TfrxPictureType PictureType = gpPNG;
  // Written at the start of every document, after its body tag, at its end.
  rtl::TStringList HTMLDocumentBegin, HTMLDocumentBody, HTMLDocumentEnd;

  // Public, not stored.
  bool NavigatorButtons = false;  // Refresh and Print buttons on the navigator
  AnsiString PrintLocation, RefreshLocation, ReportPathPrefix;
  bool CustomNavigation = false;  // the two events below make the navigator and the frameset
  std::function<void(const AnsiString& reportName, bool multipage, AnsiString& page, int pageCount,
                     const AnsiString& prefix, bool sameFolder)>
      OnNavigatorPage;
  std::function<void(const AnsiString& title, const AnsiString& frameFolder, AnsiString& page, bool multipage)>
      OnFramesetPage;

  // The options dialog, installed by the GUI companion; without it the
  // export runs with its settings.
  using DialogHandler = std::function<int(TfrxHTMLExport&)>;
  static void SetDialogHandler(DialogHandler handler);

  // How documents refer to pictures and page files (see the folder rules in
  // the unit), and where the frameset finds its frames. "/" separated.
  AnsiString PicsFolderRel() const;
  AnsiString FrameFolder() const;

 private:
  struct Writer;
  void WriteDocument(Writer& w, bool multipageDocument);
  void WriteTableHead(Writer& w, bool pageBreak);
  AnsiString Title() const;
  AnsiString ReportFileName() const;
  // The folder (or name prefix) pictures and page files are written under,
  // relative to the target's folder ("rep.files/" or "rep.").
  AnsiString PicsLeaf() const;
  void SavePicture(const gfx::TGraphic& graphic, const AnsiString& leafName);
  void WritePageFile(int pageNumber);
  void WriteNavigatorAndFrameset();
  void ClearRun();

  std::unique_ptr<TfrxIEMatrix> matrix_;
  std::unique_ptr<TfrxExportStaging> staging_;
  std::unique_ptr<TfrxCustomProgress> progress_;
  gfx::TBitmap background_;
  bool pageHasBackground_ = false;
  int pageCount_ = 0, pictureCount_ = 0;
};

// Makes the filter creatable by class name (stored forms, tools).
void vuzExportHTMLStartup();

// ---- the text pieces, exposed for tests

// A cell's text: one final CR LF removed; with allowTags the formatting tags
// become <b>, <i>, <u>, <s> and colour spans, without them the text is
// plain; escaped, CR LF as <br>, trimmed; "&nbsp;" when nothing remains.
std::string HtmlCellText(const rtl::WideString& text, bool allowTags);
// The style sheet block of matrix style n.
std::string HtmlStyleBlock(const TfrxIEMStyle& style, int n);

}  // namespace report
