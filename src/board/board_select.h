// Which board VORN talks to, from the VORN_BOARD environment variable.
#pragma once

#include <cstdint>
#include <string>

#include "hal/board_route.h"

enum class BoardBus { Auto, Usb, Sim, Uio, Mem };

struct BoardChoice {
  BoardBus bus = BoardBus::Auto;
  // usb: "VVVV:PPPP" or empty for the default ids; sim: the board file or empty for the
  // default; uio: the device; mem: the physical address in hexadecimal.
  std::string target;
};

// Reads a VORN_BOARD text: null, empty or "auto"; "usb" or "usb:VVVV:PPPP"; "sim" or
// "sim:PATH"; "uio:/dev/uioN"; "mem:ADDRESS". False with a message for anything else.
bool ParseBoardSetting(const char* text, BoardChoice* choice, std::string* error);

// The pipes to open for a USB bridge board and their target. auto takes a real bridge when one
// is attached and otherwise the simulated board, announcing it. False with a message for the
// mapped bus, which this build cannot reach yet.
bool ChooseBridge(const BoardChoice& choice, BoardRoute* route, std::string* error);

// The route to the board that VORN_BOARD names, for the HAL's acquire. When there is none (a
// setting not understood, a bus not supported) it prints why and gives an empty route, which
// the acquire refuses.
BoardRoute ChooseBoardRoute();

// The line printed when auto falls back to the simulated board.
constexpr const char* kNoBoardFound = "!!!!! No board found: using the simulated 77Q41 board.\n";
