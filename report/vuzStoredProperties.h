// One object's stored properties, taken as the template serializer writes
// them (every stored property, default values too, no children) and given
// to another object as the serializer reads them back: Assign without the
// XML text in between. The engine copies every template object into the
// prepared pages this way, so the text (written, escaped, parsed, converted
// back) was most of the time a template of many objects took to prepare.
//
// The values travel typed, and where the text form would change a value the
// value takes that same way: floats are rounded to the digits the text
// keeps, "&quot;" in a text becomes a quote, wide texts pass through 1251,
// enumerations through their names, property data through its bytes,
// references by name through the reader's look-up. Whatever the typed way
// cannot stand for (a sub-object of another class, a property whose name
// the reader treats specially) goes through the attribute text itself.
#pragma once
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"

namespace report {

class TfrxComponent;
class TfrxXMLSerializer;
class TWideStrings;

class TfrxStoredProperties {
 public:
  // Takes the source's values; the source may change or go afterwards.
  explicit TfrxStoredProperties(TfrxComponent* source);
  ~TfrxStoredProperties();
  TfrxStoredProperties(const TfrxStoredProperties&) = delete;
  TfrxStoredProperties& operator=(const TfrxStoredProperties&) = delete;

  // True when copying the values to the object gives what the text would:
  // both of one class, and neither a report (whose writer asks for the
  // parent template's objects).
  static bool CopiesDirectly(const TfrxComponent* source, const TfrxComponent* dest);

  // Applies the values as the reader applies a root element's attributes:
  // the object loading meanwhile, references resolved through the reader,
  // then Loaded. Values that fail become the reader's error lines.
  void ApplyTo(TfrxComponent* object, TfrxXMLSerializer& reader) const;

 private:
  // The object itself (0) or a sub-object reached from a holder through a
  // property.
  struct Holder {
    int parent = -1;
    const rtl::TPropInfo* via = nullptr;
    const rtl::TClassInfo* cls = nullptr;  // the source object's class
    rtl::AnsiString prefix;                // "Frame.LeftLine." (empty for the object)
  };
  enum class Kind : unsigned char { kOrdinal, kFloat, kText, kReference, kListText, kMemoText, kPropData };
  struct Entry {
    int holder = 0;
    Kind kind = Kind::kOrdinal;
    const rtl::TPropInfo* prop = nullptr;  // nil for the memo text and property data
    long long ordinal = 0;                 // the memo text: its index in memoTexts_
    long double number = 0;
    rtl::AnsiString text;  // texts, reference names, list text, property data bytes
  };

  // The object's values; the component is the object itself when it is one.
  void Take(rtl::TPersistent* object, TfrxComponent* component, int holder, TfrxXMLSerializer& writer);
  rtl::TPersistent* Resolve(TfrxComponent* object, int holder) const;
  rtl::AnsiString AttributeName(const Entry& e) const;
  rtl::AnsiString AttributeValue(const Entry& e) const;
  // True when the entry took the typed way; false sends it through the text.
  bool ApplyTyped(const Entry& e, rtl::TPersistent* target, TWideStrings* rootLines, TfrxXMLSerializer& reader) const;

  std::vector<Holder> holders_;
  std::vector<Entry> entries_;
  std::vector<rtl::WideString> memoTexts_;  // without their last line break
};

}  // namespace report
