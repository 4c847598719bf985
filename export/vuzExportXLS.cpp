#include "export/vuzExportXLS.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <map>
#include <random>

#include "export/vuzAutomation.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportXLSExcel.h"
#include "export/vuzImageConverter.h"
#include "platform/gfx/colors.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassReport.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

TfrxXLSExport::DialogHandler& DialogSlot() {
  static TfrxXLSExport::DialogHandler handler;
  return handler;
}

// Alignment constants of the application.
constexpr std::int32_t kAlignLeft = -4131, kAlignRight = -4152, kAlignCenter = -4108, kAlignJustify = -4130;
constexpr std::int32_t kAlignTop = -4160, kAlignBottom = -4107;
constexpr std::int32_t kPageBreakManual = -4135;
constexpr std::int32_t kClassicWorkbook = -4143;
constexpr std::int32_t kAccessModeNoChange = 1;
// Points per matrix pixel of height, pixels per character of width, and the
// picture scale of the application.
constexpr long double kPixelsPerPoint = 1.315L, kPixelsPerChar = 8, kPictureScale = 1.38L;

std::int32_t HAlignValue(TfrxHAlign a) {
  switch (a) {
    case haRight: return kAlignRight;
    case haCenter: return kAlignCenter;
    case haBlock: return kAlignJustify;
    default: return kAlignLeft;
  }
}

std::int32_t VAlignValue(TfrxVAlign a) {
  switch (a) {
    case vaBottom: return kAlignBottom;
    case vaCenter: return kAlignCenter;
    default: return kAlignTop;
  }
}

AnsiString Or(const AnsiString& own, char system) { return own.empty() ? AnsiString(1, system) : own; }

rtl::WideString MemoText(const TfrxIEMObject& object) {
  rtl::WideString text;
  for (int i = 0; i < object.Memo.Count(); ++i) {
    if (i > 0) text += u"\r\n";
    text += object.Memo[i];
  }
  return TfrxXLSExport::CleanReturns(text);
}

// Saves through a name of its own beside the target and renames it over the
// target, so a failed save leaves neither a partial file nor a changed one.
AnsiString TemporaryName(const AnsiString& fileName) {
  std::random_device random;
  return rtl::ChangeFileExt(fileName, "") + ".~" + std::to_string(random() % 1000000) + rtl::ExtractFileExt(fileName);
}

// Calls write(object, column, row, columns, rows) once per object, at the
// first cell where the row-by-row walk meets it (sheet rows and columns
// count from 1); ExportMark keeps its other cells from writing it again.
template <class F>
void ForEachObject(TfrxIEMatrix& m, TfrxCustomProgress* progress, F&& write) {
  for (int r = 1; r <= m.RowCount; ++r) {
    if (progress && progress->Terminated()) break;
    for (int c = 1; c <= m.ColumnCount; ++c) {
      const int id = m.GetCell(c - 1, r - 1);
      TfrxIEMObject* object = id < 0 ? nullptr : m.GetObjectById(id);
      if (!object || object->ExportMark) continue;
      object->ExportMark = 1;
      int x, y, dx, dy;
      m.GetObjectPos(id, x, y, dx, dy);
      write(object, c, r, dx, dy);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- text helpers

rtl::WideString TfrxXLSExport::CleanReturns(const rtl::WideString& text) {
  rtl::WideString out;
  out.reserve(text.size());
  for (char16_t c : text)
    if (c != u'\r') out += c;
  while (!out.empty() && out.back() == u'\n') out.pop_back();
  return out;
}

AnsiString TfrxXLSExport::NumberFormat(const AnsiString& formatStr, const AnsiString& decimalSeparator,
                                       const AnsiString& thousandSeparator) {
  if (formatStr.empty()) return AnsiString();
  int decimals = 0;
  if (const auto dot = formatStr.find('.'); dot != AnsiString::npos) decimals = std::atoi(formatStr.c_str() + dot + 1);
  decimals = std::clamp(decimals, 0, 30);
  const AnsiString sep = Or(decimalSeparator, rtl::CurrentFormatSettings().DecimalSeparator);
  switch (formatStr.back()) {
    case 'd': return "#" + (decimals > 0 ? sep + AnsiString(static_cast<std::size_t>(decimals), '#') : AnsiString());
    case 'f': return "0" + (decimals > 0 ? sep + AnsiString(static_cast<std::size_t>(decimals), '0') : AnsiString());
    case 'm':
    case 'n': {
      const AnsiString group = thousandSeparator.empty() ? AnsiString("# # #0") : "#" + thousandSeparator + "# #0";
      return group + (decimals > 0 ? sep + AnsiString(static_cast<std::size_t>(decimals), '0') : AnsiString());
    }
    default: return AnsiString();
  }
}

bool TfrxXLSExport::NumericValue(const rtl::WideString& text, const AnsiString& decimalSeparator,
                                 const AnsiString& thousandSeparator, double& value) {
  const rtl::FormatSettings& fs = rtl::CurrentFormatSettings();
  const rtl::WideString thousand = rtl::AnsiToWide(Or(thousandSeparator, fs.ThousandSeparator));
  const rtl::WideString decimal = rtl::AnsiToWide(Or(decimalSeparator, fs.DecimalSeparator));
  // One pass: thousand separators go, decimal separators become ".".
  rtl::WideString t;
  t.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (!thousand.empty() && text.compare(i, thousand.size(), thousand) == 0) {
      i += thousand.size();
    } else if (!decimal.empty() && text.compare(i, decimal.size(), decimal) == 0) {
      t += u'.';
      i += decimal.size();
    } else {
      t += text[i++];
    }
  }
  if (!t.empty() && t.back() == u'.') t.pop_back();
  std::string number;
  for (char16_t c : t) {
    if ((c >= u'0' && c <= u'9') || c == u'-')
      number += static_cast<char>(c);
    else if (c == u'.' || c == u',')
      number += '.';
  }
  if (number.empty()) return false;
  char* end = nullptr;
  value = std::strtod(number.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value) && number.find_first_of("0123456789") != std::string::npos;
}

// ---------------------------------------------------------------- filter

TfrxXLSExport::TfrxXLSExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  vuzLoadExportResources();
  FileFilter = vuzResources().Get("8009");
  DefaultExt = vuzResources().Get("8010");
}

TfrxXLSExport::~TfrxXLSExport() = default;

AnsiString TfrxXLSExport::GetDescription() const {
  vuzLoadExportResources();
  return vuzResources().Get("XlsOLEexport");
}

void TfrxXLSExport::SetDialogHandler(DialogHandler handler) { DialogSlot() = std::move(handler); }

int TfrxXLSExport::ShowModal() {
  if (!DialogSlot()) return 1;
  return DialogSlot()(*this);
}

bool TfrxXLSExport::Start() {
  vuzLoadExportResources();
  matrix_.reset();
  if (ExportToTemp) {
    auto* report = dynamic_cast<TfrxReport*>(Report);
    const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    FileName = name.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                            : GetTemporaryFolder() + rtl::ChangeFileExt(name, DefaultExt);
    OpenExcelAfterExport = false;
  }
  if (FileName.empty()) return false;
  if (!DefaultPath.empty() && rtl::ExtractFilePath(FileName).empty())
    FileName = DefaultPath + (DefaultPath.back() == '/' || DefaultPath.back() == '\\' ? "" : "/") + FileName;
  firstPage_ = true;
  matrix_ = std::make_unique<TfrxIEMatrix>(UseFileCache);
  TfrxIEMatrix& m = *matrix_;
  auto* report = dynamic_cast<TfrxReport*>(Report);
  m.DotMatrixReport = report && report->DotMatrixReport();
  m.ShowProgress = ShowProgress;
  m.MaxRowHeight = 537.835L;
  m.BackgroundAsPicture = false;
  m.Background = Background && EmptyLines;
  m.KeepRichText = m.RichAsPlainText = !ExportEMF;
  m.Inaccuracy = Wysiwyg ? 0.5L : 10;
  m.RotatedAsPicture = false;
  m.StripHTMLTags = true;
  m.ExportNotPrintable = ExportNotPrintable;
  m.EmptyLines = EmptyLines;
  m.MetafilePictures = ExportEMF;
  return true;
}

void TfrxXLSExport::StartPage(TfrxComponent* page, int /*index*/) {
  if (!firstPage_) return;
  firstPage_ = false;
  if (auto* p = dynamic_cast<TfrxReportPage*>(page)) {
    // Points from millimetres as the application's page setup takes them.
    margins_[0] = p->LeftMargin() * 2.6L;
    margins_[1] = p->RightMargin() * 2.6L;
    margins_[2] = p->TopMargin() * 2.6L;
    margins_[3] = p->BottomMargin() * 2.6L;
    orientation_ = p->Orientation();
  }
}

void TfrxXLSExport::ExportObject(TfrxComponent* object) {
  if (!matrix_ || !object) return;
  // The driver moved the page down by its top margin; the sheet has margins
  // of its own, so objects start at the top.
  if (TfrxComponent* page = object->GetPage()) page->SetTop(matrix_->Inaccuracy);
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || object->Name() == "_pagebackground") return;
  if (!view->Printable() && !ExportNotPrintable) return;
  if (!dynamic_cast<TfrxCustomMemoView*>(object) && !ExportPictures) return;
  matrix_->AddObject(view);
}

void TfrxXLSExport::FinishPage(TfrxComponent* page, int index) {
  if (!matrix_) return;
  if (auto* p = dynamic_cast<TfrxReportPage*>(page))
    matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                     p->BottomMargin(), p->MirrorMargins(), index);
}

void TfrxXLSExport::Finish() {
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(matrix_);
  // The driver calls Finish after a failed or stopped run too: then nothing
  // is made and no file is written.
  if (std::current_exception() || !matrix) return;
  matrix_ = std::move(matrix);
  struct Release {
    std::unique_ptr<TfrxIEMatrix>& m;
    ~Release() { m.reset(); }
  } release{matrix_};

  matrix_->Prepare();
  // A workbook sheet holds 65,536 rows and 256 columns; a larger grid would
  // lose its rest or land in the wrong cells, so it is refused up front.
  if (matrix_->RowCount > kMaxSheetRows || matrix_->ColumnCount > kMaxSheetColumns)
    throw rtl::Exception("The report needs " + std::to_string(matrix_->RowCount) + " rows and " +
                         std::to_string(matrix_->ColumnCount) + " columns; a sheet holds " +
                         std::to_string(kMaxSheetRows) + " rows and " + std::to_string(kMaxSheetColumns) + " columns");
  TfrxExcel excel;
  excel.ListSeparator = rtl::CurrentFormatSettings().ListSeparator;
  excel.OpenExcel();
  OlePut(OleGet(excel.ApplicationObject, "ActiveWindow"), "DisplayGridlines", GridLines);
  std::unique_ptr<TfrxCustomProgress> progress = ShowProgress ? vuzCreateProgress() : nullptr;
  pictureCount_ = 0;
  if (FastExport)
    WriteFast(excel, progress.get());
  else
    WritePlain(excel, progress.get());
  // A stopped export saves nothing: a partial sheet is no result.
  const bool stopped = progress && progress->Terminated();
  progress.reset();
  if (stopped) {
    try {
      OleCall(excel.ApplicationObject, "Quit");
    } catch (const std::exception&) {
    }
    return;
  }
  excel.SetRange(1, 1, 1, 1);
  try {
    OleCall(excel.RangeObject, "Select");
  } catch (const std::exception&) {
  }
  if (OpenExcelAfterExport) excel.SetVisible(true);
  Save(excel);
}

void TfrxXLSExport::Save(TfrxExcel& excel) {
  AnsiString target = FileName;
  if (rtl::ExtractFilePath(target).empty()) target = rtl::GetCurrentDir() + "/" + target;
  const AnsiString temporary = TemporaryName(target);
  AnsiString failure;
  try {
    OleCall(excel.WorkbookObject, "SaveAs",
            {temporary, kClassicWorkbook, OleEmptyParam(), OleEmptyParam(), OleEmptyParam(), OleEmptyParam(),
             kAccessModeNoChange});
    if (!rtl::FileExists(temporary)) failure = "the application wrote no file";
  } catch (const std::exception& e) {
    failure = e.what();
  }
  try {
    OlePut(excel.ApplicationObject, "DisplayAlerts", true);
    OlePut(excel.ApplicationObject, "ScreenUpdating", true);
    if (!OpenExcelAfterExport) {
      OleCall(excel.ApplicationObject, "Quit");
      excel.ApplicationObject = rtl::Variant();
    }
  } catch (const std::exception&) {
    // Closing the application is not part of the result.
  }
  if (failure.empty() && !rtl::ReplaceFile(target, temporary)) failure = "cannot replace the file";
  if (!failure.empty()) {
    rtl::DeleteFile(temporary);
    // A save that did not happen is an export error, not a success: the
    // driver hands it to the report's error handler.
    throw rtl::Exception("The workbook could not be saved as " + target + ": " + failure);
  }
  FileName = target;
  if (OpenExcelAfterExport) rtl::ShellOpen(target);
}

// ---------------------------------------------------------------- both writers

void TfrxXLSExport::PageBreak(TfrxExcel& excel, int row, int& page) {
  TfrxIEMatrix& m = *matrix_;
  // No break after the last page.
  if (!PageBreaks || page + 1 >= m.GetPagesCount()) return;
  if (m.GetYPosById(row) < m.GetPageBreak(page)) return;
  // Matrix row r, the first on the new page, is sheet row r + 1.
  try {
    OlePut(OleCall(excel.SheetObject, "Rows", {row + 1}), "PageBreak", kPageBreakManual);
  } catch (const std::exception&) {
  }
  ++page;
}

void TfrxXLSExport::WriteColumns(TfrxExcel& excel, TfrxCustomProgress* progress) {
  TfrxIEMatrix& m = *matrix_;
  if (progress) progress->Execute(m.ColumnCount, vuzResources().Get("ProgressColumns"), true, true);
  for (int c = 0; c + 1 < m.ColumnCount; ++c) {
    if (progress && progress->Terminated()) break;
    excel.SetColSize(c + 1, (m.GetXPosById(c + 1) - m.GetXPosById(c)) / kPixelsPerChar);
  }
}

void TfrxXLSExport::WriteStyles(TfrxExcel& excel, TfrxCustomProgress* progress, bool fast) {
  TfrxIEMatrix& m = *matrix_;
  if (progress) progress->Execute(m.GetStylesCount(), vuzResources().Get("ProgressStyles"), true, true);
  const rtl::Variant styles = OleGet(OleGet(excel.ApplicationObject, "ActiveWorkbook"), "Styles");
  for (int i = 0; i < m.GetStylesCount(); ++i) {
    if (progress && progress->Terminated()) break;
    const TfrxIEMStyle* s = m.GetStyleById(i);
    if (!s) continue;
    const rtl::Variant style = OleCall(styles, "Add", {"S" + std::to_string(i)});
    if (s->Font) {
      const rtl::Variant font = OleGet(style, "Font");
      const gfx::TFontStyles fs = s->Font->Style();
      OlePut(font, "Bold", fs.Contains(gfx::fsBold));
      OlePut(font, "Italic", fs.Contains(gfx::fsItalic));
      OlePut(font, "Underline", fs.Contains(gfx::fsUnderline));
      OlePut(font, "Name", s->Font->Name());
      OlePut(font, "Size", static_cast<std::int32_t>(s->Font->Size()));
      OlePut(font, "Color", static_cast<std::int32_t>(gfx::ColorToRGB(s->Font->Color())));
    }
    if (!fast || (s->Color != gfx::clWhite && s->Color != gfx::clTransparent))
      OlePut(OleGet(style, "Interior"), "Color", static_cast<std::int32_t>(gfx::ColorToRGB(s->Color)));
    OlePut(style, "VerticalAlignment", VAlignValue(s->VAlign));
    OlePut(style, "HorizontalAlignment", HAlignValue(s->HAlign));
    if (fast && s->Rotation >= 1 && s->Rotation <= 90) OlePut(style, "Orientation", s->Rotation);
    if (fast && s->Rotation >= 270 && s->Rotation <= 359) OlePut(style, "Orientation", s->Rotation - 360);
  }
}

void TfrxXLSExport::PastePicture(TfrxExcel& excel, TfrxIEMObject& object, int column, int row, int spanX, int spanY,
                                 bool nudge) {
  const bool metafile = ExportEMF && object.HasMetafilePicture() && object.MetafilePicture().Width() > 0;
  const bool bitmap = object.GetImage() && object.GetImage()->Width() > 0;
  if (!metafile && !bitmap) return;
  ++pictureCount_;
  excel.SetRange(column, row, spanX, spanY);
  TAutomationPicture& clipboard = vuzAutomationClipboard();
  rtl::TMemoryStream bytes;
  if (metafile) {
    SaveGraphicAs(object.MetafilePicture(), bytes, gpEMF);
    clipboard.Kind = TAutomationPicture::pkEMF;
    clipboard.WidthPx = object.MetafilePicture().Width();
    clipboard.HeightPx = object.MetafilePicture().Height();
  } else {
    SaveGraphicAs(*object.GetImage(), bytes, gpPNG);
    clipboard.Kind = TAutomationPicture::pkPNG;
    clipboard.WidthPx = object.GetImage()->Width();
    clipboard.HeightPx = object.GetImage()->Height();
  }
  clipboard.Bytes = bytes.Bytes();
  OleCall(excel.RangeObject, "Select");
  OleCall(excel.SheetObject, "PasteSpecial", {OleEmptyParam(), OleEmptyParam(), OleEmptyParam(), OleEmptyParam()});
  const rtl::Variant picture = OleCall(excel.SheetObject, "Pictures", {pictureCount_});
  if (nudge) {
    OlePut(picture, "Left", OleGet(picture, "Left").AsDouble() + 1);
    OlePut(picture, "Top", OleGet(picture, "Top").AsDouble() + 1);
  }
  OlePut(picture, "Width", static_cast<double>(object.Width / kPictureScale));
  OlePut(picture, "Height", static_cast<double>(object.Height / kPictureScale));
}

// ---------------------------------------------------------------- the fast writer

void TfrxXLSExport::WriteFast(TfrxExcel& excel, TfrxCustomProgress* progress) {
  TfrxIEMatrix& m = *matrix_;
  excel.SetPageMargin(margins_[0], margins_[1], margins_[2], margins_[3], orientation_);

  // Rows: heights to a quarter point, grouped by runs of equal heights.
  if (progress) progress->Execute(m.RowCount, vuzResources().Get("ProgressRows") + " - 1", true, true);
  std::vector<rtl::Currency> heights;
  std::vector<int> counts;
  TExcelAddressList rowGroups;
  int page = 0, groupStart = 1, groupIndex = -1;
  auto closeGroup = [&](int last) {
    if (groupIndex < 0) return;
    rowGroups.Add(groupStart == last ? "A" + std::to_string(last)
                                     : "A" + std::to_string(groupStart) + ":A" + std::to_string(last),
                  groupIndex);
  };
  for (int r = 1; r < m.RowCount; ++r) {
    if (progress && progress->Terminated()) break;
    PageBreak(excel, r, page);
    const long double h = (m.GetYPosById(r) - m.GetYPosById(r - 1)) / kPixelsPerPoint;
    const rtl::Currency q = rtl::Currency::FromFloat(std::nearbyint(4 * h) / 4);
    int index = 0;
    while (index < static_cast<int>(heights.size()) && !(heights[static_cast<std::size_t>(index)] == q)) ++index;
    if (index == static_cast<int>(heights.size())) {
      heights.push_back(q);
      counts.push_back(0);
    }
    ++counts[static_cast<std::size_t>(index)];
    if (index != groupIndex) {
      closeGroup(r - 1);
      groupStart = r;
      groupIndex = index;
    }
    if (r == m.RowCount - 1) closeGroup(r);
  }
  int common = 0;
  for (std::size_t i = 1; i < counts.size(); ++i)
    if (counts[i] > counts[static_cast<std::size_t>(common)]) common = static_cast<int>(i);
  rowGroups.Sort();
  excel.SetRowsSize(rowGroups, heights, common, m.RowCount, progress);

  WriteColumns(excel, progress);
  WriteStyles(excel, progress, true);

  // Values go in one array; styles, frames, merges and formats in lists.
  rtl::Variant values =
      rtl::VarArrayCreate({1, std::max(m.RowCount, 1), 1, std::max(m.ColumnCount, 1)}, rtl::varVariant);
  TExcelAddressList styles, frames, merges;
  std::vector<AnsiString> formats;
  if (progress) progress->Execute(m.RowCount, vuzResources().Get("ProgressObjects"), true, true);
  ForEachObject(m, progress, [&](TfrxIEMObject* object, int c, int r, int dx, int dy) {
    const bool multi = dx > 1 || dy > 1;
    const AnsiString address = multi ? TfrxExcel::IntToCoord(c, r) + ":" + TfrxExcel::IntToCoord(c + dx - 1, r + dy - 1)
                                     : TfrxExcel::IntToCoord(c, r);
    const TfrxIEMStyle* style = object->CellStyle;
    if (ExportStyles && object->StyleId >= 0) styles.Add(address, object->StyleId);
    if (MergeCells && multi) merges.Add(address, 0);
    if (ExportStyles && style && (style->FrameSides & 15u))
      frames.Add(address, static_cast<std::int32_t>(style->FrameSides & 15u));
    rtl::WideString text = MemoText(*object);
    if (TruncateLongTexts && text.size() > kMaxCellText) text.resize(kMaxCellText);
    rtl::Variant value(text);
    const TfrxFormat* format = style ? style->DisplayFormat.get() : nullptr;
    const TfrxFormatKind kind = format ? format->Kind() : fkText;
    if (AsText || kind == fkText) {
      value = rtl::Variant(u"'" + text);
    } else if (kind == fkNumeric && !text.empty()) {
      double number = 0;
      // A text without a number stays text instead of ending the export.
      if (NumericValue(text, format->DecimalSeparator(), format->ThousandSeparator(), number)) {
        value = rtl::Variant(number);
        if (!format->FormatStr().empty())
          formats.push_back(NumberFormat(format->FormatStr(), format->DecimalSeparator(), format->ThousandSeparator()) +
                            "=" + address);
      }
    }
    const std::int32_t at[2] = {r, c};
    values.PutElement(at, value);
    if (!object->IsTextObject) PastePicture(excel, *object, c, r, dx, dy, true);
  });
  if (ExportStyles) {
    styles.Sort();
    frames.Sort();
    excel.ApplyStyles(styles, 0, progress);
    excel.ApplyStyles(frames, 1, progress);
    std::stable_sort(formats.begin(), formats.end(), [](const AnsiString& a, const AnsiString& b) {
      return a.substr(0, a.rfind('=')) < b.substr(0, b.rfind('='));
    });
    excel.ApplyFormats(formats, progress);
  }
  if (MergeCells) excel.ApplyStyles(merges, 2, progress);
  // A refused range must not leave the values to the previous one.
  excel.RangeObject = rtl::Variant();
  excel.SetRange(1, 1, m.ColumnCount, m.RowCount);
  if (excel.RangeObject.AsDispatch()) OlePut(excel.RangeObject, "Value", values);
  OlePut(OleCall(excel.SheetObject, "Cells"), "WrapText", true);
}

// ---------------------------------------------------------------- the plain writer

void TfrxXLSExport::WritePlain(TfrxExcel& excel, TfrxCustomProgress* progress) {
  TfrxIEMatrix& m = *matrix_;
  excel.SetPageMargin(margins_[0], margins_[1], margins_[2], margins_[3], orientation_);
  if (progress) progress->Execute(m.RowCount, vuzResources().Get("ProgressRows"), true, true);
  int page = 0;
  for (int r = 1; r < m.RowCount; ++r) {
    if (progress && progress->Terminated()) break;
    excel.SetRowSize(r, (m.GetYPosById(r) - m.GetYPosById(r - 1)) / kPixelsPerPoint);
    PageBreak(excel, r, page);
  }
  WriteColumns(excel, progress);
  WriteStyles(excel, progress, false);
  rtl::Variant values =
      rtl::VarArrayCreate({0, std::max(m.RowCount - 1, 0), 0, std::max(m.ColumnCount - 1, 0)}, rtl::varOleStr);
  if (progress) progress->Execute(m.RowCount, vuzResources().Get("ProgressObjects"), true, true);
  ForEachObject(m, progress, [&](TfrxIEMObject* object, int c, int r, int dx, int dy) {
    excel.SetRange(c, r, dx, dy);
    if (!object->IsTextObject) {
      PastePicture(excel, *object, c, r, dx, dy, false);
      return;
    }
    if (ExportStyles && object->StyleId >= 0) OlePut(excel.RangeObject, "Style", "S" + std::to_string(object->StyleId));
    if (MergeCells && (dx > 1 || dy > 1)) excel.MergeCells();
    if (ExportStyles && object->CellStyle) excel.SetCellFrame(object->CellStyle->FrameSides & 15u);
    rtl::WideString text = MemoText(*object);
    if (text.size() > kMaxCellText) text.resize(kMaxCellText);
    const std::int32_t at[2] = {r - 1, c - 1};
    values.PutElement(at, rtl::Variant(text));
  });
  excel.RangeObject = rtl::Variant();
  excel.SetRange(1, 1, m.ColumnCount - 1, m.RowCount - 1);
  if (excel.RangeObject.AsDispatch()) OlePut(excel.RangeObject, "Value", values);
  OlePut(OleCall(excel.SheetObject, "Cells"), "WrapText", true);
}

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxXLSExport::StaticClass() {
  using F = TfrxXLSExport;
#define XLS_BOOL(Name) \
  .Property(           \
      #Name, [](const F& f) { return f.Name; }, [](F& f, bool v) { f.Name = v; })
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxXLSExport", &TfrxCustomExportFilter::StaticClass())
          .Creatable() XLS_BOOL(ExportEMF) XLS_BOOL(ExportStyles) XLS_BOOL(ExportPictures) XLS_BOOL(MergeCells)
              XLS_BOOL(OpenExcelAfterExport) XLS_BOOL(Wysiwyg) XLS_BOOL(AsText) XLS_BOOL(Background)
                  XLS_BOOL(FastExport) XLS_BOOL(PageBreaks) XLS_BOOL(EmptyLines) XLS_BOOL(TruncateLongTexts)
                      XLS_BOOL(GridLines) XLS_BOOL(SuppressPageHeadersFooters)
          .Build();
#undef XLS_BOOL
  return info;
}

void vuzExportXLSStartup() { rtl::RegisterClass<TfrxXLSExport>("TfrxXLSExport"); }

}  // namespace report
