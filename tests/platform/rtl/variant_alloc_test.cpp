// Small variants must not allocate: report building copies and combines
// millions of them. This program's operator new counts what it hands out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "platform/rtl/variant.h"

namespace {
thread_local long gAllocations = 0;
}

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++gAllocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++gAllocations;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace rtl;

namespace {

template <class F>
long AllocationsOf(F&& f) {
  long before = gAllocations;
  f();
  return gAllocations - before;
}

}  // namespace

TEST(VariantAllocation, SmallValuesDoNotAllocate) {
  long n = AllocationsOf([] {
    Variant values[] = {Variant(),
                        Variant::Null(),
                        Variant(1),
                        Variant(int64_t{1} << 40),
                        Variant(2.5),
                        Variant(1.5f),
                        Variant::FromExtended(0.25L),
                        Variant(Currency{15000}),
                        Variant::FromDate(41340.5),
                        Variant(true),
                        Variant(uint8_t{7}),
                        Variant::FromDispatch(nullptr)};
    Variant sum;
    for (const Variant& v : values) {
      Variant copy = v;
      Variant moved = std::move(copy);
      if (!v.IsNull() && VarType(v) != varDispatch) {
        sum = VarAdd(sum, v);
        sum = VarMul(sum, Variant(1));
        (void)VarCompare(sum, v);
        (void)v.AsInt64();
        (void)v.AsDouble();
      }
    }
    Variant a = 2147483647, b = 1;
    Variant promoted = a + b;  // Int64, still inline
    Variant quotient = VarDiv(a, b);
    Variant d = VarIntDiv(a, 7);
    (void)promoted;
    (void)quotient;
    (void)d;
  });
  EXPECT_EQ(n, 0);
}

TEST(VariantAllocation, StringsShareTheirText) {
  Variant s("a text longer than any small-string buffer");
  long n = AllocationsOf([&] {
    Variant copy = s;
    Variant another = copy;
    (void)another.StringRef();
  });
  EXPECT_EQ(n, 0);
}
