#include "sim/board_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

bool BoardFile::Open(const std::string& path) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return false;
  CreationLock hold(fd_);
  struct stat info {};
  if (fstat(fd_, &info) != 0) {
    Close();
    return false;
  }
  // A file of any other size is cut to nothing and regrown, so every byte mapped exists.
  bool wrongSize = info.st_size != static_cast<off_t>(sizeof(BoardImage));
  if (wrongSize && (ftruncate(fd_, 0) != 0 || ftruncate(fd_, sizeof(BoardImage)) != 0)) {
    Close();
    return false;
  }
  void* map = mmap(nullptr, sizeof(BoardImage), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (map == MAP_FAILED) {
    Close();
    return false;
  }
  image_ = static_cast<BoardImage*>(map);
  if (wrongSize || !Recognised(image_)) BoardPowerOn(image_);
  return true;
}

void BoardFile::Close() {
  if (image_ != nullptr) munmap(image_, sizeof(BoardImage));
  image_ = nullptr;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}
