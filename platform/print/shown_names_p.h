// The names people see for a destination's paper sizes and trays. Jobs name
// them by IPP keywords ("iso_a4_210x297mm", "tray-1", "manual"); the printer's
// own texts ("A4", "Tray 1", "Manual Feed") live in the queue's PPD, whose
// choices have names of their own ("A4", "Tray1", "Manual"). These helpers
// pair the keywords with the PPD's choices and pick the text to show. Plain
// C++, no CUPS type: ppd_choices.cpp and print_destinations.cpp read.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace print {

// One choice of a PPD option (PageSize or InputSlot).
struct TPpdChoice {
  std::string Name;                  // the choice as the PPD names it: "A4", "Tray1"
  std::string Text;                  // its text for people (the name itself when the PPD gives none)
  std::string Keyword;               // the IPP keyword the scheduler derives from it
  double WidthMM = 0, LengthMM = 0;  // page sizes only
};

struct TPpdChoices {
  std::vector<TPpdChoice> PageSizes;
  std::vector<TPpdChoice> InputSlots;
};

// The media-source keyword the scheduler gives an InputSlot choice: the
// common slot names have fixed keywords ("Upper" is "top", "Cassette" is
// "main"), any other name is lower-cased with a hyphen where a word or a
// number starts ("Tray2" is "tray-2", "RearFeed" is "rear-feed").
std::string InputSlotKeyword(std::string_view choice);

// The InputSlot choice behind the media-source keyword at `position` of the
// destination's list of `count` keywords, or nullptr. The scheduler lists
// the slots in the PPD's order, so the choice at the same place is taken
// when the lists are as long and no other choice claims the keyword.
const TPpdChoice* FindInputSlot(const std::vector<TPpdChoice>& slots, std::string_view keyword, std::size_t position,
                                std::size_t count);

// The PageSize choice of a media size, or nullptr: the one the scheduler
// names by that keyword, else the first of the same size (within half a
// millimetre).
const TPpdChoice* FindPageSize(const std::vector<TPpdChoice>& sizes, std::string_view keyword, double widthMM,
                               double lengthMM);

// The text to show for a tray: the PPD's own text, else the one CUPS gives
// for the keyword in the user's language, else the keyword. A PPD text that
// only repeats its choice name ("Tray1") is no text.
std::string ShownTrayName(std::string_view keyword, const TPpdChoice* slot, std::string_view cupsText);

// The text to show for a paper size: the PPD's text (its size names, such
// as "A4" or "Letter", are already people's names), else the one CUPS gives,
// else the keyword.
std::string ShownMediaName(std::string_view keyword, const TPpdChoice* size, std::string_view cupsText);

}  // namespace print
