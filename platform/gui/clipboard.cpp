#include "platform/gui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/rtl/streams.h"

namespace gui {

namespace {
QClipboard* Board() {
  detail::EnsureQtApp();
  return QGuiApplication::clipboard();
}
}  // namespace

TClipboard& Clipboard() {
  static TClipboard instance;
  return instance;
}

AnsiString TClipboard::AsText() const { return detail::FromQ(Board()->text()); }

void TClipboard::SetAsText(const AnsiString& text) {
  auto* data = new QMimeData;
  data->setText(detail::ToQ(text));
  // The 1251 bytes themselves, for readers that want them as they were.
  data->setData(QStringLiteral("text/plain;charset=windows-1251"),
                QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  Board()->setMimeData(data);
}

bool TClipboard::HasText() const {
  const QMimeData* d = Board()->mimeData();
  return d && d->hasText();
}

void TClipboard::SetPicture(int width, int height, const std::uint32_t* pixels, int strideBytes) {
  QImage img(reinterpret_cast<const uchar*>(pixels), width, height, strideBytes, QImage::Format_ARGB32_Premultiplied);
  Board()->setImage(img.copy());
}

bool TClipboard::HasPicture() const {
  const QMimeData* d = Board()->mimeData();
  return d && d->hasImage();
}

bool TClipboard::GetPicture(int& width, int& height, std::vector<std::uint32_t>& pixels) const {
  QImage img = Board()->image();
  if (img.isNull()) return false;
  img = img.convertToFormat(QImage::Format_ARGB32);
  width = img.width();
  height = img.height();
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    std::copy(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  return true;
}

namespace {
const QString kEmfMime = QStringLiteral("image/x-emf");

QImage ImageOfBitmap(const gfx::TBitmap& b) {
  QImage img(b.Width(), b.Height(), QImage::Format_RGB32);
  std::vector<std::uint32_t> px = b.ToRGB32();
  for (int y = 0; y < b.Height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
    for (int x = 0; x < b.Width(); ++x) row[x] = px[static_cast<std::size_t>(y) * b.Width() + x] | 0xFF000000u;
  }
  return img;
}
}  // namespace

void TClipboard::SetBitmap(const gfx::TBitmap& bitmap) { Board()->setImage(ImageOfBitmap(bitmap)); }

bool TClipboard::GetBitmap(gfx::TBitmap& out) const {
  int w = 0, h = 0;
  std::vector<std::uint32_t> px;
  if (!GetPicture(w, h, px)) return false;
  for (auto& p : px) p &= 0xFFFFFFu;
  out.SetPixelFormat(gfx::pf24bit);
  out.SetSize(w, h);
  if (!px.empty()) out.FromRGB32(px.data());
  return true;
}

void TClipboard::SetMetafile(const gfx::TMetafile& metafile) {
  rtl::TMemoryStream emf;
  gfx::TMetafile copy;
  copy.Assign(metafile);
  copy.SetEnhanced(true);
  copy.SaveToStream(emf);
  gfx::TBitmap picture;
  picture.Assign(metafile);
  auto* data = new QMimeData;
  data->setData(kEmfMime, QByteArray(emf.Memory(), static_cast<qsizetype>(emf.Size())));
  data->setImageData(ImageOfBitmap(picture));
  Board()->setMimeData(data);
}

bool TClipboard::HasMetafile() const {
  const QMimeData* d = Board()->mimeData();
  return d && d->hasFormat(kEmfMime);
}

bool TClipboard::GetMetafile(gfx::TMetafile& out) const {
  const QMimeData* d = Board()->mimeData();
  if (!d || !d->hasFormat(kEmfMime)) return false;
  QByteArray bytes = d->data(kEmfMime);
  rtl::TMemoryStream s(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  out.LoadFromStream(s);
  return true;
}

void TClipboard::Clear() { Board()->clear(); }

}  // namespace gui
