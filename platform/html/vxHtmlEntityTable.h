// The table of HTML's named character references ("&amp;", "&nbsp;",
// "&NotEqualTilde;", ...): what each name stands for.
#pragma once

#include <span>
#include <string_view>

namespace vxHtmlEntities {

struct TNamedReference {
  std::string_view Name;  // without the ";"
  char32_t First;
  char32_t Second;         // 0: the name stands for one character
  bool WithoutSemicolon;   // a legacy name, read without its ";" as well
};

// Every name, sorted by name (byte order).
std::span<const TNamedReference> NamedReferences();

}  // namespace vxHtmlEntities
