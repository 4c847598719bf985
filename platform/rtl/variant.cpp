// Variant storage: the shared blocks of strings and arrays, copying, and the
// array routines.
#include "platform/rtl/variant.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/rtl/variant_blocks_p.h"

namespace rtl {

static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64,
              "Extended values are stored as the 10 bytes of an x87 80-bit float");

using detail::ArrayBlock;
using detail::StringBlock;
using detail::WideBlock;

Variant::Variant(const char* s) : Variant(std::string_view(s ? s : "")) {}

Variant::Variant(std::string_view s) : meta_(varString) { Put<void*>(new StringBlock(AnsiString(s))); }

Variant::Variant(const AnsiString& s) : meta_(varString) { Put<void*>(new StringBlock(s)); }

Variant::Variant(AnsiString&& s) : meta_(varString) { Put<void*>(new StringBlock(std::move(s))); }

Variant::Variant(std::u16string_view s) : meta_(varOleStr) { Put<void*>(new WideBlock(WideString(s))); }

Variant Variant::FromDispatch(IDispatch* object) noexcept {
  Variant v;
  v.meta_ = varDispatch;
  v.Put<void*>(object);
  if (object) object->AddRef();
  return v;
}

void Variant::AddRefHeap() const noexcept {
  switch (tag()) {
    case varString: static_cast<StringBlock*>(Ptr())->refs.fetch_add(1, std::memory_order_relaxed); break;
    case varOleStr: static_cast<WideBlock*>(Ptr())->refs.fetch_add(1, std::memory_order_relaxed); break;
    case kArrayTag: static_cast<ArrayBlock*>(Ptr())->refs.fetch_add(1, std::memory_order_relaxed); break;
    case varDispatch:
      if (auto* d = static_cast<IDispatch*>(Ptr())) d->AddRef();
      break;
    default: break;
  }
}

void Variant::ReleaseHeap() noexcept {
  switch (tag()) {
    case varString: detail::Unref(static_cast<StringBlock*>(Ptr())); break;
    case varOleStr: detail::Unref(static_cast<WideBlock*>(Ptr())); break;
    case kArrayTag: detail::Unref(static_cast<ArrayBlock*>(Ptr())); break;
    case varDispatch:
      if (auto* d = static_cast<IDispatch*>(Ptr())) d->Release();
      break;
    default: break;
  }
  meta_ = varEmpty;
}

void Variant::PutExtended(long double v) noexcept {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &v, 10);  // 64-bit mantissa, then sign and exponent
  uint64_t mantissa;
  uint16_t signExponent;
  std::memcpy(&mantissa, bytes, 8);
  std::memcpy(&signExponent, bytes + 8, 2);
  payload_ = mantissa;
  meta_ = varExtended | (static_cast<uint64_t>(signExponent) << 16);
}

long double Variant::RawExtended() const noexcept {
  unsigned char bytes[sizeof(long double)] = {};
  uint16_t signExponent = static_cast<uint16_t>(meta_ >> 16);
  std::memcpy(bytes, &payload_, 8);
  std::memcpy(bytes + 8, &signExponent, 2);
  long double v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

TVarType Variant::Type() const noexcept {
  if (tag() == kArrayTag) return varArray | Array().elementType;
  return tag();
}

bool Variant::IsOrdinal() const noexcept { return IsOrdinalType(tag()); }

bool Variant::IsFloat() const noexcept {
  switch (tag()) {
    case varSingle:
    case varDouble:
    case varExtended:
    case varCurrency:
    case varDate: return true;
    default: return false;
  }
}

const AnsiString& Variant::StringRef() const {
  if (tag() != varString) throw EVariantError("Variant does not hold a string");
  return static_cast<StringBlock*>(Ptr())->text;
}

AnsiString& Variant::MutableString() {
  if (tag() != varString) throw EVariantError("Variant does not hold a string");
  auto* block = static_cast<StringBlock*>(Ptr());
  if (block->refs.load(std::memory_order_acquire) != 1) {
    auto* copy = new StringBlock(block->text);
    detail::Unref(block);
    Put<void*>(copy);
    block = copy;
  }
  return block->text;
}

IDispatch* Variant::AsDispatch() const {
  if (tag() == varDispatch) return static_cast<IDispatch*>(Ptr());
  if (tag() == varEmpty) return nullptr;
  throw EConvertError("Could not convert variant of type (" + VarTypeAsText(Type()) + ") into type (Dispatch)");
}

// ---- arrays ----------------------------------------------------------------

const ArrayBlock& Variant::Array() const { return *static_cast<ArrayBlock*>(Ptr()); }

ArrayBlock& Variant::Array() {
  auto* block = static_cast<ArrayBlock*>(Ptr());
  if (block->refs.load(std::memory_order_acquire) != 1) {
    auto* copy = new ArrayBlock(*block);
    detail::Unref(block);
    Put<void*>(copy);
    block = copy;
  }
  return *block;
}

namespace {

// 16 million elements (256 MB): far beyond what a report needs, and a bound
// a script's VarArrayCreate cannot push into an unbounded allocation.
constexpr std::size_t kMaxArrayElements = std::size_t{1} << 24;

[[noreturn]] void NotAnArray() { throw EVariantError("Variant is not an array"); }
[[noreturn]] void BadIndex() { throw EVariantError("Variant array index out of bounds"); }

bool IsValidElementType(TVarType t) {
  switch (t) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varDispatch:
    case varBoolean:
    case varVariant:
    case varExtended:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varString: return true;
    default: return false;
  }
}

Variant ZeroOf(TVarType t) {
  switch (t) {
    case varVariant: return Variant();
    case varDispatch: return Variant::FromDispatch(nullptr);
    case varString: return Variant(AnsiString());
    case varOleStr: return Variant(WideString());
    default: return Variant(int32_t{0}).ChangeType(t);
  }
}

}  // namespace

std::size_t detail::ArrayBlock::Offset(std::span<const int32_t> indices) const {
  if (static_cast<int>(indices.size()) != dims) BadIndex();
  std::size_t offset = 0, stride = 1;
  for (int d = 0; d < dims; ++d) {
    int64_t i = static_cast<int64_t>(indices[d]) - low[d];
    if (i < 0 || i >= count[d]) BadIndex();
    offset += static_cast<std::size_t>(i) * stride;
    stride *= static_cast<std::size_t>(count[d]);
  }
  return offset;
}

Variant VarArrayCreate(std::span<const int32_t> bounds, TVarType elementType) {
  if (bounds.size() < 2 || bounds.size() % 2 != 0 || bounds.size() > 6)
    throw EVariantError("Variant array bounds must give a low and a high bound for 1 to 3 dimensions");
  if (!IsValidElementType(elementType)) throw EVariantError("Invalid variant type");
  auto block = std::make_unique<ArrayBlock>();
  block->elementType = elementType;
  block->dims = static_cast<int>(bounds.size() / 2);
  std::size_t total = 1;
  for (int d = 0; d < block->dims; ++d) {
    int64_t count = static_cast<int64_t>(bounds[2 * d + 1]) - bounds[2 * d] + 1;
    if (count < 0 || count > static_cast<int64_t>(kMaxArrayElements))
      throw EVariantError("Bounds of a variant array are out of range");
    block->low[d] = bounds[2 * d];
    block->count[d] = static_cast<int32_t>(count);
    total *= static_cast<std::size_t>(count);  // each factor is below 2^25: no overflow
    if (total > kMaxArrayElements) throw EVariantError("Bounds of a variant array are out of range");
  }
  try {
    block->items.assign(total, ZeroOf(elementType));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  Variant v;
  v.meta_ = Variant::kArrayTag;
  v.Put<void*>(block.release());
  return v;
}

Variant VarArrayOf(std::span<const Variant> values) {
  Variant v = VarArrayCreate({0, static_cast<int32_t>(values.size()) - 1}, varVariant);
  auto& items = v.Array().items;
  for (std::size_t i = 0; i < values.size(); ++i) items[i] = values[i];
  return v;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  return VarArrayOf(std::span<const Variant>(values.begin(), values.size()));
}

int VarArrayDimCount(const Variant& v) noexcept { return v.IsArray() ? v.Array().dims : 0; }

int32_t VarArrayLowBound(const Variant& v, int dim) {
  if (!v.IsArray()) NotAnArray();
  if (dim < 1 || dim > v.Array().dims) throw EVariantError("Variant array dimension out of range");
  return v.Array().low[dim - 1];
}

int32_t VarArrayHighBound(const Variant& v, int dim) {
  if (!v.IsArray()) NotAnArray();
  if (dim < 1 || dim > v.Array().dims) throw EVariantError("Variant array dimension out of range");
  return v.Array().low[dim - 1] + v.Array().count[dim - 1] - 1;
}

void VarArrayRedim(Variant& v, int32_t highBound) {
  if (!v.IsArray()) NotAnArray();
  ArrayBlock& a = v.Array();
  int last = a.dims - 1;
  int64_t count = static_cast<int64_t>(highBound) - a.low[last] + 1;
  if (count < 0 || count > static_cast<int64_t>(kMaxArrayElements))
    throw EVariantError("Bounds of a variant array are out of range");
  std::size_t inner = 1;
  for (int d = 0; d < last; ++d) inner *= static_cast<std::size_t>(a.count[d]);
  if (inner * static_cast<std::size_t>(count) > kMaxArrayElements)
    throw EVariantError("Bounds of a variant array are out of range");
  // The last index varies slowest, so its elements are one block each and
  // resizing keeps every element that stays inside the bounds.
  a.items.resize(inner * static_cast<std::size_t>(count), ZeroOf(a.elementType));
  a.count[last] = static_cast<int32_t>(count);
}

Variant Variant::GetElement(std::span<const int32_t> indices) const {
  if (!IsArray()) NotAnArray();
  const ArrayBlock& a = Array();
  return a.items[a.Offset(indices)];
}

void Variant::PutElement(std::span<const int32_t> indices, const Variant& value) {
  if (!IsArray()) NotAnArray();
  TVarType elementType = Array().elementType;
  Variant stored = elementType == varVariant ? value : value.ChangeType(elementType);
  ArrayBlock& a = Array();
  a.items[a.Offset(indices)] = std::move(stored);
}

Variant& Variant::ElementRef(std::span<const int32_t> indices) {
  if (!IsArray()) NotAnArray();
  ArrayBlock& a = Array();
  return a.items[a.Offset(indices)];
}

}  // namespace rtl
