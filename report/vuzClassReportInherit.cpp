// Templates that inherit from a parent template: loading the parent into the
// report with its objects marked as ancestors, and turning a report into one
// that inherits from a template by merging its own objects into the
// template's.
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzDataSet.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzXMLSerializer.h"

namespace report {

namespace {

// Parents deeper than this are refused: each level loads a whole template
// inside the load of the one below it.
constexpr std::size_t kMaxParentDepth = 32;

// The parent templates being loaded now, innermost last, so that a template
// that names one of them as its parent is refused instead of loading for ever.
std::vector<AnsiString>& LoadingParents() {
  static thread_local std::vector<AnsiString> chain;
  return chain;
}

struct ParentChainEntry {
  explicit ParentChainEntry(const AnsiString& key) { LoadingParents().push_back(key); }
  ~ParentChainEntry() { LoadingParents().pop_back(); }
  ParentChainEntry(const ParentChainEntry&) = delete;
  ParentChainEntry& operator=(const ParentChainEntry&) = delete;
};

// Absolute in Windows terms ("C:..." or "\\server...") or in Linux terms.
bool IsAbsolutePath(const AnsiString& path) {
  return (path.size() > 1 && path[1] == ':') || path.starts_with("\\\\") || path.starts_with('/');
}

void SetAncestorMarks(TfrxComponent& report, bool value) {
  report.SetIsAncestor(value);
  for (TfrxComponent* c : report.GetAllObjects()) {
    c->SetIsAncestor(value);
    if (!value) c->ClearComponentState(rtl::csAncestor);
  }
}

bool IsPage(const TfrxComponent* c) { return c->IsA("TfrxPage"); }

}  // namespace

void TfrxReport::SetParentReport(const AnsiString& value) {
  parentReport_ = value;
  parentReportObject_.reset();
  if (value.empty()) {
    SetAncestorMarks(*this, false);
    return;
  }

  const AnsiString savedFileName = fileName_;
  TfrxXMLSerializer* const savedSerializer = activeSerializer_;
  AnsiString parentFile = value;
  if (!OnLoadTemplate && value.size() > 1 && !IsAbsolutePath(value)) {
    parentFile = rtl::ExtractFilePath(fileName_) + value;
    if (!rtl::FileExists(parentFile)) parentFile = GetApplicationFolder() + value;
  }
  const AnsiString key = OnLoadTemplate ? value : rtl::ExpandFileName(parentFile);
  auto& chain = LoadingParents();
  // The outermost template counts as being loaded too.
  std::optional<ParentChainEntry> outermost;
  if (chain.empty() && !savedFileName.empty()) outermost.emplace(rtl::ExpandFileName(savedFileName));
  if (std::find(chain.begin(), chain.end(), key) != chain.end()) {
    errors_->Add("Parent template loops back to itself: " + value);
    parentReport_.clear();
    return;
  }
  if (chain.size() >= kMaxParentDepth) {
    errors_->Add("Parent templates nested too deep at: " + value);
    parentReport_.clear();
    return;
  }

  {
    ParentChainEntry entry(key);
    if (OnLoadTemplate) {
      OnLoadTemplate(this, value);
    } else if (!LoadFromFile(parentFile)) {
      // The report is empty now: say which file it was looking for.
      errors_->Add("Parent template not found: " + parentFile);
    }
  }

  // The copy holds the parent as loaded, grandparents' objects included. It
  // is written whole with its real classes and without its own parent's
  // name, so that making it loads no template again: a chain of parents
  // costs one load per level, not two to the power of its length.
  auto copy = std::make_unique<TfrxReport>();
  copy->fileName_ = fileName_;
  copy->OnLoadTemplate = OnLoadTemplate;
  {
    rtl::TMemoryStream stream;
    {
      const AnsiString grandparent = std::exchange(parentReport_, AnsiString());
      TfrxXMLSerializer writer(&stream);
      writer.SetOwner(this);
      writer.SerializeDefaultValues = true;
      writer.WriteRootComponent(this, true, nullptr, true);
      parentReport_ = grandparent;
    }
    stream.SetPosition(0);
    // No password question for a template already accepted.
    copy->engineOptions_->EnableThreadSafe = true;
    copy->LoadFromStream(stream);
    copy->engineOptions_->EnableThreadSafe = false;
    copy->reportOptions_->Password = reportOptions_->Password;
  }
  parentReportObject_ = std::move(copy);
  fileName_ = savedFileName;
  for (TfrxComponent* page : parentReportObject_->Objects())
    if (page->IsA("TfrxReportPage")) page->SetIsAncestor(true);

  SetAncestorMarks(*this, true);
  parentReport_ = value;
  activeSerializer_ = savedSerializer;
}

// ---------------------------------------------------------------- merging

namespace {

// Merges the objects of a report's copy into the report that now holds the
// template, as InheritFromTemplate describes.
class TemplateMerger {
 public:
  TemplateMerger(TfrxReport& target, TfrxReport& copy, bool deleteDuplicates)
      : target_(target), copy_(copy), deleteDuplicates_(deleteDuplicates), serializer_(nullptr) {
    serializer_.SetOwner(&target);
  }

  void MergeRoot() { Merge(&target_, &copy_); }

  // References by name to objects merged later, resolved now that all exist.
  void FixupReferences() {
    for (const TfrxFixupItem& f : fixups_) {
      rtl::TComponent* found = target_.FindObject(f.Value);
      if (!found) found = vuzFindComponent(&target_, f.Value);
      if (found) f.Property->SetObject(*f.Object, found);
    }
    for (auto& [subreport, page] : subreportPages_) subreport->SetPage(page);
  }

 private:
  // Writes the source's own (non-default) properties onto the target.
  void CopyProperties(TfrxComponent* source, TfrxComponent* target) {
    TfrxXMLSerializer writer(nullptr);
    writer.SetOwner(&copy_);
    const AnsiString text = writer.ObjToXML(source);
    serializer_.XMLToObj(text, target);
    serializer_.CopyFixupList(&fixups_);
    serializer_.ClearFixups();
  }

  // A name no object of the report or of the copy carries, from the
  // object's base name.
  AnsiString FreshName(TfrxComponent* made) {
    made->CreateUniqueName();
    const AnsiString name = made->Name();
    if (TfrxComponent* holder = copy_.FindObject(name)) {
      holder->SetName(AnsiString());
      holder->CreateUniqueName();
      while (target_.FindObject(holder->Name())) holder->SetName(holder->Name() + "_");
    }
    return name;
  }

  void Merge(TfrxComponent* target, TfrxComponent* source) {
    CopyProperties(source, target);
    for (std::size_t i = 0; i < source->Objects().size(); ++i) {
      TfrxComponent* child = source->Objects()[i];
      TfrxComponent* counterpart = child->Name().empty() ? nullptr : target_.FindObject(child->Name());
      if (counterpart && IsPage(child) && IsPage(counterpart)) {
        Merge(counterpart, child);
        continue;
      }
      if (counterpart && deleteDuplicates_) continue;
      const AnsiString oldName = child->Name();
      if (counterpart) child->SetName(AnsiString());  // renamed below, like a nameless one
      CreateAnew(target, child, oldName);
    }
  }

  void CreateAnew(TfrxComponent* target, TfrxComponent* child, const AnsiString& oldName) {
    std::unique_ptr<rtl::TPersistent> made(rtl::FindClass(child->ClassName()).create(target));
    auto* object = dynamic_cast<TfrxComponent*>(made.get());
    if (!object) return;
    made.release();  // its parent, through the report, owns it now
    if (!object->Parent()) object->SetParent(target);
    const bool renamed = child->Name().empty();
    if (renamed) {
      const AnsiString name = FreshName(object);
      child->SetName(name);  // so that its copied properties carry the new name
      if (!oldName.empty())
        for (TfrxFixupItem& f : fixups_)
          if (rtl::AnsiSameText(f.Value, oldName)) f.Value = name;
    } else {
      object->SetName(child->Name());
    }
    Merge(object, child);
    if (auto* dataSet = dynamic_cast<TfrxDataSet*>(object); dataSet && renamed) {
      dataSet->SetUserName(dataSet->Name());
      target_.DataSets()->Add(dataSet);
    }
    if (TfrxSubreport* sub = child->AsSubreport(); sub && sub->Page()) {
      TfrxReportPage* sourcePage = sub->Page();
      auto* page = new TfrxReportPage(&target_);
      CopyProperties(sourcePage, page);
      page->SetName(AnsiString());
      FreshName(page);
      DropFixupsOf(object);  // its Page reference named the copy's page
      subreportPages_.push_back({object->AsSubreport(), page});
      Merge(page, sourcePage);
      // Merged now: it must not come again among the copy's pages.
      sourcePage->SetParent(nullptr);
    }
  }

  void DropFixupsOf(rtl::TPersistent* object) {
    fixups_.erase(
        std::remove_if(fixups_.begin(), fixups_.end(), [object](const TfrxFixupItem& f) { return f.Object == object; }),
        fixups_.end());
  }

  TfrxReport& target_;
  TfrxReport& copy_;
  bool deleteDuplicates_;
  TfrxXMLSerializer serializer_;
  std::vector<TfrxFixupItem> fixups_;
  std::vector<std::pair<TfrxSubreport*, TfrxReportPage*>> subreportPages_;
};

// The comment markers a script language wraps the parent's script in.
std::pair<AnsiString, AnsiString> CommentMarkers(const AnsiString& language) {
  if (rtl::SameText(language, "C++Script") || rtl::SameText(language, "JScript")) return {"/*", "*/"};
  if (rtl::SameText(language, "BasicScript")) return {"/\\", "/\\"};
  return {"{", "}"};
}

AnsiString FullPath(const AnsiString& name) {
  if (name.starts_with('.') || name.starts_with('\\') || (!name.empty() && !IsAbsolutePath(name)))
    return rtl::ExpandFileName(name);
  return rtl::ToSlashes(name);
}

}  // namespace

bool TfrxReport::InheritFromTemplate(const AnsiString& templateName, TfrxInheriteMode mode) {
  const AnsiString reportFile = fileName_.empty() ? AnsiString() : FullPath(fileName_);
  const AnsiString templateFile = FullPath(templateName);
  if (reportFile == templateFile) return false;

  auto copy = std::make_unique<TfrxReport>();
  copy->AssignAll(this);
  const AnsiString savedFileName = fileName_;
  const AnsiString folder = rtl::ExtractFilePath(reportFile);
  const AnsiString relative =
      !folder.empty() && templateFile.starts_with(folder) ? templateFile.substr(folder.size()) : templateFile;
  SetParentReport(relative);
  fileName_ = savedFileName;

  bool duplicates = false;
  for (TfrxComponent* c : copy->GetAllObjects())
    if (!IsPage(c) && !c->Name().empty() && FindObject(c->Name())) {
      duplicates = true;
      break;
    }

  bool deleteDuplicates = mode != imRename;
  if (duplicates && mode == imDefault) {
    // Without a GUI nobody can choose: nothing is dropped or renamed.
    const int answer = vuzGuiHooks().AskInheritMode ? vuzGuiHooks().AskInheritMode() : -1;
    if (answer != imDelete && answer != imRename) {
      SetParentReport(AnsiString());
      AssignAll(copy.get());
      fileName_ = savedFileName;
      return false;
    }
    deleteDuplicates = answer == imDelete;
  }

  rtl::TStringList parentScript;
  parentScript.Assign(scriptText_.get());
  // The copy's ParentReport (empty, or an older parent) must not load again
  // onto the report.
  copy->parentReport_.clear();
  TemplateMerger merger(*this, *copy, deleteDuplicates);
  merger.MergeRoot();
  parentReport_ = relative;

  const auto [opener, closer] = CommentMarkers(scriptLanguage_);
  scriptText_->Add(opener);
  scriptText_->Add("**********Script from parent report**********");
  scriptText_->AddStrings(parentScript);
  scriptText_->Add(closer);

  for (int i = 0; i < dataSets_->Count(); ++i) {
    TfrxDataSetItem* item = dataSets_->GetItem(i);
    item->SetDataSetName(item->DataSetName());
  }
  merger.FixupReferences();
  return true;
}

}  // namespace report
