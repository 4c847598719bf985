// Any input: the RTF parser builds a tree or raises its own error (or the
// conversion error for a number beyond 32 bits); the tree answers every
// query, survives removals and writes out; what it writes reads back and,
// written once more, no longer changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "export/vuzGML.h"

using namespace report;

namespace {

std::string Written(const TGmlRtf& rtf) {
  rtl::TMemoryStream out;
  rtf.Serialize(out);
  return out.Bytes();
}

// Parses and writes back; false when the text is refused.
bool RoundTrip(const std::string& text, std::string& written) {
  try {
    TGmlRtf rtf(text);
    written = Written(rtf);
    return true;
  } catch (const EGmlError&) {
  } catch (const rtl::EConvertError&) {
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    TGmlRtf rtf(input);
    for (int i = 0; i < rtf.FontsCount(); ++i) {
      rtf.Font(i).GetIndex();
      rtf.Font(i).GetCharset();
      rtf.Font(i).GetName();
    }
    for (int i = 0; i < rtf.ColorsCount(); ++i) {
      try {
        rtf.Color(i)->Serialize();
      } catch (const EGmlError&) {  // a colour word without a value
      }
    }
    auto all = rtf.Root()->FindAll("");
    for (TGmlNode* n : *all) {
      n->SelfSubIndex();
      if (n->NodesCount() > 1) n->Select(1);
    }
    Written(rtf);
    // Removals, including entries of the font and colour tables.
    const auto resets = rtf.Root()->FindAll("pard");
    for (TGmlNode* n : *resets) n->Remove(true);
    if (rtf.FontsCount() > 0) rtf.Font(0).Node()->Remove(true);
    if (TGmlRtfNode* table = rtf.Root()->Find("colortbl"))
      if (table->Parent() != rtf.Root()) static_cast<TGmlRtfNode*>(table->Parent())->Remove(true);
    for (int i = 0; i < rtf.ColorsCount(); ++i) rtf.Color(i)->Red()->GetHeader();
    Written(rtf);
  } catch (const EGmlError&) {
  } catch (const rtl::EConvertError&) {
  }
  std::string once, twice, thrice;
  if (RoundTrip(input, once) && once.size() >= 2 && RoundTrip(once, twice) && twice.size() >= 2 &&
      RoundTrip(twice, thrice) && thrice != twice)
    __builtin_trap();
  return 0;
}
