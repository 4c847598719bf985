// Any input read as a template: either a tree with error lines or the format
// error, never a crash; what was read writes out and reads back. The same
// input as an object line and as an attribute text gives error lines or the
// class-not-found error only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model_fixture.h"

using namespace report_test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegisterTestClasses();
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    TfrxTestReport report;
    rtl::TMemoryStream s;
    s.WriteBuffer(input.data(), static_cast<std::int64_t>(input.size()));
    s.SetPosition(0);
    try {
      report.LoadFromStream(s);
    } catch (const report::TfrxInvalidXMLException&) {
      return 0;
    } catch (const rtl::EConvertError&) {  // a malformed character reference in the XML itself
      return 0;
    }
    rtl::TMemoryStream out;
    report.SaveToStream(out);
    out.SetPosition(0);
    TfrxTestReport again;
    again.LoadFromStream(out);
  }
  {
    TfrxTestBand owner(nullptr);
    report::TfrxXMLSerializer s(nullptr);
    try {
      s.ReadComponentStr(&owner, input);
    } catch (const rtl::EClassNotFound&) {
    }
    TfrxTestMemoView memo(nullptr);
    s.XMLToObj(input, &memo);
  }
  return 0;
}
