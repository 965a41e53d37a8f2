// The libusb backend against a fake libusb: a device whose bulk endpoints lead to the simulated
// bridge firmware, with the faults a real bridge shows that the simulation cannot (a missing or
// forbidden device, endpoint layouts, stalls, sends cut short, empty transfers, unplugging).
#include "transport/libusb_pipe.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "board/board_select.h"
#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "sim/bridge.h"
#include "test_support.h"
#include "transport/udev_rule.h"
#include "transport/usb_transport.h"

namespace {

libusb_endpoint_descriptor Bulk(uint8_t address) {
  libusb_endpoint_descriptor endpoint{};
  endpoint.bEndpointAddress = address;
  endpoint.bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
  endpoint.wMaxPacketSize = 512;
  return endpoint;
}

// An EZ-USB bridge as libusb shows it: setting 0 without endpoints, setting 1 with EP2 OUT,
// EP4 OUT, EP6 IN and EP8 IN.
struct FakeDevice {
  bool attached = true;
  int openResult = 0;
  int claimResult = 0;
  bool kernelDriver = true;
  bool unplugged = false;
  bool stallNextReceive = false;
  bool cutNextSend = false;
  bool emptyNextReceive = false;
  bool callsToStderr = false;  // death tests see the calls there
  std::vector<std::vector<libusb_endpoint_descriptor>> endpoints = {
      {}, {Bulk(0x02), Bulk(0x04), Bulk(0x86), Bulk(0x88)}};
  std::vector<libusb_interface_descriptor> settings;
  libusb_interface interface {};
  libusb_config_descriptor config{};
  std::vector<std::string> calls;
  std::vector<int> receiveLengths;
  std::unique_ptr<BoardImage> board = std::make_unique<BoardImage>();

  void Describe() {
    settings.assign(endpoints.size(), libusb_interface_descriptor{});
    for (size_t a = 0; a < endpoints.size(); a++) {
      settings[a].bAlternateSetting = static_cast<uint8_t>(a);
      settings[a].bNumEndpoints = static_cast<uint8_t>(endpoints[a].size());
      settings[a].endpoint = endpoints[a].data();
    }
    interface.altsetting = settings.data();
    interface.num_altsetting = static_cast<int>(settings.size());
    config.bNumInterfaces = 1;
    config.interface = &interface;
  }
  void Call(const std::string& call) {
    calls.push_back(call);
    if (callsToStderr) std::fprintf(stderr, "fake: %s\n", call.c_str());
  }
};
std::unique_ptr<FakeDevice> Fake;

// Opaque libusb objects stand for the one fake device.
auto* const kDevice = reinterpret_cast<libusb_device*>(0x1000);
auto* const kHandle = reinterpret_cast<libusb_device_handle*>(0x2000);
libusb_device* DeviceList[] = {kDevice, nullptr};

const LibusbCalls kFakeCalls = {
    .init =
        [](libusb_context** context) {
          *context = reinterpret_cast<libusb_context*>(0x3000);
          return 0;
        },
    .exit = [](libusb_context*) {},
    .getDeviceList = [](libusb_context*, libusb_device*** list) -> ssize_t {
      *list = Fake->attached ? DeviceList : DeviceList + 1;
      return Fake->attached ? 1 : 0;
    },
    .freeDeviceList = [](libusb_device**, int) {},
    .getDeviceDescriptor =
        [](libusb_device*, libusb_device_descriptor* descriptor) {
          *descriptor = libusb_device_descriptor{};
          descriptor->idVendor = kDefaultBridgeVendor;
          descriptor->idProduct = kDefaultBridgeProduct;
          return 0;
        },
    .getBusNumber = [](libusb_device*) -> uint8_t { return 3; },
    .getDeviceAddress = [](libusb_device*) -> uint8_t { return 7; },
    .open =
        [](libusb_device*, libusb_device_handle** handle) {
          if (Fake->openResult == 0) *handle = kHandle;
          return Fake->openResult;
        },
    .close = [](libusb_device_handle*) { Fake->Call("close"); },
    .getDevice = [](libusb_device_handle*) { return kDevice; },
    .getActiveConfigDescriptor =
        [](libusb_device*, libusb_config_descriptor** config) {
          Fake->Describe();
          *config = &Fake->config;
          return 0;
        },
    .freeConfigDescriptor = [](libusb_config_descriptor*) {},
    .kernelDriverActive = [](libusb_device_handle*, int) { return Fake->kernelDriver ? 1 : 0; },
    .detachKernelDriver =
        [](libusb_device_handle*, int) {
          Fake->kernelDriver = false;
          Fake->Call("detach");
          return 0;
        },
    .attachKernelDriver =
        [](libusb_device_handle*, int) {
          Fake->Call("attach");
          return 0;
        },
    .claimInterface =
        [](libusb_device_handle*, int) {
          Fake->Call("claim");
          return Fake->unplugged ? int(LIBUSB_ERROR_NO_DEVICE) : Fake->claimResult;
        },
    .releaseInterface =
        [](libusb_device_handle*, int) {
          Fake->Call("release");
          return 0;
        },
    .setInterfaceAltSetting =
        [](libusb_device_handle*, int, int setting) {
          Fake->Call("setting " + std::to_string(setting));
          return 0;
        },
    .clearHalt =
        [](libusb_device_handle*, unsigned char endpoint) {
          char text[8];
          std::snprintf(text, sizeof text, "%02X", endpoint);
          Fake->Call(std::string("clear ") + text);
          return 0;
        },
    .resetDevice =
        [](libusb_device_handle*) {
          Fake->Call("reset");
          BridgeStart(Fake->board.get());
          return 0;
        },
    .bulkTransfer =
        [](libusb_device_handle*, unsigned char endpoint, unsigned char* data, int length,
           int* transferred, unsigned int) {
          *transferred = 0;
          if (Fake->unplugged) return int(LIBUSB_ERROR_NO_DEVICE);
          if ((endpoint & LIBUSB_ENDPOINT_IN) == 0) {
            if (Fake->cutNextSend) {  // half the packet went out, then the bridge stopped taking it
              Fake->cutNextSend = false;
              *transferred = length / 2;
              return int(LIBUSB_ERROR_TIMEOUT);
            }
            BridgeTakePacket(data, static_cast<size_t>(length));
            *transferred = length;
            return 0;
          }
          Fake->receiveLengths.push_back(length);
          if (Fake->stallNextReceive) {
            Fake->stallNextReceive = false;
            return int(LIBUSB_ERROR_PIPE);
          }
          if (Fake->emptyNextReceive) {
            Fake->emptyNextReceive = false;
            return 0;
          }
          int got = BridgeGiveReply(data, static_cast<size_t>(length));
          if (got < 0) return int(LIBUSB_ERROR_TIMEOUT);
          *transferred = got;
          return 0;
        },
};

class LibusbPipeTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshBridge(); }
  void FreshBridge() {
    Fake = std::make_unique<FakeDevice>();
    BoardPowerOn(Fake->board.get());
    BridgeStart(Fake->board.get());
    LibusbUseCalls(&kFakeCalls);
    UsbTransport = UsbTransportState();
    UsbTransport.announce = false;
  }
  void TearDown() override {
    UsbTransportClose();
    LibusbUseCalls(nullptr);
    BridgeStop();
    Hal = HalState{};
    halSetBoardRoute(BoardRoute());
  }
  // Opens the transport on the fake bridge; what it printed goes to *printed.
  bool Open(std::string* printed = nullptr) {
    StartCapture();
    bool opened = UsbTransportOpen(&LibusbPipes, "", 0, 2, kUsbInfo);
    std::string text = Captured();
    if (printed != nullptr) *printed = text;
    Fake->calls.clear();
    return opened;
  }
  static uint32_t Read(uint32_t index) {
    uint32_t value = 0;
    UsbSingleRead(index + 1, 2, 2, &value);
    return value;
  }
};

TEST_F(LibusbPipeTest, OpenTakesTheSettingWithThePipesAndGetsInStep) {
  uint8_t staleRequest[] = {kPacketReadRequest, 0, 0x41, 0, 0, 2, 2, 0};
  BridgeTakePacket(staleRequest, sizeof staleRequest);  // a reply left from an earlier session
  StartCapture();
  ASSERT_TRUE(UsbTransportOpen(&LibusbPipes, "", 0, 2, kUsbInfo));
  Captured();
  EXPECT_EQ(Fake->calls, (std::vector<std::string>{"detach", "claim", "setting 1", "clear 02",
                                                   "clear 86", "release"}));
  Fake->calls.clear();
  EXPECT_TRUE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  EXPECT_EQ(Read(0x40), 0x1234u);
  // Each operation claims the interface and gives it back, the setting coming back with it; a
  // hold around several claims it once.
  {
    UsbHold hold;
    UsbSingleWrite(0x42, 2, 2, 1);
    UsbSingleWrite(0x42, 2, 2, 2);
  }
  EXPECT_EQ(Fake->calls,
            (std::vector<std::string>{"claim", "setting 1", "release", "claim", "setting 1",
                                      "release", "claim", "setting 1", "release"}));
  for (int length : Fake->receiveLengths) EXPECT_EQ(length % 512, 0) << length;
  UsbTransportClose();
  EXPECT_EQ(Fake->calls.back(), "close");
  EXPECT_EQ(Fake->calls[Fake->calls.size() - 2], "attach");  // the kernel driver gets it back
}

// The transport's line names the cause; the HAL's error says the controller was not reached.
TEST_F(LibusbPipeTest, OpenFailuresNameTheCause) {
  const std::string bridge = "USB bridge 04b4:8613 at /dev/bus/usb/003/007";
  struct Row {
    const char* fault;
    void (*set)();
    std::string printed;
  };
  const Row rows[] = {
      {"no device", [] { Fake->attached = false; },
       "\nUsb Transport: No USB bridge 04b4:8613 is attached\n"},
      {"permission", [] { Fake->openResult = LIBUSB_ERROR_ACCESS; },
       "\nUsb Transport: A " + bridge +
           " is attached but cannot be opened: permission denied. VORN's udev rule " +
           kUdevRulePath +
           " gives it to the logged-in user: install it with make install, then plug the "
           "bridge in again\n"},
      {"opened elsewhere", [] { Fake->openResult = LIBUSB_ERROR_BUSY; },
       "\nUsb Transport: A " + bridge +
           " is attached but cannot be opened: another process "
           "holds it\n"},
      {"claimed elsewhere", [] { Fake->claimResult = LIBUSB_ERROR_BUSY; },
       "\nUsb Transport: The " + bridge + " cannot be claimed: another process holds it\n"},
      {"no setting with the pipes",
       [] {
         Fake->endpoints = {{Bulk(0x82), Bulk(0x02)}};
       },
       "\nUsb Transport: the " + bridge +
           " has no setting with a bulk OUT endpoint as pipe 0 and a bulk IN endpoint as pipe "
           "2:\n  setting 0: pipe 0 82h bulk IN 512; pipe 1 02h bulk OUT 512;"
           "\nUsb Transport: Get Pipe Info failed\n"},
  };
  for (const Row& row : rows) {
    FreshBridge();
    Hal = HalState{};
    row.set();
    BoardRoute route;
    route.pipes = &LibusbPipes;
    route.quiet = true;
    halSetBoardRoute(route);
    StartCapture();
    EXPECT_EQ(qvAcquireController(), 0) << row.fault;
    EXPECT_EQ(Captured(), row.printed) << row.fault;
    EXPECT_EQ(qvGetLastError(nullptr, 0), kHalNoController) << row.fault;
  }
}

// auto falls back to the simulated board only when no bridge is attached at all.
TEST_F(LibusbPipeTest, AutoTakesAnAttachedBridgeEvenWhenItCannotBeOpened) {
  BoardChoice choice;
  std::string error;
  ASSERT_TRUE(ParseBoardSetting("auto", &choice, &error));
  Fake->openResult = LIBUSB_ERROR_ACCESS;
  BoardRoute route;
  StartCapture();
  ChooseRoute(choice, &route);
  EXPECT_EQ(Captured(), "");
  EXPECT_EQ(route.pipes, &LibusbPipes);
}

TEST_F(LibusbPipeTest, TransferFaultsFailTheOperationAndLeaveTheBridgeInStep) {
  ASSERT_TRUE(Open());
  UsbSingleWrite(0x40, 2, 2, 0x4321);
  struct Row {
    const char* fault;
    void (*set)();
    const char* printed;
    const char* call;
  };
  for (const Row& row : {
           Row{"stall", [] { Fake->stallNextReceive = true; },
               "the bridge stalled endpoint 86h; the stall is cleared", "clear 86"},
           Row{"empty transfer", [] { Fake->emptyNextReceive = true; }, "", "claim"},
       }) {
    row.set();
    StartCapture();
    uint32_t value = 1;
    EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value)) << row.fault;
    EXPECT_EQ(value, 0u);
    EXPECT_NE(Captured().find(row.printed), std::string::npos) << row.fault;
    EXPECT_NE(std::find(Fake->calls.begin(), Fake->calls.end(), row.call), Fake->calls.end());
    EXPECT_EQ(Read(0x40), 0x4321u) << row.fault;  // a late reply is never taken for this one
  }
  // A send cut short resets the bridge and configures it again.
  Fake->cutNextSend = true;
  StartCapture();
  EXPECT_FALSE(UsbSingleWrite(0x40, 2, 2, 0x1111));
  EXPECT_NE(Captured().find("cut short; resetting the bridge"), std::string::npos);
  EXPECT_NE(std::find(Fake->calls.begin(), Fake->calls.end(), "reset"), Fake->calls.end());
  EXPECT_TRUE(UsbSingleWrite(0x40, 2, 2, 0x2222));
  EXPECT_EQ(Read(0x40), 0x2222u);
}

// Starts the HAL on the fake bridge, in a death test's child.
void AcquireOnFake(int lostExitCode = 1) {
  Fake->callsToStderr = true;
  dup2(2, 1);  // what the program prints goes where the death test looks
  BoardRoute route;
  route.pipes = &LibusbPipes;
  route.quiet = true;
  route.lostExitCode = lostExitCode;
  halSetBoardRoute(route);
  if (qvAcquireController() != 1) std::_Exit(7);
}

// A program whose exit code 1 means something else (vornreg: differences) chooses its own.
TEST_F(LibusbPipeTest, UnpluggedMidSessionEndsTheRunWithOneLine) {
  for (int code : {1, 2}) {
    EXPECT_EXIT(
        {
          AcquireOnFake(code);
          Fake->unplugged = true;
          qvReadReg16(0x0040);
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(code),
        "fake: claim\n\nbridge disconnected\nfake: attach\nfake: close\n$");
  }
}

TEST_F(LibusbPipeTest, AnAbortedAssertionGivesTheInterfaceBack) {
  EXPECT_EXIT(
      {
        AcquireOnFake();
        SetAssertResponder([]() -> int { return 'y'; });
        UsbHold hold;
        HalAssert("stop here");
      },
      ::testing::ExitedWithCode(99),
      "fake: claim\n.*ASSERT - stop here.*fake: release\nfake: "
      "attach\nfake: close\n$");
  // The child ended inside its hold of the bridge lock: the lock is free for the others.
  static std::atomic<bool> taken{false};
  std::thread([] {
    BridgeLockHold hold;
    taken = true;
  }).detach();
  for (int i = 0; i < 500 && !taken; i++) usleep(10000);
  EXPECT_TRUE(taken);
}

}  // namespace
