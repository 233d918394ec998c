// The XML tables of the constants unit: the character ranges that XML 1.0
// text may hold and the entities of the five markup characters.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// One range of code points, first and last included.
struct TXmlCharRange {
  uint32_t First;
  uint32_t Last;
};

// The Char production of XML 1.0, in the order the cleaning tries them.
inline constexpr std::array<TXmlCharRange, 6> XmlCharRanges = {{
    {0x0020, 0xD7FF},
    {0x000A, 0x000A},
    {0x000D, 0x000D},
    {0x0009, 0x0009},
    {0xE000, 0xFFFD},
    {0x10000, 0x10FFFF},
}};

// A character and the entity that replaces it. The ampersand comes first,
// so that the ampersands of the later entities are not escaped again.
struct TXmlEntity {
  std::u16string_view Character;
  std::u16string_view Entity;
};

inline constexpr std::array<TXmlEntity, 5> XmlEntityTable = {{
    {u"&", u"&amp;"},
    {u"<", u"&lt;"},
    {u">", u"&gt;"},
    {u"\"", u"&quot;"},
    {u"'", u"&apos;"},
}};
