#include "export/biff/biffExcelStandIn.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <tuple>

#include "export/biff/biffFile.h"
#include "export/biff/biffWorkbook.h"
#include "platform/rtl/files.h"

namespace report {

namespace {

constexpr int kMaxRow = 65536, kMaxCol = 256;
constexpr double kStandardRowHeight = 12.75, kStandardColumnWidth = 8.43;
constexpr std::int32_t kPageBreakManual = -4135, kPageBreakNone = -4142;
constexpr std::int32_t kClassicWorkbook = -4143, kExcel8 = 56;

std::mutex& LastSavedLock() {
  static std::mutex m;
  return m;
}
TExcelStandInBook& LastSaved() {
  static TExcelStandInBook book;
  return book;
}

bool Is(std::string_view member, std::string_view name) {
  if (member.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(member[i])) != std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

[[noreturn]] void Unknown(std::string_view object, std::string_view member) {
  throw EOleError("Unknown name: " + AnsiString(object) + "." + AnsiString(member));
}

const rtl::Variant& Arg(std::span<rtl::Variant> args, std::size_t i, std::string_view member) {
  if (i >= args.size() || OleIsEmptyParam(args[i])) throw EOleError("Argument not optional: " + AnsiString(member));
  return args[i];
}

// Column pixels of a width in characters of the standard font, and row
// pixels of a height in points.
double ColumnPixels(double chars) { return chars <= 0 ? 0 : std::floor(chars * 7 + 5); }

// One address: column letters, then the row number.
bool ParseCell(std::string_view s, int& col, int& row) {
  std::size_t i = 0;
  col = 0;
  if (i < s.size() && s[i] == '$') ++i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
    col = col * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
    if (col > kMaxCol) return false;
    ++i;
  }
  if (col == 0) return false;
  if (i < s.size() && s[i] == '$') ++i;
  if (i == s.size()) return false;
  row = 0;
  for (; i < s.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    row = row * 10 + (s[i] - '0');
    if (row > kMaxRow) return false;
  }
  return row >= 1;
}

class Application;

// The one workbook of an application with its sheet; shared by every object
// the application hands out.
struct Book {
  TExcelStandInBook content;
  bool exists = false;

  TExcelStandInCell& Cell(int row, int col) { return content.Cells[{row, col}]; }
  template <class F>
  void ForCells(const std::vector<TExcelArea>& areas, F&& f) {
    for (const TExcelArea& a : areas)
      for (int r = a.Top; r <= a.Bottom; ++r)
        for (int c = a.Left; c <= a.Right; ++c) f(Cell(r, c));
  }
};

// Every object of the stand-in is one of these, told apart by its kind.
class Node : public rtl::DispatchObject {
 public:
  enum Kind {
    kApp,
    kWorkbooks,
    kWorkbook,
    kSheet,
    kPageSetup,
    kRange,
    kBorders,
    kBorder,
    kStyles,
    kStyle,
    kFont,
    kInterior,
    kWindow,
    kPicture
  };
  Node(Kind kind, std::shared_ptr<Book> book) : kind_(kind), book_(std::move(book)) {}

  static rtl::Variant Make(Kind kind, const std::shared_ptr<Book>& book, std::vector<TExcelArea> areas = {},
                           WideString name = {}, int index = 0) {
    auto* n = new Node(kind, book);
    n->areas_ = std::move(areas);
    n->name_ = std::move(name);
    n->index_ = index;
    return rtl::Variant::FromDispatch(n);
  }

  rtl::Variant Invoke(std::string_view member, rtl::DispatchKind kind, std::span<rtl::Variant> args) override;

 private:
  rtl::Variant App(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a);
  rtl::Variant Workbook(std::string_view m, std::span<rtl::Variant> a);
  rtl::Variant Sheet(std::string_view m, std::span<rtl::Variant> a);
  rtl::Variant Range(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a);
  rtl::Variant StyleMember(std::string_view m, std::span<rtl::Variant> a);
  rtl::Variant PictureMember(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a);
  void PutValues(const rtl::Variant& v);
  void SetBorder(int item);
  void Paste();
  TExcelStandInStyle& StyleOf() {
    auto it = book_->content.Styles.find(name_);
    if (it == book_->content.Styles.end()) throw EOleError("The style no longer exists");
    return it->second;
  }

  Kind kind_;
  std::shared_ptr<Book> book_;
  std::vector<TExcelArea> areas_;
  WideString name_;
  int index_ = 0;
};

rtl::Variant Node::Invoke(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a) {
  const bool put = k == rtl::DispatchKind::PropertyPut;
  switch (kind_) {
    case kApp: return App(m, k, a);
    case kWorkbooks:
      if (Is(m, "Add")) {
        book_->content = TExcelStandInBook();
        book_->exists = true;
        return Make(kWorkbook, book_);
      }
      if (Is(m, "Count")) return book_->exists ? 1 : 0;
      Unknown("Workbooks", m);
    case kWorkbook: return Workbook(m, a);
    case kSheet: return Sheet(m, a);
    case kPageSetup: {
      if (!put) Unknown("PageSetup", m);
      const rtl::Variant& v = Arg(a, 0, m);
      const char* margins[] = {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"};
      for (int i = 0; i < 4; ++i)
        if (Is(m, margins[i])) {
          book_->content.Margins[i] = std::max(0.0, v.AsDouble());
          return {};
        }
      if (Is(m, "Orientation")) {
        book_->content.Orientation = v.AsInteger() == 2 ? 2 : 1;
        return {};
      }
      Unknown("PageSetup", m);
    }
    case kRange: return Range(m, k, a);
    case kBorders:
      if (Is(m, "Item")) return Make(kBorder, book_, areas_, {}, Arg(a, 0, m).AsInteger());
      Unknown("Borders", m);
    case kBorder:
      if (put && (Is(m, "LineStyle") || Is(m, "Weight"))) {
        // Any line style but "none" (-4142) draws the edge.
        if (Is(m, "LineStyle") && Arg(a, 0, m).AsInteger() != -4142) SetBorder(index_);
        return {};
      }
      Unknown("Border", m);
    case kStyles:
      if (Is(m, "Add")) {
        const WideString name = Arg(a, 0, m).AsWideString();
        if (name.empty() || book_->content.Styles.count(name)) throw EOleError("Add method of Styles class failed");
        book_->content.Styles[name] = TExcelStandInStyle();
        return Make(kStyle, book_, {}, name);
      }
      if (Is(m, "Item")) {
        const WideString name = Arg(a, 0, m).AsWideString();
        if (!book_->content.Styles.count(name)) throw EOleError("No style of that name");
        return Make(kStyle, book_, {}, name);
      }
      Unknown("Styles", m);
    case kStyle:
    case kFont:
    case kInterior: return StyleMember(m, a);
    case kWindow:
      if (put && Is(m, "DisplayGridlines")) {
        book_->content.GridLines = Arg(a, 0, m).AsBoolean();
        return {};
      }
      Unknown("Window", m);
    case kPicture: return PictureMember(m, k, a);
  }
  Unknown("object", m);
}

rtl::Variant Node::App(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a) {
  if (Is(m, "Application")) return rtl::Variant::FromDispatch(this);
  if (k == rtl::DispatchKind::PropertyPut && (Is(m, "ScreenUpdating") || Is(m, "DisplayAlerts") || Is(m, "Visible"))) {
    Arg(a, 0, m).AsBoolean();
    return {};
  }
  if (Is(m, "WorkBooks")) return Make(kWorkbooks, book_);
  if (Is(m, "Quit")) return {};
  if (!book_->exists) throw EOleError("No workbook is open (" + AnsiString(m) + ")");
  if (Is(m, "ActiveWorkbook")) return Make(kWorkbook, book_);
  if (Is(m, "ActiveSheet")) return Make(kSheet, book_);
  if (Is(m, "ActiveWindow")) return Make(kWindow, book_);
  Unknown("Application", m);
}

rtl::Variant Node::Workbook(std::string_view m, std::span<rtl::Variant> a) {
  if (Is(m, "WorkSheets")) {
    if (Arg(a, 0, m).AsInteger() != 1) throw EOleError("Invalid index: the workbook has one sheet");
    return Make(kSheet, book_);
  }
  if (Is(m, "Styles")) return Make(kStyles, book_);
  if (Is(m, "Close")) return {};
  if (Is(m, "SaveAs")) {
    const AnsiString fileName = Arg(a, 0, m).AsString();
    const std::int32_t format = a.size() > 1 && !OleIsEmptyParam(a[1]) ? a[1].AsInteger() : kClassicWorkbook;
    if (format != kClassicWorkbook && format != kExcel8)
      throw EOleError("SaveAs: file format " + std::to_string(format) + " is not supported");
    TBiffWorkbook workbook;
    book_->content.Build(workbook);
    rtl::SaveFileAtomically(fileName, [&](rtl::TStream& out) { BiffWriteWorkbookFile(workbook, out, {}, true); });
    std::lock_guard<std::mutex> hold(LastSavedLock());
    LastSaved() = book_->content;
    return {};
  }
  Unknown("Workbook", m);
}

rtl::Variant Node::Sheet(std::string_view m, std::span<rtl::Variant> a) {
  if (Is(m, "Range")) {
    std::vector<TExcelArea> areas = BiffParseRangeText(Arg(a, 0, m).AsString());
    if (a.size() > 1 && !OleIsEmptyParam(a[1])) {
      // Two corners: the rectangle spanning both.
      for (const TExcelArea& b : BiffParseRangeText(a[1].AsString())) {
        TExcelArea& r = areas.front();
        r = {std::min(r.Left, b.Left), std::min(r.Top, b.Top), std::max(r.Right, b.Right),
             std::max(r.Bottom, b.Bottom)};
      }
      areas.resize(1);
    }
    return Make(kRange, book_, std::move(areas));
  }
  if (Is(m, "Columns")) {
    const int c = Arg(a, 0, m).AsInteger();
    if (c < 1 || c > kMaxCol) throw EOleError("Invalid column " + std::to_string(c));
    return Make(kRange, book_, {TExcelArea{c, 1, c, kMaxRow}});
  }
  if (Is(m, "Rows")) {
    const int r = Arg(a, 0, m).AsInteger();
    if (r < 1 || r > kMaxRow) throw EOleError("Invalid row " + std::to_string(r));
    return Make(kRange, book_, {TExcelArea{1, r, kMaxCol, r}});
  }
  if (Is(m, "Cells")) return Make(kRange, book_, {TExcelArea{1, 1, kMaxCol, kMaxRow}});
  if (Is(m, "PageSetup")) return Make(kPageSetup, book_);
  if (Is(m, "PasteSpecial") || Is(m, "Paste")) {
    Paste();
    return {};
  }
  if (Is(m, "Pictures")) {
    const int i = Arg(a, 0, m).AsInteger();
    if (i < 1 || i > static_cast<int>(book_->content.Pictures.size()))
      throw EOleError("Unable to get the Item property of the Pictures class");
    return Make(kPicture, book_, {}, {}, i);
  }
  if (Is(m, "Select") || Is(m, "Activate")) return {};
  Unknown("Worksheet", m);
}

rtl::Variant Node::Range(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a) {
  const bool put = k == rtl::DispatchKind::PropertyPut;
  Book& b = *book_;
  if (Is(m, "Rows") && a.empty()) return Make(kRange, book_, areas_);
  if (Is(m, "Cells") && a.empty()) return Make(kRange, book_, areas_);
  if (Is(m, "Borders")) return Make(kBorders, book_, areas_);
  if (Is(m, "Select")) {
    b.content.Selection = areas_.front();
    return {};
  }
  if (!put) Unknown("Range", m);
  const rtl::Variant& v = Arg(a, 0, m);
  if (Is(m, "RowHeight")) {
    const double h = std::clamp(v.AsDouble(), 0.0, 409.0);
    for (const TExcelArea& area : areas_)
      for (int r = area.Top; r <= area.Bottom; ++r) b.content.RowHeights[r] = h;
  } else if (Is(m, "ColumnWidth")) {
    const double w = std::clamp(v.AsDouble(), 0.0, 255.0);
    for (const TExcelArea& area : areas_)
      for (int c = area.Left; c <= area.Right; ++c) b.content.ColumnWidths[c] = w;
  } else if (Is(m, "MergeCells")) {
    if (v.AsBoolean())
      for (const TExcelArea& area : areas_)
        if (area.Right > area.Left || area.Bottom > area.Top) b.content.Merges.push_back(area);
  } else if (Is(m, "Style")) {
    const WideString name = v.AsWideString();
    if (!name.empty() && !b.content.Styles.count(name)) throw EOleError("Unable to set the Style property");
    b.ForCells(areas_, [&](TExcelStandInCell& c) { c.Style = name; });
  } else if (Is(m, "NumberFormat")) {
    const WideString format = v.AsWideString();
    b.ForCells(areas_, [&](TExcelStandInCell& c) { c.NumberFormat = format; });
  } else if (Is(m, "Value")) {
    PutValues(v);
  } else if (Is(m, "PageBreak")) {
    const std::int32_t kindOfBreak = v.AsInteger();
    for (const TExcelArea& area : areas_) {
      if (kindOfBreak == kPageBreakManual && area.Top > 1) b.content.PageBreaks.insert(area.Top);
      if (kindOfBreak == kPageBreakNone) b.content.PageBreaks.erase(area.Top);
    }
  } else if (!Is(m, "WrapText")) {  // cells always wrap in this stand-in
    Unknown("Range", m);
  }
  return {};
}

void Node::PutValues(const rtl::Variant& v) {
  const TExcelArea& area = areas_.front();
  if (!v.IsArray()) {
    book_->ForCells({area}, [&](TExcelStandInCell& c) { c.Value = v; });
    return;
  }
  if (rtl::VarArrayDimCount(v) != 2) throw EOleError("Value: a two-dimensional array is expected");
  const int lo1 = rtl::VarArrayLowBound(v, 1), hi1 = rtl::VarArrayHighBound(v, 1);
  const int lo2 = rtl::VarArrayLowBound(v, 2), hi2 = rtl::VarArrayHighBound(v, 2);
  for (int r = area.Top; r <= area.Bottom && r - area.Top + lo1 <= hi1; ++r)
    for (int c = area.Left; c <= area.Right && c - area.Left + lo2 <= hi2; ++c) {
      const std::int32_t at[2] = {r - area.Top + lo1, c - area.Left + lo2};
      rtl::Variant value = v.GetElement(at);
      if (value.IsEmpty() || (value.IsString() && value.AsWideString().empty())) {
        auto it = book_->content.Cells.find({r, c});
        if (it != book_->content.Cells.end()) it->second.Value = rtl::Variant();
        continue;
      }
      book_->Cell(r, c).Value = std::move(value);
    }
}

void Node::SetBorder(int item) {
  Book& b = *book_;
  for (const TExcelArea& a : areas_) {
    switch (item) {
      case 7:
        for (int r = a.Top; r <= a.Bottom; ++r) b.Cell(r, a.Left).Borders |= 1;
        break;
      case 10:
        for (int r = a.Top; r <= a.Bottom; ++r) b.Cell(r, a.Right).Borders |= 2;
        break;
      case 8:
        for (int c = a.Left; c <= a.Right; ++c) b.Cell(a.Top, c).Borders |= 4;
        break;
      case 9:
        for (int c = a.Left; c <= a.Right; ++c) b.Cell(a.Bottom, c).Borders |= 8;
        break;
      default: throw EOleError("Unable to get the Item property of the Borders class");
    }
  }
}

// Places the picture on the clipboard at the selected cell, at its own size.
void Node::Paste() {
  const TAutomationPicture& clip = vuzAutomationClipboard();
  if (clip.Kind == TAutomationPicture::pkNone || clip.Bytes.empty())
    throw EOleError("PasteSpecial method of Worksheet class failed: the clipboard holds no picture");
  TExcelStandInBook& c = book_->content;
  TExcelStandInPicture p;
  p.Column = c.Selection.Left;
  p.Row = c.Selection.Top;
  for (int col = 1; col < p.Column; ++col) p.Left += ColumnPixels(c.ColumnWidth(col)) * 0.75;
  for (int row = 1; row < p.Row; ++row) p.Top += c.RowHeight(row);
  p.Width = clip.WidthPx * 0.75;
  p.Height = clip.HeightPx * 0.75;
  p.Data = clip;
  c.Pictures.push_back(std::move(p));
}

rtl::Variant Node::StyleMember(std::string_view m, std::span<rtl::Variant> a) {
  TExcelStandInStyle& s = StyleOf();
  if (kind_ == kStyle && Is(m, "Font")) return Make(kFont, book_, {}, name_);
  if (kind_ == kStyle && Is(m, "Interior")) return Make(kInterior, book_, {}, name_);
  const rtl::Variant& v = Arg(a, 0, m);
  if (kind_ == kStyle) {
    if (Is(m, "VerticalAlignment"))
      s.VAlign = v.AsInteger();
    else if (Is(m, "HorizontalAlignment"))
      s.HAlign = v.AsInteger();
    else if (Is(m, "Orientation"))
      s.Orientation = std::clamp(v.AsInteger(), -90, 90);
    else if (!Is(m, "WrapText"))
      Unknown("Style", m);
  } else if (kind_ == kFont) {
    if (Is(m, "Bold"))
      s.Bold = v.AsBoolean();
    else if (Is(m, "Italic"))
      s.Italic = v.AsBoolean();
    else if (Is(m, "Underline"))
      s.Underline = v.IsBoolean() ? v.AsBoolean() : v.AsInteger() != -4142;
    else if (Is(m, "Name"))
      s.FontName = v.AsWideString();
    else if (Is(m, "Size"))
      s.FontSize = std::clamp(static_cast<int>(std::lround(v.AsDouble())), 1, 409);
    else if (Is(m, "Color"))
      s.FontColor = static_cast<std::uint32_t>(v.AsInt64()) & 0xFFFFFF;
    else
      Unknown("Font", m);
  } else {
    if (Is(m, "Color"))
      s.InteriorColor = v.AsInt64() & 0xFFFFFF;
    else
      Unknown("Interior", m);
  }
  return {};
}

rtl::Variant Node::PictureMember(std::string_view m, rtl::DispatchKind k, std::span<rtl::Variant> a) {
  TExcelStandInPicture& p = book_->content.Pictures[static_cast<std::size_t>(index_ - 1)];
  double* field = Is(m, "Left")     ? &p.Left
                  : Is(m, "Top")    ? &p.Top
                  : Is(m, "Width")  ? &p.Width
                  : Is(m, "Height") ? &p.Height
                                    : nullptr;
  if (!field) Unknown("Picture", m);
  if (k != rtl::DispatchKind::PropertyPut) return *field;
  *field = std::max(0.0, Arg(a, 0, m).AsDouble());
  return {};
}

// ---------------------------------------------------------------- the file

std::uint16_t HAlignOf(std::int32_t v) {
  switch (v) {
    case -4131: return xfhaLeft;
    case -4152: return xfhaRight;
    case -4108: return xfhaCentered;
    case -4130: return xfhaJustified;
    default: return xfhaGeneral;
  }
}

TBiffXFVAlign VAlignOf(std::int32_t v) {
  switch (v) {
    case -4160: return xfvaTop;
    case -4108: return xfvaCentered;
    case -4130: return xfvaJustified;
    default: return xfvaBottom;
  }
}

// Text rotation of an XF: 1..90 counter-clockwise, 91..180 clockwise.
std::uint8_t RotationOf(int degrees) {
  if (degrees >= 0) return static_cast<std::uint8_t>(std::min(degrees, 90));
  return static_cast<std::uint8_t>(90 + std::min(-degrees, 90));
}

}  // namespace

double TExcelStandInBook::RowHeight(int row) const {
  auto it = RowHeights.find(row);
  return it == RowHeights.end() ? kStandardRowHeight : it->second;
}

double TExcelStandInBook::ColumnWidth(int column) const {
  auto it = ColumnWidths.find(column);
  return it == ColumnWidths.end() ? kStandardColumnWidth : it->second;
}

void TExcelStandInBook::Build(TBiffWorkbook& workbook) const {
  auto sheet = std::make_unique<TBiffSheet>(&workbook);
  sheet->Name = u"Sheet1";
  const std::uint16_t black = static_cast<std::uint16_t>(workbook.AddColor(0));

  // Each named style: a font and a style XF, then the cell XF of each
  // (style, borders, number format) in use.
  struct Made {
    int font = 0, styleXf = 0;
  };
  std::map<WideString, Made> made;
  auto xfLook = [&](const TExcelStandInStyle& s, TBiffXF& xf, int font) {
    xf.Font = font;
    xf.HAlign = static_cast<TBiffXFHAlign>(HAlignOf(s.HAlign));
    xf.VAlign = VAlignOf(s.VAlign);
    xf.Rotation = RotationOf(s.Orientation);
    xf.Wrap = true;
    if (s.InteriorColor >= 0) {
      xf.Pattern = 1;
      xf.PatternColor = static_cast<std::uint16_t>(workbook.AddColor(static_cast<std::uint32_t>(s.InteriorColor)));
      xf.BackColor = 65;
    }
  };
  for (const auto& [name, s] : Styles) {
    auto font = std::make_unique<TBiffFont>();
    font->Name = s.FontName.empty() ? WideString(u"Arial") : s.FontName;
    font->Height = s.FontSize * 20;
    font->Weight = s.Bold ? 700 : 400;
    // Bit 0 marks bold for readers that look at the flags, as weight 700 does.
    font->Options = static_cast<std::uint16_t>((s.Italic ? 0x0002 : 0) | (s.Bold ? 0x0001 : 0));
    font->Underline = s.Underline ? 1 : 0;
    font->Color = static_cast<std::uint16_t>(workbook.AddColor(s.FontColor));
    Made m;
    m.font = workbook.AddFont(std::move(font));
    auto xf = std::make_unique<TBiffXF>();
    xfLook(s, *xf, m.font);
    xf->Protection = 1 | 4;  // a style XF
    xf->Parent = 0xFFF;
    m.styleXf = workbook.AddXF(std::move(xf));
    auto style = std::make_unique<TBiffStyle>();
    style->XF = m.styleXf;
    style->Name = name;
    workbook.AddStyle(std::move(style));
    made[name] = m;
  }
  std::map<std::tuple<WideString, unsigned, WideString>, int> cellXfs;
  auto cellXf = [&](const TExcelStandInCell& cell) {
    const auto key = std::make_tuple(cell.Style, cell.Borders, cell.NumberFormat);
    if (auto it = cellXfs.find(key); it != cellXfs.end()) return it->second;
    auto xf = std::make_unique<TBiffXF>();
    xf->Parent = 0;
    xf->HAlign = xfhaGeneral;
    xf->VAlign = xfvaBottom;
    if (auto s = Styles.find(cell.Style); s != Styles.end()) {
      xfLook(s->second, *xf, made[cell.Style].font);
      xf->Parent = made[cell.Style].styleXf;
    }
    if (!cell.NumberFormat.empty()) xf->Format = workbook.AddFormat(cell.NumberFormat);
    TBiffXF::Border* sides[] = {&xf->Left, &xf->Right, &xf->Top, &xf->Bottom};
    for (int i = 0; i < 4; ++i)
      if (cell.Borders & (1u << i)) *sides[i] = {lsThin, static_cast<std::uint8_t>(black)};
    const int index = workbook.AddXF(std::move(xf));
    cellXfs[key] = index;
    return index;
  };

  for (const auto& [pos, cell] : Cells) {
    const auto [row, col] = pos;
    if (row > kMaxRow || col > kMaxCol) continue;
    const bool plain = cell.Style.empty() && cell.Borders == 0 && cell.NumberFormat.empty();
    std::unique_ptr<TBiffCell> out;
    const rtl::Variant& v = cell.Value;
    if (v.IsNumeric() && !v.IsBoolean()) {
      out = std::make_unique<TBiffNumberCell>(v.AsDouble());
    } else if (v.IsBoolean()) {
      out = std::make_unique<TBiffNumberCell>(v.AsBoolean() ? 1.0 : 0.0);
    } else if (!v.IsEmpty() && !v.IsNull()) {
      WideString text = v.AsWideString();
      // A leading apostrophe keeps a value as text and is not shown.
      if (!text.empty() && text.front() == u'\'') text.erase(0, 1);
      if (!text.empty()) out = std::make_unique<TBiffTextCell>(workbook.AddString(text));
    }
    if (!out) {
      if (plain) continue;
      out = std::make_unique<TBiffCell>();
    }
    out->Row = row - 1;
    out->Col = col - 1;
    out->XF = plain ? 15 : cellXf(cell);
    sheet->AddCell(std::move(out));
  }
  for (const auto& [col, width] : ColumnWidths)
    if (col <= 255) sheet->SetColWidth(col - 1, static_cast<int>(std::lround(width * 256)));
  for (const auto& [row, height] : RowHeights)
    if (row <= kMaxRow - 1) sheet->SetRowHeight(row - 1, static_cast<int>(std::lround(height * 20)));
  for (const TExcelArea& a : Merges) sheet->MergeCells({a.Left - 1, a.Top - 1, a.Right - 1, a.Bottom - 1});
  for (int row : PageBreaks) sheet->AddPageBreak(row - 1);
  sheet->LeftMargin = Margins[0] / 72;
  sheet->RightMargin = Margins[1] / 72;
  sheet->TopMargin = Margins[2] / 72;
  sheet->BottomMargin = Margins[3] / 72;
  sheet->PageSetup.Orientation = Orientation == 2 ? bpoLandscape : bpoPortrait;
  if (!GridLines) sheet->Window.Options &= static_cast<std::uint16_t>(~0x0002u);

  for (const TExcelStandInPicture& p : Pictures) {
    int index = 0;
    if (p.Data.Kind == TAutomationPicture::pkEMF) {
      index = workbook.AddMetafile(p.Data.Bytes, p.Data.WidthPx, p.Data.HeightPx);
    } else {
      rtl::TMemoryStream bytes(p.Data.Bytes);
      index = workbook.AddBitmap(6, bytes);  // PNG
    }
    TEscherShape* shape = sheet->AddDrawing();
    shape->PictureIndex = index;
    // The anchor: the cells under the picture's corners, with offsets in
    // 1/1024 of a column and 1/256 of a row.
    auto locate = [&](double points, bool across, int& cell, int& offset) {
      double start = 0;
      for (cell = 1; cell < (across ? kMaxCol : kMaxRow); ++cell) {
        const double size = across ? ColumnPixels(ColumnWidth(cell)) * 0.75 : RowHeight(cell);
        if (points < start + size || size <= 0) {
          offset = size > 0 ? static_cast<int>((points - start) / size * (across ? 1024 : 256)) : 0;
          break;
        }
        start += size;
      }
      --cell;
    };
    TEscherShapePos& anchor = shape->Anchor;
    locate(p.Left, true, anchor.StartCol, anchor.StartColOffset);
    locate(p.Top, false, anchor.StartRow, anchor.StartRowOffset);
    locate(p.Left + p.Width, true, anchor.EndCol, anchor.EndColOffset);
    locate(p.Top + p.Height, false, anchor.EndRow, anchor.EndRowOffset);
  }
  workbook.AddSheet(std::move(sheet));
}

std::vector<TExcelArea> BiffParseRangeText(const AnsiString& text) {
  std::vector<TExcelArea> areas;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(",;", start);
    if (end == AnsiString::npos) end = text.size();
    std::string_view part(text.data() + start, end - start);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    TExcelArea a;
    const std::size_t colon = part.find(':');
    bool ok = ParseCell(part.substr(0, colon), a.Left, a.Top);
    a.Right = a.Left;
    a.Bottom = a.Top;
    if (ok && colon != std::string_view::npos) ok = ParseCell(part.substr(colon + 1), a.Right, a.Bottom);
    if (!ok) throw EOleError("Method 'Range' of object '_Worksheet' failed: \"" + text + "\"");
    if (a.Right < a.Left) std::swap(a.Left, a.Right);
    if (a.Bottom < a.Top) std::swap(a.Top, a.Bottom);
    areas.push_back(a);
    start = end + 1;
  }
  return areas;
}

rtl::Variant BiffCreateExcelStandIn() { return Node::Make(Node::kApp, std::make_shared<Book>()); }

void BiffExcelStandInStartup() { vuzRegisterAutomationServer("Excel.Application", BiffCreateExcelStandIn); }

void BiffExcelStandInShutdown() { vuzRegisterAutomationServer("Excel.Application", {}); }

const TExcelStandInBook& BiffExcelStandInLastSaved() {
  std::lock_guard<std::mutex> hold(LastSavedLock());
  return LastSaved();
}

}  // namespace report
