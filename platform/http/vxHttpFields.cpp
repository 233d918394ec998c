// Header fields of HTTP messages: lookups and the checks before writing.
#include "platform/http/vxHttpFields.h"

#include <algorithm>

namespace vxHttpFields {
namespace {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsTokenChar(char c) {
  if (c >= '0' && c <= '9') return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

}  // namespace

bool SameName(std::string_view A, std::string_view B) {
  return A.size() == B.size() &&
         std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

const THttpHeaderField* Find(const THttpHeaderFields& Fields, std::string_view Name) {
  for (const THttpHeaderField& f : Fields)
    if (SameName(f.Name, Name)) return &f;
  return nullptr;
}

std::string Value(const THttpHeaderFields& Fields, std::string_view Name) {
  const THttpHeaderField* f = Find(Fields, Name);
  return f ? f->Value : std::string();
}

void Remove(THttpHeaderFields& Fields, std::string_view Name) {
  std::erase_if(Fields, [&](const THttpHeaderField& f) { return SameName(f.Name, Name); });
}

bool IsSafeName(std::string_view Name) { return !Name.empty() && std::all_of(Name.begin(), Name.end(), IsTokenChar); }

bool IsSafeValue(std::string_view Value) { return Value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

}  // namespace vxHttpFields
