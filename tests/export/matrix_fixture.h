// Small layouts for the layout matrix tests: free-standing report objects
// made at given bounds, a matrix to feed them to, and the grid as text.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "export/vuzExportMatrix.h"
#include "report/vuzClass.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassShape.h"

namespace exporttest {

struct MatrixFixture {
  struct Started {
    Started() { report::ReportClassesStartup(); }
  } started;

  report::TfrxIEMatrix m;
  std::vector<std::unique_ptr<report::TfrxComponent>> owned;

  MatrixFixture() { m.ShowProgress = false; }

  template <typename T>
  T* Make(long double l, long double t, long double w, long double h) {
    auto object = std::make_unique<T>(nullptr);
    object->SetBounds(l, t, w, h);
    T* raw = object.get();
    owned.push_back(std::move(object));
    return raw;
  }
  report::TfrxMemoView* Memo(long double l, long double t, long double w, long double h, const rtl::WideString& text) {
    auto* memo = Make<report::TfrxMemoView>(l, t, w, h);
    memo->SetText(text);
    return memo;
  }
  report::TfrxMemoView* AddMemo(long double l, long double t, long double w, long double h,
                                const rtl::WideString& text) {
    auto* memo = Memo(l, t, w, h, text);
    m.AddObject(memo);
    return memo;
  }

  // One line per row, cells as ids or "." for empty, separated by blanks.
  std::string Grid() const {
    std::string s;
    for (int r = 0; r < m.RowCount; ++r) {
      for (int c = 0; c < m.ColumnCount; ++c) {
        if (c) s += ' ';
        const int id = m.GetCell(c, r);
        s += id < 0 ? std::string(".") : std::to_string(id);
      }
      s += '\n';
    }
    return s;
  }
  std::vector<long double> Xs() const {
    std::vector<long double> v;
    for (const auto& p : m.XCoordinates) v.push_back(p.Coordinate);
    return v;
  }
  std::vector<long double> Ys() const {
    std::vector<long double> v;
    for (const auto& p : m.YCoordinates) v.push_back(p.Coordinate);
    return v;
  }
};

// The text lines joined by "|"; "<nil>" for no object.
inline std::string Text(const report::TfrxIEMObject* o) {
  if (!o) return "<nil>";
  std::string s;
  for (int i = 0; i < o->Memo.Count(); ++i) s += (i ? "|" : "") + rtl::WideToUtf8(o->Memo[i]);
  return s;
}

}  // namespace exporttest
