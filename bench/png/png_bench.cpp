// Decoding and encoding a 2000 x 2000 photo-like RGB image and a 2000 x 2000
// palette image, with our codec and with libpng, in one program so the
// figures compare directly. Run: build/bin/png_bench
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "report/frxpngimage.h"

using namespace report;

namespace {

constexpr int kSize = 2000;

struct Image {
  int colorType;                     // 2 or 3
  std::vector<std::uint8_t> pixels;  // RGB triples or palette indexes, rows top-down
  std::vector<png_color> palette;
  int Channels() const { return colorType == 2 ? 3 : 1; }
};

// Smooth shading with fine noise, like a photograph.
Image PhotoLike() {
  Image img{2, std::vector<std::uint8_t>(static_cast<std::size_t>(kSize) * kSize * 3), {}};
  std::mt19937 rng(42);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      double fx = x / 300.0, fy = y / 250.0;
      double base[3] = {128 + 90 * std::sin(fx) * std::cos(fy), 128 + 80 * std::sin(fx * 0.7 + fy),
                        128 + 70 * std::cos(fx * 1.3 - fy * 0.5)};
      for (int c = 0; c < 3; ++c) {
        int v = static_cast<int>(base[c]) + static_cast<int>(rng() % 9) - 4;
        img.pixels[(static_cast<std::size_t>(y) * kSize + x) * 3 + c] =
            static_cast<std::uint8_t>(std::clamp(v, 0, 255));
      }
    }
  return img;
}

// Flat areas, bands and lines in 256 colours, like a chart or a drawing.
Image PaletteLike() {
  Image img{3, std::vector<std::uint8_t>(static_cast<std::size_t>(kSize) * kSize), {}};
  for (int i = 0; i < 256; ++i)
    img.palette.push_back(
        png_color{static_cast<png_byte>(i), static_cast<png_byte>(255 - i), static_cast<png_byte>((i * 7) & 255)});
  std::mt19937 rng(7);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      int v = ((x / 40) * 13 + (y / 25) * 7) & 255;
      if ((x + y) % 97 == 0 || rng() % 50 == 0) v = static_cast<int>(rng() & 255);
      img.pixels[static_cast<std::size_t>(y) * kSize + x] = static_cast<std::uint8_t>(v);
    }
  return img;
}

// ------------------------------------------------------------ libpng
void WriteFn(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}
void FlushFn(png_structp) {}

// libpng's encoder; level -1 and filters 0 keep its defaults.
std::string LibpngEncode(const Image& img, int level, int filters) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, WriteFn, FlushFn);
  if (level >= 0) png_set_compression_level(png, level);
  if (filters) png_set_filter(png, 0, filters);
  png_set_IHDR(png, info, kSize, kSize, 8, img.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (img.colorType == 3) png_set_PLTE(png, info, img.palette.data(), 256);
  png_write_info(png, info);
  std::size_t stride = static_cast<std::size_t>(kSize) * img.Channels();
  for (int y = 0; y < kSize; ++y) png_write_row(png, img.pixels.data() + y * stride);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct Reader {
  const std::string* data;
  std::size_t pos;
};
void ReadFn(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (r->pos + n > r->data->size()) png_error(png, "end");
  std::memcpy(out, r->data->data() + r->pos, n);
  r->pos += n;
}

bool LibpngDecode(const std::string& file, std::vector<std::uint8_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Reader r{&file, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &r, ReadFn);
  png_read_info(png, info);
  std::size_t stride = png_get_rowbytes(png, info);
  pixels.resize(stride * png_get_image_height(png, info));
  for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
    png_read_row(png, pixels.data() + y * stride, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// ------------------------------------------------------------ ours
void FillOurs(TPNGObject& png, const Image& img) {
  TPNGPixels& px = png.GetHeader()->Pixels();
  if (img.colorType == 3) {
    for (int i = 0; i < 256; ++i)
      px.ColorTable()[i] = TPNGRGB{img.palette[i].red, img.palette[i].green, img.palette[i].blue};
    for (int y = 0; y < kSize; ++y)
      std::memcpy(px.ScanLine(y), img.pixels.data() + static_cast<std::size_t>(y) * kSize, kSize);
  } else {
    for (int y = 0; y < kSize; ++y) {
      const std::uint8_t* s = img.pixels.data() + static_cast<std::size_t>(y) * kSize * 3;
      std::uint8_t* d = px.ScanLine(y);
      for (int x = 0; x < kSize; ++x) {
        d[3 * x] = s[3 * x + 2];
        d[3 * x + 1] = s[3 * x + 1];
        d[3 * x + 2] = s[3 * x];
      }
    }
  }
}

const Image& Source(int which) {
  static const Image photo = PhotoLike();
  static const Image palette = PaletteLike();
  return which == 0 ? photo : palette;
}

// The file every decoder reads: libpng's default encoding of the image.
const std::string& File(int which) {
  static const std::string photo = LibpngEncode(Source(0), -1, 0);
  static const std::string palette = LibpngEncode(Source(1), -1, 0);
  return which == 0 ? photo : palette;
}

void Label(benchmark::State& state, int which) {
  state.SetLabel(which == 0 ? "rgb photo" : "palette");
  state.counters["MPix/s"] = benchmark::Counter(
      static_cast<double>(kSize) * kSize / 1e6 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DecodeOurs(benchmark::State& state) {
  int which = static_cast<int>(state.range(0));
  rtl::TMemoryStream in(File(which));
  for (auto _ : state) {
    in.SetPosition(0);
    TPNGObject png;
    png.LoadFromStream(in);
    benchmark::DoNotOptimize(png.GetScanline(0));
  }
  Label(state, which);
}

void BM_DecodeLibpng(benchmark::State& state) {
  int which = static_cast<int>(state.range(0));
  std::vector<std::uint8_t> pixels;
  for (auto _ : state) {
    if (!LibpngDecode(File(which), pixels)) state.SkipWithError("libpng failed");
    benchmark::DoNotOptimize(pixels.data());
  }
  Label(state, which);
}

void BM_EncodeOurs(benchmark::State& state) {
  int which = static_cast<int>(state.range(0));
  const Image& img = Source(which);
  TPNGObject png(img.colorType, 8, kSize, kSize);
  FillOurs(png, img);
  std::size_t size = 0;
  for (auto _ : state) {
    rtl::TMemoryStream out;
    png.SaveToStream(out);
    size = out.Bytes().size();
  }
  state.counters["bytes"] = static_cast<double>(size);
  Label(state, which);
}

// libpng with our writer's settings (level 7, Sub filter), and with its own
// defaults (level 6, adaptive filters).
void BM_EncodeLibpngSameSettings(benchmark::State& state) {
  int which = static_cast<int>(state.range(0));
  std::size_t size = 0;
  for (auto _ : state) size = LibpngEncode(Source(which), 7, PNG_FILTER_SUB).size();
  state.counters["bytes"] = static_cast<double>(size);
  Label(state, which);
}

void BM_EncodeLibpngDefaults(benchmark::State& state) {
  int which = static_cast<int>(state.range(0));
  std::size_t size = 0;
  for (auto _ : state) size = LibpngEncode(Source(which), -1, 0).size();
  state.counters["bytes"] = static_cast<double>(size);
  Label(state, which);
}

}  // namespace

BENCHMARK(BM_DecodeOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLibpng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLibpngSameSettings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLibpngDefaults)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
