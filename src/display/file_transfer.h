// What FDUMP, FLOAD and FSIZE share: the file name argument, the area word, byte order of the
// units in files, a buffer that every access width can use, and the detailed help layout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The third word of FDUMP and FLOAD.
enum class TransferArea { kMemory, kRegister, kSystem };

// "MEM"/"M", "REG"/"R", "SYS"/"S", without regard to case.
bool ParseArea(const char* word, TransferArea* area);

// The word evaluated as an expression, so that a variable can hold the name: a text is the
// name, a number is written in radix (16 or 10); a word that does not evaluate is the name.
std::string FileNameArgument(const char* word, int radix);

// The unit in bytes from the digits after the command's base name ("fdump16" gives 2), or
// defaultUnit without digits. Prints the error and returns false when the digits are no unit.
bool TransferUnit(const char* word, uint32_t defaultUnit, uint32_t* unit);

// Units in files are little-endian.
uint32_t LoadUnit(const uint8_t* bytes, uint32_t unit);
void StoreUnit(uint8_t* bytes, uint32_t unit, uint32_t value);

// Bytes aligned for 16- and 32-bit access, allocated without throwing.
class UnitBuffer {
 public:
  // False when the memory is not there ("ERROR: cannot allocate enough CPU memory." printed).
  bool Allocate(uint64_t bytes);
  uint8_t* bytes() { return reinterpret_cast<uint8_t*>(storage_.get()); }
  const uint16_t* words() const { return reinterpret_cast<const uint16_t*>(storage_.get()); }
  uint16_t* words() { return reinterpret_cast<uint16_t*>(storage_.get()); }
  const uint32_t* longs() const { return storage_.get(); }
  uint32_t* longs() { return storage_.get(); }
  uint64_t size() const { return size_; }

 private:
  std::unique_ptr<uint32_t[]> storage_;
  uint64_t size_ = 0;
};

// Detailed help: the syntax line for each unit size with the command's base name, then the
// lines given (nullptr ends them).
bool ShowTransferHelp(const char* word, const char* syntax, const char* const* lines);
