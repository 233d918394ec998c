// The command line of vxhost: what to load, the configuration to hand over,
// the document (fields and files) and the extra questions to ask.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct TvxHostOptions {
  std::string Library;     // empty: libvxsmtpexport.so beside vxhost
  std::string ConfigFile;  // --config: the configuration string as it stands
  // The settings given one by one (each unset when its flag is absent).
  std::optional<std::string> Server, Port, Sender, SenderName, Recipients, Subject, Login, PasswordFile;
  bool Tls = false, Sasl = false, Zip = false, NoFieldList = false, SendEml = false;
  std::vector<std::string> Fields;  // "NAME=VALUE"
  std::vector<std::string> Files;
  bool AskVersion = false, AskTempPath = false, AskConfig = false;
  bool Configure = false;  // --configure: the dialog (command 800)
  bool Help = false;

  // Whether a setting flag was given, so that vxhost builds the string.
  bool HasSettings() const;
  // Whether there is a document to export (and not only questions).
  bool HasDocument() const;
};

// Reads the arguments (without the program name). Raises
// std::invalid_argument with a text for the user on a wrong argument.
TvxHostOptions ParseHostOptions(const std::vector<std::string>& Args);

// The text of --help.
std::string HostUsage();
