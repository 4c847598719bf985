// Small routines shared by the whole report engine: number and colour texts,
// page ranges, separated lists, stream hex and CRC, temporary files, component
// lookup, message boxes, the bracketed-expression scanner and rectangle areas.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/rtl/components.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"
#include "platform/rtl/user_answers.h"

namespace report {

using rtl::AnsiString;
using rtl::WideString;

// Geometry records of the report classes, in pixels at 96 per inch.
struct TfrxRect {
  long double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct TfrxPoint {
  long double X = 0, Y = 0;
};
TfrxRect vuzRect(long double left, long double top, long double right, long double bottom);
TfrxPoint vuzPoint(long double x, long double y);

// An area of a page; the engine's shift tree finds overlapping objects with it.
class TfrxRectArea {
 public:
  TfrxRectArea(long double x, long double y, long double x1, long double y1) : X(x), Y(y), X1(x1), Y1(y1) {}
  long double X, Y, X1, Y1;
  bool InterceptsX(const TfrxRectArea& a) const;
  bool InterceptsY(const TfrxRectArea& a) const;
  // The common stretch along one axis (the other axis zero), or none.
  std::unique_ptr<TfrxRectArea> InterceptX(const TfrxRectArea& a) const;
  std::unique_ptr<TfrxRectArea> InterceptY(const TfrxRectArea& a) const;
};
long double Max(long double a, long double b);
long double Min(long double a, long double b);

// Numbers. Readers accept "," and "." alike; frFloat2Str always writes ".".
// Every "," and "." becomes the locale's separator and blanks go; a text that
// is not a number raises EConvertError.
long double vuzStrToFloat(const AnsiString& text);
bool vuzIsValidFloat(const AnsiString& text);
// Whole values by the general conversion, others with two decimals.
AnsiString vuzFloatToStr(long double value);
// Whole values as integers, others with `digits` decimals, always with ".".
AnsiString frFloat2Str(long double value, int digits = 2);

// "#RRGGBB" of a colour, system colours resolved (orange: #FF8000).
AnsiString HTMLRGBColor(gfx::TColor color);

// Texts.
// The text between the quotes when it is longer than two characters and
// both begins and ends with a double quote.
AnsiString vuzRemoveQuotes(const AnsiString& s);
AnsiString vuzReverseString(const AnsiString& s);
AnsiString vuzUnixPath2WinPath(const AnsiString& s);
// 1-based position of sub in s at or after offset; 0 when absent or empty.
int PosEx(const AnsiString& sub, const AnsiString& s, int offset = 1);

// The bracketed expression that starts at position i (1-based) with the open
// bracket: answers the text between the brackets; i is left at the opening
// bracket and j at the last character of the closing one. Brackets inside
// quoted strings do not count. A first character that is not an open bracket
// gives an empty text with j = i; a bracket never closed gives the rest of
// the text with j at its end.
AnsiString vuzGetBrackedVariable(const AnsiString& str, const AnsiString& openBracket, const AnsiString& closeBracket,
                                 int& i, int& j);
WideString vuzGetBrackedVariableW(const WideString& str, const WideString& openBracket, const WideString& closeBracket,
                                  int& i, int& j);

// Message boxes through the handlers the GUI installs (vuzGuiHooks.h).
// Without a GUI an error or a note goes to the error output and a question
// answers its default button at once.
void vuzErrorMsg(const AnsiString& text);
void vuzInfoMsg(const AnsiString& text);
// buttons: rtl::MB_YESNO and the like; the button pressed (rtl::mrYes...).
rtl::TModalResult vuzConfirmMsg(const AnsiString& text, rtl::TMessageBoxFlags buttons);

// How the engine reports the errors it collected.
enum TfrxSilentMode { simMessageBoxes, simSilent, simReThrow };
// simMessageBoxes shows the text, simSilent does nothing, simReThrow raises
// Exception with the text. The report's overload passes its EngineOptions.NewSilentMode.
void vuzCommonErrorHandler(TfrxSilentMode mode, const AnsiString& text);

// Streams.
// The whole stream from position 0 as upper-case hex; leaves it at its end.
rtl::AnsiString vuzStreamToString(rtl::TStream& stream);
// Pairs of hex digits written at position 0; the stream is cut after them.
void vuzStringToStream(const rtl::AnsiString& text, rtl::TStream& stream);
// CRC-32 (zlib/PNG) of the whole stream; the position is kept.
std::uint32_t vuzStreamCRC32(rtl::TStream& stream);

// Files and folders. Names are 1251 texts; "\\" and "/" both separate.
// The system temporary folder with its trailing separator.
AnsiString GetTemporaryFolder();
// A new, empty, uniquely named file ("fr" prefix) in the temporary folder.
AnsiString GetTempFile();
// The same in the given folder (the system's when empty). A file that cannot
// be created raises EFCreateError.
AnsiString vuzCreateTempFile(const AnsiString& folder);
AnsiString GetAppFileName();
// The program's folder with its trailing separator.
AnsiString GetAppPath();

// Page lists and separated lists.
// Fills list with the page numbers of a range list such as "1,3,5-12" (blanks
// ignored, "5-" runs to total). A range never runs past total when total is
// known (> 0); without it a range holds at most kMaxPageRange pages. A part
// that is not a number raises EConvertError.
inline constexpr int kMaxPageRange = 1000000;
void vuzParsePageNumbers(const AnsiString& pages, rtl::TStrings& list, int total);
// The pieces between separators, no quoting; a separator at the end adds nothing.
void vuzSetCommaText(const AnsiString& text, rtl::TStrings& list, char separator = ';');

// Components.
// A plain name among the owner's components (for a report also among its
// owner's); "Form.Component" and "Form.Component.Sub" through the global
// components. Any failure raises EClassNotFound "Missing <name>".
rtl::TComponent* vuzFindComponent(rtl::TComponent* owner, const AnsiString& name);
// Who knows the application's global components (forms, data modules): the
// GUI layer installs it.
using TGlobalComponentFinder = std::function<rtl::TComponent*(const AnsiString& name)>;
void vuzSetGlobalComponentFinder(TGlobalComponentFinder finder);
// Every global component (forms, data modules): the GUI layer installs it.
using TGlobalComponentLister = std::function<std::vector<rtl::TComponent*>()>;
void vuzSetGlobalComponentLister(TGlobalComponentLister lister);
// The runtime's one class-not-found error (catching either name catches both).
using rtl::EClassNotFound;

// The name under which a component is known from the owner: the bare name
// for a component without owner, owned by the owner, or owned by a report's
// own owner; "Form.Component" for a component of a global component;
// "Form.Frame.Component" one level further down; empty otherwise.
AnsiString vuzGetFullName(rtl::TComponent* owner, rtl::TComponent* component);
// Clears the list and adds (full name, component) for every component of the
// class or a descendant, except skip: the report's own (when the owner is a
// report), then those of every global component.
void vuzGetComponents(rtl::TComponent* owner, const rtl::TClassInfo& cls, rtl::TStrings& list, rtl::TComponent* skip);

}  // namespace report
