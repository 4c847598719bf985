#include "report/vuzHTMLTags.h"

#include "platform/rtl/exceptions.h"

namespace report {

void TfrxHTMLTag::Assign(const TfrxHTMLTag& source) {
  const bool noWrap = NoWrap;
  *this = source;
  NoWrap = noWrap;
}

TfrxHTMLTag& TfrxHTMLTags::Add() { return items_.emplace_back(); }

TfrxHTMLTag& TfrxHTMLTags::GetItems(int index) {
  if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)];
}

const TfrxHTMLTag& TfrxHTMLTags::GetItems(int index) const { return const_cast<TfrxHTMLTags*>(this)->GetItems(index); }

void TfrxHTMLTagsList::SetDefaults(gfx::TColor, int, gfx::TFontStyles) {}
void TfrxHTMLTagsList::ExpandHTMLTags(rtl::WideString&) {}
void TfrxHTMLTagsList::NewLine() {}
TfrxHTMLTag& TfrxHTMLTagsList::Add() {
  if (lines_.empty()) lines_.push_back(std::make_unique<TfrxHTMLTags>());
  return lines_.back()->Add();
}
void TfrxHTMLTagsList::Wrap(int, bool) {}
const TfrxHTMLTag* TfrxHTMLTagsList::GetPrevTag() const { return nullptr; }

TfrxHTMLTags& TfrxHTMLTagsList::GetItems(int line) {
  if (line < 0 || line >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(line) + ")");
  return *lines_[static_cast<std::size_t>(line)];
}

const TfrxHTMLTags& TfrxHTMLTagsList::GetItems(int line) const {
  return const_cast<TfrxHTMLTagsList*>(this)->GetItems(line);
}

void TfrxHTMLTagsList::DeleteFrom(int line) {
  if (line >= 0 && line < Count()) lines_.resize(static_cast<std::size_t>(line));
}

int TfrxHTMLTagsList::FillCharSpacingArray(std::vector<int>& out, const rtl::WideString& text, const gfx::TCanvas&, int,
                                           int, bool, bool, const TfrxTextMeasurer*) const {
  out.assign(text.size(), 0);
  return 0;
}

}  // namespace report
