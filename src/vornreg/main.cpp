#include "vornreg/vornreg.h"

int main(int argc, char** argv) {
  return VornregMain(argc, argv);
}
