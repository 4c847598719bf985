// Initialisation files for scripts: TCustomIniFile, TMemIniFile, TIniFile
// over the runtime's ini files, with the string-list, stream and value-only
// extras scripts rely on.
#pragma once
#include "platform/rtl/inifiles.h"
#include "script/fs_iinterpreter.h"

namespace script {
namespace fs_iinirtti {

class TFunctions : public TfsRTTIModule {
 public:
  explicit TFunctions(TfsScript* script);

 private:
  Variant CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller);
};

}  // namespace fs_iinirtti

TClass fsCustomIniFileClass();
TClass fsMemIniFileClass();
TClass fsIniFileClass();

// The extras, usable from the host too.
// Erases the section first when isClear; then "Items0".."ItemsN-1" and "Count".
void fsWriteTStrings(rtl::TCustomIniFile& ini, const AnsiString& section, const rtl::TStrings& value, bool isClear);
// Appends the values of "Items0".. up to "Count" (cleared first when isClear).
void fsReadTStrings(rtl::TCustomIniFile& ini, const AnsiString& section, rtl::TStrings& value, bool isClear);
// The section's values without their names.
void fsReadSectionValuesEx(rtl::TCustomIniFile& ini, const AnsiString& section, rtl::TStrings& values);
// The whole text of the file (a TIniFile from disk, a TMemIniFile from memory).
void fsSaveIniFileToStream(rtl::TCustomIniFile& ini, rtl::TStream& stream);
// Makes the stream's text the file's content (a TIniFile writes its file).
void fsLoadIniFileFromStream(rtl::TCustomIniFile& ini, rtl::TStream& stream);

void fsIniRTTIStartup();
void fsIniRTTIShutdown();

}  // namespace script
