// The chip model: building it from the built-in document, and looking up a feature by key.
#include <benchmark/benchmark.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "chipdef/chipdef.h"

namespace {

// Construction only, as at start-up; the model lives until the program ends.
void BM_BuildChipDef(benchmark::State& state) {
  std::optional<ChipDef> model;
  for (auto _ : state) {
    model.emplace();
    benchmark::DoNotOptimize(model->Features().data());
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildChipDef)->Unit(benchmark::kMicrosecond);

// Keys of the selected product in random order, so that nearly every lookup misses the cache.
void BM_FindFeatureRandomKey(benchmark::State& state) {
  ChipDef model;
  std::vector<std::string> keys;
  for (const FeatureRec& f : model.Features()) {
    if (model.IsForProduct(f.Product)) keys.push_back(f.KeyName);
  }
  std::mt19937 random(7);
  std::vector<const char*> order;
  for (int i = 0; i < 4096; i++) order.push_back(keys[random() % keys.size()].c_str());
  size_t n = 0;
  uint32_t index = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.FindFeature(order[n++ & 4095], &index));
  }
}
BENCHMARK(BM_FindFeatureRandomKey);

// A feature value as scripts read it: a span of two registers in the record's register list.
void BM_GetValueOfSpan(benchmark::State& state) {
  ChipDef model;
  for (auto _ : state) benchmark::DoNotOptimize(model.GetValue("main1saddr"));
}
BENCHMARK(BM_GetValueOfSpan);

// A list setting by name, as SET stores it.
void BM_SetListByText(benchmark::State& state) {
  ChipDef model;
  for (auto _ : state) benchmark::DoNotOptimize(model.SetValueText("rgbdatawidth", "18-bit"));
}
BENCHMARK(BM_SetListByText);

}  // namespace
