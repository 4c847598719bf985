#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/picture.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/typinfo.h"

using namespace gfx;

namespace {
std::vector<rtl::AnsiString> Names(const rtl::TClassInfo& c) {
  std::vector<rtl::AnsiString> names;
  for (const rtl::TPropInfo* p : c.Properties()) names.push_back(p->Name);
  return names;
}
}  // namespace

TEST(PersistentGraphics, ToolsPublishTheirPropertiesInStoredOrder) {
  EXPECT_EQ(Names(TFont::StaticClass()),
            (std::vector<rtl::AnsiString>{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
  EXPECT_EQ(Names(TPen::StaticClass()), (std::vector<rtl::AnsiString>{"Color", "Mode", "Style", "Width"}));
  EXPECT_EQ(Names(TBrush::StaticClass()), (std::vector<rtl::AnsiString>{"Color", "Style"}));
  EXPECT_TRUE(TFont::StaticClass().InheritsFrom(rtl::TPersistent::StaticClass()));
  EXPECT_TRUE(TPicture::StaticClass().InheritsFrom(rtl::TPersistent::StaticClass()));

  TFont font;
  const rtl::TObject& asObject = font;
  EXPECT_EQ(&asObject.ClassType(), &TFont::StaticClass());
  EXPECT_FALSE(TFont::StaticClass().FindProperty("Size")->IsStored(font));
  rtl::SetPropValue(font, "Style", 5);  // bold and underline
  EXPECT_TRUE(font.Style().Contains(fsBold));
  EXPECT_TRUE(font.Style().Contains(fsUnderline));
  rtl::SetPropValue(font, "Pitch", "fpFixed");
  EXPECT_EQ(font.Pitch(), fpFixed);
  EXPECT_EQ(rtl::GetPropText(font, "Pitch"), "fpFixed");
  // Assign through the persistent base copies the values.
  TFont other;
  static_cast<rtl::TPersistent&>(other).Assign(static_cast<const rtl::TPersistent*>(&font));
  EXPECT_TRUE(other == font);
  TPen pen;
  EXPECT_THROW(static_cast<rtl::TPersistent&>(other).Assign(static_cast<const rtl::TPersistent*>(&pen)),
               rtl::EConvertError);
}

TEST(PersistentGraphics, APictureStoresItsGraphicAsData) {
  TPicture picture;
  picture.Bitmap().SetSize(3, 2);
  rtl::TMemoryStream stream;
  rtl::TWriter writer(stream);
  writer.WriteDefinedProperties(picture);
  ASSERT_GT(stream.Size(), 6);
  EXPECT_EQ(std::string(stream.Memory() + 1, 4), "Data");

  TPicture back;
  stream.SetPosition(0);
  rtl::TReader reader(stream);
  reader.ReadProperties(back);
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Height(), 2);

  // An empty picture defines nothing.
  rtl::TMemoryStream empty;
  rtl::TWriter emptyWriter(empty);
  TPicture none;
  emptyWriter.WriteDefinedProperties(none);
  EXPECT_EQ(empty.Size(), 0);
}
