// The library's case mapping: every UTF-16 unit mapped by itself to its simple
// upper- or lower-case partner.
#include "core/vxToolsEvo2.h"

#include "platform/text/vxCaseMap.h"

ustring UpperStrW(const ustring& Text) { return vxCaseMap::Upper(Text); }

ustring LowerStrW(const ustring& Text) { return vxCaseMap::Lower(Text); }
