// The roots of the class tree: TObject (a virtual destructor and a class
// name) and TPersistent (objects that can copy themselves from another with
// Assign). Lists, string lists, components and collections derive from them.
#pragma once
#include <functional>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

namespace rtl {

class TClassInfo;  // typinfo.h: a class with its parent and published properties
class TFiler;      // filer.h: reader and writer of stored property records

// Declares a reflected class's info (defined in one visible block, see
// typinfo.h) and makes objects answer it. Put it first in the class body.
#define RTL_CLASS_INFO                           \
 public:                                         \
  static const ::rtl::TClassInfo& StaticClass(); \
  const ::rtl::TClassInfo& ClassType() const override { return StaticClass(); }

class TObject {
 public:
  // A freed object's handles (see object_handles.h) go stale here, so a
  // script that kept one gets an error instead of reaching freed memory.
  virtual ~TObject();
  // The class's own name without namespaces ("TStringList"). Classes that
  // need a name other than their C++ one override it.
  virtual AnsiString ClassName() const;

  // The reflected class of the object: the nearest class that declares
  // RTL_CLASS_INFO.
  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  // True when the object's class is the given class or descends from it.
  bool InheritsFrom(const TClassInfo& cls) const;
};

// An event handler that receives its sender.
using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
  RTL_CLASS_INFO
 public:
  // Copies source into this object. When neither side knows how, raises
  // EConvertError "Cannot assign a <source class> to a <this class>"
  // ("nil" for a null source).
  virtual void Assign(const TPersistent* source);
  // The object that owns this one in a name path (a collection for its items).
  virtual TPersistent* GetOwner() const { return nullptr; }
  virtual AnsiString GetNamePath() const { return ClassName(); }
  // Declares stored data beyond the published properties (a picture's bytes,
  // a list's lines): the template writer and reader call it with a filer.
  virtual void DefineProperties(TFiler& filer);

 protected:
  // Called by Assign when this object's class does not know the source:
  // lets the source copy itself into dest.
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace rtl
