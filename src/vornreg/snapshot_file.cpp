// The snapshot file: a VORN script of X, L and DELAY lines with comments that decode the
// registers, written under a temporary name, and read back line by line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#include "base/helper.h"
#include "base/number_text.h"
#include "chipdef/chipdef.h"
#include "console/output.h"
#include "display/output_file.h"
#include "interp/runner.h"
#include "vornreg/snapshot.h"

namespace {

constexpr std::string_view kHeader = "' VORN register snapshot of the ";
constexpr std::string_view kTaken = "' Taken ";
constexpr std::string_view kFromBoard = " from the board ";
constexpr std::string_view kRecordCrc = "' Configuration record CRC ";
constexpr std::string_view kEnd = "' End of the snapshot";
constexpr size_t kCommentColumn = 14;  // where the decoding comments start
// A file that VORN would not run as a script is no snapshot either.
constexpr size_t kMaxFileSize = kScriptTextSize - 1;

// ---- writing ----

int IndexDigits() {
  return static_cast<int>(ChipModel().GetIndexWidth());
}

// The X command word of a register width: plain X is 16 bits.
const char* RegisterWord(uint32_t bits) {
  return bits == 8 ? "X8" : bits == 32 ? "X32" : "X";
}

// A command line followed by comments, the first on its line and the others aligned below it.
void AppendCommented(std::string* text, const std::string& command,
                     const std::vector<std::string>& comments) {
  std::string line = command;
  for (const std::string& comment : comments) {
    line.resize(std::max(line.size() + 1, kCommentColumn), ' ');
    *text += line + "' " + comment + "\n";
    line.clear();
  }
  if (!line.empty()) *text += line + "\n";
}

void AppendRegister(std::string* text, const Snapshot& snapshot, const PlanRow& row) {
  const auto saved = snapshot.registers.find(row.index);
  if (saved == snapshot.registers.end()) return;
  std::vector<std::string> comments;
  for (const FieldText& field : DecodeFields(snapshot.registers, row.index)) {
    comments.push_back(field.key + " = " + field.value);
  }
  const uint32_t stray = saved->second & UncoveredBits(row.index);
  const int digits = static_cast<int>(row.bits / 4);
  if (stray != 0) {
    comments.push_back(
        FormatText("bits %s = %0*Xh (no feature)", BitRunsText(stray).c_str(), digits, stray));
  }
  AppendCommented(text,
                  FormatText("%s %0*X %0*X", RegisterWord(row.bits), IndexDigits(), row.index,
                             digits, saved->second),
                  comments);
}

void AppendLut(std::string* text, const Snapshot& snapshot, const PlanRow& row) {
  const RegisterFile& entries = snapshot.luts[row.lut - 1];
  if (entries.empty()) return;
  *text += FormatText("' LUT%d through its data port REG[%0*Xh]: one L%d line per entry\n", row.lut,
                      IndexDigits(), row.index, row.lut);
  for (const auto& [index, rgb] : entries) {
    *text += FormatText("L%d %02X %02X %02X %02X\n", row.lut, index, rgb >> 16 & 0xFF,
                        rgb >> 8 & 0xFF, rgb & 0xFF);
  }
}

// ---- reading ----

struct ParseState {
  Snapshot* out;
  unsigned line = 0;
  bool ended = false;                 // the end line has been read
  std::map<uint32_t, unsigned> seen;  // register index: the line that set it
};

using Words = std::vector<std::string_view>;

bool Fail(std::string* why, std::string text) {
  *why = std::move(text);
  return false;
}

// A number as VORN reads a literal: digits of the default radix, or of the radix its suffix names.
bool Number(std::string_view word, int radix, uint32_t* value) {
  int found = 0;
  return !word.empty() && GetNumberRadix(word, radix, &found) && StrToNumFits(word, found, value);
}

bool RegisterLine(const Words& words, int bits, ParseState* state, std::string* why) {
  uint32_t index = 0, value = 0;
  if (!Number(words[1], 16, &index))
    return Fail(why, "'" + std::string(words[1]) + "' is no index");
  if (!Number(words[2], 16, &value))
    return Fail(why, "'" + std::string(words[2]) + "' is no value");
  const std::string reg = FormatText("REG[%0*Xh]", IndexDigits(), index);
  const char* skip = SkipReason(index);
  if (skip == kNoSuchRegister) {
    return Fail(why, reg + " is no register of the " + state->out->chip);
  }
  if (skip != nullptr) return Fail(why, reg + " is not part of a snapshot (" + skip + ")");
  const uint32_t width = ChipModel().GetRegWidthDigits(index) * 4;
  if (static_cast<uint32_t>(bits) != width) {
    return Fail(why, FormatText("%s writes %d bits; %s is %u bits wide",
                                std::string(words[0]).c_str(), bits, reg.c_str(), width));
  }
  if (width < 32 && value >> width != 0) {
    return Fail(why,
                FormatText("%Xh does not fit the %u-bit register %s", value, width, reg.c_str()));
  }
  const auto [at, fresh] = state->seen.emplace(index, state->line);
  if (!fresh)
    return Fail(why,
                FormatText("%s is set a second time (first in line %u)", reg.c_str(), at->second));
  state->out->registers[index] = value;
  return true;
}

bool LutLine(const Words& words, int lut, ParseState* state, std::string* why) {
  uint32_t values[4] = {};
  for (int i = 0; i < 4; i++) {
    if (!Number(words[i + 1], 16, &values[i]) || values[i] > 0xFF) {
      return Fail(why, "'" + std::string(words[i + 1]) + "' is no LUT " +
                           (i == 0 ? "index (00 to FF)" : "component (00 to FF)"));
    }
  }
  RegisterFile& entries = state->out->luts[lut - 1];
  if (entries.contains(values[0])) {
    return Fail(why, FormatText("L%d[%02X] is set a second time", lut, values[0]));
  }
  entries[values[0]] = values[1] << 16 | values[2] << 8 | values[3];
  return true;
}

bool DelayLine(const Words& words, int, ParseState*, std::string* why) {
  uint32_t us = 0;
  if (!Number(words[1], 10, &us)) return Fail(why, "'" + std::string(words[1]) + "' is no delay");
  return true;
}

// The lines that only shape the restore's output.
bool OutputLine(const Words&, int, ParseState*, std::string*) {
  return true;
}

struct LineKind {
  const char* word;
  int words;  // with the command word; 0: any number
  bool (*parse)(const Words& words, int arg, ParseState* state, std::string* why);
  int arg;
};

constexpr LineKind kLineKinds[] = {
    {"x", 3, RegisterLine, 16},   {"x16", 3, RegisterLine, 16},  {"x8", 3, RegisterLine, 8},
    {"x32", 3, RegisterLine, 32}, {"l1", 5, LutLine, 1},         {"l2", 5, LutLine, 2},
    {"delay", 2, DelayLine, 0},   {"verbose", 0, OutputLine, 0}, {"print", 0, OutputLine, 0},
};

// The statement part of a line: up to the first ' outside double quotes.
std::string_view Statement(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); i++) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '\'' && !quoted) return line.substr(0, i);
  }
  return line;
}

Words SplitWords(std::string_view text) {
  Words words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) i++;
    size_t begin = i;
    while (i < text.size() && !IsBlank(text[i])) i++;
    if (i > begin) words.push_back(text.substr(begin, i - begin));
  }
  return words;
}

// What a comment line tells: the header's time, board and record CRC, and the end.
void ReadComment(std::string_view line, ParseState* state) {
  Snapshot* out = state->out;
  if (line.starts_with(kTaken) && out->taken.empty()) {
    std::string_view rest = line.substr(kTaken.size());
    size_t from = rest.find(kFromBoard);
    out->taken = rest.substr(0, from);
    if (from != std::string_view::npos) out->board = rest.substr(from + kFromBoard.size());
  } else if (line.starts_with(kRecordCrc) && out->recordCrc.empty()) {
    out->recordCrc = line.substr(kRecordCrc.size());
  } else if (line.starts_with(kEnd)) {
    state->ended = true;
  }
}

bool ParseHeader(std::string_view line, Snapshot* out, std::string* why) {
  if (!line.starts_with(kHeader)) {
    return Fail(why, "not a VORN register snapshot (its first line must begin \"" +
                         std::string(kHeader.substr(0, kHeader.size() - 1)) + "\")");
  }
  out->chip = line.substr(kHeader.size());
  while (!out->chip.empty() && IsBlank(out->chip.back())) out->chip.pop_back();
  const std::string chip = ChipModel().GetProductTitle(TITLE_NAME);
  if (out->chip != chip)
    return Fail(why, "a snapshot of the " + out->chip + ", not of the " + chip);
  return true;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  return line;
}

bool ParseLine(std::string_view line, ParseState* state, std::string* why) {
  if (state->line == 1) return ParseHeader(line, state->out, why);
  if (state->ended) {
    return Trimmed(line).empty() || Fail(why, "text after the end of the snapshot");
  }
  const Words words = SplitWords(Statement(line));
  if (words.empty()) {
    ReadComment(Trimmed(line), state);
    return true;
  }
  for (const LineKind& kind : kLineKinds) {
    if (!EqualsNoCase(words[0], kind.word)) continue;
    if (kind.words != 0 && words.size() != static_cast<size_t>(kind.words)) {
      return Fail(why, FormatText("%s takes %d words, not %zu", kind.word, kind.words - 1,
                                  words.size() - 1));
    }
    return kind.parse(words, kind.arg, state, why);
  }
  return Fail(why, "'" + std::string(words[0]) + "' is no line of a snapshot");
}

}  // namespace

std::string SnapshotText(const Snapshot& snapshot) {
  std::string text;
  text += std::string(kHeader) + snapshot.chip + "\n";
  text += std::string(kTaken) + snapshot.taken + std::string(kFromBoard) + snapshot.board + "\n";
  text += std::string(kRecordCrc) + snapshot.recordCrc + "\n";
  text += "' Run it with VORN to restore the set-up: vorn FILE, or RUN FILE at the = prompt.\n";
  text += "VERBOSE CMD:OFF OUT:OFF SET:OFF\n";
  for (const PlanRow& row : SnapshotPlan()) {
    if (row.lut != 0) {
      AppendLut(&text, snapshot, row);
    } else if (row.skip != nullptr) {
      text += FormatText("' REG[%0*Xh] not saved (%s)\n", IndexDigits(), row.index, row.skip);
    } else {
      AppendRegister(&text, snapshot, row);
    }
    if (row.delayUs != 0) {
      AppendCommented(&text, FormatText("DELAY %u", row.delayUs), {row.delayName});
    }
  }
  text += "VERBOSE OUT:ON\n";
  text += "PRINT \"Register set-up restored from the snapshot taken " + snapshot.taken + ".\\n\"\n";
  text += std::string(kEnd) + "\n";
  return text;
}

bool ParseSnapshot(std::string_view text, Snapshot* out, std::string* error) {
  *out = Snapshot();
  if (text.size() > kMaxFileSize) {
    *error = FormatText("larger than %zu bytes, more than VORN runs as a script", kMaxFileSize);
    return false;
  }
  ParseState state{out};
  std::string why;
  for (size_t begin = 0; begin < text.size();) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    begin = end + 1;
    state.line++;
    if (line.find('\0') != std::string_view::npos) why = "a NUL byte, which no script holds";
    if (!why.empty() || !ParseLine(line, &state, &why)) {
      *error = FormatText("line %u: ", state.line) + why;
      return false;
    }
  }
  if (state.line == 0) return Fail(error, "empty: not a VORN register snapshot");
  if (!state.ended) {
    return Fail(error,
                "ends before its last line (\"" + std::string(kEnd) + "\"): it is cut short");
  }
  return true;
}

bool LoadSnapshot(const std::string& name, Snapshot* out, std::string* error) {
  FilePtr file(std::fopen(name.c_str(), "rb"));
  std::string text(kMaxFileSize + 1, '\0');
  size_t length = 0;
  if (file) length = std::fread(text.data(), 1, text.size(), file.get());
  if (!file || std::ferror(file.get())) {
    *error = name + ": " + std::strerror(errno);
    return false;
  }
  text.resize(length);
  if (!ParseSnapshot(text, out, error)) {
    *error = name + (error->starts_with("line ") ? ", " : ": ") + *error;
    return false;
  }
  return true;
}

bool StoreSnapshot(const std::string& name, const Snapshot& snapshot, std::string* error) {
  const std::string text = SnapshotText(snapshot);
  OutputFile file;
  errno = 0;
  if (file.Open(name, false) && file.Write(text.data(), text.size()) && file.Commit()) return true;
  *error = name + ": " + (errno != 0 ? std::strerror(errno) : "cannot be written");
  return false;
}
