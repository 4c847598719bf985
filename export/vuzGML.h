// The RTF parser and node tree: an RTF text becomes a tree of control words,
// groups, hexadecimal escapes, control symbols and text runs that can be
// searched, edited and written back. Nodes are slices of the one source text
// until they are given texts of their own, so writing back reproduces the
// source except for CR and LF and the edits made.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

// Every failure of the parser and the tree (the messages are the system's).
using rtl::Exception;
RTL_DECLARE_EXCEPTION(EGmlError, Exception)

// A text given as a slice of the document's source or as a string of its own
// (Data, when not empty).
struct TGmlStr {
  std::int32_t Pos = 0;
  std::int32_t Len = 0;
  AnsiString Data;
};

class TGmlNode;
class TGmlRtf;
class TGmlRtfNode;
// A list of nodes that does not own them (the tree does).
using TGmlNodeList = std::vector<TGmlNode*>;

class TGmlNode {
 public:
  TGmlNode() = default;
  // Frees the sub-node list, not the nodes in it (see DestroyTree).
  virtual ~TGmlNode() = default;
  TGmlNode(const TGmlNode&) = delete;
  TGmlNode& operator=(const TGmlNode&) = delete;

  virtual AnsiString GetHeader() const = 0;
  virtual AnsiString GetBody() const = 0;

  // Frees all descendants, not the node itself.
  void DestroyTree();
  // No sub-node list, or an empty one.
  bool Empty() const { return !subNodes_ || subNodes_->empty(); }
  // Sets the parent of every descendant.
  void UpdateParent();
  // Takes the node out of its parent's list; with free also destroys its
  // subtree and the node itself (do not use the node afterwards then).
  void Remove(bool free);
  // The index in the parent's list; -1 without a parent.
  int SelfSubIndex() const;
  // A new list holding sub-nodes first..last (last -1: the last one). The
  // nodes stay in the tree and are not copied.
  std::unique_ptr<TGmlNodeList> Select(int first, int last = -1) const;
  int NodesCount() const { return subNodes_ ? static_cast<int>(subNodes_->size()) : 0; }
  void SetHeader(const AnsiString& text) { header_.Data = text; }
  void SetBody(const AnsiString& text) { body_.Data = text; }

  TGmlNode* Parent() const { return parent_; }
  const TGmlNodeList* SubNodes() const { return subNodes_.get(); }
  // Gives the node a list of its own (a Select or FindAll result, say); the
  // nodes in it stay owned by their tree.
  void SetSubNodes(std::unique_ptr<TGmlNodeList> list) { subNodes_ = std::move(list); }
  const TGmlStr& Header() const { return header_; }
  const TGmlStr& Body() const { return body_; }

 protected:
  friend class TGmlRtf;
  TGmlStr header_;
  TGmlStr body_;
  TGmlNode* parent_ = nullptr;
  std::unique_ptr<TGmlNodeList> subNodes_;
};

class TGmlRtfNode : public TGmlNode {
 public:
  explicit TGmlRtfNode(TGmlRtf* document = nullptr) : document_(document) {}

  AnsiString GetHeader() const override;
  AnsiString GetBody() const override;
  // The sub-nodes one after the other (a group adds its braces).
  virtual void Serialize(rtl::TStream& stream) const;

  // nullptr for an index outside the sub-nodes.
  TGmlRtfNode* Node(int index) const;
  // The first node below this one, depth first in document order, whose
  // header equals name (exactly); only control words have headers.
  TGmlRtfNode* Find(const AnsiString& name) const;
  // This node and all below it in document order whose header equals name
  // (every node for an empty name), at most limit of them (0: no limit).
  std::unique_ptr<TGmlNodeList> FindAll(const AnsiString& name, int limit = 0);
  // Sub-nodes first..last (last -1: the last one), with one blank after a
  // control word that a text node follows.
  void SerializeSubNodes(rtl::TStream& stream, int first, int last = -1) const;

  TGmlRtf* Document() const { return document_; }
  void SetDocument(TGmlRtf* document) { document_ = document; }

 private:
  friend class TGmlRtf;
  TGmlRtf* document_;
};

// "{" ... "}".
class TGmlRtfGroup : public TGmlRtfNode {
 public:
  using TGmlRtfNode::TGmlRtfNode;
  void Serialize(rtl::TStream& stream) const override;
};

// A run of plain characters; written back without CR and LF.
class TGmlRtfText : public TGmlRtfNode {
 public:
  using TGmlRtfNode::TGmlRtfNode;
  void Serialize(rtl::TStream& stream) const override;
};

// "\" letters [sign digits].
class TGmlRtfControl : public TGmlRtfNode {
 public:
  using TGmlRtfNode::TGmlRtfNode;
  void Serialize(rtl::TStream& stream) const override;
  bool HasValue() const { return hasValue_; }
  // Raises EGmlError for a control word without a value.
  std::int32_t GetValue() const;
  void SetValue(std::int32_t value) {
    value_ = value;
    hasValue_ = true;
  }

 private:
  bool hasValue_ = false;
  std::int32_t value_ = 0;
};

// "\'" and two hexadecimal digits; written back in lower case.
class TGmlRtfNumber : public TGmlRtfNode {
 public:
  TGmlRtfNumber(TGmlRtf* document, std::uint8_t value) : TGmlRtfNode(document), value_(value) {}
  void Serialize(rtl::TStream& stream) const override;
  std::uint8_t Value() const { return value_; }

 private:
  std::uint8_t value_;
};

// "\" and one character that is not a letter ("\\", "\{", "\~", ...).
class TGmlRtfSymbol : public TGmlRtfNode {
 public:
  TGmlRtfSymbol(TGmlRtf* document, char symbol) : TGmlRtfNode(document), symbol_(symbol) {}
  void Serialize(rtl::TStream& stream) const override;
  char Symbol() const { return symbol_; }

 private:
  char symbol_;
};

// A view of one font-table entry group; false when there is no such entry.
class TGmlRtfFont {
 public:
  explicit TGmlRtfFont(TGmlRtfNode* group = nullptr) : group_(group) {}
  explicit operator bool() const { return group_ != nullptr; }
  TGmlRtfNode* Node() const { return group_; }
  // The value of the entry's "f" control word; -1 without one.
  int GetIndex() const;
  // The value of its "fcharset" control word; 0 without one.
  int GetCharset() const;
  // The body of its first text node without one trailing ";"; empty without.
  AnsiString GetName() const;

 private:
  TGmlRtfNode* group_;
};

// One colour-table entry: its three control words, owned by the tree.
class TGmlRtfColor {
 public:
  TGmlRtfColor(TGmlRtfControl* red, TGmlRtfControl* green, TGmlRtfControl* blue)
      : red_(red), green_(green), blue_(blue) {}
  // "\red" R "\green" G "\blue" B, no blanks.
  AnsiString Serialize() const;
  TGmlRtfControl* Red() const { return red_; }
  TGmlRtfControl* Green() const { return green_; }
  TGmlRtfControl* Blue() const { return blue_; }

 private:
  TGmlRtfControl *red_, *green_, *blue_;
};

class TGmlRtf {
 public:
  // Parses the whole text (which must hold two characters at least) and
  // loads its font and colour tables.
  explicit TGmlRtf(const AnsiString& text);
  ~TGmlRtf();
  TGmlRtf(const TGmlRtf&) = delete;
  TGmlRtf& operator=(const TGmlRtf&) = delete;

  // The nodes of first..last (inclusive); nullptr when nothing was
  // recognised. Requires 0 <= first < last < Length().
  std::unique_ptr<TGmlNodeList> Parse(std::int32_t first, std::int32_t last);
  void Serialize(rtl::TStream& stream) const { root_->Serialize(stream); }

  TGmlRtfNode* Root() const { return root_.get(); }
  int FontsCount() const { return static_cast<int>(fonts_ ? fonts_->size() : 0); }
  TGmlRtfFont Font(int index) const;
  bool HasFontTable() const { return fonts_ != nullptr; }
  int ColorsCount() const { return static_cast<int>(colors_ ? colors_->size() : 0); }
  // nullptr outside 0..ColorsCount()-1; colour i is RTF colour number i + 1.
  const TGmlRtfColor* Color(int index) const;
  bool HasColorTable() const { return colors_ != nullptr; }

  std::int32_t Length() const { return static_cast<std::int32_t>(text_.size()); }
  // Raises for an offset outside the text.
  char Char(std::int32_t offset) const;
  AnsiString Copy(std::int32_t offset, std::int32_t length) const;
  AnsiString Copy(const TGmlStr& str) const { return str.Data.empty() ? Copy(str.Pos, str.Len) : str.Data; }
  // Clipped at the end of the text; answers the bytes copied.
  std::int32_t Copy(std::int32_t offset, std::int32_t length, char* buffer) const;

  // Character classes of the scanner.
  static bool IsSpecChar(char c) { return c == '\0' || c == '\\' || c == '{' || c == '}'; }
  static bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsVisible(char c) { return c != '\r' && c != '\n'; }
  // 0..15 for a hexadecimal digit, 255 for anything else.
  static std::uint8_t HexDigit(char c);

  // Groups nested deeper than this are not recognised (the parse stops
  // there), so a hostile text cannot exhaust the stack.
  static constexpr int kMaxGroupDepth = 1000;

  // Drops the font and colour entries that refer to the node or below it
  // (the tree calls it before such nodes are freed).
  void Forget(TGmlNode* node);

 private:
  // What Prepare reads: a byte, or one of the structural characters. They
  // lie outside the byte range so that raw 8-bit text cannot pose as them.
  enum : int { kEnd = 0, kControl = 0x181, kOpen = 0x182, kClose = 0x183 };

  char Current() const;
  char Get();
  void Push();
  void Pop(bool keep);
  int Prepare();
  bool SkipAlpha();
  bool SkipDigit();
  std::unique_ptr<TGmlNodeList> SkipList();
  TGmlRtfNode* SkipControl();
  TGmlRtfNode* SkipGroup();
  TGmlRtfNode* SkipNumber();
  TGmlRtfNode* SkipControlSymbol();
  TGmlRtfNode* SkipText();
  void LoadFonts();
  void LoadColors();

  AnsiString text_;
  std::unique_ptr<TGmlRtfNode> root_;
  std::unique_ptr<std::vector<TGmlRtfNode*>> fonts_;
  std::unique_ptr<std::vector<TGmlRtfColor>> colors_;
  std::int32_t position_ = 0;
  std::int32_t last_ = -1;
  std::vector<std::int32_t> stack_;
  int depth_ = 0;
};

}  // namespace report
