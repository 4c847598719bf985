// Formula texts of report cells into the workbook's formula compiler: any
// text either compiles or raises a formula error (the cell then falls back to
// text); an internal assertion or any other failure is a fault. What compiles
// becomes a formula cell and is written, as the converter does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "export/biff/biffFormulaCompiler.h"
#include "export/biff/biffSheet.h"
#include "export/biff/biffStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  report::TBiffLinkTable links;
  report::TBiffFormulaCompiler compiler;
  compiler.LinkTable = &links;
  try {
    compiler.Compile(text);
    report::TBiffFormulaCell cell(compiler.Code());
    report::TBiffStream stream(false);
    cell.Flush(stream);
  } catch (const report::EAssertionFailed&) {
    std::abort();
  } catch (const rtl::Exception&) {
  }
  return 0;
}
