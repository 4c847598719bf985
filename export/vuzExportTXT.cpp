// The dot-matrix text export. Objects are collected per page and drawn into
// a character screen when the page is finished; the whole file is built in
// memory and written at the end, so a failed or stopped export leaves no file.
#include "export/vuzExportTXT.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

#include "export/vuzTextScreen.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

using namespace rtl::literals;

namespace {

TfrxTXTExport::DialogHandler& OptionsDialog() {
  static TfrxTXTExport::DialogHandler handler;
  return handler;
}
TfrxTXTExport::DialogHandler& PrinterInitDialog() {
  static TfrxTXTExport::DialogHandler handler;
  return handler;
}

long long RoundEven(long double v) { return std::llrint(v); }

AnsiString Bytes(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// A screen larger than this is a damaged page: the grid would not fit memory.
constexpr long long kMaxScreenCells = 1LL << 26;

}  // namespace

TfrxTXTExport::TfrxTXTExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  ShowDialog = true;
  DefaultExt = vuzResources().Get("8802");
  FileFilter = vuzResources().Get("8801");
  SelectedPrinterType = 0;
  Copies = 1;
  RegisterPrinterType("NONE");
  const int epson = RegisterPrinterType("EPSON ESC/P2 Matrix/Stylus)");
  RegisterPrinterCommand(epson, "Reset", Bytes({0x1B, 0x40}), "");
  RegisterPrinterCommand(epson, "Normal", Bytes({0x1B, 0x78, 0x00}), "");
  RegisterPrinterCommand(epson, "Pica", Bytes({0x1B, 0x78, 0x01, 0x1B, 0x6B, 0x00}), "");
  RegisterPrinterCommand(epson, "Elite", Bytes({0x1B, 0x78, 0x01, 0x1B, 0x6B, 0x01}), "");
  RegisterPrinterCommand(epson, "Condensed", Bytes({0x0F}), Bytes({0x12}));
  RegisterPrinterCommand(epson, "Bold", Bytes({0x1B, 0x47}), Bytes({0x1B, 0x48}));
  RegisterPrinterCommand(epson, "Italic", Bytes({0x1B, 0x34}), Bytes({0x1B, 0x35}));
  RegisterPrinterCommand(epson, "Wide", Bytes({0x1B, 0x57, 0x01}), Bytes({0x1B, 0x57, 0x00}));
  RegisterPrinterCommand(epson, "12cpi", Bytes({0x1B, 0x4D}), Bytes({0x1B, 0x50}));
  RegisterPrinterCommand(epson, "Linefeed 1/8\"", Bytes({0x1B, 0x30}), "");
  RegisterPrinterCommand(epson, "Linefeed 7/72\"", Bytes({0x1B, 0x31}), "");
  RegisterPrinterCommand(epson, "Linefeed 1/6\"", Bytes({0x1B, 0x32}), "");
  const int hp = RegisterPrinterType("HP PCL (LaserJet/DeskJet)");
  RegisterPrinterCommand(hp, "Reset", Bytes({0x1B, 0x45}), "");
  RegisterPrinterCommand(hp, "Landscape orientation", Bytes({0x1B, 0x26, 0x6C, 0x31, 0x4F}),
                         Bytes({0x1B, 0x26, 0x6C, 0x30, 0x4F}));
  RegisterPrinterCommand(hp, "Italic", Bytes({0x1B, 0x28, 0x73, 0x31, 0x53}), Bytes({0x1B, 0x28, 0x73, 0x30, 0x53}));
  RegisterPrinterCommand(hp, "Bold", Bytes({0x1B, 0x28, 0x73, 0x33, 0x42}), Bytes({0x1B, 0x28, 0x73, 0x30, 0x42}));
  RegisterPrinterCommand(hp, "Draft EconoMode", Bytes({0x1B, 0x28, 0x73, 0x31, 0x51}),
                         Bytes({0x1B, 0x28, 0x73, 0x32, 0x51}));
  RegisterPrinterCommand(hp, "Condenced", Bytes({0x1B, 0x28, 0x73, 0x31, 0x32, 0x48, 0x1B, 0x26, 0x6C, 0x38, 0x44}),
                         Bytes({0x1B, 0x28, 0x73, 0x31, 0x30, 0x48}));
  const int canon = RegisterPrinterType("CANON/IBM (Matrix)");
  RegisterPrinterCommand(canon, "Reset", Bytes({0x1B, 0x40}), "");
  RegisterPrinterCommand(canon, "Normal", Bytes({0x1B, 0x78, 0x00}), "");
  RegisterPrinterCommand(canon, "Pica", Bytes({0x1B, 0x30, 0x49}), "");
  RegisterPrinterCommand(canon, "Elite", Bytes({0x1B, 0x38, 0x49}), "");
  RegisterPrinterCommand(canon, "Condensed", Bytes({0x0F}), Bytes({0x12}));
  RegisterPrinterCommand(canon, "Bold", Bytes({0x1B, 0x47}), Bytes({0x1B, 0x48}));
  RegisterPrinterCommand(canon, "Italic", Bytes({0x1B, 0x34}), Bytes({0x1B, 0x35}));
  RegisterPrinterCommand(canon, "12cpi", Bytes({0x1B, 0x4D}), Bytes({0x1B, 0x50}));
}

TfrxTXTExport::~TfrxTXTExport() = default;

void TfrxTXTExport::SetDialogHandler(DialogHandler handler) { OptionsDialog() = std::move(handler); }
void TfrxTXTExport::SetPrinterDialogHandler(DialogHandler handler) { PrinterInitDialog() = std::move(handler); }

AnsiString TfrxTXTExport::GetDescription() const { return vuzResources().Get("TextExport"); }

int TfrxTXTExport::ShowModal() {
  if (!ShowDialog || !OptionsDialog()) return rtl::mrOk;
  return OptionsDialog()(*this);
}

// ---------------------------------------------------------------- printer types

int TfrxTXTExport::RegisterPrinterType(const AnsiString& name) {
  if (PrinterTypesCount >= kMaxPrinterTypes) throw rtl::Exception("Too many printer types");
  TfrxTXTPrinterType& type = PrinterTypes[PrinterTypesCount];
  type = TfrxTXTPrinterType{};
  type.Name = name;
  return PrinterTypesCount++;
}

void TfrxTXTExport::RegisterPrinterCommand(int typeIndex, const AnsiString& name, const AnsiString& on,
                                           const AnsiString& off) {
  if (typeIndex < 0 || typeIndex >= PrinterTypesCount) throw rtl::Exception("Unknown printer type");
  TfrxTXTPrinterType& type = PrinterTypes[typeIndex];
  if (type.CommandsCount >= kMaxPrinterCommands) throw rtl::Exception("Too many printer commands");
  type.Commands[type.CommandsCount++] = TfrxTXTPrinterCommand{name, on, off, false};
}

void TfrxTXTExport::MakeInitString() {
  if (PrinterTypesCount <= 0) return;
  InitString.clear();
  if (SelectedPrinterType < 0 || SelectedPrinterType >= PrinterTypesCount) return;
  const TfrxTXTPrinterType& type = PrinterTypes[SelectedPrinterType];
  for (int i = 0; i < type.CommandsCount; ++i)
    InitString += type.Commands[i].Enabled ? type.Commands[i].SequenceOn : type.Commands[i].SequenceOff;
}

void TfrxTXTExport::LoadPrinterInit(const AnsiString& fileName) {
  rtl::TFileStream file(fileName, rtl::fmOpenRead);
  AnsiString bytes(static_cast<std::size_t>(std::min<std::int64_t>(file.Size(), 1 << 20)), '\0');
  if (!bytes.empty()) file.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::vector<AnsiString> lines;
  AnsiString line;
  for (char c : bytes) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  const int type = rtl::StrToInt(lines.empty() ? AnsiString() : lines[0]);
  // An index outside the registered types would read past them.
  if (type < 0 || type >= PrinterTypesCount)
    throw rtl::Exception("Файл "_cp + fileName + ": неизвестный тип принтера "_cp + std::to_string(type));
  SelectedPrinterType = type;
  TfrxTXTPrinterType& t = PrinterTypes[type];
  for (int i = 0; i < t.CommandsCount && i + 1 < static_cast<int>(lines.size()); ++i)
    t.Commands[i].Enabled = lines[i + 1].find("True") != AnsiString::npos;
  MakeInitString();
}

void TfrxTXTExport::SavePrinterInit(const AnsiString& fileName) const {
  AnsiString text = std::to_string(SelectedPrinterType) + "\r\n";
  if (SelectedPrinterType >= 0 && SelectedPrinterType < PrinterTypesCount) {
    const TfrxTXTPrinterType& t = PrinterTypes[SelectedPrinterType];
    for (int i = 0; i < t.CommandsCount; ++i) text += t.Commands[i].Enabled ? "True\r\n" : "False\r\n";
  }
  rtl::SaveFileAtomically(fileName, text);
}

// ---------------------------------------------------------------- the export

void TfrxTXTExport::ClearPage() {
  objects_.clear();
  xs_.clear();
  ys_.clear();
}

bool TfrxTXTExport::Start() {
  if (ExportToTemp) {
    auto* report = dynamic_cast<TfrxReport*>(Report);
    const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    const AnsiString ext = vuzResources().Get("8326");
    FileName =
        name.empty() ? rtl::ChangeFileExt(GetTempFile(), ext) : GetTemporaryFolder() + rtl::ChangeFileExt(name, ext);
  }
  ClearPage();
  out_.SetSize(0);
  started_ = false;
  if (FileName.empty() && !Stream) return false;
  if (!DefaultPath.empty() && !FileName.empty() && rtl::ExtractFilePath(FileName).empty())
    FileName = DefaultPath + "/" + FileName;
  started_ = true;
  if (!PreviewMode && !InitString.empty()) WriteBytes(InitString);
  return true;
}

void TfrxTXTExport::StartPage(TfrxComponent* /*page*/, int /*index*/) {
  maxRight_ = maxBottom_ = 0;
  MaxLineLength = LinesCount = 0;
}

void TfrxTXTExport::AddEdge(std::vector<long double>& list, long double value) {
  const long long r = RoundEven(value);
  const std::size_t from = list.size() > 100 ? list.size() - 100 : 0;
  for (std::size_t i = from; i < list.size(); ++i)
    if (RoundEven(list[i]) == r) return;
  list.push_back(value);
}

void TfrxTXTExport::ExportObject(TfrxComponent* object) {
  if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(object)) {
    const unsigned frame = memo->Frame() ? memo->Frame()->Typ() : 0;
    if (memo->Memo()->Count() > 0 || frame != 0) {
      PageObject o;
      WideString text = memo->Text();
      if (StripHTMLTags) {
        TfrxMemoView copy(nullptr);
        copy.Assign(memo);
        text = copy.WrapText(false);
      }
      AnsiString ansi = rtl::WideToAnsi(text);
      ansi.erase(std::remove(ansi.begin(), ansi.end(), '\x01'), ansi.end());
      if (ansi.size() >= 2 && ansi.compare(ansi.size() - 2, 2, "\r\n") == 0) ansi.resize(ansi.size() - 2);
      o.text = std::move(ansi);
      o.textLength = static_cast<int>(text.size());
      o.left = object->GetAbsLeft();
      o.top = object->GetAbsTop();
      o.width = object->Width();
      o.height = object->Height();
      o.frame = frame;
      o.vAlign = memo->VAlign();
      o.hAlign = memo->HAlign();
      o.order = static_cast<int>(objects_.size());
      objects_.push_back(std::move(o));
      AddEdge(xs_, object->GetAbsLeft());
      AddEdge(xs_, object->GetAbsLeft() + object->Width());
      AddEdge(ys_, object->GetAbsTop());
      AddEdge(ys_, object->GetAbsTop() + object->Height());
    }
  }
  maxRight_ = std::max(maxRight_, object->GetAbsLeft() + object->Width());
  maxBottom_ = std::max(maxBottom_, object->GetAbsTop() + object->Height());
}

void TfrxTXTExport::WriteBytes(const AnsiString& bytes) {
  if (!bytes.empty()) out_.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TfrxTXTExport::WriteLine(const AnsiString& line) {
  if (!line.empty()) {
    WriteBytes(line + "\r\n");
    MaxLineLength = std::max(MaxLineLength, static_cast<int>(line.size()));
    ++LinesCount;
  } else if (EmptyLines) {
    WriteBytes("\r\n");
    ++LinesCount;
  }
}

void TfrxTXTExport::FinishPage(TfrxComponent* /*page*/, int /*index*/) {
  std::sort(xs_.begin(), xs_.end());
  std::sort(ys_.begin(), ys_.end());
  std::stable_sort(objects_.begin(), objects_.end(), [](const PageObject& a, const PageObject& b) {
    if (a.top != b.top) return a.top < b.top;
    if (a.left != b.left) return a.left < b.left;
    return a.textLength < b.textLength;
  });
  auto cell = [](const std::vector<long double>& list, long double value) {
    const long long r = RoundEven(value);
    for (std::size_t i = 0; i < list.size(); ++i)
      if (RoundEven(list[i]) == r) return static_cast<int>(i);
    return 0;
  };
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    objects_[i].column = cell(xs_, objects_[i].left);
    objects_[i].row = cell(ys_, objects_[i].top);
    objects_[i].order = static_cast<int>(i);
  }
  // Every object is drawn, in the order of its cell (row, then column), and
  // objects sharing a cell or sorted against the cells in list order.
  std::stable_sort(objects_.begin(), objects_.end(), [](const PageObject& a, const PageObject& b) {
    if (a.row != b.row) return a.row < b.row;
    return a.column < b.column;
  });

  const long long width = RoundEven(ScaleWidth * maxRight_ / kColumnPixels) + 10;
  const long long height = RoundEven(ScaleHeight * maxBottom_ / kRowPixels) + 2;
  if (width <= 0 || height <= 0 || width * height > kMaxScreenCells)
    throw rtl::Exception("Страница слишком велика для текстового экспорта"_cp);
  TfrxTextScreen screen(static_cast<int>(width), static_cast<int>(height),
                        ChooseFrameSet(CustomFrameSet, Pseudogrpahic), OEMCodepage);
  for (const PageObject& o : objects_) {
    const auto x = static_cast<int>(RoundEven(ScaleWidth * o.left / kColumnPixels));
    const auto y = static_cast<int>(RoundEven(ScaleHeight * o.top / kRowPixels));
    const auto dx = static_cast<int>(RoundEven(ScaleWidth * o.width / kColumnPixels));
    const auto dy = static_cast<int>(RoundEven(ScaleHeight * o.height / kRowPixels));
    const auto v = o.vAlign == vaBottom   ? TfrxTextScreen::vaBottom
                   : o.vAlign == vaCenter ? TfrxTextScreen::vaCenter
                                          : TfrxTextScreen::vaTop;
    const auto h = o.hAlign == haRight    ? TfrxTextScreen::haRight
                   : o.hAlign == haCenter ? TfrxTextScreen::haCenter
                                          : TfrxTextScreen::haLeft;
    screen.DrawMemo(x, y, dx, dy, o.text, o.frame, Borders, v, h, OEMCodepage);
  }
  for (const AnsiString& line : screen.Flush(Borders, LeadSpaces)) WriteLine(line);
  if (PageBreaks) WriteBytes("\x0C");
  ClearPage();
}

void TfrxTXTExport::Finish() {
  // The export driver calls Finish also from its handler of a failed or
  // stopped run: then no file is written.
  if (std::current_exception() || !started_) {
    out_.SetSize(0);
    return;
  }
  started_ = false;
  if (!PageBreaks && !PreviewMode) WriteBytes("\x0C");
  const std::string bytes(out_.Memory(), static_cast<std::size_t>(out_.Size()));
  out_.SetSize(0);
  if (Stream) {
    if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return;
  }
  rtl::SaveFileAtomically(FileName, bytes);
  AfterExport(FileName);
}

// ---------------------------------------------------------------- printing

void TfrxTXTExport::SpoolFile(const AnsiString& fileName) {
  preview::TfrxCustomPrinter* printer = preview::vuzPrinters().GetCurrentPrinter();
  if (!printer) return;
  printer->Title = fileName;
  printer->BeginRAWDoc();
  try {
    rtl::TFileStream file(fileName, rtl::fmOpenRead);
    AnsiString block(1024, '\0');
    for (;;) {
      const std::int64_t n = file.Read(block.data(), 1024);
      printer->WriteRAWDoc(block.substr(0, static_cast<std::size_t>(std::max<std::int64_t>(0, n))));
      if (n < 1024) break;
    }
  } catch (...) {
    printer->EndRAWDoc();
    throw;
  }
  printer->EndRAWDoc();
}

void TfrxTXTExport::AfterExport(const AnsiString& fileName) {
  if (!PrintAfter || !preview::vuzPrinters().HasPhysicalPrinters()) return;
  if (PrinterDialog && PrinterInitDialog()) {
    if (PrinterInitDialog()(*this) != 1) return;
  }
  MakeInitString();
  // The printed bytes start with the printer's initialisation; the user's
  // file stays as exported, and only the temporary copy is removed.
  const AnsiString spool = vuzCreateTempFile(AnsiString());
  try {
    rtl::TFileStream source(fileName, rtl::fmOpenRead);
    std::string content(static_cast<std::size_t>(source.Size()), '\0');
    if (!content.empty()) source.ReadBuffer(content.data(), static_cast<std::int64_t>(content.size()));
    rtl::SaveFileAtomically(spool, InitString + content);
    for (int copy = 0; copy < std::max(1, Copies); ++copy) SpoolFile(spool);
  } catch (...) {
    rtl::DeleteFile(spool);
    throw;
  }
  rtl::DeleteFile(spool);
  if (ExportToTemp) rtl::DeleteFile(fileName);
}

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxTXTExport::StaticClass() {
  using F = TfrxTXTExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxTXTExport", &TfrxCustomExportFilter::StaticClass())
          .Creatable()
          .Property(
              "ScaleWidth", [](const F& f) { return f.ScaleWidth; }, [](F& f, long double v) { f.ScaleWidth = v; })
          .Property(
              "ScaleHeight", [](const F& f) { return f.ScaleHeight; }, [](F& f, long double v) { f.ScaleHeight = v; })
          .Property(
              "Borders", [](const F& f) { return f.Borders; }, [](F& f, bool v) { f.Borders = v; })
          .Property(
              "Pseudogrpahic", [](const F& f) { return f.Pseudogrpahic; }, [](F& f, bool v) { f.Pseudogrpahic = v; })
          .Property(
              "PageBreaks", [](const F& f) { return f.PageBreaks; }, [](F& f, bool v) { f.PageBreaks = v; })
          .Property(
              "OEMCodepage", [](const F& f) { return f.OEMCodepage; }, [](F& f, bool v) { f.OEMCodepage = v; })
          .Property(
              "EmptyLines", [](const F& f) { return f.EmptyLines; }, [](F& f, bool v) { f.EmptyLines = v; })
          .Property(
              "LeadSpaces", [](const F& f) { return f.LeadSpaces; }, [](F& f, bool v) { f.LeadSpaces = v; })
          .Property(
              "PrintAfter", [](const F& f) { return f.PrintAfter; }, [](F& f, bool v) { f.PrintAfter = v; })
          .Property(
              "PrinterDialog", [](const F& f) { return f.PrinterDialog; }, [](F& f, bool v) { f.PrinterDialog = v; })
          .Property(
              "UseSavedProps", [](const F& f) { return f.UseSavedProps; }, [](F& f, bool v) { f.UseSavedProps = v; })
          .Property(
              "InitString", [](const F& f) { return f.InitString; },
              [](F& f, const AnsiString& v) { f.InitString = v; })
          .Property(
              "CustomFrameSet", [](const F& f) { return f.CustomFrameSet; },
              [](F& f, const AnsiString& v) { f.CustomFrameSet = v; })
          .Property(
              "StripHTMLTags", [](const F& f) { return f.StripHTMLTags; }, [](F& f, bool v) { f.StripHTMLTags = v; })
          .Default(false)
          .Build();
  return info;
}

}  // namespace report
