#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/print/shown_names_p.h"

namespace {

using print::TPpdChoice;

TPpdChoice Slot(const std::string& name, const std::string& text) {
  return {name, text, print::InputSlotKeyword(name), 0, 0};
}

// The keywords are the ones cupsd 2.4 lists in media-source-supported for a
// PPD with these InputSlot names (the destination test checks the same
// against the private server).
TEST(InputSlotKeyword, FollowsTheSchedulersNaming) {
  const struct {
    const char* choice;
    const char* keyword;
  } cases[] = {
      {"Auto", "auto"},         {"Upper", "top"},
      {"Lower", "bottom"},      {"Middle", "middle"},
      {"Cassette", "main"},     {"MultiPurpose", "by-pass-tray"},
      {"MP", "by-pass-tray"},   {"LargeCapacity", "large-capacity"},
      {"Envelope", "envelope"}, {"RearFeed", "rear-feed"},
      {"Tray1", "tray-1"},      {"Tray2", "tray-2"},
      {"Tray_3", "tray-3"},     {"4", "4"},
      {"PhotoTray", "photo"},   {"Side", "side"},
      {"Manual", "manual"},     {"ManualFeed", "manual-feed"},
      {"Roll", "main-roll"},    {"CDTray", "disc"},
      {"Disc", "disc"},
  };
  for (const auto& c : cases) EXPECT_EQ(print::InputSlotKeyword(c.choice), c.keyword) << c.choice;
}

TEST(ShownTrayName, ThePpdsTextElseCupsTextElseTheKeyword) {
  // Tray2 has no text of its own: the PPD repeats the choice name.
  const std::vector<TPpdChoice> slots = {Slot("Tray1", "Tray 1"), Slot("Manual", "Manual Feed"),
                                         Slot("Tray2", "Tray2")};
  const struct {
    const char* keyword;
    std::size_t position;
    const char* cupsText;  // what CUPS answers for the keyword (the keyword when it has no text)
    const char* shown;
  } cases[] = {
      {"tray-1", 0, "Tray 1", "Tray 1"},       {"tray-1", 0, "tray-1", "Tray 1"},
      {"manual", 1, "Manual", "Manual Feed"},  {"tray-2", 2, "Tray 2", "Tray 2"},
      {"tray-2", 2, "tray-2", "tray-2"},       {"tray-2", 2, "", "tray-2"},
      {"envelope", 3, "Envelope", "Envelope"}, {"envelope", 3, "envelope", "envelope"},
  };
  for (const auto& c : cases) {
    const TPpdChoice* slot = print::FindInputSlot(slots, c.keyword, c.position, 4);
    EXPECT_EQ(print::ShownTrayName(c.keyword, slot, c.cupsText), c.shown) << c.keyword << " / " << c.cupsText;
  }
  // Without a PPD only CUPS's text or the keyword is left.
  EXPECT_EQ(print::ShownTrayName("tray-1", nullptr, "Tray 1"), "Tray 1");
  EXPECT_EQ(print::ShownTrayName("tray-1", nullptr, ""), "tray-1");
}

TEST(FindInputSlot, PairsByKeywordAndByPlaceWhenTheListsMatch) {
  // Two slots with the same keyword, and one whose keyword the naming rule
  // cannot foresee: the scheduler lists the slots in the PPD's order.
  const std::vector<TPpdChoice> slots = {Slot("MultiPurpose", "MP Tray"), Slot("MP", "MP 2"), Slot("Odd", "Odd Slot")};
  const struct {
    const char* keyword;
    std::size_t position, count;
    const char* text;  // nullptr: no slot
  } cases[] = {
      {"by-pass-tray", 0, 3, "MP Tray"}, {"by-pass-tray", 1, 3, "MP 2"}, {"x-odd-slot", 2, 3, "Odd Slot"},
      {"odd", 2, 3, "Odd Slot"},         {"odd", 0, 1, "Odd Slot"},      {"by-pass-tray", 2, 5, "MP Tray"},
      {"x-odd-slot", 2, 5, nullptr},     {"top", 7, 3, nullptr},
  };
  for (const auto& c : cases) {
    const TPpdChoice* slot = print::FindInputSlot(slots, c.keyword, c.position, c.count);
    if (!c.text) {
      EXPECT_EQ(slot, nullptr) << c.keyword << " at " << c.position;
      continue;
    }
    ASSERT_NE(slot, nullptr) << c.keyword << " at " << c.position;
    EXPECT_EQ(slot->Text, c.text) << c.keyword << " at " << c.position;
  }
}

TEST(ShownMediaName, ThePpdsSizeNameElseCupsTextElseTheKeyword) {
  const std::vector<TPpdChoice> sizes = {{"A4", "A4", "iso_a4_210x297mm", 210, 297},
                                         {"A4Small", "A4 (small margins)", "", 210, 297},
                                         {"Letter", "US Letter", "na_letter_8.5x11in", 215.9, 279.4}};
  const struct {
    const char* keyword;
    double width, length;
    const char* cupsText;
    const char* shown;
  } cases[] = {
      {"iso_a4_210x297mm", 210, 297, "210 x 297 mm", "A4"},
      {"na_letter_8.5x11in", 215.9, 279.4, "US Letter", "US Letter"},
      // Named otherwise by the scheduler: found by its size.
      {"custom_letter", 215.8, 279.6, "", "US Letter"},
      {"iso_a5_148x210mm", 148, 210, "A5", "A5"},
      {"iso_a5_148x210mm", 148, 210, "", "iso_a5_148x210mm"},
  };
  for (const auto& c : cases) {
    const TPpdChoice* size = print::FindPageSize(sizes, c.keyword, c.width, c.length);
    EXPECT_EQ(print::ShownMediaName(c.keyword, size, c.cupsText), c.shown) << c.keyword;
  }
  EXPECT_EQ(print::ShownMediaName("iso_a4_210x297mm", nullptr, "A4"), "A4");
  EXPECT_EQ(print::ShownMediaName("iso_a4_210x297mm", nullptr, ""), "iso_a4_210x297mm");
}

}  // namespace
