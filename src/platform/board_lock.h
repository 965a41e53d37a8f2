// The bridge lock: serialises board access between threads and between processes. It is a
// robust, process-shared mutex that lives in a mapping every process reaching the board shares:
// the board file itself for the simulated board, the named lock file for a real one. Taking it
// while nobody holds it makes no system call, and a holder that dies gives it up.
#pragma once

#include <string>

// Room for the lock inside a shared mapping; the simulated board's file keeps one.
struct alignas(8) SharedLockArea {
  unsigned char bytes[64];
};

// Sets up a lock area that no process uses yet: a file being created, under its creation lock.
void SharedLockInit(SharedLockArea* area);

// "77926MGEMutex%s" completed with the QDXBOARD environment variable ("(null)" when unset).
std::string BridgeLockName();

// The lock file: the lock's name in $XDG_RUNTIME_DIR, else in /tmp.
std::string BridgeLockPath();

// Makes the named lock file (for a real board) the bridge lock. False, with the reason naming the
// file, when it cannot be created or mapped.
bool BridgeLockOpenNamed(std::string* why);

// Makes the area, in a mapping shared by every process that reaches the board, the bridge lock
// (the simulated board's file); null gives it up. Not while any thread holds the lock.
void BridgeLockUseArea(SharedLockArea* area);

// Gives up the lock in use; the next acquire opens the named lock under the then current name.
void BridgeLockClose();

// Takes (true) or gives back (false) the lock. Re-entrant for the thread that holds it; other
// threads and processes wait, and a wait of more than two seconds names the holder once. A
// release by a thread that does not hold the lock does nothing. Without a lock in use the named
// one is opened; when that fails, the failure is reported once and only the threads of this
// process are serialised.
void BridgeLock(bool acquire);

// Holds the bridge lock for a scope.
class BridgeLockHold {
 public:
  BridgeLockHold() { BridgeLock(true); }
  ~BridgeLockHold() { BridgeLock(false); }
  BridgeLockHold(const BridgeLockHold&) = delete;
  BridgeLockHold& operator=(const BridgeLockHold&) = delete;
};
