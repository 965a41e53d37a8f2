// Evaluation speed for typical script expressions: a loop condition, arithmetic, a text join.
#include <benchmark/benchmark.h>

#include "lang/evaluate.h"
#include "lang/variables.h"

namespace {

void Evaluations(benchmark::State& state, const char* expression) {
  DeleteAllVariables();
  SetVariable("$i", Value::Number(42), nullptr);
  SetVariable("$j", Value::Number(7), nullptr);
  SetVariable("$name", Value::Text("pattern"), nullptr);
  Value v;
  for (auto _ : state) {
    if (Evaluate(expression, &v, nullptr, nullptr) != 0) state.SkipWithError("evaluation failed");
    benchmark::DoNotOptimize(v.number);
  }
  state.SetItemsProcessed(state.iterations());
  DeleteAllVariables();
}

void BM_CompareVariableWithDecimal(benchmark::State& state) {
  Evaluations(state, "$i < 100t");
}
BENCHMARK(BM_CompareVariableWithDecimal);

void BM_ArithmeticFiveOperators(benchmark::State& state) {
  Evaluations(state, "($i + 2) * 3 - $j / 2 + 10t");
}
BENCHMARK(BM_ArithmeticFiveOperators);

void BM_TextJoin(benchmark::State& state) {
  Evaluations(state, "$name + \".bmp\"");
}
BENCHMARK(BM_TextJoin);

}  // namespace
