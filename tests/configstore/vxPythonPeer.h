// Python's own libraries (urllib.parse, email) as independent readers and
// writers for the network utilities' tests: a script gets its inputs as
// bytes and answers one result per line; both travel hex-encoded, so any
// byte passes unharmed.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/base/vxRuntime.h"
#include "support/vxRunProgram.h"

namespace vxTest {

// Runs Body with the list `inputs` (bytes objects) and a function `out`
// that answers one result (bytes); gives the results in order.
inline std::vector<std::string> RunPython(const std::string& Body, const std::vector<std::string>& Inputs) {
  const std::string script =
      "import sys\n"
      "inputs = [bytes.fromhex(a) for a in sys.argv[1:]]\n"
      "def out(b):\n"
      "    print(b.hex())\n" +
      Body;
  std::vector<std::string> args = {"/usr/bin/python3", "-c", script};
  for (const std::string& input : Inputs) {
    std::string hex;
    for (const char c : input) vxRuntime::AppendHexByte(hex, static_cast<unsigned char>(c), false);
    args.push_back(hex);
  }
  const TProgramResult run = RunProgram(args, std::chrono::seconds(60), true);
  EXPECT_EQ(run.ExitStatus, 0) << run.Errors;
  std::vector<std::string> results;
  std::stringstream lines(run.Output);
  for (std::string line; std::getline(lines, line);) {
    std::string bytes;
    for (size_t i = 0; i + 1 < line.size(); i += 2)
      bytes.push_back(static_cast<char>(vxRuntime::HexPairValue(line[i], line[i + 1])));
    results.push_back(bytes);
  }
  EXPECT_EQ(results.size(), Inputs.size()) << run.Errors;
  return results;
}

}  // namespace vxTest
