// Pixel conversion speed: an 800 x 480 picture of 24-bit R, G, B into "R565.RGB" and back, the
// path every picture FLOAD and FDUMP takes. Reported as pixels per second.
#include <vector>

#include <benchmark/benchmark.h>

#include "display/image.h"

namespace {

constexpr uint32_t kWidth = 800;
constexpr uint32_t kHeight = 480;

ImageDesc Picture(std::vector<uint8_t>& buffer, const char* format) {
  ImageDesc d;
  d.buffer = buffer.data();
  d.bufferSize = buffer.size();
  d.formatName = format;
  d.width = kWidth;
  d.height = kHeight;
  return d;
}

void Convert(benchmark::State& state, const char* from, uint32_t fromBytes, const char* to,
             uint32_t toBytes) {
  std::vector<uint8_t> source(kWidth * kHeight * fromBytes);
  for (size_t i = 0; i < source.size(); i++) source[i] = static_cast<uint8_t>(i * 7 + i / 977);
  std::vector<uint8_t> destination(kWidth * kHeight * toBytes);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConvertImage(Picture(source, from), Picture(destination, to)));
    benchmark::ClobberMemory();
  }
  state.counters["MPixel/s"] = benchmark::Counter(
      static_cast<double>(kWidth) * kHeight * static_cast<double>(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}

void BM_Rgb888To565(benchmark::State& state) {
  Convert(state, "R888.R-G-B", 3, "R565.RGB", 2);
}
void BM_Rgb565To888(benchmark::State& state) {
  Convert(state, "R565.RGB", 2, "R888.R-G-B", 3);
}
BENCHMARK(BM_Rgb888To565)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb565To888)->Unit(benchmark::kMillisecond);

}  // namespace
