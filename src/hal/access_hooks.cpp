#include "hal/access_hooks.h"

// Set by the access log and the breakpoints when they start; read by every public operation.
AccessHookState AccessHooks;
