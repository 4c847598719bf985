// The layout matrix: the grid every table-shaped export (RTF, HTML,
// OpenDocument, the workbook) writes from. A filter makes one matrix per
// export, sets its options, hands it every object of every page (AddObject)
// and closes each page (AddPage), calls Prepare once and then walks the grid:
// every distinct left/right edge is a column boundary, every top/bottom edge a
// row boundary, and each settled object covers one rectangle of cells.
//
// Coordinates are report pixels (96 per inch); each page's objects are moved
// down by the height of everything added before, so all pages lie in one
// tall coordinate space. Equal cell looks share one TfrxIEMStyle; a style's
// index in the list is its identity.
//
// Every count the matrix allocates is bounded (objects, coordinates, cells,
// painting work, picture pixels): past a limit it raises EMatrixLimit with a
// clear message instead of allocating without end. See export/README.md.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassView.h"
#include "report/vuzDrawText.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzUtils.h"

namespace report {

class TfrxComponent;

// ---------------------------------------------------------------- limits

// Past any of these the matrix raises EMatrixLimit (nothing is allocated
// for the refused part).
inline constexpr int kMaxMatrixObjects = 2'000'000;           // placement records, fragments included
inline constexpr int kMaxMatrixCoordinates = 4'000'000;       // per axis, splits included
inline constexpr std::int64_t kMaxMatrixCells = 32'000'000;   // columns x rows of the grid
inline constexpr std::int64_t kMaxMatrixPaint = 256'000'000;  // cell writes of Render
inline constexpr int kMaxMatrixPictureSide = 16'384;          // pixels of a picture side
inline constexpr std::int64_t kMaxMatrixPicturePixels = 16'000'000;
// Positions and sizes are clamped to +-this many pixels (NaN counts as 0).
inline constexpr long double kMatrixCoordinateLimit = 1e9L;

class EMatrixLimit : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// ---------------------------------------------------------------- style

// The look of a cell. Two styles are equal (SameAs) when font size, alignment,
// font colour, name (case-sensitive) and style set, frame sides, width,
// colour and style, fill, display format (kind, decimal separator, format
// text; not the thousand separator), spacings, gaps, charset, word break,
// rotation, word wrap and brush style are equal; floats compare exactly.
class TfrxIEMStyle {
 public:
  TfrxIEMStyle();
  ~TfrxIEMStyle();
  TfrxIEMStyle(const TfrxIEMStyle&) = delete;
  TfrxIEMStyle& operator=(const TfrxIEMStyle&) = delete;

  std::unique_ptr<gfx::TFont> Font;
  long double LineSpacing = 0;
  TfrxVAlign VAlign = vaTop;
  TfrxHAlign HAlign = haLeft;
  TfrxFrameTypes FrameSides = 0;  // FrameBit(ftLeft) | ...
  float FrameLineWidth = 0;
  gfx::TColor FrameLineColor = 0;
  TfrxFrameStyle FrameLineStyle = fsSolid;
  gfx::TColor Color = 0;  // the fill; clTransparent for none
  int Rotation = 0;
  gfx::TBrushStyle BrushStyle = gfx::bsSolid;
  long double ParagraphGap = 0, GapX = 0, GapY = 0, CharSpacing = 0;
  bool WordBreak = false;
  int Charset = 0;
  std::unique_ptr<TfrxFormat> DisplayFormat;
  bool WordWrap = false;

  // Copies every field (font and display format by value).
  void Assign(const TfrxIEMStyle& source);
  // Back to the values of a new style.
  void Reset();
  void SetDisplayFormat(const TfrxFormat& format) { DisplayFormat->Assign(&format); }
  bool SameAs(const TfrxIEMStyle& other) const;
  std::size_t Hash() const;
};

// ---------------------------------------------------------------- object

// One object placed in the matrix: text lines, or a picture, with its style.
class TfrxIEMObject {
 public:
  TfrxIEMObject();
  ~TfrxIEMObject();
  TfrxIEMObject(const TfrxIEMObject&) = delete;
  TfrxIEMObject& operator=(const TfrxIEMObject&) = delete;

  TWideStrings Memo;  // empty for pictures
  AnsiString URL;     // "#anchor" becomes "@page" when the matrix has a SourceReport
  int StyleId = -1;
  TfrxIEMStyle* CellStyle = nullptr;  // the style at StyleId (not owned); nil for none
  bool IsTextObject = true;
  bool IsRichTextObject = false;
  bool IsDialogControl = false;
  long double Left = 0, Top = 0, Width = 0, Height = 0;
  // The object this one is a fragment of (not owned), else nil.
  TfrxIEMObject* CutFrom = nullptr;
  int ExportMark = 0;  // the matrix never reads it; filters mark written objects
  TfrxComponent* LinkedObject = nullptr;
  bool RTLReading = false;
  bool InPageFooter = false, InPageHeader = false;
  AnsiString Name;
  bool AllowHTMLTags = false;

  // The bitmap of a picture object (owned), nil otherwise. SetImage takes
  // the pointer over and frees nothing.
  gfx::TBitmap* GetImage() const { return image_; }
  void SetImage(gfx::TBitmap* image) { image_ = image; }
  // Empty unless MetafilePictures drew into it; made on first use.
  gfx::TMetafile& MetafilePicture();
  bool HasMetafilePicture() const { return metafile_ != nullptr; }

 private:
  gfx::TBitmap* image_ = nullptr;
  std::unique_ptr<gfx::TMetafile> metafile_;
};

// Where an object lies in the grid: its first column and row and how many
// it covers. Settled once Prepare has confirmed that block as its cells.
struct TfrxIEMObjectList {
  std::unique_ptr<TfrxIEMObject> Target;
  int CellX = 0, CellY = 0, SpanX = 1, SpanY = 1;
  bool Settled = false;
};

struct TfrxIEMPos {
  long double Coordinate = 0;
};

// One exported page: PageEndY is the bottom of everything up to and
// including that page; sizes and margins in millimetres as the filter gave them.
struct TfrxIEMPage {
  long double PageEndY = 0;
  TPrinterOrientation Orientation = poPortrait;
  long double Width = 0, Height = 0, LeftMargin = 0, TopMargin = 0, BottomMargin = 0, RightMargin = 0;
  bool MirrorMargins = false;  // left and right were swapped for this page
};

// What Prepare shows while it works; the GUI companion installs a progress
// window, without one nothing is shown.
struct TfrxIEMProgressHooks {
  std::function<void(int maximum, const AnsiString& message)> Start;
  std::function<void()> Tick;
  std::function<void()> Stop;
};
TfrxIEMProgressHooks& vuzMatrixProgressHooks();

// ---------------------------------------------------------------- matrix

class TfrxIEMatrix {
 public:
  // Both arguments are kept for the filters' calls and ignored.
  explicit TfrxIEMatrix(bool useFileCache = false, const AnsiString& tempDir = AnsiString());
  ~TfrxIEMatrix();
  TfrxIEMatrix(const TfrxIEMatrix&) = delete;
  TfrxIEMatrix& operator=(const TfrxIEMatrix&) = delete;

  // ---- options: set between construction and the first AddObject
  bool ShowProgress = true;
  long double Inaccuracy = 0;      // edges closer than this become one boundary
  long double MaxRowHeight = 0;    // larger row gaps are split (0: never)
  long double MaxColumnWidth = 0;  // larger column gaps are split (0: never)
  bool RotatedAsPicture = false;   // rotated text becomes a picture
  bool RichAsPlainText = true;
  bool KeepRichText = false;
  bool WhiteFillCropped = false;   // the white fill starts at MinObjectLeft/Top
  bool WhiteFill = false;          // one white object under all others
  bool FrameOptimization = false;  // drop frame sides a neighbour already draws
  bool StripHTMLTags = false;
  bool BackgroundAsPicture = false;
  bool Background = false;                // the page background object is taken at all
  TfrxComponent* SourceReport = nullptr;  // resolves "#anchor" URLs to "@page"
  bool ExportNotPrintable = true;
  bool AllowPictures = true;
  bool WrapLines = false;
  bool EmptyLines = true;  // keep rows that hold no object
  bool PatternAsPicture = true;
  bool MetafilePictures = false;
  bool DotMatrixReport = false;  // every text and picture style font at 9 points

  // ---- filling
  // Adds one report object. Views are taken (text, pictures, lines and
  // rectangle shapes as their kind says; drop shadows as two strips);
  // anything else (bands, the engine's empty null band) adds nothing.
  void AddObject(TfrxComponent* object);
  // Closes a page: everything added next lies below what was added so far.
  // With mirror margins an odd 0-based page index stores left and right swapped.
  void AddPage(TPrinterOrientation orientation, long double width, long double height, long double leftMargin,
               long double topMargin, long double rightMargin, long double bottomMargin, bool mirrorMargins,
               int pageIndex);
  // Objects added next on these bands get InPageHeader / InPageFooter.
  void SetPageHeader(TfrxComponent* band) { PageHeader = band; }
  void SetPageFooter(TfrxComponent* band) { PageFooter = band; }
  // Frees every object, style, coordinate and page; options stay.
  void Clear();

  // ---- building the grid (once, after the last AddPage)
  void Prepare();

  // ---- reading (after Prepare)
  int ColumnCount = 0, RowCount = 0;
  long double MaxRight = 0, MaxBottom = 0;
  long double MinObjectLeft = 99999, MinObjectTop = 99999;
  long double ContentLeft = 0, ContentTop = 0;  // 0 counts as unset

  // The object id of a cell; -1 for an empty cell or a position outside the grid.
  int GetCell(int column, int row) const;
  TfrxIEMObject* GetObject(int column, int row) const;
  TfrxIEMStyle* GetStyle(int column, int row) const;
  // Nil for an id outside the records.
  TfrxIEMObject* GetObjectById(int id) const;
  // An id outside the records raises the list-index error (EListError).
  void GetObjectPos(int id, int& column, int& row, int& columnSpan, int& rowSpan) const;
  // True when the object owns its block of cells (false for objects cut into
  // fragments and for objects of no width or height).
  bool IsSettled(int id) const;
  int GetObjectsCount() const { return static_cast<int>(records_.size()); }
  int GetStylesCount() const { return static_cast<int>(styles_.size()); }
  int GetPagesCount() const { return static_cast<int>(pages_.size()); }
  TfrxIEMStyle* GetStyleById(int id) const;
  // The left edge of column i / the top edge of row i.
  long double GetXPosById(int i) const;
  long double GetYPosById(int i) const;
  long double GetCellXPos(int i) const { return GetXPosById(i); }
  long double GetCellYPos(int i) const { return GetYPosById(i); }
  static TfrxRect GetObjectBounds(const TfrxIEMObject& object);
  // Page getters answer 0 (nil) for an index outside the pages.
  long double GetPageBreak(int page) const;
  long double GetPageWidth(int page) const;
  long double GetPageHeight(int page) const;
  long double GetPageLMargin(int page) const;
  long double GetPageTMargin(int page) const;
  long double GetPageRMargin(int page) const;
  long double GetPageBMargin(int page) const;
  TPrinterOrientation GetPageOrientation(int page) const;
  bool GetPageMirrorMargin(int page) const;
  TfrxIEMPage* GetIEPages(int page) const;

  // ---- the steps of Prepare, public for tests and for filters that need them
  void OrderByCells();
  void OrderPosArray(std::vector<TfrxIEMPos>& list, bool vertical);
  // Binary search of a sorted list: true and the index of an equal
  // coordinate, or false and the index of the first greater one (count when none).
  static bool QuickFind(const std::vector<TfrxIEMPos>& list, long double value, int& index);
  void Render();
  void FillArea(int column, int row, int columns, int rows, int value);
  void SetCell(int column, int row, int value);  // ignores a position outside the grid
  void DeleteMatrixLine(int row);
  void Analyse();
  void FindRectArea(int column, int row, int& columns, int& rows) const;
  void CutObject(int id, int column, int row, int columns, int rows);
  void ReplaceArea(int oldId, int column, int row, int columns, int rows, int newId);
  void CloneFrames(int cutId, int fragmentId);
  void OptimizeFrames();
  // Appends a placement record and answers its id.
  int AddInternalObject(std::unique_ptr<TfrxIEMObject> object, int column, int row, int columns, int rows);
  // Stores the style once: an equal one already stored wins (the first such),
  // and the given style is dropped. Answers the style's index.
  int AddStyleInternal(std::unique_ptr<TfrxIEMStyle> style);
  // Appends a coordinate unless it equals one of the last 100 entries.
  static void AddPos(std::vector<TfrxIEMPos>& list, long double value);
  // The charset fonts of that name really have (cached per name).
  int GetFontCharset(const gfx::TFont& font);

  std::vector<TfrxIEMPos> XCoordinates, YCoordinates;
  TfrxComponent* PageHeader = nullptr;
  TfrxComponent* PageFooter = nullptr;
  long double PageTop = 0;

 private:
  struct Collector;
  void AddView(TfrxView* view);
  int AddStyle(TfrxView* view);
  void PlaceObject(std::unique_ptr<TfrxIEMObject> object, TfrxView* view);
  void DrawPicture(TfrxIEMObject& object, TfrxView* view);
  void AddRectangle(TfrxView* view);
  void AddShadowed(TfrxView* view);
  int RecordCount() const { return static_cast<int>(records_.size()); }
  void CheckObjectRoom(int more) const;
  const TfrxIEMObjectList& Record(int id) const;
  void Tick();
  // Stores the style unless an equal one is stored; takes it only when new.
  int StoreStyle(std::unique_ptr<TfrxIEMStyle>& style);
  static void MoveContent(TfrxIEMObject& from, TfrxIEMObject& to);

  std::deque<TfrxIEMObjectList> records_;  // a deque: records stay in place while fragments are added
  std::vector<std::unique_ptr<TfrxIEMStyle>> styles_;
  std::unordered_map<std::size_t, std::vector<int>> styleIndex_;  // hash -> style ids, ascending
  std::vector<std::unique_ptr<TfrxIEMPage>> pages_;
  std::vector<std::int32_t> cells_;
  std::unordered_map<AnsiString, int> fontCharsets_;
  std::unique_ptr<TfrxIEMStyle> scratchStyle_;
  std::unordered_map<int, int> firstFragment_;  // cut record -> its first fragment (while Analyse runs)
  bool progress_ = false;
};

}  // namespace report
