// The preview window's 25 button pictures, drawn into one 400 x 16 strip of
// 24-bit pixels on a silver background (the background is the mask colour).
#include "report/vuzPreviewButtons.h"

#include <vector>

namespace report {

namespace {

using gfx::TCanvas;
using gfx::TColor;
using gfx::TPoint;

constexpr TColor kPaper = gfx::clWhite;
constexpr TColor kInk = gfx::clBlack;
constexpr TColor kShade = gfx::clGray;

// Drawing in the coordinates of one 16 x 16 cell.
class Cell {
 public:
  Cell(TCanvas& c, int index) : c_(c), ox_(index * 16) {}

  void Fill(int x1, int y1, int x2, int y2, TColor color) {
    c_.Brush().SetColor(color);
    c_.FillRect(gfx::Rect(ox_ + x1, y1, ox_ + x2, y2));
  }
  void Box(int x1, int y1, int x2, int y2, TColor fill, TColor line = kInk) {
    c_.Pen().SetColor(line);
    c_.Brush().SetColor(fill);
    c_.Rectangle(ox_ + x1, y1, ox_ + x2, y2);
  }
  void Line(int x1, int y1, int x2, int y2, TColor color) {
    c_.Pen().SetColor(color);
    c_.MoveTo(ox_ + x1, y1);
    c_.LineTo(ox_ + x2, y2);
    c_.SetPixel(ox_ + x2, y2, color);  // LineTo leaves out the end point
  }
  void Shape(std::vector<TPoint> points, TColor fill, TColor line = kInk) {
    for (auto& p : points) p.X += ox_;
    c_.Pen().SetColor(line);
    c_.Brush().SetColor(fill);
    c_.Polygon(points);
  }
  void Oval(int x1, int y1, int x2, int y2, TColor fill, TColor line = kInk) {
    c_.Pen().SetColor(line);
    c_.Brush().SetColor(fill);
    c_.Ellipse(ox_ + x1, y1, ox_ + x2, y2);
  }
  // A sheet of paper with a turned top-right corner.
  void Page(int x1, int y1, int x2, int y2) {
    Shape({{x1, y1}, {x2 - 4, y1}, {x2 - 1, y1 + 3}, {x2 - 1, y2 - 1}, {x1, y2 - 1}}, kPaper);
    Line(x2 - 4, y1, x2 - 4, y1 + 3, kInk);
    Line(x2 - 4, y1 + 3, x2 - 1, y1 + 3, kInk);
  }
  void TextLines(int x1, int x2, int y1, int y2, TColor color = kShade) {
    for (int y = y1; y <= y2; y += 2) Line(x1, y, x2, y, color);
  }
  void Magnifier(bool plus) {
    Oval(1, 1, 11, 11, gfx::clWhite);
    Line(9, 9, 14, 14, kInk);
    Line(10, 9, 14, 13, kInk);
    Line(3, 5, 7, 5, gfx::clNavy);
    if (plus) Line(5, 3, 5, 7, gfx::clNavy);
  }

 private:
  TCanvas& c_;
  int ox_;
};

void DrawPictures(TCanvas& c) {
  using namespace gfx;
  {  // 0: an open folder
    Cell k(c, 0);
    k.Shape({{1, 3}, {5, 3}, {6, 4}, {12, 4}, {12, 13}, {1, 13}}, clOlive);
    k.Shape({{3, 7}, {15, 7}, {12, 13}, {1, 13}}, clYellow);
  }
  {  // 1: a diskette
    Cell k(c, 1);
    k.Box(1, 1, 15, 15, clNavy);
    k.Fill(4, 2, 12, 7, kPaper);
    k.Fill(5, 10, 11, 14, clSilver);
    k.Fill(6, 11, 8, 13, clNavy);
  }
  {  // 2: a printer
    Cell k(c, 2);
    k.Box(4, 1, 12, 7, kPaper);
    k.Box(1, 6, 15, 12, clSilver);
    k.Fill(12, 8, 14, 9, clLime);
    k.Box(4, 10, 12, 15, kPaper);
  }
  {  // 3: a page with a downward arrow (export)
    Cell k(c, 3);
    k.Page(1, 1, 11, 15);
    k.TextLines(3, 7, 5, 11);
    k.Shape({{10, 6}, {13, 6}, {13, 10}, {15, 10}, {11, 14}, {7, 10}, {10, 10}}, clGreen);
  }
  {  // 4: binoculars (find)
    Cell k(c, 4);
    k.Box(5, 3, 11, 8, kInk);
    k.Oval(1, 6, 8, 14, clGray);
    k.Oval(8, 6, 15, 14, clGray);
    k.Fill(3, 9, 5, 11, clAqua);
    k.Fill(10, 9, 12, 11, clAqua);
  }
  {  // 5: a page with an outline tree
    Cell k(c, 5);
    k.Page(2, 1, 14, 15);
    k.Line(4, 4, 4, 12, kInk);
    for (int y : {5, 8, 11}) {
      k.Line(4, y, 6, y, kInk);
      k.Fill(7, y - 1, 11, y + 1, clNavy);
    }
  }
  // 6: blank
  {  // 7: a page with a turned corner beside a page frame (page settings)
    Cell k(c, 7);
    k.Box(7, 3, 15, 14, kPaper, clNavy);
    k.Box(9, 5, 13, 12, kPaper, kShade);
    k.Page(1, 1, 9, 12);
  }
  {  // 8: first page
    Cell k(c, 8);
    k.Fill(3, 4, 5, 12, kInk);
    k.Shape({{12, 3}, {12, 12}, {6, 8}}, kInk);
  }
  {  // 9: previous page
    Cell k(c, 9);
    k.Shape({{10, 3}, {10, 12}, {5, 8}}, kInk);
  }
  {  // 10: next page
    Cell k(c, 10);
    k.Shape({{6, 3}, {6, 12}, {11, 8}}, kInk);
  }
  {  // 11: last page
    Cell k(c, 11);
    k.Shape({{4, 3}, {4, 12}, {10, 8}}, kInk);
    k.Fill(11, 4, 13, 12, kInk);
  }
  {  // 12: a page with a list
    Cell k(c, 12);
    k.Page(2, 1, 14, 15);
    for (int y = 4; y <= 12; y += 3) {
      k.Fill(4, y, 6, y + 2, clNavy);
      k.Line(7, y + 1, 11, y + 1, kShade);
    }
  }
  {  // 13: an upward arrow beside lines
    Cell k(c, 13);
    k.Shape({{4, 2}, {8, 6}, {5, 6}, {5, 13}, {3, 13}, {3, 6}, {0, 6}}, clGreen);
    k.TextLines(9, 15, 3, 13, kInk);
  }
  {  // 14: a downward arrow beside lines
    Cell k(c, 14);
    k.Shape({{3, 2}, {5, 2}, {5, 9}, {8, 9}, {4, 13}, {0, 9}, {3, 9}}, clGreen);
    k.TextLines(9, 15, 3, 13, kInk);
  }
  {  // 15: a magnifier with a plus
    Cell k(c, 15);
    k.Magnifier(true);
  }
  {  // 16: a magnifier with a minus
    Cell k(c, 16);
    k.Magnifier(false);
  }
  // 17, 18: blank
  {  // 19: a page with a star (new page)
    Cell k(c, 19);
    k.Page(1, 2, 11, 15);
    k.Line(12, 1, 12, 7, clYellow);
    k.Line(9, 4, 15, 4, clYellow);
    k.Line(10, 2, 14, 6, clOlive);
    k.Line(10, 6, 14, 2, clOlive);
  }
  {  // 20: a page with a red cross (delete page)
    Cell k(c, 20);
    k.Page(1, 1, 11, 15);
    k.Line(8, 8, 14, 14, clRed);
    k.Line(9, 8, 15, 14, clRed);
    k.Line(14, 8, 8, 14, clRed);
    k.Line(15, 8, 9, 14, clRed);
  }
  {  // 21: a page with a pencil (edit page)
    Cell k(c, 21);
    k.Page(1, 1, 11, 15);
    k.Shape({{13, 4}, {15, 6}, {8, 13}, {6, 14}, {7, 11}}, clYellow);
    k.Line(6, 14, 7, 13, kInk);
  }
  {  // 22: a window (full screen)
    Cell k(c, 22);
    k.Box(1, 2, 15, 14, kPaper);
    k.Fill(2, 3, 14, 5, clNavy);
    k.Fill(12, 3, 14, 5, clSilver);
  }
  {  // 23: an envelope with a paper clip (send by e-mail)
    Cell k(c, 23);
    k.Box(1, 4, 15, 13, kPaper);
    k.Line(1, 4, 8, 9, kInk);
    k.Line(14, 4, 8, 9, kInk);
    k.Box(11, 1, 14, 8, clSilver, clGray);
  }
  {  // 24: a red PDF symbol (save as PDF)
    Cell k(c, 24);
    k.Page(1, 1, 15, 15);
    k.Fill(3, 6, 13, 11, clRed);
    // P, D, F in three white strokes.
    k.Line(4, 7, 4, 9, kPaper);
    k.Line(5, 7, 5, 7, kPaper);
    k.Line(7, 7, 7, 9, kPaper);
    k.Line(8, 8, 8, 8, kPaper);
    k.Line(10, 7, 10, 9, kPaper);
    k.Line(11, 7, 11, 7, kPaper);
  }
}

}  // namespace

std::unique_ptr<gfx::TBitmap> vuzDrawPreviewButtonStrip() {
  auto strip = std::make_unique<gfx::TBitmap>(kPreviewButtonCount * 16, 16, gfx::pf24bit);
  gfx::TCanvas& c = strip->Canvas();
  c.Brush().SetColor(gfx::clSilver);
  c.FillRect(gfx::Rect(0, 0, strip->Width(), 16));
  c.Pen().SetWidth(1);
  DrawPictures(c);
  return strip;
}

}  // namespace report
