#include "export/vuzGML.h"

#include <algorithm>
#include <unordered_set>

#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

[[noreturn]] void Fail(const char* format, std::initializer_list<rtl::Variant> args) {
  throw EGmlError(rtl::Format(format, args));
}

void Write(rtl::TStream& stream, std::string_view bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace

// ---------------------------------------------------------------- TGmlNode

void TGmlNode::DestroyTree() {
  if (!subNodes_) return;
  for (TGmlNode* n : *subNodes_) {
    n->DestroyTree();
    delete n;
  }
  subNodes_->clear();
}

void TGmlNode::UpdateParent() {
  if (!subNodes_) return;
  for (TGmlNode* n : *subNodes_) {
    n->parent_ = this;
    n->UpdateParent();
  }
}

int TGmlNode::SelfSubIndex() const {
  if (!parent_) return -1;
  const TGmlNodeList* list = parent_->subNodes_.get();
  if (list) {
    auto it = std::find(list->begin(), list->end(), this);
    if (it != list->end()) return static_cast<int>(it - list->begin());
  }
  throw EGmlError("RTF node is not contained in the list of parent's subnodes");
}

void TGmlNode::Remove(bool free) {
  const int index = SelfSubIndex();
  if (index >= 0) parent_->subNodes_->erase(parent_->subNodes_->begin() + index);
  parent_ = nullptr;
  if (free) {
    if (auto* rtf = dynamic_cast<TGmlRtfNode*>(this); rtf && rtf->Document()) rtf->Document()->Forget(this);
    DestroyTree();
    delete this;
  }
}

std::unique_ptr<TGmlNodeList> TGmlNode::Select(int first, int last) const {
  const int count = NodesCount();
  if (last == -1) last = count - 1;
  if (first < 0 || last >= count || first > last) Fail("Invalid range of subnodes [%d, %d]", {first, last});
  return std::make_unique<TGmlNodeList>(subNodes_->begin() + first, subNodes_->begin() + last + 1);
}

// ---------------------------------------------------------------- TGmlRtfNode

AnsiString TGmlRtfNode::GetHeader() const { return document_ ? document_->Copy(header_) : header_.Data; }

AnsiString TGmlRtfNode::GetBody() const { return document_ ? document_->Copy(body_) : body_.Data; }

void TGmlRtfNode::Serialize(rtl::TStream& stream) const {
  if (!Empty()) SerializeSubNodes(stream, 0, -1);
}

TGmlRtfNode* TGmlRtfNode::Node(int index) const {
  if (index < 0 || index >= NodesCount()) return nullptr;
  return static_cast<TGmlRtfNode*>((*subNodes_)[static_cast<std::size_t>(index)]);
}

TGmlRtfNode* TGmlRtfNode::Find(const AnsiString& name) const {
  if (!subNodes_) return nullptr;
  for (TGmlNode* n : *subNodes_) {
    auto* node = static_cast<TGmlRtfNode*>(n);
    if (node->GetHeader() == name) return node;
    if (TGmlRtfNode* hit = node->Find(name)) return hit;
  }
  return nullptr;
}

namespace {

void CollectMatches(TGmlRtfNode* node, const AnsiString& name, int limit, TGmlNodeList& out) {
  if (limit > 0 && static_cast<int>(out.size()) >= limit) return;
  if (name.empty() || node->GetHeader() == name) out.push_back(node);
  for (int i = 0; i < node->NodesCount(); ++i) {
    if (limit > 0 && static_cast<int>(out.size()) >= limit) return;
    CollectMatches(node->Node(i), name, limit, out);
  }
}

}  // namespace

std::unique_ptr<TGmlNodeList> TGmlRtfNode::FindAll(const AnsiString& name, int limit) {
  auto out = std::make_unique<TGmlNodeList>();
  CollectMatches(this, name, limit, *out);
  return out;
}

void TGmlRtfNode::SerializeSubNodes(rtl::TStream& stream, int first, int last) const {
  const int count = NodesCount();
  if (count == 0) return;
  if (last == -1) last = count - 1;
  if (first < 0 || first > last || last >= count) Fail("Invalid range [%d, %d] for serialization", {first, last});
  for (int i = first; i <= last; ++i) {
    const TGmlRtfNode* node = Node(i);
    node->Serialize(stream);
    // The blank that ended the control word keeps it apart from the text.
    if (dynamic_cast<const TGmlRtfControl*>(node) && dynamic_cast<const TGmlRtfText*>(Node(i + 1))) Write(stream, " ");
  }
}

void TGmlRtfGroup::Serialize(rtl::TStream& stream) const {
  Write(stream, "{");
  TGmlRtfNode::Serialize(stream);
  Write(stream, "}");
}

void TGmlRtfText::Serialize(rtl::TStream& stream) const {
  AnsiString text = GetBody();
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }), text.end());
  Write(stream, text);
}

std::int32_t TGmlRtfControl::GetValue() const {
  if (!hasValue_) throw EGmlError("RTF control word doesn't have a value");
  return value_;
}

void TGmlRtfControl::Serialize(rtl::TStream& stream) const {
  Write(stream, "\\" + GetHeader() + (hasValue_ ? std::to_string(value_) : std::string()));
}

void TGmlRtfNumber::Serialize(rtl::TStream& stream) const {
  static const char digits[] = "0123456789abcdef";
  const char text[4] = {'\\', '\'', digits[value_ >> 4], digits[value_ & 15]};
  Write(stream, std::string_view(text, 4));
}

void TGmlRtfSymbol::Serialize(rtl::TStream& stream) const {
  // A "\" that ends the text has no symbol: no NUL byte is made up for it.
  Write(stream, symbol_ == '\0' ? std::string_view("\\") : std::string_view(std::string{'\\', symbol_}));
}

// ---------------------------------------------------------------- fonts and colours

namespace {

const TGmlRtfControl* FirstControl(const TGmlRtfNode* node, const char* name) {
  return dynamic_cast<const TGmlRtfControl*>(node->Find(name));
}

}  // namespace

int TGmlRtfFont::GetIndex() const {
  const TGmlRtfControl* c = group_ ? FirstControl(group_, "f") : nullptr;
  return c && c->HasValue() ? c->GetValue() : -1;
}

int TGmlRtfFont::GetCharset() const {
  const TGmlRtfControl* c = group_ ? FirstControl(group_, "fcharset") : nullptr;
  return c && c->HasValue() ? c->GetValue() : 0;
}

AnsiString TGmlRtfFont::GetName() const {
  if (!group_) return {};
  for (int i = 0; i < group_->NodesCount(); ++i)
    if (auto* text = dynamic_cast<TGmlRtfText*>(group_->Node(i))) {
      AnsiString name = text->GetBody();
      if (!name.empty() && name.back() == ';') name.pop_back();
      return name;
    }
  return {};
}

AnsiString TGmlRtfColor::Serialize() const {
  return rtl::Format("\\red%d\\green%d\\blue%d", {red_->GetValue(), green_->GetValue(), blue_->GetValue()});
}

// ---------------------------------------------------------------- TGmlRtf

TGmlRtf::TGmlRtf(const AnsiString& text) : text_(text), root_(std::make_unique<TGmlRtfNode>(this)) {
  root_->body_ = {0, Length(), {}};
  std::unique_ptr<TGmlNodeList> nodes = Parse(0, Length() - 1);
  if (nodes) root_->subNodes_ = std::move(nodes);
  root_->UpdateParent();
  try {
    if (!root_->Empty()) {
      LoadFonts();
      LoadColors();
    }
  } catch (...) {
    root_->DestroyTree();  // the destructor does not run for a failed constructor
    throw;
  }
}

TGmlRtf::~TGmlRtf() { root_->DestroyTree(); }

std::unique_ptr<TGmlNodeList> TGmlRtf::Parse(std::int32_t first, std::int32_t last) {
  if (first < 0 || first >= last || last >= Length())
    Fail("Range for parsing [%d, %d) is out of bounds [%d, %d)", {first, last + 1, 0, Length()});
  stack_.clear();
  depth_ = 0;
  position_ = first;
  last_ = last;
  std::unique_ptr<TGmlNodeList> result = SkipList();
  stack_.clear();
  stack_.shrink_to_fit();
  return result;
}

TGmlRtfFont TGmlRtf::Font(int index) const {
  if (index < 0 || index >= FontsCount()) return TGmlRtfFont();
  return TGmlRtfFont((*fonts_)[static_cast<std::size_t>(index)]);
}

const TGmlRtfColor* TGmlRtf::Color(int index) const {
  if (index < 0 || index >= ColorsCount()) return nullptr;
  return &(*colors_)[static_cast<std::size_t>(index)];
}

char TGmlRtf::Char(std::int32_t offset) const {
  if (offset < 0 || offset >= Length())
    Fail("The specified index %d is out of bounds [%d, %d]", {offset, 0, Length() - 1});
  return text_[static_cast<std::size_t>(offset)];
}

std::int32_t TGmlRtf::Copy(std::int32_t offset, std::int32_t length, char* buffer) const {
  if (offset < 0 || length <= 0 || offset >= Length()) return 0;
  const std::int32_t n = std::min(length, Length() - offset);
  std::copy_n(text_.data() + offset, n, buffer);
  return n;
}

AnsiString TGmlRtf::Copy(std::int32_t offset, std::int32_t length) const {
  if (length < 0) Fail("Failed to allocate %d bytes", {length});
  AnsiString s(static_cast<std::size_t>(length), '\0');
  s.resize(static_cast<std::size_t>(Copy(offset, length, s.data())));
  return s;
}

std::uint8_t TGmlRtf::HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return 255;
}

void TGmlRtf::Forget(TGmlNode* node) {
  auto* rtf = dynamic_cast<TGmlRtfNode*>(node);
  if (!rtf) return;
  std::unique_ptr<TGmlNodeList> gone = rtf->FindAll({}, 0);
  const std::unordered_set<TGmlNode*> set(gone->begin(), gone->end());
  if (fonts_)
    fonts_->erase(std::remove_if(fonts_->begin(), fonts_->end(), [&](TGmlRtfNode* f) { return set.count(f) > 0; }),
                  fonts_->end());
  if (colors_)
    colors_->erase(std::remove_if(colors_->begin(), colors_->end(),
                                  [&](const TGmlRtfColor& c) {
                                    return set.count(c.Red()) || set.count(c.Green()) || set.count(c.Blue());
                                  }),
                   colors_->end());
}

// ---------------------------------------------------------------- scanner

char TGmlRtf::Current() const { return position_ > last_ ? '\0' : text_[static_cast<std::size_t>(position_)]; }

char TGmlRtf::Get() {
  const char c = Current();
  if (c != '\0') ++position_;
  return c;
}

void TGmlRtf::Push() { stack_.push_back(position_); }

void TGmlRtf::Pop(bool keep) {
  if (stack_.empty()) throw EGmlError("Parser stack is empty");
  if (!keep) position_ = stack_.back();
  stack_.pop_back();
}

int TGmlRtf::Prepare() {
  const char c = Get();
  switch (c) {
    case '\0': return kEnd;
    case '{': return kOpen;
    case '}': return kClose;
    case '\\': {
      const char next = Current();
      if (next == '\\' || next == '{' || next == '}') return static_cast<unsigned char>(Get());
      return kControl;
    }
    default: return static_cast<unsigned char>(c);
  }
}

bool TGmlRtf::SkipAlpha() {
  if (!IsAlpha(Current())) return false;
  Get();
  return true;
}

bool TGmlRtf::SkipDigit() {
  if (!IsDigit(Current())) return false;
  Get();
  return true;
}

std::unique_ptr<TGmlNodeList> TGmlRtf::SkipList() {
  auto list = std::make_unique<TGmlNodeList>();
  try {
    for (;;) {
      TGmlRtfNode* node = SkipControl();
      if (!node) node = SkipGroup();
      if (!node) node = SkipNumber();
      if (!node) node = SkipControlSymbol();
      if (!node) node = SkipText();
      if (!node) break;
      list->push_back(node);
    }
  } catch (...) {
    // A number out of range ends the parse: free what was built.
    for (TGmlNode* n : *list) {
      n->DestroyTree();
      delete n;
    }
    throw;
  }
  if (list->empty()) return nullptr;
  return list;
}

TGmlRtfNode* TGmlRtf::SkipControl() {
  Push();
  const std::int32_t start = position_;
  if (Prepare() != kControl) {
    Pop(false);
    return nullptr;
  }
  const std::int32_t letters = position_;
  for (int i = 0; i < 32 && SkipAlpha(); ++i) {
  }
  if (position_ == letters) {
    Pop(false);
    return nullptr;
  }
  auto control = std::make_unique<TGmlRtfControl>(this);
  control->header_ = {letters, position_ - letters, {}};
  const std::int32_t signAt = position_;
  const char sign = Current();
  if (sign == '+' || sign == '-') Get();
  const std::int32_t digits = position_;
  for (int i = 0; i < 10 && SkipDigit(); ++i) {
  }
  if (position_ > digits) {
    // The sign belongs to the number; "+" is not written back.
    const AnsiString number = (sign == '-' ? "-" : "") + Copy(digits, position_ - digits);
    control->SetValue(rtl::StrToInt(number));
  } else {
    // A sign without digits is not the control word's: it stays text.
    position_ = signAt;
  }
  if (Current() == ' ') Get();
  control->body_ = {start, position_ - start, {}};
  Pop(true);
  return control.release();
}

TGmlRtfNode* TGmlRtf::SkipGroup() {
  Push();
  const std::int32_t start = position_;
  if (Prepare() != kOpen || depth_ >= kMaxGroupDepth) {
    Pop(false);
    return nullptr;
  }
  auto group = std::make_unique<TGmlRtfGroup>(this);
  ++depth_;  // Parse starts again from 0 after a failure
  std::unique_ptr<TGmlNodeList> contents = SkipList();
  --depth_;
  if (contents) group->subNodes_ = std::move(contents);
  // An empty group "{}" is a group too: the text after it is not lost.
  if (Prepare() != kClose) {
    group->DestroyTree();
    Pop(false);
    return nullptr;
  }
  group->body_ = {start, position_ - start, {}};
  Pop(true);
  return group.release();
}

TGmlRtfNode* TGmlRtf::SkipNumber() {
  if (position_ + 3 > last_) return nullptr;
  const char* p = text_.data() + position_;
  if (p[0] != '\\' || p[1] != '\'') return nullptr;
  const std::uint8_t hi = HexDigit(p[2]), lo = HexDigit(p[3]);
  if (hi > 15 || lo > 15) return nullptr;
  auto* number = new TGmlRtfNumber(this, static_cast<std::uint8_t>(hi * 16 + lo));
  number->body_ = {position_, 4, {}};
  position_ += 4;
  return number;
}

TGmlRtfNode* TGmlRtf::SkipControlSymbol() {
  if (Current() != '\\') return nullptr;
  Push();
  const std::int32_t start = position_;
  Get();
  const char symbol = Get();
  if (IsAlpha(symbol)) {
    Pop(false);
    return nullptr;
  }
  auto* node = new TGmlRtfSymbol(this, symbol);
  node->body_ = {start, position_ - start, {}};
  Pop(true);
  return node;
}

TGmlRtfNode* TGmlRtf::SkipText() {
  const std::int32_t start = position_;
  while (!IsSpecChar(Current())) Get();
  if (position_ == start) return nullptr;
  auto* text = new TGmlRtfText(this);
  text->body_ = {start, position_ - start, {}};
  return text;
}

void TGmlRtf::LoadFonts() {
  TGmlRtfNode* table = root_->Find("fonttbl");
  if (!table) return;
  fonts_ = std::make_unique<std::vector<TGmlRtfNode*>>();
  auto* parent = static_cast<TGmlRtfNode*>(table->Parent());
  for (int i = table->SelfSubIndex() + 1; i < parent->NodesCount(); ++i)
    if (auto* group = dynamic_cast<TGmlRtfGroup*>(parent->Node(i))) fonts_->push_back(group);
}

void TGmlRtf::LoadColors() {
  TGmlRtfNode* table = root_->Find("colortbl");
  if (!table) return;
  colors_ = std::make_unique<std::vector<TGmlRtfColor>>();
  auto* parent = static_cast<TGmlRtfNode*>(table->Parent());
  TGmlRtfControl* slots[3] = {nullptr, nullptr, nullptr};
  static const char* const names[3] = {"red", "green", "blue"};
  for (int i = table->SelfSubIndex() + 1; i < parent->NodesCount(); ++i) {
    auto* control = dynamic_cast<TGmlRtfControl*>(parent->Node(i));
    if (!control) continue;
    const AnsiString name = control->GetHeader();
    for (int s = 0; s < 3; ++s) {
      if (name != names[s]) continue;
      if (slots[s]) throw EGmlError("Invalid RTF color table");
      slots[s] = control;
    }
    if (slots[0] && slots[1] && slots[2]) {
      colors_->emplace_back(slots[0], slots[1], slots[2]);
      slots[0] = slots[1] = slots[2] = nullptr;
    }
  }
  if (slots[0] || slots[1] || slots[2]) throw EGmlError("Invalid RTF color table");
}

}  // namespace report
