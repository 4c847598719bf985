// The shared blocks behind string and array Variants (internal to the runtime).
#pragma once
#include <atomic>
#include <span>
#include <vector>

#include "platform/rtl/variant.h"

namespace rtl::detail {

struct StringBlock {
  explicit StringBlock(AnsiString t) : text(std::move(t)) {}
  std::atomic<int> refs{1};
  AnsiString text;
};

struct WideBlock {
  explicit WideBlock(WideString t) : text(std::move(t)) {}
  std::atomic<int> refs{1};
  WideString text;
};

struct ArrayBlock {
  ArrayBlock() = default;
  ArrayBlock(const ArrayBlock& o) : elementType(o.elementType), dims(o.dims), items(o.items) {
    for (int d = 0; d < 3; ++d) {
      low[d] = o.low[d];
      count[d] = o.count[d];
    }
  }
  // Element offset of an index tuple; the first index varies fastest.
  std::size_t Offset(std::span<const int32_t> indices) const;

  std::atomic<int> refs{1};
  TVarType elementType = varVariant;
  int dims = 0;
  int32_t low[3] = {};
  int32_t count[3] = {};
  std::vector<Variant> items;
};

// The 8-bit text of a value: the stored text itself for an 8-bit string (no
// copy), else its conversion, kept in scratch.
inline const AnsiString& TextOf(const Variant& v, AnsiString& scratch) {
  if (v.RawType() == varString) return v.StringRef();
  scratch = v.AsString();
  return scratch;
}

template <class Block>
inline void Unref(Block* b) noexcept {
  if (b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete b;
}

}  // namespace rtl::detail
