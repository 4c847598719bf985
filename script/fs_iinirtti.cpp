#include "script/fs_iinirtti.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ibindings.h"

namespace script {

TClass fsCustomIniFileClass() {
  return fsHostClass<rtl::TCustomIniFile>("TCustomIniFile", &rtl::TObject::StaticClass());
}
TClass fsMemIniFileClass() {
  static const rtl::TClassInfo info("TMemIniFile", fsCustomIniFileClass());
  return &info;
}
TClass fsIniFileClass() {
  static const rtl::TClassInfo info("TIniFile", fsCustomIniFileClass());
  return &info;
}

void fsWriteTStrings(rtl::TCustomIniFile& ini, const AnsiString& section, const rtl::TStrings& value, bool isClear) {
  if (isClear) ini.EraseSection(section);
  for (int i = 0; i < value.Count(); ++i) ini.WriteString(section, "Items" + rtl::IntToStr(i), value.Strings(i));
  ini.WriteInteger(section, "Count", value.Count());
}

void fsReadTStrings(rtl::TCustomIniFile& ini, const AnsiString& section, rtl::TStrings& value, bool isClear) {
  const int count = ini.ReadInteger(section, "Count", 0);
  if (isClear) value.Clear();
  for (int i = 0; i < count; ++i) value.Add(ini.ReadString(section, "Items" + rtl::IntToStr(i), AnsiString()));
}

void fsReadSectionValuesEx(rtl::TCustomIniFile& ini, const AnsiString& section, rtl::TStrings& values) {
  rtl::TStringList lines;
  ini.ReadSectionValues(section, lines);
  values.Clear();
  for (int i = 0; i < lines.Count(); ++i) values.Add(lines.ValueFromIndex(i));
}

namespace {

// Replaces a memory file's content by an ini text.
void SetMemText(rtl::TMemIniFile& ini, const AnsiString& text) {
  ini.Clear();
  rtl::TStringList lines;
  lines.SetText(text);
  AnsiString section;
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString line = rtl::Trim(lines.Strings(i));
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == AnsiString::npos) continue;
    ini.WriteString(section, rtl::Trim(line.substr(0, eq)), rtl::Trim(line.substr(eq + 1)));
  }
}

}  // namespace

void fsSaveIniFileToStream(rtl::TCustomIniFile& ini, rtl::TStream& stream) {
  if (auto* mem = dynamic_cast<rtl::TMemIniFile*>(&ini)) {
    stream.WriteString(mem->Text());
  } else if (dynamic_cast<rtl::TIniFile*>(&ini) && rtl::FileExists(ini.FileName())) {
    rtl::TFileStream file(ini.FileName(), rtl::fmOpenRead | rtl::fmShareDenyWrite);
    stream.WriteString(file.ReadRest());
  }
}

void fsLoadIniFileFromStream(rtl::TCustomIniFile& ini, rtl::TStream& stream) {
  const AnsiString text = stream.ReadRest();
  if (auto* mem = dynamic_cast<rtl::TMemIniFile*>(&ini))
    SetMemText(*mem, text);
  else if (dynamic_cast<rtl::TIniFile*>(&ini))
    rtl::SaveFileAtomically(ini.FileName(), text);
}

namespace fs_iinirtti {

TFunctions::TFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  auto method = [this](rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller) {
    return CallMethod(instance, classType, name, caller);
  };
  auto getter = [](rtl::TObject* instance, TClass, const AnsiString& name) {
    if (name == "FILENAME") return Variant(fsNeed<rtl::TCustomIniFile>(instance).FileName());
    return Variant(0);
  };

  if (TfsClassVariable* c = s.AddClass(fsCustomIniFileClass(), "TObject")) {
    c->AddConstructor("constructor Create(const FileName: String)", method);
    for (const char* d :
         {"function ReadInteger(const Section, Ident: String; Default: LongInt): LongInt",
          "procedure WriteInteger(const Section, Ident: String; Value: LongInt)",
          "function ReadBool(const Section, Ident: String; Default: Boolean): Boolean",
          "procedure WriteBool(const Section, Ident: String; Value: Boolean)",
          "function ReadDate(const Section, Name: String; Default: TDateTime): TDateTime",
          "function ReadDateTime(const Section, Name: String; Default: TDateTime): TDateTime",
          "function ReadFloat(const Section, Name: String; Default: Double): Double",
          "function ReadTime(const Section, Name: String; Default: TDateTime): TDateTime",
          "procedure WriteDate(const Section, Name: String; Value: TDateTime)",
          "procedure WriteDateTime(const Section, Name: String; Value: TDateTime)",
          "procedure WriteFloat(const Section, Name: String; Value: Double)",
          "procedure WriteTime(const Section, Name: String; Value: TDateTime)",
          "function ReadBinaryStream(const Section, Name: String; Value: TStream): Integer",
          "procedure WriteBinaryStream(const Section, Name: String; Value: TStream)",
          "function SectionExists(const Section: String): Boolean",
          "function ValueExists(const Section, Ident: String): Boolean",
          "procedure WriteTStrings(const Section :String; Value :TStrings; IsClear :Boolean = True)",
          "function ReadTStrings(const Section :String; Value :TStrings; IsClear :Boolean = True): String"})
      c->AddMethod(d, method);
    c->AddProperty("FileName", "String", getter);
  }
  const char* common[] = {"procedure WriteString(const Section, Ident, Value: String)",
                          "function ReadString(const Section, Ident, Default: String): String",
                          "procedure ReadSectionValuesEx(const Section: String; Strings: TStrings)",
                          "procedure DeleteKey(const Section, Ident: String)",
                          "procedure ReadSection(const Section: String; Strings: TStrings)",
                          "procedure ReadSections(Strings: TStrings)",
                          "procedure ReadSectionValues(const Section: String; Strings: TStrings)",
                          "procedure EraseSection(const Section: String)",
                          "procedure SaveIniFileToStream(oStream: TStream)",
                          "procedure LoadIniFileFromStream(oStream: TStream)"};
  if (TfsClassVariable* c = s.AddClass(fsMemIniFileClass(), "TCustomIniFile")) {
    c->AddConstructor("constructor Create(const FileName: String)", method);
    for (const char* d : common) c->AddMethod(d, method);
    for (const char* d :
         {"procedure Clear", "procedure GetStrings(List: TStrings)", "procedure SetStrings(List: TStrings)"})
      c->AddMethod(d, method);
  }
  if (TfsClassVariable* c = s.AddClass(fsIniFileClass(), "TCustomIniFile"))
    for (const char* d : common) c->AddMethod(d, method);
}

Variant TFunctions::CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name,
                               TfsMethodHelper* caller) {
  auto text = [caller](int i) { return fsArgText(caller, i); };
  auto strings = [caller](int i) -> rtl::TStrings& {
    auto* list = fsAs<rtl::TStrings>(fsArg(caller, i));
    if (!list) throw rtl::EInvalidPointer("String list expected");
    return *list;
  };

  if (name == "CREATE") {
    // A TCustomIniFile made by its own name reads and writes the file at
    // every call, as TIniFile does.
    if (classType == fsMemIniFileClass()) return fsObjectToVariant(new rtl::TMemIniFile(text(0)));
    return fsObjectToVariant(new rtl::TIniFile(text(0)));
  }
  auto& ini = fsNeed<rtl::TCustomIniFile>(instance);

  if (classType == fsCustomIniFileClass()) {
    if (name == "READINTEGER") return Variant(ini.ReadInteger(text(0), text(1), fsArgInt(caller, 2)));
    if (name == "WRITEINTEGER") ini.WriteInteger(text(0), text(1), fsArgInt(caller, 2));
    if (name == "READBOOL") return Variant(ini.ReadBool(text(0), text(1), fsArgBool(caller, 2)));
    if (name == "WRITEBOOL") ini.WriteBool(text(0), text(1), fsArgBool(caller, 2));
    if (name == "READFLOAT")
      return Variant(static_cast<double>(ini.ReadFloat(text(0), text(1), fsArg(caller, 2).AsExtended())));
    if (name == "WRITEFLOAT") ini.WriteFloat(text(0), text(1), fsArg(caller, 2).AsExtended());
    using Reader = bool (*)(std::string_view, rtl::TDateTime&, const rtl::FormatSettings&);
    auto readDate = [&](Reader read) {
      rtl::TDateTime value = fsArg(caller, 2).AsExtended();
      const AnsiString stored = ini.ReadString(text(0), text(1), AnsiString());
      rtl::TDateTime parsed = 0;
      if (!stored.empty() && read(stored, parsed, rtl::CurrentFormatSettings())) value = parsed;
      return Variant::FromDate(static_cast<double>(value));
    };
    if (name == "READDATE") return readDate(&rtl::TryStrToDate);
    if (name == "READDATETIME") return readDate(&rtl::TryStrToDateTime);
    if (name == "READTIME") return readDate(&rtl::TryStrToTime);
    const rtl::TDateTime when = name.starts_with("WRITE") && caller->Count() > 2 ? fsArg(caller, 2).AsExtended() : 0;
    if (name == "WRITEDATE") ini.WriteString(text(0), text(1), rtl::DateToStr(when));
    if (name == "WRITEDATETIME") ini.WriteString(text(0), text(1), rtl::DateTimeToStr(when));
    if (name == "WRITETIME") ini.WriteString(text(0), text(1), rtl::TimeToStr(when));
    if (name == "READBINARYSTREAM") {
      rtl::TStream* target = fsStreamOf(fsArg(caller, 2));
      const AnsiString hex = ini.ReadString(text(0), text(1), AnsiString());
      AnsiString bytes;
      for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        auto digit = [](char ch) {
          if (ch >= '0' && ch <= '9') return ch - '0';
          if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
          if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
          return -1;
        };
        const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
      }
      if (target) target->WriteString(bytes);
      return Variant(static_cast<std::int32_t>(bytes.size()));
    }
    if (name == "WRITEBINARYSTREAM") {
      rtl::TStream* source = fsStreamOf(fsArg(caller, 2));
      const AnsiString bytes = source ? source->ReadRest() : AnsiString();
      static const char digits[] = "0123456789ABCDEF";
      AnsiString hex;
      for (unsigned char b : bytes) {
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 15]);
      }
      ini.WriteString(text(0), text(1), hex);
    }
    if (name == "SECTIONEXISTS") return Variant(ini.SectionExists(text(0)));
    if (name == "VALUEEXISTS") return Variant(ini.ValueExists(text(0), text(1)));
    if (name == "WRITETSTRINGS") fsWriteTStrings(ini, text(0), strings(1), fsArgBool(caller, 2));
    if (name == "READTSTRINGS") {
      fsReadTStrings(ini, text(0), strings(1), fsArgBool(caller, 2));
      return Variant(AnsiString());
    }
    return Variant(0);
  }

  // TMemIniFile and TIniFile.
  if (name == "WRITESTRING") ini.WriteString(text(0), text(1), text(2));
  if (name == "READSTRING") return Variant(ini.ReadString(text(0), text(1), text(2)));
  if (name == "READSECTIONVALUESEX") fsReadSectionValuesEx(ini, text(0), strings(1));
  if (name == "DELETEKEY") ini.DeleteKey(text(0), text(1));
  if (name == "READSECTION") ini.ReadSection(text(0), strings(1));
  if (name == "READSECTIONS") ini.ReadSections(strings(0));
  if (name == "READSECTIONVALUES") ini.ReadSectionValues(text(0), strings(1));
  if (name == "ERASESECTION") ini.EraseSection(text(0));
  if (name == "SAVEINIFILETOSTREAM")
    if (rtl::TStream* stream = fsStreamOf(fsArg(caller, 0))) fsSaveIniFileToStream(ini, *stream);
  if (name == "LOADINIFILEFROMSTREAM")
    if (rtl::TStream* stream = fsStreamOf(fsArg(caller, 0))) fsLoadIniFileFromStream(ini, *stream);
  if (auto* mem = dynamic_cast<rtl::TMemIniFile*>(&ini)) {
    if (name == "CLEAR") mem->Clear();
    if (name == "GETSTRINGS") strings(0).SetText(mem->Text());
    if (name == "SETSTRINGS") SetMemText(*mem, strings(0).Text());
  }
  return Variant(0);
}

}  // namespace fs_iinirtti

namespace {
TfsRTTIModule* MakeIniRTTI(TfsScript* script) { return new fs_iinirtti::TFunctions(script); }
}  // namespace

void fsIniRTTIStartup() { fsAddBindingModule(&MakeIniRTTI); }
void fsIniRTTIShutdown() { fsRemoveBindingModule(&MakeIniRTTI); }

}  // namespace script
