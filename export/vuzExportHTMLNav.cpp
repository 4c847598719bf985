// The HTML export's frameset and its page navigator: a button bar in the top
// frame that pages the report in the main frame.
#include <string>

#include "export/vuzExportHTML.h"
#include "export/vuzExportStaging.h"
#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// Letters and digits stay, every other byte of the UTF-8 text becomes %XX.
std::string HtmlCodeStr(const std::string& utf8) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// A JavaScript string literal that cannot end its string or its script
// element, whatever the text holds.
std::string JsString(const AnsiString& text) {
  std::string out = "\"";
  for (char16_t c : rtl::AnsiToWide(text)) {
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'.' || c == u'_' ||
        c == u'-' || c == u' ' || c == u'/' || c == u':' || c == u'?' || c == u'=' || c == u'%') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

std::string Text(const char* key) { return HtmlEscape(rtl::AnsiToUtf8(vuzResources().Get(key))); }

void Save(TfrxExportStaging& staging, const AnsiString& leaf, const std::string& text) {
  rtl::SaveFileAtomically(staging.Path(leaf), text);
}

}  // namespace

void TfrxHTMLExport::WriteNavigatorAndFrameset() {
  const AnsiString base = rtl::ExtractFileName(rtl::ToSlashes(FileName));
  const AnsiString picsLeaf = PicsLeaf();
  // The navigator page.
  std::string nav;
  if (CustomNavigation) {
    AnsiString page;
    if (OnNavigatorPage)
      OnNavigatorPage(ReportFileName(), Multipage, page, pageCount_,
                      PicsInSameFolder ? rtl::ChangeFileExt(base, ".") : AnsiString(), PicsInSameFolder);
    nav = rtl::AnsiToUtf8(page);
  } else {
    AnsiString repName = ReportFileName();
    if (!ReportPathPrefix.empty() && repName.compare(0, ReportPathPrefix.size(), ReportPathPrefix) == 0)
      repName = repName.substr(ReportPathPrefix.size());
    const std::string n = std::to_string(pageCount_);
    auto button = [](const char* name, const char* key, const std::string& action) {
      return "<td width=\"60\" align=\"center\"><button name=\"" + std::string(name) +
             "\" class=\"nav\" type=\"button\" onclick=\"" + action + "\">" + Text(key) + "</button></td>";
    };
    nav =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<html><head>\r\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
        "<meta name=\"Generator\" content=\"Zarnik report engine\">\r\n<title></title>\r\n"
        "<style type=\"text/css\"><!--\r\n"
        "body { font-family: Tahoma; font-size: 8px; font-weight: bold; font-style: normal; text-align: center; "
        "vertical-align: middle; }\r\n"
        "input {text-align: center}\r\n"
        ".nav { font : 9pt Tahoma; color : #283e66; font-weight : bold; text-decoration : none;}\r\n"
        "--></style>\r\n"
        "<script language=\"javascript\" type=\"text/javascript\">\r\n"
        "var frPgCnt = " +
        n + ";\r\nvar frRepName = " + JsString(AnsiString(HtmlCodeStr(rtl::AnsiToUtf8(repName)))) +
        ";\r\nvar frMultipage = " + (Multipage ? "1" : "0") +
        ";\r\nvar frPrefix = " + JsString(PicsInSameFolder ? rtl::ChangeFileExt(base, ".") : AnsiString()) +
        ";\r\n"
        "function DoPage(PgN) {\r\n"
        "  if ((PgN > 0) && (PgN <= frPgCnt) && (PgN != parent.frCurPage)) {\r\n"
        "    if (frMultipage > 0) parent.mainFrame.location = frPrefix + PgN + \".html\";\r\n"
        "    else parent.mainFrame.location = frPrefix + \"main.html#PageN\" + PgN;\r\n"
        "    UpdateNav(PgN);\r\n"
        "  } else document.PgForm.PgEdit.value = parent.frCurPage;\r\n"
        "}\r\n"
        "function UpdateNav(PgN) {\r\n"
        "  parent.frCurPage = PgN;\r\n"
        "  document.PgForm.PgEdit.value = PgN;\r\n"
        "  var first = (PgN == 1), last = (PgN == frPgCnt);\r\n"
        "  document.PgForm.bFirst.disabled = first; document.PgForm.bPrev.disabled = first;\r\n"
        "  document.PgForm.bNext.disabled = last; document.PgForm.bLast.disabled = last;\r\n"
        "}\r\n"
        "function RefreshRep() {\r\n" +
        (RefreshLocation.empty()
             ? std::string("  parent.location = \"result?report=\" + frRepName + \"&multipage=\" + frMultipage;\r\n")
             : "  parent.location = " + JsString(RefreshLocation) + ";\r\n") +
        "}\r\n"
        "function PrintRep() {\r\n" +
        (PrintLocation.empty() ? std::string("  parent.mainFrame.focus(); parent.mainFrame.print();\r\n")
                               : "  parent.location = " + JsString(PrintLocation) + ";\r\n") +
        "}\r\n"
        "</script></head>\r\n"
        "<body bgcolor=\"#DDDDDD\" text=\"#000000\" leftmargin=\"0\" topmargin=\"4\" "
        "onload=\"UpdateNav(parent.frCurPage)\">\r\n"
        "<form name=\"PgForm\" action=\"#\" onsubmit=\"DoPage(document.PgForm.PgEdit.value); return false;\">\r\n"
        "<table cellspacing=\"0\" align=\"left\" cellpadding=\"0\" border=\"0\" width=\"100%\"><tr>\r\n" +
        button("bFirst", "HTMLNavFirst", "DoPage(1)") +
        button("bPrev", "HTMLNavPrev", "DoPage(Math.max(parent.frCurPage - 1, 1))") +
        "<td width=\"100\" align=\"center\"><input type=\"text\" class=\"nav\" name=\"PgEdit\" "
        "value=\"1\" size=\"4\"></td>" +
        button("bNext", "HTMLNavNext", "DoPage(parent.frCurPage + 1)") +
        button("bLast", "HTMLNavLast", "DoPage(frPgCnt)") + "<td width=\"20\">&nbsp;</td>\r\n" +
        (NavigatorButtons
             ? button("bRefresh", "HTMLNavRefresh", "RefreshRep()") + button("bPrint", "HTMLNavPrint", "PrintRep()")
             : std::string()) +
        "<td align=\"right\">" + Text("HTMLNavTotal") +
        ": <script language=\"javascript\" type=\"text/javascript\"> document.write(frPgCnt);</script></td>\r\n"
        "<td width=\"10\">&nbsp;</td>\r\n"
        "</tr></table></form>\r\n</body></html>\r\n";
  }
  Save(*staging_, picsLeaf + "nav.html", nav);
  CreatedFiles->Add(staging_->FinalPath(picsLeaf + "nav.html"));

  // The frameset.
  const std::string frames = HtmlEscape(rtl::AnsiToUtf8(FrameFolder()));
  std::string frameset;
  if (CustomNavigation) {
    AnsiString page;
    if (OnFramesetPage) OnFramesetPage(Title(), FrameFolder(), page, Multipage);
    frameset = rtl::AnsiToUtf8(page);
  } else {
    frameset =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\" \"http://www.w3.org/TR/html4/frameset.dtd\">\r\n"
        "<html><head>\r\n<title>" +
        HtmlEscape(rtl::AnsiToUtf8(Title())) +
        "</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
        "<script language=\"javascript\" type=\"text/javascript\"> var frCurPage = 1;</script></head>\r\n"
        "<frameset rows=\"32,*\" cols=\"*\">\r\n"
        "<frame name=\"topFrame\" src=\"" +
        frames + "nav.html\" noresize scrolling=\"no\">\r\n<frame name=\"mainFrame\" src=\"" + frames +
        (Multipage ? "1.html\">\r\n" : "main.html\">\r\n") + "</frameset>\r\n</html>\r\n";
  }
  Save(*staging_, base, frameset);
  CreatedFiles->Add(staging_->FinalPath(base));
}

}  // namespace report
