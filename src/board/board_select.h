// Which board VORN talks to, from the VORN_BOARD environment variable.
#pragma once

#include <cstdint>
#include <string>

#include "hal/board_route.h"

enum class BoardBus { Auto, Usb, Sim, SimBus, Uio, Mem };

struct BoardChoice {
  BoardBus bus = BoardBus::Auto;
  // usb: "VVVV:PPPP" or empty for the default ids; sim and simbus: the board file or empty for
  // the default; uio: the device; mem: the physical address in hexadecimal.
  std::string target;
  bool hclGiven = false;  // ",hcl=XXXX": the run's HCL information flags
  uint32_t hcl = 0;
};

// Reads a VORN_BOARD text: null, empty or "auto"; "usb" or "usb:VVVV:PPPP"; "sim" or
// "sim:PATH"; "simbus" or "simbus:PATH"; "uio:/dev/uioN"; "mem:ADDRESS"; any of them may end in
// ",hcl=XXXX" (hexadecimal). False with a message for anything else.
bool ParseBoardSetting(const char* text, BoardChoice* choice, std::string* error);

// The pipes (a USB bridge) or the window (a kernel-mapped bus) to open, and their target. auto
// takes a real bridge when one is attached and otherwise the simulated board, announcing it.
void ChooseRoute(const BoardChoice& choice, BoardRoute* route);

// The route to the board that VORN_BOARD names, for the HAL's acquire. For a setting not
// understood it prints why and gives an empty route, which the acquire refuses.
BoardRoute ChooseBoardRoute();

// The line printed when auto falls back to the simulated board.
constexpr const char* kNoBoardFound = "!!!!! No board found: using the simulated 77Q41 board.\n";
