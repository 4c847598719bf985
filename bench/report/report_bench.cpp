// The report engine's foundations: reading and writing a 20 MB XML document
// (prepared pages are this big and bigger) and the CRC-32 of 100 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "report/vuzUtils.h"
#include "report/vuzXML.h"

using namespace report;

namespace {

// A prepared-pages-like document of about 20 MB: pages of text objects with
// a dozen attributes each, some needing escapes.
const std::string& TwentyMegabyteDocument() {
  static const std::string text = [] {
    TfrxXMLDocument doc;
    doc.Root()->Name = "preparedreport";
    rtl::TMemoryStream out;
    int page = 0;
    for (;;) {
      TfrxXMLItem* p = doc.Root()->Add("page");
      p->SetProp("n", std::to_string(page++));
      for (int k = 0; k < 200; ++k) {
        TfrxXMLItem* m = p->Add("TfrxMemoView");
        m->SetProp("l", "37.7953");
        m->SetProp("t", std::to_string(k * 18));
        m->SetProp("w", "680.31");
        m->SetProp("h", "18.89765");
        m->SetProp("Font.Name", "Arial");
        m->SetProp("Font.Height", "-13");
        m->SetProp("Frame.Typ", "15");
        m->SetProp("HAlign", "haCenter");
        m->SetProp("u", "Sample " + std::to_string(k) + " <value> & \"quoted\" text for the row");
      }
      if (page % 10 == 0) {
        out.Clear();
        doc.SaveToStream(out);
        if (out.Size() >= 20 * 1024 * 1024) return out.Bytes();
      }
    }
  }();
  return text;
}

void BM_XMLRead(benchmark::State& state) {
  const std::string& text = TwentyMegabyteDocument();
  for (auto _ : state) {
    rtl::TMemoryStream in(text);
    TfrxXMLDocument doc;
    doc.LoadFromStream(in);
    benchmark::DoNotOptimize(doc.Root()->Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_XMLRead)->Unit(benchmark::kMillisecond);

void BM_XMLWrite(benchmark::State& state) {
  const std::string& text = TwentyMegabyteDocument();
  rtl::TMemoryStream in(text);
  TfrxXMLDocument doc;
  doc.LoadFromStream(in);
  for (auto _ : state) {
    rtl::TMemoryStream out;
    doc.SaveToStream(out);
    benchmark::DoNotOptimize(out.Size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_XMLWrite)->Unit(benchmark::kMillisecond);

void BM_StreamCRC32(benchmark::State& state) {
  rtl::TMemoryStream data(std::string(100 * 1024 * 1024, '\x5A'));
  for (auto _ : state) benchmark::DoNotOptimize(vuzStreamCRC32(data));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.Size());
}
BENCHMARK(BM_StreamCRC32)->Unit(benchmark::kMillisecond);

void BM_EscapeAttribute(benchmark::State& state) {
  const std::string value = "Sample <value> & \"quoted\" text for the row, long enough to matter";
  for (auto _ : state) benchmark::DoNotOptimize(vuzStrToXML(value));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(value.size()));
}
BENCHMARK(BM_EscapeAttribute);

}  // namespace

BENCHMARK_MAIN();
