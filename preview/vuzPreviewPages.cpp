#include "preview/vuzPreviewPages.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "preview/vuzPreparedFile.h"
#include "preview/vuzPreviewObjects.h"
#include "report/vuzClassPicture.h"
#include "report/vuzXMLSerializer.h"

namespace preview {

using report::csDefaultDiff;
using report::csPreviewVisible;
using report::fr01cm;

namespace {

std::unordered_map<const TfrxComponent*, TfrxPreviewPages*>& Stores() {
  static std::unordered_map<const TfrxComponent*, TfrxPreviewPages*> stores;
  return stores;
}

// The base makes the outline through the factory; installed when the
// library loads, so every store of this kind has one.
const bool g_outlineInstalled = [] {
  vuzInstallStoreOutline();
  return true;
}();

AnsiString TrimLeftBlanks(const AnsiString& s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// A reflected class that is a report page ("TfrxReportPage", "TfrxDMPPage").
const rtl::TClassInfo* PageClass(const AnsiString& name) {
  const rtl::TClassInfo* info = rtl::GetClassInfo(name);
  return info && info->CanCreate() && info->InheritsFrom("TfrxReportPage") ? info : nullptr;
}

TfrxComponent* CreateLike(const TfrxComponent* model, TfrxComponent* owner) {
  std::unique_ptr<rtl::TObject> made(model->ClassType().Create(owner));
  auto* c = dynamic_cast<TfrxComponent*>(made.get());
  if (c) made.release();
  return c;
}

void SetNameQuietly(TfrxComponent* c, const AnsiString& name) {
  try {
    c->SetName(name);
  } catch (const rtl::Exception&) {
    // Two objects of one name on a page are fine for drawing.
  }
}

AnsiString LowerFirst(const AnsiString& stem) {
  return stem.empty() ? AnsiString("o") : rtl::AnsiLowerCase(stem.substr(0, 1));
}

}  // namespace

// ---------------------------------------------------------------- life

TfrxPreviewPages::TfrxPreviewPages(TfrxComponent* report)
    : TfrxCustomPreviewPages(report), host_(std::make_unique<TfrxPreviewHost>(report)) {
  if (report) Stores()[report] = this;
  (void)g_outlineInstalled;
}

TfrxPreviewPages::~TfrxPreviewPages() {
  if (Report()) {
    auto it = Stores().find(Report());
    if (it != Stores().end() && it->second == this) Stores().erase(it);
  }
  ClearPageCache();
  ClearSourcePages();
}

TfrxPreviewPages* TfrxPreviewPages::StoreOf(const TfrxComponent* report) {
  auto it = Stores().find(report);
  return it == Stores().end() ? nullptr : it->second;
}

void TfrxPreviewPages::SetHost(std::unique_ptr<TfrxPreviewHost> host) {
  if (host) host_ = std::move(host);
}

TfrxOutline& TfrxPreviewPages::PreparedOutline() {
  if (!outline_) outline_ = std::make_unique<TfrxOutline>(tree_);
  return *outline_;
}

bool TfrxPreviewPages::FinalPass() const { return Engine ? Engine->FinalPass : true; }
bool TfrxPreviewPages::DoublePass() const { return Engine ? Engine->GetDoublePass() : false; }

void TfrxPreviewPages::Problem(const AnsiString& text) {
  problems_.push_back(text);
  if (rtl::TStrings* errors = host_->Errors()) errors->Add(text);
}

TfrxComponent* TfrxPreviewPages::SourcePage(int index) const {
  return index >= 0 && index < SourcePageCount() ? sourcePages_[static_cast<std::size_t>(index)].get() : nullptr;
}

const AnsiString& TfrxPreviewPages::StoredText(const TfrxComponent* source) const {
  static const AnsiString none;
  auto it = storedTexts_.find(source);
  return it == storedTexts_.end() ? none : it->second;
}

TfrxComponent* TfrxPreviewPages::GetObject(const AnsiString& alias) const {
  return dynamic_cast<TfrxComponent*>(dictionary_.GetObject(alias));
}

// The source copy of a template object: its link, when the dictionary still
// holds that very copy under the object's alias.
TfrxComponent* TfrxPreviewPages::SourceOf(const TfrxComponent* object) const {
  TfrxComponent* link = object->Original();
  if (!link || object->AliasName().empty()) return nullptr;
  return dictionary_.GetObject(object->AliasName()) == link ? link : nullptr;
}

// ---------------------------------------------------------------- run

int TfrxPreviewPages::GetCount() { return tree_.Count(); }

TfrxXMLItem* TfrxPreviewPages::CurXMLPage() {
  SyncIn();
  return tree_.CurXMLPage();
}

void TfrxPreviewPages::Clear() {
  ClearPageCache();
  ClearSourcePages();
  tree_.Clear();
  dictionary_.Clear();
  pictures_.Clear();
  CurPage = -1;
  lastY_ = 0;
}

void TfrxPreviewPages::ClearSourcePages() {
  sourcePages_.clear();
  storedTexts_.clear();
}

void TfrxPreviewPages::Initialize() {
  pictures_.SetUseFileCache(host_->PictureCacheInFile());
  pictures_.SetTempDir(host_->TempDir());
  tree_.Document().TempDir = host_->TempDir();
  host_->ProgressStart(report::ptRunning, 0);
}

void TfrxPreviewPages::AddSourcePage(TfrxComponent* page) {
  if (!page) return;
  struct Pair {
    TfrxComponent* templ;
    TfrxComponent* copy;
  };
  std::vector<Pair> pairs;
  std::unique_ptr<TfrxComponent> pageCopy(CreateLike(page, nullptr));
  if (!pageCopy) return;
  pageCopy->Assign(page);
  SetNameQuietly(pageCopy.get(), page->Name());
  // Depth first, children in list order, each object before its children.
  struct Work {
    TfrxComponent* templ;
    TfrxComponent* parentCopy;
  };
  std::vector<Work> stack;
  for (auto it = page->Objects().rbegin(); it != page->Objects().rend(); ++it) stack.push_back({*it, pageCopy.get()});
  while (!stack.empty()) {
    const Work w = stack.back();
    stack.pop_back();
    if (!(w.templ->FrComponentStyle() & csPreviewVisible)) {
      pairs.push_back({w.templ, nullptr});
      continue;
    }
    TfrxComponent* copy = CreateLike(w.templ, w.parentCopy);
    if (!copy) {
      pairs.push_back({w.templ, nullptr});
      continue;
    }
    // The copy carries no picture: pages take pictures from the picture cache.
    if (auto* picture = dynamic_cast<report::TfrxPictureView*>(w.templ)) {
      const bool stored = picture->IsPictureStored();
      picture->SetIsPictureStored(false);
      try {
        copy->Assign(w.templ);
      } catch (...) {
        picture->SetIsPictureStored(stored);
        throw;
      }
      picture->SetIsPictureStored(stored);
    } else {
      copy->Assign(w.templ);
      if (copy->IsA("TfrxPictureView"))
        if (gfx::TPicture* p = vuzPictureOf(copy)) p->Assign(nullptr);
    }
    SetNameQuietly(copy, w.templ->Name());
    pairs.push_back({w.templ, copy});
    for (auto it = w.templ->Objects().rbegin(); it != w.templ->Objects().rend(); ++it) stack.push_back({*it, copy});
  }

  pageCopy->SetOriginal(page);
  const int k = SourcePageCount();
  sourcePages_.push_back(std::move(pageCopy));
  report::TfrxXMLSerializer serializer(nullptr);
  for (const Pair& p : pairs) {
    if (!p.copy) {
      p.templ->AddSourceObjects();
      continue;
    }
    p.templ->SetOriginal(p.copy);
    p.copy->SetOriginal(p.templ);
    const AnsiString prefix = p.copy->IsA("TfrxBand") ? AnsiString("b") : LowerFirst(p.copy->BaseName());
    const AnsiString alias = dictionary_.AddUnique(prefix, "Page" + std::to_string(k) + "." + p.copy->Name(), p.copy);
    if (p.copy->IsA("TfrxCustomMemoView")) {
      rtl::TObject* holder = nullptr;
      if (const rtl::TPropInfo* ds = rtl::FindPropPath(*p.copy, "DataSet", holder); ds && holder && ds->HasSetter())
        ds->SetObject(*holder, nullptr);
      vuzSetProp(p.copy, "DataField", rtl::Variant(AnsiString()));
    }
    storedTexts_[p.copy] =
        (p.copy->FrComponentStyle() & csDefaultDiff) ? p.copy->ClassName() : serializer.WriteComponentStr(p.copy);
    p.templ->SetAliasName(alias);
    p.copy->SetAliasName(alias);
  }
}

void TfrxPreviewPages::AddToSourcePage(TfrxComponent* object) {
  TfrxComponent* last = SourcePage(SourcePageCount() - 1);
  if (!object || !last) return;
  TfrxComponent* copy = CreateLike(object, last);
  if (!copy) return;
  copy->Assign(object);
  copy->CreateUniqueName();
  const int k = SourcePageCount() - 1;
  const AnsiString alias =
      dictionary_.AddUnique(LowerFirst(copy->BaseName()), "Page" + std::to_string(k) + "." + copy->Name(), copy);
  report::TfrxXMLSerializer serializer(nullptr);
  storedTexts_[copy] =
      (copy->FrComponentStyle() & csDefaultDiff) ? copy->ClassName() : serializer.WriteComponentStr(copy);
  object->SetOriginal(copy);
  object->SetAliasName(alias);
  copy->SetAliasName(alias);
}

void TfrxPreviewPages::BeginPass() {
  SyncIn();
  tree_.BeginPass(FinalPass(), DoublePass());
}

void TfrxPreviewPages::ClearFirstPassPages() {
  SyncIn();
  tree_.ClearFirstPassPages(FinalPass(), DoublePass());
  SyncOut();
}

void TfrxPreviewPages::AddPage(TfrxComponent* page) {
  SyncIn();
  if (host_->UseFileCache() && tree_.XMLSize > static_cast<std::int64_t>(std::max(host_->MaxMemSize(), 0)) * 1048576LL)
    tree_.ParkPages(host_->TempDir());
  ++tree_.CurPage;
  if (tree_.CurPage < tree_.Count() && AddPageAction != report::apAdd) {
    SyncOut();
    return;
  }
  int source = -1;
  for (int i = 0; i < SourcePageCount(); ++i)
    if (page && sourcePages_[static_cast<std::size_t>(i)]->Original() == page) {
      source = i;
      break;
    }
  tree_.AppendPage("page" + std::to_string(source));
  tree_.CurPage = tree_.Count() - 1;
  SyncOut();
  host_->Progress(report::ptRunning, CurPage + 1);
  AddPageAction = report::apWriteOver;
  IncLogicalPageNumber();
}

void TfrxPreviewPages::AddObject(TfrxComponent* object) {
  TfrxXMLItem* page = CurXMLPage();
  if (!page || !object) return;
  const bool whole = PageClass(page->Name) != nullptr || rtl::AnsiSameText(page->Name, "TfrxReportPage") ||
                     rtl::AnsiSameText(page->Name, "TfrxDMPPage");
  AddObjectTo(page, object, whole);
}

void TfrxPreviewPages::AddObjectTo(TfrxXMLItem* parent, TfrxComponent* object, bool whole) {
  if (!object->Visible() || !(object->FrComponentStyle() & csPreviewVisible)) return;
  TfrxXMLItem* item = parent->Add();
  TfrxComponent* source = whole ? nullptr : SourceOf(object);
  if (!source) {
    item->Name = object->ClassName();
    item->Prop = TrimLeftBlanks(object->AllDiff(nullptr));
  } else {
    item->Name = object->AliasName();
    AnsiString diff;
    if (!FinalPass())
      diff = object->InternalDiff(source);
    else if (object->FrComponentStyle() & csDefaultDiff)
      diff = object->AllDiff(source);
    else
      diff = object->Diff(source);
    item->Prop = TrimLeftBlanks(diff);
  }
  tree_.XMLSize += static_cast<std::int64_t>(item->Name.size() + item->Prop.size() + 64);
  for (TfrxComponent* child : object->Objects()) AddObjectTo(item, child, whole);
}

void TfrxPreviewPages::AddPicture(TfrxComponent* picture) {
  if (!picture) return;
  gfx::TPicture* p = vuzPictureOf(picture);
  const int index = p ? pictures_.AddPicture(*p) : 0;
  if (auto* view = dynamic_cast<report::TfrxPictureView*>(picture)) {
    view->SetImageIndex(index);
    view->SetIsImageIndexStored(true);  // the page element refers to the cache
    return;
  }
  vuzSetProp(picture, "ImageIndex", rtl::Variant(index));
}

void TfrxPreviewPages::CutObjects(int position) {
  SyncIn();
  tree_.CutObjects(position);
}

void TfrxPreviewPages::PasteObjects(long double x, long double y) {
  SyncIn();
  tree_.PasteObjects(x, y);
}

void TfrxPreviewPages::ShiftAnchors(int from, int top, bool nextPage) { tree_.ShiftAnchors(from, top, nextPage); }

void TfrxPreviewPages::AddAnchor(const AnsiString& text) {
  SyncIn();
  tree_.AddAnchor(text, Engine ? Engine->CurY : 0);
}

int TfrxPreviewPages::GetCurPosition() {
  SyncIn();
  return tree_.GetCurPosition();
}

int TfrxPreviewPages::GetAnchorCurPosition() { return tree_.GetAnchorCurPosition(); }

void TfrxPreviewPages::IncLogicalPageNumber() {
  SyncIn();
  tree_.IncLogicalPageNumber(FinalPass(), DoublePass());
}

void TfrxPreviewPages::ResetLogicalPageNumber() {
  SyncIn();
  tree_.ResetLogicalPageNumber(FinalPass(), DoublePass());
}

int TfrxPreviewPages::GetLogicalPageNo() {
  SyncIn();
  return tree_.GetLogicalPageNo(FirstPage);
}

int TfrxPreviewPages::GetLogicalTotalPages() {
  SyncIn();
  return tree_.GetLogicalTotalPages(Engine ? Engine->TotalPages : GetCount(), FirstPage);
}

long double TfrxPreviewPages::GetLastY(long double x) {
  TfrxXMLItem* page = CurXMLPage();
  long double result = 0;
  if (page) {
    tree_.LoadPage(page);
    for (int i = 0; i < page->Count(); ++i) {
      const TfrxXMLItem* item = page->Items(i);
      TfrxComponent* band = GetObject(item->Name);
      if (!band || !band->IsA("TfrxBand") || band->IsA("TfrxPageFooter") || band->IsA("TfrxOverlay")) continue;
      const long double l = vuzFloatProp(item, "l", band->Left());
      if (!(x == 0 || std::fabs(x - l) < 0.001L || band->IsA("TfrxPageHeader") || band->IsA("TfrxReportTitle")))
        continue;
      const long double bottom = vuzFloatProp(item, "t", band->Top()) + vuzFloatProp(item, "h", band->Height());
      result = std::max(result, bottom);
    }
  }
  if (result == 0 && lastY_ != 0) result = lastY_;
  return result;
}

bool TfrxPreviewPages::BandExists(TfrxComponent* band) {
  TfrxXMLItem* page = CurXMLPage();
  if (!page || !band) return false;
  const bool pageFooter = band->IsKind(TfrxComponent::ckPageFooter);
  const bool columnFooter = band->IsKind(TfrxComponent::ckColumnFooter);
  for (int i = 0; i < page->Count(); ++i) {
    TfrxComponent* source = GetObject(page->Items(i)->Name);
    if (!source) continue;
    if (source->Original() == band) return true;
    if (pageFooter && source->IsKind(TfrxComponent::ckPageFooter)) return true;
    if (columnFooter && source->IsKind(TfrxComponent::ckColumnFooter)) return true;
  }
  return false;
}

void TfrxPreviewPages::Finish() {
  lastY_ = 0;
  ClearPageCache();
  for (auto& page : sourcePages_) page->SetOriginal(nullptr);
  host_->ProgressStop(report::ptRunning, 0);
}

void TfrxPreviewPages::UpdatePageDimensions(TfrxComponent* page, long double width, long double height) {
  for (auto& source : sourcePages_) {
    if (!page || source->Original() != page) continue;
    vuzSetProp(source.get(), "PaperSize", rtl::Variant(256));
    vuzSetFloatProp(source.get(), "PaperWidth", width / fr01cm);
    vuzSetFloatProp(source.get(), "PaperHeight", height / fr01cm);
    ClearPageCache();
    return;
  }
}

// ---------------------------------------------------------------- page editing

void TfrxPreviewPages::AddEmptyPage(int index) {
  tree_.AddEmptyPage(index);
  ClearPageCache();
}

void TfrxPreviewPages::DeletePage(int index) {
  SyncIn();
  tree_.DeletePage(index);
  SyncOut();
  ClearPageCache();
}

void TfrxPreviewPages::ModifyPage(int index, TfrxComponent* page) {
  TfrxXMLItem* element = tree_.Page(index);
  if (!element || !page) return;
  tree_.LoadPage(element);
  element->Clear();
  report::TfrxXMLSerializer serializer(nullptr);
  serializer.WriteRootComponent(page, true, element);
  element->Unloadable = false;
  element->Loaded = true;
  ClearPageCache();
}

void TfrxPreviewPages::AddFrom(TfrxComponent* report) {
  TfrxPreviewPages* other = StoreOf(report);
  if (!other || other == this) return;
  const int b = GetCount();
  report::TfrxXMLSerializer serializer(nullptr);
  for (int i = 0; i < other->GetCount(); ++i) {
    TfrxComponent* page = other->GetPage(i);
    if (!page) continue;
    TfrxXMLItem* element = tree_.Pages()->Add();
    serializer.WriteRootComponent(page, true, element);
  }
  TfrxXMLItem* anchors = other->tree_.Section("anchors");
  for (int i = 0; i < anchors->Count(); ++i) {
    const TfrxXMLItem* a = anchors->Items(i);
    TfrxXMLItem* copy = tree_.Section("anchors")->Add("item");
    copy->Prop = a->Prop;
    copy->SetProp("page", std::to_string(vuzIntProp(a, "page") + static_cast<long long>(b)));
  }
  // The outline, level by level from both roots.
  TfrxOutline& mine = PreparedOutline();
  TfrxOutline& theirs = other->PreparedOutline();
  mine.LevelRoot();
  theirs.LevelRoot();
  struct Level {
    int index;
    int count;
  };
  std::vector<Level> levels{{0, theirs.GetCount()}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.index >= level.count) {
      levels.pop_back();
      if (!levels.empty()) {
        mine.LevelUp();
        theirs.LevelUp();
      }
      continue;
    }
    AnsiString text;
    int page = 0, top = 0;
    theirs.GetItem(level.index, text, page, top);
    tree_.CurPage = b + page;
    mine.AddItem(text, top);  // the new entry becomes current: one level down
    theirs.LevelDown(level.index);
    ++level.index;
    levels.push_back({0, theirs.GetCount()});
  }
  SyncIn();
  if (other->GetCount() > 0) {
    other->CurPage = other->GetCount() - 1;
    lastY_ = other->GetLastY(0);
    other->CurPage = -1;
  }
  ClearPageCache();
}

// ---------------------------------------------------------------- built pages

void TfrxPreviewPages::ClearPageCache() { cache_.clear(); }

std::vector<int> TfrxPreviewPages::CachedPageIndices() const {
  std::vector<int> v;
  for (const CachedPage& c : cache_) v.push_back(c.index);
  return v;
}

TfrxComponent* TfrxPreviewPages::NewPage(const AnsiString& className) const {
  const rtl::TClassInfo* info = PageClass(className);
  if (!info) info = PageClass("TfrxReportPage");
  if (!info && !sourcePages_.empty()) return CreateLike(sourcePages_.front().get(), nullptr);
  if (!info) return nullptr;
  return dynamic_cast<TfrxComponent*>(info->Create(nullptr));
}

TfrxComponent* TfrxPreviewPages::GetPage(int index) {
  if (GetCount() == 0) return nullptr;
  TfrxXMLItem* element = tree_.Page(index);
  if (!element) return nullptr;
  const bool running = Engine && Engine->Running;
  if (!running)
    for (std::size_t i = 0; i < cache_.size(); ++i)
      if (cache_[i].index == index) {
        std::swap(cache_[i], cache_[0]);
        return cache_[0].page.get();
      }
  std::unique_ptr<TfrxComponent> page(BuildPage(element));
  if (!page) return nullptr;
  page->AlignChildren();
  cache_.insert(cache_.begin(), CachedPage{index, std::move(page)});
  if (cache_.size() > 1 && static_cast<int>(cache_.size()) > host_->PagesInCache()) {
    const int dropped = cache_.back().index;
    cache_.pop_back();
    TfrxXMLItem* old = tree_.Page(dropped);
    if (old && host_->UseFileCache() && old->Unloadable) {
      tree_.Document().TempDir = host_->TempDir();
      tree_.Document().UnloadItem(old);
    }
  }
  return cache_[0].page.get();
}

TfrxComponent* TfrxPreviewPages::BuildPage(TfrxXMLItem* element) {
  tree_.LoadPage(element);
  report::TfrxXMLSerializer serializer(nullptr);
  serializer.OldFormat = tree_.Document().OldVersion();
  std::unique_ptr<TfrxComponent> page;
  if (PageClass(element->Name)) {
    page.reset(NewPage(element->Name));
    if (!page) return nullptr;
    try {
      serializer.ReadRootComponent(page.get(), element);
    } catch (const rtl::Exception& e) {
      Problem("Prepared page " + element->Name + ": " + e.Message());
    }
  } else {
    const int n = vuzSourcePageIndex(element->Name);
    TfrxComponent* source = SourcePage(n);
    if (!source) {
      // A damaged or crafted file: an empty page of the default kind.
      Problem("Prepared page " + element->Name + " names no source page; an empty page is shown");
      page.reset(NewPage("TfrxReportPage"));
      return page.release();
    }
    page.reset(CreateLike(source, nullptr));
    if (!page) return nullptr;
    page->Assign(source);
    SetNameQuietly(page.get(), source->Name());
    BuildObjects(element, page.get(), serializer);
  }
  for (int i = 0; i < serializer.Errors().Count(); ++i) Problem(serializer.Errors()[i]);
  return page.release();
}

void TfrxPreviewPages::BuildObjects(TfrxXMLItem* element, TfrxComponent* page, report::TfrxXMLSerializer& serializer) {
  struct Work {
    TfrxXMLItem* item;
    TfrxComponent* parent;
    int depth;
  };
  std::vector<Work> stack;
  for (int i = element->Count() - 1; i >= 0; --i) stack.push_back({element->Items(i), page, 1});
  while (!stack.empty()) {
    const Work w = stack.back();
    stack.pop_back();
    if (w.depth > report::TfrxXMLSerializer::kMaxDepth) {
      Problem("Prepared page: objects nested too deeply; skipped");
      continue;
    }
    TfrxComponent* source = GetObject(w.item->Name);
    // The template's attributes, then the page's own (a text object's text
    // among them, however large), read in turn rather than joined.
    const AnsiString name = source ? AnsiString() : AnsiString(w.item->Name);
    const AnsiString& first = source ? StoredText(source) : name;
    TfrxComponent* object = nullptr;
    try {
      object = serializer.ReadComponentStr(w.parent, first, w.item->Prop, true);
    } catch (const rtl::Exception& e) {
      Problem("Prepared page: " + w.item->Name + ": " + e.Message());
      continue;
    }
    if (!object) continue;
    if (source) SetNameQuietly(object, source->Name());
    if (object->IsA("TfrxPictureView")) {
      gfx::TPicture* picture = vuzPictureOf(object);
      if (picture && picture->Empty())
        pictures_.GetPicture(static_cast<int>(vuzOrdProp(object, "ImageIndex", 0)), *picture);
    }
    if (object->Parent() != w.parent) object->SetParent(w.parent);
    for (int i = w.item->Count() - 1; i >= 0; --i) stack.push_back({w.item->Items(i), object, w.depth + 1});
  }
}

report::TfrxPoint TfrxPreviewPages::GetPageSize(int index) {
  report::TfrxPoint size{0, 0};
  TfrxXMLItem* element = tree_.Page(index);
  if (!element) return size;
  TfrxComponent* page = SourcePage(vuzSourcePageIndex(element->Name));
  if (!page) page = GetPage(index);
  if (!page) return size;
  size.X = vuzRoundClamped(page->Width());
  size.Y = vuzRoundClamped(page->Height());
  return size;
}

// ---------------------------------------------------------------- files

void TfrxPreviewPages::BeforeSave() {
  vuzWriteReportSettings(tree_, host_->Settings());
  TfrxXMLItem* section = tree_.Section("sourcepages");
  section->Clear();
  for (auto& page : sourcePages_) {
    report::TfrxXMLSerializer serializer(nullptr);
    serializer.WriteRootComponent(page.get(), true, section->Add());
  }
  vuzWriteDictionary(tree_, dictionary_);
  vuzWritePictureCache(tree_, pictures_);
}

void TfrxPreviewPages::SaveToStream(rtl::TStream& stream) {
  BeforeSave();
  tree_.SaveToStream(stream);
}

void TfrxPreviewPages::SaveToFile(const AnsiString& fileName) {
  BeforeSave();
  tree_.SaveToFile(fileName);
}

void TfrxPreviewPages::LoadFromStream(rtl::TStream& stream, bool /*allowPartialLoading*/) {
  // Reads into a fresh tree first: a damaged file leaves everything as it was.
  tree_.LoadFromStream(stream);
  ClearPageCache();
  ClearSourcePages();
  dictionary_.Clear();
  pictures_.Clear();
  CurPage = -1;
  lastY_ = 0;
  AfterLoad();
}

bool TfrxPreviewPages::LoadFromFile(const AnsiString& fileName, bool exceptionIfNotFound) {
  const bool exists = rtl::FileExists(fileName);
  if (exists || exceptionIfNotFound) {
    rtl::TFileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    LoadFromStream(file);
  }
  return exists;
}

void TfrxPreviewPages::AfterLoad() {
  TfrxPreparedReportSettings settings = host_->Settings();
  if (vuzReadReportSettings(tree_, settings)) host_->ApplySettings(settings);

  const int at = tree_.Root()->Find("sourcepages");
  if (at >= 0) {
    TfrxXMLItem* section = tree_.Root()->Items(at);
    for (int i = 0; i < section->Count(); ++i) {
      TfrxXMLItem* child = section->Items(i);
      std::unique_ptr<TfrxComponent> page(NewPage(child->Name));
      if (!page) {
        Problem("Prepared report: no page class for source page " + std::to_string(i));
        continue;
      }
      report::TfrxXMLSerializer serializer(nullptr);
      serializer.OldFormat = tree_.Document().OldVersion();
      serializer.SetOwner(page.get());
      try {
        serializer.ReadRootComponent(page.get(), child);
      } catch (const rtl::Exception& e) {
        Problem("Prepared report: source page " + std::to_string(i) + ": " + e.Message());
      }
      for (int e = 0; e < serializer.Errors().Count(); ++e) Problem(serializer.Errors()[e]);
      for (TfrxComponent* object : page->GetAllObjects()) storedTexts_[object] = serializer.WriteComponentStr(object);
      sourcePages_.push_back(std::move(page));
    }
    section->Clear();
  }

  std::vector<AnsiString> errors;
  vuzReadDictionary(
      tree_, dictionary_, SourcePageCount(),
      [this](int sourcePage, const AnsiString& name) -> rtl::TObject* {
        TfrxComponent* page = SourcePage(sourcePage);
        return page ? page->FindObject(name) : nullptr;
      },
      errors);
  for (const AnsiString& e : errors) Problem(e);
  vuzReadPictureCache(tree_, pictures_);
}

// ---------------------------------------------------------------- outline

void vuzInstallStoreOutline() {
  report::TfrxCustomPreviewPages::SetOutlineFactory(
      [](report::TfrxCustomPreviewPages* pages) -> std::unique_ptr<report::TfrxCustomOutline> {
        return std::make_unique<TfrxStoreOutline>(pages);
      });
}

TfrxOutline* TfrxStoreOutline::Inner() {
  auto* store = dynamic_cast<TfrxPreviewPages*>(PreviewPages());
  if (!store) return nullptr;
  store->Tree().CurPage = store->CurPage;
  return &store->PreparedOutline();
}

int TfrxStoreOutline::GetCount() { return Inner() ? Inner()->GetCount() : 0; }

void TfrxStoreOutline::AddItem(const AnsiString& text, int top) {
  if (TfrxOutline* o = Inner()) {
    o->AddItem(text, top);
    CurItem = o->CurItem();
  }
}

void TfrxStoreOutline::LevelDown(int index) {
  if (TfrxOutline* o = Inner()) {
    o->LevelDown(index);
    CurItem = o->CurItem();
  }
}

void TfrxStoreOutline::LevelRoot() {
  if (TfrxOutline* o = Inner()) {
    o->LevelRoot();
    CurItem = o->CurItem();
  }
}

void TfrxStoreOutline::LevelUp() {
  if (TfrxOutline* o = Inner()) {
    o->LevelUp();
    CurItem = o->CurItem();
  }
}

void TfrxStoreOutline::GetItem(int index, AnsiString& text, int& page, int& top) {
  if (TfrxOutline* o = Inner()) o->GetItem(index, text, page, top);
}

void TfrxStoreOutline::ShiftItems(TfrxXMLItem* from, int top, bool nextPage) {
  if (TfrxOutline* o = Inner()) o->ShiftItems(from, top, nextPage);
}

TfrxXMLItem* TfrxStoreOutline::GetCurPosition() { return Inner() ? Inner()->GetCurPosition() : nullptr; }

}  // namespace preview
