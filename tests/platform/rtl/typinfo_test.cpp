#include "platform/rtl/typinfo.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/classes.h"
#include "platform/rtl/components.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/object_handles.h"
#include "platform/rtl/stringlists.h"

using namespace rtl;

namespace {

enum TTestAlign { taNone, taLeft, taRight };
const TEnumType& TestAlignType() {
  static const TEnumType t{"TTestAlign", {"taNone", "taLeft", "taRight"}};
  return t;
}
const TSetType& TestSidesType() {
  static const TSetType t{"TTestSides", &TestAlignType()};
  return t;
}

// A side line of a frame.
class TTestLine : public TPersistent {
  RTL_CLASS_INFO
 public:
  int Color() const { return color_; }
  void SetColor(int c) { color_ = c; }

 private:
  int color_ = 0;
};

// A frame whose colour setter colours its line too: the reader must keep
// such side effects, so a stored line colour after the frame colour wins.
class TTestFrame : public TPersistent {
  RTL_CLASS_INFO
 public:
  int Color() const { return color_; }
  void SetColor(int c) {
    color_ = c;
    line_.SetColor(c);
  }
  TTestLine* LeftLine() const { return const_cast<TTestLine*>(&line_); }
  void SetLeftLine(const TTestLine* l) { line_.SetColor(l->Color()); }

 private:
  int color_ = 0;
  TTestLine line_;
};

class TTestBox : public TComponent {
  RTL_CLASS_INFO
 public:
  using TComponent::TComponent;
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  long double Left() const { return left_; }
  void SetLeft(long double v) { left_ = v; }
  TTestAlign Align() const { return align_; }
  void SetAlign(TTestAlign a) { align_ = a; }
  unsigned Sides() const { return sides_; }
  void SetSides(unsigned s) { sides_ = s; }
  AnsiString Caption() const { return caption_; }
  void SetCaption(const AnsiString& c) { caption_ = c; }
  TTestFrame* Frame() const { return const_cast<TTestFrame*>(&frame_); }
  void SetFrame(const TTestFrame* f) { frame_.SetColor(f->Color()); }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* c) { link_ = c; }
  TStringList* Lines() const { return const_cast<TStringList*>(&lines_); }
  void SetLines(const TStringList* l) { lines_.Assign(l); }
  Variant Value() const { return value_; }
  void SetValue(const Variant& v) { value_ = v; }
  bool IsCaptionStored() const { return caption_ != "skip"; }

 private:
  bool visible_ = true;
  long double left_ = 0;
  TTestAlign align_ = taNone;
  unsigned sides_ = 0;
  AnsiString caption_;
  TTestFrame frame_;
  TComponent* link_ = nullptr;
  TStringList lines_;
  Variant value_;
};

// Publishes Visible again and adds its own property: Visible keeps its place.
class TTestBigBox : public TTestBox {
  RTL_CLASS_INFO
 public:
  using TTestBox::TTestBox;
  int Extra() const { return extra_; }
  void SetExtra(int e) { extra_ = e; }

 private:
  int extra_ = 0;
};

}  // namespace

const TClassInfo& TTestLine::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestLine>("TTestLine", &TPersistent::StaticClass())
                                     .Property("Color", &TTestLine::Color, &TTestLine::SetColor)
                                     .Default(0)
                                     .Build();
  return info;
}

const TClassInfo& TTestFrame::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestFrame>("TTestFrame", &TPersistent::StaticClass())
                                     .Creatable()
                                     .Property("Color", &TTestFrame::Color, &TTestFrame::SetColor)
                                     .Default(0)
                                     .Property("LeftLine", &TTestFrame::LeftLine, &TTestFrame::SetLeftLine)
                                     .Build();
  return info;
}

const TClassInfo& TTestBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestBox>("TTestBox", &TComponent::StaticClass())
                                     .Creatable()
                                     .Property("Visible", &TTestBox::Visible, &TTestBox::SetVisible)
                                     .Default(true)
                                     .Property("Left", &TTestBox::Left, &TTestBox::SetLeft)
                                     .Enum("Align", TestAlignType(), &TTestBox::Align, &TTestBox::SetAlign)
                                     .Default(taNone)
                                     .Set("Sides", TestSidesType(), &TTestBox::Sides, &TTestBox::SetSides)
                                     .Default(0)
                                     .Property("Caption", &TTestBox::Caption, &TTestBox::SetCaption)
                                     .Stored(&TTestBox::IsCaptionStored)
                                     .Property("Frame", &TTestBox::Frame, &TTestBox::SetFrame)
                                     .Property("Link", &TTestBox::Link, &TTestBox::SetLink)
                                     .Property("Lines", &TTestBox::Lines, &TTestBox::SetLines)
                                     .Property("Value", &TTestBox::Value, &TTestBox::SetValue)
                                     .Event("OnClick")
                                     .Build();
  return info;
}

const TClassInfo& TTestBigBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestBigBox>("TTestBigBox", &TTestBox::StaticClass())
                                     .Creatable()
                                     .Property("Extra", &TTestBigBox::Extra, &TTestBigBox::SetExtra)
                                     .Property("visible", &TTestBox::Visible, &TTestBox::SetVisible)
                                     .Default(false)
                                     .Build();
  return info;
}

namespace {

std::vector<AnsiString> Names(const TClassInfo& c) {
  std::vector<AnsiString> names;
  for (const TPropInfo* p : c.Properties()) names.push_back(p->Name);
  return names;
}

}  // namespace

TEST(Reflection, ClassesKnowTheirParents) {
  const TClassInfo& big = TTestBigBox::StaticClass();
  EXPECT_EQ(big.Parent(), &TTestBox::StaticClass());
  EXPECT_TRUE(big.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(big.InheritsFrom("tpersistent"));
  EXPECT_FALSE(TTestBox::StaticClass().InheritsFrom(big));
  EXPECT_FALSE(TStringList::StaticClass().InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(TStringList::StaticClass().InheritsFrom(TStrings::StaticClass()));

  TTestBigBox box;
  const TObject& asObject = box;
  EXPECT_EQ(&asObject.ClassType(), &big);
  EXPECT_TRUE(asObject.InheritsFrom(TTestBox::StaticClass()));
  EXPECT_EQ(box.ClassName(), big.Name());
}

TEST(Reflection, PropertiesListBaseClassesFirstAndKeepTheFirstPlaceOfARepublishedOne) {
  EXPECT_EQ(Names(TTestBox::StaticClass()),
            (std::vector<AnsiString>{"Name", "Tag", "Visible", "Left", "Align", "Sides", "Caption", "Frame", "Link",
                                     "Lines", "Value", "OnClick"}));
  EXPECT_EQ(Names(TTestBigBox::StaticClass()),
            (std::vector<AnsiString>{"Name", "Tag", "visible", "Left", "Align", "Sides", "Caption", "Frame", "Link",
                                     "Lines", "Value", "OnClick", "Extra"}));
  // The republished one carries the descendant's default.
  const TPropInfo* v = TTestBigBox::StaticClass().FindProperty("VISIBLE");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->Default, 0);
  EXPECT_EQ(TTestBox::StaticClass().FindProperty("Visible")->Default, 1);
}

TEST(Reflection, KindsFollowTheDeclaredTypes) {
  struct Case {
    const char* name;
    TPropKind kind;
    const char* typeName;
  };
  const Case cases[] = {
      {"Visible", pkEnumeration, "Boolean"},  {"Left", pkFloat, "Extended"},
      {"Align", pkEnumeration, "TTestAlign"}, {"Sides", pkSet, "TTestSides"},
      {"Caption", pkString, "String"},        {"Frame", pkPersistent, "TTestFrame"},
      {"Link", pkComponent, "TComponent"},    {"Lines", pkStrings, "TStringList"},
      {"Value", pkVariant, "Variant"},        {"OnClick", pkEvent, "TNotifyEvent"},
      {"Tag", pkInteger, "Integer"},
  };
  for (const Case& c : cases) {
    const TPropInfo* p = TTestBox::StaticClass().FindProperty(c.name);
    ASSERT_NE(p, nullptr) << c.name;
    EXPECT_EQ(p->Kind, c.kind) << c.name;
    EXPECT_EQ(p->TypeName(), c.typeName) << c.name;
  }
}

TEST(Reflection, DottedNamesReachSubObjectsAndSettersKeepTheirEffects) {
  TTestBox box;
  SetPropValue(box, "frame.color", 5);
  EXPECT_EQ(box.Frame()->Color(), 5);
  EXPECT_EQ(box.Frame()->LeftLine()->Color(), 5);  // the frame's setter coloured the line
  SetPropValue(box, "Frame.LeftLine.Color", 7);
  EXPECT_EQ(box.Frame()->Color(), 5);
  EXPECT_EQ(GetPropValue(box, "FRAME.LEFTLINE.COLOR").AsInteger(), 7);

  TObject* target = nullptr;
  EXPECT_EQ(FindPropPath(box, "Frame.NoSuch", target), nullptr);
  EXPECT_EQ(FindPropPath(box, "Caption.Color", target), nullptr);  // not an object
  EXPECT_THROW(SetPropValue(box, "Frame.NoSuch", 1), EPropertyError);
}

TEST(Reflection, ValuesTravelAsVariants) {
  TComponent owner;
  auto* box = new TTestBox(&owner);
  auto* other = new TComponent(&owner);

  SetPropValue(*box, "Visible", false);
  EXPECT_FALSE(box->Visible());
  EXPECT_EQ(GetPropValue(*box, "Visible").Type(), varBoolean);
  SetPropValue(*box, "Align", "taright");
  EXPECT_EQ(box->Align(), taRight);
  SetPropValue(*box, "Align", 1);
  EXPECT_EQ(box->Align(), taLeft);
  EXPECT_THROW(SetPropValue(*box, "Align", "taMiddle"), EPropertyError);
  EXPECT_EQ(box->Align(), taLeft);  // an unknown name keeps the value
  SetPropValue(*box, "Left", 2.5);
  EXPECT_DOUBLE_EQ(GetPropValue(*box, "left").AsDouble(), 2.5);
  SetPropValue(*box, "Caption", "Привет"_cp);
  EXPECT_EQ(GetPropText(*box, "Caption"), "Привет"_cp);
  EXPECT_EQ(GetPropText(*box, "Align"), "taLeft");

  // Objects travel as handles; a sub-object property copies, a reference stores.
  SetPropValue(*box, "Link", ObjectHandles::HandleOf<TObject>(other));
  EXPECT_EQ(box->Link(), other);
  EXPECT_EQ(GetPropValue(*box, "Link").AsInteger(), ObjectHandles::HandleOf<TObject>(other));
  SetPropValue(*box, "Link", 0);
  EXPECT_EQ(box->Link(), nullptr);
  TTestFrame red;
  red.SetColor(255);
  SetPropValue(*box, "Frame", ObjectHandles::HandleOf<TObject>(&red));
  EXPECT_EQ(box->Frame()->Color(), 255);
  EXPECT_NE(box->Frame(), &red);
  // A reference of the wrong class is refused.
  TStringList list;
  EXPECT_THROW(SetPropValue(*box, "Frame", ObjectHandles::HandleOf<TObject>(&list)), EPropertyError);
  EXPECT_TRUE(GetPropValue(*box, "OnClick").IsNull());
}

TEST(Reflection, StoredTestsAndDefaults) {
  TTestBox box;
  const TPropInfo* caption = TTestBox::StaticClass().FindProperty("Caption");
  const TPropInfo* name = TTestBox::StaticClass().FindProperty("Name");
  EXPECT_TRUE(caption->IsStored(box));
  box.SetCaption("skip");
  EXPECT_FALSE(caption->IsStored(box));
  EXPECT_FALSE(name->IsStored(box));
  EXPECT_FALSE(TTestBox::StaticClass().FindProperty("OnClick")->IsStored(box));
  EXPECT_FALSE(TTestBox::StaticClass().FindProperty("Left")->HasDefault);
}

TEST(Reflection, RegisteredClassesAreMadeByNameWithTheirInfo) {
  RegisterClass(TTestBigBox::StaticClass());
  EXPECT_EQ(GetClassInfo("ttestbigbox"), &TTestBigBox::StaticClass());
  TComponent owner;
  TPersistent* made = FindClass("TTestBigBox").create(&owner);
  ASSERT_NE(dynamic_cast<TTestBigBox*>(made), nullptr);
  EXPECT_EQ(static_cast<TComponent*>(made)->Owner(), &owner);
  // An abstract class cannot be made and is not registered.
  RegisterClass(TTestLine::StaticClass());
  EXPECT_EQ(GetClass("TTestLine"), nullptr);
  EXPECT_THROW(TTestLine::StaticClass().Create(), EClassNotFound);
  UnRegisterClass("TTestBigBox");
}

// ---------------------------------------------------------------- records

namespace {

// An object with one defined text property and one binary one.
class TTestBlob : public TPersistent {
  RTL_CLASS_INFO
 public:
  AnsiString text;
  std::vector<std::uint8_t> bytes;
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        "Text", [this](TReader& r) { text = r.ReadString(); }, [this](TWriter& w) { w.WriteString(text); },
        !text.empty());
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          bytes.resize(static_cast<std::size_t>(s.Size()));
          s.ReadBuffer(bytes.data(), s.Size());
        },
        [this](TStream& s) { s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }, !bytes.empty());
  }
};

std::vector<std::uint8_t> BytesOf(TMemoryStream& s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.Memory());
  return {p, p + s.Size()};
}

}  // namespace

const TClassInfo& TTestBlob::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestBlob>("TTestBlob", &TPersistent::StaticClass()).Build();
  return info;
}

TEST(PropertyRecords, IntegersTakeTheSmallestFormThatHoldsThem) {
  struct Case {
    std::int64_t value;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {0, {vaInt8, 0}},
      {-128, {vaInt8, 0x80}},
      {128, {vaInt16, 0x80, 0}},
      {-32769, {vaInt32, 0xFF, 0x7F, 0xFF, 0xFF}},
      {70000, {vaInt32, 0x70, 0x11, 0x01, 0}},
      {1LL << 40, {vaInt64, 0, 0, 0, 0, 0, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    TMemoryStream s;
    TWriter w(s);
    w.WriteInteger(c.value);
    EXPECT_EQ(BytesOf(s), c.bytes) << c.value;
    s.SetPosition(0);
    TReader r(s);
    EXPECT_EQ(r.ReadInteger(), c.value);
  }
}

TEST(PropertyRecords, DefinedPropertiesRoundTrip) {
  TTestBlob blob;
  blob.text = AnsiString(300, 'x');  // beyond 255 bytes: a long string
  blob.bytes = {1, 2, 3};
  TMemoryStream s;
  TWriter w(s);
  w.WriteDefinedProperties(blob);
  const auto bytes = BytesOf(s);
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes[0], 4);  // "Text"
  EXPECT_EQ(bytes[5], vaLString);
  const std::vector<std::uint8_t> tail(bytes.end() - 13, bytes.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{4, 'D', 'a', 't', 'a', vaBinary, 3, 0, 0, 0, 1, 2, 3}));

  TTestBlob back;
  s.SetPosition(0);
  TReader r(s);
  r.ReadProperties(back);
  EXPECT_EQ(back.text, blob.text);
  EXPECT_EQ(back.bytes, blob.bytes);
}

TEST(PropertyRecords, PublishedPropertiesRoundTrip) {
  TTestBox box;
  box.SetAlign(taRight);
  box.SetSides(5);
  box.SetCaption("Заголовок"_cp);
  box.Frame()->SetColor(9);
  box.Lines()->SetText("a\r\nb");
  box.SetVisible(false);
  TMemoryStream s;
  TWriter w(s);
  w.WriteProperties(box);
  TTestBox back;
  s.SetPosition(0);
  TReader r(s);
  r.ReadProperties(back);
  EXPECT_EQ(back.Align(), taRight);
  EXPECT_EQ(back.Sides(), 5u);
  EXPECT_EQ(back.Caption(), "Заголовок"_cp);
  EXPECT_EQ(back.Frame()->Color(), 9);
  EXPECT_EQ(back.Lines()->Text(), "a\r\nb\r\n");
  EXPECT_FALSE(back.Visible());
}

TEST(PropertyRecords, HostileBytesRaiseReadErrors) {
  const std::vector<std::vector<std::uint8_t>> inputs = {
      {4, 'T', 'e', 'x', 't', vaLString, 0xFF, 0xFF, 0xFF, 0x7F},  // a length beyond the bytes
      {4, 'T', 'e', 'x', 't'},                                     // a name with no value
      {4, 'N', 'o', 'n', 'e', vaInt8, 1},                          // no such property
      {4, 'T', 'e', 'x', 't', 99},                                 // no such value type
      {4, 'D', 'a', 't', 'a', vaInt8, 1},                          // binary expected
  };
  for (const auto& in : inputs) {
    TMemoryStream s;
    s.WriteBuffer(in.data(), static_cast<std::int64_t>(in.size()));
    s.SetPosition(0);
    TReader r(s);
    TTestBlob blob;
    EXPECT_THROW(r.ReadProperties(blob), EReadError);
  }
  // Lists nested without end are refused before the stack runs out.
  TMemoryStream deep;
  const std::vector<std::uint8_t> lists(100000, vaList);
  deep.WriteBuffer(lists.data(), static_cast<std::int64_t>(lists.size()));
  deep.SetPosition(0);
  TReader r(deep);
  EXPECT_THROW(r.SkipValue(), EReadError);
}
