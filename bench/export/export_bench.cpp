// GIF encoding of a 2000 x 2000 page picture (colour reduction and LZW
// coding) and ZIP packing of a 10 MB content document, the ZIP beside
// Python's zipfile at the same deflate level (6, zlib's default), whose own
// clock measures only the packing. Run: build/bin/export_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "export/Gif.h"
#include "export/vuzColorQuantizer.h"
#include "export/vuzZip.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr int kPage = 2000;

// A report page: text lines in three colours (anti-aliased, so thousands of
// colours), a filled box and frames.
std::unique_ptr<gfx::TBitmap> PagePicture() {
  auto b = std::make_unique<gfx::TBitmap>(kPage, kPage, gfx::pf24bit);
  gfx::TCanvas& c = b->Canvas();
  c.Brush().SetColor(gfx::clWhite);
  c.FillRect({0, 0, kPage, kPage});
  c.Font().SetSize(11);
  for (int y = 40, i = 0; y < kPage - 40; y += 22, ++i) {
    c.Font().SetColor(i % 3 == 0 ? 0x0000C0 : i % 3 == 1 ? 0x006000 : 0x000000);
    c.TextOut(40, y,
              "Камера " + std::to_string(i % 12) + "   Сушка кирпича   t = " + std::to_string(60 + i % 50) +
                  " C   влажность " + std::to_string(i % 30) + ".5%   режим " + std::to_string(i));
    c.TextOut(1100, y, "Итого за смену: " + std::to_string(i * 37) + " шт.");
  }
  c.Brush().SetColor(0xE0F0FF);
  c.FillRect({1500, 1500, 1950, 1950});
  c.Brush().SetColor(0x808080);
  for (int x = 20; x < kPage; x += 400) c.FillRect({x, 20, x + 2, kPage - 20});
  return b;
}

void BM_GifPage(benchmark::State& state) {
  const auto source = PagePicture();
  for (auto _ : state) {
    state.PauseTiming();  // a fresh 24-bit copy: the writer converts in place
    gfx::TBitmap b;
    b.Assign(*source);
    state.ResumeTiming();
    rtl::TMemoryStream out;
    report::GIFSaveToStream(out, b);
    state.counters["bytes"] = static_cast<double>(out.Size());
  }
  state.counters["MPix/s"] =
      benchmark::Counter(double(kPage) * kPage * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GifPage)->Unit(benchmark::kMillisecond);

// The two halves on their own: the colour reduction, and the coding of an
// image that is already 8-bit.
void BM_GifColourReduction(benchmark::State& state) {
  const auto source = PagePicture();
  const std::vector<std::uint32_t> pixels = source->ToRGB32();
  for (auto _ : state) benchmark::DoNotOptimize(report::vuzQuantizeColors(pixels.data(), pixels.size()));
}
BENCHMARK(BM_GifColourReduction)->Unit(benchmark::kMillisecond);

void BM_GifLzwOnly(benchmark::State& state) {
  auto reduced = PagePicture();
  report::vuzConvertTo8Bit(*reduced);
  for (auto _ : state) {
    rtl::TMemoryStream out;
    report::GIFSaveToStream(out, *reduced);
  }
}
BENCHMARK(BM_GifLzwOnly)->Unit(benchmark::kMillisecond);

// An OpenDocument package whose content document holds about 10 MB of
// table rows.
struct Package {
  ScratchFolder scratch{"zarnik-bench-"};
  std::string folder = scratch.Path() + "pkg/";
  Package() {
    std::filesystem::create_directories(folder + "META-INF");
    std::ofstream(folder + "mimetype") << "application/vnd.oasis.opendocument.spreadsheet";
    std::ofstream(folder + "META-INF/manifest.xml") << "<?xml version=\"1.0\"?><manifest:manifest/>";
    std::ofstream content(folder + "content.xml", std::ios::binary);
    content << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content><office:body><table:table>";
    std::size_t written = 0;
    for (int row = 0; written < 10u * 1024 * 1024; ++row) {
      std::string r = "<table:table-row table:style-name=\"ro" + std::to_string(row % 7) + "\">";
      for (int col = 0; col < 6; ++col)
        r += "<table:table-cell table:style-name=\"ce" + std::to_string((row + col) % 23) +
             "\" office:value-type=\"float\" office:value=\"" + std::to_string(row * 31 + col * 7) + "\"><text:p>" +
             std::to_string(row * 31 + col * 7) + "</text:p></table:table-cell>";
      r += "</table:table-row>\n";
      content << r;
      written += r.size();
    }
    content << "</table:table></office:body></office:document-content>";
  }
};

Package& SharedPackage() {
  static Package p;
  return p;
}

void BM_ZipOurs(benchmark::State& state) {
  Package& p = SharedPackage();
  const std::string out = p.scratch.Path() + "ours.ods";
  for (auto _ : state) {
    report::TfrxZipArchive zip;
    zip.RootFolder = p.folder;
    zip.FirstEntry = "mimetype";
    zip.AddDir(p.folder);
    rtl::TFileStream file(out, rtl::fmCreate);
    zip.SaveToStream(file);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(BM_ZipOurs)->Unit(benchmark::kMillisecond);

void BM_ZipPython(benchmark::State& state) {
  Package& p = SharedPackage();
  const std::string script = p.scratch.Path() + "zip.py", out = p.scratch.Path() + "python.ods";
  std::ofstream(script) << R"PY(import os, sys, time, zipfile
src, out = sys.argv[1], sys.argv[2]
start = time.perf_counter()
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    for root, dirs, files in os.walk(src):
        for f in sorted(files):
            path = os.path.join(root, f)
            z.write(path, os.path.relpath(path, src), zipfile.ZIP_STORED if os.path.getsize(path) <= 128 else None)
print(time.perf_counter() - start)
)PY";
  if (!std::filesystem::exists("/usr/bin/python3")) {
    state.SkipWithError("needs /usr/bin/python3");
    return;
  }
  for (auto _ : state) {
    const std::string command = "/usr/bin/python3 '" + script + "' '" + p.folder + "' '" + out + "'";
    FILE* pipe = popen(command.c_str(), "r");
    double seconds = -1;
    if (pipe) {
      if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
      pclose(pipe);
    }
    if (seconds < 0) {
      state.SkipWithError("python's zipfile failed");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(BM_ZipPython)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
