// A file written so that a reader never meets a half-written one: the data go to a temporary
// file beside it, which takes the name only when everything is written. Append mode, and names
// that are not regular files (a device, a pipe), write in place.
#pragma once

#include <cstddef>
#include <string>

#include "console/output.h"

class OutputFile {
 public:
  OutputFile() = default;
  // A file never committed is removed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False when the file (or its temporary) cannot be created.
  bool Open(const std::string& name, bool append);
  bool Write(const void* data, size_t bytes);
  // Flushes, closes and gives the file its name; false when any of that fails.
  bool Commit();

 private:
  std::string name_;
  std::string temporary_;  // empty when writing in place
  FilePtr file_;
};
