// The configuration string of the export library: a request/answer string
// of type CONFIG with one item per setting, read by command 110 and built
// for the configuration dialog and for hosts that make their own.
#pragma once

#include <string>

#include "plugin/vxExportState.h"

namespace vxExportConfig {

// Parses ConfigString (8-bit, items decoded) and, when it parses, reads the
// fourteen keys into Settings: a missing key gives the empty value (text
// empty, Boolean False, port 0), a port that is no number -1, the password
// from its stored form. False, Settings untouched, when it does not parse.
// A compressed item that does not inflate raises.
bool ReadConfigString(const std::string& ConfigString, TvxExportSettings& Settings);

// The string of Settings: "<CONFIG>", the fourteen items "<KEY=value>" in
// the written order, "</CONFIG>", unencoded, Booleans "True"/"False", the
// password in its stored form. When a value holds ">" (which would end its
// item early) the string is written in the encoded form instead, which
// ReadConfigString decodes.
std::string BuildConfigString(const TvxExportSettings& Settings);

}  // namespace vxExportConfig
