// The real mapping facilities with stand-ins: a plain file for the UIO device (and for
// /dev/mem), a directory for its sysfs entries; and the HAL's rule for a window too small.
#include "transport/mapped_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "test_support.h"
#include "transport/driver_transport.h"

namespace {

class MappedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MappedWindowPath.uioClass = dir_ / "class";
    MappedWindowPath.devMem = dir_ / "mem";
    device_ = dir_ / "uio3";
  }
  void TearDown() override {
    Hal = HalState{};
    DriverClose();
    halSetBoardRoute(BoardRoute());
    MappedWindowPath = MappedWindowPaths();
  }
  // The device file with `bytes` bytes, 0x1234 at offset 4, and sysfs saying how big map 0 is.
  void MakeDevice(size_t bytes, const char* sysfsSize) {
    std::vector<char> content(bytes);
    if (bytes >= 6) content[4] = 0x34, content[5] = 0x12;
    std::ofstream(device_, std::ios::binary).write(content.data(), bytes);
    std::string map0 = dir_ / "class/uio3/maps/map0";
    ASSERT_EQ(std::system(("mkdir -p " + map0).c_str()), 0);
    if (sysfsSize != nullptr) std::ofstream(map0 + "/size") << sysfsSize << "\n";
    std::ofstream(dir_ / "class/uio3/version") << "1.2\n";
  }
  MapResult Map(const BusWindowOps& window, const std::string& target) {
    return window.map(target.c_str(), 0, 0, &linear_, &size_, &why_);
  }

  TempDir dir_;
  std::string device_;
  uintptr_t linear_ = 0;
  uint32_t size_ = 0;
  std::string why_;
};

TEST_F(MappedWindowTest, UioMapsMapZeroOfTheSizeSysfsGives) {
  MakeDevice(0x2000, "0x1000");
  ASSERT_EQ(Map(UioWindow, device_), MapResult::kMapped) << why_;
  EXPECT_EQ(size_, 0x1000u);
  EXPECT_NE(linear_, 0u);
  EXPECT_EQ(UioWindow.read16(4), 0x1234u);
  EXPECT_EQ(UioWindow.read8(5), 0x12u);
  UioWindow.write32(8, 0xDEADBEEF);
  EXPECT_EQ(UioWindow.version(), 0x00010002u);
  UioWindow.unmap();
  std::ifstream file(device_, std::ios::binary);
  file.seekg(8);
  uint32_t written = 0;
  file.read(reinterpret_cast<char*>(&written), 4);
  EXPECT_EQ(written, 0xDEADBEEFu);  // the mapping is the device's own memory
}

TEST_F(MappedWindowTest, FailuresNameTheDeviceAndTheCause) {
  MakeDevice(0x800, nullptr);
  EXPECT_EQ(Map(UioWindow, device_), MapResult::kRefused);
  EXPECT_EQ(why_, "Cannot read the size of map 0 of " + device_ + " from " + dir_.Path() +
                      "/class/uio3/maps/map0/size");
  MakeDevice(0x800, "0x1000");
  EXPECT_EQ(Map(UioWindow, device_), MapResult::kRefused);
  EXPECT_EQ(why_, device_ + " is shorter than the window to be mapped");
  std::remove(device_.c_str());
  EXPECT_EQ(Map(UioWindow, device_), MapResult::kNoDevice);
  EXPECT_EQ(why_, "Cannot open " + device_ + ": No such file or directory");
  EXPECT_EQ(Map(DevMemWindow, "12zz"), MapResult::kRefused);
  EXPECT_EQ(why_, "'12zz' is not a physical address in hexadecimal");
  if (geteuid() != 0) {  // root opens whatever the mode says
    MakeDevice(0x2000, "0x1000");
    chmod(device_.c_str(), 0);
    EXPECT_EQ(Map(UioWindow, device_), MapResult::kNoDevice);
    EXPECT_EQ(why_.rfind("Cannot open " + device_ + ": Permission denied (VORN's udev rule ", 0),
              0u);
  }
}

TEST_F(MappedWindowTest, DevMemMapsTheRangeAtThePhysicalAddress) {
  std::ofstream(MappedWindowPath.devMem, std::ios::binary).put(0);
  ASSERT_EQ(truncate(MappedWindowPath.devMem.c_str(), 0x2000 + kDevMemMapSize), 0);
  ASSERT_EQ(Map(DevMemWindow, "0x1002"), MapResult::kMapped) << why_;
  EXPECT_EQ(size_, kDevMemMapSize);
  DevMemWindow.write16(0, 0xBEEF);
  DevMemWindow.unmap();
  std::ifstream file(MappedWindowPath.devMem, std::ios::binary);
  file.seekg(0x1002);
  uint16_t written = 0;
  file.read(reinterpret_cast<char*>(&written), 2);
  EXPECT_EQ(written, 0xBEEFu);
}

// A window that ends inside the bus ports is refused at acquire, before anything reads it.
TEST_F(MappedWindowTest, AcquireRefusesAWindowShorterThanThePorts) {
  MakeDevice(0x1000, "8");
  BoardRoute route;
  route.window = &UioWindow;
  route.target = device_;
  halSetBoardRoute(route);
  StartCapture();
  EXPECT_EQ(qvAcquireController(), 0);
  EXPECT_EQ(Captured(),
            "!!!!! The window mapped from " + device_ + " is 8 bytes; the bus ports need 10.\n");
  EXPECT_EQ(qvGetLastError(nullptr, 0), kHalNoController);
  EXPECT_FALSE(qvIsAcquired());

  MakeDevice(0x1000, "0x1000");
  ASSERT_EQ(qvAcquireController(), 1);
  EXPECT_EQ(qvReadBar16(0, 4), 0x1234u);
  EXPECT_EQ(DriverTransport.size[0], 0x1000u);
  EXPECT_FALSE(qvBarInWindow(0, 0xFFF, 2));
}

}  // namespace
