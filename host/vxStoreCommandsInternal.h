// What the commands of vxstore share: the reading of their "--name VALUE"
// options and flags, the store's connection from them, and the progress
// line of long runs.
#pragma once

#include <chrono>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"

namespace vxStoreCommands {

// The options of one command: Valued take a value ("--key /a"), Flags none
// ("--overwrite"). Raises std::invalid_argument for anything else, a
// missing value or an option given twice.
class TOptions {
 public:
  TOptions(const std::vector<std::string>& Args, std::initializer_list<const char*> Valued,
           std::initializer_list<const char*> Flags = {});
  const std::string* Find(const char* Name) const;
  // The value, raising std::invalid_argument when it is missing.
  const std::string& Required(const char* Name) const;
  bool Flag(const char* Name) const { return Find(Name) != nullptr; }

 private:
  std::vector<std::pair<std::string, std::string>> FValues;
};

// The connection string that --connection or --udl give (not both), else
// the host's data-link file.
ustring ConnectionStringOf(const TOptions& Options);
// The table --table names, vx_configuration without it.
ustring TableOf(const TOptions& Options);

// "exporting 1234: /varlo/Software/X" for each node the store reports: on
// a terminal one line rewritten at most ten times a second, elsewhere a
// line every few seconds.
class TProgressLine {
 public:
  TProgressLine(std::ostream& Err, bool Terminal, const char* Verb);
  void Update(const ustring& Key);
  // Ends the line on a terminal.
  void Done();
  int64_t Count() const { return FCount; }

 private:
  std::ostream& FErr;
  bool FTerminal;
  const char* FVerb;
  int64_t FCount = 0;
  size_t FShownLength = 0;
  std::chrono::steady_clock::time_point FLast{};
};

int RunExport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
int RunImport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

}  // namespace vxStoreCommands
