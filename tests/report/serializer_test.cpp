#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "model_fixture.h"
#include "platform/rtl/format.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "test_util.h"

using namespace report_test;
using namespace rtl::literals;
using report::TfrxComponent;
using report::TfrxXMLSerializer;

namespace {

std::string Write(TfrxComponent* root, bool children = true, bool defaults = false) {
  rtl::TMemoryStream s;
  TfrxXMLSerializer w(&s);
  w.SerializeDefaultValues = defaults;
  w.WriteRootComponent(root, children);
  return std::string(s.Memory(), static_cast<std::size_t>(s.Size()));
}

// Reads a template into root; answers the error lines.
std::vector<AnsiString> Read(TfrxComponent* root, const std::string& text) {
  rtl::TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  s.SetPosition(0);
  TfrxXMLSerializer r(&s);
  r.ReadRootComponent(root);
  std::vector<AnsiString> errors;
  for (int i = 0; i < r.Errors().Count(); ++i) errors.push_back(r.Errors()[i]);
  return errors;
}

struct Template {
  TfrxTestReport* report = new TfrxTestReport;
  TfrxTestPage* page = new TfrxTestPage(report);
  TfrxTestBand* band = new TfrxTestBand(page);
  TfrxTestMemoView* memo = new TfrxTestMemoView(band);
  Template() {
    RegisterTestClasses();
    page->SetName("Page1");
    band->SetName("MasterData1");
    band->SetBounds(0, 18.89765, 718.1107, 18.89765);
    memo->SetName("Memo1");
    memo->SetBounds(0, 0, 94.48825, 18.89765);
    memo->Memo()->SetTextStr(u"[Data.\"Value\"]\r\n");
  }
  ~Template() { delete report; }
};

std::string RunTool(const std::string& command) { return support::CommandOutput(command); }

std::string SaveTemp(const std::string& name, const std::string& text) {
  static const support::ScratchFolder folder("zarnik-serializer-");
  const auto path = folder.Folder() / name;
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

}  // namespace

TEST(TemplateSerializer, WritesReportPageBandAndMemoAsNestedElements) {
  rtl::FormatSettingsScope scope(rtl::FormatSettings{});
  rtl::CurrentFormatSettings().DecimalSeparator = '.';
  Template t;
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<TfrxTestReport>\r\n"
      "  <TfrxTestPage Name=\"Page1\">\r\n"
      "    <TfrxTestBand Name=\"MasterData1\" Left=\"0\" Top=\"18.89765\" Width=\"718.1107\" Height=\"18.89765\">\r\n"
      "      <TfrxTestMemoView Name=\"Memo1\" Left=\"0\" Top=\"0\" Width=\"94.48825\" Height=\"18.89765\""
      " Lines.Text=\"\" Text=\"[Data.&#34;Value&#34;]\"/>\r\n"
      "    </TfrxTestBand>\r\n"
      "  </TfrxTestPage>\r\n"
      "</TfrxTestReport>\r\n";
  EXPECT_EQ(Write(t.report), expected);
}

TEST(TemplateSerializer, DefaultsAreLeftOutUnlessAsked) {
  Template t;
  auto attributes = [&](bool defaults) {
    TfrxXMLSerializer s(nullptr);
    s.SerializeDefaultValues = defaults;
    return s.ObjToXML(t.memo);
  };
  EXPECT_EQ(attributes(false).find("Visible"), AnsiString::npos);
  EXPECT_NE(attributes(true).find(" Visible=\"True\""), AnsiString::npos);
  EXPECT_NE(attributes(true).find(" Align=\"baNone\""), AnsiString::npos);
  t.memo->SetRestrictions((1u << report::rfDontSize) | (1u << report::rfDontMove));
  t.memo->SetAlign(report::baClient);
  EXPECT_NE(attributes(false).find(" Align=\"baClient\""), AnsiString::npos);
  EXPECT_NE(attributes(false).find(" Restrictions=\"6\""), AnsiString::npos);
  // ParentFont on: no font; off: charset, colour, height, name and style, not the size.
  EXPECT_EQ(attributes(false).find("Font."), AnsiString::npos);
  t.memo->Font()->SetName("Tahoma");
  EXPECT_NE(attributes(false).find(" Font.Charset=\"1\" Font.Color=\"0\" Font.Height=\"-13\" Font.Name=\"Tahoma\""
                                   " Font.Style=\"0\""),
            AnsiString::npos);
  EXPECT_EQ(attributes(false).find("Font.Size"), AnsiString::npos);
  EXPECT_EQ(attributes(false).find("Font.Pitch"), AnsiString::npos);
  // Left, Top, Width and Height are written even when 0.
  TfrxTestView zero(nullptr);
  TfrxXMLSerializer s(nullptr);
  EXPECT_EQ(s.ObjToXML(&zero).rfind(" Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" ", 0), 0u);
}

// Whole values are written without the general conversion; the text must
// be the one that conversion gives, at the edges of fifteen digits too.
TEST(TemplateSerializer, FloatsAreWrittenAsTheGeneralConversionWritesThem) {
  rtl::FormatSettingsScope scope(rtl::FormatSettings{});
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  const long double values[] = {0,     -0.0L, 1,      -5,   18.89765L, 999999999999999.0L, -999999999999999.0L,
                                1e15L, 1e16L, 1e300L, 0.5L, -0.25L,    1.0L / 3,           123456789012345.0L};
  for (long double v : values) {
    SCOPED_TRACE(static_cast<double>(v));
    TfrxTestView view(nullptr);
    view.SetLeft(v);
    TfrxXMLSerializer s(nullptr);
    EXPECT_EQ(s.ObjToXML(&view).rfind(" Left=\"" + rtl::FloatToStr(v) + "\"", 0), 0u);
  }
}

TEST(TemplateSerializer, TextsRoundTrip) {
  Template t;
  t.memo->Memo()->SetTextStr(u"Привет\r\nмир \"<&>\"\r\n");
  t.memo->SetCaption("Заголовок"_cp);
  t.memo->Lines()->SetText("первая\r\nвторая"_cp);
  t.memo->SetValue(rtl::Variant("значение"_cp));
  const std::string xml = Write(t.report);
  // Memo text as UTF-8, other strings as references to their characters
  // (the 1251 bytes themselves are no UTF-8).
  EXPECT_NE(xml.find(" Text=\"" + rtl::WideToUtf8(u"Привет") + "&#13;&#10;"), std::string::npos);
  EXPECT_NE(xml.find(" Caption=\"&#1047;&#1072;&#1075;&#1086;&#1083;&#1086;&#1074;&#1086;&#1082;\""),
            std::string::npos);

  Template back;
  back.memo->Memo()->Clear();
  EXPECT_TRUE(Read(back.report, xml).empty());
  EXPECT_EQ(back.memo->Memo()->GetTextStr(), u"Привет\r\nмир \"<&>\"\r\n");
  EXPECT_EQ(back.memo->Caption(), "Заголовок"_cp);
  EXPECT_EQ(back.memo->Lines()->Text(), "первая\r\nвторая\r\n"_cp);
  EXPECT_EQ(back.memo->Value().AsString(), "значение"_cp);
  // Read into the same report, the objects are reused, not doubled.
  EXPECT_EQ(back.report->GetAllObjects().size(), 3u);
}

TEST(TemplateSerializer, BadValuesBecomeErrorLinesAndTheRestLoads) {
  Template t;
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
      "<TfrxTestReport Title=\"T\">"
      "<TfrxTestPage Name=\"Page1\">"
      "<TfrxNoSuchBand Name=\"Lost\"><TfrxTestMemoView Name=\"LostChild\"/></TfrxNoSuchBand>"
      "<TfrxTestBand Name=\"MasterData1\">"
      "<TfrxTestMemoView Name=\"Memo1\" Left=\"abc\" Top=\"7\" Font.NoSuch=\"1\" Align=\"baMiddle\" "
      "Width=\"99999999999999999999\""
      " Tag=\"99999999999999\" Visible=\"0\"/>"
      "</TfrxTestBand></TfrxTestPage></TfrxTestReport>";
  t.memo->SetAlign(report::baRight);
  const auto errors = Read(t.report, xml);
  const AnsiString cantFind = report::vuzResources().Get("xrCantFindClass") + " TfrxNoSuchBand";
  EXPECT_NE(std::find(errors.begin(), errors.end(), cantFind), errors.end());
  EXPECT_EQ(errors.size(), 4u);  // the class, Left, Align, Tag
  EXPECT_EQ(t.report->FindObject("LostChild"), nullptr);
  EXPECT_EQ(t.memo->Left(), 0);                 // unchanged
  EXPECT_EQ(t.memo->Top(), 7);                  // the others still apply
  EXPECT_EQ(t.memo->Align(), report::baRight);  // an unknown name keeps the value
  EXPECT_FALSE(t.memo->Visible());
  EXPECT_EQ(t.report->Title(), "T");
}

TEST(TemplateSerializer, ReferencesResolveAfterTheWholeReadAndNilClearsThem) {
  Template t;
  auto* target = new TfrxTestView(t.band);
  target->SetName("Target");
  t.memo->SetLink(target);
  const std::string xml = Write(t.report);
  EXPECT_NE(xml.find(" Link=\"Target\""), std::string::npos);

  Template back;
  Read(back.report, xml);  // the link comes before its object in the file
  ASSERT_NE(back.report->FindObject("Target"), nullptr);
  EXPECT_EQ(back.memo->Link(), back.report->FindObject("Target"));
  // "nil" clears a reference an object already held.
  Read(back.report,
       "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestPage Name=\"Page1\"><TfrxTestBand Name=\"MasterData1\">"
       "<TfrxTestMemoView Name=\"Memo1\" Link=\"nil\"/></TfrxTestBand></TfrxTestPage></TfrxTestReport>");
  EXPECT_EQ(back.memo->Link(), nullptr);
  // A name nobody has leaves the reference as it was.
  back.memo->SetLink(back.band);
  Read(back.report,
       "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestPage Name=\"Page1\"><TfrxTestBand Name=\"MasterData1\">"
       "<TfrxTestMemoView Name=\"Memo1\" Link=\"Nobody\"/></TfrxTestBand></TfrxTestPage></TfrxTestReport>");
  EXPECT_EQ(back.memo->Link(), back.band);
}

TEST(TemplateSerializer, AncestorsLeaveOutWhatTheyShare) {
  Template base;
  Template derived;
  derived.memo->SetLeft(5);
  derived.memo->Memo()->SetTextStr(u"other");
  TfrxXMLSerializer s(nullptr);
  EXPECT_EQ(s.ObjToXML(derived.memo, "", base.memo), " Left=\"5\" Text=\"other\"");
  EXPECT_EQ(s.ObjToXML(base.memo, "", base.memo), "");
  // A reference the ancestor holds and this object lost is written as nil.
  base.memo->SetLink(base.band);
  EXPECT_EQ(s.ObjToXML(derived.memo, "", base.memo), " Left=\"5\" Link=\"nil\" Text=\"other\"");
}

TEST(TemplateSerializer, DefinedDataTravelsAsPropData) {
  Template t;
  t.report->notes = "Заметки"_cp;
  TfrxXMLSerializer s(nullptr);
  const AnsiString text = s.ObjToXML(t.report);
  // 5 'Notes', vaString (6), length 7, the 1251 bytes.
  EXPECT_EQ(text,
            " PropData=\"054E6F74657306"
            "07C7E0ECE5F2EAE8\"");
  // The same data as the ancestor's writes nothing; other data writes again.
  TfrxTestReport ancestor;
  ancestor.notes = t.report->notes;
  EXPECT_EQ(s.ObjToXML(t.report, "", &ancestor), "");
  ancestor.notes = "x";
  EXPECT_EQ(s.ObjToXML(t.report, "", &ancestor), text);

  TfrxTestReport back;
  TfrxXMLSerializer r(nullptr);
  r.XMLToObj(text, &back);
  EXPECT_EQ(back.notes, t.report->notes);
  // A shorter value read later through the same serializer leaves nothing
  // of the longer one behind.
  r.XMLToObj(" PropData=\"054E6F74657306016B\"", &back);
  EXPECT_EQ(back.notes, "k");
  // A broken record ends the data quietly.
  r.XMLToObj(" PropData=\"054E6F7465730650\"", &back);
  EXPECT_EQ(back.notes, "k");
  EXPECT_EQ(r.Errors().Count(), 0);
}

TEST(TemplateSerializer, PythonReadsOurPropDataRecords) {
  Template t;
  t.report->notes = AnsiString(300, 'z');  // a long string record
  TfrxXMLSerializer s(nullptr);
  const AnsiString text = s.ObjToXML(t.report);
  const auto start = text.find('"') + 1;
  const AnsiString hex = text.substr(start, text.rfind('"') - start);
  // An independent decoder of the property records: name, type, value.
  const std::string script =
      "import sys,struct\n"
      "b=bytes.fromhex(sys.argv[1]);i=0;out=[]\n"
      "while i<len(b):\n"
      " n=b[i];name=b[i+1:i+1+n].decode();i+=1+n;t=b[i];i+=1\n"
      " if t==6: l=b[i];v=b[i+1:i+1+l];i+=1+l\n"
      " elif t==12: l=struct.unpack('<I',b[i:i+4])[0];v=b[i+4:i+4+l];i+=4+l\n"
      " else: raise SystemExit('type %d'%t)\n"
      " out.append('%s:%d:%d'%(name,t,len(v)))\n"
      "print(' '.join(out))\n";
  const std::string path = SaveTemp("propdata.py", script);
  EXPECT_EQ(RunTool("/usr/bin/python3 " + path + " " + hex), "Notes:12:300\n");
}

TEST(TemplateSerializer, IndependentReadersParseWhatWeWrite) {
  Template t;
  t.memo->SetCaption("a<b>&\"c\"");
  t.memo->Memo()->SetTextStr(u"line1\r\nline2");
  const std::string xml = Write(t.report);
  const std::string path = SaveTemp("template.xml", xml);
  EXPECT_EQ(RunTool("xmllint --noout " + path + " 2>&1 && echo ok"), "ok\n");
  const std::string script =
      "import sys,xml.etree.ElementTree as E\n"
      "m=E.parse(sys.argv[1]).getroot().find('.//TfrxTestMemoView')\n"
      "print(repr(m.get('Caption')), repr(m.get('Text')))\n";
  const std::string py = SaveTemp("read.py", script);
  EXPECT_EQ(RunTool("/usr/bin/python3 " + py + " " + path), "'a<b>&\"c\"' 'line1\\r\\nline2'\n");
}

TEST(TemplateSerializer, SingleObjectsAsOneLine) {
  Template t;
  TfrxXMLSerializer s(nullptr);
  const AnsiString line = s.WriteComponentStr(t.memo);
  EXPECT_EQ(line.rfind("TfrxTestMemoView Left=\"0\"", 0), 0u);  // the name is not a stored property
  TfrxTestBand holder(nullptr);
  TfrxComponent* made = s.ReadComponentStr(&holder, line + " Left=\"3\" u=\"" + rtl::WideToUtf8(u"ю") + "\"");
  ASSERT_NE(dynamic_cast<TfrxTestMemoView*>(made), nullptr);
  EXPECT_EQ(made->Parent(), &holder);
  EXPECT_EQ(made->Left(), 3);  // a later value overrides an earlier one
  EXPECT_EQ(static_cast<TfrxTestMemoView*>(made)->Memo()->GetTextStr(), u"ю\r\n");
  EXPECT_EQ(s.ReadComponentStr(&holder, "   "), nullptr);
  // An unknown class raises the runtime's one class-not-found error.
  EXPECT_THROW(s.ReadComponentStr(&holder, "TfrxNothing Left=\"1\""), report::EClassNotFound);
  EXPECT_THROW(s.ReadComponentStr(&holder, "TfrxNothing"), rtl::EClassNotFound);
}

// A prepared page's object is read from its template's attributes and its
// own in turn: the same object as from the two joined, and a text of its own
// replaces the template's (which is then not read at all).
TEST(TemplateSerializer, TwoAttributeTextsReadAsOne) {
  Template t;
  t.memo->Memo()->SetTextStr(u"template text");
  TfrxXMLSerializer s(nullptr);
  const AnsiString line = s.WriteComponentStr(t.memo);
  const struct {
    const char* name;
    AnsiString first, more;
    double left;
    std::u16string text;
  } cases[] = {
      {"own text and position", line, " Left=\"3\" u=\"" + rtl::WideToUtf8(u"ю") + "\"", 3, u"ю\r\n"},
      {"own text in the 8-bit form", line, "x=\"b\"", 0, u"b\r\n"},
      {"no text of its own", line, "  Left=\"5\"  ", 5, u"template text\r\n"},
      {"nothing of its own", line, "", 0, u"template text\r\n"},
      {"a blank template", "  ", "TfrxTestMemoView Left=\"7\"", 7, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TfrxTestBand joinedHolder(nullptr), holder(nullptr);
    TfrxXMLSerializer reader(nullptr);
    auto* joined = dynamic_cast<TfrxTestMemoView*>(reader.ReadComponentStr(&joinedHolder, c.first + " " + c.more));
    auto* made = dynamic_cast<TfrxTestMemoView*>(reader.ReadComponentStr(&holder, c.first, c.more, false));
    ASSERT_NE(joined, nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Left(), c.left);
    EXPECT_EQ(made->Memo()->GetTextStr(), c.text);
    EXPECT_EQ(reader.WriteComponentStr(made), reader.WriteComponentStr(joined));
  }
  TfrxTestBand holder(nullptr);
  EXPECT_EQ(s.ReadComponentStr(&holder, " ", "  ", false), nullptr);
}

TEST(TemplateSerializer, HostileTemplatesGiveErrorsNeverACrash) {
  RegisterTestClasses();
  std::vector<std::string> inputs = {
      RandomBytes(4000, 1),
      "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestPage Name=\"P\"><TfrxTestBand",
      "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestView Name=\"V\" Left=\"1e999999\" Width=\"-\" Top=\"\"/>"
      "</TfrxTestReport>",
      "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestView Name=\"V\" Name=\"W\" Font.Font.Font=\"1\" Link=\"V\"/>"
      "</TfrxTestReport>",
      "<?xml version=\"1.0\"?><TfrxTestReport><TfrxTestView Name=\"bad name\" PropData=\"ZZ0\" "
      "Caption=\"&#99999999999;\"/>"
      "</TfrxTestReport>",
  };
  std::string deep = "<?xml version=\"1.0\"?><TfrxTestReport>";
  for (int i = 0; i < 5000; ++i) deep += "<TfrxTestView>";
  for (int i = 0; i < 5000; ++i) deep += "</TfrxTestView>";
  deep += "</TfrxTestReport>";
  inputs.push_back(deep);
  for (const std::string& in : inputs) {
    TfrxTestReport report;
    try {
      Read(&report, in);
    } catch (const report::TfrxInvalidXMLException&) {
    }
  }
  TfrxTestReport report;
  const auto errors = Read(&report, deep);
  EXPECT_FALSE(errors.empty());
  EXPECT_EQ(report.GetAllObjects().size(), static_cast<std::size_t>(TfrxXMLSerializer::kMaxDepth));
}
