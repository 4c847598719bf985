// The script engine's core objects: the script (one scope of named items) and
// the items themselves: variables, parameters, procedures, designators (the
// compiled access paths such as a.b[i](x)), set constructors, registered host
// classes with their member helpers, and event adapters.
//
// Every item offers GetValue and SetValue; expressions and statements read
// and write everything through them. A procedure's parameters and locals are
// items of its own local script, so there is no separate run-time stack.
//
// Values are rtl::Variant. Host objects travel as Integer values holding an
// rtl::ObjectHandles handle (nil is 0); a member call resolves the handle and
// a stale one raises instead of reaching freed memory.
//
// The program builder creates these objects directly: items with their
// constructors and TfsScript::Add, expressions (fs_iexpression.h) and
// statements (fs_istatements.h).
#pragma once
#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/rtl/components.h"
#include "platform/rtl/object.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/typinfo.h"
#include "platform/rtl/variant.h"

namespace rtl {
class TStream;
}

namespace script {

using rtl::AnsiString;
using rtl::Variant;

// ---- type tags -------------------------------------------------------------

enum TfsVarType : uint8_t {
  fvtInt,
  fvtBool,
  fvtFloat,
  fvtChar,
  fvtString,
  fvtClass,
  fvtArray,
  fvtVariant,
  fvtEnum,
  fvtConstructor,
  fvtInt64,
};

// The pair the compatibility rules compare. Type names are compared on their
// first 32 characters only.
struct TfsTypeRec {
  TfsVarType Typ = fvtVariant;
  AnsiString TypeName;
};

class TfsScript;
class TfsStatement;
class TfsParamItem;
class TfsProcVariable;
class TfsClassVariable;
class TfsCustomHelper;
class TfsPropertyHelper;
class TfsMethodHelper;
class TfsCustomExpression;
class TfsDesignator;
class TfsCustomEvent;

// ---- host classes ----------------------------------------------------------

// A host class is the runtime's reflected class (platform/rtl/typinfo.h): its
// name, its parent and its published properties. Callbacks compare these
// pointers for identity.
using TClass = const rtl::TClassInfo*;

// A class description for a host class that declares no reflection of its
// own: its name, and as parent the nearest reflected class (whose published
// properties it shows), made once per type. `is` recognises objects only of
// classes that declare RTL_CLASS_INFO; prefer that for real host classes.
template <class T>
TClass fsHostClass(const char* name, TClass parent = nullptr) {
  static const rtl::TClassInfo info(name, parent ? parent : &T::StaticClass());
  return &info;
}

// Host objects as script values: an Integer handle, nil 0.
Variant fsObjectToVariant(rtl::TObject* object);
// Null, Empty and 0 give nullptr; a stale or forged handle raises
// EInvalidPointer; a value that is not a number raises EConvertError.
rtl::TObject* fsVariantToObject(const Variant& value);

// ---- callbacks -------------------------------------------------------------

using TfsGetVariableValueEvent =
    std::function<Variant(const AnsiString& VarName, TfsVarType VarTyp, const Variant& OldValue)>;
using TfsGetValueEvent = std::function<Variant(rtl::TObject* Instance, TClass ClassType, const AnsiString& PropName)>;
using TfsSetValueEvent =
    std::function<void(rtl::TObject* Instance, TClass ClassType, const AnsiString& PropName, const Variant& Value)>;
using TfsGetValueNewEvent = std::function<Variant(rtl::TObject* Instance, TClass ClassType, const AnsiString& PropName,
                                                  TfsPropertyHelper* Caller)>;
using TfsSetValueNewEvent = std::function<void(rtl::TObject* Instance, TClass ClassType, const AnsiString& PropName,
                                               const Variant& Value, TfsPropertyHelper* Caller)>;
using TfsCallMethodEvent =
    std::function<Variant(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName, Variant& Params)>;
using TfsCallMethodNewEvent = std::function<Variant(rtl::TObject* Instance, TClass ClassType,
                                                    const AnsiString& MethodName, TfsMethodHelper* Caller)>;
using TfsGetUnitEvent = std::function<void(TfsScript* Sender, const AnsiString& UnitName, AnsiString& UnitText)>;
using TfsRunLineEvent = std::function<void(TfsScript* Sender, const AnsiString& UnitName, const AnsiString& SourcePos)>;

// ---- item lists ------------------------------------------------------------

// Owns an ordered list of child objects (parameters, statements, designator
// steps, arguments). Clear frees them first to last; null entries are kept
// and skipped.
class TfsItemList : public rtl::TObject {
 public:
  TfsItemList() = default;
  ~TfsItemList() override;
  TfsItemList(const TfsItemList&) = delete;
  TfsItemList& operator=(const TfsItemList&) = delete;

  virtual void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  void Add(rtl::TObject* item) { items_.push_back(item); }
  // Takes the object out without freeing it (the first entry holding it).
  void Remove(rtl::TObject* item);
  rtl::TObject* RawItem(int index) const { return items_[static_cast<size_t>(index)]; }

 protected:
  std::vector<rtl::TObject*> items_;
};

// What an item is, for the evaluator's quick tests (no dynamic_cast on hot paths).
enum class TfsItemKind : uint8_t {
  Other,
  Variable,  // TfsVariable and TfsStringVariable
  Type,
  Param,
  Proc,
  Expression,
  Designator,
  SetExpression,
  Helper,
  Class,
};

// ---- items -----------------------------------------------------------------

// The base of every named thing a script sees. Its own list holds the formal
// parameters (TfsParamItem).
class TfsCustomVariable : public TfsItemList {
 public:
  TfsCustomVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName);

  virtual Variant GetValue();
  virtual void SetValue(const Variant& value);

  TfsParamItem* GetParam(int index) const;
  Variant* GetPValue() { return &Value; }
  AnsiString GetFullTypeName() const;
  int GetNumberOfRequiredParams() const;
  TfsItemKind Kind() const { return kind_; }

  // The registering owner (TfsScript::Add stamps it); the script's binding
  // marker for items that binding modules registered.
  const void* RegisteredBy = nullptr;
  bool MacroFlag = false;
  bool ReadOnly = false;
  AnsiString Name;
  bool WantsResult = true;
  TfsCustomVariable* LinkedItem = nullptr;
  AnsiString Position;
  AnsiString DeclaringUnit;
  TfsVarType VarType;
  AnsiString TypeIdent;
  AnsiString UpperName;  // Name in 1251 capitals, made once
  Variant Value = Variant::Null();
  TfsGetVariableValueEvent OnGetVarValue;

 protected:
  TfsItemKind kind_ = TfsItemKind::Other;
};

// A plain variable or constant: SetValue converts by the type tag.
class TfsVariable : public TfsCustomVariable {
 public:
  TfsVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  // Stores without conversion, read-only check or hook (for loops).
  void StoreRaw(const Variant& value) { Value = value; }
};

// A string variable: the text lives as a string value, so that single
// characters can be changed in place and recursion saves it with the value.
class TfsStringVariable : public TfsVariable {
 public:
  TfsStringVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName);
  Variant GetValue() override;
  // Stores the value as text (even when ReadOnly).
  void SetValue(const Variant& value) override;
  const AnsiString& Text() const { return Value.StringRef(); }
  AnsiString& MutableText() { return Value.MutableString(); }
};

class TfsTypeVariable : public TfsCustomVariable {
 public:
  TfsTypeVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName);
};

class TfsParamItem : public TfsCustomVariable {
 public:
  TfsParamItem(const AnsiString& name, bool byRef, bool optional, TfsVarType type, const AnsiString& typeName);
  Variant DefaultValue = Variant::Null();
  bool Optional;
  bool ByRef;
};

// A script procedure or function. Its parameters are in its own list and in
// its local scope's table; the local scope does not own them.
class TfsProcVariable : public TfsCustomVariable {
 public:
  TfsProcVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName, bool isFunction,
                  TfsScript* declaringScript);
  ~TfsProcVariable() override;
  // Adds a parameter to the list and to the local scope.
  void AddParam(TfsParamItem* param);
  // Runs the body with the parameters as they are; a function's Result.
  Variant GetValue() override;

  bool Running = false;
  bool IsFunction;
  TfsScript* LocalScope;
};

// The base of expressions and expression nodes.
class TfsCustomExpression : public TfsCustomVariable {
 public:
  using TfsCustomVariable::TfsCustomVariable;
  // The source text of the expression (macro arguments); empty by default.
  virtual const AnsiString& SourceText() const;
};

enum TfsDesignatorKind : uint8_t { dkOther, dkVariable, dkStringArray, dkArray };

// One step of a designator: the item it names and its arguments.
class TfsDesignatorItem : public TfsItemList {
 public:
  TfsCustomExpression* GetItem(int index) const { return static_cast<TfsCustomExpression*>(RawItem(index)); }
  TfsCustomVariable* StepItem = nullptr;
  AnsiString Position;
};

// A designator not resolved when compiled: built from its intermediate text
// when first run. The program builder supplies the concrete kind.
class TfsLateBinding {
 public:
  virtual ~TfsLateBinding() = default;
  // A new designator for `script`; the caller owns it.
  virtual TfsDesignator* Build(TfsScript& script) = 0;
};

// An access path: steps evaluated first to last, each reading its item with
// the previous steps' value as context.
class TfsDesignator : public TfsCustomVariable {
 public:
  explicit TfsDesignator(TfsScript* script);
  ~TfsDesignator() override;
  TfsDesignatorItem* GetItem(int index) const { return static_cast<TfsDesignatorItem*>(RawItem(index)); }
  // Appends a step naming `item`; its arguments are added to the step.
  TfsDesignatorItem* AddStep(TfsCustomVariable* item, const AnsiString& position = AnsiString());
  // Sets type, read-only flag and kind from the steps; called once after the last step.
  void Finalize();
  void Borrow(TfsDesignator& other);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  void CheckLateBinding();

  TfsDesignatorKind DesignatorKind = dkOther;
  TfsScript* OuterProgram;
  TfsScript* OwnScript;
  TfsCustomVariable* IndexSource = nullptr;
  TfsDesignatorItem* IndexStep = nullptr;
  std::unique_ptr<TfsLateBinding> LateBindingSource;

 protected:
  Variant DoCalc(const Variant* writeValue);
};

// A single plain variable (or parameter): reads and writes it directly.
class TfsVariableDesignator : public TfsDesignator {
 public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// A character of a string variable: s[i].
class TfsStringDesignator : public TfsDesignator {
 public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// An element of an array variable: a[i, j].
class TfsArrayDesignator : public TfsDesignator {
 public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// Makes the fast designator class for the kind Finalize chose (the steps of
// `built` move into it; `built` is freed), or returns `built` for dkOther.
TfsDesignator* fsSpecializeDesignator(TfsDesignator* built);

// A set constructor [1, 3..5]: a range is its low expression, a null entry
// and its high expression. Null entries are not freed.
class TfsSetExpression : public TfsCustomVariable {
 public:
  TfsSetExpression();
  TfsCustomExpression* GetItem(int index) const { return static_cast<TfsCustomExpression*>(RawItem(index)); }
  void AddElement(TfsCustomExpression* expression) { Add(expression); }
  void AddRangeMarker() { Add(nullptr); }
  Variant GetValue() override;
  bool Check(const Variant& value);
};

// ---- helpers ---------------------------------------------------------------

// A member or function reached by a designator step; the step hands it the
// previous item, the previous value (the object) and its script.
class TfsCustomHelper : public TfsCustomVariable {
 public:
  TfsCustomHelper(const AnsiString& name, TfsVarType type, const AnsiString& typeName);
  // PrevValue as an object: nil for Null, Empty and 0; raises for a stale handle.
  rtl::TObject* Instance() const;

  TfsCustomVariable* PrevItem = nullptr;
  Variant PrevValue = Variant::Null();
  TfsScript* HelperScript = nullptr;
};

class TfsPropertyHelper : public TfsCustomHelper {
 public:
  TfsPropertyHelper(const AnsiString& name, TfsVarType type, const AnsiString& typeName);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  TClass HostClass = nullptr;
  bool FromPublished = false;
  TfsGetValueEvent GetHandler;
  TfsSetValueEvent SetHandler;
  TfsGetValueNewEvent GetHandlerEx;
  TfsSetValueNewEvent SetHandlerEx;
};

// A registered function or method, built from its declaration text.
class TfsMethodHelper : public TfsCustomHelper {
 public:
  TfsMethodHelper(const AnsiString& declaration, TfsScript* script);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  // Parameter i's value; with i equal to the parameter count, the value being
  // assigned through an indexed property. Outside that range raises EListError.
  Variant GetVParam(int index);
  void SetVParam(int index, const Variant& value);

  AnsiString Category;
  TClass HostClass = nullptr;
  AnsiString HelpText;
  bool IndexAccessor = false;
  TfsCallMethodEvent CallProc;
  TfsCallMethodNewEvent CallProcEx;
  Variant AssignedValue = Variant::Null();
  AnsiString Declaration;
  Variant ParamBlock;

 private:
  AnsiString getName_;  // UpperName + ".GET", made once
  AnsiString setName_;
};

class TfsComponentHelper : public TfsCustomHelper {
 public:
  explicit TfsComponentHelper(rtl::TComponent* component);
  ~TfsComponentHelper() override;
  Variant GetValue() override;
  rtl::TComponent* HostComponent;

 private:
  int32_t handle_;
};

// Makes an event adapter for a host object and a handler procedure.
using TfsEventClass = std::function<TfsCustomEvent*(rtl::TObject* hostObject, TfsProcVariable* handler)>;

class TfsEventHelper : public TfsCustomHelper {
 public:
  TfsEventHelper(const AnsiString& name, TfsEventClass eventClass);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  TClass HostClass = nullptr;
  TfsEventClass EventClass;
};

// s[i] on any string item: reads a character, writes the whole string back.
class TfsStringHelper : public TfsCustomHelper {
 public:
  TfsStringHelper();
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// Element access on the array stored in PrevItem, 1 to 3 dimensions.
class TfsArrayHelper : public TfsCustomHelper {
 public:
  // dims -1: three integer parameters of which the last two are optional.
  TfsArrayHelper(const AnsiString& name, int dims, TfsVarType type, const AnsiString& typeName);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// ---- registered host classes -----------------------------------------------

class TfsClassVariable : public TfsCustomVariable {
 public:
  TfsClassVariable(TClass hostClass, const AnsiString& ancestorName);
  ~TfsClassVariable() override;

  TfsMethodHelper* AddConstructor(const AnsiString& declaration, TfsCallMethodEvent handler);
  TfsMethodHelper* AddConstructor(const AnsiString& declaration, TfsCallMethodNewEvent handler);
  TfsMethodHelper* AddMethod(const AnsiString& declaration, TfsCallMethodEvent handler);
  TfsMethodHelper* AddMethod(const AnsiString& declaration, TfsCallMethodNewEvent handler);
  TfsEventHelper* AddEvent(const AnsiString& name, TfsEventClass eventClass);
  TfsPropertyHelper* AddProperty(const AnsiString& name, const AnsiString& typeName, TfsGetValueEvent getter,
                                 TfsSetValueEvent setter = nullptr);
  TfsPropertyHelper* AddPropertyEx(const AnsiString& name, const AnsiString& typeName, TfsGetValueNewEvent getter,
                                   TfsSetValueNewEvent setter = nullptr);
  TfsMethodHelper* AddIndexProperty(const AnsiString& name, const AnsiString& indexTypes, const AnsiString& resultType,
                                    TfsCallMethodEvent handler, bool readOnly = false);
  TfsMethodHelper* AddIndexProperty(const AnsiString& name, const AnsiString& indexTypes, const AnsiString& resultType,
                                    TfsCallMethodNewEvent handler, bool readOnly = false);
  TfsMethodHelper* AddDefaultProperty(const AnsiString& name, const AnsiString& indexTypes,
                                      const AnsiString& resultType, TfsCallMethodEvent handler, bool readOnly = false);
  TfsMethodHelper* AddDefaultProperty(const AnsiString& name, const AnsiString& indexTypes,
                                      const AnsiString& resultType, TfsCallMethodNewEvent handler,
                                      bool readOnly = false);
  TfsComponentHelper* AddComponent(rtl::TComponent* component);
  // Imports the host class's published properties (none when the class has
  // no published-property information).
  void AddPublishedProperties(TClass hostClass);

  // Own members first (published ones were imported first), then the ancestor's.
  TfsCustomHelper* Find(std::string_view name) const;
  TfsCustomHelper* GetMembers(int index) const;
  int GetMembersCount() const { return MemberList.Count(); }
  // A typecast when the parameter holds a value; otherwise nil, which the
  // constructor member that follows replaces by a new object.
  Variant GetValue() override;

  AnsiString AncestorName;
  TClass HostClass;
  TfsCustomHelper* DefaultMember = nullptr;
  TfsItemList MemberList;
  TfsScript* OwnerScript = nullptr;

 private:
  TfsMethodHelper* AddMethodHelper(const AnsiString& declaration);
};

// ---- event adapters --------------------------------------------------------

// Lets a host event call a script procedure. The concrete adapter connects
// itself to the host object's event in Hook and disconnects in Unhook. A
// released adapter (its destructor, or a new handler for the same event)
// unhooks once while the host object lives, so a freed adapter is never
// called and never clears a handler that replaced it.
class TfsCustomEvent : public rtl::TObject {
 public:
  TfsCustomEvent(rtl::TObject* hostObject, TfsProcVariable* handler);
  ~TfsCustomEvent() override;
  // Connects the adapter to the host object's event `eventName`.
  void Connect(const AnsiString& eventName);
  // Disconnects now (once; later calls do nothing).
  void Release();
  // Calls the handler with the host event's arguments; a parameter the event
  // does not supply gets Null. Nothing happens while the handler runs.
  void CallHandler(std::span<const Variant> arguments);
  // The host object while it lives, else nullptr.
  rtl::TObject* HostObject() const;
  const AnsiString& EventName() const { return eventName_; }
  bool Connected() const { return connected_; }

  TfsProcVariable* HandlerProc;

 protected:
  // Writes this adapter into the host object's event property and answers
  // how to empty it again. The answer must not use the derived part of the
  // adapter: the base destructor may run it.
  virtual std::function<void(rtl::TObject* host)> Hook(rtl::TObject* host, const AnsiString& eventName) = 0;

 private:
  int32_t hostHandle_;
  AnsiString eventName_;
  std::function<void(rtl::TObject* host)> unhook_;
  bool connected_ = false;
};

// ---- the script ------------------------------------------------------------

// A binding module: its constructor registers types, classes, functions and
// constants into the target script.
class TfsRTTIModule : public rtl::TObject {
 public:
  explicit TfsRTTIModule(TfsScript* script) : TargetScript(script) {}
  TfsScript* TargetScript;
};
using TfsRTTIModuleClass = TfsRTTIModule* (*)(TfsScript* script);

// The process-wide binding-module list in registration order; the system
// library puts itself first. nullptr after the engine has shut down.
std::vector<TfsRTTIModuleClass>* fsRTTIModules();
// A process-wide script holding every module's registrations; nullptr after shut-down.
TfsScript* fsGlobalUnit();
// Frees the global unit and the module list (run at exit; tests may call it).
void fsShutdownModules();

class TfsScript : public rtl::TComponent {
 public:
  explicit TfsScript(rtl::TComponent* owner = nullptr);
  ~TfsScript() override;

  // The marker RegisteredBy carries while AddRTTI runs.
  static const void* BindingMarker();

  void SetLines(const rtl::TStrings& lines);

  // ---- the item table ----
  void Add(const AnsiString& name, rtl::TObject* object);
  int Count() const { return static_cast<int>(entries_.size()); }
  rtl::TObject* GetItem(int index) const { return entries_[static_cast<size_t>(index)].object; }
  const AnsiString& GetItemName(int index) const { return entries_[static_cast<size_t>(index)].name; }
  // The entry's object as an item, nullptr for modules and adapters.
  TfsCustomVariable* GetItemVariable(int index) const { return entries_[static_cast<size_t>(index)].item; }
  int IndexOfObject(const rtl::TObject* object) const;
  // Takes the entry out without freeing it; an object not in the table raises EListError.
  void Remove(rtl::TObject* object);
  TfsCustomVariable* FindLocal(std::string_view name) const;
  TfsCustomVariable* Find(std::string_view name) const;
  TfsClassVariable* FindClass(std::string_view name) const;
  void Clear();
  void ClearItems(const void* owner);
  void RemoveItems(const void* owner);
  void AddRTTI();
  void ClearRTTI();

  // ---- registration ----
  virtual TfsClassVariable* AddClass(TClass cls, const AnsiString& ancestorName);
  virtual void AddConst(const AnsiString& name, const AnsiString& typeName, const Variant& value);
  virtual void AddEnum(const AnsiString& typeName, const AnsiString& names);
  virtual void AddEnumSet(const AnsiString& typeName, const AnsiString& names);
  virtual void AddComponent(rtl::TComponent* component);
  virtual void AddForm(rtl::TComponent* form);
  virtual TfsMethodHelper* AddMethod(const AnsiString& declaration, TfsCallMethodNewEvent callback,
                                     const AnsiString& category = AnsiString(),
                                     const AnsiString& description = AnsiString());
  virtual TfsMethodHelper* AddMethod(const AnsiString& declaration, TfsCallMethodEvent callback,
                                     const AnsiString& category = AnsiString(),
                                     const AnsiString& description = AnsiString());
  virtual void AddObject(const AnsiString& name, rtl::TObject* object);
  virtual void AddVariable(const AnsiString& name, const AnsiString& typeName, const Variant& value);
  virtual void AddType(const AnsiString& name, TfsVarType type);

  // ---- compiling and running (the front end does the compiling) ----
  bool Compile();
  void Execute();
  bool Run();
  bool GetILCode(rtl::TStream& stream);
  bool SetILCode(rtl::TStream& stream);
  Variant Evaluate(const AnsiString& expression);
  Variant CallFunction(std::string_view name, const Variant& params);
  Variant CallFunction1(std::string_view name, Variant& params);
  Variant CallFunction2(TfsProcVariable* procedure, const Variant& params);
  Variant GetVariables(std::string_view name);
  void SetVariables(const AnsiString& name, const Variant& value);
  void Terminate();
  void RunLine(const AnsiString& unitName, const AnsiString& position);
  void AddCodeLine(const AnsiString& unitName, const AnsiString& position);
  bool IsExecutableLine(int line, const AnsiString& unitName = AnsiString()) const;

  TfsStatement* MainStatement() const { return mainStatement_.get(); }
  // Runs the main statement as a routine body (flags set and cleared around it).
  void ExecuteBody();

  struct Entry {
    AnsiString name;
    rtl::TObject* object;
    TfsCustomVariable* item;  // object as an item, or nullptr
  };

  // Published state.
  rtl::TStringList Lines;
  AnsiString SyntaxType = "PascalScript";
  TfsGetUnitEvent OnGetILUnit;
  TfsGetUnitEvent OnGetUnit;
  TfsRunLineEvent OnRunLine;
  TfsGetVariableValueEvent OnGetVarValue;

  const void* RegisteredBy = nullptr;
  bool BreakPending = false;
  bool ContinuePending = false;
  // Written by Terminate, which a host may call from another thread.
  std::atomic<bool> ExitPending = false;
  AnsiString ErrorMessage;
  AnsiString ErrorPosition;
  AnsiString ErrorUnitName;
  bool ExtendedIdentifiers = false;
  bool BodyRunning = false;
  bool IsMainProgram = false;
  TfsScript* ParentScript = nullptr;
  TfsScript* RunningProgram = nullptr;
  bool BindingsAdded = false;
  std::atomic<bool> TerminateRequested = false;
  // Lines reported through RunLine so far (a loop round that reports none
  // reports its own line, so the host can still stop an empty endless loop).
  std::uint64_t LinesRun = 0;
  rtl::TStringList UnitSearchPath;
  bool ClassLateBinding = false;
  bool EvaluateFailed = false;

 private:
  size_t LowerBound(std::string_view name) const;
  void ClearUnitLines();
  // Frees and removes the entries `drop` selects, last first.
  template <class Pred>
  void FreeEntries(Pred drop);

  std::vector<Entry> entries_;
  // The first letters (upper-cased) that names of entries ever started
  // with: a report asks for many names that are not the script's, and most
  // of them are turned away here without a search.
  std::bitset<256> firstLetters_;
  std::unique_ptr<TfsStatement> mainStatement_;
  // Unit name -> sorted line numbers that hold statements.
  std::vector<std::pair<AnsiString, std::vector<int>>> unitLines_;
};

// ---- the front end -----------------------------------------------------------

// Provided by the program builder (with the grammar walker): turns the
// script's Lines into its items and main statement, or into intermediate
// text, or builds intermediate text read from a stream. Each records a
// compile error in the script's error fields and answers false then; none
// raises for bad source.
bool fsBuildProgram(TfsScript& script);
bool fsWriteILCode(TfsScript& script, rtl::TStream& stream);
bool fsReadILCode(TfsScript& script, rtl::TStream& stream);

}  // namespace script
