// The EMF file format: writing, reading back, and refusing damaged files.
#include <gtest/gtest.h>

#include <random>

#include "external_tools.h"
#include "platform/gfx/emf_format.h"
#include "sample_metafile.h"

using namespace gfx::emf;
using gfx_test::SampleDocument;

TEST(EmfFormat, SerializedHeaderDescribesTheFile) {
  Document doc = SampleDocument();
  std::string bytes = doc.Serialize();
  gfx::bytes::Reader r(bytes);
  EXPECT_EQ(r.U32(0), EMR_HEADER);
  EXPECT_EQ(r.U32(kSignatureOffset), kSignature);
  EXPECT_EQ(r.U32(48), bytes.size()) << "nBytes";
  EXPECT_EQ(r.U32(52), doc.records.size() + 2) << "nRecords counts header and EOF";
  EXPECT_EQ(r.U16(56), 7) << "nHandles: objects 1..6 plus the reserved 0";
  EXPECT_EQ(r.U32(r.U32(4) + 0 + 0), doc.records.front().Type()) << "records follow the header";
  // EOF closes the file and repeats its own size in its last field.
  EXPECT_EQ(r.U32(bytes.size() - 20), EMR_EOF);
  EXPECT_EQ(r.U32(bytes.size() - 4), 20u);
  EXPECT_TRUE(LooksLikeEmf(bytes));
}

TEST(EmfFormat, ParseGivesBackWhatWasSerialized) {
  Document doc = SampleDocument();
  Document back = Document::Parse(doc.Serialize());
  EXPECT_EQ(back.header.frame, doc.header.frame);
  EXPECT_EQ(back.header.bounds, doc.header.bounds);
  EXPECT_EQ(back.header.device, doc.header.device);
  EXPECT_EQ(back.header.millimeters, doc.header.millimeters);
  EXPECT_EQ(back.header.description, doc.header.description + u'\0');
  ASSERT_EQ(back.records.size(), doc.records.size());
  for (std::size_t i = 0; i < doc.records.size(); ++i) EXPECT_EQ(back.records[i].bytes, doc.records[i].bytes) << i;
  EXPECT_DOUBLE_EQ(back.header.PpiX(), 96.0);
  EXPECT_NEAR(back.header.FrameWidthPx(), 100.0, 0.05);
}

TEST(EmfFormat, RecordsDecodeToWhatWasMade) {
  std::uint32_t index = 0;
  LogPen pen{PS_DASH | PS_GEOMETRIC | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 4, 0x123456, {}};
  EXPECT_EQ(DecodeCreatePen(MakeCreatePen(7, pen), &index), pen);
  EXPECT_EQ(index, 7u);
  LogPen user{PS_USERSTYLE | PS_GEOMETRIC, 2, 0xABCDEF, {6, 2, 1, 2}};
  EXPECT_EQ(DecodeCreatePen(MakeCreatePen(3, user), &index), user);
  LogPen cosmetic{PS_DOT, 0, 0x00FF00, {}};
  Record cosmeticRec = MakeCreatePen(2, cosmetic);
  EXPECT_EQ(cosmeticRec.Type(), EMR_CREATEPEN) << "simple pens use the short record";
  EXPECT_EQ(DecodeCreatePen(cosmeticRec, &index), cosmetic);

  LogBrush hatch{BS_HATCHED, 0x0000FF, HS_DIAGCROSS};
  EXPECT_EQ(DecodeCreateBrush(MakeCreateBrush(5, hatch), &index), hatch);

  LogFont font;
  font.height = -13;
  font.weight = 700;
  font.italic = 1;
  font.charSet = RUSSIAN_CHARSET;
  font.escapement = 900;
  font.faceName = u"Times New Roman";
  EXPECT_EQ(DecodeCreateFont(MakeCreateFont(9, font), &index), font);
  EXPECT_EQ(index, 9u);

  std::vector<PointL> small{{1, 2}, {300, -4}, {-32768, 32767}};
  Record poly = MakePoly(EMR_POLYGON16, small, {-32768, -4, 300, 32767});
  EXPECT_EQ(poly.Type(), EMR_POLYGON16);
  EXPECT_EQ(DecodePoly(poly), small);
  std::vector<PointL> large{{0, 0}, {40000, 5}, {7, -70000}};
  Record poly32 = MakePoly(EMR_POLYLINE16, large, {0, -70000, 40000, 5});
  EXPECT_EQ(poly32.Type(), EMR_POLYLINE) << "coordinates beyond 16 bits need the 32-bit record";
  EXPECT_EQ(DecodePoly(poly32), large);

  std::vector<std::vector<PointL>> polys{{{0, 0}, {10, 0}, {10, 10}}, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}};
  EXPECT_EQ(DecodePolyPoly(MakePolyPolygon(polys, {0, 0, 10, 10})), polys);

  std::u16string text = u"Дата, °C";
  std::vector<std::int32_t> dx{7, 7, 7, 4, 4, 5, 6, 8};
  TextOut t = DecodeExtTextOut(MakeExtTextOutW({1, 2, 50, 20}, {3, 4}, text, ETO_OPAQUE, {1, 2, 50, 20}, dx));
  EXPECT_EQ(t.text, text);
  EXPECT_EQ(t.dx, dx);
  EXPECT_EQ(t.reference, (PointL{3, 4}));
  EXPECT_EQ(t.options, static_cast<std::uint32_t>(ETO_OPAQUE));
  EXPECT_EQ(t.bounds, (RectL{1, 2, 50, 20}));

  std::string bmi(40, '\0'), bits(16, 'x');
  Record blit = MakeStretchDIBits({5, 6, 24, 25}, {5, 6, 25, 26}, SourceRect{1, 1, 2, 2}, bmi, bits, SRCCOPY);
  Blit b = DecodeBlit(blit);
  EXPECT_EQ(b.xDest, 5);
  EXPECT_EQ(b.cxDest, 20);
  EXPECT_EQ(b.cySrc, 2);
  EXPECT_EQ(b.bmi, bmi);
  EXPECT_EQ(b.bits, bits);
  Blit pat = DecodeBlit(MakePatBlt({0, 0, 9, 9}, {0, 0, 10, 10}, PATCOPY));
  EXPECT_TRUE(pat.bmi.empty());
  EXPECT_EQ(pat.cxDest, 10);
}

TEST(EmfFormat, DamagedFilesAreRefused) {
  std::string good = SampleDocument().Serialize();
  // Every cut of a valid file is refused: the EOF record is missing.
  for (std::size_t len = 0; len < good.size(); len += 4)
    EXPECT_THROW(Document::Parse(std::string_view(good).substr(0, len)), gfx::EMetafileFormat) << len;

  struct Case {
    const char* what;
    std::size_t offset;  // of a 32-bit field to overwrite
    std::uint32_t value;
  };
  std::size_t firstRecord = gfx::bytes::Reader(good).U32(4);
  const Case cases[] = {
      {"not a header", 0, EMR_EOF},
      {"wrong signature", kSignatureOffset, 0x12345678},
      {"header larger than the file", 4, 0x7FFFFFF0},
      {"header too small", 4, 40},
      {"record size zero", firstRecord + 4, 0},
      {"record size below its header", firstRecord + 4, 4},
      {"record size beyond the file", firstRecord + 4, 0xFFFFFFF0},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    for (int i = 0; i < 4; ++i) bad[c.offset + i] = static_cast<char>(c.value >> (8 * i));
    EXPECT_THROW(Document::Parse(bad), gfx::EMetafileFormat) << c.what;
  }
}

TEST(EmfFormat, GarbageNeverReadsOutOfRange) {
  // Random bytes behind a valid header: every record either parses or the
  // file is refused; decoding any parsed record stays within it.
  std::mt19937 rng(12345);
  std::string head = SampleDocument().Serialize().substr(0, 108);
  for (int round = 0; round < 300; ++round) {
    std::string data = head;
    std::size_t n = rng() % 400;
    for (std::size_t i = 0; i < n; ++i) data.push_back(static_cast<char>(rng()));
    // Make some records plausible so the decoders see them.
    if (n >= 8) {
      gfx::bytes::Writer w;
      w.U32(2 + rng() % 100);
      w.U32(8 + 4 * (rng() % 30));
      data.replace(108, 8, w.Data());
    }
    try {
      Document doc = Document::Parse(data);
      for (const Record& rec : doc.records) {
        std::uint32_t index;
        try {
          switch (rec.Type()) {
            case EMR_CREATEPEN:
            case EMR_EXTCREATEPEN: DecodeCreatePen(rec, &index); break;
            case EMR_EXTCREATEFONTINDIRECTW: DecodeCreateFont(rec, &index); break;
            case EMR_EXTTEXTOUTW:
            case EMR_EXTTEXTOUTA: DecodeExtTextOut(rec); break;
            case EMR_POLYGON16:
            case EMR_POLYGON: DecodePoly(rec); break;
            case EMR_POLYPOLYGON16: DecodePolyPoly(rec); break;
            case EMR_STRETCHDIBITS:
            case EMR_BITBLT: DecodeBlit(rec); break;
            default: break;
          }
        } catch (const gfx::EMetafileFormat&) {
        }
      }
    } catch (const gfx::EMetafileFormat&) {
    }
  }
}

TEST(EmfFormat, ShortRecordsRaiseInsteadOfReading) {
  const std::uint32_t types[] = {EMR_CREATEPEN, EMR_EXTCREATEPEN, EMR_CREATEBRUSHINDIRECT, EMR_EXTCREATEFONTINDIRECTW,
                                 EMR_POLYGON16, EMR_POLYPOLYGON,  EMR_EXTTEXTOUTW,         EMR_STRETCHDIBITS,
                                 EMR_BITBLT};
  for (std::uint32_t type : types) {
    RecordBuilder b(type);
    b.W().U32(1);
    b.W().U32(0xFFFFFFFF);  // a count or offset that points far away
    Record rec = b.Finish();
    std::uint32_t index;
    EXPECT_THROW(
        {
          switch (type) {
            case EMR_CREATEPEN:
            case EMR_EXTCREATEPEN: DecodeCreatePen(rec, &index); break;
            case EMR_CREATEBRUSHINDIRECT: DecodeCreateBrush(rec, &index); break;
            case EMR_EXTCREATEFONTINDIRECTW: DecodeCreateFont(rec, &index); break;
            case EMR_POLYGON16: DecodePoly(rec); break;
            case EMR_POLYPOLYGON: DecodePolyPoly(rec); break;
            case EMR_EXTTEXTOUTW: DecodeExtTextOut(rec); break;
            default: DecodeBlit(rec); break;
          }
        },
        gfx::EMetafileFormat)
        << type;
  }
  // A text whose dx array lies outside the record keeps its text, drops dx.
  Record t = MakeExtTextOutW({}, {0, 0}, u"ab", 0, {}, {5, 5});
  t.bytes.resize(t.bytes.size() - 8);
  gfx::bytes::Writer w;
  w.U32(static_cast<std::uint32_t>(t.bytes.size()));
  t.bytes.replace(4, 4, w.Data());
  TextOut decoded = DecodeExtTextOut(t);
  EXPECT_EQ(decoded.text, u"ab");
  EXPECT_TRUE(decoded.dx.empty());
}

TEST(EmfFormat, LibreOfficeRendersOurFile) {
  std::string soffice = support::FindTool("soffice"), convert = support::FindTool("convert");
  if (soffice.empty() || convert.empty())
    GTEST_SKIP() << "needs soffice (libreoffice-draw-nogui) and convert (imagemagick)";
  support::ScratchFolder dir;
  std::string emf = dir.File("sample.emf");
  support::WriteFile(emf, SampleDocument().Serialize());
  std::string png = gfx_test::ConvertWithLibreOffice(soffice, dir, emf);
  ASSERT_FALSE(png.empty()) << "LibreOffice did not convert the EMF";
  gfx_test::RgbImage img = gfx_test::ReadWithImageMagick(convert, png, dir.File("out.ppm"));
  ASSERT_FALSE(img.Empty());
  gfx_test::ExpectSampleRendered(img);
}
