#include "sim/board_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kMagic[8] = {'V', 'O', 'R', 'N', 'B', 'R', 'D', '\0'};
constexpr uint32_t kVersion = 3;

bool Recognised(const BoardImage* image) {
  return std::memcmp(image->magic, kMagic, sizeof kMagic) == 0 && image->version == kVersion &&
         image->size == sizeof(BoardImage);
}

// Holds an exclusive flock() on the file while the image is checked or created.
class CreationLock {
 public:
  explicit CreationLock(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~CreationLock() { flock(fd_, LOCK_UN); }
  CreationLock(const CreationLock&) = delete;
  CreationLock& operator=(const CreationLock&) = delete;

 private:
  int fd_;
};

// Whether the file starts as a board image does, of whatever build.
bool HasBoardMagic(int fd) {
  char magic[sizeof kMagic] = {};
  return pread(fd, magic, sizeof magic, 0) == static_cast<ssize_t>(sizeof magic) &&
         std::memcmp(magic, kMagic, sizeof kMagic) == 0;
}

std::string Failure(const std::string& path, const char* what, int error) {
  return std::string(what) + " the board file '" + path + "': " + std::strerror(error);
}

}  // namespace

std::string DefaultBoardPath() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  const char* board = std::getenv("QDXBOARD");
  std::string name = std::string("vorn-board-") + (board ? board : "default") + ".img";
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

void BoardPowerOn(BoardImage* image) {
  std::memset(image->magic, 0, sizeof image->magic);  // not a board until complete
  std::memset(&image->bridge, 0, sizeof image->bridge);
  std::memset(&image->window, 0, sizeof image->window);
  ChipPowerOn(&image->chip);
  image->version = kVersion;
  image->size = sizeof(BoardImage);
  std::memcpy(image->magic, kMagic, sizeof kMagic);
}

bool BoardFile::Open(const std::string& path, std::string* why) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    *why = Failure(path, "Cannot open", errno);
    return false;
  }
  CreationLock hold(fd_);
  struct stat info {};
  if (fstat(fd_, &info) != 0) {
    *why = Failure(path, "Cannot read", errno);
    Close();
    return false;
  }
  if (!S_ISREG(info.st_mode) || (info.st_size != 0 && !HasBoardMagic(fd_))) {
    *why = "'" + path + "' is not a board image; it is left as it is";
    Close();
    return false;
  }
  // A board image of another build is cut to nothing and regrown, so every byte mapped exists.
  bool fresh = info.st_size != static_cast<off_t>(sizeof(BoardImage));
  if (fresh && (ftruncate(fd_, 0) != 0 || ftruncate(fd_, sizeof(BoardImage)) != 0)) {
    *why = Failure(path, "Cannot size", errno);
    Close();
    return false;
  }
  void* map = mmap(nullptr, sizeof(BoardImage), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (map == MAP_FAILED) {
    *why = Failure(path, "Cannot map", errno);
    Close();
    return false;
  }
  image_ = static_cast<BoardImage*>(map);
  if (fresh || !Recognised(image_)) {
    // No other process uses this board yet: its lock is set up with it.
    SharedLockInit(&image_->lock);
    BoardPowerOn(image_);
  }
  return true;
}

void BoardFile::Close() {
  if (image_ != nullptr) munmap(image_, sizeof(BoardImage));
  image_ = nullptr;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}
