#include "report/vuzClass.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassShape.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzClassView.h"
#include "report/vuzDMPClass.h"
#include "report/vuzDataSet.h"
#include "report/vuzDialogPage.h"
#include "report/vuzDrawText.h"
#include "report/vuzRes.h"
#include "report/vuzStoredProperties.h"
#include "report/vuzStyles.h"
#include "report/vuzVariables.h"
#include "report/vuzXML.h"
#include "report/vuzXMLSerializer.h"

namespace report {

// ---------------------------------------------------------------- types

const rtl::TEnumType& RestrictionType() {
  static const rtl::TEnumType type{"TfrxRestriction",
                                   {"rfDontModify", "rfDontSize", "rfDontMove", "rfDontDelete", "rfDontEdit"}};
  return type;
}

const rtl::TSetType& RestrictionsType() {
  static const rtl::TSetType type{"TfrxRestrictions", &RestrictionType()};
  return type;
}

const rtl::TEnumType& AlignType() {
  static const rtl::TEnumType type{"TfrxAlign",
                                   {"baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom", "baClient"}};
  return type;
}

long double vuzRound8(long double value) {
  // The default rounding mode: halves to even (rint: nearbyint's value
  // without saving the floating-point environment each time).
  return std::rint(value * 1e8L) / 1e8L;
}

// ---------------------------------------------------------------- the name index

namespace {

// Moves of any object of any tree; a kept GetAllObjects list is good while
// this has not changed.
std::uint64_t g_treeGeneration = 1;

AnsiString Key(const AnsiString& name) { return rtl::AnsiUpperCase(name); }

rtl::TComponent* ReportOf(rtl::TComponent* owner) {
  if (auto* fr = dynamic_cast<TfrxComponent*>(owner)) return fr->GetReport();
  return owner;
}

}  // namespace

// The names of one tree, kept by its top object while somebody asks: makes
// FindObject and CreateUniqueName on a report cost no walk of the tree, so
// naming objects one after another does not grow quadratically. Every move
// and rename keeps it up to date; the answers are those of the walk.
struct TfrxNameIndex {
  struct Entry {
    TfrxComponent* first = nullptr;  // null when several carry the name
    int count = 0;
  };
  std::unordered_map<AnsiString, Entry> names;
  // Per base name: every number below this one is taken.
  std::unordered_map<AnsiString, long long> hints;

  void Add(TfrxComponent* c) {
    if (c->Name().empty()) return;
    Entry& e = names[Key(c->Name())];
    e.first = e.count == 0 ? c : nullptr;
    ++e.count;
  }
  void Remove(TfrxComponent* c) {
    if (c->Name().empty()) return;
    auto it = names.find(Key(c->Name()));
    if (it == names.end()) return;
    if (--it->second.count == 0)
      names.erase(it);
    else
      it->second.first = nullptr;
    hints.clear();  // a number may have come free
  }
  bool Contains(const AnsiString& name) const { return names.count(Key(name)) != 0; }
};

// ---------------------------------------------------------------- TfrxComponent

TfrxComponent::TfrxComponent(rtl::TComponent* owner) : rtl::TComponent(ReportOf(owner)) { Init(owner); }

TfrxComponent::TfrxComponent(rtl::TComponent* owner, std::uint16_t) : rtl::TComponent(ReportOf(owner)) {
  isDesigning_ = true;
  Init(owner);
}

void TfrxComponent::Init(rtl::TComponent* owner) {
  componentStyle_ = csPreviewVisible;
  font_ = std::make_unique<gfx::TFont>();
  font_->SetPixelsPerInch(96);
  font_->SetName("Arial");
  font_->SetSize(10);
  font_->SetColor(0);
  font_->SetCharset(vuzCharset);
  font_->OnChange = [this] { FontChanged(); };
  visible_ = true;
  SetParentFont(true);
  if (auto* p = dynamic_cast<TfrxComponent*>(owner)) SetParent(p);
}

AnsiString TfrxComponent::BaseName() const {
  if (baseNameSet_) return baseName_;
  // Asked of the finished object: during construction the class is not yet known.
  AnsiString name = ClassName();
  if (auto at = name.find("Tfrx"); at != AnsiString::npos) name.erase(at, 4);
  if (auto at = name.find("View"); at != AnsiString::npos) name.erase(at, 4);
  return name;
}

TfrxComponent::~TfrxComponent() {
  if (!Owner() || !Owner()->HasState(rtl::csDestroying)) Destroying();
  SetParent(nullptr);
  Clear();
  // Children from a parent template survive Clear, not their parent's end.
  while (!objects_.empty()) delete objects_.back();
  font_->OnChange = nullptr;
}

TfrxComponent* TfrxComponent::TreeTop() {
  TfrxComponent* t = this;
  while (t->parent_) t = t->parent_;
  return t;
}

TfrxNameIndex* TfrxComponent::IndexFor(const TfrxComponent* scope) {
  auto* holder = const_cast<TfrxComponent*>(scope);
  if (holder->parent_) return nullptr;  // only a tree's top keeps one
  if (!holder->nameIndex_) {
    holder->nameIndex_ = std::make_unique<TfrxNameIndex>();
    for (TfrxComponent* c : holder->GetAllObjects()) holder->nameIndex_->Add(c);
  }
  return holder->nameIndex_.get();
}

void TfrxComponent::IndexSubtree(bool add) {
  TfrxNameIndex* index = TreeTop()->nameIndex_.get();
  if (!index) return;
  // Without recursion: trees read from files may be deep.
  std::vector<TfrxComponent*> stack{this};
  while (!stack.empty()) {
    TfrxComponent* c = stack.back();
    stack.pop_back();
    add ? index->Add(c) : index->Remove(c);
    stack.insert(stack.end(), c->objects_.begin(), c->objects_.end());
  }
}

void TfrxComponent::SetParent(TfrxComponent* parent) {
  if (parent == parent_) return;
  ++g_treeGeneration;
  if (parent_) {
    IndexSubtree(false);
    auto& siblings = parent_->objects_;
    // From the end: objects leave soon after they came (the engine's
    // temporary bands and moved objects), and pages hold many bands.
    siblings.erase(std::find(siblings.rbegin(), siblings.rend(), this).base() - 1);
    ++parent_->childrenVersion_;
  }
  nameIndex_.reset();
  parent_ = parent;
  if (parent_) {
    ++parent_->childrenVersion_;
    parent_->objects_.push_back(this);
    IndexSubtree(true);
    SetParentFont(parentFont_);  // takes the parent's font when inheriting
  }
}

const std::vector<TfrxComponent*>& TfrxComponent::GetAllObjects() const {
  if (allObjectsGeneration_ == g_treeGeneration) return allObjects_;
  allObjects_.clear();
  // Depth first, each node before its children, without recursion.
  std::vector<std::pair<const TfrxComponent*, std::size_t>> stack{{this, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next == node->objects_.size()) {
      stack.pop_back();
      continue;
    }
    TfrxComponent* child = node->objects_[next++];
    allObjects_.push_back(child);
    stack.emplace_back(child, 0);
  }
  allObjectsGeneration_ = g_treeGeneration;
  return allObjects_;
}

TfrxComponent* TfrxComponent::FindObject(const AnsiString& name) const {
  if (!parent_) {
    TfrxNameIndex* index = const_cast<TfrxComponent*>(this)->IndexFor(this);
    auto it = index->names.find(Key(name));
    if (it == index->names.end()) return nullptr;
    if (it->second.first) return it->second.first;
  }
  for (TfrxComponent* c : GetAllObjects())
    if (rtl::AnsiSameText(c->Name(), name)) return c;
  return nullptr;
}

unsigned TfrxComponent::ClassKinds(const rtl::TClassInfo& cls) {
  // Class information never changes once built, so each thread keeps the
  // answers it worked out (no lock on the engine's hottest path).
  // A small table of recent answers in front of the map: a row asks for
  // the kinds of the same few classes over and over.
  struct Recent {
    const rtl::TClassInfo* cls = nullptr;
    unsigned kinds = 0;
  };
  thread_local Recent recent[64];
  Recent& slot = recent[(reinterpret_cast<std::uintptr_t>(&cls) >> 4) & 63];
  if (slot.cls == &cls) return slot.kinds;
  thread_local std::unordered_map<const rtl::TClassInfo*, unsigned> known;
  auto [it, added] = known.try_emplace(&cls, 0u);
  if (added) {
    static constexpr std::pair<TfrxClassKind, const char*> kNames[] = {
        {ckReport, "TfrxReport"},
        {ckPage, "TfrxPage"},
        {ckBand, "TfrxBand"},
        {ckCustomMemoView, "TfrxCustomMemoView"},
        {ckDataBand, "TfrxDataBand"},
        {ckGroupHeader, "TfrxGroupHeader"},
        {ckPageHeader, "TfrxPageHeader"},
        {ckNullBand, "TfrxNullBand"},
        {ckOverlay, "TfrxOverlay"},
        {ckDMPMemoView, "TfrxDMPMemoView"},
        {ckDMPPage, "TfrxDMPPage"},
        {ckPageFooter, "TfrxPageFooter"},
        {ckColumnFooter, "TfrxColumnFooter"},
        {ckHeader, "TfrxHeader"},
        {ckReportTitle, "TfrxReportTitle"},
    };
    for (const auto& [kind, name] : kNames)
      if (cls.InheritsFrom(name)) it->second |= kind;
  }
  slot = {&cls, it->second};
  return it->second;
}

TfrxComponent* TfrxComponent::GetPage() const {
  for (const TfrxComponent* c = this; c; c = c->parent_)
    if (c->IsKind(ckPage)) return const_cast<TfrxComponent*>(c);
  return nullptr;
}

TfrxComponent* TfrxComponent::GetReport() const {
  // Reports do not nest, so the report is the top of the tree: one class
  // test there instead of a name comparison at every level (the engine asks
  // for every object of every row).
  const TfrxComponent* top = this;
  while (top->parent_) top = top->parent_;
  if (top->IsKind(ckReport)) return const_cast<TfrxComponent*>(top);
  for (const TfrxComponent* c = this; c; c = c->parent_)
    if (c->IsKind(ckReport)) return const_cast<TfrxComponent*>(c);
  return nullptr;
}

TfrxReportServices* TfrxComponent::GetReportServices() const {
  TfrxComponent* report = GetReport();
  if (!report) return nullptr;
  if (TfrxReportServices* services = report->AsReportServices()) return services;
  return dynamic_cast<TfrxReportServices*>(report);  // a stand-in report of the tests
}

namespace {
// Passes a removal on to another component, as the owner's own notice does
// (Notification is the owner's to call; an owner of ours calls it here).
struct NoticeRelay : rtl::TComponent {
  static void Tell(rtl::TComponent* to, rtl::TComponent* component, rtl::TOperation operation) {
    (to->*&NoticeRelay::Notification)(component, operation);
  }
};
}  // namespace

// The objects of one owner that a Clear frees together, and those of its
// objects that stay (in the owner's order): only they need to hear of each
// removal, since the leaving objects are on their way out.
struct TfrxBulkRemoval {
  std::unordered_set<const rtl::TComponent*> leaving;
  std::vector<rtl::TComponent*> staying;
  std::uint64_t stayingVersion = 0;  // changes when an object joins or leaves staying
  int depth = 0;                     // Clears that use it (a kept inherited child clears inside another Clear)
};

bool TfrxComponent::GoesWithClear(const TfrxComponent* object) const {
  for (const TfrxComponent* c = object; c; c = c->parent_)
    if (c->parent_ == this) return !c->HasState(rtl::csAncestor);
  return false;
}

void TfrxComponent::AnnounceLeaving(TfrxComponent* child, std::vector<TfrxComponent*>& owners) {
  std::vector<TfrxComponent*> stack{child};
  std::vector<TfrxComponent*> touched;  // owners whose staying list must lose the newcomers
  while (!stack.empty()) {
    TfrxComponent* c = stack.back();
    stack.pop_back();
    auto* owner = dynamic_cast<TfrxComponent*>(c->Owner());
    // An owner that is going itself tells nobody anything: one being
    // destroyed, or one inside the objects this Clear frees (copies of
    // pages own their objects), which must keep no list past its end.
    if (!owner || owner->HasState(rtl::csDestroying) || GoesWithClear(owner)) {
      stack.insert(stack.end(), c->objects_.begin(), c->objects_.end());
      continue;
    }
    if (!owner->bulk_) owner->bulk_ = std::make_unique<TfrxBulkRemoval>();
    TfrxBulkRemoval& bulk = *owner->bulk_;
    if (!bulk.leaving.insert(c).second) continue;  // its subtree was announced by an enclosing Clear
    stack.insert(stack.end(), c->objects_.begin(), c->objects_.end());
    if (std::find(owners.begin(), owners.end(), owner) == owners.end()) {
      owners.push_back(owner);
      ++bulk.depth;
      if (bulk.depth == 1) bulk.staying.clear();
    }
    if (std::find(touched.begin(), touched.end(), owner) == touched.end()) touched.push_back(owner);
  }
  for (TfrxComponent* owner : touched) {
    TfrxBulkRemoval& bulk = *owner->bulk_;
    bulk.staying.clear();
    ++bulk.stayingVersion;
    for (int i = 0; i < owner->ComponentCount(); ++i)
      if (!bulk.leaving.count(owner->Components(i))) bulk.staying.push_back(owner->Components(i));
  }
}

void TfrxComponent::Clear() {
  std::vector<TfrxComponent*> owners;
  for (TfrxComponent* child : objects_)
    if (!child->HasState(rtl::csAncestor)) AnnounceLeaving(child, owners);
  struct EndBulk {
    std::vector<TfrxComponent*>& owners;
    ~EndBulk() {
      for (TfrxComponent* owner : owners)
        if (owner->bulk_ && --owner->bulk_->depth == 0) owner->bulk_.reset();
    }
  } endBulk{owners};
  // From the last child back: each one leaves the end of the list, so a
  // parent of many children does not shift the rest at every removal.
  std::size_t i = objects_.size();
  while (i > 0) {
    i = std::min(i, objects_.size());
    if (i == 0) break;
    TfrxComponent* child = objects_[--i];
    if (child->HasState(rtl::csAncestor))
      child->Clear();
    else
      delete child;  // its destructor takes it out of the list
  }
}

// ---- geometry

void TfrxComponent::SetLeft(long double value) {
  if (!isDesigning_ || !(restrictions_ & (1u << rfDontMove))) left_ = value;
}

void TfrxComponent::SetTop(long double value) {
  if (!isDesigning_ || !(restrictions_ & (1u << rfDontMove))) top_ = value;
}

void TfrxComponent::SetWidth(long double value) {
  if (!isDesigning_ || !(restrictions_ & (1u << rfDontSize))) width_ = value;
}

void TfrxComponent::SetHeight(long double value) {
  if (!isDesigning_ || !(restrictions_ & (1u << rfDontSize))) height_ = value;
}

void TfrxComponent::SetBounds(long double left, long double top, long double width, long double height) {
  SetLeft(left);
  SetTop(top);
  SetWidth(width);
  SetHeight(height);
}

long double TfrxComponent::GetAbsLeft() const {
  long double x = left_;
  for (const TfrxComponent* p = parent_; p && !p->IsA("TfrxDialogPage"); p = p->parent_) x += p->left_;
  return x;
}

long double TfrxComponent::GetAbsTop() const {
  long double y = top_;
  for (const TfrxComponent* p = parent_; p && !p->IsA("TfrxDialogPage"); p = p->parent_) y += p->top_;
  return y;
}

// ---- font

void TfrxComponent::SetFont(const gfx::TFont* font) {
  if (font) font_->Assign(*font);
  parentFont_ = false;
}

void TfrxComponent::SetParentFont(bool value) {
  if (value && parent_) SetFont(parent_->font_.get());
  parentFont_ = value;
}

void TfrxComponent::FontChanged() {
  parentFont_ = false;
  for (TfrxComponent* child : objects_)
    if (child->parentFont_) child->SetParentFont(true);
}

void TfrxComponent::SetVisible(bool value) { visible_ = value; }

bool TfrxComponent::GetIsLoading() const { return isLoading_ || HasState(rtl::csLoading); }

bool TfrxComponent::GetIsAncestor() const { return HasState(rtl::csAncestor) || isAncestor_; }

void TfrxComponent::Loaded() { rtl::TComponent::Loaded(); }

void TfrxComponent::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  if (operation == rtl::opRemove && component) RemoveFreeNotification(component);
  if (bulk_ && component) {
    // The address of a freed object may come back as a new one.
    if (operation == rtl::opInsert) {
      bulk_->leaving.erase(component);
      bulk_->staying.push_back(component);
      ++bulk_->stayingVersion;
    } else if (bulk_->leaving.count(component)) {
      // The leaving objects hear of each other through their free-notice
      // links (every reference between report objects keeps one).
      bulk_->leaving.erase(component);
      if (HasState(rtl::csDestroying)) return;
      const std::vector<rtl::TComponent*> staying = bulk_->staying;  // a handler may free one
      const std::uint64_t version = bulk_->stayingVersion;
      for (rtl::TComponent* c : staying)
        if (bulk_ && (bulk_->stayingVersion == version ||
                      std::find(bulk_->staying.begin(), bulk_->staying.end(), c) != bulk_->staying.end()))
          NoticeRelay::Tell(c, component, operation);
      return;
    } else if (operation == rtl::opRemove) {
      auto it = std::find(bulk_->staying.begin(), bulk_->staying.end(), component);
      if (it != bulk_->staying.end()) {
        bulk_->staying.erase(it);
        ++bulk_->stayingVersion;
      }
    }
  }
  if (operation == rtl::opInsert || HasState(rtl::csDestroying)) return;
  rtl::TComponent::Notification(component, operation);
}

void TfrxComponent::ValidateRename(rtl::TComponent* component, const AnsiString& current, const AnsiString& newName) {
  auto* fr = dynamic_cast<TfrxComponent*>(component);
  if (parent_ || !fr || fr->TreeTop() != this || newName.empty() || rtl::AnsiSameText(current, newName))
    return rtl::TComponent::ValidateRename(component, current, newName);
  TfrxComponent* found = FindObject(newName);
  if (found && found != fr && found->Owner() == this)
    throw rtl::EComponentError("A component named " + newName + " already exists");
}

// ---- names

void TfrxComponent::SetName(const AnsiString& name) {
  if (rtl::AnsiSameText(name, Name())) return;
  if (!name.empty()) {
    if (TfrxComponent* report = GetReport()) {
      TfrxComponent* found = report->FindObject(name);
      if (found && found != this) throw rtl::EDuplicateName(vuzResources().Get("prDupl"));
      if (GetIsAncestor()) throw rtl::Exception(rtl::Format(vuzResources().Get("clCantRen"), {Name()}));
    }
  }
  TfrxNameIndex* index = TreeTop()->nameIndex_.get();
  if (TreeTop() == this) index = nullptr;  // a top object is not in its own index
  if (index) index->Remove(this);          // the old name leaves...
  try {
    rtl::TComponent::SetName(name);
  } catch (...) {
    if (index) index->Add(this);
    throw;
  }
  if (index) index->Add(this);  // ...and the new one comes
}

void TfrxComponent::CreateUniqueName() {
  TfrxComponent* scope = GetReport();
  if (!scope) scope = parent_;
  if (!scope) return;
  TfrxNameIndex* index = IndexFor(scope);
  std::set<AnsiString> taken;  // the slow way: a scope below the top
  if (!index)
    for (TfrxComponent* c : scope->GetAllObjects()) taken.insert(Key(c->Name()));
  const AnsiString baseName = BaseName();
  const AnsiString base = Key(baseName);
  long long n = index ? std::max(1LL, index->hints[base]) : 1;
  while (index ? index->Contains(baseName + rtl::IntToStr(n)) : taken.count(Key(baseName + rtl::IntToStr(n))) != 0) ++n;
  SetName(baseName + rtl::IntToStr(n));
  if ((index = IndexFor(scope))) index->hints[base] = n + 1;
}

// ---- differences

namespace {
bool Differs(long double a, long double b) { return std::fabs(a - b) > 0.0001L; }
AnsiString Num(long double v) { return rtl::FloatToStr(v); }
AnsiString Quoted(const AnsiString& name, const AnsiString& value) { return " " + name + "=\"" + value + "\""; }
}  // namespace

AnsiString TfrxComponent::Diff(TfrxComponent* other) { return InternalDiff(other); }

AnsiString TfrxComponent::InternalDiff(TfrxComponent* other) {
  AnsiString s;
  if (Differs(left_, other->left_)) s += Quoted("l", Num(left_));
  if (IsKind(ckBand) || Differs(top_, other->top_)) s += Quoted("t", Num(top_));
  bool autoWidth = false;
  if (IsKind(ckCustomMemoView)) {
    // The property is looked up once per class (a walk over all of them).
    thread_local std::unordered_map<const rtl::TClassInfo*, const rtl::TPropInfo*> autoWidthOf;
    auto [it, added] = autoWidthOf.try_emplace(&ClassType(), nullptr);
    if (added) it->second = ClassType().FindProperty("AutoWidth");
    if (it->second) autoWidth = it->second->GetOrd(*this) != 0;
  }
  if (!autoWidth && Differs(width_, other->width_)) s += Quoted("w", Num(width_));
  if (Differs(height_, other->height_)) s += Quoted("h", Num(height_));
  if (visible_ != other->visible_) s += Quoted("Visible", vuzValueToXML(rtl::Variant(visible_)));
  if (!parentFont_) s += DiffFont(*font_, *other->font_, " ");
  if (parentFont_ != other->parentFont_) s += Quoted("ParentFont", vuzValueToXML(rtl::Variant(parentFont_))).substr(0);
  if (Tag != other->Tag) s += Quoted("Tag", rtl::IntToStr(static_cast<long long>(Tag)));
  return s;
}

AnsiString TfrxComponent::DiffFont(const gfx::TFont& f, const gfx::TFont& g, const AnsiString& separator) {
  AnsiString s;
  auto add = [&](const char* name, const AnsiString& value) { s += separator + name + "=\"" + value + "\""; };
  if (f.Name() != g.Name()) add("Font.Name", vuzStrToXML(f.Name()));
  if (f.Size() != g.Size()) add("Font.Size", rtl::IntToStr(f.Size()));
  if (f.Color() != g.Color()) add("Font.Color", rtl::IntToStr(f.Color()));
  if (!(f.Style() == g.Style())) add("Font.Style", rtl::IntToStr(static_cast<int>(f.Style().Bits())));
  if (f.Charset() != g.Charset()) add("Font.Charset", rtl::IntToStr(f.Charset()));
  return s;
}

AnsiString TfrxComponent::AllDiff(TfrxComponent* other) {
  rtl::TMemoryStream stream;
  {
    TfrxXMLSerializer serializer(&stream);
    serializer.WriteComponent(this);
  }
  AnsiString written(stream.Memory(), static_cast<std::size_t>(stream.Size()));
  AnsiString s;
  if (auto blank = written.find(' '); blank != AnsiString::npos) {
    s = written.substr(blank + 1);
    s.resize(s.size() >= 2 ? s.size() - 2 : 0);  // the closing "/>"
  }
  if (other) s += " " + InternalDiff(other);
  if (IsA("TfrxNullBand")) s += Quoted("l", Num(left_)) + Quoted("t", Num(top_));
  return s;
}

// ---- copying, loading, saving

void TfrxComponent::Assign(const rtl::TPersistent* source) {
  auto* from = const_cast<TfrxComponent*>(dynamic_cast<const TfrxComponent*>(source));
  if (!from) return;
  if (!TfrxStoredProperties::CopiesDirectly(from, this)) {
    AssignThroughXML(from);
    return;
  }
  // Taken before Clear, which may free the source (one of this object's children).
  const TfrxStoredProperties values(from);
  ReadWith(nullptr, [&](TfrxXMLSerializer& reader) { values.ApplyTo(this, reader); });
}

void TfrxComponent::AssignThroughXML(const TfrxComponent* source) {
  if (!source) return;
  rtl::TMemoryStream stream;
  const_cast<TfrxComponent*>(source)->SaveToStream(stream, false, true, false);
  stream.SetPosition(0);
  LoadFromStream(stream);
}

void TfrxComponent::AssignAll(TfrxComponent* source, bool streaming) {
  if (!source) return;
  rtl::TMemoryStream stream;
  source->SaveToStream(stream, true, true, streaming);
  stream.SetPosition(0);
  LoadFromStream(stream);
}

void TfrxComponent::LoadFromStream(rtl::TStream& stream) {
  ReadWith(&stream, [this](TfrxXMLSerializer& reader) { reader.ReadRootComponent(this, nullptr); });
}

void TfrxComponent::ReadWith(rtl::TStream* stream, const std::function<void(TfrxXMLSerializer&)>& read) {
  Clear();
  TfrxReportServices* services = GetReportServices();
  TfrxXMLSerializer serializer(stream);
  if (services) {
    services->SetActiveSerializer(&serializer);
    serializer.SetOwner(GetReport());
  }
  struct Finish {
    TfrxReportServices* services;
    TfrxXMLSerializer& serializer;
    ~Finish() {
      if (services) services->SetActiveSerializer(nullptr);
    }
  } finish{services, serializer};
  try {
    read(serializer);
  } catch (...) {
    if (services) services->Errors().AddStrings(serializer.Errors());
    if (!services || !services->EngineThreadSafe()) throw;
    return;
  }
  if (services) services->Errors().AddStrings(serializer.Errors());
}

void TfrxComponent::SaveToStream(rtl::TStream& stream, bool saveChildren, bool saveDefaultValues, bool useGetAncestor) {
  TfrxXMLSerializer serializer(&stream);
  serializer.SetOwner(GetReport());
  serializer.SerializeDefaultValues = saveDefaultValues;
  if (TfrxReportServices* services = dynamic_cast<TfrxReportServices*>(this))
    serializer.OnGetAncestor = [services](const AnsiString& name) { return services->FindAncestor(name); };
  serializer.WriteRootComponent(this, saveChildren, nullptr, useGetAncestor);
}

// ---- aligning

void TfrxComponent::AlignChildren() {
  struct Item {
    AnsiString key;
    TfrxComponent* view;
    int align;
  };
  auto alignOf = [](const TfrxComponent* c) {
    const rtl::TPropInfo* p = c->ClassType().FindProperty("Align");
    return p ? static_cast<int>(p->GetOrd(*c)) : baNone;
  };
  std::vector<Item> list;
  for (TfrxComponent* c : objects_) {
    if (!c->IsA("TfrxView")) continue;
    const long double left = c->Left();
    const AnsiString key = left >= 0 ? "1" + rtl::Format("%9.2f", {rtl::Variant::FromExtended(left)})
                                     : "0" + rtl::Format("%9.2f", {rtl::Variant::FromExtended(-left)});
    list.push_back({key, c, alignOf(c)});
  }
  // A sorted list that accepts duplicates: equal keys keep their order.
  std::stable_sort(list.begin(), list.end(),
                   [](const Item& a, const Item& b) { return rtl::AnsiCompareText(a.key, b.key) < 0; });

  auto overlapsVertically = [](TfrxComponent* self, TfrxComponent* c) {
    if (c->GetAbsTop() >= self->GetAbsTop() + self->Height() - 0.0001L) return false;
    if (self->GetAbsTop() >= c->GetAbsTop() + c->Height() - 0.0001L) return false;
    return true;
  };
  auto neighbour = [&](std::size_t at, bool forward) -> TfrxComponent* {
    TfrxComponent* self = list[at].view;
    const bool width = list[at].align == baWidth;
    if (forward) {
      for (std::size_t k = at; k-- > 0;) {
        TfrxComponent* c = list[k].view;
        if (!overlapsVertically(self, c)) continue;
        if (width && c->Left() > self->Left()) continue;
        return c;
      }
    } else {
      for (std::size_t k = at + 1; k < list.size(); ++k) {
        TfrxComponent* c = list[k].view;
        if (!overlapsVertically(self, c)) continue;
        if (width && c->Left() + c->Width() < self->Left() + self->Width()) continue;
        return c;
      }
    }
    return nullptr;
  };

  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].align != baLeft && list[i].align != baWidth) continue;
    TfrxComponent* n = neighbour(i, true);
    list[i].view->SetLeft(n ? n->Left() + n->Width() : 0);
  }
  for (std::size_t i = list.size(); i-- > 0;) {
    TfrxComponent* v = list[i].view;
    if (list[i].align == baRight) {
      TfrxComponent* n = neighbour(i, false);
      v->SetLeft((n ? n->Left() : width_) - v->Width());
    } else if (list[i].align == baWidth) {
      TfrxComponent* n = neighbour(i, false);
      v->SetWidth((n ? n->Left() : width_) - v->Left());
    }
  }
  for (TfrxComponent* c : objects_) {
    if (!c->IsA("TfrxView")) continue;
    switch (alignOf(c)) {
      case baCenter: c->SetLeft((width_ - c->Width()) / 2); break;
      case baBottom: c->SetTop(height_ - c->Height()); break;
      case baClient:
        c->SetLeft(0);
        c->SetTop(0);
        c->SetWidth(width_);
        c->SetHeight(height_);
        break;
      default: break;
    }
  }
}

// ---------------------------------------------------------------- TfrxReportComponent

TfrxReportComponent::TfrxReportComponent(rtl::TComponent* owner) : TfrxComponent(owner) {}
TfrxReportComponent::TfrxReportComponent(rtl::TComponent* owner, std::uint16_t flags) : TfrxComponent(owner, flags) {}
TfrxReportComponent::~TfrxReportComponent() = default;

void TfrxReportComponent::BeforePrint() { SetSavedBounds(vuzRect(Left(), Top(), Width(), Height())); }

void TfrxReportComponent::AfterPrint() {
  const TfrxRect& r = SavedBounds();
  SetBounds(r.Left, r.Top, r.Right, r.Bottom);
}

TfrxRect TfrxReportComponent::GetRealBounds() {
  return vuzRect(GetAbsLeft(), GetAbsTop(), GetAbsLeft() + Width(), GetAbsTop() + Height());
}

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxComponent::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxComponent>("TfrxComponent", &rtl::TComponent::StaticClass()).Build();
  return info;
}

const rtl::TClassInfo& TfrxReportComponent::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxReportComponent>("TfrxReportComponent", &TfrxComponent::StaticClass())
          .Property("Description", &TfrxComponent::Description, &TfrxComponent::SetDescription)
          .Build();
  return info;
}

}  // namespace report

namespace report {

// ---------------------------------------------------------------- start-up

void vuzCommonErrorHandler(TfrxComponent* report, const AnsiString& text) {
  TfrxReportServices* services = report ? report->GetReportServices() : nullptr;
  vuzCommonErrorHandler(services ? services->SilentMode() : simMessageBoxes, text);
}

namespace {

int g_startupNesting = 0;

// The classes the template reader knows from the start, in registration
// order. A unit that defines one of them puts its class info here.
struct StandardClass {
  const char* name;
  const rtl::TClassInfo& (*info)();
};
const StandardClass kStandardClasses[] = {
    {"TfrxChild", &TfrxChild::StaticClass},
    {"TfrxColumnFooter", &TfrxColumnFooter::StaticClass},
    {"TfrxColumnHeader", &TfrxColumnHeader::StaticClass},
    {"TfrxCustomMemoView", &TfrxCustomMemoView::StaticClass},
    {"TfrxMasterData", &TfrxMasterData::StaticClass},
    {"TfrxDetailData", &TfrxDetailData::StaticClass},
    {"TfrxSubdetailData", &TfrxSubdetailData::StaticClass},
    {"TfrxDataBand4", &TfrxDataBand4::StaticClass},
    {"TfrxDataBand5", &TfrxDataBand5::StaticClass},
    {"TfrxDataBand6", &TfrxDataBand6::StaticClass},
    {"TfrxDialogPage", &TfrxDialogPage::StaticClass},
    {"TfrxFooter", &TfrxFooter::StaticClass},
    {"TfrxFrame", &TfrxFrame::StaticClass},
    {"TfrxGroupFooter", &TfrxGroupFooter::StaticClass},
    {"TfrxGroupHeader", &TfrxGroupHeader::StaticClass},
    {"TfrxHeader", &TfrxHeader::StaticClass},
    {"TfrxHighlight", &TfrxHighlight::StaticClass},
    {"TfrxLineView", &TfrxLineView::StaticClass},
    {"TfrxMemoView", &TfrxMemoView::StaticClass},
    {"TfrxOverlay", &TfrxOverlay::StaticClass},
    {"TfrxPageFooter", &TfrxPageFooter::StaticClass},
    {"TfrxPageHeader", &TfrxPageHeader::StaticClass},
    {"TfrxPictureView", &TfrxPictureView::StaticClass},
    {"TfrxReport", &TfrxReport::StaticClass},
    {"TfrxReportPage", &TfrxReportPage::StaticClass},
    {"TfrxReportSummary", &TfrxReportSummary::StaticClass},
    {"TfrxReportTitle", &TfrxReportTitle::StaticClass},
    {"TfrxShapeView", &TfrxShapeView::StaticClass},
    {"TfrxSubreport", &TfrxSubreport::StaticClass},
    {"TfrxSysMemoView", &TfrxSysMemoView::StaticClass},
    {"TfrxStyleItem", &TfrxStyleItem::StaticClass},
    {"TfrxNullBand", &TfrxNullBand::StaticClass},
    {"TfrxCustomLineView", &TfrxCustomLineView::StaticClass},
    {"TfrxDataPage", &TfrxDataPage::StaticClass},
};

}  // namespace

const std::vector<AnsiString>& vuzStandardClassNames() {
  static const std::vector<AnsiString> names = [] {
    std::vector<AnsiString> v;
    for (const StandardClass& c : kStandardClasses) v.push_back(c.name);
    return v;
  }();
  return names;
}

void vuzRegisterReportClass(const rtl::TClassInfo& info) { rtl::RegisterClass(info); }

bool ReportClassesStarted() { return g_startupNesting > 0; }

void ReportClassesStartup() {
  if (g_startupNesting++ > 0) return;
  vuzCreateDataSetList();
  vuzCreateGlobalVariables();
  vuzDrawTextStartup();
  for (const StandardClass& c : kStandardClasses)
    if (c.info) vuzRegisterReportClass(c.info());
  RegisterViewClasses();
  vuzResources();  // builds the table, which updates the script engine's messages
  DMPClassesStartup();
}

void ReportClassesShutdown() {
  if (g_startupNesting == 0 || --g_startupNesting > 0) return;
  DMPClassesShutdown();
  vuzDrawTextShutdown();
  vuzFreeGlobalVariables();
  vuzFreeDataSetList();
}

}  // namespace report
