#include "board/board_select.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_bus.h"
#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/libusb_pipe.h"
#include "transport/mapped_window.h"
#include "transport/usb_transport.h"

namespace {

BoardChoice Parse(const char* text) {
  BoardChoice choice;
  std::string error;
  EXPECT_TRUE(ParseBoardSetting(text, &choice, &error)) << text;
  EXPECT_TRUE(error.empty());
  return choice;
}

TEST(BoardSetting, EveryAcceptedForm) {
  struct Row {
    const char* text;
    BoardBus bus;
    const char* target;
    bool hclGiven = false;
    uint32_t hcl = 0;
  };
  for (const Row& row : {
           Row{nullptr, BoardBus::Auto, ""},
           Row{"", BoardBus::Auto, ""},
           Row{"AUTO", BoardBus::Auto, ""},
           Row{"usb", BoardBus::Usb, ""},
           Row{"usb:04b4:1004", BoardBus::Usb, "04b4:1004"},
           Row{"usb:1:A", BoardBus::Usb, "1:A"},
           Row{"sim", BoardBus::Sim, ""},
           Row{"sim:/tmp/x:y/board.img", BoardBus::Sim, "/tmp/x:y/board.img"},  // first ':' only
           Row{"uio:/dev/uio0", BoardBus::Uio, "/dev/uio0"},
           Row{"mem:0xFE000000", BoardBus::Mem, "0xFE000000"},
           // the last ",hcl=" counts
           Row{"SimBus:/tmp/a,b.img,HCL=0800", BoardBus::SimBus, "/tmp/a,b.img", true, 0x0800},
           Row{"usb,hcl=FFFFFFFF", BoardBus::Usb, "", true, 0xFFFFFFFF},
           Row{"simbus", BoardBus::SimBus, ""},
       }) {
    const BoardChoice choice = Parse(row.text);
    const char* text = row.text == nullptr ? "(none)" : row.text;
    EXPECT_EQ(choice.bus, row.bus) << text;
    EXPECT_EQ(choice.target, row.target) << text;
    EXPECT_EQ(choice.hclGiven, row.hclGiven) << text;
    EXPECT_EQ(choice.hcl, row.hcl) << text;
  }
}

TEST(BoardSetting, MalformedSettingsAreRefusedWithAMessage) {
  for (const char* text : {"usb:",
                           "usb:04b4",
                           "usb:04b4:",
                           "usb:12345:1",
                           "usb:04g4:1004",
                           "usb:04b4:1004:",
                           "sim:",
                           "uio",
                           "uio:",
                           "mem",
                           "mem:",
                           "mem:xyz",
                           "auto:x",
                           "pci",
                           ":",
                           "simulator",
                           "simbus:",
                           "sim,hcl=",
                           "sim,hcl=123456789",
                           "sim,hcl=0x800",
                           ",hcl=0800",
                           "uio,hcl=0800"}) {
    BoardChoice choice;
    choice.bus = BoardBus::Mem;
    std::string error;
    EXPECT_FALSE(ParseBoardSetting(text, &choice, &error)) << text;
    EXPECT_EQ(error.rfind("!!!!! VORN_BOARD=", 0), 0u) << text;
    EXPECT_EQ(choice.bus, BoardBus::Auto) << text;
  }
}

TEST(BoardRoute, EachBusGetsItsPipesOrWindow) {
  struct Row {
    const char* setting;
    const PipeOps* pipes;
    const BusWindowOps* window;
    const char* target;
  };
  for (const Row& row : {
           Row{"sim:/tmp/b.img", &SimPipes, nullptr, "/tmp/b.img"},
           Row{"usb:1234:5678", &LibusbPipes, nullptr, "1234:5678"},
           Row{"simbus:/tmp/b.img", nullptr, &SimBusWindow, "/tmp/b.img"},
           Row{"uio:/dev/uio0", nullptr, &UioWindow, "/dev/uio0"},
           Row{"mem:FE000000,hcl=0800", nullptr, &DevMemWindow, "FE000000"},
       }) {
    BoardRoute route;
    ChooseRoute(Parse(row.setting), &route);
    EXPECT_EQ(route.pipes, row.pipes) << row.setting;
    EXPECT_EQ(route.window, row.window) << row.setting;
    EXPECT_EQ(route.target, row.target) << row.setting;
  }
  BoardRoute route;
  ChooseRoute(Parse("simbus,hcl=4800"), &route);
  EXPECT_TRUE(route.hclGiven);
  EXPECT_EQ(route.hcl, 0x4800u);
}

TEST(BoardRoute, AutoFallsBackToTheSimulatedBoardAndSaysSo) {
  if (LibusbBridgePresent("")) GTEST_SKIP() << "a bridge is attached";
  BoardRoute route;
  StartCapture();
  ChooseRoute(Parse("auto"), &route);
  EXPECT_EQ(Captured(), "!!!!! No board found: using the simulated 77Q41 board.\n");
  EXPECT_EQ(route.pipes, &SimPipes);
  EXPECT_EQ(route.target, "");
}

TEST(BoardRoute, RouteFollowsVornBoard) {
  StartCapture();
  ScopedEnv board("VORN_BOARD", "sim:/tmp/board.img");
  BoardRoute route = ChooseBoardRoute();
  EXPECT_EQ(route.pipes, &SimPipes);
  EXPECT_EQ(route.target, "/tmp/board.img");
  board.Set("pci");
  route = ChooseBoardRoute();
  EXPECT_EQ(route.pipes, nullptr);
  EXPECT_EQ(route.window, nullptr);
  EXPECT_EQ(Captured().rfind("!!!!! VORN_BOARD=pci is not understood", 0), 0u);
}

// No bridge is attached to the test machine (nor any device with these ids): libusb discovery
// fails and the pipe says why in its own words.
TEST(LibusbPipes, MissingBridgeFailsCleanly) {
  EXPECT_FALSE(LibusbBridgePresent("FFFF:FFFE"));
  EXPECT_FALSE(LibusbBridgePresent("not ids"));
  std::string why;
  EXPECT_FALSE(LibusbPipes.open("FFFF:FFFE", &why));
  EXPECT_EQ(why, "No USB bridge ffff:fffe is attached");
  EXPECT_FALSE(LibusbPipes.open("zz", &why));
  EXPECT_EQ(why, "'zz' is not a vendor and product id (VVVV:PPPP)");
  EXPECT_FALSE(LibusbPipes.pipeInfo());
  uint8_t byte = 0;
  EXPECT_LT(LibusbPipes.send(kPacketPipe, &byte, 1), 0);
  EXPECT_LT(LibusbPipes.receive(kReplyPipe, &byte, 1, 10), 0);
  LibusbPipes.close();
}

}  // namespace
