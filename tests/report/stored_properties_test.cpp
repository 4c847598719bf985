// Assign copies an object's stored properties directly; what it gives must
// be exactly what writing them as XML and reading the text back gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/rtl/classes.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzXMLSerializer.h"

using namespace report;
using namespace rtl::literals;

namespace {

struct EngineClasses {
  EngineClasses() { ReportClassesStartup(); }
  ~EngineClasses() { ReportClassesShutdown(); }
};

// Every property of an object (stored or not, sub-objects walked), with the
// exact value: floats to the last bit, texts byte for byte.
std::string Describe(rtl::TPersistent& object, const std::string& prefix = "", int depth = 0) {
  std::string out;
  if (depth > 4) return out;
  for (const rtl::TPropInfo* p : object.ClassType().Properties()) {
    if (!p->HasGetter() || p->Kind == rtl::pkEvent) continue;
    const std::string name = prefix + p->Name;
    try {
      switch (p->Kind) {
        case rtl::pkFloat: {
          char text[64];
          std::snprintf(text, sizeof text, "%.21Lg", p->GetFloat(object));
          out += name + "=" + text + "\n";
          break;
        }
        case rtl::pkString: out += name + "=" + p->GetStr(object) + "\n"; break;
        case rtl::pkWideString: out += name + "=" + rtl::WideToUtf8(p->GetWideStr(object)) + "\n"; break;
        case rtl::pkVariant: {
          const rtl::Variant v = p->GetVariant(object);
          out += name + "=" + std::to_string(static_cast<int>(v.Type())) + ":" +
                 (v.IsNull() || v.IsEmpty() ? std::string() : v.AsString()) + "\n";
          break;
        }
        case rtl::pkComponent: {
          auto* c = dynamic_cast<rtl::TComponent*>(p->GetObject(object));
          out += name + "=" + (c ? "->" + c->Name() : std::string("nil")) + "\n";
          break;
        }
        case rtl::pkStrings: {
          auto* list = dynamic_cast<rtl::TStrings*>(p->GetObject(object));
          out += name + "=" + (list ? list->Text() : std::string("nil")) + "|\n";
          break;
        }
        case rtl::pkWideStrings: {
          auto* list = dynamic_cast<TWideStrings*>(p->GetObject(object));
          out += name + "=" +
                 (list ? std::to_string(list->Count()) + ":" + rtl::WideToUtf8(list->GetTextStr()) : "nil") + "|\n";
          break;
        }
        case rtl::pkPersistent:
          if (auto* sub = dynamic_cast<rtl::TPersistent*>(p->GetObject(object)))
            out += Describe(*sub, name + ".", depth + 1);
          break;
        default: out += name + "=" + std::to_string(p->GetOrd(object)) + "\n"; break;
      }
    } catch (const std::exception& e) {
      out += name + " raised " + e.what() + "\n";
    }
  }
  // What the object defines beyond its properties (pictures, collections).
  rtl::TMemoryStream defined;
  {
    rtl::TWriter writer(defined);
    writer.WriteDefinedProperties(object);
  }
  out += prefix + "(defined bytes)=" + std::to_string(defined.Size()) + "\n";
  return out;
}

// Texts the text form treats specially: escapes, "&quot;" (read back as a
// quote), line breaks, Russian letters.
const std::string kAwkwardText = "a &quot; <b> \"c\" & d&#13;\r\nЯ ё"_cp;

// Gives every property with a setter a value unlike its default: ordinals
// moved, floats by a fraction the text form rounds (and a whole amount),
// texts that need escaping, references to another object of the report.
void Scramble(rtl::TPersistent& object, TfrxComponent* other, int depth = 0) {
  if (depth > 4) return;
  int n = 0;
  for (const rtl::TPropInfo* p : object.ClassType().Properties()) {
    if (!p->HasGetter()) continue;
    ++n;
    try {
      switch (p->Kind) {
        case rtl::pkEnumeration: {
          const long long count = p->EnumType ? static_cast<long long>(p->EnumType->Names.size()) : 2;
          if (p->HasSetter()) p->SetOrd(object, (p->GetOrd(object) + 1) % std::max(count, 1LL));
          break;
        }
        case rtl::pkInteger:
        case rtl::pkInt64:
          if (p->HasSetter()) p->SetOrd(object, p->GetOrd(object) + 3);
          break;
        case rtl::pkSet:
          if (p->HasSetter()) p->SetOrd(object, p->GetOrd(object) ^ 2);
          break;
        case rtl::pkChar:
        case rtl::pkWideChar:
          if (p->HasSetter()) p->SetOrd(object, 'q');
          break;
        case rtl::pkFloat:
          if (p->HasSetter()) p->SetFloat(object, p->GetFloat(object) + (n % 2 ? 1.2345678901234567891L : 7.0L));
          break;
        case rtl::pkString:
          if (p->HasSetter() && p->Name != "Name") p->SetStr(object, kAwkwardText);
          break;
        case rtl::pkWideString:
          if (p->HasSetter()) p->SetWideStr(object, u"w &quot; \u0416 \u20ac \U0001F600");
          break;
        case rtl::pkVariant:
          if (p->HasSetter()) p->SetVariant(object, rtl::Variant(AnsiString("v &quot; 1")));
          break;
        case rtl::pkComponent:
          if (p->HasSetter() && other && (!p->PropClass || other->ClassType().InheritsFrom(*p->PropClass)))
            p->SetObject(object, other);
          break;
        case rtl::pkStrings:
          if (auto* list = dynamic_cast<rtl::TStrings*>(p->GetObject(object))) list->SetText("one\r\n" + kAwkwardText);
          break;
        case rtl::pkWideStrings:
          // Trailing empty lines, a lone surrogate, an escape: all change on the way through text.
          if (auto* list = dynamic_cast<TWideStrings*>(p->GetObject(object)))
            list->SetTextStr(u"first &quot;\r\n\u042f \xD800 x\r\n\r\n\r\n");
          break;
        case rtl::pkPersistent:
          if (auto* sub = dynamic_cast<rtl::TPersistent*>(p->GetObject(object))) Scramble(*sub, other, depth + 1);
          break;
        default: break;
      }
    } catch (const std::exception&) {
      // A setter that refuses the value keeps the one it has.
    }
  }
}

std::string ErrorsOf(TfrxReport& report) {
  std::string text = report.Errors().Text();
  report.Errors().Clear();
  return text;
}

}  // namespace

TEST(DirectCopy, EqualsTheCopyThroughTheTextForEveryRegisteredClass) {
  EngineClasses classes;
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  auto* data = new TfrxUserDataSet(&report);
  data->SetName("Data1");
  int compared = 0;
  for (const AnsiString& name : rtl::RegisteredClassNames()) {
    const rtl::TClassEntry* entry = rtl::GetClass(name);
    if (!entry || !entry->info || !entry->info->InheritsFrom(TfrxComponent::StaticClass())) continue;
    if (entry->info->InheritsFrom("TfrxReport")) continue;  // a report is copied through its text anyway
    SCOPED_TRACE(name);
    auto make = [&] { return dynamic_cast<TfrxComponent*>(entry->create(band)); };
    TfrxComponent* source = make();
    ASSERT_NE(source, nullptr);
    source->SetName("Source" + std::to_string(compared));
    Scramble(*source, source->ClassType().InheritsFrom("TfrxDataSet") ? band : static_cast<TfrxComponent*>(data));
    if (auto* lines = vuzMemoLinesOf(source)) lines->SetTextStr(u"memo &quot;\r\n\u0416\xDC00\r\n\r\n");
    ErrorsOf(report);

    TfrxComponent* throughText = make();
    throughText->AssignThroughXML(source);
    const std::string textErrors = ErrorsOf(report);
    TfrxComponent* direct = make();
    direct->Assign(source);
    const std::string directErrors = ErrorsOf(report);

    EXPECT_EQ(Describe(*direct), Describe(*throughText));
    EXPECT_EQ(directErrors, textErrors);
    if (auto* lines = vuzMemoLinesOf(direct)) {
      EXPECT_EQ(rtl::WideToUtf8(lines->GetTextStr()), rtl::WideToUtf8(vuzMemoLinesOf(throughText)->GetTextStr()));
    }
    delete direct;
    delete throughText;
    delete source;
    ++compared;
  }
  // The engine's views, bands, pages, datasets and dialog controls at least.
  EXPECT_GT(compared, 30);
}

TEST(DirectCopy, RoundsAndConvertsAsTheTextDoes) {
  EngineClasses classes;
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* source = new TfrxMemoView(band);
  struct Case {
    long double left;
    const char* why;
  };
  const Case cases[] = {
      {20, "a whole value stays"},
      {1.0L / 3, "fifteen digits are kept"},
      {-0.0L, "minus zero reads back as zero"},
      {1e16L + 1, "a whole value beyond fifteen digits is rounded"},
      {7.559055118110236L, "a size in pixels of a millimetre measure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    source->SetLeft(c.left);
    source->SetDescription(kAwkwardText);
    auto* throughText = new TfrxMemoView(band);
    throughText->AssignThroughXML(source);
    auto* direct = new TfrxMemoView(band);
    direct->Assign(source);
    EXPECT_EQ(Describe(*direct), Describe(*throughText));
    EXPECT_EQ(direct->Left(), throughText->Left());
    EXPECT_EQ(std::signbit(direct->Left()), std::signbit(throughText->Left()));
    // "&quot;" in a text is read back as a quote.
    EXPECT_EQ(direct->Description(), throughText->Description());
    delete direct;
    delete throughText;
  }
}

TEST(DirectCopy, SourceInsideTheTargetIsTakenBeforeTheTargetIsCleared) {
  EngineClasses classes;
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  band->SetHeight(33);
  auto* inner = new TfrxMasterData(band);  // freed by the target's Clear
  inner->SetHeight(21.5L);
  inner->SetRowCount(4);
  band->Assign(inner);
  EXPECT_EQ(band->Height(), 21.5L);
  EXPECT_EQ(band->RowCount(), 4);
  EXPECT_TRUE(band->Objects().empty());
  // An object assigned from itself keeps its values.
  band->Assign(band);
  EXPECT_EQ(band->Height(), 21.5L);
}
