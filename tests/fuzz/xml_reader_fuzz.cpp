// Any input: the XML reader either builds a tree or raises the format error
// (or, for a malformed numeric reference in an attribute, the conversion
// error); what it built writes out and reads back. Read as a language table,
// the same input loads or raises one of those two errors.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/vuzRes.h"
#include "report/vuzXML.h"

using namespace report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (bool partial : {false, true}) {
    TfrxXMLDocument doc;
    try {
      doc.LoadFromStream(std::make_unique<rtl::TMemoryStream>(input), partial);
    } catch (const TfrxInvalidXMLException&) {
      continue;
    }
    // Attribute lookups on every item, parked ones loaded first.
    std::vector<TfrxXMLItem*> stack{doc.Root()};
    while (!stack.empty()) {
      TfrxXMLItem* item = stack.back();
      stack.pop_back();
      try {
        doc.LoadItem(item);
      } catch (const TfrxInvalidXMLException&) {
      }
      try {
        item->GetProp("Name");
        item->SetProp("x", item->Prop);
      } catch (const rtl::EConvertError&) {
      }
      for (int i = 0; i < item->Count(); ++i) stack.push_back(item->Items(i));
    }
    rtl::TMemoryStream out;
    doc.SaveToStream(out);
    // Our own output always reads back.
    TfrxXMLDocument again;
    out.SetPosition(0);
    again.LoadFromStream(out);
  }
  // The same bytes as a language table: loaded, or the format or conversion
  // error; lookups never fail.
  TfrxResources table;
  try {
    table.AddXML(input);
  } catch (const TfrxInvalidXMLException&) {
  } catch (const rtl::EConvertError&) {
  }
  table.Get("Name");
  return 0;
}
