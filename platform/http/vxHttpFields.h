// Header fields of HTTP messages as they travel: name and value as written,
// kept in the order of the message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct THttpHeaderField {
  std::string Name;
  std::string Value;
  friend bool operator==(const THttpHeaderField&, const THttpHeaderField&) = default;
};
using THttpHeaderFields = std::vector<THttpHeaderField>;

namespace vxHttpFields {

// Field names compare without regard to the case of A-Z (and of nothing
// else: names are ASCII tokens).
bool SameName(std::string_view A, std::string_view B);

// The first field named Name, or nullptr.
const THttpHeaderField* Find(const THttpHeaderFields& Fields, std::string_view Name);
// The value of the first field named Name; empty when there is none.
std::string Value(const THttpHeaderFields& Fields, std::string_view Name);
// Drops every field named Name.
void Remove(THttpHeaderFields& Fields, std::string_view Name);

// Whether Name is a token (RFC 9110 section 5.6.2) and Value holds no CR,
// LF or NUL, so the field can be written without changing the message.
bool IsSafeName(std::string_view Name);
bool IsSafeValue(std::string_view Value);

}  // namespace vxHttpFields
