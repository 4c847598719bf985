#include "preview/vuzOutline.h"

#include <vector>

#include "platform/rtl/format.h"

namespace preview {

int TfrxOutline::GetCount() const { return Current() ? cur_->Count() : 0; }

void TfrxOutline::AddItem(const AnsiString& text, int top) {
  if (!Current()) LevelRoot();
  TfrxXMLItem* item = cur_->Add("item");
  item->Prop = "text=\"" + report::vuzStrToXML(text) + "\" page=\"" + std::to_string(tree_.CurPage) + "\" top=\"" +
               std::to_string(top) + "\"";
  SetCurrent(item);
}

void TfrxOutline::LevelDown(int index) {
  if (Current() && index >= 0 && index < cur_->Count()) SetCurrent(cur_->Items(index));
}

void TfrxOutline::LevelRoot() { SetCurrent(Root()); }

void TfrxOutline::LevelUp() {
  if (Current() && cur_ != Root() && cur_->Parent()) SetCurrent(cur_->Parent());
}

void TfrxOutline::GetItem(int index, AnsiString& text, int& page, int& top) const {
  if (!Current() || index < 0 || index >= cur_->Count()) return;
  const TfrxXMLItem* item = cur_->Items(index);
  text = vuzTextProp(item, "text");
  page = vuzIntProp(item, "page", page);
  top = vuzIntProp(item, "top", top);
}

void TfrxOutline::ShiftItems(TfrxXMLItem* from, int top, bool nextPage) {
  if (!from || !from->Parent()) return;
  TfrxXMLItem* parent = from->Parent();
  const int next = parent->IndexOf(from) + 1;
  if (next <= 0 || next >= parent->Count()) return;
  TfrxXMLItem* first = parent->Items(next);
  const long long d = static_cast<long long>(top) - vuzIntProp(first, "top");
  // The sibling and every entry below it, without recursion.
  std::vector<TfrxXMLItem*> pending{first};
  while (!pending.empty()) {
    TfrxXMLItem* item = pending.back();
    pending.pop_back();
    if (nextPage) item->SetProp("page", std::to_string(vuzIntProp(item, "page") + 1LL));
    item->SetProp("top", std::to_string(vuzIntProp(item, "top") + d));
    for (int i = 0; i < item->Count(); ++i) pending.push_back(item->Items(i));
  }
}

TfrxXMLItem* TfrxOutline::GetCurPosition() const {
  return Current() && cur_->Count() > 0 ? cur_->Items(cur_->Count() - 1) : nullptr;
}

}  // namespace preview
