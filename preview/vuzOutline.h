// The outline of prepared pages: a tree of "item" elements (text, 0-based
// page, top in whole pixels) under the "outline" element of the prepared
// pages' tree. The engine adds entries while pages are built; the preview and
// the PDF export read them from LevelRoot down.
#pragma once
#include "preview/vuzPreparedTree.h"

namespace preview {

class TfrxOutline {
 public:
  explicit TfrxOutline(TfrxPreparedTree& tree) : tree_(tree) {}

  // Children of the current item; 0 without a current item.
  int GetCount() const;
  // A new last child of the current item on the current page; it becomes current.
  void AddItem(const AnsiString& text, int top);
  // Child index becomes current; an index outside the children changes nothing.
  void LevelDown(int index);
  // The "outline" element (made when missing) becomes current.
  void LevelRoot();
  // The parent becomes current; at the "outline" element nothing changes.
  void LevelUp();
  // Child index of the current item: its text, and page and top when they are
  // numbers (else the caller's values stay).
  void GetItem(int index, AnsiString& text, int& page, int& top) const;
  // The entry right after from (with its sub-entries) moves to the next page
  // (or stays on its page when nextPage is false), its top becoming top;
  // later siblings keep their places.
  void ShiftItems(TfrxXMLItem* from, int top, bool nextPage = true);
  // The current item's last child, null when it has none.
  TfrxXMLItem* GetCurPosition() const;
  TfrxXMLItem* Root() const { return tree_.Section("outline"); }
  TfrxXMLItem* CurItem() const { return Current(); }

 private:
  // The current item; none once the tree was cleared or reloaded under it.
  TfrxXMLItem* Current() const { return generation_ == tree_.Generation() ? cur_ : nullptr; }
  void SetCurrent(TfrxXMLItem* item) {
    cur_ = item;
    generation_ = tree_.Generation();
  }
  TfrxPreparedTree& tree_;
  TfrxXMLItem* cur_ = nullptr;
  int generation_ = -1;
};

}  // namespace preview
