// TvxTools: text made fit for XML.
#pragma once

#include "platform/base/vxBase.h"

namespace TvxTools {

// Data with every UTF-16 unit outside the XML character ranges
// (XmlCharRanges) turned into a blank: control characters other than tab,
// line feed and carriage return, U+FFFE, U+FFFF and surrogates that are not
// part of a pair; a valid surrogate pair stays. The length never changes.
// With ApplyNotationReplacements the five markup characters then become
// their entities (XmlEntityTable).
ustring PrepareXMLStringW(const ustring& Data, bool ApplyNotationReplacements);

}  // namespace TvxTools
