// The font-name box's list without a window: the screen's font families and
// the current printer's own fonts, sorted, each once, with its kind (outline
// or device font), and the five most recently chosen fonts at the top,
// remembered in the settings store.
#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

// The kinds of font a list item carries (bits).
constexpr int kRasterFontType = 1, kDeviceFontType = 2, kTrueTypeFontType = 4;

struct TfrxFontItem {
  AnsiString Name;
  int Type = kTrueTypeFontType;
  bool operator==(const TfrxFontItem&) const = default;
};

// The machine's font families as items (outline families are TrueType, the
// others raster); a family whose name Windows-1251 cannot hold is left out.
std::vector<TfrxFontItem> vuzScreenFonts();

// Where the recent fonts are kept when no key is given (below the user's root).
extern const char* const kDefaultMRUFontKey;
constexpr int kMaxRecentFonts = 5;

class TfrxFontList {
 public:
  explicit TfrxFontList(bool showMRU = true) : showMRU_(showMRU) {}
  const AnsiString& RegKey() const { return regKey_; }
  // An empty key stands for the default one.
  void SetRegKey(const AnsiString& key) { regKey_ = key.empty() ? AnsiString(kDefaultMRUFontKey) : key; }

  // Rebuilds the list: the screen's fonts and then the printer's (a printer
  // that fails is ignored), sorted without regard to case, each name once;
  // then the recent fonts from the store on top. A stored recent font that
  // is no longer installed is cleared in the store.
  void Populate(const std::vector<TfrxFontItem>& screen,
                const std::function<std::vector<TfrxFontItem>()>& printerFonts = nullptr);
  const std::vector<TfrxFontItem>& Items() const { return items_; }
  // Index of the last recent entry at the top; -1 when there is none.
  int MRUCount() const { return mruCount_; }
  // First index of a name (without regard to case), -1 when absent.
  int IndexOf(const AnsiString& name) const;

  // The list closed with an item chosen: a font other than the first goes to
  // the top of the recent block (the oldest of six drops out) and the store
  // is rewritten. Answers the index selected afterwards.
  int Choose(int index);

 private:
  void SaveRecent();

  bool showMRU_;
  AnsiString regKey_ = kDefaultMRUFontKey;
  std::vector<TfrxFontItem> items_;
  int mruCount_ = -1;
};

}  // namespace preview
