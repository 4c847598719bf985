// FormatMaskText: a value laid into an edit mask as a masked edit would show it.
#include <vector>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace rtl {

namespace {

// One position of the mask after its directives are read.
struct MaskPosition {
  bool input;  // takes a character of the value
  char literal;
  enum Case { AsIs, Upper, Lower } caseRule;
};

struct ParsedMask {
  std::vector<MaskPosition> positions;
  bool saveLiterals = true;
  bool fromRight = false;
};

bool IsInputChar(char c) {
  switch (c) {
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
    case '0':
    case '9':
    case '#': return true;
    default: return false;
  }
}

ParsedMask Parse(std::string_view mask, const FormatSettings& fs) {
  ParsedMask pm;
  // Split off the fields at unescaped ";": the mask, save-literals, blank.
  std::size_t end = mask.size();
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == '\\') {
      ++i;
    } else if (mask[i] == ';') {
      fields.push_back(mask.substr(start, i - start));
      start = i + 1;
    }
  }
  fields.push_back(mask.substr(start, end - start));
  // Only the last two fields are options; a mask may itself hold ";" literals
  // through escapes only, so the first field is the mask.
  std::string_view body = fields[0];
  if (fields.size() >= 2 && fields[1] == "0") pm.saveLiterals = false;

  MaskPosition::Case caseRule = MaskPosition::AsIs;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '!') {
      pm.fromRight = true;
    } else if (c == '<' && i + 1 < body.size() && body[i + 1] == '>') {
      caseRule = MaskPosition::AsIs;
      ++i;
    } else if (c == '>') {
      caseRule = MaskPosition::Upper;
    } else if (c == '<') {
      caseRule = MaskPosition::Lower;
    } else if (c == '\\' && i + 1 < body.size()) {
      pm.positions.push_back({false, body[++i], caseRule});
    } else if (IsInputChar(c)) {
      pm.positions.push_back({true, 0, caseRule});
    } else if (c == ':') {
      pm.positions.push_back({false, fs.TimeSeparator, caseRule});
    } else if (c == '/') {
      pm.positions.push_back({false, fs.DateSeparator, caseRule});
    } else if (c == '_') {
      pm.positions.push_back({false, ' ', caseRule});
    } else {
      pm.positions.push_back({false, c, caseRule});
    }
  }
  return pm;
}

char ApplyCase(char c, MaskPosition::Case rule) {
  if (rule == MaskPosition::Upper) return AnsiUpperCase(std::string_view(&c, 1))[0];
  if (rule == MaskPosition::Lower) return AnsiLowerCase(std::string_view(&c, 1))[0];
  return c;
}

}  // namespace

AnsiString FormatMaskText(std::string_view editMask, std::string_view value, const FormatSettings& fs) {
  ParsedMask pm = Parse(editMask, fs);
  const auto& pos = pm.positions;
  const char blank = ' ';
  if (pm.saveLiterals) {
    // The value already carries the literals: lay it over the mask position by
    // position, padding what is missing.
    AnsiString out;
    std::size_t n = std::max(pos.size(), value.size());
    std::size_t shift = pm.fromRight && value.size() < pos.size() ? pos.size() - value.size() : 0;
    for (std::size_t i = 0; i < n; ++i) {
      bool haveValue = i >= shift && i - shift < value.size();
      char v = haveValue ? value[i - shift] : blank;
      if (i < pos.size() && !pos[i].input)
        out += pos[i].literal;
      else
        out += i < pos.size() ? ApplyCase(v, pos[i].caseRule) : v;
    }
    return out;
  }
  std::size_t inputs = 0;
  for (const auto& p : pos) inputs += p.input;
  AnsiString out;
  if (!pm.fromRight) {
    std::size_t next = 0;
    for (const auto& p : pos) {
      if (!p.input) {
        out += p.literal;
      } else {
        out += next < value.size() ? ApplyCase(value[next], p.caseRule) : blank;
        ++next;
      }
    }
    if (next < value.size()) out.append(value.substr(next));
    return out;
  }
  // From the right: the last characters of the value fill the last positions;
  // what does not fit goes in front.
  std::size_t used = std::min(inputs, value.size());
  std::string_view tail = value.substr(value.size() - used);
  std::size_t blanks = inputs - used;
  std::size_t next = 0, k = 0;
  for (const auto& p : pos) {
    if (!p.input) {
      out += p.literal;
      continue;
    }
    out += k < blanks ? blank : ApplyCase(tail[next++], p.caseRule);
    ++k;
  }
  return AnsiString(value.substr(0, value.size() - used)) + out;
}

}  // namespace rtl
