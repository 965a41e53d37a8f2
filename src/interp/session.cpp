#include "interp/session.h"

ShellState Shell;
