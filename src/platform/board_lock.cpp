#include "platform/board_lock.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

// What a lock area holds. The holder's process id is there for the waiting message only.
struct LockImpl {
  uint32_t magic;
  int32_t holder;  // process id of the holder, 0 when free
  pthread_mutex_t mutex;
};
static_assert(sizeof(LockImpl) <= sizeof(SharedLockArea), "the lock fits its area");

constexpr uint32_t kLockMagic = 0x4B434C56;  // "VLCK"
constexpr int kWaitNoticeSeconds = 2;

struct LockState {
  std::atomic<LockImpl*> inUse{nullptr};
  std::mutex opening;         // one thread opens the named lock
  LockImpl* named = nullptr;  // the named lock file's mapping
  SharedLockArea local{};     // used when the named lock cannot be created
  bool localReady = false;
  pid_t pid = getpid();  // this process, renewed in the child of a fork
};
LockState Lock;

// How often this thread holds the lock, and the lock it holds. A child of fork() starts with
// neither, whatever the forking thread held.
thread_local int Depth = 0;
thread_local LockImpl* Held = nullptr;

void AfterFork() {
  Lock.pid = getpid();
  Depth = 0;
  Held = nullptr;
}

[[maybe_unused]] const bool ForkHandled = [] {
  pthread_atfork(nullptr, nullptr, AfterFork);
  return true;
}();

LockImpl* Impl(SharedLockArea* area) {
  return reinterpret_cast<LockImpl*>(area->bytes);
}

void InitLock(LockImpl* lock, bool shared) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  if (shared) pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(&lock->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  lock->holder = 0;
  lock->magic = kLockMagic;
}

std::string Reason(const std::string& path, int error) {
  return "Cannot create the board lock '" + path + "': " + std::strerror(error);
}

// Maps the named lock file, setting it up under an flock() when no process has yet.
LockImpl* MapNamedLock(std::string* why) {
  const std::string path = BridgeLockPath();
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = Reason(path, errno);
    return nullptr;
  }
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  struct stat info {};
  bool sized = fstat(fd, &info) == 0 && info.st_size >= static_cast<off_t>(sizeof(SharedLockArea));
  void* map = MAP_FAILED;
  if (sized || ftruncate(fd, sizeof(SharedLockArea)) == 0) {
    map = mmap(nullptr, sizeof(SharedLockArea), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  int error = errno;
  LockImpl* lock = nullptr;
  if (map != MAP_FAILED) {
    lock = static_cast<LockImpl*>(map);
    if (lock->magic != kLockMagic) InitLock(lock, true);
  } else {
    *why = Reason(path, error);
  }
  flock(fd, LOCK_UN);
  close(fd);
  return lock;
}

void UnmapNamedLock() {
  if (Lock.named != nullptr) munmap(Lock.named, sizeof(SharedLockArea));
  Lock.named = nullptr;
}

// The lock to take: the one in use, else the named one opened now, else this process's own
// (reported once).
LockImpl* LockToTake() {
  LockImpl* lock = Lock.inUse.load(std::memory_order_acquire);
  if (lock != nullptr) return lock;
  std::lock_guard hold(Lock.opening);
  lock = Lock.inUse.load(std::memory_order_acquire);
  if (lock != nullptr) return lock;
  std::string why;
  if (BridgeLockOpenNamed(&why)) return Lock.inUse.load(std::memory_order_acquire);
  std::printf("!!!!! %s; only this process is serialised.\n", why.c_str());
  if (!Lock.localReady) InitLock(Impl(&Lock.local), false);
  Lock.localReady = true;
  Lock.inUse.store(Impl(&Lock.local), std::memory_order_release);
  return Impl(&Lock.local);
}

// Waits for a lock that another thread or process holds; after a while the holder is named, so
// that one stopped with Ctrl-Z can be found. Ctrl-C still ends the wait.
int WaitFor(LockImpl* lock) {
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += kWaitNoticeSeconds;
  int rc = pthread_mutex_timedlock(&lock->mutex, &deadline);
  if (rc != ETIMEDOUT) return rc;
  std::printf("Waiting for the board lock (held by process %d)...\n",
              static_cast<int>(__atomic_load_n(&lock->holder, __ATOMIC_RELAXED)));
  std::fflush(stdout);
  return pthread_mutex_lock(&lock->mutex);
}

void Acquire() {
  if (Depth++ > 0) return;
  LockImpl* lock = LockToTake();
  int rc = pthread_mutex_trylock(&lock->mutex);
  if (rc == EBUSY) rc = WaitFor(lock);
  // The holder died: what it did to the board stays, the lock is ours now.
  if (rc == EOWNERDEAD) rc = pthread_mutex_consistent(&lock->mutex);
  if (rc != 0) {
    std::printf("!!!!! The board lock failed: %s\n", std::strerror(rc));
    Depth = 0;
    return;
  }
  __atomic_store_n(&lock->holder, static_cast<int32_t>(Lock.pid), __ATOMIC_RELAXED);
  Held = lock;
}

void Release() {
  if (Depth == 0 || --Depth > 0 || Held == nullptr) return;
  __atomic_store_n(&Held->holder, 0, __ATOMIC_RELAXED);
  pthread_mutex_unlock(&Held->mutex);
  Held = nullptr;
}

}  // namespace

void SharedLockInit(SharedLockArea* area) {
  std::memset(area, 0, sizeof *area);
  InitLock(Impl(area), true);
}

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

bool BridgeLockOpenNamed(std::string* why) {
  LockImpl* lock = MapNamedLock(why);
  if (lock == nullptr) return false;
  UnmapNamedLock();
  Lock.named = lock;
  Lock.inUse.store(lock, std::memory_order_release);
  return true;
}

void BridgeLockUseArea(SharedLockArea* area) {
  Lock.inUse.store(area != nullptr ? Impl(area) : nullptr, std::memory_order_release);
  UnmapNamedLock();
}

void BridgeLockClose() {
  BridgeLockUseArea(nullptr);
}

void BridgeLock(bool acquire) {
  if (acquire) {
    Acquire();
  } else {
    Release();
  }
}
