// The PDF document as a whole: settings, objects and cross-reference table,
// pages, information, outline, links, catalog and trailer.
#include "export/vuzExportPDF.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "export/vuzCrypto.h"
#include "export/vuzExportRes.h"
#include "export/vuzMD5.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/stringlists.h"
#include "preview/vuzLinks.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzClassReport.h"
#include "report/vuzGZip.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"

namespace report {

namespace {

TfrxPDFExport::TDialogHandler& DialogHandler() {
  static TfrxPDFExport::TDialogHandler handler;
  return handler;
}

AnsiString Ref(int n) { return std::to_string(n) + " 0 R"; }
AnsiString Obj(int n) { return std::to_string(n) + " 0 obj"; }

AnsiString RandomGUID() {
  const AnsiString b = vuzCryptoRandomBytes(16);
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString s = "{";
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) s += '-';
    const auto c = static_cast<unsigned char>(b[static_cast<std::size_t>(i)]);
    s += kHex[c >> 4];
    s += kHex[c & 15];
  }
  return s + "}";
}

TfrxReport* ReportOf(TfrxComponent* c) { return dynamic_cast<TfrxReport*>(c); }

preview::TfrxPreviewPages* PagesOf(TfrxComponent* c) {
  TfrxReport* r = ReportOf(c);
  return r ? dynamic_cast<preview::TfrxPreviewPages*>(r->PreviewPages()) : nullptr;
}

std::string Deflate(const std::string& plain) {
  rtl::TMemoryStream source(plain), dest;
  vuzDeflateStream(source, dest, gzFastest);
  return dest.Bytes();
}

}  // namespace

std::int32_t vuzPDFPermissionValue(TfrxPDFEncBits flags) {
  std::int32_t p = -64;
  if (flags & (1u << ePrint)) p += 4;
  if (flags & (1u << eModify)) p += 8;
  if (flags & (1u << eCopy)) p += 16;
  if (flags & (1u << eAnnot)) p += 32;
  return p;
}

// ---------------------------------------------------------------- life

TfrxPDFExport::TfrxPDFExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  vuzLoadExportResources();
  FileFilter = vuzGet(8707);
  DefaultExt = vuzGet(8708);
  Author = u"ReziZuzore";
  Subject = u"ReziZuzore PDF export";
  Creator = u"ReziZuzore";
}

TfrxPDFExport::TfrxPDFExport() : TfrxCustomExportFilter() {
  vuzLoadExportResources();
  FileFilter = vuzGet(8707);
  DefaultExt = vuzGet(8708);
  Author = u"ReziZuzore";
  Subject = u"ReziZuzore PDF export";
  Creator = u"ReziZuzore";
}

TfrxPDFExport::~TfrxPDFExport() = default;

AnsiString TfrxPDFExport::GetDescription() const {
  vuzLoadExportResources();
  return vuzResources().Get("PDFexport");
}

void TfrxPDFExport::SetProtectionFlags(TfrxPDFEncBits flags) {
  protectionFlags_ = flags & kAllPDFPermissions;
  permission_ = vuzPDFPermissionValue(protectionFlags_);
}

void TfrxPDFExport::SetDialogHandler(TDialogHandler handler) { DialogHandler() = std::move(handler); }
bool TfrxPDFExport::HasDialogHandler() { return static_cast<bool>(DialogHandler()); }

int TfrxPDFExport::ShowModal() {
  TfrxReport* report = ReportOf(Report);
  if (Title.empty() && report) Title = rtl::AnsiToWide(report->ReportOptions()->Name);
  if (Stream) return rtl::mrOk;
  Outline = report ? report->PreviewOptions()->OutlineVisible : true;
  if (ExportToTemp) OpenAfterExport = false;
  // Without a GUI nobody is asked: the current settings hold.
  if (!DialogHandler()) return rtl::mrOk;
  return DialogHandler()(*this);
}

void TfrxPDFExport::ClearState() {
  out_.clear();
  xref_.clear();
  pageObjects_.clear();
  exportedPages_.clear();
  pages_.clear();
  fonts_.clear();
  annots_.clear();
  pageAnnots_.clear();
  content_.clear();
  key_.clear();
  ownerValue_.clear();
  userValue_.clear();
}

int TfrxPDFExport::UpdateXRef() {
  xref_.push_back(static_cast<std::int64_t>(out_.size()));
  return static_cast<int>(xref_.size());
}

void TfrxPDFExport::SetXRef(int number) {
  xref_[static_cast<std::size_t>(number - 1)] = static_cast<std::int64_t>(out_.size());
}

// ---------------------------------------------------------------- start

bool TfrxPDFExport::Start() {
  TfrxReport* report = ReportOf(Report);
  if (ExportToTemp) {
    const AnsiString temp = rtl::IncludeTrailingPathDelimiter(rtl::GetTempPath());
    const AnsiString base =
        report && !report->FileName().empty() ? rtl::ExtractFileName(report->FileName()) : AnsiString("report");
    FileName = temp + rtl::ChangeFileExt(base, vuzGet(8708));
  }
  if (FileName.empty() && !Stream) return false;
  if (!FileName.empty() && rtl::ExtractFilePath(FileName).empty() && !DefaultPath.empty())
    FileName = rtl::IncludeTrailingPathDelimiter(DefaultPath) + FileName;
  encrypted_ = !OwnerPassword.empty() || !UserPassword.empty();
  target_ = Stream ? AnsiString() : FileName;
  ClearState();
  active_ = true;
  fileId_ = MD5String(NewGUID ? NewGUID() : RandomGUID());
  if (encrypted_) {
    PrepareKeys();
    EmbeddedFonts = EmbedFontsIfProtected;
  }
  preparedPageCount_ = 0;
  wantedPages_.clear();
  if (preview::TfrxPreviewPages* pages = PagesOf(Report)) {
    preparedPageCount_ = pages->GetCount();
    rtl::TStringList list;
    try {
      vuzParsePageNumbers(PageNumbers, list, preparedPageCount_);
    } catch (const rtl::Exception&) {
      list.Clear();  // the driver has already refused bad text; here it only prunes the outline
    }
    for (int i = 0; i < list.Count(); ++i) wantedPages_.push_back(std::atoi(list[i].c_str()));
  }
  WriteLn("%PDF-1.5");
  UpdateXRef();  // object 1: the pages object, written at the end
  return true;
}

// ---------------------------------------------------------------- pages

void TfrxPDFExport::StartPage(TfrxComponent* page, int index) {
  pageWidth_ = static_cast<double>(page->Width()) * 0.75;
  pageHeight_ = static_cast<double>(page->Height()) * 0.75;
  pages_.push_back({pageHeight_});
  exportedPages_.push_back(index);
  const preview::TfrxPageMargins m = preview::vuzPageMargins(page);
  const auto lm = static_cast<double>(m.Left), tm = static_cast<double>(m.Top);
  const auto rm = static_cast<double>(m.Right), bm = static_cast<double>(m.Bottom);
  marginLeft_ = lm * 0.05;
  marginTop_ = tm * 0.05;
  content_.clear();
  const auto color = static_cast<gfx::TColor>(preview::vuzOrdProp(page, "Color", gfx::clTransparent));
  if (color != gfx::clTransparent) {
    constexpr double k = 72 / 25.4;
    content_ += PdfFillRect(lm * k, bm * k, pageWidth_ - rm * k, pageHeight_ - tm * k, color);
  }
}

void TfrxPDFExport::ExportObject(TfrxComponent* object) {
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || !active_) return;
  if (view->Printable() || ExportNotPrintable) AddObject(view);
}

void TfrxPDFExport::WriteStreamObject(int number, const std::string& plain, bool lineEndAfterCompressed) {
  std::string data = Compressed ? Deflate(plain) : plain;
  if (Compressed)
    WriteLn("<< /Filter /FlateDecode /Length " + std::to_string(data.size()) + " /Length1 " +
            std::to_string(plain.size()) + " >>");
  else
    WriteLn("<< /Length " + std::to_string(data.size()) + " >>");
  WriteLn("stream");
  Write(CryptBytes(std::move(data), number));
  if (Compressed && lineEndAfterCompressed) Write("\r\n");
  WriteLn("endstream");
}

void TfrxPDFExport::FinishPage(TfrxComponent* /*page*/, int /*index*/) {
  if (!active_ || pages_.empty()) return;
  const int c = UpdateXRef();
  WriteLn(Obj(c));
  // A stream's data must end before "endstream" on a line of its own.
  if (!Compressed && !content_.empty() && content_.back() != '\n') content_ += "\r\n";
  WriteStreamObject(c, content_, true);
  WriteLn("endobj");
  content_.clear();
  content_.shrink_to_fit();
  for (auto& font : fonts_)
    if (!font->Numbered) {
      font->ObjectNumber = UpdateXRef();
      font->Numbered = true;
    }
  const int p = UpdateXRef();
  pageObjects_.push_back(p);
  WriteLn(Obj(p));
  WriteLn("<<");
  WriteLn("/Type /Page");
  WriteLn("/Parent 1 0 R");
  WriteLn("/MediaBox [0 0 " + PdfNum(pageWidth_) + " " + PdfNum(pageHeight_) + " ]");
  if (!pageAnnots_.empty()) {
    WriteLn("/Annots [");
    for (int a : pageAnnots_) WriteLn(Ref(a));
    WriteLn("]");
    pageAnnots_.clear();
  }
  WriteLn("/Resources <<");
  AnsiString fonts = "/Font << ";
  for (auto& font : fonts_)
    if (font->Numbered) fonts += font->Name + " " + Ref(font->ObjectNumber) + " ";
  WriteLn(fonts + ">>");
  WriteLn("/XObject <<");
  WriteLn(">>");
  WriteLn("/ProcSet [/PDF /Text /ImageC ]");
  WriteLn(">>");
  WriteLn("/Contents " + Ref(c));
  WriteLn(">>");
  WriteLn("endobj");
}

// ---------------------------------------------------------------- links

bool TfrxPDFExport::PageExported(int preparedPage) const {
  if (preparedPage < 0) return false;
  if (std::find(exportedPages_.begin(), exportedPages_.end(), preparedPage) != exportedPages_.end()) return true;
  if (!wantedPages_.empty())
    return std::find(wantedPages_.begin(), wantedPages_.end(), preparedPage + 1) != wantedPages_.end();
  return preparedPage < preparedPageCount_;
}

int TfrxPDFExport::PageObjectOf(int preparedPage) const {
  for (std::size_t i = 0; i < exportedPages_.size(); ++i)
    if (exportedPages_[i] == preparedPage) return pageObjects_.size() > i ? pageObjects_[i] : 0;
  return 0;
}

void TfrxPDFExport::AddLink(const AnsiString& url, const AnsiString& rect) {
  TfrxPDFAnnot a;
  a.Rect = rect;
  if (!url.empty() && url[0] == '#') {
    preview::TfrxPreviewPages* pages = PagesOf(Report);
    TfrxXMLItem* anchor = pages ? pages->FindAnchor(url.substr(1)) : nullptr;
    if (!anchor) return;
    a.DestPage = std::atoi(anchor->GetProp("page").c_str());
    a.DestY = vuzRoundEven(Y(std::atof(anchor->GetProp("top").c_str())));
  } else if (!url.empty() && url[0] == '@') {
    const preview::TfrxLinkTarget target = preview::vuzClassifyLink(url);
    // Not a page number: no link, but the object is still drawn.
    if (target.Kind != preview::TfrxLinkKind::PageNumber) return;
    a.DestPage = target.Page - 1;
    a.DestY = vuzRoundEven(Y(0));
  } else {
    a.URI = PdfURI(rtl::AnsiToWide(url));
  }
  // A link into a page that is not exported would point nowhere.
  if (a.URI.empty() && !PageExported(a.DestPage)) return;
  a.Number = UpdateXRef();
  pageAnnots_.push_back(a.Number);
  annots_.push_back(std::move(a));
}

// ---------------------------------------------------------------- outline

void TfrxPDFExport::BuildOutline(TfrxCustomOutline& source, TfrxPDFOutlineNode& parent, int& next) {
  const int count = source.GetCount();
  for (int i = 0; i < count; ++i) {
    AnsiString text;
    int page = 0, top = 0;
    source.GetItem(i, text, page, top);
    if (!PageExported(page) || !PageObjectOf(page)) continue;
    auto node = std::make_unique<TfrxPDFOutlineNode>();
    node->Title = text;
    node->DestPage = page;
    node->Top = top;
    node->Number = next++;
    source.LevelDown(i);
    BuildOutline(source, *node, next);
    source.LevelUp();
    parent.Count += 1;
    parent.CountTree += node->CountTree + 1;
    parent.Children.push_back(std::move(node));
  }
}

void TfrxPDFExport::WriteOutlineNode(const TfrxPDFOutlineNode& node, int parent, int prev, int next) {
  const int n = UpdateXRef();
  WriteLn(Obj(n));
  WriteLn("<<");
  WriteLn("/Title " + PrepareString(rtl::AnsiToWide(node.Title), n));
  WriteLn("/Parent " + Ref(parent));
  if (prev) WriteLn("/Prev " + Ref(prev));
  if (next) WriteLn("/Next " + Ref(next));
  if (!node.Children.empty()) {
    WriteLn("/First " + Ref(node.Children.front()->Number));
    WriteLn("/Last " + Ref(node.Children.back()->Number));
    WriteLn("/Count " + std::to_string(node.Count));
  }
  double height = 0;
  for (std::size_t i = 0; i < exportedPages_.size(); ++i)
    if (exportedPages_[i] == node.DestPage) height = pages_[i].Height;
  WriteLn("/Dest [" + std::to_string(PageObjectOf(node.DestPage)) + " 0 R /XYZ 0 " +
          std::to_string(vuzRoundEven(height - node.Top * 0.75)) + " 0]");
  WriteLn(">>");
  WriteLn("endobj");
  for (std::size_t i = 0; i < node.Children.size(); ++i)
    WriteOutlineNode(*node.Children[i], n, i ? node.Children[i - 1]->Number : 0,
                     i + 1 < node.Children.size() ? node.Children[i + 1]->Number : 0);
}

void TfrxPDFExport::WriteOutline(int& rootNumber) {
  rootNumber = 0;
  preview::TfrxPreviewPages* pages = PagesOf(Report);
  TfrxCustomOutline* source = pages ? pages->Outline() : nullptr;
  if (!source) return;
  source->LevelRoot();
  TfrxPDFOutlineNode root;
  int next = static_cast<int>(xref_.size()) + 2;
  BuildOutline(*source, root, next);
  source->LevelRoot();
  if (root.CountTree == 0) return;
  rootNumber = UpdateXRef();
  WriteLn(Obj(rootNumber));
  WriteLn("<<");
  WriteLn("/Type /Outlines");
  WriteLn("/Count " + std::to_string(root.Count));
  WriteLn("/First " + Ref(root.Children.front()->Number));
  WriteLn("/Last " + Ref(root.Children.back()->Number));
  WriteLn(">>");
  WriteLn("endobj");
  for (std::size_t i = 0; i < root.Children.size(); ++i)
    WriteOutlineNode(*root.Children[i], rootNumber, i ? root.Children[i - 1]->Number : 0,
                     i + 1 < root.Children.size() ? root.Children[i + 1]->Number : 0);
}

// ---------------------------------------------------------------- finish

AnsiString TfrxPDFExport::DateText() const {
  const rtl::TDateTime now = Clock ? Clock() : rtl::Now();
  int y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(now, y, mo, d, h, mi, s, ms);
  char text[32];
  std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
  return text;
}

void TfrxPDFExport::Finish() {
  if (!active_) return;
  active_ = false;
  // Called while the driver handles a failure or a cancel: nothing is kept.
  if (std::current_exception()) {
    ClearState();
    return;
  }
  for (auto& font : fonts_)
    if (font->Numbered) WriteFont(*font);

  SetXRef(1);
  WriteLn(Obj(1));
  WriteLn("<<");
  WriteLn("/Type /Pages");
  AnsiString kids = "/Kids [";
  for (int p : pageObjects_) kids += Ref(p) + " ";
  WriteLn(kids + "]");
  WriteLn("/Count " + std::to_string(pageObjects_.size()));
  WriteLn(">>");
  WriteLn("endobj");

  const int info = UpdateXRef();
  WriteLn(Obj(info));
  WriteLn("<<");
  WriteLn("/Title " + PrepareString(Title, info));
  WriteLn("/Author " + PrepareString(Author, info));
  WriteLn("/Subject " + PrepareString(Subject, info));
  WriteLn("/Keywords " + PrepareString(Keywords, info));
  WriteLn("/Creator " + PrepareString(Creator, info));
  WriteLn("/Producer " + PrepareString(Producer, info));
  const AnsiString date = DateText();
  if (encrypted_) {
    WriteLn("/CreationDate " + PrepareString(rtl::AnsiToWide(date), info));
    WriteLn("/ModDate " + PrepareString(rtl::AnsiToWide(date), info));
  } else {
    WriteLn("/CreationDate (" + date + ")");
    WriteLn("/ModDate (" + date + ")");
  }
  WriteLn(">>");
  WriteLn("endobj");

  int outlineRoot = 0;
  if (Outline) WriteOutline(outlineRoot);

  for (const TfrxPDFAnnot& a : annots_) {
    SetXRef(a.Number);
    WriteLn(Obj(a.Number));
    WriteLn("<<");
    WriteLn("/Type /Annot");
    WriteLn("/Subtype /Link");
    WriteLn("/Rect [" + a.Rect + "]");
    if (!a.URI.empty()) {
      WriteLn("/BS << /W 0 >>");
      WriteLn("/A <<");
      WriteLn("/URI (" + EscapeSpecialChar(CryptBytes(a.URI, a.Number)) + ")");
      WriteLn("/Type /Action");
      WriteLn("/S /URI");
      WriteLn(">>");
    } else if (PageObjectOf(a.DestPage)) {
      WriteLn("/Border [16 16 0]");
      WriteLn("/Dest [" + std::to_string(PageObjectOf(a.DestPage)) + " 0 R /XYZ null " + std::to_string(a.DestY) +
              " null]");
    }
    WriteLn(">>");
    WriteLn("endobj");
  }

  const int root = UpdateXRef();
  WriteLn(Obj(root));
  WriteLn("<<");
  WriteLn("/Type /Catalog");
  WriteLn("/Pages " + Ref(1));
  WriteLn(Outline ? "/PageMode /UseOutlines" : "/PageMode /UseNone");
  if (outlineRoot) WriteLn("/Outlines " + Ref(outlineRoot));
  WriteLn("/ViewerPreferences <<");
  if (!Title.empty()) WriteLn("/DisplayDocTitle true");
  if (HideToolbar) WriteLn("/HideToolbar true");
  if (HideMenubar) WriteLn("/HideMenubar true");
  if (HideWindowUI) WriteLn("/HideWindowUI true");
  if (FitWindow) WriteLn("/FitWindow true");
  if (CenterWindow) WriteLn("/CenterWindow true");
  if (!PrintScaling) WriteLn("/PrintScaling /None");
  WriteLn(">>");
  WriteLn(">>");
  WriteLn("endobj");

  const std::size_t xrefAt = out_.size();
  WriteLn("xref");
  WriteLn("0 " + std::to_string(xref_.size() + 1));
  WriteLn("0000000000 65535 f");
  char entry[32];
  for (std::int64_t offset : xref_) {
    std::snprintf(entry, sizeof entry, "%010lld 00000 n\r\n", static_cast<long long>(offset));
    Write(entry);
  }
  WriteLn("trailer");
  WriteLn("<<");
  WriteLn("/Size " + std::to_string(xref_.size() + 1));
  WriteLn("/Root " + Ref(root));
  WriteLn("/Info " + Ref(info));
  WriteLn("/ID [<" + fileId_ + "><" + fileId_ + ">]");
  if (encrypted_) {
    WriteLn("/Encrypt <<");
    WriteLn("/Filter /Standard");
    WriteLn("/V 2");
    WriteLn("/R 3");
    WriteLn("/Length 128");
    WriteLn("/P " + std::to_string(permission_));
    WriteLn("/O (" + EscapeSpecialChar(ownerValue_) + ")");
    WriteLn("/U (" + EscapeSpecialChar(userValue_) + ")");
    WriteLn(">>");
  }
  WriteLn(">>");
  WriteLn("startxref");
  WriteLn(std::to_string(xrefAt));
  WriteLn("%%EOF");
  SaveOutput();
}

void TfrxPDFExport::SaveOutput() {
  std::string bytes;
  bytes.swap(out_);
  ClearState();
  if (Stream) {
    Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return;
  }
  rtl::SaveFileAtomically(target_, bytes);
  if (OpenAfterExport) rtl::ShellOpen(target_);
}

// ---------------------------------------------------------------- registration

const rtl::TClassInfo& TfrxPDFExport::StaticClass() {
  using F = TfrxPDFExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxPDFExport", &TfrxCustomExportFilter::StaticClass())
          .Property(
              "Compressed", [](const F& f) { return f.Compressed; }, [](F& f, bool v) { f.Compressed = v; })
          .Default(true)
          .Property(
              "EmbeddedFonts", [](const F& f) { return f.EmbeddedFonts; }, [](F& f, bool v) { f.EmbeddedFonts = v; })
          .Default(false)
          .Property(
              "EmbedFontsIfProtected", [](const F& f) { return f.EmbedFontsIfProtected; },
              [](F& f, bool v) { f.EmbedFontsIfProtected = v; })
          .Default(true)
          .Property(
              "OpenAfterExport", [](const F& f) { return f.OpenAfterExport; },
              [](F& f, bool v) { f.OpenAfterExport = v; })
          .Default(false)
          .Property(
              "PrintOptimized", [](const F& f) { return f.PrintOptimized; }, [](F& f, bool v) { f.PrintOptimized = v; })
          .Property(
              "Outline", [](const F& f) { return f.Outline; }, [](F& f, bool v) { f.Outline = v; })
          .Property(
              "Background", [](const F& f) { return f.Background; }, [](F& f, bool v) { f.Background = v; })
          .Property(
              "HTMLTags", [](const F& f) { return f.HTMLTags; }, [](F& f, bool v) { f.HTMLTags = v; })
          .Property(
              "Quality", [](const F& f) { return f.Quality; }, [](F& f, int v) { f.Quality = v; })
          .Property(
              "Title", [](const F& f) { return f.Title; }, [](F& f, const WideString& v) { f.Title = v; })
          .Property(
              "Author", [](const F& f) { return f.Author; }, [](F& f, const WideString& v) { f.Author = v; })
          .Property(
              "Subject", [](const F& f) { return f.Subject; }, [](F& f, const WideString& v) { f.Subject = v; })
          .Property(
              "Keywords", [](const F& f) { return f.Keywords; }, [](F& f, const WideString& v) { f.Keywords = v; })
          .Property(
              "Creator", [](const F& f) { return f.Creator; }, [](F& f, const WideString& v) { f.Creator = v; })
          .Property(
              "Producer", [](const F& f) { return f.Producer; }, [](F& f, const WideString& v) { f.Producer = v; })
          .Property(
              "UserPassword", [](const F& f) { return f.UserPassword; },
              [](F& f, const AnsiString& v) { f.UserPassword = v; })
          .Property(
              "OwnerPassword", [](const F& f) { return f.OwnerPassword; },
              [](F& f, const AnsiString& v) { f.OwnerPassword = v; })
          .Property(
              "ProtectionFlags", [](const F& f) { return static_cast<int>(f.ProtectionFlags()); },
              [](F& f, int v) { f.SetProtectionFlags(static_cast<TfrxPDFEncBits>(v)); })
          .Property(
              "HideToolbar", [](const F& f) { return f.HideToolbar; }, [](F& f, bool v) { f.HideToolbar = v; })
          .Property(
              "HideMenubar", [](const F& f) { return f.HideMenubar; }, [](F& f, bool v) { f.HideMenubar = v; })
          .Property(
              "HideWindowUI", [](const F& f) { return f.HideWindowUI; }, [](F& f, bool v) { f.HideWindowUI = v; })
          .Property(
              "FitWindow", [](const F& f) { return f.FitWindow; }, [](F& f, bool v) { f.FitWindow = v; })
          .Property(
              "CenterWindow", [](const F& f) { return f.CenterWindow; }, [](F& f, bool v) { f.CenterWindow = v; })
          .Property(
              "PrintScaling", [](const F& f) { return f.PrintScaling; }, [](F& f, bool v) { f.PrintScaling = v; })
          .Build();
  return info;
}

}  // namespace report

namespace report {

void vuzExportPDFStartup() { rtl::RegisterClass<TfrxPDFExport>("TfrxPDFExport"); }

}  // namespace report
