// The template serializer: report objects to the engine's XML template form
// and back, one element per object and one attribute per stored published
// property; single objects as one line of text (the prepared pages); the
// items of the report's stored collections.
//
// Reading never stops at a bad value: each attribute that cannot be applied
// and each unknown class becomes an error line (Errors), and the rest loads.
// Malformed XML raises TfrxInvalidXMLException.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClass.h"
#include "report/vuzXML.h"

namespace report {

class TWideStrings;

// A reference waiting for its object: set when the whole read is done.
struct TfrxFixupItem {
  rtl::TPersistent* Object = nullptr;
  const rtl::TPropInfo* Property = nullptr;
  AnsiString Value;  // the referenced object's name
};

class TfrxXMLSerializer {
 public:
  // The stream may be nil for a serializer that only converts attribute texts.
  explicit TfrxXMLSerializer(rtl::TStream* stream);
  ~TfrxXMLSerializer();
  TfrxXMLSerializer(const TfrxXMLSerializer&) = delete;
  TfrxXMLSerializer& operator=(const TfrxXMLSerializer&) = delete;

  // Messages of attributes that failed and of unknown classes (sorted,
  // each once).
  rtl::TStringList& Errors() { return errors_; }
  // The root for references and names; once set it stays.
  TfrxComponent* Owner() const { return owner_; }
  void SetOwner(TfrxComponent* owner) { owner_ = owner; }
  // Write properties even when they equal their defaults.
  bool SerializeDefaultValues = false;
  // String values are 8-bit text (true) or UTF-8 (false); taken from the
  // document's header when reading.
  bool OldFormat = true;
  // The object of the parent template with a given name (inherited templates).
  std::function<TfrxComponent*(const AnsiString& name)> OnGetAncestor;
  // Elements nested deeper than this are skipped with an error line.
  static constexpr int kMaxDepth = 256;

  // A tree of objects: with no item, a whole document written to the
  // stream; with one, that item is filled.
  void WriteRootComponent(TfrxComponent* root, bool saveChildren = true, TfrxXMLItem* item = nullptr,
                          bool saveRealClass = false);
  // With no item the document is read from the stream.
  void ReadRootComponent(TfrxComponent* root, TfrxXMLItem* item = nullptr);

  // One object's attribute text (each attribute " Name=\"value\"").
  AnsiString ObjToXML(rtl::TPersistent* object, const AnsiString& prefix = AnsiString(),
                      rtl::TPersistent* ancestor = nullptr);
  // Applies an attribute text to an object.
  void XMLToObj(std::string_view text, rtl::TPersistent* object);

  // The class name followed by the attribute text.
  AnsiString WriteComponentStr(TfrxComponent* object);
  // "<" + WriteComponentStr + "/>" to the stream.
  void WriteComponent(TfrxComponent* object);
  // A new object of the named class from "Class attributes"; nil for an
  // empty text. An unknown class raises EClassNotFound.
  TfrxComponent* ReadComponentStr(rtl::TComponent* owner, std::string_view text, bool dontFixup = false);
  // The same with a second attribute text applied after the first one's,
  // as if the two were one text (a prepared page's object: its template's
  // attributes, then its own), without joining them: a large text in either
  // is not copied.
  TfrxComponent* ReadComponentStr(rtl::TComponent* owner, std::string_view text, std::string_view more, bool dontFixup);
  // One element from the stream.
  TfrxComponent* ReadComponent(rtl::TComponent* owner);
  // An attribute text applied to any persistent object, references resolved.
  void ReadPersistentStr(TfrxComponent* root, rtl::TPersistent* object, const AnsiString& text);

  void AddFixup(rtl::TPersistent* object, const rtl::TPropInfo* property, const AnsiString& value);
  // Stores each referenced object found by name; "nil" clears the reference.
  void FixupReferences();
  void ClearFixups();
  // Appends a copy of each pending fixup (a nil list does nothing).
  void CopyFixupList(std::vector<TfrxFixupItem>* list) const;

 private:
  // Copies one object's stored properties with this class's own reading.
  friend class TfrxStoredProperties;
  void ApplyAttribute(rtl::TPersistent* object, const AnsiString& name, const AnsiString& value);
  // What the undotted attributes of one object need to know of it, found
  // once per object instead of once per attribute.
  struct ObjectTraits {
    TfrxComponent* component = nullptr;
    bool report = false;
    TWideStrings* lines = nullptr;  // a text object's lines
    static ObjectTraits Of(rtl::TPersistent* object);
  };
  // The value is a view into the attribute text: a large text is decoded
  // from where it lies, not copied first.
  void ApplyAttribute(rtl::TPersistent* object, const ObjectTraits& traits, std::string_view name,
                      std::string_view value);
  // XMLToObj, with skipText leaving out the attributes that set a text
  // object's whole text.
  void XMLToObj(std::string_view text, rtl::TPersistent* object, bool skipText);
  void ApplyProperty(rtl::TPersistent* object, const rtl::TPropInfo& p, std::string_view name, const AnsiString& value);
  void ReadPropData(rtl::TPersistent* object, const AnsiString& hex);
  // The same from the bytes themselves, and from what readerStream_ holds.
  void ReadPropBytes(rtl::TPersistent* object, const AnsiString& bytes);
  void ReadPropStream(rtl::TPersistent* object);
  void WriteDefinedData(rtl::TPersistent* object, rtl::TPersistent* ancestor, rtl::TMemoryStream& out);
  AnsiString DefinedData(rtl::TPersistent* object, rtl::TPersistent* ancestor);
  void FillItem(TfrxComponent* object, TfrxXMLItem* item, bool saveChildren, bool saveRealClass, bool isRoot);
  AnsiString DecodeString(const AnsiString& escaped) const;
  void AddError(const AnsiString& text);

  rtl::TStringList errors_;
  std::vector<TfrxFixupItem> fixups_;
  TfrxComponent* owner_ = nullptr;
  rtl::TMemoryStream readerStream_;
  rtl::TStream* stream_;
};

// A class's property by name, without regard to ASCII case, as the reader
// finds it (the answers are kept per class and thread).
const rtl::TPropInfo* vuzCachedProperty(const rtl::TClassInfo& cls, std::string_view name);
// The text lines of a text object (its published "Memo"); nil for other objects.
TWideStrings* vuzMemoLinesOf(TfrxComponent* c);
// The text without one CR LF at its end, as the writer stores lists and memo texts.
AnsiString vuzWithoutLastLineBreak(AnsiString text);

// The report's stored collections ("Datasets", "Variables", "Style") in the
// component's defined data: while the template writer writes the component,
// each item is a list holding one long string, the item's attribute text;
// otherwise the standard collection form.
void vuzWriteCollection(rtl::TCollection& collection, rtl::TWriter& writer, TfrxComponent* component);
// Either form; list items are applied with the report's loading serializer,
// or a temporary one when there is none.
void vuzReadCollection(rtl::TCollection& collection, rtl::TReader& reader, TfrxComponent* component);

}  // namespace report
