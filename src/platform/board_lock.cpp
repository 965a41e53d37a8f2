#include "platform/board_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// The file lock is held while any thread of this process holds the lock; the recursive mutex
// serialises the threads themselves, since flock() does not tell them apart.
struct LockState {
  std::recursive_mutex threads;
  std::thread::id owner;
  int depth = 0;
  int fd = -1;
  pid_t openedBy = 0;  // a child of fork() shares the parent's file lock, so it opens its own
};
LockState Lock;

void OpenLockFile() {
  if (Lock.fd >= 0 && Lock.openedBy == getpid()) return;
  if (Lock.fd >= 0) close(Lock.fd);
  Lock.fd = open(BridgeLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  Lock.openedBy = getpid();
}

void FileLock(int operation) {
  if (Lock.fd < 0) return;
  while (flock(Lock.fd, operation) != 0 && errno == EINTR) {
  }
}

}  // namespace

std::string BridgeLockName() {
  const char* board = std::getenv("QDXBOARD");
  char name[256];
  std::snprintf(name, sizeof name, "77926MGEMutex%s", board ? board : "(null)");
  return name;
}

std::string BridgeLockPath() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string path = dir && *dir ? dir : "/tmp";
  // The name may carry any text from QDXBOARD; a '/' in it must not reach another directory.
  std::string name = BridgeLockName();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return path + "/" + name;
}

void BridgeLock(bool acquire) {
  if (acquire) {
    Lock.threads.lock();
    if (Lock.depth++ == 0) {
      Lock.owner = std::this_thread::get_id();
      OpenLockFile();
      FileLock(LOCK_EX);
    }
    return;
  }
  if (!Lock.threads.try_lock()) return;  // another thread holds it
  bool held = Lock.depth > 0 && Lock.owner == std::this_thread::get_id();
  Lock.threads.unlock();
  if (!held) return;
  if (--Lock.depth == 0) {
    FileLock(LOCK_UN);
    Lock.owner = std::thread::id();
  }
  Lock.threads.unlock();
}

void BridgeLockClose() {
  std::lock_guard hold(Lock.threads);
  if (Lock.depth > 0) return;
  if (Lock.fd >= 0) close(Lock.fd);
  Lock.fd = -1;
}
