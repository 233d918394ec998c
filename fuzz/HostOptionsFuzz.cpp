// Fuzzes vxhost's command line: any arguments (the input's fields, split
// at zero bytes) are read or refused with std::invalid_argument and nothing
// else, and what was read, written back as a command line of its own,
// reads back to the same options.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "host/vxHostOptions.h"

namespace {

std::vector<std::string> Arguments(const uint8_t* Data, size_t Size) {
  std::vector<std::string> args;
  if (Size == 0) return args;
  args.emplace_back();
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == 0)
      args.emplace_back();
    else
      args.back().push_back(static_cast<char>(Data[i]));
  }
  return args;
}

// The options as a command line: each value after its flag, the files
// after "--".
std::vector<std::string> CommandLine(const TvxHostOptions& O) {
  std::vector<std::string> args;
  const auto text = [&](const char* Flag, const std::string& Value) {
    if (!Value.empty()) args.insert(args.end(), {Flag, Value});
  };
  const auto optional = [&](const char* Flag, const std::optional<std::string>& Value) {
    if (Value) args.insert(args.end(), {Flag, *Value});
  };
  const auto flag = [&](const char* Flag, bool On) {
    if (On) args.emplace_back(Flag);
  };
  text("--library", O.Library);
  text("--config", O.ConfigFile);
  optional("--server", O.Server);
  optional("--port", O.Port);
  optional("--sender", O.Sender);
  optional("--sender-name", O.SenderName);
  optional("--recipients", O.Recipients);
  optional("--subject", O.Subject);
  optional("--login", O.Login);
  optional("--password-file", O.PasswordFile);
  flag("--tls", O.Tls);
  flag("--sasl", O.Sasl);
  flag("--zip", O.Zip);
  flag("--no-field-list", O.NoFieldList);
  flag("--send-eml", O.SendEml);
  for (const std::string& field : O.Fields) args.insert(args.end(), {"--field", field});
  flag("--version-text", O.AskVersion);
  flag("--temp-path", O.AskTempPath);
  flag("--show-config", O.AskConfig);
  flag("--configure", O.Configure);
  flag("--help", O.Help);
  args.emplace_back("--");
  args.insert(args.end(), O.Files.begin(), O.Files.end());
  return args;
}

bool Same(const TvxHostOptions& A, const TvxHostOptions& B) {
  return A.Library == B.Library && A.ConfigFile == B.ConfigFile && A.Server == B.Server && A.Port == B.Port &&
         A.Sender == B.Sender && A.SenderName == B.SenderName && A.Recipients == B.Recipients &&
         A.Subject == B.Subject && A.Login == B.Login && A.PasswordFile == B.PasswordFile && A.Tls == B.Tls &&
         A.Sasl == B.Sasl && A.Zip == B.Zip && A.NoFieldList == B.NoFieldList && A.SendEml == B.SendEml &&
         A.Fields == B.Fields && A.Files == B.Files && A.AskVersion == B.AskVersion &&
         A.AskTempPath == B.AskTempPath && A.AskConfig == B.AskConfig && A.Configure == B.Configure &&
         A.Help == B.Help && A.HasSettings() == B.HasSettings() && A.HasDocument() == B.HasDocument();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> args = Arguments(Data, Size);
  TvxHostOptions options;
  try {
    options = ParseHostOptions(args);
  } catch (const std::invalid_argument& e) {
    // A refusal says why.
    vxFuzz::Check(e.what()[0] != '\0');
    return 0;
  }
  // Read options hold together: a configuration file excludes the flags.
  vxFuzz::Check(options.ConfigFile.empty() || !options.HasSettings());
  // Every file came from the arguments as it stood.
  for (const std::string& file : options.Files) {
    bool given = false;
    for (const std::string& arg : args) given = given || arg == file;
    vxFuzz::Check(given);
  }
  TvxHostOptions again;
  try {
    again = ParseHostOptions(CommandLine(options));
  } catch (const std::invalid_argument&) {
    vxFuzz::Fail();
  }
  vxFuzz::Check(Same(options, again));
  return 0;
}
