#include <glob.h>

#include <cstdio>
#include <string>

#include "base/helper.h"
#include "commands/script_commands.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/evaluate.h"

namespace {

const char* const kRunHelp[] = {
    " RUN foo.txt\n",
    " foo\n",
    " Runs a script file. Text consists of legal VORN commands. Typing 'RUN' and\n",
    " suffixing the script file with '.txt' is optional. ALSO NOTE: If you create\n",
    " a script file named '%s', it will be loaded when VORN first starts\n",
    " up.\n",
    " scriptfile - Filename of text scriptfile.\n",
};

bool ShowRunPathHelp() {
  OutPrintf(CH_OUT, " RUNPATH [path1[ path2 path3 .. pathN]]\n");
  OutPrintf(CH_OUT, " RUNPATH c:\\ ..\\Scripts \"D:\\work\\My Vorn Scripts\"\n");
  OutPrintf(CH_OUT, " Sets path of where to RUN scripts from. Up to %d paths can be specified.\n",
            static_cast<int>(kSearchPathEntries));
  return true;
}

constexpr size_t kNameColumns = 42;
constexpr size_t kListingWidth = 79;  // the 80-column line less one

// The listing line of a script whose first line is "'name - description", or "" when the file
// has no such header.
std::string HeaderLine(const char* path) {
  FilePtr f(std::fopen(path, "rb"));
  if (!f || std::fgetc(f.get()) != '\'') return "";
  std::string name;
  int c = std::fgetc(f.get());
  for (; c != EOF && c != '-' && c != '\n' && c != '\r'; c = std::fgetc(f.get())) {
    if (name.size() < kNameColumns) name += static_cast<char>(c);
  }
  if (c != '-') return "";
  name.resize(kNameColumns, ' ');
  c = std::fgetc(f.get());
  while (c == ' ' || c == '\t') c = std::fgetc(f.get());
  std::string line = name + " - ";
  for (; c != EOF && c != '\n' && c != '\r'; c = std::fgetc(f.get())) line += static_cast<char>(c);
  char out[kListingWidth + 1];
  TruncateWithEllipsis(out, line, kListingWidth);
  return out;
}

// Lists the scripts with a header line in one search-path entry. False when the output was
// cancelled.
bool ListEntry(const std::string& entry, uint32_t* listed) {
  OutPrintf(CH_OUT, "\n AVAILABLE SCRIPT FILES ::: %s*.txt\n", entry.c_str());
  OutPrintf(CH_OUT, "%s\n", std::string(78, '-').c_str());
  glob_t found{};
  std::string pattern = entry + "*.txt";
  uint32_t here = 0;
  bool going = true;
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc && going; i++) {
      std::string line = HeaderLine(found.gl_pathv[i]);
      if (line.empty()) continue;
      here++;
      going = OutPrintf(CH_OUT, "%s\n", line.c_str());
    }
  }
  globfree(&found);
  *listed += here;
  if (going && here == 0) going = OutPrintf(CH_OUT, " No script files in current directory.\n");
  return going;
}

bool ListScripts(Value* result) {
  uint32_t listed = 0;
  for (size_t n = 0; n < kSearchPathEntries; n++) {
    const std::string& entry = SearchPathEntry(n);
    if (!entry.empty() && !ListEntry(entry, &listed)) break;
  }
  result->SetNumber(listed);
  return true;
}

// A path argument: the word evaluated in the current scope (as typed when it does not
// evaluate). False for a number.
bool PathArgument(const char* word, std::string* path) {
  Value v;
  const char* message = nullptr;
  if (Evaluate(word, &v, &message) != 0) {
    *path = word;
  } else if (v.isText) {
    *path = v.text;
  } else {
    return false;
  }
  if (!path->empty() && path->back() != '/') *path += '/';
  return true;
}

bool CmdRun(int argc, ArgSlot* argv, Value* result) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kRunHelp, Shell.preferencesFile);
  if (argc == 1) return ListScripts(result);
  return RunScript(true, argc - 1, argv + 1, result);
}

bool CmdRunPath(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowRunPathHelp();
  if (argc - 1 > static_cast<int>(kSearchPathEntries)) {
    return OutPrintf(CH_ERR, "ERROR: RUNPATH takes only up to %d arguments.\n",
                     static_cast<int>(kSearchPathEntries));
  }
  if (argc > 1) {
    for (int i = 1; i < argc; i++) {
      std::string path;
      if (!PathArgument(argv[i], &path)) {
        return ShowErrorAt(static_cast<int>(ArgColumn(argv, 1)),
                           "ERROR: The Path argument must be text (not a numerical value).\n");
      }
      SetSearchPathEntry(static_cast<size_t>(i - 1), path);
    }
    for (size_t n = static_cast<size_t>(argc - 1); n < kSearchPathEntries; n++) {
      SetSearchPathEntry(n, "");
    }
  }
  for (size_t n = 0; n < kSearchPathEntries; n++) {
    const std::string& entry = SearchPathEntry(n);
    if (!entry.empty() && !OutPrintf(CH_OUT, "RUNPATH = %s\n", entry.c_str())) break;
  }
  return true;
}

}  // namespace

const CommandRow kRunRow = {ADVANCED, "run", CmdRun, kAnyBoard,
                            "[RUN] [scriptfile]                        - Runs a script file"};
const CommandRow kRunPathRow = {
    ADVANCED, "runpath", CmdRunPath, kAnyBoard,
    "RUNPATH [path1[ path2 path3 .. pathN]]    - Sets path to run scripts from"};
