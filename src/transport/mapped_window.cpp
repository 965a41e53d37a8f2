#include "transport/mapped_window.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "transport/udev_rule.h"

MappedWindowPaths MappedWindowPath;

namespace {

// The one window mapped by either facility.
struct Mapping {
  int fd = -1;
  void* base = MAP_FAILED;
  size_t length = 0;
  volatile uint8_t* window = nullptr;  // the board's window inside the mapping
  uint32_t version = 0;
};
Mapping Map;

void Unmap() {
  if (Map.base != MAP_FAILED) munmap(Map.base, Map.length);
  if (Map.fd >= 0) close(Map.fd);
  Map = Mapping();
}

// A sysfs attribute's number ("0x1000", "4096"); false when it cannot be read.
bool ReadNumber(const std::string& path, uint64_t* value) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  char text[64] = {};
  bool read = std::fgets(text, sizeof text, file) != nullptr;
  std::fclose(file);
  char* end = nullptr;
  errno = 0;
  *value = std::strtoull(text, &end, 0);
  return read && end != text && errno == 0;
}

// "major.minor..." as major in the high half and minor in the low half; 0 when unreadable.
uint32_t ReadVersion(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0;
  unsigned major = 0, minor = 0;
  int got = std::fscanf(file, "%u.%u", &major, &minor);
  std::fclose(file);
  return got >= 1 ? (major & 0xFFFF) << 16 | (minor & 0xFFFF) : 0;
}

// Opens the device; the cause, with the way to the permission when that is missing, if not.
bool OpenDevice(const std::string& device, const char* hint, std::string* why) {
  Map.fd = open(device.c_str(), O_RDWR | O_SYNC | O_CLOEXEC);
  if (Map.fd >= 0) return true;
  *why = "Cannot open " + device + ": " + std::strerror(errno);
  if (errno == EACCES || errno == EPERM) *why += hint;
  return false;
}

// Maps length bytes of the open device at offset; the window starts skip bytes in.
MapResult MapOpenDevice(const std::string& device, off_t offset, size_t length, size_t skip,
                        std::string* why) {
  // A plain file standing in for the device is mapped only as far as it goes.
  struct stat info {};
  if (fstat(Map.fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<uint64_t>(info.st_size) < static_cast<uint64_t>(offset) + length) {
    *why = device + " is shorter than the window to be mapped";
    Unmap();
    return MapResult::kRefused;
  }
  Map.base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, Map.fd, offset);
  if (Map.base == MAP_FAILED) {
    *why = "Cannot map " + device + ": " + std::strerror(errno);
    Unmap();
    return MapResult::kRefused;
  }
  Map.length = length;
  Map.window = static_cast<volatile uint8_t*>(Map.base) + skip;
  return MapResult::kMapped;
}

std::string DeviceName(const std::string& device) {
  size_t slash = device.rfind('/');
  return slash == std::string::npos ? device : device.substr(slash + 1);
}

constexpr const char* kUioHint = " (VORN's udev rule " VORN_UDEV_RULE
                                 " gives the logged-in user the board's UIO devices: "
                                 "install it with make install)";
constexpr const char* kDevMemHint = " (/dev/mem needs root; VORN's udev rule " VORN_UDEV_RULE
                                    " gives the logged-in user the board's UIO device instead)";

// Map 0 of a UIO device: its size and its offset inside the first page come from sysfs.
MapResult UioMap(const char* target, uint32_t, uint32_t, uintptr_t* linear, uint32_t* size,
                 std::string* why) {
  Unmap();
  std::string device = target;
  if (!OpenDevice(device, kUioHint, why)) return MapResult::kNoDevice;
  const std::string sysfs = MappedWindowPath.uioClass + "/" + DeviceName(device) + "/";
  const std::string map0 = sysfs + "maps/map0/";
  uint64_t mapSize = 0, offset = 0;
  if (!ReadNumber(map0 + "size", &mapSize) || mapSize == 0 || mapSize > UINT32_MAX) {
    *why = "Cannot read the size of map 0 of " + device + " from " + map0 + "size";
    Unmap();
    return MapResult::kRefused;
  }
  if (!ReadNumber(map0 + "offset", &offset) || offset >= static_cast<uint64_t>(getpagesize())) {
    offset = 0;
  }
  MapResult result = MapOpenDevice(device, 0, offset + mapSize, offset, why);
  if (result != MapResult::kMapped) return result;
  Map.version = ReadVersion(sysfs + "version");
  *linear = reinterpret_cast<uintptr_t>(Map.window);
  *size = static_cast<uint32_t>(mapSize);
  return result;
}

// kDevMemMapSize bytes at the physical address, mapped from the page that holds it.
MapResult DevMemMap(const char* target, uint32_t, uint32_t physical, uintptr_t* linear,
                    uint32_t* size, std::string* why) {
  Unmap();
  uint64_t address = physical;
  if (*target != '\0') {
    char* end = nullptr;
    address = std::strtoull(target, &end, 16);
    if (end == target || *end != '\0') {
      *why = std::string("'") + target + "' is not a physical address in hexadecimal";
      return MapResult::kRefused;
    }
  }
  if (!OpenDevice(MappedWindowPath.devMem, kDevMemHint, why)) return MapResult::kNoDevice;
  uint64_t page = static_cast<uint64_t>(getpagesize());
  uint64_t skip = address % page;
  MapResult result = MapOpenDevice(MappedWindowPath.devMem, static_cast<off_t>(address - skip),
                                   skip + kDevMemMapSize, skip, why);
  if (result != MapResult::kMapped) return result;
  *linear = reinterpret_cast<uintptr_t>(Map.window);
  *size = kDevMemMapSize;
  return result;
}

uint32_t Version() {
  return Map.version;
}

template <typename T>
volatile T* Cell(uint32_t offset) {
  return reinterpret_cast<volatile T*>(Map.window + offset);
}

uint32_t Read8(uint32_t offset) {
  return *Cell<uint8_t>(offset);
}
uint32_t Read16(uint32_t offset) {
  return *Cell<uint16_t>(offset);
}
uint32_t Read32(uint32_t offset) {
  return *Cell<uint32_t>(offset);
}
void Write8(uint32_t offset, uint32_t value) {
  *Cell<uint8_t>(offset) = static_cast<uint8_t>(value);
}
void Write16(uint32_t offset, uint32_t value) {
  *Cell<uint16_t>(offset) = static_cast<uint16_t>(value);
}
void Write32(uint32_t offset, uint32_t value) {
  *Cell<uint32_t>(offset) = value;
}

}  // namespace

const BusWindowOps UioWindow = {
    .name = "uio",
    .map = UioMap,
    .version = Version,
    .read8 = Read8,
    .read16 = Read16,
    .read32 = Read32,
    .write8 = Write8,
    .write16 = Write16,
    .write32 = Write32,
    .unmap = Unmap,
};

const BusWindowOps DevMemWindow = {
    .name = "mem",
    .map = DevMemMap,
    .version = Version,
    .read8 = Read8,
    .read16 = Read16,
    .read32 = Read32,
    .write8 = Write8,
    .write16 = Write16,
    .write32 = Write32,
    .unmap = Unmap,
};
