// The bridge lock: serialises board access between threads and between processes.
#pragma once

#include <string>

// "77926MGEMutex%s" completed with the QDXBOARD environment variable ("(null)" when unset).
std::string BridgeLockName();

// The lock file: the lock's name in $XDG_RUNTIME_DIR, else in /tmp.
std::string BridgeLockPath();

// Takes (true) or gives back (false) the lock. Waits without time limit; re-entrant for the
// thread that holds it. A release by a thread that does not hold the lock does nothing. When the
// lock file cannot be created, only the threads of this process are serialised.
void BridgeLock(bool acquire);

// Closes the lock file; the next acquire opens it again under the then current name.
void BridgeLockClose();

// Holds the bridge lock for a scope.
class BridgeLockHold {
 public:
  BridgeLockHold() { BridgeLock(true); }
  ~BridgeLockHold() { BridgeLock(false); }
  BridgeLockHold(const BridgeLockHold&) = delete;
  BridgeLockHold& operator=(const BridgeLockHold&) = delete;
};
