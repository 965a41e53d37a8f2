// vornreg: register snapshots of a 77Q41 board, saved as VORN scripts, compared field by field.
#pragma once

// Exit codes, as diff has them: success (for diff: no difference), differences, trouble.
constexpr int kVornregOk = 0;
constexpr int kVornregDiffer = 1;
constexpr int kVornregTrouble = 2;

// The program: save, diff or show, or the help. Returns the exit code.
int VornregMain(int argc, char** argv);
