// The script core's speed on the two shapes that matter here, each beside the
// same code in Lua 5.4 run in this process:
//  - a compiled one-line arithmetic function called by its host, the shape of
//    the report engine's expression cache (function fr3fN: Result := <expr>);
//  - a recursive fib(25).
// The core is built directly, as the program builder builds it. Counters:
// ns per call, the ratio to Lua, and heap allocations per call (global
// operator new counted), which must stay 0 for the expression call.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>

#include "script/fs_iexpression.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_istatements.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace script;

TfsDesignator* Plain(TfsScript* in, TfsCustomVariable* item, std::vector<TfsCustomExpression*> args = {}) {
  auto* d = new TfsDesignator(in);
  TfsDesignatorItem* step = d->AddStep(item);
  for (auto* a : args) step->Add(a);
  d->Finalize();
  return fsSpecializeDesignator(d);
}

// Host data the expression reads, and the report's script that owns it.
struct ExpressionShape {
  TfsScript report;
  TfsScript cache;
  TfsProcVariable* function;
  TfsVariable* a;
  TfsVariable* b;

  // function fr3f0: Variant; begin Result := a * 2 + b - 1 end
  ExpressionShape() {
    a = new TfsVariable("a", fvtInt, "Integer");
    b = new TfsVariable("b", fvtInt, "Integer");
    a->SetValue(rtl::Variant(20));
    b->SetValue(rtl::Variant(3));
    report.Add("a", a);
    report.Add("b", b);
    cache.ParentScript = &report;
    function = new TfsProcVariable("fr3f0", fvtVariant, "Variant", true, &cache);
    cache.Add("fr3f0", function);
    TfsScript* local = function->LocalScope;
    auto* e = new TfsExpression(local);
    e->AddDesignator(Plain(local, a));
    e->AddOperator("*");
    e->AddConst(rtl::Variant(2));
    e->AddOperator("+");
    e->AddDesignator(Plain(local, b));
    e->AddOperator("-");
    e->AddConst(rtl::Variant(1));
    e->Finalize();
    auto* st = new TfsAssignmentStmt(local, "1:1");
    st->TargetDesignator = Plain(local, function->LinkedItem);
    st->ValueExpr = e;
    st->Optimize();
    local->MainStatement()->Add(st);
  }
};

// function fib(n: Integer): Integer;
// begin if n < 2 then Result := n else Result := fib(n - 1) + fib(n - 2) end
struct FibShape {
  TfsScript script;
  TfsProcVariable* fib;

  FibShape() {
    fib = new TfsProcVariable("fib", fvtInt, "Integer", true, &script);
    auto* n = new TfsParamItem("n", false, false, fvtInt, "Integer");
    fib->AddParam(n);
    script.Add("fib", fib);
    TfsScript* local = fib->LocalScope;
    auto expr = [&](std::initializer_list<std::function<void(TfsExpression*)>> parts) {
      auto* e = new TfsExpression(local);
      for (auto& part : parts) part(e);
      e->Finalize();
      return e;
    };
    auto readN = [&](TfsExpression* e) { e->AddDesignator(Plain(local, n)); };
    auto constant = [](int v) { return [v](TfsExpression* e) { e->AddConst(rtl::Variant(v)); }; };
    auto op = [](const char* text) { return [text](TfsExpression* e) { e->AddOperator(text); }; };
    auto call = [&](int minus) {
      return [&, minus](TfsExpression* e) {
        e->AddDesignator(Plain(local, fib, {expr({readN, op("-"), constant(minus)})}));
      };
    };
    auto* branch = new TfsIfStmt(local, "1:1");
    branch->Test = expr({readN, op("<"), constant(2)});
    auto* small = new TfsAssignmentStmt(local, "1:2");
    small->TargetDesignator = Plain(local, fib->LinkedItem);
    small->ValueExpr = expr({readN});
    small->Optimize();
    branch->Add(small);
    auto* large = new TfsAssignmentStmt(local, "1:3");
    large->TargetDesignator = Plain(local, fib->LinkedItem);
    large->ValueExpr = expr({call(1), op("+"), call(2)});
    large->Optimize();
    branch->ElsePart->Add(large);
    local->MainStatement()->Add(branch);
  }

  int Run(int value) {
    fib->GetParam(0)->SetValue(rtl::Variant(value));
    return fib->GetValue().AsInteger();
  }
};

// The same code in Lua 5.4.
struct Lua {
  lua_State* L = luaL_newstate();
  Lua() {
    luaL_openlibs(L);
    const char* code =
        "a = 20; b = 3\n"
        "function fr3f0() return a * 2 + b - 1 end\n"
        "function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end\n";
    if (luaL_dostring(L, code) != LUA_OK) std::abort();
  }
  ~Lua() { lua_close(L); }
  long long Call(const char* name, int arg, bool withArg) {
    lua_getglobal(L, name);
    if (withArg) lua_pushinteger(L, arg);
    if (lua_pcall(L, withArg ? 1 : 0, 1, 0) != LUA_OK) std::abort();
    long long r = lua_tointeger(L, -1);
    lua_pop(L, 1);
    return r;
  }
};

// Nanoseconds per call of fn, over a fixed amount of work.
template <class Fn>
double NsPerCall(Fn fn, int calls) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) fn();
  std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  return took.count() / calls;
}

void BM_ExpressionCall(benchmark::State& state) {
  ExpressionShape shape;
  if (shape.function->GetValue().AsInteger() != 42) state.SkipWithError("wrong result");
  long before = allocations.load();
  for (auto _ : state) benchmark::DoNotOptimize(shape.function->GetValue());
  const double calls = static_cast<double>(state.iterations());
  state.counters["allocs_per_call"] = static_cast<double>(allocations.load() - before) / calls;
  Lua lua;
  const double luaNs = NsPerCall([&] { benchmark::DoNotOptimize(lua.Call("fr3f0", 0, false)); }, 200000);
  const double ourNs = NsPerCall([&] { benchmark::DoNotOptimize(shape.function->GetValue()); }, 200000);
  state.counters["ns_per_call"] = ourNs;
  state.counters["lua_ns_per_call"] = luaNs;
  state.counters["ratio_to_lua"] = ourNs / luaNs;
}
BENCHMARK(BM_ExpressionCall);

void BM_Fib25(benchmark::State& state) {
  FibShape shape;
  if (shape.Run(25) != 75025) state.SkipWithError("wrong result");
  long before = allocations.load();
  for (auto _ : state) benchmark::DoNotOptimize(shape.Run(25));
  state.counters["allocs_per_run"] = static_cast<double>(allocations.load() - before) / state.iterations();
  Lua lua;
  if (lua.Call("fib", 25, true) != 75025) state.SkipWithError("Lua disagrees");
  const double luaNs = NsPerCall([&] { benchmark::DoNotOptimize(lua.Call("fib", 25, true)); }, 5);
  const double ourNs = NsPerCall([&] { benchmark::DoNotOptimize(shape.Run(25)); }, 5);
  state.counters["ms_per_run"] = ourNs / 1e6;
  state.counters["lua_ms_per_run"] = luaNs / 1e6;
  state.counters["ratio_to_lua"] = ourNs / luaNs;
}
BENCHMARK(BM_Fib25)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
