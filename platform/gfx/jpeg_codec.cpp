#include "platform/gfx/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace gfx::jpeg {

namespace {

// The error manager: libjpeg calls error_exit on a fatal error and expects it
// not to return. We jump back to the call that started the work, which then
// frees libjpeg's state and raises EJPEG. A file that ends early is only a
// warning to libjpeg (it pads with grey); for us it is damaged data.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
  // Other warnings (corrupt but decodable data) and trace output are quiet.
}

void OutputMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& err, j_common_ptr cinfo) {
  cinfo->err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  err.message[0] = '\0';
}

[[noreturn]] void Fail(const ErrorManager& err) {
  throw EJPEG(std::string("JPEG error: ") + (err.message[0] ? err.message : "unknown error"));
}

// Decompression state that is freed on every path.
struct Decompressor {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  Decompressor() { std::memset(&cinfo, 0, sizeof cinfo); }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
};

struct Compressor {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  Compressor() { std::memset(&cinfo, 0, sizeof cinfo); }
  ~Compressor() {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
};

void CheckInput(std::string_view data) {
  if (!LooksLikeJpeg(data)) throw EJPEG("JPEG error: not a JPEG file");
}

// Runs body after starting a decompressor on data; libjpeg's errors jump
// back here. body must not hold C++ objects that need destruction across a
// libjpeg call, so it writes into caller-owned storage only.
template <typename Body>
void WithDecompressor(std::string_view data, Body&& body) {
  CheckInput(data);
  Decompressor d;
  InstallErrorManager(d.err, reinterpret_cast<j_common_ptr>(&d.cinfo));
  if (setjmp(d.err.jump)) Fail(d.err);
  jpeg_create_decompress(&d.cinfo);
  jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&d.cinfo, TRUE);
  body(d.cinfo);
}

}  // namespace

bool LooksLikeJpeg(std::string_view data) {
  return data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
         static_cast<unsigned char>(data[1]) == 0xD8 && static_cast<unsigned char>(data[2]) == 0xFF;
}

Info ReadInfo(std::string_view data) {
  Info info;
  WithDecompressor(data, [&](jpeg_decompress_struct& c) {
    info.width = static_cast<int>(c.image_width);
    info.height = static_cast<int>(c.image_height);
    info.components = c.num_components;
    info.progressive = jpeg_has_multiple_scans(&c);
  });
  return info;
}

Image Decode(std::string_view data, bool grayscale, int scaleDenom) {
  Image img;
  // Storage for rows is reserved before libjpeg runs, so a jump out of the
  // body leaves nothing half-built that needs a destructor in between.
  WithDecompressor(data, [&](jpeg_decompress_struct& c) {
    bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    if (cmyk) {
      c.out_color_space = JCS_CMYK;
    } else if (grayscale || c.jpeg_color_space == JCS_GRAYSCALE) {
      c.out_color_space = JCS_GRAYSCALE;
    } else {
      c.out_color_space = JCS_RGB;
    }
    c.scale_num = 1;
    c.scale_denom = (scaleDenom == 2 || scaleDenom == 4 || scaleDenom == 8) ? scaleDenom : 1;
    jpeg_calc_output_dimensions(&c);
    // Refuse sizes whose pixel buffer could not sensibly exist.
    std::uint64_t bytes = std::uint64_t(c.output_width) * c.output_height * c.output_components;
    if (c.output_width == 0 || c.output_height == 0 || bytes > (std::uint64_t{1} << 31))
      ERREXIT(&c, JERR_IMAGE_TOO_BIG);
    img.width = static_cast<int>(c.output_width);
    img.height = static_cast<int>(c.output_height);
    std::size_t rowBytes = std::size_t(c.output_width) * c.output_components;
    std::vector<std::uint8_t>& raw = img.pixels;
    raw.resize(rowBytes * c.output_height);
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      JSAMPROW row = raw.data() + rowBytes * c.output_scanline;
      jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    img.components = cmyk ? 3 : c.output_components;
    // Adobe writes CMYK inverted; the marker tells.
    if (cmyk) {
      bool inverted = c.saw_Adobe_marker;
      std::size_t n = std::size_t(img.width) * img.height;
      for (std::size_t i = 0; i < n; ++i) {
        unsigned cc = raw[4 * i], m = raw[4 * i + 1], y = raw[4 * i + 2], k = raw[4 * i + 3];
        if (!inverted) cc = 255 - cc, m = 255 - m, y = 255 - y, k = 255 - k;
        raw[3 * i] = static_cast<std::uint8_t>(cc * k / 255);
        raw[3 * i + 1] = static_cast<std::uint8_t>(m * k / 255);
        raw[3 * i + 2] = static_cast<std::uint8_t>(y * k / 255);
      }
      raw.resize(n * 3);
      if (grayscale) {
        for (std::size_t i = 0; i < n; ++i)
          raw[i] = static_cast<std::uint8_t>((raw[3 * i] * 77 + raw[3 * i + 1] * 150 + raw[3 * i + 2] * 29) >> 8);
        raw.resize(n);
        img.components = 1;
      }
    }
  });
  return img;
}

std::string Encode(const Image& image, int quality, bool progressive, bool grayscale) {
  if (image.width <= 0 || image.height <= 0 || (image.components != 1 && image.components != 3) ||
      image.pixels.size() < std::size_t(image.width) * image.height * image.components)
    throw EJPEG("JPEG error: nothing to compress");
  // A grey copy is made before libjpeg starts, so nothing needs freeing
  // across a jump.
  std::vector<std::uint8_t> grey;
  const std::uint8_t* pixels = image.pixels.data();
  int components = image.components;
  if (grayscale && components == 3) {
    std::size_t n = std::size_t(image.width) * image.height;
    grey.resize(n);
    for (std::size_t i = 0; i < n; ++i)
      grey[i] = static_cast<std::uint8_t>((pixels[3 * i] * 77 + pixels[3 * i + 1] * 150 + pixels[3 * i + 2] * 29) >> 8);
    pixels = grey.data();
    components = 1;
  }
  Compressor c;
  InstallErrorManager(c.err, reinterpret_cast<j_common_ptr>(&c.cinfo));
  if (setjmp(c.err.jump)) Fail(c.err);
  jpeg_create_compress(&c.cinfo);
  jpeg_mem_dest(&c.cinfo, &c.buffer, &c.size);
  c.cinfo.image_width = static_cast<JDIMENSION>(image.width);
  c.cinfo.image_height = static_cast<JDIMENSION>(image.height);
  c.cinfo.input_components = components;
  c.cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
  if (progressive) jpeg_simple_progression(&c.cinfo);
  jpeg_start_compress(&c.cinfo, TRUE);
  std::size_t rowBytes = std::size_t(image.width) * components;
  while (c.cinfo.next_scanline < c.cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + rowBytes * c.cinfo.next_scanline);
    jpeg_write_scanlines(&c.cinfo, &row, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return std::string(reinterpret_cast<const char*>(c.buffer), c.size);
}

}  // namespace gfx::jpeg
