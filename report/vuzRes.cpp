#include "report/vuzRes.h"

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/textcase.h"
#include "report/vuzPreviewButtons.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"
#include "script/fs_iconst.h"

namespace report {

namespace {

struct HelpTopic {
  const char* className;
  const char* page;
};
constexpr HelpTopic kHelpTopics[] = {
    {"TfrxDesignerForm", "Designer.htm"},
    {"TfrxOptionsEditor", "Designer_options.htm"},
    {"TfrxReportEditorForm", "Report_options.htm"},
    {"TfrxPageEditorForm", "Page_options.htm"},
    {"TfrxCrossEditorForm", "Cross_tab_reports.htm"},
    {"TfrxChartEditorForm", "Diagrams.htm"},
    {"TfrxSyntaxMemo", "Script.htm"},
    {"TfrxDialogPage", "Dialogue_forms.htm"},
    {"TfrxDialogComponent", "Data_access_components.htm"},
    {"TfrxVarEditorForm", "Variables.htm"},
    {"TfrxHighlightEditorForm", "Conditional_highlighting.htm"},
    {"TfrxSysMemoEditorForm", "Inserting_aggregate_function.htm"},
    {"TfrxFormatEditorForm", "Values_formatting.htm"},
    {"TfrxGroupEditorForm", "Report_with_groups.htm"},
    {"TfrxPictureEditorForm", "Picture_object.htm"},
    {"TfrxMemoEditorForm", "Text_object.htm"},
    {"TfrxSQLEditorForm", "TfrxADOQuery.htm"},
};

THelpViewer& HelpViewer() {
  static THelpViewer viewer;
  return viewer;
}

}  // namespace

bool TfrxResources::KeyLess::operator()(const AnsiString& a, const AnsiString& b) const {
  return rtl::AnsiCompareText(a, b) < 0;
}

TfrxResources::TfrxResources() { BuildLanguagesList(); }

AnsiString TfrxResources::Get(const AnsiString& key) const {
  AnsiString result;
  auto it = keys_.find(key);
  if (it != keys_.end())
    result = rtl::WideToAnsi(texts_.Get(it->second), codePage_ != 0 ? static_cast<unsigned>(codePage_) : GetACP());
  else
    result = key;
  if (!result.empty() && result[0] == '!') result.erase(0, 1);
  return result;
}

void TfrxResources::AddW(const AnsiString& key, const WideString& text) {
  auto it = keys_.find(key);
  if (it != keys_.end()) {
    texts_.Put(it->second, text);
  } else {
    keys_.emplace(key, texts_.Add(text));
  }
}

void TfrxResources::Add(const AnsiString& key, const AnsiString& text) {
  AddW(key, rtl::AnsiToWide(text, codePage_ != 0 ? static_cast<unsigned>(codePage_) : GetACP()));
}

void TfrxResources::AddStrings(const AnsiString& lines) {
  TWideStrings list;
  list.SetTextStr(rtl::AnsiToWide(lines, GetACP()));
  for (int i = 0; i < list.Count(); ++i) {
    const AnsiString line = rtl::WideToAnsi(list.Get(i), GetACP());
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const AnsiString key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key.empty() || value.empty()) continue;
    Add(key, value);
  }
}

void TfrxResources::AddXML(const std::string& xml) {
  rtl::TMemoryStream stream(xml);
  LoadFromStream(stream);
}

void TfrxResources::LoadFromStream(rtl::TStream& stream) {
  TfrxXMLDocument doc;
  doc.LoadFromStream(stream);
  TfrxXMLItem* root = doc.Root();
  if (root->Name == "Resources") {
    codePage_ = rtl::StrToInt(root->GetProp("CodePage"));
    for (int i = 0; i < root->Count(); ++i) {
      TfrxXMLItem* item = root->Items(i);
      if (item->Name != "StrRes") continue;
      // The text is escaped twice in the tables: once more here, then UTF-8.
      AddW(item->GetProp("Name"), rtl::Utf8ToWide(vuzXMLToStr(item->GetProp("Text"))));
    }
  }
  UpdateFSResources();
}

void TfrxResources::LoadFromFile(const AnsiString& fileName) {
  if (!rtl::FileExists(fileName)) return;
  rtl::TFileStream f(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(f);
}

void TfrxResources::Clear() {
  keys_.clear();
  texts_.Clear();
}

void TfrxResources::UpdateFSResources() {
  for (const auto& [key, text] : script::fsMessageTable()) text() = Get(key);
}

void TfrxResources::BuildLanguagesList() {
  languages_.Clear();
  rtl::TSearchRec rec;
  if (rtl::FindFirst(GetAppPath() + "*.frc", rtl::faAnyFile, rec) == 0) {
    do {
      AnsiString name = rtl::LowerCase(rec.Name);
      if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 'a' + 'A');
      const std::size_t ext = name.find(".frc");
      if (ext != std::string::npos) name.erase(ext, 4);
      languages_.Add(name);
    } while (rtl::FindNext(rec) == 0);
    rtl::FindClose(rec);
  }
  languages_.Sort();
}

void TfrxResources::Help(const AnsiString& senderClassName) {
  AnsiString page;
  if (!senderClassName.empty())
    for (const auto& topic : kHelpTopics)
      if (rtl::AnsiSameText(topic.className, senderClassName)) page = AnsiString("::/") + topic.page;
  vuzDisplayHHTopic(GetAppPath() + HelpFile + page);
}

namespace {
// The picture strips the program carries, by resource name.
std::unique_ptr<gfx::TBitmap> LoadStrip(const char* name) {
  if (std::string_view(name) == "PreviewButtons") return vuzDrawPreviewButtonStrip();
  throw EResNotFound(AnsiString("Resource ") + name + " not found");
}
}  // namespace

TfrxImageList& TfrxResources::GetMainButtonImages() {
  if (mainButtonImages_.Count() == 0) SetButtonImages(*LoadStrip("DesgnButtons"));
  return mainButtonImages_;
}

TfrxImageList& TfrxResources::GetPreviewButtonImages() {
  if (previewButtonImages_.Count() == 0) SetPreviewButtonImages(*LoadStrip("PreviewButtons"));
  return previewButtonImages_;
}

TfrxImageList& TfrxResources::GetObjectImages() {
  if (objectImages_.Count() == 0) SetObjectImages(*LoadStrip("ObjectButtons"));
  return objectImages_;
}

TfrxImageList& TfrxResources::GetWizardImages() {
  if (wizardImages_.Count() == 0) SetWizardImages(*LoadStrip("WizardButtons"));
  return wizardImages_;
}

void TfrxResources::SetButtonImages(const gfx::TBitmap& strip, bool clear) {
  if (clear) {
    mainButtonImages_.Clear();
    disabledButtonImages_.Clear();
  }
  vuzAssignImages(strip, 16, 16, mainButtonImages_, &disabledButtonImages_);
}

void TfrxResources::SetPreviewButtonImages(const gfx::TBitmap& strip, bool clear) {
  if (clear) previewButtonImages_.Clear();
  vuzAssignImages(strip, 16, 16, previewButtonImages_);
}

void TfrxResources::SetObjectImages(const gfx::TBitmap& strip, bool clear) {
  if (clear) objectImages_.Clear();
  vuzAssignImages(strip, 16, 16, objectImages_);
}

void TfrxResources::SetWizardImages(const gfx::TBitmap& strip, bool clear) {
  if (clear) wizardImages_.Clear();
  vuzAssignImages(strip, 32, 32, wizardImages_);
}

TfrxResources& vuzResources() {
  static TfrxResources* table = [] {
    auto* t = new TfrxResources;  // lives until the process ends
    t->AddXML(vuzCoreResourceXML());
    return t;
  }();
  return *table;
}

AnsiString vuzGet(int id) { return vuzResources().Get(std::to_string(id)); }

void vuzSetHelpViewer(THelpViewer viewer) { HelpViewer() = std::move(viewer); }

bool vuzOpenHelpFile(const AnsiString& path, bool wait) {
  // The desktop's viewers know no "::/page" suffix: the file opens at its start.
  const std::size_t page = path.find("::/");
  const AnsiString file = page == std::string::npos ? path : path.substr(0, page);
  if (!rtl::FileExists(file)) return false;
  return rtl::ShellOpen(file, wait);
}

void vuzDisplayHHTopic(const AnsiString& path) {
  if (auto& viewer = HelpViewer())
    viewer(path);
  else
    vuzOpenHelpFile(path);
}

}  // namespace report
