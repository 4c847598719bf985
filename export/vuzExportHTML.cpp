#include "export/vuzExportHTML.h"

#include <cmath>
#include <exception>

#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportStaging.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassView.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"

namespace report {

namespace {

TfrxHTMLExport::DialogHandler& DialogSlot() {
  static TfrxHTMLExport::DialogHandler handler;
  return handler;
}

long Round(long double v) { return std::lrint(static_cast<double>(v)); }

std::string Utf8(const AnsiString& s) { return rtl::AnsiToUtf8(s); }
std::string Attr(const AnsiString& s) { return HtmlEscape(rtl::AnsiToUtf8(s)); }

AnsiString ReverseSlash(AnsiString s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

// The document being written: lines collect in a buffer that goes to the
// stream in large pieces.
struct TfrxHTMLExport::Writer {
  explicit Writer(rtl::TStream& s) : stream(s) {}
  ~Writer() = default;
  void Ln(std::string_view text) {
    buffer += text;
    buffer += "\r\n";
    if (buffer.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!buffer.empty()) stream.WriteBuffer(buffer.data(), static_cast<std::int64_t>(buffer.size()));
    buffer.clear();
  }
  rtl::TStream& stream;
  std::string buffer;
};

// ---------------------------------------------------------------- filter

TfrxHTMLExport::TfrxHTMLExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  vuzLoadExportResources();
  HTMLDocumentBegin.Add("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  HTMLDocumentBegin.Add("<html><head>");
  HTMLDocumentBegin.Add("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  HTMLDocumentBegin.Add("<meta name=\"Generator\" content=\"Zarnik report engine\">");
  HTMLDocumentEnd.Add("</body></html>");
  ShowDialog = true;
  FileFilter = vuzGet(8210);
  DefaultExt = vuzGet(8211);
  CreatedFiles = std::make_unique<rtl::TStringList>();
}

TfrxHTMLExport::~TfrxHTMLExport() = default;

AnsiString TfrxHTMLExport::GetDescription() const {
  vuzLoadExportResources();
  return vuzResources().Get("HTMLexport");
}

void TfrxHTMLExport::SetDialogHandler(DialogHandler handler) { DialogSlot() = std::move(handler); }

int TfrxHTMLExport::ShowModal() {
  if (Stream || !DialogSlot()) return 1;
  return DialogSlot()(*this);
}

AnsiString TfrxHTMLExport::ReportFileName() const {
  auto* report = dynamic_cast<TfrxReport*>(Report);
  return report ? report->FileName() : AnsiString();
}

AnsiString TfrxHTMLExport::Title() const {
  auto* report = dynamic_cast<TfrxReport*>(Report);
  if (report && report->ReportOptions() && !report->ReportOptions()->Name.empty()) return report->ReportOptions()->Name;
  return rtl::ChangeFileExt(rtl::ExtractFileName(rtl::ToSlashes(ReportFileName())), "");
}

AnsiString TfrxHTMLExport::PicsLeaf() const {
  const AnsiString base = rtl::ExtractFileName(rtl::ToSlashes(FileName));
  return PicsInSameFolder ? rtl::ChangeFileExt(base, ".") : rtl::ChangeFileExt(base, ".files") + "/";
}

AnsiString TfrxHTMLExport::PicsFolderRel() const {
  const AnsiString name = rtl::ToSlashes(FileName);
  const AnsiString base = rtl::ExtractFileName(name);
  if (PicsInSameFolder) return rtl::ChangeFileExt(base, ".");
  if (Multipage) return AnsiString();
  if (AbsLinks) return rtl::ExtractFilePath(name) + rtl::ChangeFileExt(base, ".files") + "/";
  if (Navigator) return AnsiString();
  return rtl::ChangeFileExt(base, ".files") + "/";
}

AnsiString TfrxHTMLExport::FrameFolder() const {
  const AnsiString base = rtl::ExtractFileName(rtl::ToSlashes(FileName));
  return PicsInSameFolder ? rtl::ChangeFileExt(base, ".") : rtl::ChangeFileExt(base, ".files") + "/";
}

bool TfrxHTMLExport::Start() {
  vuzLoadExportResources();
  ClearRun();
  if (ExportToTemp) {
    OpenAfterExport = Navigator = Multipage = Background = false;
    ExportPictures = PicsInSameFolder = true;
    const AnsiString name = rtl::ExtractFileName(rtl::ToSlashes(ReportFileName()));
    FileName = name.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                            : GetTemporaryFolder() + rtl::ChangeFileExt(name, DefaultExt);
  }
  if (FileName.empty() && !Stream) {
    CreatedFiles->Clear();
    return false;
  }
  if (!DefaultPath.empty() && !FileName.empty() && rtl::ExtractFilePath(rtl::ToSlashes(FileName)).empty())
    FileName = DefaultPath + "/" + FileName;
  if (Stream) Multipage = ExportPictures = Navigator = false;
  pageCount_ = pictureCount_ = 0;
  auto* report = dynamic_cast<TfrxReport*>(Report);
  matrix_ = std::make_unique<TfrxIEMatrix>(UseFileCache,
                                           report && report->EngineOptions() ? report->EngineOptions()->TempDir : "");
  TfrxIEMatrix& m = *matrix_;
  m.SourceReport = Report;
  m.ShowProgress = ShowProgress && !Multipage;
  m.Inaccuracy = 0.5L;
  m.RotatedAsPicture = true;
  m.FrameOptimization = true;
  m.Background = Background;
  m.BackgroundAsPicture = false;
  m.ExportNotPrintable = ExportNotPrintable;
  m.KeepRichText = m.RichAsPlainText = true;
  m.EmptyLines = EmptyLines;
  // Pictures and page files need a folder to go to; a stream gets the
  // document alone.
  if (!Stream) {
    const AnsiString folder = rtl::ExtractFilePath(rtl::ToSlashes(FileName));
    staging_ = std::make_unique<TfrxExportStaging>(folder);
    if (!PicsInSameFolder && (ExportPictures || Multipage || Navigator))
      rtl::ForceDirectories(staging_->Path(PicsLeaf()));
  }
  CreatedFiles->Clear();
  return true;
}

void TfrxHTMLExport::ClearRun() {
  matrix_.reset();
  staging_.reset();  // removes what an unfinished export wrote
  progress_.reset();
  pageHasBackground_ = false;
}

void TfrxHTMLExport::StartPage(TfrxComponent* /*page*/, int /*index*/) {
  ++pageCount_;
  pageHasBackground_ = false;
  background_.SetSize(0, 0);
}

void TfrxHTMLExport::ExportObject(TfrxComponent* object) {
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || !matrix_) return;
  if (!view->Printable() && !ExportNotPrintable) return;
  if (object->IsA("TfrxCustomMemoView") || object->IsA("TfrxLineView") || ExportPictures) matrix_->AddObject(view);
  if (object->Name() == "_pagebackground" && ExportPictures && Background) {
    pageHasBackground_ = true;
    background_.SetSize(static_cast<int>(Round(view->Width())), static_cast<int>(Round(view->Height())));
    view->Draw(background_.Canvas(), 1, 1, -view->GetAbsLeft(), -view->GetAbsTop());
  }
}

void TfrxHTMLExport::FinishPage(TfrxComponent* page, int index) {
  if (!matrix_) return;
  auto* p = dynamic_cast<TfrxReportPage*>(page);
  if (!Multipage) {
    if (p)
      matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                       p->BottomMargin(), p->MirrorMargins(), index);
    return;
  }
  // The export driver finishes the page also when the export failed or was
  // stopped: then no page file is written.
  struct Clear {
    TfrxIEMatrix& m;
    ~Clear() { m.Clear(); }
  } clear{*matrix_};
  if (std::current_exception()) return;
  if (p)
    matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                     p->BottomMargin(), p->MirrorMargins(), index);
  matrix_->Prepare();
  WritePageFile(pageCount_);
}

void TfrxHTMLExport::WritePageFile(int pageNumber) {
  const AnsiString leaf = PicsLeaf() + AnsiString(std::to_string(pageNumber)) + ".html";
  rtl::TFileStream file(staging_->Path(leaf), rtl::fmCreate);
  Writer w(file);
  WriteDocument(w, true);
  w.Flush();
  CreatedFiles->Add(staging_->FinalPath(leaf));
}

void TfrxHTMLExport::Finish() {
  // Finish runs also after a failed or stopped export: nothing is kept.
  if (std::current_exception() || !matrix_) {
    ClearRun();
    return;
  }
  struct Release {
    TfrxHTMLExport& f;
    ~Release() { f.ClearRun(); }
  } release{*this};
  if (!Multipage) {
    if (ShowProgress) {
      progress_ = vuzCreateProgress();
      if (progress_) progress_->Execute(std::max(0, pageCount_ - 1), vuzResources().Get("ProgressWait"), true, true);
    }
    matrix_->Prepare();
    if (progress_ && progress_->Terminated()) return;
    if (Stream) {
      Writer w(*Stream);
      WriteDocument(w, false);
      w.Flush();
    } else {
      const AnsiString leaf = Navigator ? PicsLeaf() + "main.html" : rtl::ExtractFileName(rtl::ToSlashes(FileName));
      rtl::TFileStream file(staging_->Path(leaf), rtl::fmCreate);
      Writer w(file);
      WriteDocument(w, false);
      w.Flush();
      CreatedFiles->Add(staging_->FinalPath(leaf));
    }
    // Stopped while the rows were written: the document is incomplete.
    if (progress_ && progress_->Terminated()) return;
    progress_.reset();
  }
  if (Navigator && !Stream) WriteNavigatorAndFrameset();
  if (staging_) {
    // A pictures folder that nothing went into is not left behind.
    if (!PicsInSameFolder) rtl::RemoveDir(rtl::ExcludeTrailingPathDelimiter(staging_->Path(PicsLeaf())));
    staging_->Commit();
  }
  if (OpenAfterExport && !Stream)
    rtl::ShellOpen(Multipage && !Navigator ? staging_->FinalPath(PicsLeaf() + "1.html") : FileName);
}

void TfrxHTMLExport::SavePicture(const gfx::TGraphic& graphic, const AnsiString& leafName) {
  SaveGraphicAs(graphic, staging_->Path(PicsLeaf() + leafName), PictureType);
  CreatedFiles->Add(staging_->FinalPath(PicsLeaf() + leafName));
}

void TfrxHTMLExport::WriteTableHead(Writer& w, bool pageBreak) {
  TfrxIEMatrix& m = *matrix_;
  std::string head = "<table";
  if (FixedWidth) head += " width=\"" + std::to_string(Round(m.MaxRight - m.ContentLeft)) + "\"";
  if (Centered) head += " align=\"center\"";
  head += " border=\"0\" cellspacing=\"0\" cellpadding=\"0\"";
  head += pageBreak ? " class=\"page_break\">" : ">";
  w.Ln(head);
  std::string widths = "<tr style=\"height: 1px\">";
  if (m.ColumnCount < 2)
    widths += "<td></td>";
  else
    for (int i = 0; i + 1 < m.ColumnCount; ++i)
      widths += "<td width=\"" + std::to_string(Round(m.GetXPosById(i + 1) - m.GetXPosById(i))) + "\"></td>";
  w.Ln(widths + "</tr>");
}

void TfrxHTMLExport::WriteDocument(Writer& w, bool multipageDocument) {
  TfrxIEMatrix& m = *matrix_;
  const AnsiString picsRel = ReverseSlash(PicsFolderRel());
  const std::string ext = Utf8(GetPicFileExtension(PictureType));
  for (int i = 0; i < HTMLDocumentBegin.Count(); ++i) w.Ln(Utf8(HTMLDocumentBegin[i]));
  w.Ln("");
  if (Print) w.Ln("<script language=\"javascript\" type=\"text/javascript\"> parent.focus(); parent.print();</script>");
  w.Ln("<title>" + Attr(Title()) + "</title>");
  if (ExportStyles) {
    w.Ln("<style type=\"text/css\"><!-- ");
    w.Ln(".page_break {page-break-before: always;}");
    for (int i = 0; i < m.GetStylesCount(); ++i)
      if (const TfrxIEMStyle* s = m.GetStyleById(i)) w.Ln(HtmlStyleBlock(*s, i));
    w.Ln("--></style>");
  }
  w.Ln("</head>");
  std::string body = "<body";
  if (pageHasBackground_ && ExportPictures && staging_ && !background_.Empty()) {
    const AnsiString leaf = "backgrnd." + GetPicFileExtension(PictureType);
    SavePicture(background_, leaf);
    body += " background=\"" + Attr(picsRel + leaf) + "\"";
  }
  w.Ln(body + " bgcolor=\"#FFFFFF\" text=\"#000000\">");
  for (int i = 0; i < HTMLDocumentBody.Count(); ++i) w.Ln(Utf8(HTMLDocumentBody[i]));
  w.Ln("<a name=\"PageN1\"></a>");
  WriteTableHead(w, false);
  bool tableOpen = true;

  const int pages = m.GetPagesCount();
  int page = 0;
  std::string cells;
  for (int j = 0; j + 1 < m.RowCount; ++j) {
    if (!multipageDocument && progress_ && progress_->Terminated()) break;
    bool closesPage = false;
    if (page < pages && Round(m.GetYPosById(j + 1)) >= Round(m.GetPageBreak(page))) {
      ++page;
      if (progress_ && !multipageDocument) progress_->SetMessage(vuzResources().Get("ProgressWait"));
      closesPage = true;
    }
    long h = Round((m.GetYPosById(j + 1) - m.GetYPosById(j)) / 1.03L);
    if (h == 0) h = 1;
    w.Ln("<tr style=\"height:" + std::to_string(h) + "px\">");
    cells.clear();
    for (int i = 0; i + 1 < m.ColumnCount; ++i) {
      const int id = m.GetCell(i, j);
      TfrxIEMObject* o = id >= 0 ? m.GetObjectById(id) : nullptr;
      if (!o) {
        cells += "<td></td>";
        continue;
      }
      if (o->ExportMark != 0) continue;
      o->ExportMark = 1;
      int c0, r0, sx, sy;
      m.GetObjectPos(id, c0, r0, sx, sy);
      cells += "<td";
      if (sx > 1) cells += " colspan=\"" + std::to_string(sx) + "\"";
      if (sy > 1) cells += " rowspan=\"" + std::to_string(sy) + "\"";
      if (ExportStyles) cells += " class=\"s" + std::to_string(o->StyleId) + "\"";
      const rtl::WideString text = o->Memo.Text();
      bool blank = true;
      for (char16_t c : text)
        if (c > u' ') {
          blank = false;
          break;
        }
      if (blank) cells += " style=\"font-size:1px\"";
      cells += ">";
      AnsiString url = o->URL;
      if (!url.empty()) {
        if (url[0] == '@') {
          if (Multipage) {
            url = ReverseSlash(PicsFolderRel() + rtl::Trim(url.substr(1)) + ".html");
          } else {
            url = "#PageN" + url.substr(1);
          }
        }
        cells += "<a href=\"" + Attr(url) + "\"";
        if (!URLTarget.empty()) cells += " target=\"" + Attr(URLTarget) + "\"";
        cells += ">";
      }
      if (o->IsTextObject) {
        cells += HtmlCellText(text, o->AllowHTMLTags);
      } else if (gfx::TBitmap* image = o->GetImage(); image && !image->Empty() && staging_) {
        const AnsiString leaf =
            "img" + AnsiString(std::to_string(pictureCount_)) + "." + GetPicFileExtension(PictureType);
        SavePicture(*image, leaf);
        cells += "<img src=\"" + Attr(picsRel + leaf) + "\" width=\"" + std::to_string(image->Width()) +
                 "\" height=\"" + std::to_string(image->Height()) + "\" alt=\"\">";
        ++pictureCount_;
      }
      if (!url.empty()) cells += "</a>";
      cells += "</td>";
    }
    w.Ln(cells);
    w.Ln("</tr>");
    if (closesPage) {
      w.Ln("</table>");
      tableOpen = false;
      if (j + 2 < m.RowCount) {
        w.Ln("<a name=\"PageN" + std::to_string(page + 1) + "\"></a>");
        WriteTableHead(w, true);
        tableOpen = true;
      }
    }
  }
  // Every table is closed once, also when the last row ends short of its
  // page's bottom.
  if (tableOpen) w.Ln("</table>");
  for (int i = 0; i < HTMLDocumentEnd.Count(); ++i) w.Ln(Utf8(HTMLDocumentEnd[i]));
}

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxHTMLExport::StaticClass() {
  using F = TfrxHTMLExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxHTMLExport", &TfrxCustomExportFilter::StaticClass())
          .Creatable()
          .Property(
              "OpenAfterExport", [](const F& f) { return f.OpenAfterExport; },
              [](F& f, bool v) { f.OpenAfterExport = v; })
          .Property(
              "FixedWidth", [](const F& f) { return f.FixedWidth; }, [](F& f, bool v) { f.FixedWidth = v; })
          .Property(
              "ExportPictures", [](const F& f) { return f.ExportPictures; }, [](F& f, bool v) { f.ExportPictures = v; })
          .Property(
              "PicsInSameFolder", [](const F& f) { return f.PicsInSameFolder; },
              [](F& f, bool v) { f.PicsInSameFolder = v; })
          .Property(
              "ExportStyles", [](const F& f) { return f.ExportStyles; }, [](F& f, bool v) { f.ExportStyles = v; })
          .Property(
              "Navigator", [](const F& f) { return f.Navigator; }, [](F& f, bool v) { f.Navigator = v; })
          .Property(
              "Multipage", [](const F& f) { return f.Multipage; }, [](F& f, bool v) { f.Multipage = v; })
          .Property(
              "MozillaFrames", [](const F& f) { return f.MozillaFrames; }, [](F& f, bool v) { f.MozillaFrames = v; })
          .Property(
              "AbsLinks", [](const F& f) { return f.AbsLinks; }, [](F& f, bool v) { f.AbsLinks = v; })
          .Property(
              "Background", [](const F& f) { return f.Background; }, [](F& f, bool v) { f.Background = v; })
          .Property(
              "Centered", [](const F& f) { return f.Centered; }, [](F& f, bool v) { f.Centered = v; })
          .Property(
              "EmptyLines", [](const F& f) { return f.EmptyLines; }, [](F& f, bool v) { f.EmptyLines = v; })
          .Property(
              "HTMLDocumentBegin", [](const F& f) { return &f.HTMLDocumentBegin; },
              [](F& f, rtl::TStringList* v) { f.HTMLDocumentBegin.Assign(v); })
          .Property(
              "HTMLDocumentBody", [](const F& f) { return &f.HTMLDocumentBody; },
              [](F& f, rtl::TStringList* v) { f.HTMLDocumentBody.Assign(v); })
          .Property(
              "HTMLDocumentEnd", [](const F& f) { return &f.HTMLDocumentEnd; },
              [](F& f, rtl::TStringList* v) { f.HTMLDocumentEnd.Assign(v); })
          .Property(
              "URLTarget", [](const F& f) { return f.URLTarget; }, [](F& f, const AnsiString& v) { f.URLTarget = v; })
          .Property(
              "Print", [](const F& f) { return f.Print; }, [](F& f, bool v) { f.Print = v; })
          .Property(
              "PictureType", [](const F& f) { return static_cast<int>(f.PictureType); },
              [](F& f, int v) { f.PictureType = static_cast<TfrxPictureType>(v); })
          .Build();
  return info;
}

void vuzExportHTMLStartup() { rtl::RegisterClass<TfrxHTMLExport>("TfrxHTMLExport"); }

}  // namespace report
