// The program entry behind main().
#pragma once

// Start-up, switches, then the command line's command or the prompt loop. Returns the exit code.
int VornMain(int argc, char** argv);
