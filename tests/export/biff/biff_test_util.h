// Helpers of the workbook writer's tests: records of a stream, workbook files
// and the independent readers (xlrd, olefile, LibreOffice) that check them.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "export/biff/biffFile.h"
#include "export/biff/biffStream.h"
#include "tests/support/external_tools.h"
#include "tests/support/scratch_folder.h"

namespace bifftest {

struct Record {
  int id = 0;
  std::string payload;
  std::int64_t offset = 0;
};

inline std::uint32_t U(const std::string& s, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

inline std::vector<Record> Records(const std::string& bytes) {
  std::vector<Record> out;
  for (std::size_t pos = 0; pos + 4 <= bytes.size();) {
    Record r;
    r.offset = static_cast<std::int64_t>(pos);
    r.id = static_cast<int>(U(bytes, pos, 2));
    const std::size_t size = U(bytes, pos + 2, 2);
    r.payload = bytes.substr(pos + 4, size);
    out.push_back(r);
    pos += 4 + size;
  }
  return out;
}

inline std::string Bytes(report::TBiffStream& stream) {
  rtl::TMemoryStream m;
  stream.SaveToStream(m);
  return m.Bytes();
}

inline std::string Hex(const std::string& s) {
  static const char* d = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

inline std::string Capture(const std::string& command) { return support::CommandOutput(command); }

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The workbook as a file's bytes.
inline std::string WorkbookFile(report::TBiffWorkbook& workbook, bool fileCache = false,
                                const report::TBiffDocumentInfo& info = {}) {
  rtl::TMemoryStream out;
  report::BiffWriteWorkbookFile(workbook, out, info, fileCache);
  return out.Bytes();
}

inline bool HavePythonModule(const std::string& module) {
  return std::system(("/usr/bin/python3 -c 'import " + module + "' >/dev/null 2>&1").c_str()) == 0;
}

// Runs a Python script (Debian's interpreter) with arguments; answers its output.
inline std::string RunPython(const ScratchFolder& folder, const std::string& script, const std::string& args) {
  const std::string path = folder.File("check.py");
  WriteText(path, script);
  return Capture("/usr/bin/python3 " + path + " " + args + " 2>&1");
}

inline bool HaveCalc() {
  return std::system("test -x /usr/bin/soffice && test -e /usr/lib/libreoffice/program/libsclo.so") == 0;
}

// Each named sheet of the workbook as CSV text (UTF-8), converted and
// recalculated by LibreOffice; "" for a sheet it did not write.
inline std::vector<std::string> CalcCsv(const ScratchFolder& folder, const std::string& xls,
                                        const std::vector<std::string>& sheetNames) {
  const std::string cmd = "cd " + folder.Path() + " && HOME=" + folder.Path() + " " +
                          support::LibreOfficeCommand("/usr/bin/soffice", folder.File("lo-profile")) +
                          " --convert-to "
                          "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1' --outdir " +
                          folder.File("csv") + " " + xls + " >/dev/null 2>&1";
  [[maybe_unused]] const int rc = std::system(cmd.c_str());
  const std::size_t slash = xls.find_last_of('/') + 1;
  const std::string stem = xls.substr(slash, xls.rfind('.') - slash);
  std::vector<std::string> out;
  for (const auto& name : sheetNames) out.push_back(ReadText(folder.File("csv/" + stem + "-" + name + ".csv")));
  return out;
}

// Runs Python code with `load(password)` (the workbook in LibreOffice, or
// "refused") and `desktop` defined, after starting LibreOffice for it.
inline std::string CalcUno(const ScratchFolder& folder, const std::string& xls, const std::string& body) {
  const std::string script = R"PY(
import os, sys, time, subprocess, uno
from com.sun.star.beans import PropertyValue
folder = sys.argv[1]; pipe = "zarnik" + str(os.getpid())
office = subprocess.Popen(["/usr/bin/soffice", "-env:UserInstallation=file://" + folder + "/lo", "--headless",
                           "--invisible", "--norestore", "--accept=pipe,name=%s;urp;" % pipe],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=dict(os.environ, HOME=folder))
try:
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    # A first start with a fresh profile takes long on a busy machine: wait
    # up to five minutes (the test's own time-out ends it before that).
    ctx = None
    for _ in range(600):
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe); break
        except Exception:
            if office.poll() is not None: break
            time.sleep(0.5)
    if ctx is None: raise SystemExit("LibreOffice did not start (exit status %s)" % office.poll())
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    url = uno.systemPathToFileUrl(sys.argv[2])
    def load(password=None):
        props = [PropertyValue(Name="Hidden", Value=True)]
        if password is not None: props.append(PropertyValue(Name="Password", Value=password))
        try:
            doc = desktop.loadComponentFromURL(url, "_blank", 0, tuple(props))
        except Exception:
            return "refused"
        return doc if doc is not None else "refused"
)PY" + body + R"PY(
finally:
    try: desktop.terminate()
    except Exception: pass
    try: office.wait(timeout=120)
    except subprocess.TimeoutExpired:
        office.kill(); office.wait()
)PY";
  return RunPython(folder, script, folder.Path() + " " + xls);
}

}  // namespace bifftest
