// The RTF parser and node tree: what text becomes which nodes, how it is
// written back, the font and colour tables, the tree operations and errors.
#include <gtest/gtest.h>

#include <random>

#include "export/vuzGML.h"
#include "platform/rtl/exceptions.h"

namespace {

using report::EGmlError;
using report::TGmlRtf;
using report::TGmlRtfControl;
using report::TGmlRtfGroup;
using report::TGmlRtfNode;
using report::TGmlRtfNumber;
using report::TGmlRtfSymbol;
using report::TGmlRtfText;

std::string Written(const TGmlRtf& rtf) {
  rtl::TMemoryStream out;
  rtf.Serialize(out);
  return out.Bytes();
}

std::string RoundTrip(const std::string& text) {
  TGmlRtf rtf(text);
  return Written(rtf);
}

const char kDocument[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\f0\\cf1\\fs20 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 world\\par\r\n}";

TEST(GmlRtf, WritesBackWhatItReads) {
  struct Case {
    const char* what;
    std::string in, out;
  };
  const std::string a32(32, 'a');
  const Case cases[] = {
      {"plain document", "{\\rtf1\\ansi hello}", "{\\rtf1\\ansi hello}"},
      {"blank after a value, then text", "\\fs20 text", "\\fs20 text"},
      {"blank before a control word is not needed", "\\par \\pard x", "\\par\\pard x"},
      {"text right after digits gets its blank", "\\b1bold", "\\b1 bold"},
      {"several blanks: one goes with the control", "\\b   x", "\\b   x"},
      {"hex in lower case", "\\'E0\\'e0\\'aF", "\\'e0\\'e0\\'af"},
      {"\\' before a non-hex character", "\\'zz", "\\'zz"},
      {"\\' with one hex digit", "\\'az", "\\'az"},
      {"escaped specials", "\\\\\\{\\}x", "\\\\\\{\\}x"},
      {"control symbols", "\\~\\-\\_\\*x", "\\~\\-\\_\\*x"},
      {"33-letter word: the 33rd letter is text", "\\" + a32 + "b", "\\" + a32 + " b"},
      {"minus sign", "\\li-120 x", "\\li-120 x"},
      {"plus sign is dropped", "\\li+120 x", "\\li120 x"},
      {"a sign without digits stays text", "\\foo-bar", "\\foo -bar"},
      {"CR and LF dropped", "{\\rtf1 a\r\nb\rc\nd}\r\n", "{\\rtf1 abcd}"},
      {"line break after a control word", "\\par\r\nNext", "\\par Next"},
      {"empty group keeps the rest", "{\\rtf1{}after{}}", "{\\rtf1{}after{}}"},
      {"empty group alone", "{}", "{}"},
      {"raw 8-bit text that looks like structure", "\\par \x81\x82\x83 x", "\\par \x81\x82\x83 x"},
      {"backslash at the very end", "ab\\", "ab\\"},
      {"unbalanced close ends the parse", "ab}cd", "ab"},
      {"unclosed group is not a group", "x{\\b y", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(RoundTrip(c.in), c.out) << c.what;
}

TEST(GmlRtf, NodeKinds) {
  TGmlRtf rtf("\\b1 x\\'e0\\'zz{\\i}\\\\");
  TGmlRtfNode* root = rtf.Root();
  ASSERT_EQ(root->NodesCount(), 7);
  auto* b = dynamic_cast<TGmlRtfControl*>(root->Node(0));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetHeader(), "b");
  EXPECT_EQ(b->GetValue(), 1);
  auto* x = dynamic_cast<TGmlRtfText*>(root->Node(1));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->GetBody(), "x") << "the blank went with the control word";
  auto* hex = dynamic_cast<TGmlRtfNumber*>(root->Node(2));
  ASSERT_NE(hex, nullptr);
  EXPECT_EQ(hex->Value(), 0xE0);
  auto* quote = dynamic_cast<TGmlRtfSymbol*>(root->Node(3));
  ASSERT_NE(quote, nullptr);
  EXPECT_EQ(quote->Symbol(), '\'');
  EXPECT_EQ(root->Node(4)->GetBody(), "zz");
  auto* group = dynamic_cast<TGmlRtfGroup*>(root->Node(5));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->NodesCount(), 1);
  EXPECT_EQ(group->Node(0)->Parent(), group);
  EXPECT_EQ(dynamic_cast<TGmlRtfSymbol*>(root->Node(6))->Symbol(), '\\');
  EXPECT_EQ(root->Node(7), nullptr);
  EXPECT_EQ(root->Node(-1), nullptr);
  EXPECT_FALSE(dynamic_cast<TGmlRtfControl*>(group->Node(0))->HasValue());
}

TEST(GmlRtf, FontAndColourTables) {
  TGmlRtf rtf(kDocument);
  ASSERT_EQ(rtf.FontsCount(), 1);
  EXPECT_EQ(rtf.Font(0).GetIndex(), 0);
  EXPECT_EQ(rtf.Font(0).GetCharset(), 204);
  EXPECT_EQ(rtf.Font(0).GetName(), "Arial");
  EXPECT_FALSE(rtf.Font(1));
  EXPECT_FALSE(rtf.Font(-1));
  ASSERT_EQ(rtf.ColorsCount(), 1) << "the automatic entry makes no colour";
  EXPECT_EQ(rtf.Color(0)->Serialize(), "\\red255\\green0\\blue0");
  EXPECT_EQ(rtf.Color(1), nullptr);
  TGmlRtfNode* pard = rtf.Root()->Find("pard");
  ASSERT_NE(pard, nullptr);
  EXPECT_EQ(pard->Parent()->Parent(), rtf.Root());
  // A blank keeps a control word from text that follows it (";" too), the
  // one before "\\'cf" goes, and the line break at the end leaves a blank.
  EXPECT_EQ(RoundTrip(kDocument),
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}{\\colortbl ;\\red255\\green0\\blue0 ;}"
            "\\viewkind4\\uc1\\pard\\f0\\cf1\\fs20\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 world\\par }");
}

TEST(GmlRtf, FontTableVariants) {
  struct Case {
    const char* text;
    int count, index, charset;
    const char* name;
  };
  const Case cases[] = {
      {"{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fnil Courier New;}}", 2, 0, 204, "Arial"},
      {"{\\fonttbl{\\fnil Times;}}", 1, -1, 0, "Times"},  // no number, no charset
      {"{\\fonttbl{\\f3\\fcharset0}}", 1, 3, 0, ""},      // no name
      {"{\\fonttbl{\\f2 Name;;}}", 1, 2, 0, "Name;"},     // one ";" removed
      {"{\\fonttbl\\f0\\fnil Arial;}", 0, -1, 0, ""},     // entries without groups
  };
  for (const Case& c : cases) {
    TGmlRtf rtf(c.text);
    SCOPED_TRACE(c.text);
    EXPECT_TRUE(rtf.HasFontTable());
    ASSERT_EQ(rtf.FontsCount(), c.count);
    if (c.count == 0) continue;
    EXPECT_EQ(rtf.Font(0).GetIndex(), c.index);
    EXPECT_EQ(rtf.Font(0).GetCharset(), c.charset);
    EXPECT_EQ(rtf.Font(0).GetName(), c.name);
  }
  TGmlRtf none("{\\rtf1 x}");
  EXPECT_FALSE(none.HasFontTable());
  EXPECT_FALSE(none.HasColorTable());
}

TEST(GmlRtf, Errors) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"", "Range for parsing [0, 0) is out of bounds [0, 0)"},
      {"x", "Range for parsing [0, 1) is out of bounds [0, 1)"},
      {"{\\colortbl;\\red255\\green0;}", "Invalid RTF color table"},  // no blue
      {"{\\colortbl;\\red1\\red2\\green0\\blue0;}", "Invalid RTF color table"},
  };
  for (const Case& c : cases) {
    try {
      TGmlRtf rtf(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const EGmlError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_THROW(TGmlRtf("\\li99999999999 x"), rtl::EConvertError);
  EXPECT_THROW(TGmlRtf("{\\b\\li2147483648}"), rtl::EConvertError);
  EXPECT_NO_THROW(TGmlRtf("\\li-2147483648 x"));
}

template <class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const EGmlError& e) {
    return e.what();
  }
  return "no error";
}

TEST(GmlRtf, TreeOperationErrors) {
  TGmlRtf rtf("{\\rtf1 a}\\b x");
  TGmlRtfNode* root = rtf.Root();
  rtl::TMemoryStream out;
  EXPECT_EQ(MessageOf([&] { rtf.Char(13); }), "The specified index 13 is out of bounds [0, 12]");
  EXPECT_EQ(MessageOf([&] { rtf.Char(-1); }), "The specified index -1 is out of bounds [0, 12]");
  EXPECT_EQ(rtf.Char(12), 'x');
  EXPECT_EQ(MessageOf([&] { root->Select(2, 1); }), "Invalid range of subnodes [2, 1]");
  EXPECT_EQ(MessageOf([&] { root->Select(0, 3); }), "Invalid range of subnodes [0, 3]");
  EXPECT_EQ(MessageOf([&] { root->SerializeSubNodes(out, 2, 1); }), "Invalid range [2, 1] for serialization");
  EXPECT_EQ(MessageOf([&] { static_cast<TGmlRtfControl*>(root->Node(1))->GetValue(); }),
            "RTF control word doesn't have a value");
  EXPECT_EQ(MessageOf([&] { rtf.Parse(3, 3); }), "Range for parsing [3, 4) is out of bounds [0, 13)");
  EXPECT_EQ(MessageOf([&] { rtf.Parse(0, 13); }), "Range for parsing [0, 14) is out of bounds [0, 13)");
  EXPECT_EQ(rtf.Copy(11, 100), " x");
  EXPECT_EQ(rtf.Copy(20, 2), "");
  EXPECT_EQ(MessageOf([&] { rtf.Copy(0, -1); }), "Failed to allocate -1 bytes");
  // A node whose parent no longer lists it.
  TGmlRtfNode* inner = root->Node(0)->Node(0);
  auto detached = root->Node(0)->Select(0);  // keep the nodes reachable for freeing
  root->Node(0)->SetSubNodes(std::make_unique<report::TGmlNodeList>());
  EXPECT_EQ(MessageOf([&] { inner->SelfSubIndex(); }), "RTF node is not contained in the list of parent's subnodes");
  root->Node(0)->SetSubNodes(std::move(detached));
  EXPECT_EQ(inner->SelfSubIndex(), 0);
  EXPECT_EQ(root->SelfSubIndex(), -1);
}

TEST(GmlRtf, FindSelectAndRemove) {
  TGmlRtf rtf(kDocument);
  TGmlRtfNode* root = rtf.Root();
  auto all = root->FindAll("");
  EXPECT_EQ((*all)[0], root) << "the node itself comes first";
  auto cfs = root->FindAll("cf");
  ASSERT_EQ(cfs->size(), 1u);
  EXPECT_EQ(static_cast<TGmlRtfControl*>((*cfs)[0])->GetValue(), 1);
  EXPECT_EQ(root->FindAll("f", 1)->size(), 1u);
  EXPECT_EQ(root->FindAll("", 3)->size(), 3u);
  EXPECT_EQ(root->Find("nothing"), nullptr);
  EXPECT_EQ(root->Find("FS"), nullptr) << "names are case-sensitive";

  // What the RTF export does with a memo: the body from the paragraph reset
  // on, without resets, renumbered.
  TGmlRtfNode* pard = rtf.Root()->Find("pard");
  auto* body = static_cast<TGmlRtfNode*>(pard->Parent());
  const int at = pard->SelfSubIndex();
  const auto resets = root->FindAll("pard");
  for (auto* n : *resets) n->Remove(true);
  TGmlRtfGroup group(&rtf);
  group.SetSubNodes(body->Select(at));
  const auto colours = group.FindAll("cf");
  for (auto* n : *colours) static_cast<TGmlRtfControl*>(n)->SetValue(7);
  rtl::TMemoryStream out;
  group.Serialize(out);
  EXPECT_EQ(out.Bytes(), "{\\f0\\cf7\\fs20\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 world\\par }");
  // The group frees only its list: the tree is intact.
  EXPECT_EQ(rtf.Root()->Find("viewkind")->Parent(), body);

  // Removing a table entry drops it from the tables instead of leaving a
  // dangling entry behind.
  rtf.Font(0).Node()->Remove(true);
  EXPECT_EQ(rtf.FontsCount(), 0);
  static_cast<TGmlRtfNode*>(rtf.Root()->Find("colortbl")->Parent())->Remove(true);
  EXPECT_EQ(rtf.ColorsCount(), 0);
  EXPECT_EQ(Written(rtf).find("colortbl"), std::string::npos);
}

TEST(GmlRtf, SetHeaderAndBodyReplaceTheSlices) {
  TGmlRtf rtf("\\b bold\\i0 x");
  rtf.Root()->Node(0)->SetHeader("ul");
  rtf.Root()->Node(1)->SetBody("under");
  EXPECT_EQ(Written(rtf), "\\ul under\\i0 x");
  EXPECT_EQ(rtf.Root()->Find("ul"), rtf.Root()->Node(0));
}

// Hostile texts end in a tree or an error, never in a crash.
TEST(GmlRtf, HostileTexts) {
  const std::string deep(200000, '{');
  const std::string deepClosed = std::string(5000, '{') + "x" + std::string(5000, '}');
  const std::string backslashes(100001, '\\');
  const std::string nested = [] {
    std::string s;
    for (int i = 0; i < report::TGmlRtf::kMaxGroupDepth; ++i) s += "{\\b";
    s += " x";
    for (int i = 0; i < report::TGmlRtf::kMaxGroupDepth; ++i) s += "}";
    return s;
  }();
  for (const std::string* text : {&deep, &deepClosed, &backslashes, &nested}) {
    TGmlRtf rtf(*text);
    Written(rtf);
  }
  EXPECT_EQ(RoundTrip(nested), nested) << "groups up to the depth limit are read";
  EXPECT_EQ(RoundTrip(deepClosed), "") << "deeper groups are not";
}

// Well-formed RTF in the form the writer uses (a blank after a control word
// exactly when text follows, lower-case hex, no "+" signs, no leading zeros)
// with line breaks anywhere in text: parsing and writing back gives the text
// without its CR and LF.
class RtfGenerator {
 public:
  explicit RtfGenerator(unsigned seed) : random_(seed) {}

  std::string Document() {
    out_.clear();
    lastWasControl_ = false;
    Group(0);
    if (Chance(3)) Text();
    return out_;
  }

 private:
  bool Chance(int oneIn) { return std::uniform_int_distribution<int>(0, oneIn - 1)(random_) == 0; }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

  void Emit(const std::string& s, bool control) {
    out_ += s;
    lastWasControl_ = control;
  }

  void Control() {
    std::string word = "\\";
    for (int n = Between(1, 10); n > 0; --n)
      word += static_cast<char>(Chance(4) ? 'A' + Between(0, 25) : 'a' + Between(0, 25));
    if (Chance(2)) {
      const int value = Between(0, 999999999);
      if (value != 0 && Chance(3)) word += '-';  // "-0" would come back as "0"
      word += std::to_string(value);
    }
    Emit(word, true);
  }

  void Text() {
    static const std::string chars = "abcXYZ 0123456789.,;:'\"!?()[]<>-+=*/&%$#@^_~|`\xC0\xE0\xFF\x80\x81\x82\x83\t";
    std::string text = lastWasControl_ ? " " : "";
    for (int n = Between(1, 12); n > 0; --n) {
      const int kind = Between(0, 9);
      if (kind == 0)
        text += "\r\n";
      else if (kind == 1)
        text += Chance(2) ? "\r" : "\n";
      else
        text += chars[static_cast<std::size_t>(Between(0, static_cast<int>(chars.size()) - 1))];
    }
    Emit(text, false);
  }

  void Group(int depth) {
    Emit("{", false);
    bool lastText = false;
    for (int n = Between(0, 8); n > 0; --n) {
      const int kind = Between(0, 9);
      if (kind <= 2) {
        Control();
        lastText = false;
      } else if (kind <= 4 && !lastText) {
        Text();  // two text runs in a row would read as one
        lastText = true;
      } else if (kind == 5 && depth < 6) {
        Group(depth + 1);
        lastText = false;
      } else if (kind == 6) {
        static const char hex[] = "0123456789abcdef";
        Emit(std::string("\\'") + hex[Between(0, 15)] + hex[Between(0, 15)], false);
        lastText = false;
      } else if (kind == 7) {
        static const std::string symbols = "\\{}~-_*|:";
        Emit(std::string("\\") + symbols[static_cast<std::size_t>(Between(0, 8))], false);
        lastText = false;
      }
    }
    Emit("}", false);
  }

  std::mt19937 random_;
  std::string out_;
  bool lastWasControl_ = false;
};

std::string WithoutLineBreaks(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }), s.end());
  return s;
}

TEST(GmlRtf, RoundTripOfWellFormedTextsDropsOnlyLineBreaks) {
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    RtfGenerator generator(seed);
    const std::string text = generator.Document();
    ASSERT_EQ(RoundTrip(text), WithoutLineBreaks(text)) << "seed " << seed << ": " << text;
  }
}

}  // namespace
