#include "export/biff/biffRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/vuzCrypto.h"
#include "platform/gfx/font_engine.h"
#include "platform/rtl/strings.h"

namespace report {

namespace {

// Little-endian payload builder: one Write per record keeps the stream fast.
class PayloadWriter {
 public:
  PayloadWriter& U8(unsigned v) {
    bytes_ += static_cast<char>(v & 0xFF);
    return *this;
  }
  PayloadWriter& U16(unsigned v) { return U8(v).U8(v >> 8); }
  PayloadWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  PayloadWriter& F64(double v) {
    char b[8];
    std::memcpy(b, &v, 8);
    bytes_.append(b, 8);
    return *this;
  }
  PayloadWriter& Raw(const std::string& s) {
    bytes_ += s;
    return *this;
  }
  void WriteTo(TBiffStream& stream, int id) const {
    TBiffRecord r = stream.Add(id);
    if (!bytes_.empty()) r.Write(bytes_.data(), static_cast<int>(bytes_.size()));
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

std::uint32_t JenkinsOf(const std::string& bytes) {
  std::uint8_t digest[4];
  TCryptoHash::Hash("Jenkins", digest, 4, bytes);
  return vuzCryptoReadUInt(digest, 0, 4);
}

}  // namespace

void BiffSetBit(void* field, int n, bool value) {
  auto* p = static_cast<std::uint8_t*>(field) + n / 8;
  const auto mask = static_cast<std::uint8_t>(1u << (n % 8));
  *p = value ? static_cast<std::uint8_t>(*p | mask) : static_cast<std::uint8_t>(*p & ~mask);
}

void TBiffCell::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(static_cast<unsigned>(Row))
      .U16(static_cast<unsigned>(Col))
      .U16(static_cast<unsigned>(XF))
      .WriteTo(stream, 0x0201);
}

void TBiffTextCell::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(static_cast<unsigned>(Row))
      .U16(static_cast<unsigned>(Col))
      .U16(static_cast<unsigned>(XF))
      .U32(static_cast<std::uint32_t>(SstIndex))
      .WriteTo(stream, 0x00FD);
}

void TBiffNumberCell::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(static_cast<unsigned>(Row))
      .U16(static_cast<unsigned>(Col))
      .U16(static_cast<unsigned>(XF))
      .F64(Value)
      .WriteTo(stream, 0x0203);
}

void TBiffRow::Flush(TBiffStream& stream) {
  std::uint8_t options[4] = {};
  options[0] = static_cast<std::uint8_t>(OutlineLevel & 7);
  BiffSetBit(options, 5, Hidden);
  BiffSetBit(options, 6, Height > 0);
  BiffSetBit(options, 8, true);
  const std::uint32_t opts = vuzCryptoReadUInt(options, 0, 4) | (static_cast<std::uint32_t>(XF & 0xFFF) << 16);
  PayloadWriter()
      .U16(static_cast<unsigned>(Index))
      .U16(static_cast<unsigned>(FirstCol))
      .U16(static_cast<unsigned>(LastCol + 1))
      .U16(Height <= 0 ? 0x8000u : static_cast<unsigned>(Height & 0x7FFF))
      .U16(0)
      .U16(0)
      .U32(opts)
      .WriteTo(stream, 0x0208);
}

// --- fonts -------------------------------------------------------------------------

std::string TBiffFont::HashedBytes() const {
  PayloadWriter p;
  p.U32(static_cast<std::uint32_t>(Height))
      .U16(Options)
      .U16(Color)
      .U16(Weight)
      .U8(Escapement)
      .U8(Underline)
      .U8(Family)
      .U8(Charset);
  std::string bytes = p.Bytes();
  for (char16_t c : Name) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::uint32_t TBiffFont::GetHashCode() {
  if (hash_ == 0) hash_ = JenkinsOf(HashedBytes());
  return hash_;
}

bool TBiffFont::Equals(TBiffObject& other) {
  auto* o = dynamic_cast<TBiffFont*>(&other);
  return o && o->GetHashCode() == GetHashCode() && o->HashedBytes() == HashedBytes();
}

void TBiffFont::Flush(TBiffStream& stream) {
  const int height = Height < 20 ? 0 : std::min(Height, 8191);
  PayloadWriter()
      .U16(static_cast<unsigned>(height))
      .U16(Options)
      .U16(Color)
      .U16(Weight)
      .U16(Escapement)
      .U8(Underline)
      .U8(Family)
      .U8(Charset)
      .U8(0)
      .WriteTo(stream, 0x0031);
  TBiffUCS name(Name, false);
  name.CompressionAllowed = false;
  name.Flush(stream);
}

int TBiffFont::StrWidth(const WideString& text) const {
  if (text.empty()) return 0;
  gfx::TFontRequest request;
  request.family = rtl::WideToUtf8(Name);
  request.height = Height / 10;
  request.weight = Weight;
  request.italic = (Options & 0x0002) != 0;
  request.strikeOut = (Options & 0x0008) != 0;
  request.underline = Underline != 0;
  request.charset = Charset;
  const auto font = gfx::TFontInstance::Get(request);
  return font ? font->TextWidth(text) : 0;
}

int TBiffFont::ZeroWidth() const {
  const int measured = StrWidth(u"0");
  if (measured > 0) return measured;
  // About 0.55 em, as in the usual sans-serif faces; height twips / 15 = pixels.
  return std::max(1, static_cast<int>(std::lround(Height / 15.0 * 0.55)));
}

// --- cell formats ------------------------------------------------------------------

std::string TBiffXF::HashedBytes() const {
  PayloadWriter p;
  p.U32(static_cast<std::uint32_t>(Font)).U32(static_cast<std::uint32_t>(Format)).U8(Protection);
  p.U32(static_cast<std::uint32_t>(Parent)).U8(HAlign).U8(Wrap).U8(VAlign).U8(JustifyLast);
  p.U8(Rotation).U8(Indent).U8(Shrink).U8(TextDir).U8(UsedAttrs);
  for (const Border* b : {&Left, &Top, &Right, &Bottom, &Diagonal}) p.U8(b->Style).U8(b->Color);
  p.U8(DiagonalDown).U8(DiagonalUp).U8(Pattern).U16(PatternColor).U16(BackColor);
  return p.Bytes();
}

std::uint32_t TBiffXF::GetHashCode() {
  if (hash_ == 0) hash_ = JenkinsOf(HashedBytes());
  return hash_;
}

bool TBiffXF::Equals(TBiffObject& other) {
  auto* o = dynamic_cast<TBiffXF*>(&other);
  return o && o->GetHashCode() == GetHashCode() && o->HashedBytes() == HashedBytes();
}

std::string TBiffXF::Payload() const {
  const auto bits = [](unsigned v, int width) { return v & ((1u << width) - 1); };
  std::uint32_t borders = bits(Left.Style, 4) | bits(Right.Style, 4) << 4 | bits(Top.Style, 4) << 8 |
                          bits(Bottom.Style, 4) << 12 | bits(Left.Color, 7) << 16 | bits(Right.Color, 7) << 23 |
                          (DiagonalDown ? 1u << 30 : 0u) | (DiagonalUp ? 1u << 31 : 0u);
  std::uint32_t fills = bits(Top.Color, 7) | bits(Bottom.Color, 7) << 7 | bits(Diagonal.Color, 7) << 14 |
                        bits(Diagonal.Style, 4) << 21 | bits(Pattern, 6) << 26;
  auto used = static_cast<std::uint8_t>(bits(UsedAttrs, 6) << 2);
  if (Protection & 4) used = static_cast<std::uint8_t>(~used);
  PayloadWriter p;
  p.U16(bits(static_cast<unsigned>(Font), 16)).U16(bits(static_cast<unsigned>(Format), 16));
  p.U16(bits(Protection, 3) | bits(static_cast<unsigned>(Parent), 12) << 4);
  p.U8(bits(HAlign, 3) | (Wrap ? 8u : 0u) | bits(VAlign, 3) << 4 | (JustifyLast ? 0x80u : 0u));
  p.U8(Rotation);
  p.U8(bits(Indent, 4) | (Shrink ? 0x10u : 0u) | bits(TextDir, 2) << 6);
  p.U8(used).U32(borders).U32(fills);
  p.U16(bits(PatternColor, 7) | bits(BackColor, 7) << 7);
  return p.Bytes();
}

void TBiffXF::Flush(TBiffStream& stream) {
  const std::string bytes = Payload();
  stream.Add(0x00E0).Write(bytes.data(), static_cast<int>(bytes.size()));
}

// --- the rest ----------------------------------------------------------------------

void TBiffStyle::Flush(TBiffStream& stream) {
  if (Name.empty()) {
    PayloadWriter()
        .U16(static_cast<unsigned>(XF) | 0x8000u)
        .U8(Builtin)
        .U8(static_cast<unsigned>(OutlineLevel))
        .WriteTo(stream, 0x0293);
    return;
  }
  PayloadWriter().U16(static_cast<unsigned>(XF) & 0x7FFFu).WriteTo(stream, 0x0293);
  TBiffUCS(Name, true).Flush(stream);
}

void TBiffColInfo::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(static_cast<unsigned>(FirstCol))
      .U16(static_cast<unsigned>(LastCol))
      .U16(static_cast<unsigned>(Width))
      .U16(static_cast<unsigned>(XF))
      .U16(0)
      .U16(0)
      .WriteTo(stream, 0x007D);
}

void TBiffWindow2::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(Options)
      .U16(FirstRow)
      .U16(FirstCol)
      .U16(GridColor)
      .U16(0)
      .U16(PreviewZoom)
      .U16(NormalZoom)
      .U32(0)
      .WriteTo(stream, 0x023E);
}

void TBiffPageSetup::Flush(TBiffStream& stream) {
  std::uint8_t o[2] = {};
  BiffSetBit(o, 0, AcrossThenDown);
  BiffSetBit(o, 1, Orientation == bpoPortrait);
  BiffSetBit(o, 3, !Colored);
  BiffSetBit(o, 4, Draft);
  BiffSetBit(o, 5, Notes);
  BiffSetBit(o, 7, true);
  BiffSetBit(o, 9, NotesAtEnd);
  BiffSetBit(o, 10, true);
  PayloadWriter()
      .U16(PaperSize)
      .U16(100)
      .U16(0)
      .U16(1)
      .U16(1)
      .U16(vuzCryptoReadUInt(o, 0, 2))
      .U16(HRes)
      .U16(VRes)
      .F64(0.0)
      .F64(0.0)
      .U16(static_cast<unsigned>(Copies))
      .WriteTo(stream, 0x00A1);
}

void TBiffWindow::Flush(TBiffStream& stream) {
  PayloadWriter()
      .U16(Left)
      .U16(Top)
      .U16(Width)
      .U16(Height)
      .U16(0x0038)
      .U16(ActiveSheet)
      .U16(FirstTab)
      .U16(SelectedSheets)
      .U16(TabRatio)
      .WriteTo(stream, 0x003D);
}

}  // namespace report
