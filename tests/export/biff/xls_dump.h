// Workbooks as xlrd (Debian python3-xlrd) reads them with formatting info:
// per file, per sheet, every cell with its type, value, number format, font
// and alignment, the merges, column widths, row heights and page breaks, as
// text. Formats and fonts are written by content, not by index, so two
// workbooks whose tables were filled in another order dump the same.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tests/export/biff/biff_test_util.h"

namespace bifftest {

inline const char kXlsDumpScript[] = R"PY(
import sys, xlrd
for path in sys.argv[1:]:
    print("== " + path.rsplit("/", 1)[-1])
    try:
        b = xlrd.open_workbook(path, formatting_info=True)
    except Exception as e:
        print("ERROR " + type(e).__name__ + ": " + str(e)); continue
    def look(xfi):
        xf = b.xf_list[xfi]; f = b.font_list[xf.font_index]; a = xf.alignment
        return "%s|%s,%d,%d,%d|h%d v%d w%d r%d i%d" % (b.format_map[xf.format_key].format_str, f.name, f.height,
               f.weight, f.italic, a.hor_align, a.vert_align, a.text_wrapped, a.rotation, a.indent_level)
    for s in b.sheets():
        print("sheet %s rows=%d cols=%d" % (s.name, s.nrows, s.ncols))
        for r in range(s.nrows):
            for c in range(s.row_len(r)):
                cell = s.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY: continue
                print("%d,%d t%d %r %s" % (r, c, cell.ctype, cell.value, look(s.cell_xf_index(r, c))))
        print("merged " + repr(sorted(s.merged_cells)))
        print("widths " + repr(sorted((k, v.width) for k, v in s.colinfo_map.items())))
        print("heights " + repr(sorted((k, v.height) for k, v in s.rowinfo_map.items())))
        print("breaks " + repr(s.horizontal_page_breaks))
)PY";

// file name -> its dump, for all files in one interpreter run.
inline std::map<std::string, std::string> XlsDump(const support::ScratchFolder& folder,
                                                  const std::vector<std::string>& files) {
  std::string args;
  for (const auto& f : files) args += " " + f;
  const std::string out = RunPython(folder, kXlsDumpScript, args);
  std::map<std::string, std::string> dumps;
  std::string current;
  std::size_t pos = 0;
  while (pos < out.size()) {
    std::size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("== ", 0) == 0) {
      current = line.substr(3);
      dumps[current];
    } else {
      dumps[current] += line + "\n";
    }
  }
  return dumps;
}

// The "sheet ..." lines of a dump.
inline std::vector<std::string> SheetLines(const std::string& dump) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while ((pos = dump.find("sheet ", pos)) != std::string::npos) {
    if (pos == 0 || dump[pos - 1] == '\n') out.push_back(dump.substr(pos, dump.find('\n', pos) - pos));
    ++pos;
  }
  return out;
}

}  // namespace bifftest
