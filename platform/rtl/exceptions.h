// The exception family of the runtime. Every error that reaches a user carries a
// message in Windows-1251; what() returns those bytes.
#pragma once
#include <exception>
#include <string>

#include "platform/rtl/strings.h"

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const AnsiString& Message() const noexcept { return message_; }
  void SetMessage(AnsiString m) { message_ = std::move(m); }

 private:
  AnsiString message_;
};

#define RTL_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {              \
   public:                                \
    using Base::Base;                     \
  };

RTL_DECLARE_EXCEPTION(EConvertError, Exception)
RTL_DECLARE_EXCEPTION(EListError, Exception)
RTL_DECLARE_EXCEPTION(EStringListError, EListError)
RTL_DECLARE_EXCEPTION(ERangeError, Exception)
RTL_DECLARE_EXCEPTION(EIntOverflow, Exception)
RTL_DECLARE_EXCEPTION(EMathError, Exception)
RTL_DECLARE_EXCEPTION(EZeroDivide, EMathError)
RTL_DECLARE_EXCEPTION(EInvalidOp, EMathError)
RTL_DECLARE_EXCEPTION(EOverflow, EMathError)
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
RTL_DECLARE_EXCEPTION(EInvalidPointer, Exception)
RTL_DECLARE_EXCEPTION(EInvalidCast, Exception)
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
RTL_DECLARE_EXCEPTION(EVariantError, Exception)
RTL_DECLARE_EXCEPTION(EStreamError, Exception)
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
// Errors of stored objects: reading, writing, unknown classes. One
// EClassNotFound serves the runtime's class registry and the report engine.
RTL_DECLARE_EXCEPTION(EFilerError, EStreamError)
RTL_DECLARE_EXCEPTION(EReadError, EFilerError)
RTL_DECLARE_EXCEPTION(EWriteError, EFilerError)
RTL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
RTL_DECLARE_EXCEPTION(EInOutError, Exception)
RTL_DECLARE_EXCEPTION(EComponentError, Exception)
// A name already taken by another object of the same tree.
RTL_DECLARE_EXCEPTION(EDuplicateName, EComponentError)
RTL_DECLARE_EXCEPTION(EPropertyError, Exception)
RTL_DECLARE_EXCEPTION(EOSError, Exception)
// A call of an operation that a base class declares and the object's class does not provide.
RTL_DECLARE_EXCEPTION(EAbstractError, Exception)

// Ends an operation quietly: the main loop shows no message for it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};

[[noreturn]] inline void Abort() { throw EAbort(); }

}  // namespace rtl
