#include "display/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// The mode a newly created file gets, or the existing file's.
mode_t ModeFor(const struct stat* existing) {
  if (existing != nullptr) return existing->st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputFile::~OutputFile() {
  file_.reset();
  if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool OutputFile::Open(const std::string& name, bool append) {
  name_ = name;
  struct stat info;
  bool exists = stat(name.c_str(), &info) == 0;
  if (append || (exists && !S_ISREG(info.st_mode))) {
    file_.reset(std::fopen(name.c_str(), append ? "a+b" : "wb"));
    return file_ != nullptr;
  }
  std::vector<char> pattern(name.begin(), name.end());
  for (char c : std::string_view(".XXXXXX")) pattern.push_back(c);
  pattern.push_back('\0');
  int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  temporary_ = pattern.data();
  if (fchmod(fd, ModeFor(exists ? &info : nullptr)) == 0) file_.reset(fdopen(fd, "wb"));
  if (file_ == nullptr) close(fd);
  return file_ != nullptr;
}

bool OutputFile::Write(const void* data, size_t bytes) {
  return file_ != nullptr && (bytes == 0 || std::fwrite(data, 1, bytes, file_.get()) == bytes);
}

bool OutputFile::Commit() {
  if (file_ == nullptr) return false;
  bool ok = std::fflush(file_.get()) == 0 && !std::ferror(file_.get());
  ok = std::fclose(file_.release()) == 0 && ok;
  if (temporary_.empty()) return ok;
  ok = ok && std::rename(temporary_.c_str(), name_.c_str()) == 0;
  if (ok) temporary_.clear();
  return ok;
}
