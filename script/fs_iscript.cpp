// The script: its item table, registration operations, running and calling.
#include <algorithm>
#include <charconv>

#include "platform/rtl/textcase.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_istatements.h"
#include "script/fs_itools.h"

namespace script {

namespace {
const char kBindingMarker = 0;

TfsCustomVariable* AsItem(rtl::TObject* object) { return dynamic_cast<TfsCustomVariable*>(object); }

int LineOfPosition(std::string_view position) {
  auto colon = position.find(':');
  std::string_view digits = position.substr(0, colon);
  int line = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), line);
  return line;
}
}  // namespace

const void* TfsScript::BindingMarker() { return &kBindingMarker; }

TfsScript::TfsScript(rtl::TComponent* owner) : rtl::TComponent(owner) {
  UnitSearchPath.Add("");
  mainStatement_ = std::make_unique<TfsStatement>(this);
}

TfsScript::~TfsScript() {
  Clear();
  ClearRTTI();
  // Whatever Clear keeps (binding items registered outside AddRTTI) goes too.
  FreeEntries([](const Entry&) { return true; });
  mainStatement_.reset();
}

void TfsScript::SetLines(const rtl::TStrings& lines) { Lines.Assign(&lines); }

// ---- the item table --------------------------------------------------------

size_t TfsScript::LowerBound(std::string_view name) const {
  size_t lo = 0, hi = entries_.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (rtl::AnsiCompareText(entries_[mid].name, name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

void TfsScript::Add(const AnsiString& name, rtl::TObject* object) {
  TfsCustomVariable* item = AsItem(object);
  if (item) item->RegisteredBy = RegisteredBy;
  if (!name.empty()) firstLetters_.set(static_cast<unsigned char>(rtl::AnsiUpperChar(name[0])));
  // Before the entries of an equal name: the last added is found first.
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(LowerBound(name)), Entry{name, object, item});
}

int TfsScript::IndexOfObject(const rtl::TObject* object) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].object == object) return static_cast<int>(i);
  return -1;
}

void TfsScript::Remove(rtl::TObject* object) {
  int index = IndexOfObject(object);
  if (index < 0) throw rtl::EListError("List index out of bounds (-1)");
  entries_.erase(entries_.begin() + index);
}

TfsCustomVariable* TfsScript::FindLocal(std::string_view name) const {
  // Names that compare equal have first letters equal after upper-casing.
  if (!name.empty() && !firstLetters_.test(static_cast<unsigned char>(rtl::AnsiUpperChar(name[0])))) return nullptr;
  size_t i = LowerBound(name);
  if (i < entries_.size() && rtl::AnsiCompareText(entries_[i].name, name) == 0) return entries_[i].item;
  return nullptr;
}

TfsCustomVariable* TfsScript::Find(std::string_view name) const {
  for (const TfsScript* s = this; s; s = s->ParentScript)
    if (TfsCustomVariable* item = s->FindLocal(name)) return item;
  return nullptr;
}

TfsClassVariable* TfsScript::FindClass(std::string_view name) const {
  TfsCustomVariable* item = Find(name);
  return item && item->Kind() == TfsItemKind::Class ? static_cast<TfsClassVariable*>(item) : nullptr;
}

template <class Pred>
void TfsScript::FreeEntries(Pred drop) {
  for (size_t i = entries_.size(); i-- > 0;) {
    if (i >= entries_.size() || !drop(entries_[i])) continue;
    rtl::TObject* object = entries_[i].object;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    delete object;
  }
}

static bool IsBinding(const TfsScript::Entry& e) {
  return dynamic_cast<TfsRTTIModule*>(e.object) != nullptr ||
         (e.item && e.item->RegisteredBy == TfsScript::BindingMarker());
}

void TfsScript::ClearUnitLines() { unitLines_.clear(); }

void TfsScript::Clear() {
  mainStatement_->Clear();
  FreeEntries([](const Entry& e) { return !IsBinding(e); });
  ClearUnitLines();
  ErrorPosition.clear();
  ErrorMessage.clear();
  ErrorUnitName.clear();
}

void TfsScript::ClearItems(const void* owner) {
  RemoveItems(owner);
  mainStatement_->Clear();
  ClearUnitLines();
}

void TfsScript::RemoveItems(const void* owner) {
  FreeEntries([owner](const Entry& e) { return e.item && e.item->RegisteredBy == owner; });
}

void TfsScript::AddRTTI() {
  if (BindingsAdded) return;
  std::vector<TfsRTTIModuleClass>* modules = fsRTTIModules();
  const void* saved = RegisteredBy;
  RegisteredBy = BindingMarker();
  try {
    if (modules)
      for (TfsRTTIModuleClass make : std::vector<TfsRTTIModuleClass>(*modules)) Add("", make(this));
  } catch (...) {
    RegisteredBy = saved;
    BindingsAdded = true;  // what was registered can still be taken out with ClearRTTI
    throw;
  }
  RegisteredBy = saved;
  BindingsAdded = true;
}

void TfsScript::ClearRTTI() {
  if (!BindingsAdded) return;
  FreeEntries([](const Entry& e) { return IsBinding(e); });
  BindingsAdded = false;
}

// ---- registration ----------------------------------------------------------

void TfsScript::AddType(const AnsiString& name, TfsVarType type) {
  if (Find(name)) return;
  Add(name, new TfsTypeVariable(name, type, ""));
}

TfsClassVariable* TfsScript::AddClass(TClass cls, const AnsiString& ancestorName) {
  if (!cls || Find(cls->Name())) return nullptr;
  auto* item = new TfsClassVariable(cls, ancestorName);
  item->OwnerScript = this;
  if (TfsClassVariable* ancestor = FindClass(ancestorName)) item->DefaultMember = ancestor->DefaultMember;
  Add(cls->Name(), item);
  return item;
}

void TfsScript::AddConst(const AnsiString& name, const AnsiString& typeName, const Variant& value) {
  if (Find(name)) return;
  auto item = std::make_unique<TfsVariable>(name, StrToVarType(typeName, this), typeName);
  item->SetValue(value);
  item->ReadOnly = true;
  Add(name, item.release());
}

void TfsScript::AddVariable(const AnsiString& name, const AnsiString& typeName, const Variant& value) {
  if (Find(name)) return;
  auto item = std::make_unique<TfsVariable>(name, StrToVarType(typeName, this), typeName);
  item->SetValue(value);
  item->OnGetVarValue = OnGetVarValue;
  Add(name, item.release());
}

void TfsScript::AddObject(const AnsiString& name, rtl::TObject* object) {
  AddVariable(name, object ? object->ClassName() : AnsiString("TObject"), fsObjectToVariant(object));
}

static void AddEnumItems(TfsScript& script, const AnsiString& typeName, const AnsiString& names, bool bits) {
  script.Add(typeName, new TfsVariable(typeName, fvtEnum, typeName));
  int32_t ordinal = 0;
  size_t start = 0;
  while (start <= names.size()) {
    size_t comma = names.find(',', start);
    if (comma == AnsiString::npos) comma = names.size();
    AnsiString name = rtl::Trim(std::string_view(names).substr(start, comma - start));
    auto* item = new TfsVariable(name, fvtEnum, typeName);
    item->Value = Variant(bits ? static_cast<int32_t>(uint32_t{1} << (ordinal & 31)) : ordinal);
    item->ReadOnly = true;
    script.Add(name, item);
    ++ordinal;
    start = comma + 1;
  }
}

void TfsScript::AddEnum(const AnsiString& typeName, const AnsiString& names) {
  AddEnumItems(*this, typeName, names, false);
}

void TfsScript::AddEnumSet(const AnsiString& typeName, const AnsiString& names) {
  AddEnumItems(*this, typeName, names, true);
}

static TfsMethodHelper* AddMethodHelper(TfsScript& script, const AnsiString& declaration, const AnsiString& category,
                                        const AnsiString& description) {
  auto helper = std::make_unique<TfsMethodHelper>(declaration, &script);
  helper->HelpText = description.empty() ? helper->Name : description;
  helper->Category = category;
  TfsMethodHelper* raw = helper.release();
  script.Add(raw->Name, raw);
  return raw;
}

TfsMethodHelper* TfsScript::AddMethod(const AnsiString& declaration, TfsCallMethodNewEvent callback,
                                      const AnsiString& category, const AnsiString& description) {
  TfsMethodHelper* helper = AddMethodHelper(*this, declaration, category, description);
  helper->CallProcEx = std::move(callback);
  return helper;
}

TfsMethodHelper* TfsScript::AddMethod(const AnsiString& declaration, TfsCallMethodEvent callback,
                                      const AnsiString& category, const AnsiString& description) {
  TfsMethodHelper* helper = AddMethodHelper(*this, declaration, category, description);
  helper->CallProc = std::move(callback);
  return helper;
}

void TfsScript::AddForm(rtl::TComponent* form) { AddComponent(form); }

// The registered ancestor a component's own class gets: forms, data modules
// and frames only.
static const char* ContainerAncestor(TClass cls) {
  if (cls->InheritsFrom("TCustomForm") || cls->InheritsFrom("TForm")) return "TForm";
  if (cls->InheritsFrom("TDataModule")) return "TDataModule";
  if (cls->InheritsFrom("TCustomFrame") || cls->InheritsFrom("TFrame")) return "TFrame";
  return nullptr;
}

void TfsScript::AddComponent(rtl::TComponent* component) {
  if (!component) return;
  TClass hostClass = &component->ClassType();
  TfsClassVariable* cls = FindClass(hostClass->Name());
  if (!cls) {
    const char* ancestor = ContainerAncestor(hostClass);
    if (!ancestor) return;
    cls = AddClass(hostClass, ancestor);
    // A visible class of that name answers none: its members go there.
    if (!cls) cls = FindClass(hostClass->Name());
    if (!cls) return;
  }
  for (int i = 0; i < component->ComponentCount(); ++i) cls->AddComponent(component->Components(i));
  AddObject(component->Name(), component);
}

// ---- running ---------------------------------------------------------------

namespace {
// Clears a scope's run flags when its body ends, also when an exception passes.
// Break and continue are cleared too: outside a loop they must not cut a
// later run short.
struct BodyRun {
  TfsScript& s;
  explicit BodyRun(TfsScript& script) : s(script) {
    s.ExitPending = false;
    s.TerminateRequested = false;
    s.BodyRunning = true;
  }
  ~BodyRun() {
    s.ExitPending = false;
    s.TerminateRequested = false;
    s.BreakPending = false;
    s.ContinuePending = false;
    s.BodyRunning = false;
  }
};
}  // namespace

void TfsScript::Execute() {
  BodyRun run(*this);
  IsMainProgram = true;
  mainStatement_->Execute();
}

void TfsScript::ExecuteBody() {
  BodyRun run(*this);
  mainStatement_->Execute();
}

static void AssignParams(TfsProcVariable* proc, const Variant& params) {
  if (!params.IsArray()) return;
  int32_t low = rtl::VarArrayLowBound(params, 1), high = rtl::VarArrayHighBound(params, 1);
  for (int32_t i = 0; i <= high; ++i) {
    if (i < low) continue;
    proc->GetParam(i)->SetValue(params[i]);
  }
}

Variant TfsScript::CallFunction(std::string_view name, const Variant& params) {
  TfsCustomVariable* item = FindLocal(name);
  if (!item || item->Kind() != TfsItemKind::Proc) return Variant::Null();
  return CallFunction2(static_cast<TfsProcVariable*>(item), params);
}

Variant TfsScript::CallFunction1(std::string_view name, Variant& params) {
  TfsCustomVariable* item = FindLocal(name);
  if (!item || item->Kind() != TfsItemKind::Proc) return Variant::Null();
  auto* proc = static_cast<TfsProcVariable*>(item);
  Variant result = CallFunction2(proc, params);
  if (params.IsArray()) {
    int32_t low = rtl::VarArrayLowBound(params, 1), high = rtl::VarArrayHighBound(params, 1);
    for (int32_t i = std::max(low, 0); i <= high && i < proc->Count(); ++i) {
      int32_t index = i;
      params.PutElement({&index, 1}, proc->GetParam(i)->GetValue());
    }
  }
  return result;
}

Variant TfsScript::CallFunction2(TfsProcVariable* procedure, const Variant& params) {
  if (!procedure) return Variant::Null();
  AssignParams(procedure, params);
  return procedure->GetValue();
}

Variant TfsScript::GetVariables(std::string_view name) {
  TfsCustomVariable* item = Find(name);
  return item ? item->GetValue() : Variant::Null();
}

void TfsScript::SetVariables(const AnsiString& name, const Variant& value) {
  if (TfsCustomVariable* item = Find(name))
    item->SetValue(value);
  else
    AddVariable(name, "Variant", value);
}

void TfsScript::Terminate() {
  ExitPending = true;
  TerminateRequested = true;
  for (const Entry& e : entries_)
    if (e.item && e.item->Kind() == TfsItemKind::Proc) static_cast<TfsProcVariable*>(e.item)->LocalScope->Terminate();
}

void TfsScript::RunLine(const AnsiString& unitName, const AnsiString& position) {
  ++LinesRun;
  for (TfsScript* s = this; s; s = s->ParentScript)
    if (s->OnRunLine) {
      s->OnRunLine(this, unitName, position);
      return;
    }
}

void TfsScript::AddCodeLine(const AnsiString& unitName, const AnsiString& position) {
  int line = LineOfPosition(position);
  auto unit = std::find_if(unitLines_.begin(), unitLines_.end(),
                           [&](const auto& u) { return rtl::AnsiSameText(u.first, unitName); });
  if (unit == unitLines_.end()) unit = unitLines_.insert(unitLines_.end(), {unitName, {}});
  auto at = std::lower_bound(unit->second.begin(), unit->second.end(), line);
  if (at == unit->second.end() || *at != line) unit->second.insert(at, line);
}

bool TfsScript::IsExecutableLine(int line, const AnsiString& unitName) const {
  for (const auto& unit : unitLines_)
    if (rtl::AnsiSameText(unit.first, unitName))
      return std::binary_search(unit.second.begin(), unit.second.end(), line);
  return false;
}

}  // namespace script
