#include "export/biff/biffEscher.h"

#include <algorithm>
#include <cstring>

#include "export/vuzCrypto.h"

namespace report {

// --- record trees ---------------------------------------------------------------------

TEscherRec* TEscherStream::Add() {
  auto rec = std::make_unique<TEscherRec>();
  TEscherRec* r = rec.get();
  children_.Add(std::move(rec));
  return r;
}

TEscherRec* TEscherStream::Add(int version, int instance, int type) {
  TEscherRec* r = Add();
  r->Version = version;
  r->Instance = instance;
  r->Type = type;
  return r;
}

void TEscherStream::WriteVal(std::uint32_t value, int n) {
  std::uint8_t b[4];
  vuzCryptoWriteUInt(b, 0, value, 4);
  WriteBuffer(b, n);
}

void TEscherStream::Flush(rtl::TStream& stream) {
  for (const auto& c : children_) c->Flush(stream);
}

std::int64_t TEscherStream::GetESize() {
  std::int64_t size = Size();
  for (const auto& c : children_) size += c->GetESize() + 8;
  return size;
}

void TEscherRec::Flush(rtl::TStream& stream) {
  std::uint8_t header[8];
  vuzCryptoWriteUInt(header, 0, static_cast<std::uint32_t>((Version & 0xF) | (Instance << 4)), 2);
  vuzCryptoWriteUInt(header, 2, static_cast<std::uint32_t>(Type), 2);
  vuzCryptoWriteUInt(header, 4, static_cast<std::uint32_t>(GetESize()), 4);
  stream.WriteBuffer(header, 8);
  if (Size() > 0) stream.WriteBuffer(Memory(), Size());
  TEscherStream::Flush(stream);
}

std::int64_t TEscherRec::GetESize() { return TEscherStream::GetESize(); }

// --- pictures -----------------------------------------------------------------------------

void TEscherBitmap::Flush(rtl::TStream& stream) {
  const std::uint8_t tag = 0xFF;
  stream.WriteBuffer(&tag, 1);
  if (Size() > 0) stream.WriteBuffer(Memory(), Size());
}

void TEscherMetafile::Flush(rtl::TStream& stream) {
  std::uint8_t h[34];
  const auto size = static_cast<std::uint32_t>(Size());
  vuzCryptoWriteUInt(h, 0, size, 4);
  for (int i = 0; i < 4; ++i) vuzCryptoWriteUInt(h, 4 + 4 * i, static_cast<std::uint32_t>(Bounds[i]), 4);
  vuzCryptoWriteUInt(h, 20, static_cast<std::uint32_t>(SizeX), 4);
  vuzCryptoWriteUInt(h, 24, static_cast<std::uint32_t>(SizeY), 4);
  vuzCryptoWriteUInt(h, 28, size, 4);
  h[32] = 0xFE;
  h[33] = 0xFE;
  stream.WriteBuffer(h, 34);
  if (Size() > 0) stream.WriteBuffer(Memory(), Size());
}

int EscherGetBlipSign(int type) {
  switch (type) {
    case 2: return 0x3D4;
    case 3: return 0x216;
    case 5: return 0x46A;
    case 6: return 0x6E0;
    case 7: return 0x7A8;
    case 8: return 0x6E4;
    default: return 0;
  }
}

void EscherGetBlipHash(std::uint8_t* out, rtl::TStream& stream) {
  const std::string bytes = [&] {
    stream.SetPosition(0);
    return stream.ReadRest();
  }();
  TCryptoHash::Hash("MD5", out, 16, bytes);
}

TEscherBlip::TEscherBlip(std::unique_ptr<TEscherPicture> picture) : Picture(std::move(picture)) {
  EscherGetBlipHash(Id.data(), *Picture);
}

void TEscherBlip::Flush(TEscherStream& parent) {
  TEscherRec* entry = parent.Add(2, Picture->PictureType, 0xF007);
  entry->WriteVal(static_cast<std::uint32_t>(Picture->PictureType), 1);
  entry->WriteVal(static_cast<std::uint32_t>(Picture->PictureType), 1);
  entry->WriteBuffer(Id.data(), 16);
  entry->WriteVal(0, 2);
  entry->WriteVal(static_cast<std::uint32_t>(Picture->GetESize() + 24), 4);
  entry->WriteVal(static_cast<std::uint32_t>(RefCount), 4);
  entry->WriteVal(0, 4);
  entry->WriteVal(0, 4);
  TEscherRec* pic = entry->Add(0, EscherGetBlipSign(Picture->PictureType), (Picture->PictureType - 4072) & 0xFFFF);
  pic->WriteBuffer(Id.data(), 16);
  Picture->Flush(*pic);
}

// --- properties, anchors, shapes ---------------------------------------------------------

TEscherProp& TEscherPropList::Add(int id) {
  auto at = std::upper_bound(props_.begin(), props_.end(), id, [](int v, const TEscherProp& p) { return v < p.Id; });
  return *props_.insert(at, TEscherProp{id, false, false, 0});
}

void TEscherPropList::Flush(TEscherStream& parent) const {
  if (props_.empty()) return;
  TEscherRec* r = parent.Add(3, static_cast<int>(props_.size()), 0xF00B);
  for (const auto& p : props_) {
    r->WriteVal(static_cast<std::uint32_t>((p.Id & 0x3FFF) | (p.PictureId ? 0x4000 : 0) | (p.Complex ? 0x8000 : 0)), 2);
    r->WriteVal(p.Value, 4);
  }
}

void TEscherShapePos::Flush(TEscherStream& parent) const {
  TEscherRec* r = parent.Add(0, 0, 0xF010);
  for (int v : {0, StartCol, StartColOffset, StartRow, StartRowOffset, EndCol, EndColOffset, EndRow, EndRowOffset})
    r->WriteVal(static_cast<std::uint32_t>(v), 2);
}

void TEscherShape::Flush(TEscherStream& parent) const {
  TEscherRec* container = parent.AddCont(0, 0xF004);
  TEscherRec* sp = container->Add(2, 75, 0xF00A);
  sp->WriteVal(static_cast<std::uint32_t>(Id), 4);
  sp->WriteVal(Flags, 4);
  TEscherPropList props;
  TEscherProp& pib = props.Add(260);
  pib.PictureId = true;
  pib.Value = static_cast<std::uint32_t>(PictureIndex + 1);
  props.Flush(*container);
  Anchor.Flush(*container);
}

// --- drawings --------------------------------------------------------------------------------

TEscherGroup::TEscherGroup(TEscherStorage* storage, int drawingId) : storage_(storage), drawingId_(drawingId) {
  clusters_.push_back(storage_->AllocateCluster(drawingId));
}

int TEscherGroup::IdOf(int sequence) const {
  return clusters_[static_cast<std::size_t>(sequence / 1024)] * 1024 + sequence % 1024;
}

int TEscherGroup::GetSId() {
  // The 1,024th shape of a cluster would collide with the next drawing's ids.
  if (sequence_ / 1024 >= static_cast<int>(clusters_.size()))
    clusters_.push_back(storage_->AllocateCluster(drawingId_));
  return IdOf(sequence_++);
}

TEscherShape* TEscherGroup::Add() {
  auto shape = std::make_unique<TEscherShape>();
  shape->Id = GetSId();
  TEscherShape* s = shape.get();
  shapes_.Add(std::move(shape));
  return s;
}

void TEscherGroup::Flush(TEscherStream& parent) const {
  TEscherRec* dg = parent.AddCont(0, 0xF002);
  TEscherRec* data = dg->Add(0, drawingId_, 0xF008);
  data->WriteVal(static_cast<std::uint32_t>(Count() + 1), 4);
  data->WriteVal(static_cast<std::uint32_t>(Count() > 0 ? shapes_.Last()->Id : GetRId()), 4);
  TEscherRec* group = dg->AddCont(0, 0xF003);
  TEscherRec* first = group->AddCont(0, 0xF004);
  TEscherRec* bounds = first->Add(1, 0, 0xF009);
  for (int i = 0; i < 4; ++i) bounds->WriteVal(0, 4);
  TEscherRec* sp = first->Add(2, 0, 0xF00A);
  sp->WriteVal(static_cast<std::uint32_t>(GetRId()), 4);
  sp->WriteVal(5, 4);
  for (const auto& s : shapes_) s->Flush(*group);
}

TEscherStorage::TEscherStorage() {
  defaults_.Add(191).Value = 0x00080008;
  defaults_.Add(385).Value = 0x08000041;
  defaults_.Add(448).Value = 0x08000040;
}

int TEscherStorage::AllocateCluster(int drawingId) {
  clusterOwners_.push_back(drawingId);
  return static_cast<int>(clusterOwners_.size());
}

TEscherGroup* TEscherStorage::AddGroup() {
  auto g = std::make_unique<TEscherGroup>(this, groups_.Count() + 1);
  TEscherGroup* result = g.get();
  groups_.Add(std::move(g));
  return result;
}

TEscherBlip* TEscherStorage::AddImage(std::unique_ptr<TEscherPicture> picture) {
  auto blip = std::make_unique<TEscherBlip>(std::move(picture));
  for (const auto& b : blips_)
    if (b->Id == blip->Id) return b.get();
  blip->Index = blips_.Count();
  TEscherBlip* result = blip.get();
  blips_.Add(std::move(blip));
  return result;
}

void TEscherStorage::Flush(TEscherStream& parent) const {
  TEscherRec* dgg = parent.AddCont(0, 0xF000);
  TEscherRec* data = dgg->Add(0, 0, 0xF006);
  const auto clusters = static_cast<std::uint32_t>(clusterOwners_.size());
  std::uint32_t shapes = 0;
  for (const auto& g : groups_) shapes += static_cast<std::uint32_t>(g->Count() + 1);
  data->WriteVal((clusters + 1) * 1024 + 1, 4);
  data->WriteVal(clusters + 1, 4);
  data->WriteVal(shapes, 4);
  data->WriteVal(static_cast<std::uint32_t>(groups_.Count()), 4);
  // One entry per cluster: its drawing and the ids it has used.
  for (std::uint32_t c = 1; c <= clusters; ++c) {
    const int owner = clusterOwners_[c - 1];
    const TEscherGroup* g = groups_[owner - 1];
    const auto& own = g->Clusters();
    const auto at = static_cast<int>(std::find(own.begin(), own.end(), static_cast<int>(c)) - own.begin());
    const int used = std::clamp(g->NextSequence() - at * 1024, 0, 1024);
    data->WriteVal(static_cast<std::uint32_t>(owner), 4);
    data->WriteVal(static_cast<std::uint32_t>(used), 4);
  }
  TEscherRec* store = dgg->AddCont(blips_.Count(), 0xF001);
  for (const auto& b : blips_) b->Flush(*store);
  defaults_.Flush(*dgg);
  TEscherRec* colours = dgg->Add(0, 4, 0xF11E);
  for (std::uint32_t v : {0x0800000Du, 0x0800000Cu, 0x08000017u, 0x100000F7u}) colours->WriteVal(v, 4);
}

}  // namespace report
