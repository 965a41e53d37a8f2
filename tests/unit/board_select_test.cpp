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
  EXPECT_EQ(Parse(nullptr).bus, BoardBus::Auto);
  EXPECT_EQ(Parse("").bus, BoardBus::Auto);
  EXPECT_EQ(Parse("auto").bus, BoardBus::Auto);
  EXPECT_EQ(Parse("AUTO").bus, BoardBus::Auto);
  BoardChoice usb = Parse("usb");
  EXPECT_EQ(usb.bus, BoardBus::Usb);
  EXPECT_EQ(usb.target, "");
  usb = Parse("usb:04b4:1004");
  EXPECT_EQ(usb.bus, BoardBus::Usb);
  EXPECT_EQ(usb.target, "04b4:1004");
  EXPECT_EQ(Parse("usb:1:A").target, "1:A");
  BoardChoice sim = Parse("sim");
  EXPECT_EQ(sim.bus, BoardBus::Sim);
  EXPECT_EQ(sim.target, "");
  sim = Parse("sim:/tmp/x:y/board.img");  // only the first ':' separates
  EXPECT_EQ(sim.target, "/tmp/x:y/board.img");
  EXPECT_EQ(Parse("uio:/dev/uio0").bus, BoardBus::Uio);
  BoardChoice mem = Parse("mem:0xFE000000");
  EXPECT_EQ(mem.bus, BoardBus::Mem);
  EXPECT_EQ(mem.target, "0xFE000000");
  EXPECT_FALSE(mem.hclGiven);
  BoardChoice simbus = Parse("SimBus:/tmp/a,b.img,HCL=0800");  // the last ",hcl=" counts
  EXPECT_EQ(simbus.bus, BoardBus::SimBus);
  EXPECT_EQ(simbus.target, "/tmp/a,b.img");
  EXPECT_TRUE(simbus.hclGiven);
  EXPECT_EQ(simbus.hcl, 0x0800u);
  EXPECT_EQ(Parse("usb,hcl=FFFFFFFF").hcl, 0xFFFFFFFFu);
  EXPECT_EQ(Parse("simbus").target, "");
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
// fails and the transport says so in its own words.
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

  StartCapture();
  EXPECT_FALSE(UsbTransportOpen(&LibusbPipes, "FFFF:FFFE", 0, 2, kUsbInfo));
  EXPECT_EQ(Captured(), "\nUsb Transport: No USB bridge ffff:fffe is attached\n");
}

}  // namespace
