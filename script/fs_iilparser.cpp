// The grammar walker: a backtracking interpreter of a language's grammar over
// the lexer, writing the intermediate program as text lines.
#include "script/fs_iilparser.h"

#include <algorithm>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/stack.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iconst.h"
#include "script/fs_iinterpreter.h"

namespace script {

namespace {

// Every line end becomes CR LF and the text ends with one, so that the
// line-oriented grammars see a line end after the last line whatever the
// caller's convention. Positions do not move: lines and columns stay.
AnsiString NormalizeLineEnds(std::string_view text) {
  AnsiString out;
  out.reserve(text.size() + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
  return out;
}

bool SameToken(const AnsiString& token, const AnsiString& text, bool caseSensitive) {
  return caseSensitive ? token == text : rtl::AnsiSameText(token, text);
}

}  // namespace

// ---- the compile site's defaults ----

bool TfsCompileSite::GetUnit(const AnsiString& unitName, AnsiString& text) {
  return OnGetUnit && OnGetUnit(unitName, text);
}

void TfsCompileSite::SetError(const AnsiString& message, const AnsiString& position) {
  ErrorMessage = message;
  ErrorPosition = position;
}

// ---- output lines ----

// The intermediate program as text lines, one tag a line, kept in one text
// buffer. Wrapping a run of lines in an element inserts its opening tag before
// them; the tag is kept aside with the index of the line it precedes instead
// of shifting the lines, so the walk stays linear in the size of the program.
// Everything recorded since an element began lies behind what was recorded
// before it, so dropping that element's lines only ever cuts the ends.
class TfsILParser::Output {
 public:
  std::size_t Count() const { return ends_.size(); }

  void Append(std::string_view text) {
    text_.append(text);
    ends_.push_back(text_.size());
  }
  // An `add` line; file names are kept for the uses clause.
  void AppendAdd(std::string_view text, const AnsiString& addName, const AnsiString& value) {
    if (addName == "file") files_.push_back({Count(), value});
    Append(text);
  }
  // Inserts a line before line `at` (at the end when at is the count).
  void InsertBefore(std::size_t at, AnsiString text) {
    if (at >= Count())
      Append(text);
    else
      inserted_.push_back({at, std::move(text)});
  }
  void Truncate(std::size_t count) {
    if (count >= Count()) return;
    ends_.resize(count);
    text_.resize(count == 0 ? 0 : ends_.back());
    while (!inserted_.empty() && inserted_.back().first >= count) inserted_.pop_back();
    while (!files_.empty() && files_.back().first >= count) files_.pop_back();
  }
  // The file names written since line `from`.
  std::vector<AnsiString> FilesFrom(std::size_t from) const {
    std::vector<AnsiString> names;
    for (const auto& [index, name] : files_)
      if (index >= from) names.push_back(name);
    return names;
  }
  void Clear() {
    text_.clear();
    ends_.clear();
    inserted_.clear();
    files_.clear();
  }

  AnsiString Join() const {
    // Insertions before one line: the later one is the outer element, so it comes first.
    std::vector<std::size_t> order(inserted_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return inserted_[a].first != inserted_[b].first ? inserted_[a].first < inserted_[b].first : a > b;
    });
    AnsiString out;
    out.reserve(text_.size() + 64 * inserted_.size());
    std::size_t next = 0, begin = 0;
    for (std::size_t line = 0; line < ends_.size(); ++line) {
      while (next < order.size() && inserted_[order[next]].first == line) out += inserted_[order[next++]].second;
      out.append(text_, begin, ends_[line] - begin);
      begin = ends_[line];
    }
    return out;
  }

 private:
  AnsiString text_;
  std::vector<std::size_t> ends_;  // where each line ends in text_
  std::vector<std::pair<std::size_t, AnsiString>> inserted_;
  std::vector<std::pair<std::size_t, AnsiString>> files_;
};

// ---- construction and language selection ----

namespace {

// What the front end needs of a script, answered from the script itself.
class TfsScriptSite : public TfsCompileSite {
 public:
  explicit TfsScriptSite(TfsScript& script) : script_(script) {}
  bool ExtendedIdentifiers() const override { return script_.ExtendedIdentifiers; }
  bool GetUnit(const AnsiString& unitName, AnsiString& text) override {
    if (!script_.OnGetUnit) return false;
    text.clear();
    script_.OnGetUnit(&script_, unitName, text);
    return true;
  }
  std::vector<AnsiString> UnitSearchPath() const override {
    std::vector<AnsiString> folders;
    for (int i = 0; i < script_.UnitSearchPath.Count(); ++i) folders.push_back(script_.UnitSearchPath[i]);
    if (folders.empty()) folders.emplace_back();
    return folders;
  }
  void SetError(const AnsiString& message, const AnsiString& position) override {
    script_.ErrorMessage = message;
    script_.ErrorPosition = position;
  }
  AnsiString ErrorUnitName() const override { return script_.ErrorUnitName; }
  void SetErrorUnitName(const AnsiString& unitName) override { script_.ErrorUnitName = unitName; }

 private:
  TfsScript& script_;
};

}  // namespace

TfsILParser::TfsILParser(TfsScript* script)
    : script_(script),
      ownSite_(std::make_unique<TfsScriptSite>(*script)),
      site_(ownSite_.get()),
      output_(std::make_unique<Output>()) {}

TfsILParser::TfsILParser(TfsCompileSite& site) : site_(&site), output_(std::make_unique<Output>()) {}

TfsILParser::~TfsILParser() = default;

bool TfsILParser::SelectLanguage(const AnsiString& name) {
  parser_.Clear();
  // A language chosen by a directive starts from the defaults too.
  parser_.CaseSensitive = false;
  parser_.CommentLine2.clear();
  language_ = name;
  languageError_.clear();
  declareVars_ = true;
  try {
    grammar_ = fsGetGrammar(name);
  } catch (const std::exception& e) {
    grammar_.reset();
    languageError_ = e.what();
    return false;
  }
  grammar_->ApplyTo(parser_);
  declareVars_ = grammar_->DeclareVars();
  if (site_->ExtendedIdentifiers()) parser_.AddExtendedIdentifierChars();
  return true;
}

// ---- compiling text ----

int TfsILParser::SkipLanguageDirective(const AnsiString& text) {
  if (text.empty() || text[0] != '#') return 1;
  std::size_t wordEnd = 1;
  while (wordEnd < text.size() && rtl::IsAnsiLetter(text[wordEnd])) ++wordEnd;
  if (!rtl::SameText(text.substr(1, wordEnd - 1), "language")) return 1;
  std::size_t lineEnd = text.find_first_of("\r\n", wordEnd);
  if (lineEnd == AnsiString::npos) lineEnd = text.size();
  SelectLanguage(rtl::Trim(text.substr(wordEnd, lineEnd - wordEnd)));
  if (lineEnd < text.size() && text[lineEnd] == '\r') ++lineEnd;
  if (lineEnd < text.size() && text[lineEnd] == '\n') ++lineEnd;
  return static_cast<int>(lineEnd) + 1;
}

bool TfsILParser::MakeILScript(const AnsiString& source) {
  AnsiString text = NormalizeLineEnds(source);
  output_->Clear();
  ilDocument_.Clear();
  errorMessage_.clear();
  errorPosition_.clear();
  errorTerm_ = false;
  farthest_ = 1;
  bool walked = false;
  parser_.SetText(text);
  try {
    int start = SkipLanguageDirective(text);
    if (!languageError_.empty()) {
      errorMessage_ = languageError_;
    } else if (!grammar_) {
      errorMessage_ = rtl::StringReplace(SLangNotFound(), "%s", language_, rtl::rfReplaceAll);
    } else {
      parser_.SetPosition(start);
      farthest_ = start;
      walked = Walk(grammar_->ProgramRule(), 0);
      if (!walked && errorMessage_.empty()) {
        // No element of the grammar named the fault: report the grammar's
        // general message where the walk got furthest.
        errorMessage_ = grammar_->SyntaxErrorMessage();
        errorPosition_ = PositionAfterBlanks(farthest_);
      }
    }
    if (walked && errorMessage_.empty()) {
      AnsiString xml = "<?xml version=\"1.0\"?><program>" + output_->Join() + "</program>";
      ilDocument_.LoadFromString(xml);
      if (const TfsXMLItem* types = grammar_->Types()) ilDocument_.Root()->Add()->Assign(types);
    }
  } catch (const std::exception& e) {
    errorMessage_ = e.what();
    if (errorMessage_.empty()) errorMessage_ = grammar_ ? grammar_->SyntaxErrorMessage() : "Syntax error";
    errorPosition_ = parser_.GetXYPosition();
  }
  output_->Clear();
  bool ok = walked && errorMessage_.empty();
  if (ok) errorPosition_.clear();
  site_->SetError(errorMessage_, errorPosition_);
  return ok;
}

// ---- the walk ----

AnsiString TfsILParser::PositionAfterBlanks(int position) {
  int current = parser_.Position();
  parser_.SetPosition(position);
  parser_.SkipSpaces();
  AnsiString text = parser_.GetXYPosition();
  parser_.SetPosition(current);
  return text;
}

void TfsILParser::RecordError(const TfsGrammarNode* element, int entryPosition) {
  if (element->errMessage.empty() || !errorMessage_.empty()) return;
  errorMessage_ = element->errMessage;
  errorPosition_ = PositionAfterBlanks(entryPosition);
  errorTerm_ = element->term;
}

void TfsILParser::Wrap(const AnsiString& node, int entryPosition, std::size_t entryCount) {
  AnsiString open = "<" + node + " pos=\"" + PositionAfterBlanks(entryPosition) + "\"";
  if (node == "expr") open += " pos1=\"" + parser_.GetXYPosition() + "\"";
  output_->InsertBefore(entryCount, open + ">");
  output_->Append("</" + node + ">");
}

AnsiString TfsILParser::ReadToken(const TfsGrammarNode* element, bool& isToken) {
  isToken = true;
  AnsiString token;
  switch (element->kind) {
    case TfsGrammarNode::Char:
      if (!element->noSkip) parser_.SkipSpaces();
      token = parser_.GetChar();
      break;
    case TfsGrammarNode::Keyword: token = parser_.GetWord(); break;
    case TfsGrammarNode::Ident: token = parser_.GetIdent(); break;
    case TfsGrammarNode::Number: token = parser_.GetNumber(); break;
    case TfsGrammarNode::String: token = parser_.GetString(); break;
    case TfsGrammarNode::FRString: token = parser_.GetFRString(); break;
    default: isToken = false;
  }
  farthest_ = std::max(farthest_, parser_.Position());
  return token;
}

bool TfsILParser::WalkChildren(const TfsGrammarNode* element, int depth) {
  for (const TfsGrammarNode* child : element->children)
    if (!Walk(child, depth + 1)) return false;
  return true;
}

bool TfsILParser::WalkLoop(const TfsGrammarNode* element, int depth) {
  const int start = parser_.Position();
  const std::size_t startCount = output_->Count();
  int repetitions = 0;
  bool first = false;
  int reached = start;
  for (;;) {
    ++repetitions;
    const int repetitionStart = parser_.Position();
    bool all = WalkChildren(element, depth);
    reached = parser_.Position();
    if (repetitions == 1) first = all;
    bool again = all;
    if (all && !element->text.empty()) {
      parser_.SkipSpaces();
      if (parser_.GetChar() != element->text) {
        parser_.SetPosition(reached);
        again = false;
      }
    }
    if (parser_.Position() == repetitionStart) again = false;
    if (!again) break;
  }
  if (repetitions > 1) {
    if (element->loopSkip || errorTerm_) {
      errorMessage_.clear();
      errorPosition_.clear();
      errorTerm_ = false;
    }
    parser_.SetPosition(reached);
    return true;
  }
  if (!first) {
    parser_.SetPosition(start);
    output_->Truncate(startCount);
  }
  return element->kind == TfsGrammarNode::OptionalLoop || first;
}

bool TfsILParser::Walk(const TfsGrammarNode* element, int depth) {
  const char* here = static_cast<const char*>(__builtin_frame_address(0));
  if (depth > kMaxWalkDepth || here < rtl::ThreadStackFloor()) throw rtl::Exception("Program nested too deeply");
  const int entryPosition = parser_.Position();
  const std::size_t entryCount = output_->Count();
  bool matched = true;
  bool isToken = false;
  AnsiString token;

  switch (element->kind) {
    case TfsGrammarNode::Rule:
    case TfsGrammarNode::Sequence: break;
    case TfsGrammarNode::EOL: matched = parser_.GetEOL(); break;
    case TfsGrammarNode::Switch:
    case TfsGrammarNode::OptionalSwitch:
      for (const TfsGrammarNode* child : element->children)
        if (Walk(child, depth + 1)) return true;
      if (element->kind == TfsGrammarNode::OptionalSwitch) return true;
      parser_.SetPosition(entryPosition);
      output_->Truncate(entryCount);
      RecordError(element, entryPosition);
      return false;
    case TfsGrammarNode::Loop:
    case TfsGrammarNode::OptionalLoop:
      if (WalkLoop(element, depth)) return true;
      parser_.SetPosition(entryPosition);
      output_->Truncate(entryCount);
      RecordError(element, entryPosition);
      return false;
    case TfsGrammarNode::Optional:
      if (!WalkChildren(element, depth)) {
        parser_.SetPosition(entryPosition);
        output_->Truncate(entryCount);
      }
      return true;
    case TfsGrammarNode::Reference:
      if (!element->rule) throw rtl::Exception(SInvalidLanguage());
      matched = Walk(element->rule, depth + 1);
      break;
    default:
      token = ReadToken(element, isToken);
      matched = !token.empty() && (element->text.empty() || SameToken(token, element->text, parser_.CaseSensitive));
      if (matched && element->kind == TfsGrammarNode::FRString) {
        // An embedded report expression becomes a call of the host's Get.
        AnsiString pos = parser_.GetXYPosition();
        AnsiString at = " pos=\"" + pos + "\"";
        output_->Append("<dsgn" + at + ">");
        output_->Append("<node text=\"Get\"" + at + "/>");
        output_->Append("<expr" + at + ">");
        output_->Append("<string text=\"" + StrToXML("'" + token + "'") + "\"" + at + "/>");
        output_->Append("</expr>");
        output_->Append("</dsgn>");
      }
  }

  const bool isRule = element->kind == TfsGrammarNode::Rule;
  if (!matched) {
    RecordError(element, entryPosition);
  } else {
    if (!isRule && !element->node.empty()) Wrap(element->node, entryPosition, entryCount);
    if (!element->add.empty()) {
      AnsiString value = element->hasAddText ? element->addText : token;
      output_->AppendAdd(
          "<" + element->add + " text=\"" + StrToXML(value) + "\" pos=\"" + parser_.GetXYPosition() + "\"/>",
          element->add, value);
    }
    if (!WalkChildren(element, depth)) {
      matched = false;
      RecordError(element, entryPosition);
    }
  }

  if (isRule && element->node == "uses") {
    IncludeUnits(entryCount);
  } else if (!matched) {
    // An abandoned alternative leaves nothing behind: its text is read again
    // by the next one, so its output must go with it.
    output_->Truncate(entryCount);
  } else if (isRule && !element->node.empty()) {
    Wrap(element->node, entryPosition, entryCount);
  }
  if (!matched) parser_.SetPosition(entryPosition);
  return matched;
}

// ---- units ----

void TfsILParser::IncludeUnits(std::size_t entryCount) {
  std::vector<AnsiString> files = output_->FilesFrom(entryCount);
  output_->Truncate(entryCount);
  // The named units are handled from the last to the first.
  for (auto it = files.rbegin(); it != files.rend(); ++it)
    if (it->size() >= 2) IncludeUnit(it->substr(1, it->size() - 2));
}

AnsiString TfsILParser::ReadUnitText(const AnsiString& unitName) {
  AnsiString text;
  if (site_->GetUnit(unitName, text)) return text;
  AnsiString fileName;
  for (const AnsiString& folder : site_->UnitSearchPath()) {
    fileName = folder.empty() ? unitName : rtl::IncludeTrailingPathDelimiter(folder) + unitName;
    if (rtl::FileExists(fileName)) break;
  }
  rtl::TMemoryStream stream;
  stream.LoadFromFile(fileName.empty() ? unitName : fileName);
  return stream.Bytes();
}

void TfsILParser::IncludeUnit(const AnsiString& unitName) {
  for (const AnsiString& used : UsedUnits)
    if (rtl::AnsiSameText(used, unitName)) return;
  UsedUnits.push_back(unitName);

  AnsiString text = ReadUnitText(unitName);
  AnsiString program;
  if (!text.empty()) {
    TfsILParser unit(*site_);
    unit.script_ = script_;
    unit.UnitName = unitName;
    unit.SelectLanguage(language_);
    unit.UsedUnits = UsedUnits;
    if (unit.MakeILScript(text)) {
      UsedUnits = unit.UsedUnits;
      AnsiString saved = unit.ILScript().SaveToString();
      std::size_t header = saved.find("?>");
      program = header == AnsiString::npos ? saved : saved.substr(header + 2);
    } else {
      if (errorMessage_.empty()) {
        errorMessage_ = unit.ErrorMessage();
        errorPosition_ = unit.ErrorPosition();
        errorTerm_ = false;
      }
      if (site_->ErrorUnitName().empty()) site_->SetErrorUnitName(unitName);
    }
  }
  output_->Append("<uses unit=\"" + StrToXML(unitName) + "\">");
  if (!program.empty()) output_->Append(program);
  output_->Append("</uses>");
}

}  // namespace script
