// Office drawing records for the pictures of a workbook: one drawing group
// with the picture store (identical pictures stored once, keyed by the MD5 of
// their bytes) and one drawing per sheet with a picture frame per picture.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/streams.h"

namespace report {

// A record tree: own data plus child records.
class TEscherStream : public rtl::TMemoryStream {
 public:
  class TEscherRec* Add();
  class TEscherRec* Add(int version, int instance, int type);
  class TEscherRec* AddCont(int instance, int type) {
    return Add(15, instance, type);
  }
  void WriteVal(std::uint32_t value, int n);
  // Writes the children (a bare stream has no header of its own).
  virtual void Flush(rtl::TStream& stream);
  virtual std::int64_t GetESize();

 protected:
  TObjList<TEscherRec> children_;
};

class TEscherRec : public TEscherStream {
 public:
  int Version = 0, Instance = 0, Type = 0;
  void Flush(rtl::TStream& stream) override;
  std::int64_t GetESize() override;
};

// Picture types: 2 EMF, 3 WMF, 5 JPEG, 6 PNG, 7 DIB, 8 TIFF.
class TEscherPicture : public rtl::TMemoryStream {
 public:
  explicit TEscherPicture(int type) : PictureType(type) {}
  int PictureType;
  virtual std::int64_t GetESize() = 0;
  virtual void Flush(rtl::TStream& stream) = 0;
};

class TEscherBitmap : public TEscherPicture {
 public:
  using TEscherPicture::TEscherPicture;
  std::int64_t GetESize() override { return Size() + 1; }
  void Flush(rtl::TStream& stream) override;
};

class TEscherMetafile : public TEscherPicture {
 public:
  TEscherMetafile() : TEscherPicture(2) {}
  std::int32_t Bounds[4] = {};  // left, top, right, bottom
  std::int32_t SizeX = 0, SizeY = 0;
  std::int64_t GetESize() override { return Size() + 34; }
  void Flush(rtl::TStream& stream) override;
};

class TEscherBlip {
 public:
  explicit TEscherBlip(std::unique_ptr<TEscherPicture> picture);
  std::array<std::uint8_t, 16> Id{};
  std::unique_ptr<TEscherPicture> Picture;
  int RefCount = 0;
  int Index = 0;
  void Flush(TEscherStream& parent);
};

struct TEscherProp {
  int Id = 0;
  bool PictureId = false, Complex = false;
  std::uint32_t Value = 0;
};

class TEscherPropList {
 public:
  TEscherProp& Add(int id);
  void Flush(TEscherStream& parent) const;
  const std::vector<TEscherProp>& Items() const { return props_; }

 private:
  std::vector<TEscherProp> props_;
};

struct TEscherShapePos {
  int StartCol = 0, StartRow = 0, EndCol = 0, EndRow = 0;
  int StartColOffset = 0, StartRowOffset = 0, EndColOffset = 0, EndRowOffset = 0;
  void Flush(TEscherStream& parent) const;
};

class TEscherShape {
 public:
  int Id = 0;
  std::uint32_t Flags = 0x800;
  int PictureIndex = 0;
  TEscherShapePos Anchor;
  void Flush(TEscherStream& parent) const;
};

class TEscherStorage;

// One sheet's drawing. Its shape ids come from id clusters of 1,024 handed
// out by the storage; the first cluster holds the group shape.
class TEscherGroup {
 public:
  TEscherGroup(TEscherStorage* storage, int drawingId);
  int DrawingId() const { return drawingId_; }
  TEscherShape* Add();
  TEscherShape* GetShape(int i) const { return i >= 0 && i < shapes_.Count() ? shapes_[i] : nullptr; }
  int Count() const { return shapes_.Count(); }
  int GetSId();
  int GetRId() const { return clusters_.front() * 1024; }
  int GetMaxSId() const { return IdOf(sequence_); }
  const std::vector<int>& Clusters() const { return clusters_; }
  int NextSequence() const { return sequence_; }
  void Flush(TEscherStream& parent) const;

 private:
  int IdOf(int sequence) const;

  TEscherStorage* storage_;
  int drawingId_;
  int sequence_ = 1;
  std::vector<int> clusters_;
  TObjList<TEscherShape> shapes_;
};

class TEscherStorage {
 public:
  TEscherStorage();
  TEscherGroup* AddGroup();
  TEscherGroup* GetGroup(int i) const { return i >= 0 && i < groups_.Count() ? groups_[i] : nullptr; }
  TEscherBlip* GetImage(int i) const { return i >= 0 && i < blips_.Count() ? blips_[i] : nullptr; }
  int GroupCount() const { return groups_.Count(); }
  int ImageCount() const { return blips_.Count(); }
  // The stored entry: an earlier one with the same picture bytes, or the new one.
  TEscherBlip* AddImage(std::unique_ptr<TEscherPicture> picture);
  bool Empty() const { return groups_.Count() == 0; }
  void Flush(TEscherStream& parent) const;
  // A new id cluster (1-based) for a drawing.
  int AllocateCluster(int drawingId);

 private:
  TObjList<TEscherGroup> groups_;
  TObjList<TEscherBlip> blips_;
  std::vector<int> clusterOwners_;  // drawing id of each cluster
  TEscherPropList defaults_;
};

int EscherGetBlipSign(int type);
void EscherGetBlipHash(std::uint8_t* out, rtl::TStream& stream);

}  // namespace report
