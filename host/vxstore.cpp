// vxstore: the configuration store's companion program. "vxstore create"
// makes the table of an empty store, "vxstore export" and "vxstore import"
// move a subtree through an export document; "vxstore help" lists them.
#include <iostream>
#include <string>
#include <vector>

#include "host/vxStoreCommands.h"

int main(int argc, char** argv) {
  try {
    return RunStoreCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "vxstore: " << e.what() << "\n";
    return 1;
  }
}
