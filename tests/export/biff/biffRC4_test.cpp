// Workbook encryption: the FILEPASS record, re-keying every 1,024 bytes of the
// stream, what stays readable, and independent readers (a Python decryption,
// xlrd, LibreOffice with and without the password).
#include "export/biff/biffRC4.h"

#include <gtest/gtest.h>

#include "export/biff/biffWorkbook.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using bifftest::Records;

std::string Utf16(const WideString& s) {
  std::string out;
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(BiffRC4, FilePassRecordAndSalts) {
  TBiffRC4 a(std::string("seed")), b(std::string("seed")), c;
  const std::string pw = Utf16(u"secret");
  a.Prepare(pw.data(), static_cast<int>(pw.size()));
  b.Prepare(pw.data(), static_cast<int>(pw.size()));
  c.Prepare(pw.data(), static_cast<int>(pw.size()));
  TBiffStream stream(false);
  a.Flush(stream);
  const auto recs = Records(bifftest::Bytes(stream));
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].id, 0x002F);
  ASSERT_EQ(recs[0].payload.size(), 54u);
  EXPECT_EQ(bifftest::Hex(recs[0].payload.substr(0, 6)), "01 00 01 00 01 00");
  EXPECT_EQ(a.Salt(), b.Salt());
  EXPECT_EQ(a.Verifier(), b.Verifier());
  EXPECT_NE(a.Salt(), c.Salt());  // the system's random source
  // Preparing again keeps the clear verifier: the result is the same.
  const auto verifier = a.Verifier();
  a.Prepare(pw.data(), static_cast<int>(pw.size()));
  EXPECT_EQ(a.Verifier(), verifier);
}

TEST(BiffRC4, KeyChangesAtEveryBlockBoundary) {
  const std::string pw = Utf16(u"pw");
  TBiffRC4 stream(std::string("s")), manual(std::string("s"));
  stream.Prepare(pw.data(), static_cast<int>(pw.size()));
  manual.Prepare(pw.data(), static_cast<int>(pw.size()));
  // 1,000 bytes starting 100 bytes before the boundary of block 3.
  std::string data(1000, 'a'), expected(1000, 'a');
  stream.Initialize(0);
  stream.EncryptEx(nullptr, 3 * 1024 - 100);
  stream.EncryptEx(data.data(), 1000);
  manual.Initialize(2);
  manual.Encrypt(nullptr, 1024 - 100);
  manual.Encrypt(expected.data(), 100);
  manual.Initialize(3);
  manual.Encrypt(expected.data() + 100, 900);
  EXPECT_EQ(data, expected);
  EXPECT_EQ(stream.CurrentBlock(), 3u);
}

// A stream with FILEPASS, encrypted in place: headers and the clear parts stay.
struct EncryptedStream {
  std::string plain, encrypted;
  explicit EncryptedStream(const WideString& password) {
    TBiffRC4 rc4(std::string("fixed"));
    const std::string pw = Utf16(password);
    rc4.Prepare(pw.data(), static_cast<int>(pw.size()));
    TBiffStream stream(false);
    stream.AddBOF(0x0005);
    rc4.Flush(stream);
    stream.Add(0x00E1).WriteConst(1200, 2);
    TBiffRecord bound = stream.Add(0x0085);
    bound.WriteConst(0x12345678, 4);
    bound.WriteConst(0x0000, 2);
    for (int i = 0; i < 40; ++i) {
      TBiffRecord r = stream.Add(0x0203);
      std::string payload(static_cast<std::size_t>(14 + i * 7), static_cast<char>(i));
      r.Write(payload.data(), static_cast<int>(payload.size()));
    }
    stream.Add(0x0040);  // empty payload
    std::string big(9000, 'z');
    stream.Add(0x00EB).Write(big.data(), 9000);
    stream.AddEOF();
    plain = bifftest::Bytes(stream);
    rc4.EncryptStream(stream);
    encrypted = bifftest::Bytes(stream);
  }
};

TEST(BiffRC4, HeadersAndClearPartsStayReadable) {
  EncryptedStream s(u"pw");
  const auto plain = Records(s.plain), enc = Records(s.encrypted);
  ASSERT_EQ(plain.size(), enc.size());
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(plain[i].id, enc[i].id);
    EXPECT_EQ(plain[i].payload.size(), enc[i].payload.size());
    switch (plain[i].id) {
      case 0x0809:
      case 0x002F:
      case 0x00E1: EXPECT_EQ(plain[i].payload, enc[i].payload); break;
      case 0x0085:
        EXPECT_EQ(plain[i].payload.substr(0, 4), enc[i].payload.substr(0, 4));
        EXPECT_NE(plain[i].payload.substr(4), enc[i].payload.substr(4));
        break;
      default:
        if (!plain[i].payload.empty()) {
          EXPECT_NE(plain[i].payload, enc[i].payload) << i;
        }
    }
  }
}

// The published scheme written once more, in Python: derive the key, check
// the verifier, decrypt every record by its stream position.
TEST(BiffRC4, PythonDecryptionRestoresTheStream) {
  ScratchFolder folder;
  EncryptedStream s(u"\u043F\u0430\u0440\u043E\u043B\u044C");
  bifftest::WriteText(folder.File("plain.bin"), s.plain);
  bifftest::WriteText(folder.File("enc.bin"), s.encrypted);
  const std::string script = R"PY(
import sys, hashlib, struct
plain = open(sys.argv[1], "rb").read(); enc = bytearray(open(sys.argv[2], "rb").read())
password = "\u043f\u0430\u0440\u043e\u043b\u044c".encode("utf-16-le")
def rc4(key):
    S = list(range(256)); j = 0
    for i in range(256):
        j = (j + S[i] + key[i % len(key)]) % 256; S[i], S[j] = S[j], S[i]
    i = j = 0
    while True:
        i = (i + 1) % 256; j = (j + S[i]) % 256; S[i], S[j] = S[j], S[i]
        yield S[(S[i] + S[j]) % 256]
def records(data):
    pos = 0
    while pos + 4 <= len(data):
        rid, size = struct.unpack_from("<HH", data, pos); yield pos, rid, size; pos += 4 + size
fp = [r for r in records(enc) if r[1] == 0x2F][0]
salt = bytes(enc[fp[0] + 10: fp[0] + 26]); verifier = bytes(enc[fp[0] + 26: fp[0] + 42]); vhash = bytes(enc[fp[0] + 42: fp[0] + 58])
h = hashlib.md5(password).digest()[:5]
base = hashlib.md5((h + salt) * 16).digest()[:5]
def key(block): return hashlib.md5(base + struct.pack("<I", block)).digest()
ks = rc4(key(0)); v = bytes(b ^ next(ks) for b in verifier); vh = bytes(b ^ next(ks) for b in vhash)
ok = hashlib.md5(v).digest() == vh
out = bytearray(enc)
for pos, rid, size in records(enc):
    clear = size if rid in (0x809, 0x2F, 0xE1, 0x138, 0x194, 0x195, 0x196) else (4 if rid == 0x85 else 0)
    for k in range(pos + 4 + clear, pos + 4 + size):
        block, offset = divmod(k, 1024)
        # One key stream per block, started at its first byte.
        stream = rc4(key(block))
        for _ in range(offset): next(stream)
        out[k] = enc[k] ^ next(stream)
print("verifier ok" if ok else "verifier wrong", "stream ok" if bytes(out) == plain else "stream differs")
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, script, folder.File("plain.bin") + " " + folder.File("enc.bin")),
            "verifier ok stream ok\n");
}

std::unique_ptr<TBiffWorkbook> SecretWorkbook(const WideString& password) {
  auto book = std::make_unique<TBiffWorkbook>();
  auto sheet = std::make_unique<TBiffSheet>(book.get());
  sheet->Name = u"Secret";
  for (int r = 0; r < 200; ++r) {
    auto c = std::make_unique<TBiffTextCell>(book->AddString(u"row " + WideString(1, char16_t(u'A' + r % 26))));
    c->Row = r;
    sheet->AddCell(std::move(c));
    auto n = std::make_unique<TBiffNumberCell>(r * 1.5);
    n->Row = r;
    n->Col = 1;
    sheet->AddCell(std::move(n));
  }
  book->AddSheet(std::move(sheet));
  book->SetPassword(password);
  return book;
}

TEST(BiffRC4, XlrdReportsTheWorkbookEncrypted) {
  if (!bifftest::HavePythonModule("xlrd")) GTEST_SKIP() << "xlrd (Debian python3-xlrd) missing";
  ScratchFolder folder;
  auto book = SecretWorkbook(u"secret");
  bifftest::WriteText(folder.File("secret.xls"), bifftest::WorkbookFile(*book, true));
  const std::string script = R"PY(
import sys, xlrd
try:
    xlrd.open_workbook(sys.argv[1]); print("opened")
except xlrd.XLRDError as e:
    print(e)
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, script, folder.File("secret.xls")), "Workbook is encrypted\n");
}

TEST(BiffRC4, LibreOfficeOpensItOnlyWithThePassword) {
  if (!bifftest::HaveCalc() || !bifftest::HavePythonModule("uno"))
    GTEST_SKIP() << "LibreOffice Calc or its Python bridge (Debian python3-uno) missing";
  ScratchFolder folder;
  auto book = SecretWorkbook(u"secret");
  bifftest::WriteText(folder.File("secret.xls"), bifftest::WorkbookFile(*book, false));
  const std::string body = R"PY(
    def read(password):
        doc = load(password)
        if doc == "refused": return doc
        sheet = doc.Sheets.getByIndex(0)
        text = "%s %s" % (sheet.getCellByPosition(0, 2).getString(), sheet.getCellByPosition(1, 3).getValue())
        doc.close(True)
        return text
    print(read(None), "|", read("wrong"), "|", read("secret"))
)PY";
  EXPECT_EQ(bifftest::CalcUno(folder, folder.File("secret.xls"), body), "refused | refused | row C 4.5\n");
}

}  // namespace
