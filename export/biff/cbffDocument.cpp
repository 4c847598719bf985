#include "export/biff/cbffDocument.h"

#include <algorithm>
#include <cstring>

#include "export/vuzCrypto.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

constexpr const char* kUnit = "cbffDocument";
constexpr std::int32_t kEndOfChain = -2;
constexpr std::int32_t kFatSector = -3;
constexpr std::int32_t kDifatSector = -4;
constexpr std::int64_t kMiniCutoff = 4096;

void CheckRange(std::int64_t value, std::int64_t low, std::int64_t high) {
  if (value < low || value > high)
    throw rtl::Exception(rtl::Format("%d is out of bounds [%d, %d]", {value, low, high}));
}

// One allocation area: sector data and its FAT.
struct TCbffStream {
  explicit TCbffStream(int shift) : Data(shift), Fat(9) {}
  TBlockStream Data;
  TBlockStream Fat;
  std::int32_t WriteStream(const void* data, std::int64_t size) {
    if (size == 0) return kEndOfChain;
    const auto first = static_cast<std::int32_t>(Data.GetCurrentBlock());
    Data.Seek(0, rtl::soEnd);
    Data.WriteBuffer(data, size);
    Data.EndBlock(0xFF);
    const auto last = static_cast<std::int32_t>(Data.GetCurrentBlock()) - 1;
    Fat.Seek(0, rtl::soEnd);
    for (std::int32_t b = first; b <= last; ++b)
      Fat.Imm(static_cast<std::uint32_t>(b == last ? kEndOfChain : b + 1), 4);
    return first;
  }
};

void ListPreOrder(TCbffDir& dir, std::vector<TCbffDir*>& out) {
  dir.Index = static_cast<std::int32_t>(out.size());
  out.push_back(&dir);
  for (const auto& c : dir.Children) ListPreOrder(*c, out);
}

}  // namespace

TBlockStream::TBlockStream(int shift) : shift_(shift) { CheckRange(shift, 1, 12); }

void TBlockStream::EndBlock(std::uint8_t fill) {
  const std::int64_t rest = Size() % BlockSize();
  if (rest != 0) Fill(fill, BlockSize() - rest);
}

void TBlockStream::Fill(std::uint8_t value, std::int64_t count) {
  CheckRange(count, 1, 2147483647);
  const std::string bytes(static_cast<std::size_t>(count), static_cast<char>(value));
  WriteBuffer(bytes.data(), count);
}

const char* TBlockStream::GetBlockData(std::int64_t i) {
  CheckRange(i, 0, GetBlocksCount() - 1);
  return Memory() + i * BlockSize();
}

int TBlockStream::GetBlockSize(std::int64_t i) {
  CheckRange(i, 0, GetBlocksCount() - 1);
  return static_cast<int>(std::min<std::int64_t>(BlockSize(), Size() - i * BlockSize()));
}

std::int64_t TBlockStream::Imm(std::uint32_t value, int n) {
  CheckRange(n, 1, 4);
  const std::int64_t at = Position();
  std::uint8_t b[4];
  vuzCryptoWriteUInt(b, 0, value, 4);
  WriteBuffer(b, n);
  return at;
}

TCbffDir::TCbffDir(rtl::WideString name, TCbffDir* parent) : Name(std::move(name)), Parent(parent) {}

TCbffDir* TCbffDir::Add(const rtl::WideString& name) {
  auto child = std::make_unique<TCbffDir>(name, this);
  TCbffDir* result = child.get();
  if (Children.Count() > 0) Children.Last()->Next = result;
  Children.Add(std::move(child));
  return result;
}

void TCbffDir::Flush(rtl::TStream& stream) const {
  std::uint8_t e[128] = {};
  const std::size_t length = std::min<std::size_t>(Name.size(), 31);
  for (std::size_t i = 0; i < length; ++i) vuzCryptoWriteUInt(e, static_cast<int>(2 * i), Name[i], 2);
  vuzCryptoWriteUInt(e, 64, static_cast<std::uint32_t>(2 * length + 2), 2);
  std::uint8_t type = 0;
  if (Unused)
    type = 0;
  else if (!Parent)
    type = 5;
  else if (Children.Count() > 0)
    type = 1;
  else
    type = 2;  // a stream, also an empty one (size 0, no sectors)
  e[66] = type;
  e[67] = Colour;
  vuzCryptoWriteUInt(e, 68, static_cast<std::uint32_t>(LeftSibling), 4);
  vuzCryptoWriteUInt(e, 72, static_cast<std::uint32_t>(RightSibling), 4);
  vuzCryptoWriteUInt(e, 76, static_cast<std::uint32_t>(Child), 4);
  vuzCryptoWriteUInt(e, 116, static_cast<std::uint32_t>(StartSector), 4);
  stream.WriteBuffer(e, 128);
}

TCbffDocument::TCbffDocument() : root_(u"Root Entry") {}

void TCbffDocument::Flush(rtl::TStream& output) {
  TCbffStream big(9), mini(6);
  TBlockStream directory(9);
  std::uint8_t header[512] = {};
  static const std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header, kSignature, 8);
  vuzCryptoWriteUInt(header, 24, 0x003E, 2);
  vuzCryptoWriteUInt(header, 26, 3, 2);
  vuzCryptoWriteUInt(header, 28, 0xFFFE, 2);
  vuzCryptoWriteUInt(header, 30, 9, 2);
  vuzCryptoWriteUInt(header, 32, 6, 2);
  vuzCryptoWriteUInt(header, 56, static_cast<std::uint32_t>(kMiniCutoff), 4);

  std::vector<TCbffDir*> entries;
  ListPreOrder(root_, entries);
  for (TCbffDir* d : entries) d->LeftSibling = d->RightSibling = d->Child = -1;
  for (TCbffDir* d : entries) {
    if (d->Next) d->Next->LeftSibling = d->Index;
    if (d->Parent) d->Parent->Child = d->Index;
  }
  for (TCbffDir* d : entries) d->Flush(directory);
  if (directory.Size() % 512 != 0) {
    const auto fillers = static_cast<int>((512 - directory.Size() % 512) / 128);
    for (int k = fillers - 1; k >= 0; --k) {
      rtl::WideString name = u"Stub";
      for (char c : std::to_string(k)) name += static_cast<char16_t>(c);
      TCbffDir filler(name);
      filler.Unused = true;
      filler.Flush(directory);
    }
  }
  for (std::size_t i = 1; i < entries.size(); ++i) {
    TCbffDir* d = entries[i];
    const std::int64_t size = d->Data.Size();
    d->StartSector =
        size < kMiniCutoff ? mini.WriteStream(d->Data.Memory(), size) : big.WriteStream(d->Data.Memory(), size);
  }
  root_.StartSector = kEndOfChain;
  if (mini.Data.Size() > 0) root_.StartSector = big.WriteStream(mini.Data.Memory(), mini.Data.Size());
  auto patch = [&directory](const TCbffDir& d, std::int64_t size) {
    char* e = directory.Memory() + std::int64_t{d.Index} * 128;
    vuzCryptoWriteUInt(e, 116, static_cast<std::uint32_t>(d.StartSector), 4);
    vuzCryptoWriteUInt(e, 120, static_cast<std::uint32_t>(size & 0xFFFFFFFF), 4);
  };
  patch(root_, mini.Data.Size());
  for (std::size_t i = 1; i < entries.size(); ++i) patch(*entries[i], entries[i]->Data.Size());
  vuzCryptoWriteUInt(header, 48, static_cast<std::uint32_t>(big.WriteStream(directory.Memory(), directory.Size())), 4);
  if (mini.Fat.Size() > 0) {
    const std::int64_t miniFatSize = mini.Fat.Size();
    vuzCryptoWriteUInt(header, 60, static_cast<std::uint32_t>(big.WriteStream(mini.Fat.Memory(), miniFatSize)), 4);
    vuzCryptoWriteUInt(header, 64, static_cast<std::uint32_t>((miniFatSize + 511) / 512), 4);
  } else {
    vuzCryptoWriteUInt(header, 60, static_cast<std::uint32_t>(kEndOfChain), 4);
    vuzCryptoWriteUInt(header, 64, 0, 4);
  }
  // FAT and DIFAT sectors are listed in the FAT itself: find a fixed point.
  const std::int64_t fatBytes = big.Fat.Size();
  std::int64_t fatSectors = 0, difatSectors = 0;
  for (std::int64_t total = fatBytes;;) {
    const std::int64_t f = (total + 511) / 512;
    const std::int64_t d = f > 109 ? (f - 109 + 126) / 127 : 0;
    const std::int64_t next = fatBytes + 4 * (f + d);
    if (next == total) {
      fatSectors = f;
      difatSectors = d;
      break;
    }
    total = next;
  }
  const std::int64_t firstFatSector = big.Data.GetCurrentBlock();
  big.Fat.Seek(0, rtl::soEnd);
  for (std::int64_t i = 0; i < fatSectors; ++i) big.Fat.Imm(static_cast<std::uint32_t>(kFatSector), 4);
  for (std::int64_t i = 0; i < difatSectors; ++i) big.Fat.Imm(static_cast<std::uint32_t>(kDifatSector), 4);
  big.Fat.EndBlock(0xFF);
  VUZ_ASSERT(big.Fat.Size() == fatSectors * 512, "", kUnit);
  vuzCryptoWriteUInt(header, 44, static_cast<std::uint32_t>(fatSectors), 4);
  big.Data.Seek(0, rtl::soEnd);
  big.Data.WriteBuffer(big.Fat.Memory(), big.Fat.Size());
  for (int i = 0; i < 109; ++i) {
    const std::uint32_t sector = i < fatSectors ? static_cast<std::uint32_t>(firstFatSector + i) : 0xFFFFFFFFu;
    vuzCryptoWriteUInt(header, 76 + 4 * i, sector, 4);
  }
  if (difatSectors == 0) {
    vuzCryptoWriteUInt(header, 68, static_cast<std::uint32_t>(kEndOfChain), 4);
    vuzCryptoWriteUInt(header, 72, 0, 4);
  } else {
    const std::int64_t firstDifat = big.Data.GetCurrentBlock();
    vuzCryptoWriteUInt(header, 68, static_cast<std::uint32_t>(firstDifat), 4);
    vuzCryptoWriteUInt(header, 72, static_cast<std::uint32_t>(difatSectors), 4);
    std::int64_t next = 109;
    for (std::int64_t s = 0; s < difatSectors; ++s) {
      std::uint8_t sector[512];
      std::memset(sector, 0xFF, sizeof sector);
      for (int k = 0; k < 127 && next < fatSectors; ++k, ++next)
        vuzCryptoWriteUInt(sector, 4 * k, static_cast<std::uint32_t>(firstFatSector + next), 4);
      const std::uint32_t link = s + 1 < difatSectors ? static_cast<std::uint32_t>(firstDifat + s + 1)
                                                      : static_cast<std::uint32_t>(kEndOfChain);
      vuzCryptoWriteUInt(sector, 508, link, 4);
      big.Data.WriteBuffer(sector, 512);
    }
  }
  output.WriteBuffer(header, 512);
  output.WriteBuffer(big.Data.Memory(), big.Data.Size());
}

}  // namespace report
