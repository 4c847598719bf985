// Drawing records: the picture store with shared pictures, shape ids and
// their clusters, the records' bytes, and pictures LibreOffice finds.
#include "export/biff/biffEscher.h"

#include <gtest/gtest.h>

#include <set>

#include "export/biff/biffWorkbook.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using bifftest::Hex;
using bifftest::U;

std::string Bytes(TEscherStream& tree) {
  rtl::TMemoryStream out;
  tree.Flush(out);
  return out.Bytes();
}

std::unique_ptr<TEscherPicture> Png(const std::string& bytes) {
  auto p = std::make_unique<TEscherBitmap>(6);
  p->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  return p;
}

TEST(Escher, SamePictureIsStoredOnce) {
  TBiffWorkbook book;
  EXPECT_EQ(book.AddBlip(Png("picture one")), 0);
  EXPECT_EQ(book.AddBlip(Png("picture one")), 0);
  EXPECT_EQ(book.AddBlip(Png("picture two")), 1);
  EXPECT_EQ(book.Pictures().GetImage(0)->RefCount, 2);
  EXPECT_EQ(book.Pictures().GetImage(2), nullptr);
  std::uint8_t md5[16];
  rtl::TMemoryStream s(std::string("picture one"));
  EscherGetBlipHash(md5, s);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(md5), 16),
            std::string(reinterpret_cast<const char*>(book.Pictures().GetImage(0)->Id.data()), 16));
}

TEST(Escher, ShapeIdsOfASecondDrawing) {
  TEscherStorage storage;
  storage.AddGroup();
  TEscherGroup* g = storage.AddGroup();
  for (int i = 0; i < 3; ++i) g->Add();
  EXPECT_EQ(g->GetShape(0)->Id, 2049);
  EXPECT_EQ(g->GetShape(2)->Id, 2051);
  EXPECT_EQ(g->GetRId(), 2048);
  EXPECT_EQ(g->GetMaxSId(), 2052);
  TEscherStream tree;
  g->Flush(tree);
  const std::string b = Bytes(tree);
  // Drawing container, then the drawing data: 4 shapes, last id 2051.
  EXPECT_EQ(Hex(b.substr(0, 4)), "0F 00 02 F0");
  EXPECT_EQ(Hex(b.substr(8, 16)), "20 00 08 F0 08 00 00 00 04 00 00 00 03 08 00 00");
  EXPECT_EQ(U(b, 4, 4), b.size() - 8);
}

TEST(Escher, ManyPicturesTakeFurtherIdClusters) {
  TEscherStorage storage;
  TEscherGroup* first = storage.AddGroup();
  TEscherGroup* second = storage.AddGroup();
  std::set<int> ids;
  for (int i = 0; i < 1100; ++i) EXPECT_TRUE(ids.insert(first->Add()->Id).second);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(ids.insert(second->Add()->Id).second);
  EXPECT_EQ(first->Clusters(), (std::vector<int>{1, 3}));
  EXPECT_EQ(first->GetShape(1022)->Id, 2047);
  EXPECT_EQ(first->GetShape(1023)->Id, 3072);
  EXPECT_LT(second->GetShape(9)->Id, 3072);
  TEscherStream tree;
  storage.Flush(tree);
  const std::string b = Bytes(tree);
  // Drawing-group data: 3 clusters (+1), 1112 shapes, 2 drawings; then per cluster its drawing and use.
  EXPECT_EQ(U(b, 16, 4), 4u * 1024 + 1);
  EXPECT_EQ(U(b, 20, 4), 4u);
  EXPECT_EQ(U(b, 24, 4), 1112u);
  EXPECT_EQ(U(b, 28, 4), 2u);
  EXPECT_EQ(Hex(b.substr(32, 24)), "01 00 00 00 00 04 00 00 02 00 00 00 0B 00 00 00 01 00 00 00 4D 00 00 00");
}

TEST(Escher, PropertiesSortAndStoreRecords) {
  TEscherPropList props;
  props.Add(448).Value = 3;
  props.Add(191).Value = 1;
  props.Add(385).Value = 2;
  TEscherStream tree;
  props.Flush(tree);
  EXPECT_EQ(Hex(Bytes(tree)), "33 00 0B F0 12 00 00 00 BF 00 01 00 00 00 81 01 02 00 00 00 C0 01 03 00 00 00");
  TEscherStorage storage;
  storage.AddImage(Png("abc"));
  storage.AddGroup()->Add();
  TEscherStream all;
  storage.Flush(all);
  const std::string b = Bytes(all);
  // The store entry: version 2, instance 6 (PNG), then its picture record 0xF01E with instance 0x6E0.
  const auto at = b.find(std::string("\x62\x00\x07\xF0", 4));
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(U(b, at + 4, 4), 36u + 8 + 16 + 1 + 3);
  EXPECT_EQ(U(b, at + 8 + 20, 4), 1u + 3 + 24);  // the picture record with its header and id
  EXPECT_EQ(Hex(b.substr(at + 44, 4)), "00 6E 1E F0");
  // A metafile: 34-byte header (sizes, bounds, EMU size, no compression), then the bytes.
  TBiffWorkbook book;
  book.AddMetafile("EMFDATA", 100, 50);
  TEscherBlip* emf = book.Pictures().GetImage(0);
  EXPECT_EQ(emf->Picture->PictureType, 2);
  EXPECT_EQ(emf->Picture->GetESize(), 7 + 34);
  rtl::TMemoryStream m;
  emf->Picture->Flush(m);
  EXPECT_EQ(Hex(m.Bytes().substr(0, 34)),
            "07 00 00 00 00 00 00 00 00 00 00 00 64 00 00 00 32 00 00 00 "
            "B4 88 0E 00 5A 44 07 00 07 00 00 00 FE FE");
  EXPECT_EQ(EscherGetBlipSign(5), 0x46A);
  EXPECT_EQ(EscherGetBlipSign(9), 0);
}

TEST(Escher, LibreOfficeFindsThePictures) {
  if (!bifftest::HaveCalc() || !bifftest::HavePythonModule("uno"))
    GTEST_SKIP() << "LibreOffice Calc or its Python bridge (Debian python3-uno) missing";
  ScratchFolder folder;
  const std::string png = bifftest::Capture(
      "/usr/bin/python3 -c \"import sys,zlib,struct\n"
      "def chunk(t,d): return struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d))\n"
      "raw=b''.join(b'\\\\x00'+b'\\\\xff\\\\x00\\\\x00'*8 for _ in range(8))\n"
      "sys.stdout.buffer.write(b'\\\\x89PNG\\\\r\\\\n\\\\x1a\\\\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',8,8,8,2,0,0,0))"
      "+chunk(b'IDAT',zlib.compress(raw))+chunk(b'IEND',b''))\"");
  ASSERT_GT(png.size(), 50u);
  TBiffWorkbook book;
  for (int s = 0; s < 2; ++s) {
    auto sheet = std::make_unique<TBiffSheet>(&book);
    sheet->Name = s == 0 ? u"Pictures" : u"More";
    for (int p = 0; p < (s == 0 ? 3 : 1); ++p) {
      TEscherShape* shape = sheet->AddDrawing();
      shape->PictureIndex = book.AddBlip(Png(png));
      shape->Anchor.StartCol = p * 2;
      shape->Anchor.StartRow = 1;
      shape->Anchor.EndCol = p * 2 + 1;
      shape->Anchor.EndRow = 4;
    }
    book.AddSheet(std::move(sheet));
  }
  bifftest::WriteText(folder.File("pictures.xls"), bifftest::WorkbookFile(book, true));
  const std::string body = R"PY(
    doc = load()
    if doc == "refused": print("refused")
    else:
        print([doc.Sheets.getByIndex(i).DrawPage.Count for i in range(2)])
        doc.close(True)
)PY";
  EXPECT_EQ(bifftest::CalcUno(folder, folder.File("pictures.xls"), body), "[3, 1]\n");
}

}  // namespace
