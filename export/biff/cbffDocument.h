// A compound file writer (major version 3: 512-byte sectors, 64-byte mini
// sectors, FAT, mini FAT, DIFAT and a directory of 128-byte entries). The tree
// of entries and their data is built in memory and written in one pass.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

// A memory stream that knows its block size (2^shift bytes).
class TBlockStream : public rtl::TMemoryStream {
 public:
  explicit TBlockStream(int shift);
  int BlockSize() const { return 1 << shift_; }
  std::int64_t GetCurrentBlock() { return Size() / BlockSize(); }
  void EndBlock(std::uint8_t fill);
  void Fill(std::uint8_t value, std::int64_t count);
  std::int64_t GetBlocksCount() { return (Size() + BlockSize() - 1) / BlockSize(); }
  const char* GetBlockData(std::int64_t i);
  int GetBlockSize(std::int64_t i);
  // Writes the low n bytes of value; answers where they went.
  std::int64_t Imm(std::uint32_t value, int n);

 private:
  int shift_;
};

class TCbffDir {
 public:
  explicit TCbffDir(rtl::WideString name, TCbffDir* parent = nullptr);
  TCbffDir* Add(const rtl::WideString& name);
  // The entry's 128 bytes.
  void Flush(rtl::TStream& stream) const;

  rtl::WideString Name;
  TBlockStream Data{4};
  TObjList<TCbffDir> Children;
  TCbffDir* Next = nullptr;
  TCbffDir* Parent = nullptr;
  std::uint8_t Colour = 1;
  std::int32_t StartSector = -2;
  std::int32_t LeftSibling = -1, RightSibling = -1, Child = -1;
  std::int32_t Index = -1;
  // Filler entries that pad the directory: unused, written as type 0.
  bool Unused = false;
};

class TCbffDocument {
 public:
  TCbffDocument();
  TCbffDir& Root() { return root_; }
  void Flush(rtl::TStream& output);

 private:
  TCbffDir root_;
};

}  // namespace report
