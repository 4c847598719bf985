// The export driver: runs one export filter over the prepared pages, page by
// page and object by object, in the order every filter is written against.
#include <memory>
#include <set>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/stringlists.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

using report::fr01cm;

struct TfrxPreviewPages::ExportRun {
  TfrxCustomExportFilter* filter;
  rtl::TStringList pages;
  std::set<int> wanted;                   // 1-based numbers of the page list
  std::unique_ptr<gfx::TBitmap> scratch;  // auto-width text objects size themselves on it
};

bool TfrxPreviewPages::Export(TfrxCustomExportFilter* filter) {
  CopyNo = 0;
  if (!filter) return false;
  filter->CreationTime = rtl::Now();
  filter->Report = Report();
  if (filter->ShowDialog && filter->ShowModal() != rtl::mrOk) return false;
  if (filter->CurPage)
    filter->PageNumbers = host_->HasPreview() ? AnsiString(std::to_string(CurPreviewPage)) : AnsiString("1");

  bool result = true;
  host_->SetTerminated(false);
  ExportRun run{filter, {}, {}, nullptr};
  const bool dotMatrix = host_->IsDotMatrixFilter(filter);
  if (dotMatrix) host_->PrintReport();
  try {
    // Inside the handler: bad page-range text is an export error like any other.
    report::vuzParsePageNumbers(filter->PageNumbers, run.pages, GetCount());
    for (int i = 0; i < run.pages.Count(); ++i) run.wanted.insert(std::atoi(run.pages[i].c_str()));
    // A filter that refuses to start has exported nothing: that is no success.
    if (!ExportPages(run)) result = false;
  } catch (const report::EExportTerminated&) {
    // The user stopped it: the pages so far are written, no error.
  } catch (const rtl::Exception& e) {
    result = false;
    rtl::TStrings* errors = host_->Errors();
    AnsiString list = e.Message();
    if (errors) {
      errors->SetText(e.Message());
      list = errors->Text();
    }
    host_->CommonErrorHandler(report::vuzResources().Get("clErrors") + "\r\n" + list);
  }
  if (dotMatrix) host_->AfterPrintReport();
  return result;
}

bool TfrxPreviewPages::ExportPages(ExportRun& run) {
  TfrxCustomExportFilter* filter = run.filter;
  if (filter->OnBeginExport) filter->OnBeginExport(filter);
  if (!filter->Start()) return false;
  auto finish = [&] {
    if (host_->HasPreview()) {
      host_->PreviewHideMessage();
      host_->PreviewRefresh();
    }
    if (filter->ShowProgress) host_->ProgressStop(report::ptExporting, 0);
    filter->Finish();
  };
  try {
    if (host_->HasPreview()) {
      host_->PreviewLock();
      host_->PreviewRefresh();
    }
    if (filter->ShowProgress) host_->ProgressStart(report::ptExporting, 0);
    for (int i = 0; i < GetCount(); ++i) {
      ExportPage(run, i);
      host_->ProcessMessages();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return true;
}

void TfrxPreviewPages::ExportPage(ExportRun& run, int index) {
  const int count = GetCount();
  if (index >= count || (!run.wanted.empty() && !run.wanted.count(index + 1))) return;
  TfrxComponent* page = GetPage(index);
  if (!page) return;
  TfrxCustomExportFilter* filter = run.filter;
  if (filter->ShowProgress) host_->Progress(report::ptExporting, index + 1);
  filter->StartPage(page, index);
  auto done = [&] {
    filter->FinishPage(page, index);
    if (host_->HasPreview()) {
      page->SetLeft(0);
      page->SetTop(0);
    } else {
      ClearPageCache();  // an export without a preview holds one built page
    }
  };
  try {
    const TfrxPageMargins m = vuzPageMargins(page);
    const bool mirror = vuzMirrorMargins(page) && index % 2 == 1;
    page->SetLeft((mirror ? m.Right : m.Left) * fr01cm);
    page->SetTop(m.Top * fr01cm);

    if (std::unique_ptr<TfrxComponent> background{vuzCreatePictureView()}) {
      background->SetName("_pagebackground");
      vuzSetProp(background.get(), "Color", rtl::Variant(static_cast<int>(vuzOrdProp(page, "Color", 0x1FFFFFFF))));
      auto* frame = dynamic_cast<rtl::TPersistent*>(vuzObjectProp(background.get(), "Frame"));
      auto* pageFrame = dynamic_cast<rtl::TPersistent*>(vuzObjectProp(page, "Frame"));
      if (frame && pageFrame) frame->Assign(pageFrame);
      gfx::TPicture* picture = vuzPictureOf(background.get());
      gfx::TPicture* back = vuzPictureOf(page, "BackPicture");
      if (picture && back) picture->Assign(back);
      vuzSetProp(background.get(), "Stretched", rtl::Variant(true));
      vuzSetProp(background.get(), "KeepAspectRatio", rtl::Variant(false));
      background->SetBounds(page->Left(), page->Top(), page->Width() - (m.Left + m.Right) * fr01cm,
                            page->Height() - (m.Top + m.Bottom) * fr01cm);
      ExportObject(run, background.get());
    }

    const bool suppress = filter->SuppressPageHeadersFooters;
    const std::vector<TfrxComponent*> top = page->Objects();
    for (TfrxComponent* object : top) {
      if (suppress && object->IsA("TfrxPageHeader") && index != 0) continue;
      if (suppress && object->IsA("TfrxPageFooter") && index + 1 != count) continue;
      ExportObject(run, object);
      const std::vector<TfrxComponent*> children = object->Objects();
      for (TfrxComponent* child : children) ExportObject(run, child);
    }
  } catch (...) {
    done();
    throw;
  }
  done();
}

void TfrxPreviewPages::ExportObject(ExportRun& run, TfrxComponent* object) {
  TfrxCustomExportFilter* filter = run.filter;
  if (filter->DataOnly && !(object->Parent() && object->Parent()->IsA("TfrxDataBand"))) return;
  if (object->IsA("TfrxCustomMemoView")) {
    if (vuzOrdProp(object, "Highlight.Active", 0) != 0)
      if (auto* font = dynamic_cast<gfx::TFont*>(vuzObjectProp(object, "Highlight.Font"))) object->SetFont(font);
    vuzSetMemoPrintValues(object, GetCount(), 1);
    if (vuzObjectHooks().ExtractMacros) vuzObjectHooks().ExtractMacros(object);
    if (vuzOrdProp(object, "AutoWidth", 0) != 0)
      if (auto* view = dynamic_cast<report::TfrxReportComponent*>(object)) {
        if (!run.scratch) run.scratch = std::make_unique<gfx::TBitmap>(1, 1);
        view->Draw(run.scratch->Canvas(), 1, 1, 0, 0);
      }
  }
  filter->ExportObject(object);
  if (host_->Terminated()) throw report::EExportTerminated();
}

}  // namespace preview
