// vornreg's entry: the request on its command line, the board when it needs one, and the
// three actions save, diff and show.
#include "vornreg/vornreg.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "board/board_select.h"
#include "chipdef/chipdef.h"
#include "hal/hal.h"
#include "vornreg/snapshot.h"

namespace {

constexpr const char* kUsage =
    "Usage: vornreg save FILE\n"
    "       vornreg diff [--registers] SNAPSHOT [SNAPSHOT2]\n"
    "       vornreg show FILE\n"
    "       vornreg --help\n";

constexpr const char* kManual[] = {
    "NAME",
    "    vornreg - save, compare and restore the register set-up of a 77Q41 board",
    "",
    "SYNOPSIS",
    "    vornreg save FILE",
    "    vornreg diff [--registers] SNAPSHOT [SNAPSHOT2]",
    "    vornreg show FILE",
    "    vornreg --help",
    "",
    "DESCRIPTION",
    "    A snapshot holds the set-up of the board: every register the chip lets be read back,",
    "    the clocks and the PLL included, and both colour look-up tables. The file is a VORN",
    "    script: one X line per register in index order, each followed by a comment that",
    "    decodes its fields as SET shows them, the DELAY the PLL needs after its registers, and",
    "    one L1 or L2 line per table entry. Running it with vorn restores the set-up:",
    "        vorn FILE            (or RUN FILE at the = prompt)",
    "",
    "    Left out, each with a comment saying why: write-only and read-only registers, the data",
    "    ports (reading one moves the chip on), and the registers of the host interface engine",
    "    and the LUT address counters (memory and window-writer addresses, sizes and status, the",
    "    software reset), whose values belong to a transfer, which writing them back would start.",
    "    Bits of write-only fields are saved as 0, so restoring starts no action; read-only and",
    "    write-only fields are not compared.",
    "",
    "COMMANDS",
    "    save FILE",
    "        Reads the board and writes the snapshot to FILE. The file is written under a",
    "        temporary name and takes its name only when complete.",
    "",
    "    diff [--registers] SNAPSHOT [SNAPSHOT2]",
    "        Compares SNAPSHOT with SNAPSHOT2, or with the live board when SNAPSHOT2 is left out",
    "        (then only the registers and tables SNAPSHOT holds are read). One line per changed",
    "        field with its key, its location and both values as SET shows them:",
    "            hdp (REG[0042h-b8:0]): 320 pixels -> 640 pixels",
    "        then the changed bits that no field names, then the changed LUT entries:",
    "            REG[0014h] bits 2:1 (no feature): 0000h -> 0006h",
    "            L1[0C]: 0C0C0C -> FFFFFF",
    "        A register or an entry that one side does not hold shows as (not saved).",
    "",
    "    show FILE",
    "        Prints the snapshot decoded as diff does, without comparing: a line per field, the",
    "        set bits that no field names, and the tables eight entries to a line.",
    "",
    "OPTIONS",
    "    --registers",
    "        diff shows a line per changed register with both raw values instead of the fields.",
    "    -h, --help",
    "        Shows this text.",
    "",
    "FILES",
    "    A snapshot is refused, with its name, the line and the reason, when its first line is",
    "    not the snapshot header, when it names another chip, when a line does not parse or",
    "    sets a register twice, when an index is no register of the chip or one a snapshot",
    "    leaves out, and when its last line (\"' End of the snapshot\") is missing: diff never",
    "    calls a file equal that it could not read whole.",
    "",
    "ENVIRONMENT",
    "    VORN_BOARD    the board, as for vorn: auto, usb[:VVVV:PPPP], sim[:PATH],",
    "                  simbus[:PATH], uio:/dev/uioN or mem:ADDRESS, with ,hcl=XXXX if need be.",
    "    QDXBOARD      names the bridge lock of a real board. The board is locked while it is",
    "                  read, so no other process changes it half-way.",
    "",
    "EXIT STATUS",
    "    0  save and show succeeded; diff found no difference.",
    "    1  diff found differences.",
    "    2  an error: a file that cannot be read or written, a file that is no snapshot, no",
    "       board or one that stops answering while it is read (nothing is then saved or",
    "       compared), a command line not understood.",
    "",
    "NOTES",
    "    Unless a table is bypassed, the LCD port is switched off while the table is read or",
    "    written (as the L command does), so the display glitches during save, diff against",
    "    the board, and the restore.",
    "",
    "EXAMPLES",
    "    vornreg save good.txt             keep the set-up of a working board",
    "    vornreg diff good.txt             what has changed on the board since",
    "    vorn good.txt                     put the set-up back",
    "    vornreg diff --registers a.txt b.txt",
};

struct ActionRow;

struct Request {
  const ActionRow* action = nullptr;  // none: the help
  std::vector<std::string> files;
  bool registersOnly = false;
};

struct ActionRow {
  const char* word;
  int (*run)(const Request& request);
  size_t minFiles, maxFiles;
  bool takesRegisters;  // --registers
};

int Save(const Request& request);
int Diff(const Request& request);
int Show(const Request& request);

constexpr ActionRow kActions[] = {
    {"save", Save, 1, 1, false},
    {"diff", Diff, 1, 2, true},
    {"show", Show, 1, 1, false},
};

constexpr const char* kBoardFailed = "the board did not answer while it was read: ";

int Trouble(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "ERROR: %s\n", message.c_str());
  return kVornregTrouble;
}

int UsageTrouble(const std::string& message) {
  Trouble(message);
  std::fputs(kUsage, stderr);
  return kVornregTrouble;
}

// The request on the command line; false with the reason.
bool ParseRequest(int argc, char** argv, Request* request, std::string* why) {
  for (int i = 1; i < argc; i++) {
    const std::string_view word = argv[i];
    if (word == "-h" || word == "--help") return true;
  }
  if (argc < 2) {
    *why = "no command: save, diff or show.";
    return false;
  }
  const ActionRow* row = nullptr;
  for (const ActionRow& candidate : kActions) {
    if (std::strcmp(argv[1], candidate.word) == 0) row = &candidate;
  }
  if (row == nullptr) {
    *why = "'" + std::string(argv[1]) + "' is no command: save, diff or show.";
    return false;
  }
  request->action = row;
  for (int i = 2; i < argc; i++) {
    const std::string_view word = argv[i];
    if (word == "--registers" && row->takesRegisters) {
      request->registersOnly = true;
    } else if (word.size() > 1 && word[0] == '-') {
      *why = "'" + std::string(word) + "' is no option of " + row->word + ".";
      return false;
    } else {
      request->files.emplace_back(word);
    }
  }
  if (request->files.size() < row->minFiles || request->files.size() > row->maxFiles) {
    *why = std::string(row->word) +
           (row->maxFiles == 1 ? " takes one file." : " takes one or two files.");
    return false;
  }
  return true;
}

// The model as vorn sets it up: window strides as the registers hold them, not derived from the
// window widths, so that a snapshot decodes what it saved.
void PrepareChipModel() {
  ChipDef& model = ChipModel();
  for (const char* autoStride :
       {"main1autostride", "main2autostride", "pip1autostride", "pip2autostride"}) {
    if (model.FeatureExists(autoStride)) model.SetFieldValue(autoStride, 0);
  }
}

// The board VORN_BOARD names, acquired, with the model working on it. The transport keeps its
// configuration line to itself: the output is the snapshot's.
bool AcquireBoard() {
  BoardRoute route = ChooseBoardRoute();
  route.quiet = true;
  route.lostExitCode = kVornregTrouble;  // a bridge unplugged while it is read
  halSetBoardRoute(route);
  if (!qvAcquireController()) {
    char reason[80];  // the HAL's text, "ERROR: ..." already
    if (qvGetLastError(reason, sizeof reason) != kHalOk) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s\n", reason);
    }
    return false;
  }
  ChipModel().SetLive(true);
  return true;
}

// Prints the lines; false when standard output failed (a full disk, a closed pipe).
bool PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int Save(const Request& request) {
  if (!AcquireBoard()) return Trouble("no board to save.");
  Snapshot snapshot;
  if (!CaptureBoard(nullptr, &snapshot))
    return Trouble(kBoardFailed + std::string("nothing saved."));
  std::string error;
  if (!StoreSnapshot(request.files[0], snapshot, &error)) return Trouble(error);
  std::printf("Saved %zu registers and %zu LUT entries of the %s to %s.\n",
              snapshot.registers.size(), snapshot.luts[0].size() + snapshot.luts[1].size(),
              snapshot.chip.c_str(), request.files[0].c_str());
  return std::fflush(stdout) == 0 ? kVornregOk : kVornregTrouble;
}

int Diff(const Request& request) {
  Snapshot a, b;
  std::string error;
  if (!LoadSnapshot(request.files[0], &a, &error)) return Trouble(error);
  if (request.files.size() == 2) {
    if (!LoadSnapshot(request.files[1], &b, &error)) return Trouble(error);
  } else {
    if (!AcquireBoard()) return Trouble("no board to compare with.");
    if (!CaptureBoard(&a, &b)) return Trouble(kBoardFailed + std::string("nothing compared."));
  }
  const std::vector<std::string> lines = DiffLines(a, b, request.registersOnly);
  if (!PrintLines(lines)) return kVornregTrouble;
  return lines.empty() ? kVornregOk : kVornregDiffer;
}

int Show(const Request& request) {
  Snapshot snapshot;
  std::string error;
  if (!LoadSnapshot(request.files[0], &snapshot, &error)) return Trouble(error);
  return PrintLines(ShowLines(snapshot)) ? kVornregOk : kVornregTrouble;
}

int Help() {
  for (const char* line : kManual) std::printf("%s\n", line);
  return std::fflush(stdout) == 0 ? kVornregOk : kVornregTrouble;
}

}  // namespace

int VornregMain(int argc, char** argv) {
  Request request;
  std::string why;
  if (!ParseRequest(argc, argv, &request, &why)) return UsageTrouble(why);
  if (request.action == nullptr) return Help();
  InitStringLists();
  PrepareChipModel();
  return request.action->run(request);
}
