#include "preview/vuzLinks.h"

#include <cerrno>
#include <cstdlib>

#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/textcase.h"

namespace preview {

namespace {

bool StartsWithText(const AnsiString& s, const char* prefix) {
  const AnsiString p(prefix);
  return s.size() > p.size() && rtl::SameText(s.substr(0, p.size()), p);
}

// Extensions of documents the desktop opens with a viewer, never a program.
bool IsDocumentFile(const AnsiString& path) {
  static const char* const kDocuments[] = {".pdf",  ".txt",  ".htm",  ".html", ".rtf", ".odt", ".ods",  ".odp", ".doc",
                                           ".docx", ".xls",  ".xlsx", ".csv",  ".png", ".jpg", ".jpeg", ".gif", ".bmp",
                                           ".tif",  ".tiff", ".svg",  ".emf",  ".wmf", ".fp3", ".xml",  ".prn", ".ps"};
  const AnsiString ext = rtl::ExtractFileExt(path);
  for (const char* e : kDocuments)
    if (rtl::SameText(ext, e)) return rtl::FileExists(path);
  return false;
}

}  // namespace

TfrxLinkTarget vuzClassifyLink(const AnsiString& url) {
  TfrxLinkTarget link;
  if (url.empty()) return link;
  if (url[0] == '@') {
    const AnsiString digits = rtl::Trim(url.substr(1));
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return link;
    link.Kind = TfrxLinkKind::PageNumber;
    link.Page = std::atoi(digits.c_str());
    return link;
  }
  if (url[0] == '#') {
    link.Kind = TfrxLinkKind::Anchor;
    link.Anchor = url.substr(1);
    return link;
  }
  // Control characters have no place in an address handed to another program.
  for (unsigned char c : url)
    if (c < 0x20 || c == 0x7F) return link;
  for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"}) {
    if (StartsWithText(url, scheme)) {
      link.Kind = TfrxLinkKind::External;
      link.Target = url;
      return link;
    }
  }
  const AnsiString path = StartsWithText(url, "file://") ? url.substr(7) : url;
  if (IsDocumentFile(path)) {
    link.Kind = TfrxLinkKind::External;
    link.Target = path;
  }
  return link;
}

bool vuzOpenExternalLink(const TfrxLinkTarget& link) {
  if (link.Kind != TfrxLinkKind::External || link.Target.empty()) return false;
  return rtl::ShellOpen(link.Target);
}

}  // namespace preview
