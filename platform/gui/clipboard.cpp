#include "platform/gui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/gui/qt_bridge.h"

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
  data->setData(QStringLiteral("text/plain;charset=windows-1251"), QByteArray(text.data(), static_cast<qsizetype>(text.size())));
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

void TClipboard::Clear() { Board()->clear(); }

}  // namespace gui
