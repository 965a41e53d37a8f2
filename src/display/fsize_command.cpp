// FSIZE: a file's length in units, as the command's number result.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "console/output.h"
#include "display/file_commands.h"
#include "display/file_transfer.h"
#include "interp/args.h"

namespace {

const char* const kSizeHelp[] = {
    " Gives the length of the file in units (8, 16 or 32 bits; bytes when not\n",
    " given) as the command's result, rounded down; nothing is printed. An\n",
    " expression (a variable) may give the file name.\n", nullptr};

bool ShowSizeHelp(const char* word) {
  int base = static_cast<int>(BaseNameLength(word));
  OutPrintf(CH_OUT, "\n %*.*s[8|16|32] filename\n\n", base, base, word);
  OutPrintf(CH_OUT, " $var = %*.*s file.txt\n", base, base, word);
  for (const char* const* line = kSizeHelp; *line != nullptr; line++) {
    if (!OutPrintf(CH_OUT, "%s", *line)) return false;
  }
  return true;
}

bool CmdFileSize(int argc, ArgSlot* argv, Value* result) {
  if (argv[1][0] == '?') return ShowSizeHelp(argv[0]);
  if (argc < 2) return OutPrintf(CH_ERR, "ERROR: Not enough arguments.\n");
  if (argc > 2) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  uint32_t unit = 1;
  if (!TransferUnit(argv[0], 1, &unit)) return false;
  std::string name = FileNameArgument(argv[1], 10);
  FilePtr file(std::fopen(name.c_str(), "rb"));
  struct stat info;
  if (file == nullptr || fstat(fileno(file.get()), &info) != 0) {
    return OutPrintf(CH_ERR, "ERROR: Could not open file '%s' to determine file size.\n",
                     name.c_str());
  }
  uint64_t units = static_cast<uint64_t>(info.st_size) / unit;
  result->SetNumber(units > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(units));
  return true;
}

}  // namespace

const CommandRow kFileSizeRow = {ADVANCED, "fsize;fsize8;fsize16;fsize32", CmdFileSize, kNeedsCard,
                                 "FSIZE[8|16|32] file                       - Returns file size"};
