#include "preview/vuzPreparedFile.h"

#include <cerrno>
#include <cstdlib>

#include "platform/rtl/textcase.h"

namespace preview {

namespace {

// A whole decimal number of at most nine digits, -1 otherwise.
int SmallNumber(const AnsiString& text) {
  if (text.empty() || text.size() > 9) return -1;
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return std::atoi(text.c_str());
}

}  // namespace

void vuzWriteReportSettings(TfrxPreparedTree& tree, const TfrxPreparedReportSettings& s) {
  TfrxXMLItem* report = tree.Section("report");
  report->Clear();
  TfrxXMLItem* item = report->Add("TfrxReport");
  item->Prop = AnsiString("DotMatrixReport=\"") + (s.DotMatrixReport ? "1" : "0") +
               "\" PreviewOptions.OutlineVisible=\"" + (s.OutlineVisible ? "1" : "0") +
               "\" PreviewOptions.OutlineWidth=\"" + std::to_string(s.OutlineWidth) + "\" ReportOptions.Name=\"" +
               report::vuzStrToXML(s.Name) + "\"";
}

bool vuzReadReportSettings(const TfrxPreparedTree& tree, TfrxPreparedReportSettings& s) {
  const int at = tree.Root()->Find("report");
  if (at < 0 || tree.Root()->Items(at)->Count() == 0) return false;
  const TfrxXMLItem* item = tree.Root()->Items(at)->Items(0);
  auto flag = [&](const char* name, bool fallback) {
    const AnsiString v = vuzTextProp(item, name);
    return v.empty() ? fallback : v == "1" || rtl::SameText(v, "True");
  };
  s.DotMatrixReport = flag("DotMatrixReport", s.DotMatrixReport);
  s.OutlineVisible = flag("PreviewOptions.OutlineVisible", s.OutlineVisible);
  s.OutlineWidth = vuzIntProp(item, "PreviewOptions.OutlineWidth", s.OutlineWidth);
  if (item->PropExists("ReportOptions.Name")) s.Name = vuzTextProp(item, "ReportOptions.Name");
  return true;
}

void vuzWriteDictionary(TfrxPreparedTree& tree, const TfrxDictionary& dictionary) {
  TfrxXMLItem* section = tree.Section("dictionary");
  section->Clear();
  for (int i = 0; i < dictionary.Count(); ++i)
    section->Add(dictionary.Alias(i))->Prop = "name=\"" + dictionary.SourceNameAt(i) + "\"";
}

void vuzReadDictionary(const TfrxPreparedTree& tree, TfrxDictionary& dictionary, int sourcePageCount,
                       const TfrxSourceObjectFinder& find, std::vector<AnsiString>& errors) {
  dictionary.Clear();
  const int at = tree.Root()->Find("dictionary");
  if (at < 0) return;
  const TfrxXMLItem* section = tree.Root()->Items(at);
  for (int i = 0; i < section->Count(); ++i) {
    const TfrxXMLItem* entry = section->Items(i);
    // The attribute text is name="..." written without escaping.
    const AnsiString& prop = entry->Prop;
    const bool shaped = prop.size() >= 7 && rtl::SameText(prop.substr(0, 6), "name=\"") && prop.back() == '"';
    const AnsiString source = shaped ? prop.substr(6, prop.size() - 7) : AnsiString();
    const std::size_t dot = source.find('.');
    const int page = dot != std::string::npos && dot >= 4 && rtl::SameText(source.substr(0, 4), "Page")
                         ? SmallNumber(source.substr(4, dot - 4))
                         : -1;
    if (page < 0 || page >= sourcePageCount || entry->Name.empty()) {
      errors.push_back("Prepared report: the dictionary entry " + entry->Name + " (" + source +
                       ") names no source page; skipped");
      continue;
    }
    dictionary.Add(entry->Name, source, find ? find(page, source.substr(dot + 1)) : nullptr);
  }
}

int vuzSourcePageIndex(const AnsiString& elementName) {
  if (elementName.size() < 5 || !rtl::SameText(elementName.substr(0, 4), "page")) return -1;
  return SmallNumber(elementName.substr(4));
}

}  // namespace preview
