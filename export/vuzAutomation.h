// Automation servers by name, and the picture hand-over between an exporter
// and a server. Nothing here is installed by the export library itself: a
// program registers the servers it has (the workbook stand-in of
// export/biff, a recording fake in tests) and a filter creates them by their
// programmatic identifier, as it would a registered application.
#pragma once
#include <functional>
#include <string>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {

using rtl::AnsiString;

// Raised when no server is registered under a name, or a server call fails
// for a reason of the server's own.
class EOleError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// Makes a new automation object (a Variant holding an IDispatch).
using TAutomationFactory = std::function<rtl::Variant()>;

// Registers (or, with an empty factory, removes) the server of progId.
void vuzRegisterAutomationServer(const AnsiString& progId, TAutomationFactory factory);
bool vuzAutomationServerExists(const AnsiString& progId);
// A new object of the server; EOleError "Invalid class string" names an
// unknown identifier.
rtl::Variant vuzCreateOleObject(const AnsiString& progId);

// Late-bound call by member name; the object must hold an automation
// reference (EOleError otherwise).
rtl::Variant OleInvoke(const rtl::Variant& object, std::string_view member, rtl::DispatchKind kind,
                       std::initializer_list<rtl::Variant> args = {});
inline rtl::Variant OleCall(const rtl::Variant& object, std::string_view member,
                            std::initializer_list<rtl::Variant> args = {}) {
  return OleInvoke(object, member, rtl::DispatchKind::Method, args);
}
inline rtl::Variant OleGet(const rtl::Variant& object, std::string_view member,
                           std::initializer_list<rtl::Variant> args = {}) {
  return OleInvoke(object, member, rtl::DispatchKind::PropertyGet, args);
}
inline void OlePut(const rtl::Variant& object, std::string_view member, const rtl::Variant& value) {
  OleInvoke(object, member, rtl::DispatchKind::PropertyPut, {value});
}

// A left-out optional argument.
rtl::Variant OleEmptyParam();
bool OleIsEmptyParam(const rtl::Variant& v);

// The picture an exporter hands to a server's paste: an in-process
// clipboard, so the desktop's own clipboard is left alone.
struct TAutomationPicture {
  enum TKind { pkNone, pkPNG, pkEMF };
  TKind Kind = pkNone;
  std::string Bytes;
  int WidthPx = 0, HeightPx = 0;  // at 96 per inch
};
TAutomationPicture& vuzAutomationClipboard();

}  // namespace report
