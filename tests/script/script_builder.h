// Builds script objects directly, the way the program builder does: items,
// designators, expressions and statements, without any source text.
#pragma once
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "script/fs_iexpression.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_istatements.h"

// A reflected test class `Name` ("ScriptName" to scripts) derived from `Base`.
#define FS_TEST_CLASS(Name, Base, ScriptName)                                                               \
  class Name : public Base {                                                                                \
    RTL_CLASS_INFO                                                                                          \
  };                                                                                                        \
  inline const rtl::TClassInfo& Name::StaticClass() {                                                       \
    static const rtl::TClassInfo info = rtl::TClassBuilder<Name>(ScriptName, &Base::StaticClass()).Build(); \
    return info;                                                                                            \
  }

namespace script::testing {

// One element of an expression in source order.
struct Op {
  const char* text;
};
struct Str {
  const char* text;
};
struct Elem {
  std::variant<Variant, Op, TfsDesignator*, TfsSetExpression*> e;
  Elem(int v) : e(Variant(v)) {}
  Elem(double v) : e(Variant(v)) {}
  Elem(bool v) : e(Variant(v)) {}
  Elem(Str s) : e(Variant(s.text)) {}
  Elem(Variant v) : e(std::move(v)) {}
  Elem(Op o) : e(o) {}
  Elem(TfsDesignator* d) : e(d) {}
  Elem(TfsSetExpression* s) : e(s) {}
};

class Builder {
 public:
  // Registers the basic type names, as the system library does.
  explicit Builder(TfsScript& script) : s(script) {
    const std::pair<const char*, TfsVarType> types[] = {
        {"Integer", fvtInt},    {"Word", fvtInt},        {"LongInt", fvtInt},     {"Boolean", fvtBool},
        {"Extended", fvtFloat}, {"Double", fvtFloat},    {"TDateTime", fvtFloat}, {"Char", fvtChar},
        {"String", fvtString},  {"Variant", fvtVariant}, {"Array", fvtArray},     {"Constructor", fvtConstructor}};
    for (auto [name, type] : types) s.AddType(name, type);
  }
  TfsScript& s;

  TfsVariable* Var(const char* name, TfsVarType type, const Variant& value = Variant::Null(), TfsScript* in = nullptr) {
    auto* v =
        type == fvtString || type == fvtChar ? new TfsStringVariable(name, type, "") : new TfsVariable(name, type, "");
    if (!value.IsNull()) v->SetValue(value);
    (in ? in : &s)->Add(name, v);
    return v;
  }

  // A designator of steps (item, arguments...); finalised and specialised.
  TfsDesignator* D(TfsScript* in,
                   std::initializer_list<std::pair<TfsCustomVariable*, std::vector<TfsCustomExpression*>>> steps) {
    auto* d = new TfsDesignator(in);
    for (auto& [item, args] : steps) {
      TfsDesignatorItem* step = d->AddStep(item);
      for (TfsCustomExpression* a : args) step->Add(a);
    }
    d->Finalize();
    return fsSpecializeDesignator(d);
  }
  TfsDesignator* D(TfsCustomVariable* item, std::vector<TfsCustomExpression*> args = {}, TfsScript* in = nullptr) {
    return D(in ? in : &s, {{item, std::move(args)}});
  }

  TfsExpression* E(std::initializer_list<Elem> elems, TfsScript* in = nullptr, const char* source = "") {
    auto* e = new TfsExpression(in ? in : &s);
    e->ExprSource = source;
    int n = 0;
    for (const Elem& el : elems) {
      e->Position = "1:" + std::to_string(++n);
      if (auto* v = std::get_if<Variant>(&el.e)) e->AddConst(*v);
      if (auto* o = std::get_if<Op>(&el.e)) e->AddOperator(o->text);
      if (auto* d = std::get_if<TfsDesignator*>(&el.e)) e->AddDesignator(*d);
      if (auto* st = std::get_if<TfsSetExpression*>(&el.e)) e->AddSet(*st);
    }
    lastError = e->Finalize();
    return e;
  }

  // A set: elements, with nullptr between the two ends of a range.
  TfsSetExpression* Set(std::initializer_list<TfsCustomExpression*> elems) {
    auto* set = new TfsSetExpression;
    for (auto* el : elems) set->Add(el);
    return set;
  }

  TfsAssignmentStmt* Assign(TfsStatement* into, TfsDesignator* target, TfsCustomExpression* value,
                            TfsScript* owner = nullptr) {
    auto* st = new TfsAssignmentStmt(owner ? owner : into->OwnerScript, Pos());
    st->TargetDesignator = target;
    st->ValueExpr = value;
    st->Optimize();
    into->Add(st);
    return st;
  }

  TfsCallStmt* Call(TfsStatement* into, TfsDesignator* target) {
    auto* st = new TfsCallStmt(into->OwnerScript, Pos());
    st->CallDesignator = target;
    into->Add(st);
    return st;
  }

  template <class Stmt>
  Stmt* Add(TfsStatement* into) {
    auto* st = new Stmt(into->OwnerScript, Pos());
    into->Add(st);
    return st;
  }

  // A procedure (or function) in `in`, with by-value parameters of the given types.
  TfsProcVariable* Proc(const char* name, bool isFunction, TfsVarType type,
                        std::initializer_list<std::pair<const char*, TfsVarType>> params = {},
                        TfsScript* in = nullptr) {
    TfsScript* owner = in ? in : &s;
    auto* p = new TfsProcVariable(name, type, "", isFunction, owner);
    for (auto& [pname, ptype] : params) p->AddParam(new TfsParamItem(pname, false, false, ptype, ""));
    owner->Add(name, p);
    return p;
  }

  std::string Pos() { return std::to_string(++line) + ":1"; }

  AnsiString lastError;
  int line = 0;
};

}  // namespace script::testing
