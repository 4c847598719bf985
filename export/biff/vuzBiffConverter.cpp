#include "export/biff/vuzBiffConverter.h"

#include <algorithm>
#include <cmath>

#include "export/biff/biffFormulaCompiler.h"
#include "export/biff/biffSheet.h"
#include "export/biff/biffWorkbook.h"
#include "export/biff/vuzBiffConverter_p.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "export/vuzImageConverter.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/streams.h"
#include "report/vuzHTMLTags.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// The sheet takes columns 0..255 and rows 0..65,535; a block is cut so that
// it ends before the last of each.
constexpr int kMaxBlockColumns = 255;
constexpr int kMaxBlockRows = 65535;
// Column widths are 16-bit, in 1/256 of a character, at most 255 characters.
constexpr int kMaxColumnWidth = 255 * 256;
// Row heights above 409.5 points are refused by readers.
constexpr int kMaxRowHeight = 8190;

// Rounding to the nearest integer, ties to even.
long long RoundEven(long double v) {
  if (!std::isfinite(static_cast<double>(v))) return 0;
  return static_cast<long long>(std::nearbyint(static_cast<double>(v)));
}

bool HasPicture(TfrxIEMObject& object) {
  if (!object.HasMetafilePicture()) return false;
  gfx::TMetafile& picture = object.MetafilePicture();
  return picture.Width() != 0 && picture.Height() != 0;
}

rtl::WideString ObjectText(const TfrxIEMObject& object) {
  rtl::WideString text;
  for (int i = 0; i < object.Memo.Count(); ++i) {
    if (i) text += u"\r\n";
    text += object.Memo[i];
  }
  return text;
}

}  // namespace

std::optional<double> BiffNumberFromText(const rtl::WideString& text, char16_t separator) {
  long double whole = 0, fraction = 0;
  bool digits = false;
  const std::size_t split = text.find(separator);
  const std::size_t end = split == rtl::WideString::npos ? text.size() : split;
  for (std::size_t i = 0; i < end; ++i) {
    const char16_t c = text[i];
    if (c < u'0' || c > u'9') continue;
    whole = whole * 10 + (c - u'0');
    digits = true;
  }
  if (split != rtl::WideString::npos)
    for (std::size_t i = text.size(); i > split + 1; --i) {
      const char16_t c = text[i - 1];
      if (c < u'0' || c > u'9') continue;
      fraction = (static_cast<long double>(c - u'0') + fraction) * 0.1L;
      digits = true;
    }
  if (!digits) return std::nullopt;
  const long double value = whole + fraction;
  // Hundreds of digits overflow: such a text stays text.
  if (!std::isfinite(static_cast<double>(value))) return std::nullopt;
  return static_cast<double>(!text.empty() && text[0] == u'-' ? -value : value);
}

TfrxBiffConverter::TfrxBiffConverter(const TfrxBiffPageOptions& options, bool showProgress)
    : o_(options), showProgress_(showProgress) {}

TfrxBiffConverter::~TfrxBiffConverter() = default;

std::unique_ptr<TBiffSheet> vuzConvertMatrixToBiffSheet(const TfrxBiffPageOptions& options, bool showProgress,
                                                        bool* terminated) {
  TfrxBiffConverter converter(options, showProgress);
  std::unique_ptr<TBiffSheet> sheet = converter.GetSheet();
  if (terminated) *terminated = converter.Terminated();
  return sheet;
}

std::unique_ptr<TBiffSheet> TfrxBiffConverter::GetSheet() {
  auto sheet = std::make_unique<TBiffSheet>(o_.Workbook);
  try {
    Convert(*sheet);
  } catch (const ETerminated&) {
    FreeProgressBar();
    terminated_ = true;
  }
  return sheet;
}

void TfrxBiffConverter::NormaliseBlock() {
  o_.FirstColumn = std::max(0, o_.FirstColumn);
  o_.FirstRow = std::max(0, o_.FirstRow);
  o_.SheetColumn = std::max(0, o_.SheetColumn);
  o_.SheetRow = std::max(0, o_.SheetRow);
  if (o_.OffsetByOne) {
    ++o_.SheetColumn;
    ++o_.SheetRow;
  }
  if (o_.BlockColumns == 0) o_.BlockColumns = kMaxBlockColumns;
  if (o_.BlockRows == 0) o_.BlockRows = kMaxBlockRows;
  const TfrxIEMatrix& m = *o_.Matrix;
  o_.BlockColumns = std::min(o_.BlockColumns, m.ColumnCount - 1 - o_.FirstColumn);
  o_.BlockRows = std::min(o_.BlockRows, m.RowCount - 1 - o_.FirstRow);
  o_.BlockColumns = std::min(o_.BlockColumns, kMaxBlockColumns - o_.FirstColumn);
  // Rows are bounded by where the block lands in the sheet, not by where it
  // starts in the matrix: a chunk starting past the 65,535th matrix row still
  // has a whole sheet of its own.
  o_.BlockRows = std::min(o_.BlockRows, kMaxBlockRows - o_.SheetRow);
  o_.BlockColumns = std::min(o_.BlockColumns, kMaxBlockColumns - o_.SheetColumn);
  o_.BlockColumns = std::max(0, o_.BlockColumns);
  o_.BlockRows = std::max(0, o_.BlockRows);
}

void TfrxBiffConverter::Convert(TBiffSheet& sheet) {
  vuzLoadExportResources();
  sheet.Name = !o_.PageInfo.Name.empty()
                   ? o_.PageInfo.Name
                   : rtl::AnsiToWide(vuzGet(9154)) + u" " + rtl::AnsiToWide(std::to_string(o_.SheetIndex));
  if (!o_.GridLines) sheet.Window.Options &= static_cast<std::uint16_t>(~2u);
  const TfrxPageInfo& page = o_.PageInfo;
  sheet.LeftMargin = static_cast<double>(page.LeftMargin / 25.4L);
  sheet.TopMargin = static_cast<double>(page.TopMargin / 25.4L);
  sheet.RightMargin = static_cast<double>(page.RightMargin / 25.4L);
  sheet.BottomMargin = static_cast<double>(page.BottomMargin / 25.4L);
  sheet.PageSetup.Orientation = page.Orientation == 1 ? bpoLandscape : bpoPortrait;
  sheet.PageSetup.PaperSize =
      static_cast<std::uint16_t>(page.PaperSize >= 1 && page.PaperSize <= 117 ? page.PaperSize : 9);
  sheet.PageSetup.Copies = page.PageCount;

  if (!o_.Matrix) return;
  NormaliseBlock();
  TfrxIEMatrix& m = *o_.Matrix;
  {
    TfrxBiffStyles styles(m.GetStylesCount(), o_.Workbook, o_.SpaceWidth);
    struct Release {
      TfrxBiffConverter* c;
      ~Release() { c->FreeProgressBar(); }
    } release{this};
    InitProgressBar(o_.BlockRows / 128, "BiffCell");
    int pageIndex = o_.SheetIndex;
    for (int r = 0; r < o_.BlockRows; ++r) {
      const int matrixRow = o_.FirstRow + r;
      if (o_.SingleSheet && m.GetYPosById(matrixRow) > m.GetPageBreak(pageIndex)) {
        sheet.AddPageBreak(o_.SheetRow + r);
        ++pageIndex;
      }
      for (int c = 0; c < o_.BlockColumns; ++c) {
        const int id = m.GetCell(o_.FirstColumn + c, matrixRow);
        if (id < 0) continue;
        TfrxIEMObject* object = m.GetObjectById(id);
        if (!object) continue;
        ++object->ExportMark;
        sheet.AddCell(CreateCell(o_.SheetRow + r, o_.SheetColumn + c, object, styles));
        if (object->ExportMark == 1) MergeCells(sheet, id);
        BreakIfTerminated();
      }
    }
  }
  SetColWidths(sheet);
  SetRowHeights(sheet);
  if (!o_.Pictures) return;
  struct Release {
    TfrxBiffConverter* c;
    ~Release() { c->FreeProgressBar(); }
  } release{this};
  const int count = o_.PictureList ? static_cast<int>(o_.PictureList->size()) : m.GetObjectsCount();
  InitProgressBar(count / 128, "BiffImg");
  for (int i = 0; i < count; ++i) {
    AddImage(sheet, o_.PictureList ? (*o_.PictureList)[static_cast<std::size_t>(i)] : i);
    BreakIfTerminated();
  }
}

std::unique_ptr<TBiffCell> TfrxBiffConverter::CreateCell(int row, int column, TfrxIEMObject* object,
                                                         TfrxBiffStyles& styles) {
  std::unique_ptr<TBiffCell> cell;
  if (!object) {
    cell = std::make_unique<TBiffCell>();
    cell->Row = row;
    cell->Col = column;
    cell->XF = kBiffDefaultXF;
    return cell;
  }
  if (object->ExportMark > 1) {
    cell = std::make_unique<TBiffCell>();
  } else if (IsFormula(*object)) {
    cell = CreateFormulaCell(*object);
  } else if (object->AllowHTMLTags) {
    cell = CreateHTMLCell(*object, styles);
  } else if (object->CellStyle && object->CellStyle->DisplayFormat &&
             object->CellStyle->DisplayFormat->Kind() == fkNumeric) {
    cell = CreateNumberCell(*object);
  }
  if (!cell) cell = CreateTextCell(*object);
  cell->Row = row;
  cell->Col = column;
  // Cells under a picture get no fill, so the picture is not hidden by it.
  const bool fill = !HasPicture(*object);
  cell->XF = object->StyleId < 0 || !object->CellStyle
                 ? kBiffDefaultXF
                 : styles.AddStyle(object->StyleId, object->CellStyle, fill, object->RTLReading);
  return cell;
}

bool TfrxBiffConverter::IsFormula(const TfrxIEMObject& object) const {
  return o_.ExportFormulas && object.Memo.Count() > 0 && !object.Memo[0].empty() && object.Memo[0][0] == u'=';
}

void TfrxBiffConverter::SuppressEndingTrash(rtl::WideString& text) {
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
}

std::unique_ptr<TBiffCell> TfrxBiffConverter::CreateTextCell(const TfrxIEMObject& object) {
  rtl::WideString text = ObjectText(object);
  SuppressEndingTrash(text);
  if (text.empty()) return std::make_unique<TBiffCell>();
  ValidateLineBreaks(text);
  return std::make_unique<TBiffTextCell>(o_.Workbook->AddString(text));
}

std::unique_ptr<TBiffCell> TfrxBiffConverter::CreateNumberCell(const TfrxIEMObject& object) {
  rtl::WideString text = ObjectText(object);
  SuppressEndingTrash(text);
  if (text.empty()) return nullptr;
  const TfrxFormat& format = *object.CellStyle->DisplayFormat;
  const char16_t separator =
      !format.DecimalSeparator().empty()
          ? rtl::AnsiToWide(format.DecimalSeparator().substr(0, 1))[0]
          : static_cast<char16_t>(static_cast<unsigned char>(rtl::CurrentFormatSettings().DecimalSeparator));
  const std::optional<double> value = BiffNumberFromText(text, separator);
  if (!value) return nullptr;
  return std::make_unique<TBiffNumberCell>(*value);
}

std::unique_ptr<TBiffCell> TfrxBiffConverter::CreateFormulaCell(const TfrxIEMObject& object) {
  rtl::WideString text = ObjectText(object);
  SuppressEndingTrash(text);
  try {
    TBiffFormulaCompiler compiler;
    compiler.LinkTable = o_.Workbook->GetLinkTable();
    compiler.Compile(rtl::WideToAnsi(text.substr(1)));
    rtl::TMemoryStream code;
    compiler.SaveToStream(code);
    return std::make_unique<TBiffFormulaCell>(code.Bytes());
  } catch (const std::exception&) {
    ValidateLineBreaks(text);
    return std::make_unique<TBiffTextCell>(o_.Workbook->AddString(text));
  }
}

std::unique_ptr<TBiffCell> TfrxBiffConverter::CreateHTMLCell(const TfrxIEMObject& object, TfrxBiffStyles& styles) {
  rtl::WideString source = ObjectText(object);
  SuppressEndingTrash(source);
  const TfrxIEMStyle* style = object.CellStyle;
  const gfx::TFont* baseFont = style ? style->Font.get() : nullptr;
  TfrxHTMLTagsList tags;
  tags.TagsAllowed = true;
  tags.SetDefaults(baseFont ? baseFont->Color() : gfx::clBlack, 0, baseFont ? baseFont->Style() : gfx::TFontStyles{});
  rtl::WideString parsed = source;
  tags.ExpandHTMLTags(parsed);

  auto string = std::make_unique<TBiffUCS>();
  rtl::WideString text, run;
  int runStart = 0;
  const TfrxHTMLTag* current = nullptr;
  auto closeRun = [&] {
    if (!current) return;
    gfx::TFont font;
    if (baseFont) font.Assign(*baseFont);
    font.SetColor(current->Color());
    font.SetStyle(current->Style());
    string->AddFormat(runStart, styles.CreateFont(&font));
    text += run;
    runStart += static_cast<int>(run.size());
    run.clear();
  };
  for (int line = 0; line < tags.Count(); ++line) {
    const TfrxHTMLTags& records = tags[line];
    for (int i = 0; i < records.Count(); ++i) {
      const TfrxHTMLTag& tag = records[i];
      if (!current || tag.Style() != current->Style() || tag.Color() != current->Color()) {
        closeRun();
        current = &tag;
      }
      const int at = tag.Position() - 1;
      if (at >= 0 && at < static_cast<int>(source.size()) && source[static_cast<std::size_t>(at)] != u'\r')
        run += source[static_cast<std::size_t>(at)];
    }
  }
  closeRun();
  if (text.empty()) return std::make_unique<TBiffCell>();
  string->SetData(text);
  string->Length16 = true;
  return std::make_unique<TBiffTextCell>(o_.Workbook->AddString(std::move(string)));
}

void TfrxBiffConverter::MergeCells(TBiffSheet& sheet, int id) {
  int column = 0, row = 0, spanX = 1, spanY = 1;
  o_.Matrix->GetObjectPos(id, column, row, spanX, spanY);
  const int dx = o_.SheetColumn - o_.FirstColumn, dy = o_.SheetRow - o_.FirstRow;
  TBiffRect r;
  r.Left = column + dx;
  r.Top = row + dy;
  // A span past the sheet's edge is merged up to the edge.
  r.Right = std::min(column + spanX - 1 + dx, kBiffMaxCol);
  r.Bottom = std::min(row + spanY - 1 + dy, kBiffMaxRow);
  if (r.Left < 0 || r.Top < 0 || r.Right < r.Left || r.Bottom < r.Top) return;
  sheet.MergeCells(r);
}

double TfrxBiffConverter::GetColWidthFactor() const {
  const int zero = o_.ZeroWidth > 0 ? o_.ZeroWidth : 7;
  return 24576.0 / (zero * 72.0);
}

double TfrxBiffConverter::GetColWidth(int i) const {
  const TfrxIEMatrix& m = *o_.Matrix;
  const long double next =
      i < m.ColumnCount - 1 ? m.GetXPosById(i + 1) : (o_.PageInfo.PaperWidth - o_.PageInfo.RightMargin) / 25.4L * 96;
  const double width = static_cast<double>(RoundEven(next - m.GetXPosById(i))) * GetColWidthFactor();
  return width < 0 ? 0 : width;
}

double TfrxBiffConverter::GetRowHeight(int i) const {
  const TfrxIEMatrix& m = *o_.Matrix;
  const long double next =
      i < m.RowCount - 1 ? m.GetYPosById(i + 1)
                         : (o_.PageInfo.PaperHeight - o_.PageInfo.BottomMargin - o_.PageInfo.TopMargin) / 25.4L * 96;
  const double height = static_cast<double>(RoundEven(next - m.GetYPosById(i))) * GetRowHeightFactor();
  return height < 0 ? 0 : height;
}

void TfrxBiffConverter::SetColWidths(TBiffSheet& sheet) {
  if (o_.BlockColumns == 0) return;
  const TfrxIEMatrix& m = *o_.Matrix;
  long double scale = 1;
  if (o_.FitPages) {
    const long double printable = o_.PageInfo.PaperWidth - (o_.PageInfo.LeftMargin + o_.PageInfo.RightMargin);
    const long double block =
        ((m.GetXPosById(o_.FirstColumn + o_.BlockColumns) - m.GetXPosById(o_.FirstColumn)) + o_.BlockColumns) / 96 *
        25.4L;
    if (block > 0 && printable > 0) scale = std::min<long double>(1, printable / block);
  }
  struct Release {
    TfrxBiffConverter* c;
    ~Release() { c->FreeProgressBar(); }
  } release{this};
  InitProgressBar(o_.BlockColumns / 100, "BiffCol");
  for (int i = 0; i < o_.BlockColumns; ++i) {
    const long long width = RoundEven(GetColWidth(o_.FirstColumn + i) * scale);
    sheet.SetColWidth(o_.SheetColumn + i, static_cast<int>(std::clamp<long long>(width, 0, kMaxColumnWidth)));
    BreakIfTerminated();
  }
}

void TfrxBiffConverter::SetRowHeights(TBiffSheet& sheet) {
  if (o_.BlockRows == 0) return;
  const TfrxIEMatrix& m = *o_.Matrix;
  long double scale = 1;
  if (o_.FitPages && !o_.SingleSheet) {
    const long double printable = o_.PageInfo.PaperHeight - (o_.PageInfo.TopMargin + o_.PageInfo.BottomMargin);
    const long double block =
        ((m.GetYPosById(o_.FirstRow + o_.BlockRows) - m.GetYPosById(o_.FirstRow)) + 2 + o_.BlockRows) / 96 * 25.4L;
    if (block > 0 && printable > 0) scale = std::min<long double>(1, printable / block);
  }
  struct Release {
    TfrxBiffConverter* c;
    ~Release() { c->FreeProgressBar(); }
  } release{this};
  InitProgressBar(o_.BlockRows / 100, "BiffRow");
  for (int i = 0; i < o_.BlockRows; ++i) {
    const long long height = RoundEven(GetRowHeight(o_.FirstRow + i) * (o_.RowHeightScale * scale));
    sheet.SetRowHeight(o_.SheetRow + i, static_cast<int>(std::clamp<long long>(height, 0, kMaxRowHeight)));
    BreakIfTerminated();
  }
}

void TfrxBiffConverter::AddImage(TBiffSheet& sheet, int id) {
  TfrxIEMatrix& m = *o_.Matrix;
  TfrxIEMObject* object = m.GetObjectById(id);
  if (!object || !HasPicture(*object)) return;
  int x = 0, y = 0, dx = 0, dy = 0;
  m.GetObjectPos(id, x, y, dx, dy);
  // A picture belongs to the block that holds its top-left cell, so one that
  // crosses the border between two chunks of rows is placed in the first.
  if (x < o_.FirstColumn || x >= o_.FirstColumn + o_.BlockColumns) return;
  if (y < o_.FirstRow || y >= o_.FirstRow + o_.BlockRows) return;
  rtl::TMemoryStream png;
  SaveGraphicAs(object->MetafilePicture(), png, gpPNG);
  if (png.Size() == 0) return;
  const int index = o_.Workbook->AddBitmap(6, png);
  TEscherShape* shape = sheet.AddDrawing();
  shape->PictureIndex = index;
  const int offsetX = o_.SheetColumn - o_.FirstColumn, offsetY = o_.SheetRow - o_.FirstRow;
  shape->Anchor.StartCol = x + offsetX;
  shape->Anchor.StartRow = y + offsetY;
  shape->Anchor.EndCol = std::min(x + dx + offsetX, kBiffMaxCol);
  shape->Anchor.EndRow = std::min(y + dy + offsetY, kBiffMaxRow);
  shape->Anchor.StartColOffset = shape->Anchor.StartRowOffset = 0;
  shape->Anchor.EndColOffset = shape->Anchor.EndRowOffset = 0;
}

void TfrxBiffConverter::InitProgressBar(int count, const char* phase) {
  progress_.reset();
  if (!showProgress_) return;
  progress_ = vuzCreateProgress();
  if (!progress_) return;
  progress_->Execute(count, vuzResources().Get("ProgressWait"), true, true);
  progress_->SetMessage(vuzResources().Get(phase));
}

void TfrxBiffConverter::FreeProgressBar() { progress_.reset(); }

void TfrxBiffConverter::BreakIfTerminated() const {
  if (progress_ && progress_->Terminated()) throw ETerminated();
}

}  // namespace report
