// TvxTools: truth words, parameter strings ('KEY=VALUE;KEY=VALUE;') and the
// named start parameters of the process's command line.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"
#include "platform/values/vxVariant.h"

// The words StrIsTrue accepts, in their order.
extern const std::array<std::string_view, 20> TrueWords;

// True when S, with its letters a-z upper-cased, is one of TrueWords; no
// trimming (' yes' is False).
bool StrIsTrue(const std::string& S);

namespace TvxTools {

// The value of the first item of ConfigString whose key is Parameter. The
// scan works on the system code page form: items end at ";", are trimmed,
// and split at their first "=" (blanks around it stay part of key and
// value, so 'port = 25' has the key 'port '); keys are compared with their
// letters a-z upper-cased. An item without "=" has the empty key. Default
// when no item matches.
ustring GetConfigStringParameter(const ustring& ConfigString, const ustring& Parameter, const ustring& Default);
// Appends the value of every matching item to Values (not cleared), in item
// order; an empty Parameter matches every item. Always True.
bool GetConfigStringParameters(const ustring& ConfigString, const ustring& Parameter, TStrings& Values);

// The start parameter Prefix + Name (as '/PORT=8080'): the arguments after
// the program, as the process got them, are compared by their text before
// the first "=", upper-cased, with Prefix (case kept) + UpperStrW(Name); the
// first match gives the text after its "=" read by TvxTypes::StrToVarExt as
// ResultType (varNull: Default's type). A copy of Default when none
// matches.
Variant GetStartParam(const ustring& Name, const Variant& Default, const std::string& Prefix, TVarType ResultType);

}  // namespace TvxTools
