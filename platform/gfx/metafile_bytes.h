// Little-endian byte building and bounds-checked reading for the metafile,
// icon and bitmap formats. A reader never touches a byte outside its view: a
// read past the end raises EMetafileFormat, which the callers turn into
// "skip this record" or "this file is damaged".
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/gfx/graphic_errors.h"

namespace gfx::bytes {

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  void Bytes(std::string_view b) { out_.append(b); }
  void Zeros(std::size_t n) { out_.append(n, '\0'); }
  // Pads with zero bytes to a multiple of n.
  void Align(std::size_t n) {
    while (out_.size() % n) out_.push_back('\0');
  }
  void PutU32At(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<char>(v >> (8 * i));
  }
  void PutU16At(std::size_t at, std::uint16_t v) {
    out_[at] = static_cast<char>(v);
    out_[at + 1] = static_cast<char>(v >> 8);
  }
  std::size_t Size() const { return out_.size(); }
  std::string& Data() { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// Reads at absolute offsets within a view; every read is range checked.
class Reader {
 public:
  explicit Reader(std::string_view data) : d_(data) {}
  std::size_t Size() const { return d_.size(); }
  bool Has(std::size_t off, std::size_t n) const { return off <= d_.size() && n <= d_.size() - off; }
  void Need(std::size_t off, std::size_t n) const {
    if (!Has(off, n)) throw EMetafileFormat("Record data out of range");
  }
  std::uint8_t U8(std::size_t off) const {
    Need(off, 1);
    return static_cast<std::uint8_t>(d_[off]);
  }
  std::uint16_t U16(std::size_t off) const {
    Need(off, 2);
    return static_cast<std::uint16_t>(Byte(off) | (Byte(off + 1) << 8));
  }
  std::int16_t I16(std::size_t off) const { return static_cast<std::int16_t>(U16(off)); }
  std::uint32_t U32(std::size_t off) const {
    Need(off, 4);
    return static_cast<std::uint32_t>(Byte(off)) | (static_cast<std::uint32_t>(Byte(off + 1)) << 8) |
           (static_cast<std::uint32_t>(Byte(off + 2)) << 16) | (static_cast<std::uint32_t>(Byte(off + 3)) << 24);
  }
  std::int32_t I32(std::size_t off) const { return static_cast<std::int32_t>(U32(off)); }
  float F32(std::size_t off) const {
    std::uint32_t u = U32(off);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  std::string_view Slice(std::size_t off, std::size_t n) const {
    Need(off, n);
    return d_.substr(off, n);
  }
  std::string_view View() const { return d_; }

 private:
  unsigned Byte(std::size_t off) const { return static_cast<unsigned char>(d_[off]); }
  std::string_view d_;
};

}  // namespace gfx::bytes
