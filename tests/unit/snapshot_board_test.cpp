// Taking a snapshot of the simulated bridge, and of one that stops answering part-way.
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "chipdef/chipdef.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "sim/sim_pipe.h"
#include "transport/usb_transport.h"
#include "vornreg/snapshot.h"

namespace {

int RepliesLeft = 0;  // replies the bridge still gives; negative: no end

int DyingReceive(int pipe, uint8_t* buffer, size_t len, uint32_t timeoutMs) {
  if (RepliesLeft == 0) return -1;
  if (RepliesLeft > 0) RepliesLeft--;
  return SimPipes.receive(pipe, buffer, len, timeoutMs);
}

const PipeOps DyingPipes = {"dying",      SimPipes.open,  SimPipes.pipeInfo, SimPipes.send,
                            DyingReceive, SimPipes.close, SimPipes.errorName};

TEST(SnapshotBoard, ABoardThatStopsAnsweringGivesNoSnapshot) {
  const std::string path = "/tmp/vorn-snapshot-test-" + std::to_string(getpid()) + ".img";
  struct Row {
    int replies;
    bool whole;
  };
  // No reply at all, one in the registers, one in the first table, and a board that answers.
  for (const Row& row : {Row{0, false}, Row{40, false}, Row{300, false}, Row{-1, true}}) {
    SCOPED_TRACE(row.replies);
    unlink(path.c_str());
    RepliesLeft = -1;
    UsbTransport.announce = false;
    ASSERT_TRUE(UsbTransportOpen(&DyingPipes, path.c_str(), 0, 2, qvHclData.usbInfo));
    Hal.dispatch = BridgeVariant;
    Hal.windowBase[0] = kBridgeWindowMark;
    ChipModel().SetLive(true);
    RepliesLeft = row.replies;
    Snapshot snapshot;
    EXPECT_EQ(CaptureBoard(nullptr, &snapshot), row.whole);
    if (row.whole) {
      EXPECT_EQ(snapshot.registers.size(), 105u);
      EXPECT_EQ(snapshot.luts[0].size() + snapshot.luts[1].size(), 512u);
    }
    ChipModel().SetLive(false);
    UsbTransportClose();
    Hal = HalState{};
    UsbTransport.announce = true;
  }
  unlink(path.c_str());
}

}  // namespace
