// The commands of vxstore, the configuration store's companion program: each
// a name, a line of help and a function of its arguments (the table is in
// vxStoreCommands.cpp).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct TvxStoreCommand {
  const char* Name;
  const char* Summary;   // one line for the command list
  const char* Usage;     // the command's own help
  // Runs the command with its arguments (results on Out, progress on Err);
  // the exit status. Raises std::invalid_argument for a wrong argument
  // (exit status 2).
  int (*Run)(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
};

// Every command, in the order the help lists them.
const std::vector<TvxStoreCommand>& StoreCommands();

// The program's help: usage and the command list.
std::string StoreUsage();

// Runs the command line (without the program name); the exit status: 0 done,
// 1 failed (its text on Err), 2 wrong usage.
int RunStoreCommandLine(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
