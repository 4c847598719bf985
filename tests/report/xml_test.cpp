#include <gtest/gtest.h>

#include <algorithm>

#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using rtl::TMemoryStream;
using namespace rtl::literals;

namespace {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

std::unique_ptr<TfrxXMLDocument> Parse(const std::string& text, bool partial = false) {
  auto doc = std::make_unique<TfrxXMLDocument>();
  doc->LoadFromStream(std::make_unique<TMemoryStream>(text), partial);
  return doc;
}

std::string Save(TfrxXMLDocument& doc) {
  TMemoryStream out;
  doc.SaveToStream(out);
  return out.Bytes();
}

}  // namespace

TEST(XMLReader, ReadsRootAttributesAndChildren) {
  auto doc = Parse(kHeader + "\r\n<a x=\"1\">\r\n  <b/>\r\n</a>\r\n");
  TfrxXMLItem* a = doc->Root();
  EXPECT_EQ(a->Name, "a");
  EXPECT_EQ(a->GetProp("x"), "1");
  ASSERT_EQ(a->Count(), 1);
  EXPECT_EQ(a->Items(0)->Name, "b");
  EXPECT_EQ(a->Items(0)->Parent(), a);
  EXPECT_TRUE(doc->OldVersion());
}

TEST(XMLReader, HeaderDecidesTheOldFormatFlag) {
  struct Case {
    std::string header;
    bool old;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", true},
      {"<?xml version=\"1.0\" standalone=\"no\"?>", false},
      {"<?xml version=\"1.1\" encoding=\"utf-8\"?>", false},
      {"<?xml?>", false},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.header + "<r/>")->OldVersion(), c.old) << c.header;
}

TEST(XMLReader, TableOfDocuments) {
  struct Case {
    const char* what;
    std::string text;
    std::string names;  // root and children, depth-first, "/"-separated
  };
  auto namesOf = [](TfrxXMLItem* root) {
    std::string s;
    std::vector<TfrxXMLItem*> stack{root};
    while (!stack.empty()) {
      TfrxXMLItem* i = stack.back();
      stack.pop_back();
      s += "/" + i->Name;
      for (int k = i->Count() - 1; k >= 0; --k) stack.push_back(i->Items(k));
    }
    return s;
  };
  const Case cases[] = {
      {"comment before the root", kHeader + "<!-- note <x> --><r><c/></r>", "/r/c"},
      {"three dashes do not close a comment", kHeader + "<!-- a ---> <no/> --><r/>", "/r"},
      {"text between tags is skipped", kHeader + "<r>some text<c>more</c>tail</r>", "/r/c"},
      {"stream ends after a start tag", kHeader + "<r><c><d>", "/r/c/d"},
      {"end tag ignores case", kHeader + "<Report><Page></PAGE></report>", "/Report/Page"},
      {"self-closing with attributes", kHeader + "<r a=\"1\" /><ignored/>", "/r"},
      {"empty document", kHeader, "/"},
      {"tab is not a separator", kHeader + "<r\ta=\"1\"/>", "/r\ta=\"1\""},
  };
  for (const auto& c : cases) {
    auto doc = Parse(c.text);
    EXPECT_EQ(namesOf(doc->Root()), c.names) << c.what;
    EXPECT_TRUE(doc->Root()->Text.empty()) << c.what;
  }
}

// Whatever a tag's trailing blanks, what was read writes back to a text
// that reads as the same tree (a fuzzed prepared report found one that did not).
TEST(XMLReader, TrailingBlanksBeforeTheTagEndReadBackTheSame) {
  struct Case {
    const char* what;
    std::string text;
    int children;  // of the root's first child
  };
  const Case cases[] = {
      {"slash and one blank", kHeader + "<r><a x=\"1\"/ ><b/></r>", 0},
      {"slash and two blanks", kHeader + "<r><a x=\"1\"/  ><b/></r>", 0},
      {"a line end belongs to the name", kHeader + "<r><a\n x=\"1\"><b/></a\n></r>", 1},
      {"blanks without slash", kHeader + "<r><a x=\"1\"   ><b/></a></r>", 1},
      {"name only, blanks", kHeader + "<r><a  ><b/></a></r>", 1},
      {"a slash left by the parking marker", kHeader + "<r><a x=\"1\"/ ld=\"0\"><b/></a></r>", 1},
  };
  for (const auto& c : cases) {
    auto doc = Parse(c.text);
    ASSERT_GE(doc->Root()->Count(), 1) << c.what;
    EXPECT_EQ(doc->Root()->Items(0)->Count(), c.children) << c.what;
    const std::string once = Save(*doc);
    auto again = Parse(once);
    EXPECT_EQ(Save(*again), once) << c.what;
    EXPECT_EQ(again->Root()->Items(0)->Count(), c.children) << c.what;
  }
}

TEST(XMLReader, MalformedDocumentsRaiseInvalidFileFormat) {
  const std::string cases[] = {
      "<notxml/>",
      kHeader + "<a></b>",
      kHeader + "<a><b></a>",
      kHeader + "<a <b>",
      kHeader + "<a x=\"1\"",
      "<?xml version=\"1.0\"",
      "",
  };
  for (const auto& text : cases) {
    try {
      Parse(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const TfrxInvalidXMLException& e) {
      EXPECT_STREQ(e.what(), "Invalid file format");
    }
  }
}

TEST(XMLReader, UnclosedElementsAreLenientUnlessClosingIsRequired) {
  // Templates are read leniently: the end of the stream closes what is open.
  // A document that asks for closed elements (the prepared pages) refuses it.
  const std::string cases[] = {
      kHeader + "<a><b/>",
      kHeader + "<a><b><c x=\"1\"/>",
      kHeader + "<a x=\"1\"><b></b>",
      kHeader + "<a>",
  };
  for (const auto& text : cases) {
    EXPECT_NO_THROW(Parse(text)) << text;
    TfrxXMLDocument strict;
    strict.RequireClosedElements = true;
    TMemoryStream in(text);
    EXPECT_THROW(strict.LoadFromStream(in), TfrxInvalidXMLException) << text;
  }
  TfrxXMLDocument strict;
  strict.RequireClosedElements = true;
  TMemoryStream whole(kHeader + "<a><b/></a>");
  ASSERT_NO_THROW(strict.LoadFromStream(whole));
  EXPECT_EQ(strict.Root()->Count(), 1);
}

TEST(XMLReader, TagAcrossTheBufferBoundary) {
  // Place a tag so that it starts before byte 4096 and ends after it.
  for (int shift = -12; shift <= 12; shift += 3) {
    std::string text = kHeader + "<r>";
    text += std::string(static_cast<std::size_t>(4096 - 20 + shift) - text.size(), ' ');
    text += "<item name=\"across the boundary\" value=\"&#60;ok&#62;\"/></r>";
    auto doc = Parse(text);
    ASSERT_EQ(doc->Root()->Count(), 1) << shift;
    EXPECT_EQ(doc->Root()->Items(0)->GetProp("name"), "across the boundary");
    EXPECT_EQ(doc->Root()->Items(0)->GetProp("value"), "<ok>");
  }
}

// A tag's text is taken from the read buffer a run at a time once past the
// comment mark: attribute texts shorter and longer than the buffer, ending
// on either side of its edge, with comments around them, read back whole;
// a stray '<' inside a long tag is still refused.
TEST(XMLReader, LongTagTextsReadWhole) {
  const std::size_t lengths[] = {0, 1, 2, 3, 4, 4000, 4093, 4096, 4097, 12'289, 100'000};
  for (std::size_t length : lengths) {
    std::string value;
    for (std::size_t i = 0; i < length; ++i) value += static_cast<char>('a' + i % 26);
    const std::string text = kHeader + "<!-- first --><r><!--x--><item v=\"" + value +
                             "\" w=\"2\"/><!-- a comment with > and -- inside --><next/></r>";
    auto doc = Parse(text);
    ASSERT_EQ(doc->Root()->Count(), 2) << length;
    EXPECT_EQ(doc->Root()->Items(0)->GetProp("v"), value) << length;
    EXPECT_EQ(doc->Root()->Items(0)->GetProp("w"), "2") << length;
    EXPECT_EQ(doc->Root()->Items(1)->Name, "next") << length;

    const std::string stray = kHeader + "<r><item v=\"" + value + "<\"/></r>";
    EXPECT_THROW(Parse(stray), TfrxInvalidXMLException) << length;
  }
}

TEST(XMLReader, LeavesTheStreamAfterTheRootElement) {
  TMemoryStream s(kHeader + "<r><c/></r>TRAILER");
  TfrxXMLDocument doc;
  doc.LoadFromStream(s);
  EXPECT_EQ(s.ReadRest(), "TRAILER");
}

TEST(XMLReader, HostileInputGivesFormatErrorsOnly) {
  const std::string good = kHeader + "<r a=\"1\"><c x=\"&#60;\"><d/></c><e>t</e><!-- c --></r>";
  for (std::size_t cut = 0; cut <= good.size(); ++cut) {
    try {
      Parse(good.substr(0, cut));
    } catch (const TfrxInvalidXMLException&) {
    }
  }
  for (unsigned seed = 0; seed < 400; ++seed) {
    std::string noise = RandomBytes(seed % 300, seed);
    if (seed % 2) noise = kHeader + noise;
    if (seed % 4 == 1) {
      // Mostly markup characters.
      for (auto& ch : noise) ch = "<>/ ab=\"!-"[static_cast<unsigned char>(ch) % 10];
      noise = kHeader + noise;
    }
    try {
      auto doc = Parse(noise, seed % 3 == 0);
      Save(*doc);
    } catch (const TfrxInvalidXMLException&) {
    }
  }
}

TEST(XMLReader, DeepNestingNeitherCrashesNorRecursesTooDeep) {
  const int depth = 200000;
  std::string text = kHeader;
  for (int i = 0; i < depth; ++i) text += "<a>";
  auto doc = Parse(text);
  int levels = 0;
  for (TfrxXMLItem* i = doc->Root(); i->Count() > 0; i = i->Items(0)) ++levels;
  EXPECT_EQ(levels, depth - 1);
  const std::string saved = Save(*doc);
  EXPECT_EQ(saved.size(), kHeader.size() + static_cast<std::size_t>(depth - 1) * 7 + 4);
  doc.reset();
}

TEST(XMLItem, AttributeAccess) {
  TfrxXMLItem item("r");
  item.Prop = "Name=\"One\" xname=\"wrong\" Width=\"10\"";
  EXPECT_EQ(item.GetProp("NAME"), "One");
  EXPECT_EQ(item.GetProp("width"), "10");
  EXPECT_EQ(item.GetProp("absent"), "");
  EXPECT_FALSE(item.PropExists("ame"));
  EXPECT_TRUE(item.PropExists("XNAME"));

  TfrxXMLItem empty("e");
  empty.SetProp("v", "a<b");
  EXPECT_EQ(empty.Prop, " v=\"a&#60;b\"");
  empty.SetProp("w", "2");
  empty.SetProp("V", "c");
  EXPECT_EQ(empty.Prop, " V=\"c\" w=\"2\"");
  EXPECT_EQ(empty.GetProp("v"), "c");
  empty.DeleteProp("v");
  EXPECT_EQ(empty.Prop, " w=\"2\"");
  EXPECT_FALSE(empty.PropExists("v"));

  // The Russian name is matched without regard to 1251 case.
  TfrxXMLItem ru("r");
  ru.SetProp("Имя"_cp, "x");
  EXPECT_EQ(ru.GetProp("иМЯ"_cp), "x");
}

TEST(XMLItem, TreeOperations) {
  TfrxXMLItem root("root");
  TfrxXMLItem* a = root.Add("a");
  TfrxXMLItem* b = root.Add("B");
  TfrxXMLItem* c = root.Add();
  EXPECT_EQ(root.Find("b"), 1);
  EXPECT_EQ(root.Find("zz"), -1);
  EXPECT_EQ(root.FindItem("A"), a);
  TfrxXMLItem* z = root.FindItem("z");
  EXPECT_EQ(root.Count(), 4);
  EXPECT_EQ(root.IndexOf(z), 3);
  root.InsertItem(0, c);
  EXPECT_EQ(root.IndexOf(c), 0);
  a->AddItem(b);  // moves b under a
  EXPECT_EQ(root.Count(), 3);
  EXPECT_EQ(b->Parent(), a);
  EXPECT_EQ(b->Root(), &root);
  delete a;  // frees b too and leaves root's list
  EXPECT_EQ(root.Count(), 2);

  TfrxXMLItem off;
  off.SetOffset(0x12'3456'789AULL);
  EXPECT_EQ(off.GetOffset(), 0x12'3456'789AULL);
  off.SetOffset(0xFFFFFFFFULL);
  EXPECT_EQ(off.GetOffset(), 0xFFFFFFFFULL);
}

TEST(XMLEscaping, StrToXML) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"a&b", "a&#38;b"},  // short texts escape "&" too: "&lt;" must not read back as "<"
      {"&lt;", "&#38;lt;"},
      {std::string(40, 'x') + "&", std::string(40, 'x') + "&#38;"},
      {"say &quot;hi&quot;", "say &#34;hi&#34;"},
      {std::string(40, 'y') + "&quot;", std::string(40, 'y') + "&#34;"},
      {"<a>\"\r\n", "&#60;a&#62;&#34;&#13;&#10;"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vuzStrToXML(c.in), c.out) << c.in;
    if (c.in.find("&quot;") == std::string::npos) {
      EXPECT_EQ(vuzXMLToStr(vuzStrToXML(c.in)), c.in) << c.in;
    }
  }
}

TEST(XMLEscaping, XMLToStr) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"&amp;lt;", "&lt;"}, {"&#38;lt;", "&lt;"},       {"&lt;&gt;&quot;&amp;", "<>\"&"},
      {"a & b", "a & b"},   {"&unknown;", "&unknown;"}, {"trailing &", "trailing &"},
      {"&#", "&#"},         {"&#1090;", "т"_cp},  // a character beyond Latin-1: its 1251 byte
      {"&#65", "A"},        {"&#10;&#13;", "\n\r"},
  };
  for (const auto& c : cases) EXPECT_EQ(vuzXMLToStr(c.in), c.out) << c.in;
  EXPECT_THROW(vuzXMLToStr("&#x41;"), rtl::EConvertError);
  EXPECT_THROW(vuzXMLToStr("&#;"), rtl::EConvertError);
  // Texts written before "&" was always escaped still read.
  EXPECT_EQ(vuzXMLToStr("a&b"), "a&b");
}

// 8-bit texts are Windows-1251: their bytes from 0x80 up are written as
// references to their characters, so the file is UTF-8; the references read
// back as the same bytes, Latin-1 codes as themselves (older files hold them).
TEST(XMLEscaping, EightBitTextsTravelAsCharacterReferences) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"По"_cp, "&#1055;&#1086;"},
      {"«ёЁ»"_cp, "&#171;&#1105;&#1025;&#187;"},
      {"€ №"_cp, "&#8364; &#8470;"},
      {"a<П&"_cp, "a&#60;&#1055;&#38;"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vuzStrToXML(c.in), c.out) << c.out;
    EXPECT_EQ(vuzXMLToStr(c.out), c.in) << c.out;
  }
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  const std::string escaped = vuzStrToXML(everyByte);
  EXPECT_TRUE(std::all_of(escaped.begin(), escaped.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  EXPECT_EQ(vuzXMLToStr(escaped), everyByte);

  const struct {
    std::string in, out;
  } decoded[] = {
      {"&#200;", "\xC8"}, {"&#8364;", "\x88"}, {"&#20320;", "?"}, {"&#128512;", "?"}, {"&#1025;", "Ё"_cp},
  };
  for (const auto& c : decoded) EXPECT_EQ(vuzXMLToStr(c.in), c.out) << c.in;
}

// UTF-8 texts (memo texts) keep their bytes; their references read back as
// UTF-8 characters.
TEST(XMLEscaping, Utf8TextsKeepTheirBytes) {
  const std::string utf8 = "\xD0\x9F\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD1\x8F";  // "Партия"
  EXPECT_EQ(vuzUtf8ToXML(utf8 + " <1>"), utf8 + " &#60;1&#62;");
  EXPECT_EQ(vuzXMLToUtf8(vuzUtf8ToXML(utf8 + " <1>")), utf8 + " <1>");
  const struct {
    std::string in, out;
  } cases[] = {
      {"&#1055;", "\xD0\x9F"},      {"&#65;&#10;", "A\n"},
      {"&#20320;", "\xE4\xBD\xA0"}, {"&#128512;", "\xF0\x9F\x98\x80"},
      {"&#55296;", "\xEF\xBF\xBD"}, {"&#171;", "\xC2\xAB"},
      {"&amp;&#34;", "&\""},
  };
  for (const auto& c : cases) EXPECT_EQ(vuzXMLToUtf8(c.in), c.out) << c.in;
}

// The writer's last guard: bytes that start no well-formed UTF-8 sequence
// become references to their 1251 characters; UTF-8 stays.
TEST(XMLEscaping, WellFormedUtf8) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain &#38; text", "plain &#38; text"},
      {"\xD0\x9F\xD0\xB0", "\xD0\x9F\xD0\xB0"},
      {"По"_cp, "&#1055;&#1086;"},
      {"\xC0\x80", "&#1040;&#1026;"},                        // an overlong form
      {"\xED\xA0\x80", "&#1085;&#160;&#1026;"},              // a surrogate
      {"x\xE2\x82", "x&#1074;&#8218;"},                      // cut short
      {"\xF5\x80\x80\x80", "&#1093;&#1026;&#1026;&#1026;"},  // beyond U+10FFFF
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(vuzWellFormedUtf8(c.in), c.out) << c.out;
}

// A value put into the attribute text without escaping is still written as
// UTF-8, and reads back as it was.
TEST(XMLWriter, UnescapedEightBitValuesAreWrittenAsReferences) {
  TfrxXMLDocument doc;
  doc.Root()->Name = "r";
  doc.Root()->Prop = "Name=\"" + "Отчёт"_cp + "\"";
  doc.Root()->Add("t")->Text = "Текст"_cp;
  const std::string file = Save(doc);
  EXPECT_EQ(file,
            kHeader + "<r Name=\"&#1054;&#1090;&#1095;&#1105;&#1090;\"><t>&#1058;&#1077;&#1082;&#1089;&#1090;</t></r>");
  auto back = Parse(file);
  EXPECT_EQ(back->Root()->GetProp("Name"), "Отчёт"_cp);
}

TEST(XMLWriter, WritesTheFileForm) {
  TfrxXMLDocument doc;
  TfrxXMLItem* r = doc.Root();
  r->Name = "r";
  r->SetProp("v", "1");
  r->Add("empty");
  TfrxXMLItem* t = r->Add("t");
  t->Text = "value";
  TfrxXMLItem* p = r->Add("p");
  p->Add("c");
  EXPECT_EQ(Save(doc), kHeader + "<r v=\"1\"><empty/><t>value</t><p><c/></p></r>");
  doc.AutoIndent = true;
  EXPECT_EQ(Save(doc),
            kHeader + "\r\n<r v=\"1\">\r\n  <empty/>\r\n  <t>value</t>\r\n  <p>\r\n    <c/>\r\n  </p>\r\n</r>\r\n");
}

TEST(XMLWriter, UnloadableMarkers) {
  TfrxXMLDocument doc;
  TfrxXMLItem* r = doc.Root();
  r->Name = "r";
  TfrxXMLItem* withAttrs = r->Add("a");
  withAttrs->SetProp("x", "1");
  withAttrs->Unloadable = true;
  withAttrs->Add("k");
  TfrxXMLItem* bare = r->Add("b");
  bare->Unloadable = true;
  bare->Add("k");
  const std::string text = Save(doc);
  EXPECT_EQ(text, kHeader + "<r><a x=\"1\"ld=\"0\"><k/></a><b ld=\"0\"><k/></b></r>");
  auto back = Parse(text, true);
  TfrxXMLItem* a = back->Root()->Items(0);
  TfrxXMLItem* b = back->Root()->Items(1);
  EXPECT_TRUE(a->Loaded);
  EXPECT_EQ(a->Count(), 1);
  EXPECT_FALSE(b->Loaded);
  EXPECT_TRUE(b->Unloadable);
  EXPECT_EQ(b->Count(), 0);
  EXPECT_EQ(b->Prop, "");
  back->LoadItem(b);
  EXPECT_TRUE(b->Loaded);
  ASSERT_EQ(b->Count(), 1);
  EXPECT_EQ(b->Items(0)->Name, "k");
}

TEST(XMLDocument, ParkingRoundTrips) {
  TfrxXMLDocument doc;
  doc.Root()->Name = "pages";
  for (int i = 0; i < 5; ++i) {
    TfrxXMLItem* page = doc.Root()->Add("page");
    page->SetProp("n", std::to_string(i));
    page->Unloadable = true;
    for (int k = 0; k < 50; ++k)
      page->Add("obj")->SetProp("t", "page " + std::to_string(i) + " obj " + std::to_string(k) + " <&>");
  }
  const std::string before = Save(doc);
  for (int i = 0; i < 5; i += 2) doc.UnloadItem(doc.Root()->Items(i));
  EXPECT_FALSE(doc.TempFileName().empty());
  EXPECT_TRUE(rtl::FileExists(doc.TempFileName()));
  EXPECT_EQ(doc.Root()->Items(2)->Count(), 0);
  EXPECT_FALSE(doc.Root()->Items(2)->Loaded);
  // Writing reads parked pages back and parks them again.
  EXPECT_EQ(Save(doc), before);
  EXPECT_FALSE(doc.Root()->Items(2)->Loaded);
  doc.LoadItem(doc.Root()->Items(2));
  EXPECT_EQ(doc.Root()->Items(2)->Count(), 50);
  EXPECT_EQ(doc.Root()->Items(2)->Items(49)->GetProp("t"), "page 2 obj 49 <&>");
  doc.UnloadItem(doc.Root()->Items(2));
  EXPECT_EQ(Save(doc), before);
  const std::string temp = doc.TempFileName();
  doc.Clear();
  EXPECT_FALSE(rtl::FileExists(temp));
}

TEST(XMLDocument, PartialLoadThenParkingAgainKeepsEveryPage) {
  const support::ScratchFolder scratch("zarnik-report-xmlpartial-");
  const auto& dir = scratch.Folder();
  const std::string file = (dir / "report.fp3").string();
  {
    TfrxXMLDocument doc;
    doc.Root()->Name = "preparedreport";
    for (int i = 0; i < 3; ++i) {
      TfrxXMLItem* page = doc.Root()->Add("page");
      page->Unloadable = true;
      page->Add("obj")->SetProp("text", "page" + std::to_string(i));
    }
    doc.SaveToFile(file);
  }
  TfrxXMLDocument doc;
  doc.TempDir = (dir / std::string(80, 'd')).string();  // longer than 64 characters
  std::filesystem::create_directories(doc.TempDir);
  doc.LoadFromFile(file);
  ASSERT_EQ(doc.Root()->Count(), 3);
  TfrxXMLItem* first = doc.Root()->Items(0);
  EXPECT_FALSE(first->Loaded);
  doc.LoadItem(first);
  first->Items(0)->SetProp("text", "changed");
  doc.UnloadItem(first);  // makes our own parking file
  EXPECT_EQ(doc.TempFileName().rfind(doc.TempDir, 0), 0u) << doc.TempFileName();
  for (int i = 0; i < 3; ++i) {
    TfrxXMLItem* page = doc.Root()->Items(i);
    doc.LoadItem(page);
    ASSERT_EQ(page->Count(), 1) << i;
    EXPECT_EQ(page->Items(0)->GetProp("text"), i == 0 ? "changed" : "page" + std::to_string(i));
  }
  doc.Clear();
}

TEST(XMLDocument, SaveToFileReplacesAndReloads) {
  const support::ScratchFolder scratch("zarnik-report-xmlsave-");
  const auto& dir = scratch.Folder();
  const std::string file = (dir / "t.xml").string();
  support::WriteFile(file, "old contents");
  TfrxXMLDocument doc;
  doc.Root()->Name = "r";
  TfrxXMLItem* page = doc.Root()->Add("page");
  page->Unloadable = true;
  page->Add("c");
  doc.SaveToFile(file);
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
  EXPECT_EQ(support::ReadFile(file), kHeader + "<r><page ld=\"0\"><c/></page></r>");
  // Reloaded from the saved file, the page parked in it.
  EXPECT_FALSE(doc.Root()->Items(0)->Loaded);
  doc.SaveToFile(file);  // parked items are read from the file being replaced
  EXPECT_EQ(support::ReadFile(file), kHeader + "<r><page ld=\"0\"><c/></page></r>");

  // A save that fails keeps the file, leaves no stray file beside it, and
  // the page parked in the file still loads.
  doc.Root()->SetProp("x", "1");
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  EXPECT_THROW(doc.SaveToFile(file), rtl::EWriteError);
  rtl::SetSaveFaultForTests(nullptr);
  EXPECT_EQ(support::ReadFile(file), kHeader + "<r><page ld=\"0\"><c/></page></r>");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  page = doc.Root()->Items(0);
  doc.LoadItem(page);
  ASSERT_EQ(page->Count(), 1);
  EXPECT_EQ(page->Items(0)->Name, "c");
  doc.Clear();
}

TEST(XMLDocument, OutputPassesXmllint) {
  const std::string xmllint = support::FindTool("xmllint");
  if (xmllint.empty()) GTEST_SKIP() << support::Missing("xmllint", "libxml2-utils");
  const support::ScratchFolder scratch("zarnik-report-xmllint-");
  const auto& dir = scratch.Folder();
  TfrxXMLDocument doc;
  doc.Root()->Name = "TfrxReport";
  doc.Root()->SetProp("Name", "Report & <friends>");
  TfrxXMLItem* page = doc.Root()->Add("TfrxReportPage");
  page->SetProp("Memo.Text", "line one\r\nline \"two\" & three");
  page->SetProp("a", "&");
  page->SetProp("b", "&quot;");
  page->Add("TfrxMemoView")->SetProp("Text", "x > y");
  for (bool indent : {false, true}) {
    doc.AutoIndent = indent;
    const auto file = dir / (indent ? "indent.xml" : "flat.xml");
    support::WriteFile(file, Save(doc));
    EXPECT_EQ(std::system((xmllint + " --noout " + file.string()).c_str()), 0) << support::ReadFile(file);
  }
}
