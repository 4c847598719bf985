#include "export/vuzExportRTFText.h"

#include <charconv>
#include <exception>
#include <memory>

#include "export/vuzGML.h"
#include "platform/rtl/streams.h"

namespace report {

namespace {

// Lines of the tables: entries accumulate on one line until the next would
// make it longer than 254 characters.
std::string TableLines(const char* head, const std::vector<AnsiString>& entries) {
  std::string out, line = head;
  for (const AnsiString& e : entries) {
    if (line.size() + e.size() > 254) {
      out += line + "\r\n";
      line.clear();
    }
    line += e;
  }
  return out + line + "}\r\n";
}

// A font name inside the table: the characters that would end or open a
// group, or start a control word, are escaped so a name cannot break the
// document.
AnsiString FontNameText(const AnsiString& name) {
  AnsiString out;
  for (char c : name) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

// An error text shown in place of a memo: braces escaped so the message
// cannot unbalance the document's groups.
AnsiString ErrorGroup(const AnsiString& message) {
  AnsiString out = "{";
  for (char c : message) {
    if (c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out + "}";
}

std::vector<TGmlRtfControl*> Controls(TGmlRtfNode& group, const char* name) {
  std::vector<TGmlRtfControl*> out;
  const std::unique_ptr<TGmlNodeList> nodes = group.FindAll(name);
  for (TGmlNode* n : *nodes)
    if (auto* c = dynamic_cast<TGmlRtfControl*>(n); c && c->HasValue()) out.push_back(c);
  return out;
}

// Gives every control of value `from` the value `to` and drops it from the
// list, so that no control is re-mapped twice.
void Renumber(std::vector<TGmlRtfControl*>& controls, int from, int to) {
  std::vector<TGmlRtfControl*> rest;
  for (TGmlRtfControl* c : controls) {
    if (c->GetValue() == from)
      c->SetValue(to);
    else
      rest.push_back(c);
  }
  controls.swap(rest);
}

}  // namespace

WideString RTFTruncReturns(const WideString& text) {
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) return text.substr(0, text.size() - 2);
  return text;
}

WideString StrToRTFSlash(const WideString& text) {
  WideString out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    switch (c) {
      case u'\\': out += u"\\\\"; break;
      case u'{': out += u"\\{"; break;
      case u'}': out += u"\\}"; break;
      case u'\r':
        if (i + 1 < text.size() && text[i + 1] == u'\n' && i + 2 < text.size()) {
          out += u"\\line\r\n";
          ++i;
        } else {
          out += c;
        }
        break;
      default: out += c;
    }
  }
  return out;
}

AnsiString StrToRTFUnicode(const WideString& text) {
  AnsiString out;
  out.reserve(text.size() + 16);
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == u'\r' || c == u'\n') {
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\tab ";
    } else if (c >= 0x80) {
      out += "\\u" + std::to_string(static_cast<unsigned>(c)) + "\\'3f";
    }
  }
  return out;
}

AnsiString StrToRTFUnicodeEx(const WideString& text) {
  std::string out;
  AppendRTFText(out, text, false);
  return out;
}

void AppendRTFNumber(std::string& out, long long value) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  out.append(buf, end);
}

void AppendRTFText(std::string& out, std::u16string_view text, bool truncReturns) {
  std::size_t n = text.size();
  if (truncReturns && n >= 2 && text[n - 2] == u'\r' && text[n - 1] == u'\n') n -= 2;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c < 0x80) {
      if (c == u'\\' || c == u'{' || c == u'}') out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n' && i + 2 < n) {
      out += "\\line\r\n";
      ++i;
    } else if (c == u'\r' || c == u'\n') {
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\tab ";
    } else if (c >= 0x80) {
      out += "\\u";
      AppendRTFNumber(out, c);
      out += "\\'3f";
    }
  }
}

AnsiString RTFColorEntry(gfx::TColor color) {
  const gfx::TColorRef rgb = gfx::ColorToRGB(color);
  return "\\red" + std::to_string(rgb & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) + "\\blue" +
         std::to_string((rgb >> 16) & 0xFF) + ";";
}

int TfrxRTFTables::AddFont(const AnsiString& name, int charset) {
  const auto [it, added] = fontIndex_.try_emplace(name, FontCount());
  if (added) {
    fontNames_.push_back(name);
    fontCharsets_.push_back(std::to_string(charset));
  }
  return it->second;
}

int TfrxRTFTables::AddColor(gfx::TColor color) { return AddColorEntry(RTFColorEntry(color)); }

int TfrxRTFTables::AddColorEntry(const AnsiString& entry) {
  const auto [it, added] = colorIndex_.try_emplace(entry, ColorCount() + 1);
  if (added) colors_.push_back(entry);
  return it->second;
}

std::string TfrxRTFTables::FontTable() const {
  std::vector<AnsiString> entries;
  entries.reserve(fontNames_.size());
  for (std::size_t i = 0; i < fontNames_.size(); ++i)
    entries.push_back("{\\f" + std::to_string(i) + "\\fcharset" + fontCharsets_[i] + " " + FontNameText(fontNames_[i]) +
                      "}");
  return TableLines("{\\fonttbl", entries);
}

std::string TfrxRTFTables::ColorTable() const { return TableLines("{\\colortbl;", colors_); }

AnsiString RTFRemapRichText(const AnsiString& rtf, TfrxRTFTables& tables) {
  try {
    TGmlRtf doc(rtf);
    TGmlRtfNode* pard = doc.Root()->Find("pard");
    if (!pard || !pard->Parent()) throw rtl::Exception("RTF text in a memo does not contain \\\\pard tags");
    auto* parent = static_cast<TGmlRtfNode*>(pard->Parent());
    const int position = pard->SelfSubIndex();
    const std::unique_ptr<TGmlNodeList> pards = doc.Root()->FindAll("pard");
    for (TGmlNode* n : *pards) n->Remove(true);

    TGmlRtfGroup group(&doc);
    group.SetSubNodes(parent->Select(position));
    std::vector<TGmlRtfControl*> fonts = Controls(group, "f");
    for (int i = 0; i < doc.FontsCount(); ++i) {
      const TGmlRtfFont font = doc.Font(i);
      int number = 0;
      try {
        number = tables.AddFont(font.GetName(), font.GetCharset());
      } catch (const std::exception&) {
        number = 0;
      }
      Renumber(fonts, font.GetIndex(), number);
    }
    std::vector<TGmlRtfControl*> colors = Controls(group, "cf");
    for (int i = 0; i < doc.ColorsCount(); ++i) {
      int number = 1;
      try {
        number = tables.AddColorEntry(doc.Color(i)->Serialize() + ";");
      } catch (const std::exception&) {
        number = 1;
      }
      Renumber(colors, i + 1, number);
    }
    rtl::TMemoryStream out;
    group.Serialize(out);
    return out.Bytes();
  } catch (const rtl::Exception& e) {
    return ErrorGroup(e.Message());
  } catch (const std::exception& e) {
    return ErrorGroup(e.what());
  }
}

}  // namespace report
