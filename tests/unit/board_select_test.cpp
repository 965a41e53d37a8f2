#include "board/board_select.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/libusb_pipe.h"
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
}

TEST(BoardSetting, MalformedSettingsAreRefusedWithAMessage) {
  for (const char* text : {"usb:", "usb:04b4", "usb:04b4:", "usb:12345:1", "usb:04g4:1004",
                           "usb:04b4:1004:", "sim:", "uio", "uio:", "mem", "mem:", "mem:xyz",
                           "auto:x", "pci", ":", "simulator"}) {
    BoardChoice choice;
    choice.bus = BoardBus::Mem;
    std::string error;
    EXPECT_FALSE(ParseBoardSetting(text, &choice, &error)) << text;
    EXPECT_EQ(error.rfind("!!!!! VORN_BOARD=", 0), 0u) << text;
    EXPECT_EQ(choice.bus, BoardBus::Auto) << text;
  }
}

TEST(BoardRoute, EachBusGetsItsPipes) {
  BoardRoute route;
  std::string error;
  ASSERT_TRUE(ChooseBridge(Parse("sim:/tmp/b.img"), &route, &error));
  EXPECT_EQ(route.pipes, &SimPipes);
  EXPECT_EQ(route.target, "/tmp/b.img");
  ASSERT_TRUE(ChooseBridge(Parse("usb:1234:5678"), &route, &error));
  EXPECT_EQ(route.pipes, &LibusbPipes);
  EXPECT_EQ(route.target, "1234:5678");
  EXPECT_FALSE(ChooseBridge(Parse("uio:/dev/uio0"), &route, &error));
  EXPECT_EQ(route.pipes, nullptr);
  EXPECT_EQ(error, "!!!!! The kernel-mapped bus (uio:, mem:) is not supported yet.\n");
}

TEST(BoardRoute, AutoFallsBackToTheSimulatedBoardAndSaysSo) {
  if (LibusbBridgePresent("")) GTEST_SKIP() << "a bridge is attached";
  BoardRoute route;
  std::string error;
  StartCapture();
  ASSERT_TRUE(ChooseBridge(Parse("auto"), &route, &error));
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
  EXPECT_EQ(ChooseBoardRoute().pipes, nullptr);
  board.Set("mem:FE000000");
  EXPECT_EQ(ChooseBoardRoute().pipes, nullptr);
  std::string printed = Captured();
  EXPECT_NE(printed.find("!!!!! VORN_BOARD=pci is not understood"), std::string::npos);
  EXPECT_NE(printed.find("not supported yet"), std::string::npos);
}

// No bridge is attached to the test machine (nor any device with these ids): libusb discovery
// fails and the transport says so in its own words.
TEST(LibusbPipes, MissingBridgeFailsCleanly) {
  EXPECT_FALSE(LibusbBridgePresent("FFFF:FFFE"));
  EXPECT_FALSE(LibusbBridgePresent("not ids"));
  std::string why;
  EXPECT_FALSE(LibusbPipes.open("FFFF:FFFE", &why));
  EXPECT_NE(why.find("ffff:fffe"), std::string::npos) << why;
  EXPECT_FALSE(LibusbPipes.open("zz", &why));
  EXPECT_NE(why.find("'zz'"), std::string::npos) << why;
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
