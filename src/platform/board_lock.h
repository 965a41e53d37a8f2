// PLACEHOLDER until the lock lands.
#pragma once
class BridgeLockHold {
 public:
  BridgeLockHold();
  ~BridgeLockHold();
};
