#include "shell/command_table.h"

#include "commands/controller_commands.h"
#include "commands/memory_commands.h"
#include "commands/register_commands.h"
#include "script/calc_command.h"
#include "script/script_commands.h"
#include "script/set_command.h"
#include "shell/output.h"
#include "shell/output_commands.h"
#include "shell/quit.h"

namespace {
constexpr bool kAnyBoard = true;    // runs under /nocard
constexpr bool kNeedsCard = false;  // refused under /nocard
}  // namespace

const HelpSectionRow HelpSections[kHelpSectionCount] = {
    {"BASIC", "BASIC VORN COMMANDS        For more details on each command, type: <command> ?"},
    {"ADVANCED", "ADVANCED VORN COMMANDS"},
    {"SCRIPT", "VORN COMMANDS FOR SCRIPTING"},
    {"LANGUAGE1", "SCRIPT LANGUAGE REFERENCE 1"},
    {"LANGUAGE2", "SCRIPT LANGUAGE REFERENCE 2"},
    {"KEYS", "VORN EDITING KEYS"},
};

// clang-format off
const CommandRow CommandTable[kCommandCount] = {
    {BASIC, "init", CmdNotImplemented, kNeedsCard,
     "INIT [NOflags|ONLYflags]                  - Initializes LCD controller"},
    {BASIC, "m", CmdNotImplemented, kAnyBoard,
     "M                                         - Shows current Mode info"},
    {BASIC, "mm", CmdNotImplemented, kAnyBoard,
     "MM                                        - Shows memory map layout"},
    {BASIC, "show;sh", CmdNotImplemented, kNeedsCard,
     "SHOW [MAIN1|MAIN2|PIP1|PIP2|MEM] [..]     - Shows a test pattern to screen"},
    {BASIC, "set", CmdSet, kAnyBoard,
     "SET [token [expression]]                  - Sets register, feature, $variable"},
    {BASIC, "r;r8;r16;r32", CmdRead, kNeedsCard,
     "R[8|16|32] [addr1 addr2 ..]               - Reads from memory"},
    {BASIC, "w;w8;w16;w32", CmdWrite, kNeedsCard,
     "W[8|16|32] [addr [data1 data2 ..]         - Writes to memory"},
    {BASIC, "f;f8;f16;f32", CmdFill, kNeedsCard,
     "F[8|16|32] start end|len data1 [data2 ..] - Fills memory"},
    {BASIC, "d;d8;d16;d32", CmdDump, kNeedsCard,
     "D[8|16|32] [start [end|len]]              - Dumps memory to screen"},
    {BASIC, "s;s8;s16;s32", CmdSearch, kNeedsCard,
     "S[8|16|32] start end|len data1 [data2 ..] - Searches memory for a match"},
    {BASIC, "x;x8;x16;x32;xa;xb", CmdRegister, kNeedsCard,
     "X[A|B][8|16|32] [index [data]]            - Register Get/Set"},
    {BASIC, "xf;xf8;xf16;xf32", CmdRegisterFill, kNeedsCard,
     "XF[8|16|32] index cycle data1 [data2 ..]  - Register Fill"},
    {BASIC, "xr;xr8;xr16;xr32", CmdRegisterReread, kNeedsCard,
     "XR[8|16|32] index [cycle]                 - Register Re-Read"},
    {BASIC, "xfb;xfb8;xfb16;xfb32", CmdRegisterBurstFill, kNeedsCard,
     "XFB[8|16|32] index cycle data1 [data2 ..] - Register Fill in burst"},
    {BASIC, "xrb;xrb8;xrb16;xrb32", CmdRegisterBurstReread, kNeedsCard,
     "XRB[8|16|32] index [cycle]                - Register Re-Read in burst"},
    {BASIC, "bar;bar8;bar16;bar32", CmdBar, kNeedsCard,
     "BAR[8|16|32] n [index [data]]             - Register Get/Set using PCI BAR"},
    {BASIC, "q;quit;ex;exit", CmdQuit, kAnyBoard,
     "Q                                         - Quits VORN"},
    {BASIC, "?;help", CmdNotImplemented, kAnyBoard,
     "? [regindex|searchtext]                   - Help, or use to search chip info"},
    {ADVANCED, "calc", CmdCalc, kAnyBoard,
     "CALC expression                           - Built-in calculator"},
    {ADVANCED, "debug", CmdNotImplemented, kNeedsCard,
     "DEBUG                                     - HAL debugging"},
    {ADVANCED, "diagnose;diagn", CmdNotImplemented, kAnyBoard,
     "DIAGNOSE                                  - Diagnose using spec restrictions"},
    {ADVANCED, "draw", CmdNotImplemented, kNeedsCard,
     "DRAW [MAIN1|MAIN2 ..] [TEXT|LINE|BOX ..]  - Draws various graphics to screen"},
    {ADVANCED, "fdump;fdump8;fdump16;fdump32", CmdNotImplemented, kNeedsCard,
     "FDUMP[8|16|32] file area s [e|len] [..]   - Write to file"},
    {ADVANCED, "fload;fload8;fload16;fload32", CmdNotImplemented, kNeedsCard,
     "FLOAD[8|16|32] file area s [e|len] [..]   - Read from file"},
    {ADVANCED, "flog", CmdFlog, kNeedsCard,
     "FLOG file [CMD|OUT|SET:ON|OFF] [..]       - Logs output to file"},
    {ADVANCED, "fsize;fsize8;fsize16;fsize32", CmdNotImplemented, kNeedsCard,
     "FSIZE[8|16|32] file                       - Returns file size"},
    {ADVANCED, "scale", CmdNotImplemented, kNeedsCard,
     "SCALE PIP1|PIP2 HS:n VS:n HF:n VF:n       - Set PIP scaling factor and coefs"},
    {ADVANCED, "h;halt", CmdHalt, kAnyBoard,
     "H [nLines]                                - Halts by nLines when screen fills"},
    {ADVANCED, "l;l1;l2;l1a;l2a", CmdNotImplemented, kNeedsCard,
     "L[1|2][A] index [[red green blue]|[data]] - Programs the Look-Up Tables"},
    {ADVANCED, "pll", CmdNotImplemented, kNeedsCard,
     "PLL [freq]                                - Sets PLL (freq=xx.xxx MHz)"},
    {ADVANCED, "ps", CmdNotImplemented, kNeedsCard,
     "PS [ON|OFF]                               - Controls Power Save mode"},
    {ADVANCED, "run", CmdRun, kAnyBoard,
     "[RUN] [scriptfile]                        - Runs a script file"},
    {ADVANCED, "runpath", CmdRunPath, kAnyBoard,
     "RUNPATH [path1[ path2 path3 .. pathN]]    - Sets path to run scripts from"},
    {ADVANCED, "ss", CmdNotImplemented, kNeedsCard,
     "SS                                        - Synchronize strides"},
    {ADVANCED, "ver;version", CmdVersion, kAnyBoard,
     "VER                                       - Show build version info"},
    {SCRIPT, "goto", CmdGoto, kAnyBoard,
     "GOTO sectionname                          - Jumps execution to section"},
    {SCRIPT, "section", CmdSection, kAnyBoard,
     "SECTION sectionname                       - Defines start of a section"},
    {SCRIPT, "if", CmdIf, kAnyBoard,
     "IF expression [THEN] statements           - Single-line IF statement"},
    {SCRIPT, "else", CmdElse, kAnyBoard,
     "ELSE statements                           - Tied to the last IF statement"},
    {SCRIPT, "while", CmdWhile, kAnyBoard,
     "WHILE expression [DO] statements          - Single-line WHILE statement"},
    {SCRIPT, "delay", CmdDelay, kAnyBoard,
     "DELAY microseconds                        - Delays for a period of time"},
    {SCRIPT, "sleep", CmdSleep, kAnyBoard,
     "SLEEP milliseconds                        - Sleeps for a period of time"},
    {SCRIPT, "print", CmdPrint, kAnyBoard,
     "PRINT \"message\"|token|expression [..]     - Prints multiple messages|tokens"},
    {SCRIPT, "input", CmdInput, kAnyBoard,
     "INPUT LINE|KEY|PEEK                       - Returns user keyboard input"},
    {SCRIPT, "shell", CmdShell, kAnyBoard,
     "SHELL [\"command\" [\"args\"] [..]]           - Start system command shell"},
    {SCRIPT, "singlestep", CmdSingleStep, kAnyBoard,
     "SINGLESTEP [ON|OFF]                       - Runs scripts one line at a time"},
    {SCRIPT, "verbose", CmdVerbose, kAnyBoard,
     "VERBOSE [CMD|OUT|SET:ON|OFF] [..]         - Silences: COMmandline,OUTput,SETs"},
};
// clang-format on

bool CmdNotImplemented(int, ArgSlot*, Value*) {
  return OutPrintf(CH_ERR, "ERROR: This command is not implemented yet.\n");
}
