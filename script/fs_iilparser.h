// The compiler's front end. A TfsILParser selects a language, walks its
// grammar over the source text with the lexer and writes the intermediate
// program: XML whose elements name the constructs found and carry the tokens
// and their source positions ("line:column"). The program builder then turns
// the intermediate program into the interpreter's objects. Compile errors
// never raise: they end as a message, a position and a unit name.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "script/fs_igrammar.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_iparser.h"
#include "script/fs_xml.h"

namespace script {

using rtl::AnsiString;

class TfsScript;
class TfsStatement;
class TfsCustomVariable;
class TfsVariable;
class TfsProcVariable;
class TfsDesignator;
class TfsExpression;
class TfsSetExpression;
class TfsWithStmt;

// The extra step a designator receives: a `new` expression calls the class's
// constructor, a `delete` statement the object's Free.
enum TfsEmitOp { emNone, emCreate, emFree };

// What the front end needs of the script it compiles for: identifier
// characters, the units a uses clause names, and where the errors go. A
// script answers through its own site; a text-only compilation (tools and
// tests of the walker) may use this default one.
class TfsCompileSite {
 public:
  virtual ~TfsCompileSite() = default;
  // Characters 128 to 255 join the identifier characters.
  virtual bool ExtendedIdentifiers() const { return ExtendedIdentifiersFlag; }
  // The source of a unit from the host; false when the host has none.
  virtual bool GetUnit(const AnsiString& unitName, AnsiString& text);
  // Folders searched for unit files, in order.
  virtual std::vector<AnsiString> UnitSearchPath() const { return SearchPath; }
  // The last compile error; all empty on success.
  virtual void SetError(const AnsiString& message, const AnsiString& position);
  virtual AnsiString ErrorUnitName() const { return UnitNameOfError; }
  virtual void SetErrorUnitName(const AnsiString& unitName) { UnitNameOfError = unitName; }

  bool ExtendedIdentifiersFlag = false;
  std::function<bool(const AnsiString& unitName, AnsiString& text)> OnGetUnit;
  std::vector<AnsiString> SearchPath{AnsiString()};
  AnsiString ErrorMessage, ErrorPosition, UnitNameOfError;
};

class TfsILParser {
 public:
  // Compiles for a script: its identifier setting, units and error fields.
  explicit TfsILParser(TfsScript* script);
  // Compiles text only; the site receives the errors.
  explicit TfsILParser(TfsCompileSite& site);
  ~TfsILParser();
  TfsILParser(const TfsILParser&) = delete;
  TfsILParser& operator=(const TfsILParser&) = delete;

  // Loads the named grammar and sets the lexer from it. An unregistered name
  // answers false and makes the next MakeILScript fail with
  // "Language '<name>' not found" as its compile error.
  bool SelectLanguage(const AnsiString& name);
  // Walks text and builds the intermediate program; true on success. The
  // error message and position always go to the site (empty on success).
  bool MakeILScript(const AnsiString& text);
  // Builds the intermediate program into the script's objects; a static
  // error ends in the script's ErrorMessage, ErrorPosition and ErrorUnitName.
  void ParseILScript();
  // Builds one designator from its intermediate element in scope `prog`
  // (late binding builds the designators it deferred this way).
  TfsDesignator* DoDesignator(const TfsXMLItem* item, TfsScript* prog, TfsEmitOp emitOp = emNone);
  // Undeclared names become variant variables when the language allows it.
  void SetDeclareVars(bool value) { declareVars_ = value; }

  // The intermediate program (after MakeILScript, or loaded by the caller).
  TfsXMLDocument& ILScript() { return ilDocument_; }
  const AnsiString& Language() const { return language_; }
  bool DeclareVars() const { return declareVars_; }
  const AnsiString& ErrorMessage() const { return errorMessage_; }
  const AnsiString& ErrorPosition() const { return errorPosition_; }
  // The unit this parser compiles (empty for the script's own text).
  AnsiString UnitName;
  // Units already included, shared along nested inclusions.
  std::vector<AnsiString> UsedUnits;

  // The deepest the walk may nest grammar elements before it gives up with
  // a compile error; the walk also stops short of the end of the running
  // thread's real stack (rtl::ThreadStackFloor), on a thread with a small
  // stack.
  static constexpr int kMaxWalkDepth = 3000;
  // The same for the builder's nesting of statements and expressions.
  static constexpr int kMaxBuildDepth = 400;

 private:
  // ---- the walk ----
  class Output;
  bool Walk(const TfsGrammarNode* element, int depth);
  bool WalkChildren(const TfsGrammarNode* element, int depth);
  bool WalkLoop(const TfsGrammarNode* element, int depth);
  AnsiString ReadToken(const TfsGrammarNode* element, bool& isToken);
  void RecordError(const TfsGrammarNode* element, int entryPosition);
  void Wrap(const AnsiString& node, int entryPosition, std::size_t entryCount);
  void IncludeUnits(std::size_t entryCount);
  void IncludeUnit(const AnsiString& unitName);
  AnsiString ReadUnitText(const AnsiString& unitName);
  AnsiString PositionAfterBlanks(int position);
  int SkipLanguageDirective(const AnsiString& text);

  // ---- the program builder ----
  struct WithEntry {
    AnsiString name;
    TfsVariable* variable;
    TfsScript* prog;
  };
  class DepthGuard;
  void ErrorPos(const TfsXMLItem* item);
  [[noreturn]] void Fail(const AnsiString& message);
  void CheckIdent(TfsScript* prog, const AnsiString& name);
  TfsCustomVariable* FindVar(TfsScript* prog, const AnsiString& name);
  void FindType(const AnsiString& name, TfsVarType& type, AnsiString& typeName);
  void CheckTypeCompatibility(TfsCustomVariable* target, TfsCustomVariable* source);
  TfsCustomVariable* CreateVar(const TfsXMLItem* item, TfsScript* prog, int identIndex, TfsStatement* statements,
                               bool isParameter, bool byRef);
  void DoProgram(const TfsXMLItem* item, TfsScript* prog);
  void DeclareRoutines(const TfsXMLItem* item, TfsScript* prog);
  void DoStmt(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoCompoundStmt(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoVar(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoConst(const TfsXMLItem* item, TfsScript* prog);
  void DoProc1(const TfsXMLItem* item, TfsScript* prog, bool isFunction);
  void DoProc2(const TfsXMLItem* item, TfsScript* prog);
  void DoParameters(const TfsXMLItem* item, TfsProcVariable* proc);
  void DoUses(const TfsXMLItem* item, TfsScript* prog);
  void DoAssign(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoCall(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoIf(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoCase(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoVbFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoCppFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoWhile(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoRepeat(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoTry(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoReturn(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoWith(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  void DoDelete(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements);
  TfsVariable* ForCounter(const TfsXMLItem* item, TfsScript* prog);
  TfsExpression* DoExpression(const TfsXMLItem* item, TfsScript* prog);
  void AddExpressionItems(TfsExpression* expression, const TfsXMLItem* item, TfsScript* prog);
  TfsSetExpression* DoSet(const TfsXMLItem* item, TfsScript* prog);
  AnsiString SourceBetween(const AnsiString& from, const AnsiString& to) const;
  void CheckArguments(TfsDesignator* designator, const std::vector<std::vector<const TfsXMLItem*>>& arguments);

  std::vector<WithEntry> withStack_;
  const TfsXMLItem* programRoot_ = nullptr;
  AnsiString errorPos_;
  AnsiString buildUnit_;
  int buildDepth_ = 0;

  TfsScript* script_ = nullptr;
  std::unique_ptr<TfsCompileSite> ownSite_;
  TfsCompileSite* site_;
  std::shared_ptr<const TfsGrammar> grammar_;
  TfsXMLDocument ilDocument_;
  AnsiString language_;
  AnsiString languageError_;
  bool declareVars_ = true;
  TfsParser parser_;
  std::unique_ptr<Output> output_;
  AnsiString errorMessage_, errorPosition_;
  bool errorTerm_ = false;
  int farthest_ = 1;
};

}  // namespace script
