// Cleaning text for XML.
#include "core/vxToolsXml.h"

#include "core/vxConstantsXml.h"
#include "platform/base/vxCodePage.h"

namespace TvxTools {
namespace {

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

bool InXmlRanges(uint32_t code) {
  for (const TXmlCharRange& range : XmlCharRanges)
    if (code >= range.First && code <= range.Last) return true;
  return false;
}

}  // namespace

ustring PrepareXMLStringW(const ustring& Data, bool ApplyNotationReplacements) {
  ustring text = Data;
  // Surrogates are judged as pairs below; every other unit by the ranges.
  for (char16_t& unit : text)
    if (!IsSurrogate(unit) && !InXmlRanges(unit)) unit = u' ';
  for (size_t i = FindLoneSurrogate(text); i != ustring::npos; i = FindLoneSurrogate(text, i + 1)) text[i] = u' ';
  if (!ApplyNotationReplacements) return text;
  // One pass gives what replacing row by row gives, the ampersand first.
  ustring result;
  result.reserve(text.size());
  for (char16_t unit : text) {
    std::u16string_view entity;
    for (const TXmlEntity& row : XmlEntityTable)
      if (row.Character[0] == unit) entity = row.Entity;
    if (entity.empty())
      result.push_back(unit);
    else
      result += entity;
  }
  return result;
}

}  // namespace TvxTools
