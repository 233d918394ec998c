// Fundamental types shared by every layer of the system.
#pragma once

#include <cstdint>
#include <string>

// UTF-16 text, the system's own text type. 8-bit text (bytes in the system
// code page, or binary content) is plain std::string.
using ustring = std::u16string;

// Date and time: days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;

// Root of the objects that lists can carry along with their items; a list
// never owns or frees them.
class TObject {
 public:
  virtual ~TObject() = default;
};
