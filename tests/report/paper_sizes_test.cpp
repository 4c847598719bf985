#include <gtest/gtest.h>

#include "report/vuzPaperSizes.h"

namespace {

// The table as Windows numbers its papers: number, width, height (0.1 mm).
struct Row {
  int paper, width, height;
};
constexpr Row kRows[] = {
    {1, 2159, 2794},  {2, 2159, 2794},   {3, 2794, 4318},  {4, 4318, 2794},  {5, 2159, 3556},  {6, 1397, 2159},
    {7, 1842, 2667},  {8, 2970, 4200},   {9, 2100, 2970},  {10, 2100, 2970}, {11, 1480, 2100}, {12, 2500, 3540},
    {13, 1820, 2570}, {14, 2159, 3302},  {15, 2150, 2750}, {16, 2540, 3556}, {17, 2794, 4318}, {18, 2159, 2794},
    {19, 984, 2254},  {20, 1048, 2413},  {21, 1143, 2635}, {22, 1207, 2794}, {23, 1270, 2921}, {24, 4318, 5588},
    {25, 5588, 8636}, {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580}, {30, 2290, 3240},
    {31, 1140, 1620}, {32, 1140, 2290},  {33, 2500, 3530}, {34, 1760, 2500}, {35, 1760, 1250}, {36, 1100, 2300},
    {37, 984, 1905},  {38, 920, 1651},   {39, 3778, 2794}, {40, 2159, 3048}, {41, 2159, 3302}, {42, 2500, 3530},
    {43, 1000, 1480}, {44, 2286, 2794},  {45, 2540, 2794}, {46, 3810, 2794}, {47, 2200, 2200}, {50, 2355, 3048},
    {51, 2355, 3810}, {52, 2969, 4572},  {53, 2354, 3223}, {54, 2101, 2794}, {55, 2100, 2970}, {56, 2355, 3048},
    {57, 2270, 3560}, {58, 3050, 4870},  {59, 2159, 3223}, {60, 2100, 3300}, {61, 1480, 2100}, {62, 1820, 2570},
    {63, 3220, 4450}, {64, 1740, 2350},  {65, 2010, 2760}, {66, 4200, 5940}, {67, 2970, 4200}, {68, 3220, 4450},
};

TEST(PaperSizes, EveryRowGivesItsMillimetres) {
  static_assert(std::size(kRows) == report::kPaperCount);
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    const Row& r = kRows[i];
    EXPECT_EQ(report::vuzPaperInfo[i].Typ, r.paper) << "row " << i;
    EXPECT_STREQ(report::vuzPaperInfo[i].Name, "");
    long double w = -1, h = -1;
    ASSERT_TRUE(report::vuzGetPaperDimensions(r.paper, w, h)) << r.paper;
    EXPECT_DOUBLE_EQ(static_cast<double>(w), r.width / 10.0) << r.paper;
    EXPECT_DOUBLE_EQ(static_cast<double>(h), r.height / 10.0) << r.paper;
  }
}

TEST(PaperSizes, NumbersOutsideTheTableAreRefusedAndLeaveTheOutputs) {
  for (int paper : {0, -1, 48, 49, 69, 255, 256, 1000}) {
    long double w = 12.5, h = 7.25;
    EXPECT_FALSE(report::vuzGetPaperDimensions(paper, w, h)) << paper;
    EXPECT_EQ(w, 12.5L) << paper;
    EXPECT_EQ(h, 7.25L) << paper;
  }
}

TEST(PaperSizes, MediaAreMatchedWithinAMillimetre) {
  struct Case {
    double w, h;
    int paper;
  };
  for (const Case c :
       {Case{210, 297, 9}, Case{210.9, 296.2, 9}, Case{297, 210, 9}, Case{148, 210, 11}, Case{215.9, 279.4, 1},
        Case{279.4, 215.9, 1}, Case{100, 150, 256}, Case{211.2, 297, 256}, Case{220, 220, 47}})
    EXPECT_EQ(report::vuzFindPaperNumber(c.w, c.h), c.paper) << c.w << " x " << c.h;
}

}  // namespace
