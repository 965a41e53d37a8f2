#include "board/board_select.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/sim_pipe.h"
#include "transport/libusb_pipe.h"

namespace {

bool HexDigits(const std::string& text, size_t from, size_t to, size_t maxDigits) {
  if (to <= from || to - from > maxDigits) return false;
  for (size_t i = from; i < to; i++) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool ValidUsbIds(const std::string& ids) {
  size_t colon = ids.find(':');
  return colon != std::string::npos && HexDigits(ids, 0, colon, 4) &&
         HexDigits(ids, colon + 1, ids.size(), 4);
}

bool ValidAddress(const std::string& text) {
  size_t from = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 2 : 0;
  return HexDigits(text, from, text.size(), 16);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct BusName {
  const char* keyword;
  BoardBus bus;
  bool targetAllowed;
  bool targetRequired;
};
constexpr BusName kBuses[] = {
    {"auto", BoardBus::Auto, false, false}, {"usb", BoardBus::Usb, true, false},
    {"sim", BoardBus::Sim, true, false},    {"uio", BoardBus::Uio, true, true},
    {"mem", BoardBus::Mem, true, true},
};

bool TargetValid(BoardBus bus, const std::string& target) {
  switch (bus) {
    case BoardBus::Usb:
      return target.empty() || ValidUsbIds(target);
    case BoardBus::Mem:
      return ValidAddress(target);
    default:
      return true;
  }
}

}  // namespace

bool ParseBoardSetting(const char* text, BoardChoice* choice, std::string* error) {
  *choice = BoardChoice();
  if (text == nullptr || *text == '\0') return true;
  std::string setting = text;
  size_t colon = setting.find(':');
  std::string keyword = Lower(setting.substr(0, colon));
  bool hasTarget = colon != std::string::npos;
  std::string target = hasTarget ? setting.substr(colon + 1) : "";
  for (const BusName& name : kBuses) {
    if (keyword != name.keyword) continue;
    bool targetOk = hasTarget ? name.targetAllowed && !target.empty() : !name.targetRequired;
    if (!targetOk || !TargetValid(name.bus, target)) break;
    choice->bus = name.bus;
    choice->target = target;
    return true;
  }
  *error = "!!!!! VORN_BOARD=" + setting +
           " is not understood: use auto, usb, usb:VVVV:PPPP, sim, sim:PATH, uio:/dev/uioN or "
           "mem:ADDRESS.\n";
  return false;
}

bool ChooseBridge(const BoardChoice& choice, BoardRoute* route, std::string* error) {
  *route = BoardRoute();
  switch (choice.bus) {
    case BoardBus::Auto:
      if (LibusbBridgePresent("")) {
        route->pipes = &LibusbPipes;
        return true;
      }
      std::fputs(kNoBoardFound, stdout);
      route->pipes = &SimPipes;
      return true;
    case BoardBus::Usb:
      route->pipes = &LibusbPipes;
      route->target = choice.target;
      return true;
    case BoardBus::Sim:
      route->pipes = &SimPipes;
      route->target = choice.target;
      return true;
    case BoardBus::Uio:
    case BoardBus::Mem:
      break;
  }
  *error = "!!!!! The kernel-mapped bus (uio:, mem:) is not supported yet.\n";
  return false;
}

BoardRoute ChooseBoardRoute() {
  BoardChoice choice;
  BoardRoute route;
  std::string error;
  if (!ParseBoardSetting(std::getenv("VORN_BOARD"), &choice, &error) ||
      !ChooseBridge(choice, &route, &error)) {
    std::fputs(error.c_str(), stdout);
    return BoardRoute();
  }
  return route;
}
