#include "script/fs_iclassesrtti.h"

#include <algorithm>

#include "platform/rtl/classes.h"
#include "platform/rtl/components.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ibindings.h"
#include "script/fs_xml.h"

namespace script {

TClass fsListClass() { return fsHostClass<rtl::TList>("TList", &rtl::TObject::StaticClass()); }
TClass fsStreamClass() { return fsHostClass<TfsStreamObject>("TStream", &rtl::TObject::StaticClass()); }
TClass fsFileStreamClass() {
  static const rtl::TClassInfo info("TFileStream", fsStreamClass());
  return &info;
}
TClass fsMemoryStreamClass() {
  static const rtl::TClassInfo info("TMemoryStream", fsStreamClass());
  return &info;
}
TClass fsXMLItemClass() { return fsHostClass<TfsXMLItem>("TfsXMLItem", &rtl::TObject::StaticClass()); }
TClass fsXMLDocumentClass() { return fsHostClass<TfsXMLDocument>("TfsXMLDocument", &rtl::TObject::StaticClass()); }

namespace fs_iclassesrtti {

namespace {

// The class a constructor was called on ("TStringList.Create" reaches the
// constructor registered on TStrings).
AnsiString CalledOn(TfsMethodHelper* caller, TClass registered) {
  if (auto* cls = dynamic_cast<TfsClassVariable*>(caller->PrevItem)) return cls->HostClass->Name();
  return registered->Name();
}

// A new object of a class scripts may create with TObject.Create.
rtl::TObject* CreateByName(const AnsiString& name, rtl::TComponent* owner) {
  if (rtl::TObject* made = fsCreateByFactory(name, owner)) return made;
  if (rtl::SameText(name, "TList")) return new rtl::TList;
  if (rtl::SameText(name, "TStrings") || rtl::SameText(name, "TStringList")) return new rtl::TStringList;
  if (rtl::SameText(name, "TMemoryStream") || rtl::SameText(name, "TStream"))
    return new TfsStreamObject(std::make_unique<rtl::TMemoryStream>());
  if (rtl::SameText(name, "TfsXMLItem")) return new TfsXMLItem;
  if (rtl::SameText(name, "TfsXMLDocument")) return new TfsXMLDocument;
  if (const rtl::TClassEntry* entry = rtl::GetClass(name)) return entry->create(owner);
  if (rtl::SameText(name, "TComponent")) return new rtl::TComponent(owner);
  return new rtl::TObject;
}

// Reads up to count bytes into a text; the count is clamped to what the
// stream still holds, so a negative or huge count allocates nothing.
AnsiString ReadText(rtl::TStream& stream, std::int64_t count) {
  const std::int64_t left = std::max<std::int64_t>(0, stream.Size() - stream.Position());
  count = std::clamp<std::int64_t>(count, 0, left);
  AnsiString buffer(static_cast<std::size_t>(count), '\0');
  const std::int64_t read = count > 0 ? stream.Read(buffer.data(), count) : 0;
  buffer.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, read)));
  return buffer;
}

}  // namespace

TFunctions::TFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  auto method = [this](rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller) {
    return CallMethod(instance, classType, name, caller);
  };
  auto getter = [this](rtl::TObject* instance, TClass classType, const AnsiString& name) {
    return GetProp(instance, classType, name);
  };
  auto setter = [this](rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value) {
    SetProp(instance, classType, name, value);
  };

  for (const auto& [name, value] : {std::pair{"fmCreate", 0xFFFF},
                                    {"fmOpenRead", 0},
                                    {"fmOpenWrite", 1},
                                    {"fmOpenReadWrite", 2},
                                    {"fmShareExclusive", 16},
                                    {"fmShareDenyWrite", 32},
                                    {"fmShareDenyNone", 64},
                                    {"soFromBeginning", 0},
                                    {"soFromCurrent", 1},
                                    {"soFromEnd", 2}})
    s.AddConst(name, "Integer", Variant(value));
  s.AddEnum("TDuplicates", "dupIgnore, dupAccept, dupError");
  s.AddEnum("TPrinterOrientation", "poPortrait, poLandscape");

  if (TfsClassVariable* c = s.AddClass(&rtl::TObject::StaticClass(), "")) {
    c->AddConstructor("constructor Create", method);
    c->AddMethod("procedure Free", method);
    c->AddMethod("function ClassName: String", method);
  }
  if (TfsClassVariable* c = s.AddClass(&rtl::TPersistent::StaticClass(), "TObject"))
    c->AddMethod("procedure Assign(Source: TPersistent)", method);
  s.AddClass(&rtl::TCollectionItem::StaticClass(), "TPersistent");
  if (TfsClassVariable* c = s.AddClass(&rtl::TCollection::StaticClass(), "TPersistent")) {
    c->AddMethod("procedure Clear", method);
    c->AddProperty("Count", "Integer", getter);
    c->AddDefaultProperty("Items", "Integer", "TCollectionItem", method, true);
  }
  if (TfsClassVariable* c = s.AddClass(fsListClass(), "TObject")) {
    for (const char* d : {"function Add(Item: TObject): Integer", "procedure Clear", "procedure Delete(Index: Integer)",
                          "function IndexOf(Item: TObject): Integer", "procedure Insert(Index: Integer; Item: TObject)",
                          "function Remove(Item: TObject): Integer"})
      c->AddMethod(d, method);
    c->AddProperty("Count", "Integer", getter);
    c->AddDefaultProperty("Items", "Integer", "TObject", method);
  }
  if (TfsClassVariable* c = s.AddClass(&rtl::TStrings::StaticClass(), "TPersistent")) {
    c->AddConstructor("constructor Create", method);
    for (const char* d :
         {"function Add(const S: string): Integer", "function AddObject(const S: string; AObject: TObject): Integer",
          "procedure Clear", "procedure Delete(Index: Integer)", "function IndexOf(const S: string): Integer",
          "function IndexOfName(const Name: string): Integer", "function IndexOfObject(AObject: TObject): Integer",
          "procedure Insert(Index: Integer; const S: string)",
          "procedure InsertObject(Index: Integer; const S: string; AObject: TObject)",
          "procedure LoadFromFile(const FileName: string)", "procedure LoadFromStream(Stream: TStream)",
          "procedure SaveToFile(const FileName: string)", "procedure Move(CurIndex, NewIndex: Integer)",
          "procedure SaveToStream(Stream: TStream)"})
      c->AddMethod(d, method);
    c->AddProperty("CommaText", "string", getter, setter);
    c->AddProperty("Count", "Integer", getter);
    c->AddIndexProperty("Names", "Integer", "string", method, true);
    c->AddIndexProperty("Objects", "Integer", "TObject", method);
    c->AddIndexProperty("Values", "String", "string", method);
    c->AddDefaultProperty("Strings", "Integer", "string", method);
    c->AddProperty("Text", "string", getter, setter);
  }
  if (TfsClassVariable* c = s.AddClass(&rtl::TStringList::StaticClass(), "TStrings")) {
    c->AddMethod("function Find(s: String; var Index: Integer): Boolean", method);
    c->AddMethod("procedure Sort", method);
    c->AddProperty("Duplicates", "TDuplicates", getter, setter);
    c->AddProperty("Sorted", "Boolean", getter, setter);
  }
  if (TfsClassVariable* c = s.AddClass(fsStreamClass(), "TObject")) {
    for (const char* d : {"function Read(var Buffer: string; Count: Longint): Longint",
                          "function Write(Buffer: string; Count: Longint): Longint",
                          "function Seek(Offset: Longint; Origin: Word): Longint",
                          "function CopyFrom(Source: TStream; Count: Longint): Longint"})
      c->AddMethod(d, method);
    c->AddProperty("Position", "Longint", getter, setter);
    c->AddProperty("Size", "Longint", getter);
  }
  if (TfsClassVariable* c = s.AddClass(fsFileStreamClass(), "TStream"))
    c->AddConstructor("constructor Create(Filename: String; Mode: Word)", method);
  if (TfsClassVariable* c = s.AddClass(fsMemoryStreamClass(), "TStream")) {
    for (const char* d :
         {"procedure Clear", "procedure LoadFromStream(Stream: TStream)", "procedure LoadFromFile(Filename: String)",
          "procedure SaveToStream(Stream: TStream)", "procedure SaveToFile(Filename: String)"})
      c->AddMethod(d, method);
  }
  if (TfsClassVariable* c = s.AddClass(&rtl::TComponent::StaticClass(), "TPersistent")) {
    c->AddConstructor("constructor Create(AOwner: TComponent)", method);
    c->AddProperty("Owner", "TComponent", getter);
  }
  if (TfsClassVariable* c = s.AddClass(fsXMLItemClass(), "TObject")) {
    c->AddConstructor("constructor Create", method);
    for (const char* d : {"procedure AddItem(Item: TfsXMLItem)", "procedure Clear",
                          "procedure InsertItem(Index: Integer; Item: TfsXMLItem)", "function Add: TfsXMLItem",
                          "function Find(const Name: String): Integer",
                          "function FindItem(const Name: String): TfsXMLItem", "function Root: TfsXMLItem"})
      c->AddMethod(d, method);
    c->AddProperty("Data", "Integer", getter, setter);
    c->AddProperty("Count", "Integer", getter);
    c->AddDefaultProperty("Items", "Integer", "TfsXMLItem", method, true);
    c->AddIndexProperty("Prop", "String", "String", method);
    c->AddProperty("Name", "String", getter, setter);
    c->AddProperty("Parent", "TfsXMLItem", getter);
    c->AddProperty("Text", "String", getter, setter);
  }
  if (TfsClassVariable* c = s.AddClass(fsXMLDocumentClass(), "TObject")) {
    c->AddConstructor("constructor Create", method);
    for (const char* d :
         {"procedure SaveToStream(Stream: TStream)", "procedure LoadFromStream(Stream: TStream)",
          "procedure SaveToFile(const FileName: String)", "procedure LoadFromFile(const FileName: String)"})
      c->AddMethod(d, method);
    c->AddProperty("Root", "TfsXMLItem", getter);
  }
}

Variant TFunctions::CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name,
                               TfsMethodHelper* caller) {
  Variant result(0);
  auto arg = [caller](int i) { return fsArg(caller, i); };
  auto text = [caller](int i) { return fsArgText(caller, i); };
  auto integer = [caller](int i) { return fsArgInt(caller, i); };
  auto needStream = [](const Variant& v) -> rtl::TStream& {
    rtl::TStream* stream = fsStreamOf(v);
    if (!stream) throw rtl::EInvalidPointer("Stream expected");
    return *stream;
  };

  if (classType == &rtl::TObject::StaticClass()) {
    if (name == "CREATE") return fsObjectToVariant(CreateByName(CalledOn(caller, classType), nullptr));
    if (name == "FREE") delete instance;
    if (name == "CLASSNAME") return Variant(instance ? instance->ClassName() : AnsiString());
  } else if (classType == &rtl::TPersistent::StaticClass()) {
    if (name == "ASSIGN") fsNeed<rtl::TPersistent>(instance).Assign(fsAs<rtl::TPersistent>(arg(0)));
  } else if (classType == &rtl::TCollection::StaticClass()) {
    auto& c = fsNeed<rtl::TCollection>(instance);
    if (name == "CLEAR") c.Clear();
    if (name == "ITEMS.GET") return fsObjectToVariant(c.Items(integer(0)));
  } else if (classType == fsListClass()) {
    auto& l = fsNeed<rtl::TList>(instance);
    if (name == "ADD") return Variant(l.Add(fsVariantToObject(arg(0))));
    if (name == "CLEAR") l.Clear();
    if (name == "DELETE") l.Delete(integer(0));
    if (name == "INDEXOF") return Variant(l.IndexOf(fsVariantToObject(arg(0))));
    if (name == "INSERT") l.Insert(integer(0), fsVariantToObject(arg(1)));
    if (name == "REMOVE") return Variant(l.Remove(fsVariantToObject(arg(0))));
    if (name == "ITEMS.GET") return fsObjectToVariant(static_cast<rtl::TObject*>(l.Items(integer(0))));
    if (name == "ITEMS.SET") l.SetItems(integer(0), fsVariantToObject(arg(1)));
  } else if (classType == &rtl::TStrings::StaticClass()) {
    if (name == "CREATE") return fsObjectToVariant(CreateByName(CalledOn(caller, classType), nullptr));
    auto& l = fsNeed<rtl::TStrings>(instance);
    if (name == "ADD") return Variant(l.Add(text(0)));
    if (name == "ADDOBJECT") return Variant(l.AddObject(text(0), fsVariantToObject(arg(1))));
    if (name == "CLEAR") l.Clear();
    if (name == "DELETE") l.Delete(integer(0));
    if (name == "INDEXOF") return Variant(l.IndexOf(text(0)));
    if (name == "INDEXOFNAME") return Variant(l.IndexOfName(text(0)));
    if (name == "INDEXOFOBJECT") return Variant(l.IndexOfObject(fsVariantToObject(arg(0))));
    if (name == "INSERT") l.Insert(integer(0), text(1));
    if (name == "INSERTOBJECT") l.InsertObject(integer(0), text(1), fsVariantToObject(arg(2)));
    if (name == "LOADFROMFILE") l.LoadFromFile(text(0));
    if (name == "LOADFROMSTREAM") l.LoadFromStream(needStream(arg(0)));
    if (name == "SAVETOFILE") l.SaveToFile(text(0));
    if (name == "MOVE") l.Move(integer(0), integer(1));
    if (name == "SAVETOSTREAM") l.SaveToStream(needStream(arg(0)));
    if (name == "NAMES.GET") return Variant(l.Names(integer(0)));
    if (name == "OBJECTS.GET") return fsObjectToVariant(l.Objects(integer(0)));
    if (name == "OBJECTS.SET") l.SetObjects(integer(0), fsVariantToObject(arg(1)));
    if (name == "VALUES.GET") return Variant(l.Values(text(0)));
    if (name == "VALUES.SET") l.SetValues(text(0), text(1));
    if (name == "STRINGS.GET") return Variant(l.Strings(integer(0)));
    if (name == "STRINGS.SET") l.SetStrings(integer(0), text(1));
  } else if (classType == &rtl::TStringList::StaticClass()) {
    auto& l = fsNeed<rtl::TStringList>(instance);
    if (name == "FIND") {
      int index = 0;
      const bool found = l.Find(text(0), index);
      caller->SetVParam(1, Variant(index));
      return Variant(found);
    }
    if (name == "SORT") l.Sort();
  } else if (classType == fsStreamClass()) {
    rtl::TStream& stream = fsNeed<TfsStreamObject>(instance).Stream();
    if (name == "READ") {
      const AnsiString buffer = ReadText(stream, fsArg(caller, 1).AsInt64());
      caller->SetVParam(0, Variant(buffer));
      return Variant(static_cast<std::int32_t>(buffer.size()));
    }
    if (name == "WRITE") {
      // Never more than the text holds, never a negative count.
      const AnsiString buffer = text(0);
      const auto count =
          std::clamp<std::int64_t>(fsArg(caller, 1).AsInt64(), 0, static_cast<std::int64_t>(buffer.size()));
      return Variant(static_cast<std::int32_t>(stream.Write(buffer.data(), count)));
    }
    if (name == "SEEK") {
      const std::int32_t origin = integer(1);
      if (origin < 0 || origin > 2) throw rtl::EStreamError("Invalid seek origin");
      return Variant(static_cast<std::int32_t>(stream.Seek(fsArg(caller, 0).AsInt64(), rtl::TSeekOrigin(origin))));
    }
    if (name == "COPYFROM") return Variant(stream.CopyFrom(needStream(arg(0)), std::max<std::int64_t>(0, integer(1))));
  } else if (classType == fsFileStreamClass()) {
    if (name == "CREATE")
      return fsObjectToVariant(
          new TfsStreamObject(std::make_unique<rtl::TFileStream>(text(0), static_cast<unsigned>(integer(1)) & 0xFFFF)));
  } else if (classType == fsMemoryStreamClass()) {
    auto* memory = dynamic_cast<rtl::TMemoryStream*>(&fsNeed<TfsStreamObject>(instance).Stream());
    if (!memory) throw rtl::EInvalidCast("Invalid class typecast");
    if (name == "CLEAR") memory->Clear();
    if (name == "LOADFROMSTREAM") memory->LoadFromStream(needStream(arg(0)));
    if (name == "LOADFROMFILE") memory->LoadFromFile(text(0));
    if (name == "SAVETOSTREAM") memory->SaveToStream(needStream(arg(0)));
    if (name == "SAVETOFILE") memory->SaveToFile(text(0));
  } else if (classType == &rtl::TComponent::StaticClass()) {
    if (name == "CREATE")
      return fsObjectToVariant(CreateByName(CalledOn(caller, classType), fsAs<rtl::TComponent>(arg(0))));
  } else if (classType == fsXMLItemClass()) {
    if (name == "CREATE") return fsObjectToVariant(new TfsXMLItem);
    auto& item = fsNeed<TfsXMLItem>(instance);
    if (name == "ADDITEM") item.AddItem(fsAs<TfsXMLItem>(arg(0)));
    if (name == "CLEAR") item.Clear();
    if (name == "INSERTITEM") item.InsertItem(integer(0), fsAs<TfsXMLItem>(arg(1)));
    if (name == "ADD") return fsObjectToVariant(item.Add());
    if (name == "FIND") return Variant(item.Find(text(0)));
    if (name == "FINDITEM") return fsObjectToVariant(item.FindItem(text(0)));
    if (name == "ROOT") return fsObjectToVariant(item.Root());
    if (name == "ITEMS.GET") return fsObjectToVariant(item.Items(integer(0)));
    if (name == "PROP.GET") return Variant(item.GetProp(text(0)));
    if (name == "PROP.SET") item.SetProp(text(0), text(1));
  } else if (classType == fsXMLDocumentClass()) {
    if (name == "CREATE") return fsObjectToVariant(new TfsXMLDocument);
    auto& doc = fsNeed<TfsXMLDocument>(instance);
    if (name == "SAVETOSTREAM") doc.SaveToStream(needStream(arg(0)));
    if (name == "LOADFROMSTREAM") doc.LoadFromStream(needStream(arg(0)));
    if (name == "SAVETOFILE") doc.SaveToFile(text(0));
    if (name == "LOADFROMFILE") doc.LoadFromFile(text(0));
  }
  return result;
}

Variant TFunctions::GetProp(rtl::TObject* instance, TClass classType, const AnsiString& name) {
  if (classType == &rtl::TCollection::StaticClass()) {
    if (name == "COUNT") return Variant(fsNeed<rtl::TCollection>(instance).Count());
  } else if (classType == fsListClass()) {
    if (name == "COUNT") return Variant(fsNeed<rtl::TList>(instance).Count());
  } else if (classType == &rtl::TStrings::StaticClass()) {
    auto& l = fsNeed<rtl::TStrings>(instance);
    if (name == "COMMATEXT") return Variant(l.CommaText());
    if (name == "COUNT") return Variant(l.Count());
    if (name == "TEXT") return Variant(l.Text());
  } else if (classType == &rtl::TStringList::StaticClass()) {
    auto& l = fsNeed<rtl::TStringList>(instance);
    if (name == "DUPLICATES") return Variant(static_cast<std::int32_t>(l.Duplicates));
    if (name == "SORTED") return Variant(l.Sorted());
  } else if (classType == fsStreamClass()) {
    rtl::TStream& stream = fsNeed<TfsStreamObject>(instance).Stream();
    if (name == "POSITION") return Variant(static_cast<std::int32_t>(stream.Position()));
    if (name == "SIZE") return Variant(static_cast<std::int32_t>(stream.Size()));
  } else if (classType == &rtl::TComponent::StaticClass()) {
    if (name == "OWNER") return fsObjectToVariant(fsNeed<rtl::TComponent>(instance).Owner());
  } else if (classType == fsXMLItemClass()) {
    auto& item = fsNeed<TfsXMLItem>(instance);
    if (name == "DATA") return Variant(item.Data);
    if (name == "COUNT") return Variant(item.Count());
    if (name == "NAME") return Variant(item.Name);
    if (name == "PARENT") return fsObjectToVariant(item.Parent());
    if (name == "TEXT") return Variant(item.Text);
  } else if (classType == fsXMLDocumentClass()) {
    if (name == "ROOT") return fsObjectToVariant(fsNeed<TfsXMLDocument>(instance).Root());
  }
  return Variant(0);
}

void TFunctions::SetProp(rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value) {
  if (classType == &rtl::TStrings::StaticClass()) {
    auto& l = fsNeed<rtl::TStrings>(instance);
    if (name == "COMMATEXT") l.SetCommaText(value.AsString());
    if (name == "TEXT") l.SetText(value.AsString());
  } else if (classType == &rtl::TStringList::StaticClass()) {
    auto& l = fsNeed<rtl::TStringList>(instance);
    if (name == "DUPLICATES") l.Duplicates = static_cast<rtl::TDuplicates>(std::clamp(value.AsInteger(), 0, 2));
    if (name == "SORTED") l.SetSorted(value.AsBoolean());
  } else if (classType == fsStreamClass()) {
    if (name == "POSITION") fsNeed<TfsStreamObject>(instance).Stream().SetPosition(value.AsInt64());
  } else if (classType == fsXMLItemClass()) {
    auto& item = fsNeed<TfsXMLItem>(instance);
    if (name == "DATA") item.Data = value.AsInteger();
    if (name == "NAME") item.Name = value.AsString();
    if (name == "TEXT") item.Text = value.AsString();
  }
}

}  // namespace fs_iclassesrtti

namespace {
TfsRTTIModule* MakeClassesRTTI(TfsScript* script) { return new fs_iclassesrtti::TFunctions(script); }
}  // namespace

void fsClassesRTTIStartup() { fsAddBindingModule(&MakeClassesRTTI); }
void fsClassesRTTIShutdown() { fsRemoveBindingModule(&MakeClassesRTTI); }

}  // namespace script
