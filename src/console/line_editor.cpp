#include "console/line_editor.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "console/output.h"
#include "console/tree.h"
#include "platform/console.h"

namespace {

// The lines entered, in a ring; next is the slot the next line goes to. An empty slot was
// never used.
struct LineHistory {
  char lines[kHistoryLines][kHistoryLineSize] = {};
  size_t next = 0;
};
LineHistory History;

// A listing of more names than this asks first.
constexpr size_t kListWithoutAsking = 10;

const char* LastEntered() {
  return History.lines[(History.next + kHistoryLines - 1) % kHistoryLines];
}

void Remember(const char* line) {
  if (line[0] == '\0' || std::strcmp(line, LastEntered()) == 0) return;
  std::snprintf(History.lines[History.next], kHistoryLineSize, "%s", line);
  History.next = (History.next + 1) % kHistoryLines;
}

size_t CommonLength(std::string_view a, std::string_view b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) n++;
  return n;
}

void Bell() {
  ConsoleWrite("\a");
}

bool IsPrintable(int key) {
  return key >= 32 && key <= 126;
}

// One line being edited at the terminal. The screen shows the line after the prompt with the
// terminal's cursor at the editing cursor; every change redraws only what changed.
class Editor {
 public:
  Editor(size_t capacity, bool useHistory)
      : capacity_(capacity), useHistory_(useHistory), browse_(History.next) {}

  // Handles one key; false when the line is complete.
  bool Key(int key, int second, bool afterTab);
  const std::string& Line() const { return line_; }

 private:
  void Show(std::string next, size_t cursor);
  void MoveCursor(size_t from, size_t to);
  void Insert(char c);
  void DeleteWord();
  void Browse(int step);
  void ExtendedKey(int second);
  void Complete(bool afterTab);
  void List(const NameIndex* index, std::string_view word);

  std::string line_;
  size_t cursor_ = 0;
  size_t capacity_;
  bool useHistory_;
  size_t browse_;  // history position while browsing
};

// Moves the terminal's cursor over the line as it now stands: left with backspaces, right by
// writing the characters passed over.
void Editor::MoveCursor(size_t from, size_t to) {
  if (to < from) {
    ConsoleWrite(std::string(from - to, '\b'));
  } else if (to > from) {
    ConsoleWrite(std::string_view(line_).substr(from, to - from));
  }
}

// Replaces the line and moves the cursor: rewrites from the first changed character, blanks
// what the old line had beyond the new one, then steps back to the cursor.
void Editor::Show(std::string next, size_t cursor) {
  size_t at = cursor_;
  if (next != line_) {
    size_t same = CommonLength(line_, next);
    MoveCursor(at, same);  // over characters both lines share
    ConsoleWrite(std::string_view(next).substr(same));
    size_t blanks = line_.size() > next.size() ? line_.size() - next.size() : 0;
    ConsoleWrite(std::string(blanks, ' '));
    at = next.size() + blanks;
  }
  line_ = std::move(next);
  MoveCursor(at, cursor);
  cursor_ = cursor;
}

void Editor::Insert(char c) {
  if (line_.size() >= capacity_) return;
  std::string next = line_;
  next.insert(cursor_, 1, c);
  Show(std::move(next), cursor_ + 1);
}

// First the non-blank characters before the cursor, then the blanks before them.
void Editor::DeleteWord() {
  size_t from = cursor_;
  while (from > 0 && line_[from - 1] != ' ') from--;
  while (from > 0 && line_[from - 1] == ' ') from--;
  std::string next = line_;
  next.erase(from, cursor_ - from);
  Show(std::move(next), from);
}

// One position back (-1) or forward (+1); an empty slot is not taken, and the line shows the
// entry at the position either way.
void Editor::Browse(int step) {
  size_t to = (browse_ + (step < 0 ? kHistoryLines - 1 : 1)) % kHistoryLines;
  if (History.lines[to][0] != '\0') browse_ = to;
  std::string entry = std::string(History.lines[browse_]).substr(0, capacity_);
  size_t end = entry.size();
  Show(std::move(entry), end);
}

void Editor::ExtendedKey(int second) {
  if (!useHistory_) return;
  switch (second) {
    case kKeyUp:
      Browse(-1);
      break;
    case kKeyDown:
      Browse(+1);
      break;
    case kKeyLeft:
      if (cursor_ > 0) Show(line_, cursor_ - 1);
      break;
    case kKeyRight:
      if (cursor_ < line_.size()) Show(line_, cursor_ + 1);
      break;
    case kKeyDel:
      if (cursor_ < line_.size()) {
        std::string next = line_;
        next.erase(cursor_, 1);
        Show(std::move(next), cursor_);
      }
      break;
    default:
      break;
  }
}

void Editor::List(const NameIndex* index, std::string_view word) {
  std::vector<std::string> names = ListMatches(index, word);
  bool show = true;
  if (names.size() > kListWithoutAsking) {
    char question[64];
    std::snprintf(question, sizeof question, "\n\n%d results found, display? [y/N]\n",
                  static_cast<int>(names.size()));
    ConsoleWrite(question);
    ConsoleFlush();
    int key = ConsoleReadKeyPress();
    show = key == 'y' || key == 'Y';
  }
  if (show) {
    ConsoleWrite("\n");
    for (const std::string& name : names) {
      ConsoleWrite(name);
      ConsoleWrite("\n");
    }
    ConsoleWrite("\n");
  }
  ConsoleWrite("\n");
  ConsoleWrite(kPrompt);
  ConsoleWrite(line_);
  cursor_ = line_.size();
}

// Completes the word after the last blank of the line; the first word is never completed.
void Editor::Complete(bool afterTab) {
  const NameIndex* index = CompletionIndex();
  size_t blank = line_.rfind(' ');
  if (index == nullptr || blank == std::string::npos) return;
  std::string_view word = std::string_view(line_).substr(blank + 1);
  std::string common;
  int count = MatchName(index, word, &common);
  if (count == 0) return Bell();
  std::string next = line_.substr(0, blank + 1) + common + (count == 1 ? " " : "");
  if (next.size() > capacity_) return Bell();
  if (count == 1) return Show(next, next.size());
  if (word == common) {
    if (afterTab) List(index, common);
    return;
  }
  Show(next, next.size());
  List(index, common);
}

bool Editor::Key(int key, int second, bool afterTab) {
  if (IsPrintable(key)) {
    Insert(static_cast<char>(key));
    return true;
  }
  switch (key) {
    case kKeyReturn:
    case kKeyLineFeed:
      return false;
    case kKeyBackspace:
      if (cursor_ > 0) {
        std::string next = line_;
        next.erase(cursor_ - 1, 1);
        Show(std::move(next), cursor_ - 1);
      }
      break;
    case kKeyTab:
      Complete(afterTab);
      break;
    case kKeyCtrlR:
      if (useHistory_) {
        std::string last = std::string(LastEntered()).substr(0, capacity_);
        size_t end = last.size();
        Show(std::move(last), end);
      }
      break;
    case kKeyEsc:
      Show("", 0);
      break;
    case kKeyDeleteWord:
      DeleteWord();
      break;
    case kKeyExtended:
      ExtendedKey(second);
      break;
    default:
      Bell();
      break;
  }
  return true;
}

// Keeps the characters the filter lets through.
void FilterInPlace(char* text, KeyFilter filter) {
  if (filter == nullptr) return;
  char* out = text;
  for (const char* in = text; *in != '\0'; in++) {
    if (filter(static_cast<unsigned char>(*in))) *out++ = *in;
  }
  *out = '\0';
}

// A piped line, shown after its prompt as the editor would have shown it typed. A refused line
// shows as far as it was kept, then its message.
char* ReadPlainLine(char* buffer, size_t size, KeyFilter filter, bool* refused) {
  LineRead read = ConsoleReadLine(buffer, size);
  if (read == LineRead::kEnd) {
    buffer[0] = '\0';
    return nullptr;
  }
  if (read == LineRead::kLine) FilterInPlace(buffer, filter);
  ConsoleWrite(buffer);
  ConsoleWrite("\n");
  ConsoleFlush();
  if (read != LineRead::kLine) {
    LogEnteredLine(buffer);
    buffer[0] = '\0';
    *refused = true;
    if (read == LineRead::kHasNul) {
      OutPrintf(CH_ERR, "ERROR: Line holds a NUL byte; it was refused.\n");
    } else {
      OutPrintf(CH_ERR, "ERROR: Line longer than %zu characters; it was refused.\n", size - 1);
    }
    return nullptr;
  }
  return buffer;
}

char* ReadEditedLine(char* buffer, size_t size, KeyFilter filter, bool useHistory) {
  Editor editor(size - 1, useHistory);
  bool afterTab = false;
  for (;;) {
    ConsoleFlush();
    int key = ConsoleReadKey();
    if (ConsoleAtEnd()) {
      ConsoleWrite("\n");
      ConsoleFlush();
      buffer[0] = '\0';
      return nullptr;
    }
    int second = key == kKeyExtended ? ConsoleReadKey() : -1;
    if (filter != nullptr && !filter(key)) continue;
    if (!editor.Key(key, second, afterTab)) break;
    afterTab = key == kKeyTab;
  }
  std::snprintf(buffer, size, "%s", editor.Line().c_str());
  ConsoleWrite("\n");
  ConsoleFlush();
  return buffer;
}

struct KeyName {
  int code;
  const char* name;
};

const KeyName kSingleKeyNames[] = {
    {kKeyBackspace, "BS"}, {kKeyTab, "TAB"}, {kKeyReturn, "RETURN"},
    {kKeyEsc, "ESC"},      {' ', "SPACE"},
};

const KeyName kExtendedKeyNames[] = {
    {kKeyHome, "HOME"},   {kKeyUp, "UP"},   {kKeyPgUp, "PGUP"}, {kKeyLeft, "LEFT"},
    {kKeyRight, "RIGHT"}, {kKeyEnd, "END"}, {kKeyDown, "DOWN"}, {kKeyPgDn, "PGDN"},
    {kKeyIns, "INS"},     {kKeyDel, "DEL"},
};

template <size_t N>
const char* FindKeyName(const KeyName (&table)[N], int code) {
  for (const KeyName& row : table) {
    if (row.code == code) return row.name;
  }
  return nullptr;
}

}  // namespace

char* ReadLine(char* buffer, size_t size, KeyFilter filter, bool useHistory, bool* refused) {
  bool unused = false;
  if (refused == nullptr) refused = &unused;
  *refused = false;
  if (size == 0) return nullptr;
  char* line = ConsoleIsTerminal() ? ReadEditedLine(buffer, size, filter, useHistory)
                                   : ReadPlainLine(buffer, size, filter, refused);
  if (line == nullptr) return nullptr;
  LogEnteredLine(line);
  if (line[0] == '\0') return nullptr;
  if (useHistory) Remember(line);
  return line;
}

void ReadKeyName(char* name) {
  int key = ConsoleReadKey();
  const char* found;
  if (key == kKeyExtended) {
    found = FindKeyName(kExtendedKeyNames, ConsoleReadKey());
    if (found == nullptr) found = "UNKNOWN";
  } else {
    found = FindKeyName(kSingleKeyNames, key);
  }
  if (found != nullptr) {
    std::snprintf(name, kKeyNameSize, "%s", found);
  } else {
    name[0] = static_cast<char>(key);
    name[1] = '\0';
  }
}
