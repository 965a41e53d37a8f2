#include "commands/help_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "base/helper.h"
#include "base/number_text.h"
#include "chipdef/chipdef.h"
#include "console/output.h"
#include "interp/dispatch.h"
#include "lang/chip_tokens.h"
#include "platform/console.h"

namespace {

// ---- the section browser ----

// The pages of the sections that hold no commands. The operator line of LANGUAGE2 shows its
// percent sign through "%s" with "%%", which the console's second pass makes one "%".
const char* const kLanguage1Lines[] = {
    " ' comment                                 - COMMENTS: prefixed with quote\n",
    " statement1; statement2                    - COMPOUND STATEMENTS: use semicolon\n",
    " $i, $MyVar, $$GlobalVar                   - TOKEN: uint32 or text variable\n",
    " bpp, hdp, lcd2hdp, paneltype, swivelview  - TOKEN: features or bitfields\n",
    " reg[0012h], reg[$i],    reg[0012h-b3:2]   - TOKEN: register access\n",
    " disp8[$i],  disp16[$i], disp32[$i]        - TOKEN: display buffer access\n",
    " sys8[$i],   sys16[$i],  sys32[$i]         - TOKEN: system-wide memory access\n",
    " bem8[$i],   bem16[$i],  bem32[$i]         - TOKEN: raw interface access\n",
    " arg[n], argn                              - TOKEN: script arguments\n",
    " retval                                    - TOKEN: assign to return a value\n",
    " rand                                      - TOKEN: random value (rand=seed)\n",
    nullptr};

const char* const kLanguage2Lines[] = {
    " 44t, 2Ch, 54o, 101100i                    - RADIX: dec,hex(default),oct,bin\n",
    " e.n[radix][width]                         - CONVERTER: string to number\n",
    " e.s[radix][width]                         - CONVERTER: number to string\n",
    "                                                        If $var is 3Fh, then:\n",
    "                                                        $var.sh4  = \"  3F\"\n",
    "                                                        $var.st04 = \"0063\"\n",
    " e**e                                      - OPERATOR: Exponential\n",
    " !e    ~e                                  - OPERATOR: LogicalNot,BitComplement\n",
    " e*e   e/e   e%se                           - OPERATOR: Multiply,Divide,Modulus\n",
    " e+e   e-e                                 - OPERATOR: Add,Subtract\n",
    " e<<e  e>>e                                - OPERATOR: LeftShift,RightShift\n",
    " e<e   e>e   e<=e   e>=e                   - OPERATOR: Relational\n",
    " e==e  e!=e                                - OPERATOR: Equality\n",
    " e&e   e|e   e^e                           - OPERATOR: Bitwise And,Or,XOr\n",
    " NOTe                                      - OPERATOR: Logical Not\n",
    " e&&e  e||e  eANDe  eORe  eXORe            - OPERATOR: Logical And,Or,XOr\n",
    " e?e:e                                     - OPERATOR: Conditional If-Then-Else\n",
    nullptr};

const char* const kKeysLines[] = {
    " ESC                                       - Clears command line\n",
    " CTRL-R                                    - Recalls last command\n",
    " CTRL-BACKSPACE                            - Deletes last word\n", nullptr};

// The fixed page of each section, after its commands (none for the command sections).
const char* const* const kFixedPages[kHelpSectionCount] = {
    nullptr, nullptr, nullptr, kLanguage1Lines, kLanguage2Lines, kKeysLines};

bool ShowSection(uint32_t section) {
  if (!OutPrintf(CH_ALL, "\n") || !OutPrintf(CH_ALL, " %s\n", HelpSections[section].title) ||
      !OutPrintf(CH_ALL, " %s\n", std::string(78, '-').c_str())) {
    return false;
  }
  for (const CommandRow* row : CommandTable()) {
    if (row->section == section && !OutPrintf(CH_ALL, "%s%s\n", " ", row->helpLine)) return false;
  }
  for (const char* const* line = kFixedPages[section]; line != nullptr && *line != nullptr;
       line++) {
    if (!OutPrintf(CH_ALL, *line, "%%")) return false;
  }
  return OutPrintf(CH_ALL, "\n");
}

// "HELP 2=ADVANCED,...,ESC=EXIT [2]>": every other section and the key Enter leads to.
bool ShowNavigation(uint32_t section) {
  std::string line = "HELP ";
  for (uint32_t s = 0; s < kHelpSectionCount; s++) {
    if (s != section) line += std::to_string(s + 1) + "=" + HelpSections[s].key + ",";
  }
  line += "ESC=EXIT";
  line += section + 1 < kHelpSectionCount ? " [" + std::to_string(section + 2) + "]>" : " [ESC]>";
  return OutPrintf(CH_ALL, "%s", line.c_str());
}

// The section the key leads to; kHelpSectionCount ends the browser.
uint32_t NextSection(int key, uint32_t section) {
  if (key == kKeyReturn || key == kKeyLineFeed) return section + 1;
  if (key >= '1' && key < '1' + static_cast<int>(kHelpSectionCount)) {
    return static_cast<uint32_t>(key - '1');
  }
  if (key == kKeyExtended) ConsoleReadKey();  // the second code of the key ends with it
  return kHelpSectionCount;
}

bool BrowseSections() {
  for (uint32_t section = 0; section < kHelpSectionCount;) {
    if (!ShowSection(section)) return false;
    Output.LineCount = 0;  // the navigation line is counted afresh
    if (!ShowNavigation(section)) return false;
    ConsoleFlush();
    section = NextSection(ConsoleReadKey(), section);
    if (!OutPrintf(CH_ALL, "\n")) return false;
  }
  return true;
}

// ---- the register picture ----

bool ShowPicture(uint32_t index) {
  std::string picture = "\n";
  ChipModel().RegisterPicture(index, &picture, false, " ", "\n", kConsoleWidth, false);
  return OutText(CH_OUT, picture + "\n");
}

// ---- the phrase search ----

constexpr size_t kNameColumn = 33;
constexpr size_t kSourceColumn = 22;

std::string Cut(std::string_view text, size_t width) {
  std::string out(width + 1, '\0');
  TruncateWithEllipsis(out.data(), text, width);
  out.resize(std::char_traits<char>::length(out.c_str()));
  return out;
}

bool Contains(std::string_view text, const std::string& phrase) {
  return FindNoCase(text, phrase) != std::string_view::npos;
}

const char* TypeName(uint32_t type) {
  switch (type) {
    case FT_NUMB:
      return "NUMB";
    case FT_ADDR:
      return "ADDR";
    case FT_FREQ:
      return "FREQ";
    case FT_TEXT:
      return "TEXT";
    case FT_LIST:
      return "LIST";
    case FT_BOOL:
      return "BOOL";
    case FT_SEQU:
      return "SEQU";
    default:
      return "HUH?";
  }
}

// One line per register whose name or location holds the phrase. found tells whether any did.
bool ListRegisters(const std::string& phrase, bool* found) {
  ChipDef& model = ChipModel();
  uint32_t index = 0;
  for (uint32_t n = 0; model.GetNthRegister(false, n, &index, true); n++) {
    const std::string name = model.RegisterLabel(index, false, LABEL_NAME);
    const std::string location = model.RegisterLabel(index, false, LABEL_LOCATION);
    if (!Contains(name, phrase) && !Contains(location, phrase)) continue;
    *found = true;
    if (!OutPrintf(CH_OUT, " %-*s NUMB %-16X", static_cast<int>(kNameColumn),
                   Cut(name, kNameColumn).c_str(), index) ||
        !OutPrintf(CH_OUT, " %-*s\n", static_cast<int>(kSourceColumn),
                   Cut(location, kSourceColumn).c_str())) {
      return false;
    }
  }
  return true;
}

// One line per feature whose name, location or key holds the phrase.
bool ListFeatures(const std::string& phrase, bool* found) {
  ChipDef& model = ChipModel();
  const char* key = nullptr;
  for (uint32_t n = 0; model.GetNthFeature(n, &key); n++) {
    const std::string k = key;
    const std::string name = model.FeatureLabel(k.c_str(), LABEL_NAME);
    const std::string location = model.FeatureLabel(k.c_str(), LABEL_LOCATION | LABEL_SHORT);
    if (!Contains(name, phrase) && !Contains(location, phrase) && !Contains(k, phrase)) continue;
    *found = true;
    if (!OutPrintf(CH_OUT, " %-*s %-4s %-16s", static_cast<int>(kNameColumn),
                   Cut(name, kNameColumn).c_str(), TypeName(model.GetType(k.c_str())), k.c_str()) ||
        !OutPrintf(CH_OUT, " %-*s\n", static_cast<int>(kSourceColumn),
                   Cut(location, kSourceColumn).c_str())) {
      return false;
    }
  }
  return true;
}

// The command's detailed help, asked for with its own words so that the statement's are left
// alone.
bool ShowCommandHelp(const CommandRow& row, const std::string& word) {
  auto words = std::make_unique<StatementWords>();
  std::snprintf(words->argv[0], kArgSize, "%s", word.c_str());
  std::snprintf(words->argv[1], kArgSize, "?");
  words->argc = 2;
  Value ignored;
  row.handler(words->argc, words->argv, &ignored);
  return true;
}

bool SearchPhrase(const std::string& phrase) {
  bool found = false;
  if (!OutPrintf(CH_OUT, "\n") ||
      !OutPrintf(CH_OUT,
                 " ============REGISTERS============ ==TOKEN=TYPE=&=NAME== "
                 "========SOURCE========\n") ||
      !ListRegisters(phrase, &found)) {
    return false;
  }
  if (!found && !OutPrintf(CH_OUT, " NO REGISTERS CONTAINED THE PHRASE '%s'\n", phrase.c_str())) {
    return false;
  }
  found = false;
  if (!OutPrintf(CH_OUT,
                 "\n ============FEATURES============= ==TOKEN=TYPE=&=NAME== "
                 "========SOURCE========\n") ||
      !ListFeatures(phrase, &found)) {
    return false;
  }
  if (!found && !OutPrintf(CH_OUT, " NO FEATURES CONTAINED THE PHRASE '%s'\n", phrase.c_str())) {
    return false;
  }
  std::string word = phrase;
  LowerInPlace(word.data());
  if (word.size() < ChipDefBase::kMaxKeyLen && ChipModel().FeatureExists(word.c_str())) {
    if (!OutPrintf(CH_OUT,
                   "\n ====================ONE=FEATURE=FOUND=WITH=AN=EXACT=MATCH"
                   "=====================\n") ||
        !ShowFeatureRange(word)) {
      return false;
    }
  }
  const CommandRow* row = nullptr;
  if (word.size() < kArgSize && FindCommand(word.c_str(), &row)) {
    // The header gets a line of its own: most detailed helps start right away.
    if (!OutPrintf(CH_OUT,
                   "\n ====================ONE=COMMAND=FOUND=WITH=AN=EXACT=MATCH"
                   "=====================\n")) {
      return false;
    }
    return ShowCommandHelp(*row, word);
  }
  return true;
}

// ---- the command ----

bool ShowHelp() {
  OutPrintf(CH_OUT, " ? [regindex|searchtext]\n");
  OutPrintf(CH_OUT, " Browses the help pages, or shows what the chip definition knows.\n");
  OutPrintf(CH_OUT, " regindex   - Register index (hexadecimal): draws the register's bits.\n");
  return OutPrintf(CH_OUT,
                   " searchtext - Lists the registers and features whose name, location or\n"
                   "              key holds the text; an exact key or command is explained.\n");
}

bool CmdHelp(int argc, ArgSlot* argv, Value*) {
  if (argc == 1) return BrowseSections();
  if (argv[1][0] == '?') return ShowHelp();
  std::string phrase = argv[1];
  for (int i = 2; i < argc; i++) phrase += std::string(" ") + argv[i];
  if (phrase.empty() || !IsNumber(phrase, 16)) return SearchPhrase(phrase);
  uint32_t index = 0;
  if (!StrToNumFits(phrase, 16, &index)) return OutPrintf(CH_ERR, "ERROR: %s\n", kNumberTooWide);
  return ShowPicture(index);
}

}  // namespace

const CommandRow kHelpRow = {
    BASIC, "?;help", CmdHelp, kAnyBoard,
    "? [regindex|searchtext]                   - Help, or use to search chip info"};
