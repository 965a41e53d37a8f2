#include "board/board_select.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/sim_bus.h"
#include "sim/sim_pipe.h"
#include "transport/libusb_pipe.h"
#include "transport/mapped_window.h"

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
    {"sim", BoardBus::Sim, true, false},    {"simbus", BoardBus::SimBus, true, false},
    {"uio", BoardBus::Uio, true, true},     {"mem", BoardBus::Mem, true, true},
};

// Takes a trailing ",hcl=XXXX" off the setting into the choice; false when it is malformed.
bool TakeHclFlags(std::string* setting, BoardChoice* choice) {
  size_t at = Lower(*setting).rfind(",hcl=");
  if (at == std::string::npos) return true;
  std::string digits = setting->substr(at + 5);
  if (!HexDigits(digits, 0, digits.size(), 8)) return false;
  choice->hclGiven = true;
  choice->hcl = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
  setting->erase(at);
  return true;
}

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
  std::string whole = setting;
  if (!TakeHclFlags(&setting, choice)) setting.clear();
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
  *choice = BoardChoice();
  *error = "!!!!! VORN_BOARD=" + whole +
           " is not understood: use auto, usb, usb:VVVV:PPPP, sim, sim:PATH, simbus, "
           "simbus:PATH, uio:/dev/uioN or mem:ADDRESS, any of them followed by ,hcl=XXXX if "
           "need be.\n";
  return false;
}

void ChooseRoute(const BoardChoice& choice, BoardRoute* route) {
  *route = BoardRoute();
  route->target = choice.target;
  route->hclGiven = choice.hclGiven;
  route->hcl = choice.hcl;
  switch (choice.bus) {
    case BoardBus::Auto:
      if (LibusbBridgePresent("")) {
        route->pipes = &LibusbPipes;
        return;
      }
      std::fputs(kNoBoardFound, stdout);
      route->pipes = &SimPipes;
      return;
    case BoardBus::Usb:
      route->pipes = &LibusbPipes;
      return;
    case BoardBus::Sim:
      route->pipes = &SimPipes;
      return;
    case BoardBus::SimBus:
      route->window = &SimBusWindow;
      return;
    case BoardBus::Uio:
      route->window = &UioWindow;
      return;
    case BoardBus::Mem:
      route->window = &DevMemWindow;
      return;
  }
}

BoardRoute ChooseBoardRoute() {
  BoardChoice choice;
  BoardRoute route;
  std::string error;
  if (!ParseBoardSetting(std::getenv("VORN_BOARD"), &choice, &error)) {
    std::fputs(error.c_str(), stdout);
    return BoardRoute();
  }
  ChooseRoute(choice, &route);
  return route;
}
