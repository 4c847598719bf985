// The hot path of report building: variant arithmetic on every bracketed
// expression and number formatting of every printed value.
#include <benchmark/benchmark.h>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/object_handles.h"
#include "platform/rtl/variant.h"

using namespace rtl;

static void IntPlusInt(benchmark::State& state) {
  Variant a = 12345, b = 1;
  for (auto _ : state) {
    a = VarAdd(a, b);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(IntPlusInt);

static void FloatTimesFloat(benchmark::State& state) {
  Variant a = 1.0000001, b = 0.9999999;
  for (auto _ : state) {
    a = VarMul(a, b);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(FloatTimesFloat);

static void MixedIntFloat(benchmark::State& state) {
  Variant i = 3, f = 0.5, r;
  for (auto _ : state) {
    r = VarAdd(VarMul(i, f), i);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(MixedIntFloat);

static void NumericStringPlusInt(benchmark::State& state) {
  Variant s = "125,5", i = 1, r;
  for (auto _ : state) {
    r = VarAdd(s, i);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(NumericStringPlusInt);

static void StringConcat(benchmark::State& state) {
  Variant a = "Температура: "_cp, b = "23,5", r;
  for (auto _ : state) {
    r = VarAdd(a, b);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(StringConcat);

static void CompareIntFloat(benchmark::State& state) {
  Variant a = 3, b = 2.5;
  for (auto _ : state) benchmark::DoNotOptimize(VarGreater(a, b));
}
BENCHMARK(CompareIntFloat);

static void CopySmallVariant(benchmark::State& state) {
  Variant a = 2.5;
  for (auto _ : state) {
    Variant b = a;
    benchmark::DoNotOptimize(b);
  }
}
BENCHMARK(CopySmallVariant);

static void FormatFloatTwoDecimals(benchmark::State& state) {
  long double v = 23.456;
  for (auto _ : state) benchmark::DoNotOptimize(FormatFloat("0.00", v));
}
BENCHMARK(FormatFloatTwoDecimals);

static void FormatFloatGrouped(benchmark::State& state) {
  long double v = -1234567.891;
  for (auto _ : state) benchmark::DoNotOptimize(FormatFloat("#,##0.00;(#,##0.00)", v));
}
BENCHMARK(FormatFloatGrouped);

static void FloatToStrGeneral(benchmark::State& state) {
  long double v = 2.0 / 3.0;  // a double, as variants hold them
  for (auto _ : state) benchmark::DoNotOptimize(FloatToStr(v));
}
BENCHMARK(FloatToStrGeneral);

static void FloatToStrExtended(benchmark::State& state) {
  long double v = 2.0L / 3.0L;  // needs all 64 bits of the mantissa
  for (auto _ : state) benchmark::DoNotOptimize(FloatToStr(v));
}
BENCHMARK(FloatToStrExtended);

static void VariantDoubleToText(benchmark::State& state) {
  Variant v = 23.5;
  for (auto _ : state) benchmark::DoNotOptimize(v.AsString());
}
BENCHMARK(VariantDoubleToText);

static void FormatWithArguments(benchmark::State& state) {
  Variant args[] = {23.456, "mm"};
  for (auto _ : state) benchmark::DoNotOptimize(Format("%2.2f %s", args));
}
BENCHMARK(FormatWithArguments);

static void FormatDateTimeShort(benchmark::State& state) {
  TDateTime t = EncodeDateTime(2013, 3, 7, 9, 5, 3, 0);
  for (auto _ : state) benchmark::DoNotOptimize(FormatDateTime("dd.mm.yyyy hh:nn", t));
}
BENCHMARK(FormatDateTimeShort);

static void ObjectHandleResolve(benchmark::State& state) {
  struct Host {
    ~Host() { ObjectHandles::Release(this); }
  } host;
  int32_t handle = ObjectHandles::HandleOf<Host>(&host);
  for (auto _ : state) benchmark::DoNotOptimize(ObjectHandles::Resolve<Host>(handle));
}
BENCHMARK(ObjectHandleResolve);

BENCHMARK_MAIN();
