#include "preview/vuzPreviewHost.h"

#include "platform/rtl/typinfo.h"
#include "preview/vuzLinks.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

const rtl::TPropInfo* TfrxPreviewHost::Find(const char* path, rtl::TObject*& holder) const {
  holder = nullptr;
  return report_ ? rtl::FindPropPath(*report_, path, holder) : nullptr;
}

long long TfrxPreviewHost::OrdOr(const char* path, long long fallback) const {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Find(path, holder);
  if (!p || !holder) return fallback;
  try {
    return rtl::IsOrdinalKind(p->Kind) ? p->GetOrd(*holder) : fallback;
  } catch (const rtl::Exception&) {
    return fallback;
  }
}

AnsiString TfrxPreviewHost::StrOr(const char* path, const AnsiString& fallback) const {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Find(path, holder);
  if (!p || !holder) return fallback;
  try {
    return p->GetStr(*holder);
  } catch (const rtl::Exception&) {
    return fallback;
  }
}

int TfrxPreviewHost::MaxMemSize() const { return static_cast<int>(OrdOr("EngineOptions.MaxMemSize", 10)); }
bool TfrxPreviewHost::UseFileCache() const { return OrdOr("EngineOptions.UseFileCache", 0) != 0; }
AnsiString TfrxPreviewHost::TempDir() const { return StrOr("EngineOptions.TempDir", AnsiString()); }
int TfrxPreviewHost::PagesInCache() const { return static_cast<int>(OrdOr("PreviewOptions.PagesInCache", 50)); }
bool TfrxPreviewHost::PictureCacheInFile() const { return OrdOr("PreviewOptions.PictureCacheInFile", 0) != 0; }

TfrxPreparedReportSettings TfrxPreviewHost::Settings() const {
  TfrxPreparedReportSettings s;
  s.DotMatrixReport = OrdOr("DotMatrixReport", 0) != 0;
  s.OutlineVisible = OrdOr("PreviewOptions.OutlineVisible", 0) != 0;
  s.OutlineWidth = static_cast<int>(OrdOr("PreviewOptions.OutlineWidth", 120));
  s.Name = StrOr("ReportOptions.Name", AnsiString());
  return s;
}

void TfrxPreviewHost::ApplySettings(const TfrxPreparedReportSettings& s) {
  auto set = [this](const char* path, const rtl::Variant& v) {
    rtl::TObject* holder = nullptr;
    const rtl::TPropInfo* p = Find(path, holder);
    if (!p || !holder || !p->HasSetter()) return;
    try {
      p->SetValue(*holder, v);
    } catch (const rtl::Exception&) {
    }
  };
  set("DotMatrixReport", rtl::Variant(s.DotMatrixReport));
  set("PreviewOptions.OutlineVisible", rtl::Variant(s.OutlineVisible));
  set("PreviewOptions.OutlineWidth", rtl::Variant(s.OutlineWidth));
  set("ReportOptions.Name", rtl::Variant(s.Name));
}

bool TfrxPreviewHost::Terminated() const { return OrdOr("Terminated", 0) != 0; }

void TfrxPreviewHost::SetTerminated(bool value) {
  rtl::TObject* holder = nullptr;
  const rtl::TPropInfo* p = Find("Terminated", holder);
  if (p && holder && p->HasSetter()) p->SetOrd(*holder, value ? 1 : 0);
}

rtl::TStrings* TfrxPreviewHost::Errors() {
  report::TfrxReportServices* services = report_ ? report_->GetReportServices() : nullptr;
  return services ? &services->Errors() : nullptr;
}

void TfrxPreviewHost::CommonErrorHandler(const AnsiString& text) { report::vuzCommonErrorHandler(report_, text); }

bool TfrxPreviewHost::OpenExternal(const AnsiString& target) {
  TfrxLinkTarget link;
  link.Kind = TfrxLinkKind::External;
  link.Target = target;
  return vuzOpenExternalLink(link);
}

void TfrxPreviewHost::ErrorMessage(const AnsiString& text) { report::vuzErrorMsg(text); }

}  // namespace preview
