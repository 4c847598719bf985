#include "preview/vuzFontList.h"

#include <algorithm>
#include <string>

#include "platform/gfx/font_families.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/textcase.h"

namespace preview {

const char* const kDefaultMRUFontKey = "\\Software\\Dodo Vavezev\\MRUFont";

namespace {
// Face names are at most 32 characters, as the font box has always held them.
constexpr std::size_t kMaxFaceName = 32;

bool Same(const AnsiString& a, const AnsiString& b) { return rtl::AnsiCompareText(a, b) == 0; }
}  // namespace

std::vector<TfrxFontItem> vuzScreenFonts() {
  std::vector<TfrxFontItem> out;
  for (const gfx::TFontFamily& f : gfx::ListFontFamilies()) {
    AnsiString name = rtl::Utf8ToAnsi(f.Name);
    // A name 1251 cannot hold comes back with '?' in it: no such font could
    // be chosen by name, so it is not offered.
    if (name.empty() || rtl::AnsiToUtf8(name) != f.Name) continue;
    if (name.size() > kMaxFaceName) name.resize(kMaxFaceName);
    out.push_back({name, f.Scalable ? kTrueTypeFontType : kRasterFontType});
  }
  return out;
}

int TfrxFontList::IndexOf(const AnsiString& name) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (Same(items_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

void TfrxFontList::Populate(const std::vector<TfrxFontItem>& screen,
                            const std::function<std::vector<TfrxFontItem>()>& printerFonts) {
  std::vector<TfrxFontItem> all = screen;
  if (printerFonts) {
    try {
      const std::vector<TfrxFontItem> more = printerFonts();
      all.insert(all.end(), more.begin(), more.end());
    } catch (...) {
      // The printer's fonts are a bonus: the screen's stay.
    }
  }
  std::stable_sort(all.begin(), all.end(), [](const TfrxFontItem& a, const TfrxFontItem& b) {
    return rtl::AnsiCompareText(a.Name, b.Name) < 0;
  });
  items_.clear();
  for (TfrxFontItem& f : all) {
    if (f.Name.empty()) continue;
    if (f.Name.size() > kMaxFaceName) f.Name.resize(kMaxFaceName);
    if (items_.empty() || !Same(items_.back().Name, f.Name)) items_.push_back(f);
  }
  mruCount_ = -1;
  if (!showMRU_) return;
  rtl::TRegistry reg;
  reg.SetRootKey(rtl::HKEY_CURRENT_USER);
  if (!reg.OpenKey(regKey_, true)) return;
  for (int n = kMaxRecentFonts - 1; n >= 0; --n) {
    const AnsiString font = "Font" + std::to_string(n), type = "FontType" + std::to_string(n);
    AnsiString name;
    int kind = 0;
    try {
      name = reg.ReadString(font);
      kind = reg.ValueExists(type) ? reg.ReadInteger(type) : 0;
    } catch (const rtl::Exception&) {
      name.clear();  // a value of another type counts as none
    }
    const int at = name.empty() ? -1 : IndexOf(name);
    if (at >= 0) {
      items_.insert(items_.begin(), {items_[static_cast<std::size_t>(at)].Name, kind});
      ++mruCount_;
    } else {
      reg.WriteString(font, "");
      reg.WriteInteger(type, 0);
    }
  }
}

int TfrxFontList::Choose(int index) {
  if (index <= 0 || index >= static_cast<int>(items_.size()) || !showMRU_) return index;
  const TfrxFontItem chosen = items_[static_cast<std::size_t>(index)];
  const int first = IndexOf(chosen.Name);
  if (first > mruCount_) {
    items_.insert(items_.begin(), chosen);
    if (mruCount_ >= kMaxRecentFonts - 1) {
      // Five recent fonts already: the oldest (now the sixth entry) goes.
      items_.erase(items_.begin() + kMaxRecentFonts);
    } else {
      ++mruCount_;
    }
  } else {
    items_.erase(items_.begin() + first);
    items_.insert(items_.begin(), chosen);
  }
  SaveRecent();
  return 0;
}

void TfrxFontList::SaveRecent() {
  rtl::TRegistry reg;
  reg.SetRootKey(rtl::HKEY_CURRENT_USER);
  if (!reg.OpenKey(regKey_, true)) return;
  for (int n = 0; n < kMaxRecentFonts; ++n) {
    const bool recent = n <= mruCount_;
    reg.WriteString("Font" + std::to_string(n), recent ? items_[static_cast<std::size_t>(n)].Name : AnsiString());
    reg.WriteInteger("FontType" + std::to_string(n), recent ? items_[static_cast<std::size_t>(n)].Type : 0);
  }
}

}  // namespace preview
