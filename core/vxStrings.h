// TvxStrings, the library's text class: one namespace of stateless
// functions, split by area into the headers included here.
#pragma once

#include "core/vxStringsAbbrev.h"
#include "core/vxStringsCheck.h"
#include "core/vxStringsClean.h"
#include "core/vxStringsDates.h"
#include "core/vxStringsDecode.h"
#include "core/vxStringsEscape.h"
#include "core/vxStringsExtract.h"
#include "core/vxStringsIds.h"
#include "core/vxStringsLists.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxStringsStem.h"
#include "core/vxStringsTemplates.h"
#include "core/vxStringsWildcard.h"
