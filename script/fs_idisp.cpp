#include "script/fs_idisp.h"

#include <cstdio>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"

namespace script {

AnsiString TfsDispatch::ErrorMessage(std::int32_t) const { return "Unspecified error"; }

TfsOLEHelper::TfsOLEHelper(const AnsiString& name) : TfsCustomHelper(name, fvtVariant, "") {}

Variant TfsOLEHelper::GetValue() {
  std::vector<Variant> args;
  for (int i = 0; i < Count(); ++i) args.push_back(GetParam(i)->GetValue());
  Variant result;
  DispatchInvoke(args, Count(), &result, DISPATCH_METHOD);
  return result;
}

void TfsOLEHelper::SetValue(const Variant& value) {
  std::vector<Variant> args;
  for (int i = 0; i < Count(); ++i) args.push_back(GetParam(i)->GetValue());
  args.push_back(value);
  DispatchInvoke(args, Count() + 1, nullptr, DISPATCH_PROPERTYPUT);
}

void TfsOLEHelper::DispatchInvoke(const std::vector<Variant>& args, int count, Variant* result, unsigned flags) {
  // The argument list of a call has room for 64: more would overrun it.
  if (count > kMaxDispatchArguments || count < 0 || static_cast<std::size_t>(count) > args.size())
    throw rtl::Exception("Too many automation arguments for " + Name + ": " + rtl::IntToStr(count) + " (at most 64)");
  auto* dispatch = dynamic_cast<TfsDispatch*>(fsVariantToObject(PrevValue));
  if (!dispatch) throw rtl::EInvalidPointer("Automation object expected for " + Name);

  auto fail = [&](std::int32_t code, const TfsDispException& info) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
    AnsiString text = "OLE error " + AnsiString(hex) + ": " + Name + ": " + dispatch->ErrorMessage(code);
    if (!info.Source.empty()) text += "\r\nSource        ::  " + info.Source;
    if (!info.Description.empty()) text += "\r\nDescription ::  " + info.Description;
    if (!info.HelpFile.empty()) text += "\r\nHelp File     ::  " + info.HelpFile;
    throw rtl::Exception(text);
  };

  TfsDispException info;
  int dispId = 0;
  if (std::int32_t code = dispatch->GetIDOfName(Name, dispId)) fail(code, info);
  std::vector<Variant> reversed(args.rbegin() + static_cast<std::ptrdiff_t>(args.size() - count), args.rend());
  std::vector<int> named;
  if (flags == DISPATCH_PROPERTYPUT) named.push_back(DISPID_PROPERTYPUT);
  Variant* wanted = nullptr;
  if (result && WantsResult && flags != DISPATCH_PROPERTYPUT) {
    *result = Variant();
    flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    wanted = result;
  }
  if (std::int32_t code = dispatch->Invoke(dispId, flags, reversed, named, wanted, info)) fail(code, info);
}

}  // namespace script
