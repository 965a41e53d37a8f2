// SCALE on a terminal with a chip model of the 77K50, whose PIP2 has panorama scaling (the
// simulated board is a 77Q41). The model starts with a 320x200 PIP2 window, a 160x100 source
// and a partial panorama at 200% with 20 source lines in each area; arguments "set:KEY=VALUE"
// (decimal) change a feature first, the others are SCALE's, after the command word.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/scale.h"
#include "live_model.h"

int main(int argc, char** argv) {
  LiveModel model;
  model.SelectProduct("77K50");
  const struct {
    const char* key;
    uint32_t value;
  } start[] = {
      {"pip2xend", 319},        {"pip2yend", 199},        {"pip2width", 160},
      {"pip2height", 100},      {"pip2hscale", 1024},     {"pip2vscale", 512},
      {"pip2areaavscale", 512}, {"pip2areabvscale", 512}, {"pip2widescale", kWidePartial},
      {"pip2area1start", 41},   {"pip2area2start", 81},   {"pip2area3start", 121},
      {"pip2area4start", 161},
  };
  for (const auto& s : start) model.SetValue(s.key, s.value);
  StatementWords words;
  std::snprintf(words.argv[words.argc++], kArgSize, "scale");
  for (int i = 1; i < argc && words.argc < kMaxArgs; i++) {
    const char* equals = std::strchr(argv[i], '=');
    if (std::strncmp(argv[i], "set:", 4) == 0 && equals != nullptr) {
      const std::string key(argv[i] + 4, static_cast<size_t>(equals - argv[i] - 4));
      model.SetValue(key.c_str(), static_cast<uint32_t>(std::strtoul(equals + 1, nullptr, 10)));
    } else {
      std::snprintf(words.argv[words.argc++], kArgSize, "%s", argv[i]);
    }
  }
  const bool ok = RunScale(model, words.argc, words.argv);
  std::printf("[done]\n");
  return ok ? 0 : 1;
}
