// Late-bound calls on automation objects. There is no COM here: an
// automation object is any host object implementing TfsDispatch (a program
// or a test supplies one; CreateOleObject itself raises). TfsOLEHelper is
// the member of such an object that a designator step reaches: its
// parameters are the arguments written in the script.
#pragma once
#include <cstdint>
#include <vector>

#include "script/fs_iinterpreter.h"

namespace script {

enum : unsigned { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };
inline constexpr int DISPID_PROPERTYPUT = -3;
// The most arguments one call passes; more are refused.
inline constexpr int kMaxDispatchArguments = 64;

struct TfsDispException {
  AnsiString Source, Description, HelpFile;
};

class TfsDispatch : public rtl::TObject {
 public:
  // 0 and the member's identifier, or an error code.
  virtual std::int32_t GetIDOfName(const AnsiString& name, int& dispId) = 0;
  // Arguments arrive last first; named holds the identifiers of the named
  // ones (the property-put value). A nil result: none is wanted.
  virtual std::int32_t Invoke(int dispId, unsigned flags, const std::vector<Variant>& args,
                              const std::vector<int>& named, Variant* result, TfsDispException& info) = 0;
  // The platform's message for an error code.
  virtual AnsiString ErrorMessage(std::int32_t code) const;
};

class TfsOLEHelper : public TfsCustomHelper {
 public:
  explicit TfsOLEHelper(const AnsiString& name);
  // Method call or property get with the current arguments.
  Variant GetValue() override;
  // Property put: the arguments followed by the value.
  void SetValue(const Variant& value) override;
  void DispatchInvoke(const std::vector<Variant>& args, int count, Variant* result, unsigned flags);
};

}  // namespace script
