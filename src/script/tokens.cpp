#include "script/tokens.h"

// Until tokens and variables land, no target accepts a value.
int AssignTarget(std::string_view, const Value&, bool, const char** message) {
  *message = "Unknown token or expression.";
  return 1;
}
