// The MIME type table of the constants unit: file extensions and their
// content types.
#pragma once

#include <array>
#include <string_view>

// One row: the extension in lower case without its dot, and its type.
struct TMimeTypeRow {
  std::string_view Extension;
  std::string_view MimeType;
};

// Searched from row 0 upward; the first matching row wins in both
// directions. Row 0 has the empty extension; "msg", "cdf" and "zip" occur
// twice, and their later rows are found only by type.
extern const std::array<TMimeTypeRow, 206> MimeTypeTable;
