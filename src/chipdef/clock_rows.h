// The clocks of the controller, in the order the overview lists them. CLKI feeds the PLL; the
// PLL output or CLKI (pllcontrol) is INCLK; the others divide the clock named as their input.
#pragma once

struct ClockRow {
  const char* key;
  const char* source;   // the list feature naming the clock's source; nullptr for none
  const char* input;    // the clock divided down; nullptr for CLKI, the PLL and INCLK
  const char* divider;  // the divider feature (user value = the ratio); nullptr for none
};

inline constexpr ClockRow kClockRows[] = {
    {"clki", nullptr, nullptr, nullptr},       {"pllclk", "pllclksrc", nullptr, nullptr},
    {"inclk", "pllcontrol", nullptr, nullptr}, {"sysclk", "sysclksrc", "inclk", "sysclkdiv"},
    {"pclk", "pclksrc", "sysclk", "pclkdiv"},  {"serclk", "serclksrc", "sysclk", "serclkdiv"},
};
