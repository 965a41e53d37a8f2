// SCALE on chip models of both products: the window's features, the set-up and its refusals,
// the coefficient load and the report. The simulated board is a 77Q41, so the panorama set-up
// is checked here, on a model of the 77K50.
#include "display/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "live_model.h"
#include "test_support.h"

namespace {

// A live model that remembers every register write in order.
struct RecordingModel : LiveModel {
  explicit RecordingModel(const char* product) { SelectProduct(product); }
  bool WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) override {
    writes.emplace_back(index, value);
    return LiveModel::WriteRegHot(reg, index, value);
  }
  std::vector<std::pair<uint32_t, uint32_t>> writes;
};

// Runs the command line on the model; the output it printed.
std::string Scale(ChipDefBase& model, const char* line, bool* result = nullptr) {
  StatementWords words;
  words.argc = SplitArgs(line, std::strlen(line), words.argv);
  StartCapture();
  const bool ok = RunScale(model, words.argc, words.argv);
  if (result != nullptr) *result = ok;
  return Captured();
}

// A PIP2 window of the given height on the panel.
void SetPip2Lines(LiveModel& m, uint32_t lines) {
  m.regs[0x0232] = 0;          // pip2ystart
  m.regs[0x0236] = lines - 1;  // pip2yend
}

TEST(ScaleKeys, EveryWindowFeatureExistsAndPanoramaIsThe77K50s) {
  LiveModel q41;
  RecordingModel k50("77K50");
  for (const ScalerKeys& keys : kScalerKeys) {
    SCOPED_TRACE(keys.name);
    EXPECT_TRUE(HasScalerFeatures(q41, keys));
    EXPECT_TRUE(HasScalerFeatures(k50, keys));
  }
  EXPECT_FALSE(HasPanorama(q41, kPip2));
  EXPECT_TRUE(HasPanorama(k50, kPip2));
  EXPECT_FALSE(HasPanorama(k50, kPip1));
  // Not one panorama feature is left on the 77Q41, so none can reach the model half-way.
  for (const char* key : {kPanoramaKeys.wide, kPanoramaKeys.aScale, kPanoramaKeys.bScale,
                          kPanoramaKeys.line[0], kPanoramaKeys.line[3], kPanoramaKeys.delta}) {
    EXPECT_FALSE(q41.FeatureExists(key)) << key;
  }
}

TEST(ScaleSetUp, ScalesEnablesAndTheCoefficientLoad) {
  RecordingModel m("77Q41");
  m.regs[0x0266] = 0x0310;  // the counter stands at 3 on the vertical table
  EXPECT_EQ(Scale(m, "scale PIP1 HS:200 vs=300 HSEN:2 VSEN:1 HF:0"), "");
  EXPECT_EQ(m.regs[0x0262], 512u);
  EXPECT_EQ(m.regs[0x0264], 341u);
  EXPECT_EQ(m.regs[0x0260], 0x008Au);  // vertical scaling; horizontal scaling and filter
  // The horizontal table is selected, the counter reset, then entry 15 goes first.
  std::vector<uint32_t> port;
  for (const auto& [index, value] : m.writes) {
    if (index == 0x0268) port.push_back(value);
  }
  ASSERT_EQ(port.size(), 16u);
  EXPECT_EQ(port.front(), 64u);
  EXPECT_EQ(port[11], static_cast<uint8_t>(-9));  // entry 4, as its byte
  EXPECT_EQ(port.back(), 0u);
  const auto counterWrite =
      std::find(m.writes.begin(), m.writes.end(), std::pair<uint32_t, uint32_t>{0x0266, 0x0301});
  EXPECT_NE(counterWrite, m.writes.end());
}

TEST(ScaleSetUp, PartialPanoramaOnThe77K50) {
  RecordingModel m("77K50");
  SetPip2Lines(m, 240);
  EXPECT_EQ(Scale(m, "scale pip2 hsen:2 vsen:2 w:1 vs:200 pavs:200 pbvs:200 hi:100 ha:20 hb:20"),
            "");
  const uint32_t expected[][2] = {{0x02A4, 512},    {0x02C2, 512},    {0x02C4, 512},
                                  {0x02AE, 0x0010}, {0x02A0, 0x00AA}, {0x02C6, 41},
                                  {0x02C8, 81},     {0x02CA, 121},    {0x02CC, 161}};
  for (const auto& [index, value] : expected) EXPECT_EQ(m.regs[index], value) << std::hex << index;
  // The report shows what the 77K50 has.
  EXPECT_EQ(Scale(m, "scale pip2").substr(0, 120),
            "  HS%  VS% HSEN VSEN WIDE PAVS% PVBS% SL1 SL2 SL3 SL4 DELTA\n"
            "    0  200    2    2 Part   200   200  41  81 121 161     0\n");
}

TEST(ScaleSetUp, LinearPanoramaOnThe77K50) {
  RecordingModel m("77K50");
  SetPip2Lines(m, 600);
  EXPECT_EQ(Scale(m, "scale pip2 w:2 vs:100 hi:480 hc:240 ho:600"), "");
  const uint32_t expected[][2] = {
      {0x02AE, 0x0020}, {0x02C6, 181}, {0x02C8, 421}, {0x02C2, 341}, {0x02CE, 971}};
  for (const auto& [index, value] : expected) EXPECT_EQ(m.regs[index], value) << std::hex << index;
  // The linear step writes the delta; the W step left it alone.
  EXPECT_EQ(std::count_if(m.writes.begin(), m.writes.end(),
                          [](const auto& w) { return w.first == 0x02CE; }),
            1);
}

TEST(ScaleSetUp, RefusalsWriteNothing) {
  struct Case {
    const char* line;
    const char* error;
  };
  const Case cases[] = {
      {"scale pip2 w:2",
       "ERROR: Panorama set-up refused: the linear delta needs area 1 to start "
       "below line 1.\n"},
      {"scale pip2 hs:100 sl1:241", "ERROR: 'sl1:241' isn't valid for SL1.\n"},
      {"scale pip2 sl4:0", "ERROR: 'sl4:0' isn't valid for SL4.\n"},
      {"scale pip2 vs:100 pavs:100 pbvs:100 hi:100 ha:30 hb:30",
       "ERROR: Panorama set-up refused: the edge areas would take more lines than the input "
       "image has.\n"},
      {"scale pip2 vs:100 hi:100 hc:80 ho:80",
       "ERROR: Panorama set-up refused: the edge areas would get no output lines.\n"},
      {"scale pip2 pavs:12", "ERROR: 'pavs:12' isn't valid for PAVS.\n"},
      {"scale pip2 hs:100 ho:0", "ERROR: 'ho:0' isn't valid for output image height.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    RecordingModel m("77K50");
    SetPip2Lines(m, 240);
    bool ok = true;
    EXPECT_EQ(Scale(m, c.line, &ok), c.error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(m.writes.empty());
  }
}

TEST(ScaleSetUp, InsufficientPanoramaArgumentsComeInTheSetUpOrder) {
  RecordingModel m("77K50");
  SetPip2Lines(m, 240);
  EXPECT_EQ(Scale(m, "scale pip2 hs:200 ha:20"), "ERROR: Insufficient arguments.\n");
  EXPECT_EQ(m.writes, (std::vector<std::pair<uint32_t, uint32_t>>{{0x02A2, 512}}));
}

TEST(ScaleSetUp, PanoramaLiveModeNeedsItsRegisters) {
  RecordingModel m("77K50");
  EXPECT_EQ(Scale(m, "scale pip2 w:1 pano"),
            "ERROR: Scale register must be initialized before entering panorama live mode.\n");
}

}  // namespace
