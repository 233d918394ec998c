// The document log's four settings, and the one way the logging console
// reaches the configuration store that holds them. The store is a library
// above the foundation, so the console cannot call it: the store registers
// its reader at its start-up (and tests that use the store register it
// themselves); the console calls whatever reader is registered. Without
// one, in a program that links the foundation alone, the settings keep the
// values the console has.
#pragma once

#include <cstdint>

struct TvxDocLogSettings {
  bool WriteDocLogDatabase = true;
  bool WriteDocMetaDatabase = false;
  int32_t DocLogRetention = 30;  // days; 0 or less keeps rows for ever
  int32_t DocLogLevel = 4;
};

namespace vxDocLogSettings {

// Fills Settings from the store (what it cannot give keeps the value
// Settings holds); raises an Exception when a stored value cannot be read
// as its setting.
using TReader = void (*)(TvxDocLogSettings& Settings);

// Registers Reader (nullptr: none).
void SetReader(TReader Reader);
// Reads Settings through the registered reader; false, Settings unchanged,
// when none is registered.
bool Read(TvxDocLogSettings& Settings);

}  // namespace vxDocLogSettings
