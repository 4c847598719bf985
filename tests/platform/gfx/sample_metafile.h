// A small metafile built record by record: the fixture of the format tests.
#pragma once
#include <gtest/gtest.h>

#include "external_tools.h"
#include "platform/gfx/emf_format.h"

namespace gfx_test {

// 100 x 80 pixels on a 96-dpi reference: a red box with a black frame, a
// blue ellipse without a frame, a green line and the black text "Дата".
inline gfx::emf::Document SampleDocument() {
  using namespace gfx::emf;
  Document doc;
  doc.header.device = Header::DeviceForPpi(96);
  doc.header.millimeters = {508, 381};
  doc.header.frame = {0, 0, 2646, 2117};  // 100 x 80 px in 0.01 mm
  doc.header.bounds = {0, 0, 99, 79};
  doc.header.description = u"Zarnik\0test";
  // A pale yellow ground over the whole frame lets a reader's output be
  // located on its page.
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, NULL_PEN));
  doc.records.push_back(MakeCreateBrush(5, LogBrush{BS_SOLID, 0xC0FFFF, 0}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 5));
  doc.records.push_back(MakeRectRecord(EMR_RECTANGLE, {0, 0, 101, 81}));
  doc.records.push_back(MakeCreatePen(1, LogPen{PS_SOLID, 1, 0x000000, {}}));
  doc.records.push_back(MakeCreateBrush(2, LogBrush{BS_SOLID, 0x0000FF, 0}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 1));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 2));
  doc.records.push_back(MakeRectRecord(EMR_RECTANGLE, {10, 10, 50, 40}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, NULL_PEN));
  doc.records.push_back(MakeCreateBrush(3, LogBrush{BS_SOLID, 0xFF0000, 0}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 3));
  doc.records.push_back(MakeRectRecord(EMR_ELLIPSE, {55, 10, 95, 50}));
  doc.records.push_back(MakeCreatePen(4, LogPen{PS_SOLID | PS_GEOMETRIC | PS_ENDCAP_FLAT, 3, 0x00FF00, {}}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 4));
  doc.records.push_back(MakePointRecord(EMR_MOVETOEX, 5, 70));
  doc.records.push_back(MakePointRecord(EMR_LINETO, 95, 70));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, BLACK_PEN));
  doc.records.push_back(MakeU32Record(EMR_DELETEOBJECT, 4));
  LogFont font;
  font.height = -16;
  font.faceName = u"Arial";
  doc.records.push_back(MakeCreateFont(6, font));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 6));
  doc.records.push_back(MakeU32Record(EMR_SETBKMODE, TRANSPARENT));
  doc.records.push_back(MakeExtTextOutW({10, 50, 50, 66}, {10, 50}, u"Дата", 0, {}, {10, 10, 10, 10}));
  return doc;
}

}  // namespace gfx_test

namespace gfx_test {

// Checks a reader's raster of SampleDocument(): the reader places the
// picture on a page, so it is found by its ground and sampled by proportion.
inline void ExpectSampleRendered(const RgbImage& img) {
  Box box = ContentBox(img);
  ASSERT_GT(box.Width(), 50);
  EXPECT_NEAR(double(box.Width()) / box.Height(), 100.0 / 80.0, 0.05) << "aspect of the frame";
  auto at = [&](double fx, double fy) {
    return img.Pixel(box.left + int(fx * box.Width()), box.top + int(fy * box.Height()));
  };
  EXPECT_TRUE(NearColor(at(0.30, 0.31), 0x0000FF)) << std::hex << at(0.30, 0.31) << " inside the red box";
  EXPECT_TRUE(NearColor(at(0.75, 0.375), 0xFF0000)) << std::hex << at(0.75, 0.375) << " inside the blue ellipse";
  EXPECT_TRUE(NearColor(at(0.5, 0.875), 0x00FF00)) << std::hex << at(0.5, 0.875) << " on the green line";
  EXPECT_TRUE(NearColor(at(0.97, 0.6), 0xC0FFFF)) << std::hex << at(0.97, 0.6) << " ground";
  int dark = 0;
  for (int y = box.top + box.Height() * 62 / 100; y < box.top + box.Height() * 84 / 100; ++y)
    for (int x = box.left + box.Width() / 10; x < box.left + box.Width() / 2; ++x)
      if (NearColor(img.Pixel(x, y), 0x000000, 100)) ++dark;
  EXPECT_GT(dark, box.Width() * box.Height() / 400) << "the text is drawn";
}

}  // namespace gfx_test
