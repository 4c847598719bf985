// Designators: evaluation of an access path step by step (the call
// protocol), the fast plain-variable, string-index and array-index forms,
// and late binding.
#include <memory>
#include <new>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_inesting.h"

namespace script {

namespace {

// A few values on the stack, more on the heap: arguments and saved locals
// of one call, without an allocation (or clearing unused slots) for the
// common small case.
class ValueBuffer {
 public:
  explicit ValueBuffer(size_t n) : size_(n) {
    if (n > kInline) {
      heap_ = std::make_unique<Variant[]>(n);
      data_ = heap_.get();
    } else {
      data_ = reinterpret_cast<Variant*>(raw_);
      for (size_t i = 0; i < n; ++i) new (data_ + i) Variant();
    }
  }
  ~ValueBuffer() {
    if (!heap_)
      for (size_t i = 0; i < size_; ++i) data_[i].~Variant();
  }
  ValueBuffer(const ValueBuffer&) = delete;
  ValueBuffer& operator=(const ValueBuffer&) = delete;
  Variant& operator[](size_t i) { return data_[i]; }
  size_t size() const { return size_; }

 private:
  static constexpr size_t kInline = 6;
  alignas(Variant) unsigned char raw_[kInline * sizeof(Variant)];
  std::unique_ptr<Variant[]> heap_;
  Variant* data_;
  size_t size_;
};

// The locals of a running procedure, saved before a recursive call and put
// back when the step ends, also when an exception passes. String variables
// keep their text in the value, so their text is saved too.
class SavedLocals {
 public:
  explicit SavedLocals(TfsScript* local) : local_(local), values_(static_cast<size_t>(local->Count())) {
    for (int i = 0; i < local_->Count(); ++i) {
      TfsCustomVariable* item = local_->GetItemVariable(i);
      if (IsLocal(item)) values_[static_cast<size_t>(i)] = item->Value;
    }
  }
  ~SavedLocals() {
    const int n = std::min(local_->Count(), static_cast<int>(values_.size()));
    for (int i = 0; i < n; ++i) {
      TfsCustomVariable* item = local_->GetItemVariable(i);
      if (IsLocal(item)) item->Value = std::move(values_[static_cast<size_t>(i)]);
    }
  }
  SavedLocals(const SavedLocals&) = delete;
  SavedLocals& operator=(const SavedLocals&) = delete;

 private:
  static bool IsLocal(const TfsCustomVariable* item) {
    return item && (item->Kind() == TfsItemKind::Variable || item->Kind() == TfsItemKind::Param);
  }
  TfsScript* local_;
  ValueBuffer values_;
};

}  // namespace

TfsDesignator::TfsDesignator(TfsScript* script)
    : TfsCustomVariable("", fvtVariant, ""), OuterProgram(script), OwnScript(script) {
  kind_ = TfsItemKind::Designator;
  for (TfsScript* s = script; s; s = s->ParentScript)
    if (s->IsMainProgram) {
      OuterProgram = s;
      break;
    }
  if (script && OuterProgram) script->ClassLateBinding = OuterProgram->ClassLateBinding;
}

TfsDesignator::~TfsDesignator() = default;

TfsDesignatorItem* TfsDesignator::AddStep(TfsCustomVariable* item, const AnsiString& position) {
  auto* step = new TfsDesignatorItem;
  step->StepItem = item;
  step->Position = position;
  Add(step);
  return step;
}

void TfsDesignator::Finalize() {
  if (Count() == 0) return;
  TfsCustomVariable* last = GetItem(Count() - 1)->StepItem;
  if (!last) return;
  VarType = last->VarType;
  TypeIdent = last->TypeIdent;
  if (VarType == fvtConstructor) {
    VarType = fvtClass;
    if (Count() > 1 && GetItem(Count() - 2)->StepItem) TypeIdent = GetItem(Count() - 2)->StepItem->TypeIdent;
  }
  ReadOnly = last->ReadOnly;

  TfsCustomVariable* first = GetItem(0)->StepItem;
  DesignatorKind = dkOther;
  if (Count() == 1 && first && (first->Kind() == TfsItemKind::Variable || first->Kind() == TfsItemKind::Param)) {
    DesignatorKind = dkVariable;
    LinkedItem = first;
  } else if (Count() == 2 && first && dynamic_cast<TfsStringVariable*>(first) && GetItem(1)->Count() > 0) {
    DesignatorKind = dkStringArray;
    LinkedItem = first;
    IndexSource = GetItem(1)->GetItem(0);
  } else if (Count() == 2 && first && first->Kind() == TfsItemKind::Variable && first->VarType == fvtArray &&
             first->LinkedItem) {
    DesignatorKind = dkArray;
    LinkedItem = first;
    IndexSource = first->LinkedItem;
    IndexStep = GetItem(1);
  }
}

void TfsDesignator::Borrow(TfsDesignator& other) {
  std::swap(items_, other.items_);
  DesignatorKind = other.DesignatorKind;
  IndexSource = other.IndexSource;
  IndexStep = other.IndexStep;
  VarType = other.VarType;
  TypeIdent = other.TypeIdent;
  ReadOnly = other.ReadOnly;
  LinkedItem = other.LinkedItem;
}

TfsDesignator* fsSpecializeDesignator(TfsDesignator* built) {
  std::unique_ptr<TfsDesignator> fast;
  switch (built->DesignatorKind) {
    case dkVariable: fast = std::make_unique<TfsVariableDesignator>(built->OwnScript); break;
    case dkStringArray: fast = std::make_unique<TfsStringDesignator>(built->OwnScript); break;
    case dkArray: fast = std::make_unique<TfsArrayDesignator>(built->OwnScript); break;
    case dkOther: return built;
  }
  fast->Borrow(*built);
  fast->Name = built->Name;
  fast->Position = built->Position;
  fast->OuterProgram = built->OuterProgram;
  delete built;
  return fast.release();
}

void TfsDesignator::CheckLateBinding() {
  if (!LateBindingSource) return;
  std::unique_ptr<TfsLateBinding> source = std::move(LateBindingSource);
  std::unique_ptr<TfsDesignator> built(source->Build(*OwnScript));
  if (built) Borrow(*built);
}

Variant TfsDesignator::GetValue() {
  CheckLateBinding();
  return DoCalc(nullptr);
}

void TfsDesignator::SetValue(const Variant& value) {
  CheckLateBinding();
  DoCalc(&value);
}

Variant TfsDesignator::DoCalc(const Variant* writeValue) {
  TfsNestingGuard nesting;
  Variant current = Variant::Null();
  TfsCustomVariable* previous = nullptr;
  const int steps = Count();
  for (int s = 0; s < steps; ++s) {
    TfsDesignatorItem* step = GetItem(s);
    TfsCustomVariable* r = step->StepItem;
    if (!r) continue;
    const bool last = s == steps - 1;
    if (r->Kind() == TfsItemKind::Designator) {
      current = r->GetValue();
      previous = r;
      continue;
    }

    // A recursive call works on the same items: keep the caller's locals.
    // Constructed only for a recursive call: nothing to clear otherwise.
    struct SavedSlot {
      alignas(SavedLocals) unsigned char raw[sizeof(SavedLocals)];
      SavedLocals* locals = nullptr;
      ~SavedSlot() {
        if (locals) locals->~SavedLocals();
      }
    } saved;
    if (r->Kind() == TfsItemKind::Proc && static_cast<TfsProcVariable*>(r)->Running)
      saved.locals = new (saved.raw) SavedLocals(static_cast<TfsProcVariable*>(r)->LocalScope);

    // Every argument is evaluated before any parameter is set, so an
    // argument may read a parameter of the same procedure.
    const int params = std::min(r->Count(), step->Count());
    if (params > 0) {
      ValueBuffer args(static_cast<size_t>(params));
      for (int i = 0; i < params; ++i) {
        TfsCustomExpression* argument = step->GetItem(i);
        args[static_cast<size_t>(i)] = r->MacroFlag ? Variant(argument->SourceText()) : argument->GetValue();
      }
      for (int i = 0; i < params; ++i) r->GetParam(i)->SetValue(args[static_cast<size_t>(i)]);
    }

    if (r->Kind() == TfsItemKind::Helper) {
      auto* helper = static_cast<TfsCustomHelper*>(r);
      helper->PrevItem = previous;
      helper->PrevValue = current;
      helper->HelperScript = OwnScript;
    }
    previous = r;

    if (writeValue && last) {
      r->SetValue(*writeValue);
    } else {
      r->WantsResult = !last || WantsResult;
      current = r->GetValue();
    }

    for (int i = 0; i < params; ++i) {
      TfsParamItem* param = r->GetParam(i);
      if (param->ByRef) step->GetItem(i)->SetValue(param->GetValue());
    }
  }
  return current;
}

// ---- fast forms ------------------------------------------------------------

Variant TfsVariableDesignator::GetValue() { return LinkedItem->GetValue(); }
void TfsVariableDesignator::SetValue(const Variant& value) { LinkedItem->SetValue(value); }

// The 1-based character index of a string access, checked against the text.
static size_t CheckedCharIndex(const Variant& index, size_t length) {
  int32_t i = index.AsInteger();
  if (i < 1 || static_cast<size_t>(i) > length)
    throw rtl::ERangeError("String index out of range: " + std::to_string(i) + " (length " + std::to_string(length) +
                           ")");
  return static_cast<size_t>(i - 1);
}

// The character a write puts into a string: the first of the value's text.
static char CharToWrite(const Variant& value) {
  AnsiString text = value.AsString();
  if (text.empty()) throw rtl::ERangeError("Cannot write an empty string into a character position");
  return text[0];
}

Variant TfsStringDesignator::GetValue() {
  auto* variable = static_cast<TfsStringVariable*>(LinkedItem);
  const AnsiString& text = variable->Text();
  size_t i = CheckedCharIndex(IndexSource->GetValue(), text.size());
  return Variant(std::string_view(&variable->Text()[i], 1));
}

void TfsStringDesignator::SetValue(const Variant& value) {
  auto* variable = static_cast<TfsStringVariable*>(LinkedItem);
  size_t i = CheckedCharIndex(IndexSource->GetValue(), variable->Text().size());
  char c = CharToWrite(value);
  variable->MutableText()[i] = c;
}

static TfsCustomHelper* PrepareArrayHelper(TfsArrayDesignator& d) {
  auto* helper = static_cast<TfsCustomHelper*>(d.IndexSource);
  helper->PrevItem = d.LinkedItem;
  const int n = std::min(d.IndexStep->Count(), helper->Count());
  for (int k = 0; k < n; ++k) helper->GetParam(k)->SetValue(d.IndexStep->GetItem(k)->GetValue());
  return helper;
}

Variant TfsArrayDesignator::GetValue() { return PrepareArrayHelper(*this)->GetValue(); }
void TfsArrayDesignator::SetValue(const Variant& value) { PrepareArrayHelper(*this)->SetValue(value); }

// Shared by the string helper.
size_t fsCheckedCharIndex(const Variant& index, size_t length) { return CheckedCharIndex(index, length); }
char fsCharToWrite(const Variant& value) { return CharToWrite(value); }

}  // namespace script
