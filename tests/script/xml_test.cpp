#include <gtest/gtest.h>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "script/fs_xml.h"

using namespace script;

namespace {

const char kHeader[] = "<?xml version=\"1.0\"?>";

}  // namespace

TEST(ScriptXml, LoadsTreeAndWritesItBackIndented) {
  TfsXMLDocument doc;
  doc.LoadFromString(std::string(kHeader) + "<a x=\"1\"><b/><c y=\"2\"/></a>");
  TfsXMLItem* a = doc.Root();
  EXPECT_EQ(a->Name, "a");
  EXPECT_EQ(a->Text, "x=\"1\"");
  ASSERT_EQ(a->Count(), 2);
  EXPECT_EQ(a->Items(0)->Name, "b");
  EXPECT_EQ(a->Items(0)->Text, "");
  EXPECT_EQ(a->Items(1)->Name, "c");
  EXPECT_EQ(a->Items(1)->Text, "y=\"2\"");
  EXPECT_EQ(a->Items(1)->Parent(), a);

  doc.IndentOutput = true;
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\r\n<a x=\"1\">\r\n  <b/>\r\n  <c y=\"2\"/>\r\n</a>\r\n");
  doc.IndentOutput = false;
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?><a x=\"1\"><b/><c y=\"2\"/></a>");
}

TEST(ScriptXml, ReaderSkipsTextAndComments) {
  struct Case {
    const char* body;
    int children;
  } cases[] = {
      {"<a>some text<b/>more</a>", 1},
      {"<a><!-- a comment with > inside --><b/></a>", 1},
      {"<a><!-- three dashes --->still comment --><b/></a>", 1},
      {"<a><!----><b/><c/></a>", 2},
      {"<a>\r\n  <b/>\r\n</a>", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    TfsXMLDocument doc;
    doc.LoadFromString(std::string(kHeader) + c.body);
    EXPECT_EQ(doc.Root()->Name, "a");
    EXPECT_EQ(doc.Root()->Count(), c.children);
  }
}

TEST(ScriptXml, MalformedDocumentsRaiseInvalidFileFormat) {
  const char* cases[] = {
      "<a></a>",                    // no header
      "<?xml?><a><b <c/></b></a>",  // less-than inside a tag
      "<?xml?><a><b/",              // stream ends inside a tag
      "<?xml?><a><b></c></a>",      // closing tag of another element
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    TfsXMLDocument doc;
    try {
      doc.LoadFromString(text);
      ADD_FAILURE() << "no error";
    } catch (const rtl::Exception& e) {
      EXPECT_STREQ(e.what(), "Invalid file format");
    }
  }
}

TEST(ScriptXml, ClosingTagIgnoresCaseAndUnclosedEndIsAccepted) {
  TfsXMLDocument doc;
  doc.LoadFromString(std::string(kHeader) + "<abc><d></D></ABC>");
  EXPECT_EQ(doc.Root()->Count(), 1);
  doc.LoadFromString(std::string(kHeader) + "<abc><d><e/>");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Count(), 1);
}

TEST(ScriptXml, FailedLoadKeepsWhatWasRead) {
  TfsXMLDocument doc;
  EXPECT_THROW(doc.LoadFromString(std::string(kHeader) + "<a><b/><c/></x>"), rtl::Exception);
  EXPECT_EQ(doc.Root()->Count(), 2);
}

TEST(ScriptXml, DeepNestingIsRefusedNotOverflowed) {
  std::string text = kHeader;
  for (int i = 0; i < 100000; ++i) text += "<a>";
  TfsXMLDocument doc;
  EXPECT_THROW(doc.LoadFromString(text), rtl::Exception);
}

TEST(ScriptXml, ReaderLeavesStreamBehindLastTag) {
  rtl::TMemoryStream stream(std::string(kHeader) + "<a/>TAIL");
  {
    TfsXMLDocument doc;
    doc.LoadFromStream(stream);
  }
  EXPECT_EQ(stream.ReadRest(), "TAIL");
}

TEST(ScriptXml, PropertiesAreFoundByNameNotBySubstring) {
  TfsXMLItem item;
  item.Text = "a=\"x b=&#34;1&#34;\" b=\"2\"";
  // The value of a holds ` b="` text: only the real attribute b counts.
  EXPECT_EQ(item.GetProp("b"), "2");
  EXPECT_EQ(item.GetProp("a"), "x b=\"1\"");
  item.Text = "a=\"x b=\" c=\"3\"";
  EXPECT_FALSE(item.PropExists("b"));
  EXPECT_EQ(item.GetProp("C"), "3");
  item.Text = "name=\"unterminated";
  EXPECT_TRUE(item.PropExists("name"));
  EXPECT_EQ(item.GetProp("name"), "");
}

TEST(ScriptXml, SetPropReplacesInPlaceOrAppends) {
  TfsXMLItem item;
  item.SetProp("a", "1");
  EXPECT_EQ(item.Text, "a=\"1\"");
  item.SetProp("b", "2");
  item.SetProp("c", "3");
  EXPECT_EQ(item.Text, "a=\"1\" b=\"2\" c=\"3\"");
  item.SetProp("B", "say \"hi\" & <go>");
  EXPECT_EQ(item.Text, "a=\"1\" B=\"say &#34;hi&#34; &#38; &#60;go&#62;\" c=\"3\"");
  EXPECT_EQ(item.GetProp("b"), "say \"hi\" & <go>");
  item.Text = "a=\"open";
  item.SetProp("a", "closed");
  EXPECT_EQ(item.Text, "a=\"closed\"");
}

TEST(ScriptXml, TextEscapesRoundTrip) {
  // Every one of these must come back unchanged through an attribute.
  const char* texts[] = {"plain", "&#65;",         "&quot;", "&",  "a&b",         "<tag>",
                         "\"q\"", "line\r\nbreak", "&amp;",  "x&", "\xC0\xE1\xE2"};
  for (const char* t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(XMLToStr(StrToXML(t)), t);
    TfsXMLDocument doc;
    doc.Root()->Name = "s";
    doc.Root()->SetProp("text", t);
    TfsXMLDocument back;
    back.LoadFromString(doc.SaveToString());
    EXPECT_EQ(back.Root()->GetProp("text"), t);
  }
}

TEST(ScriptXml, ReadsOldEscapes) {
  struct Case {
    const char* stored;
    const char* read;
  } cases[] = {
      {"&#34;", "\""},    {"&quot;", "\""},         {"a&#60;b", "a<b"}, {"&lt;", "&lt;"},
      {"&amp;", "&amp;"}, {"&#65;&#66;", "AB"},     {"&#321;", "A"},    {"&", "&"},
      {"&#65", "&#65"},   {"&#6", "&#6"},           {"x&#", "x&#"},     {"&#12345678", "&#12345678"},
      {"&quot", "&quot"}, {"&#38;quot;", "&quot;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(XMLToStr(c.stored), c.read);
  }
  EXPECT_THROW(XMLToStr("&#x41;"), rtl::EConvertError);
}

TEST(ScriptXml, ValueToXmlByKind) {
  EXPECT_EQ(ValueToXML(rtl::Variant(42)), "42");
  EXPECT_EQ(ValueToXML(rtl::Variant(int64_t{5000000000})), "5000000000");
  EXPECT_EQ(ValueToXML(rtl::Variant(true)), "1");
  EXPECT_EQ(ValueToXML(rtl::Variant(false)), "0");
  EXPECT_EQ(ValueToXML(rtl::Variant("a<b")), "a&#60;b");
  EXPECT_EQ(ValueToXML(rtl::Variant()), "");
  EXPECT_EQ(ValueToXML(rtl::Variant::Null()), "");
}

TEST(ScriptXml, TreeOperations) {
  TfsXMLItem root;
  TfsXMLItem* a = root.Add();
  a->Name = "a";
  TfsXMLItem* b = root.FindItem("B");
  EXPECT_EQ(b->Name, "B");
  EXPECT_EQ(root.Find("b"), 1);
  EXPECT_EQ(root.FindItem("A"), a);
  EXPECT_EQ(root.Find("missing"), -1);

  root.AddItem(a);  // re-adding moves it to the end
  EXPECT_EQ(root.IndexOf(a), 1);
  TfsXMLItem* c = new TfsXMLItem;
  root.InsertItem(0, c);
  EXPECT_EQ(root.IndexOf(c), 0);
  EXPECT_EQ(c->Root(), &root);

  a->Add()->Name = "child";
  TfsXMLItem copy;
  copy.Assign(&root);
  ASSERT_EQ(copy.Count(), 3);
  copy.Items(2)->Items(0)->Name = "changed";
  EXPECT_EQ(a->Items(0)->Name, "child");

  delete b;  // leaves its parent's list
  EXPECT_EQ(root.Count(), 2);
  TfsXMLItem other;
  other.AddItem(c);  // moves between parents
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(c->Parent(), &other);
}
