// The runtime classes for scripts: objects, lists, string lists, streams,
// collections, components and the script engine's own XML tree.
#pragma once
#include "script/fs_iinterpreter.h"

namespace script {
namespace fs_iclassesrtti {

class TFunctions : public TfsRTTIModule {
 public:
  explicit TFunctions(TfsScript* script);

 private:
  Variant CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller);
  Variant GetProp(rtl::TObject* instance, TClass classType, const AnsiString& name);
  void SetProp(rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value);
};

}  // namespace fs_iclassesrtti

// The script class descriptions the module registers (the classes of the
// runtime that declare no reflection of their own get one here).
TClass fsListClass();
TClass fsStreamClass();
TClass fsFileStreamClass();
TClass fsMemoryStreamClass();
TClass fsXMLItemClass();
TClass fsXMLDocumentClass();

// Adds the module to the binding-module list (counted; the program calls it
// at start-up, the matching shutdown at the end).
void fsClassesRTTIStartup();
void fsClassesRTTIShutdown();

}  // namespace script
