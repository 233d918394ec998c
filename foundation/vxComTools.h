// TvxComTools: the bracketed request/answer string, a typed list of
// key/value items on one line of 8-bit text:
//   "<" type ">" "<enc=mime|none>" "<comp=true|false>" "<" item ">" ... "</" type ">"
// Items are "key=value" (no escaping: an unencoded item must not hold ">"),
// or, encoded, the item's Base64 form, or, compressed, the Base64 form of
// its compressed text. The builder, the parser and the lookups on a parsed
// list; the exchange with servers is in vxComToolsExchange.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The items before building: each element "key=value" as it will be written.
using TComRes = std::vector<std::string>;

// One parsed item.
struct TComPart {
  std::string Param;     // the key upper-cased (UpperStrW), the lookup key
  std::string OrgParam;  // the key as it stood
  std::string Value;     // the text after the first "="
};

// A parsed string, items in order.
using TComResExt = std::vector<TComPart>;

namespace TvxComTools {

// Appends Param + "=" + Value as it stands. False only when appending fails.
bool AddComParam(const std::string& Param, const std::string& Value, TComRes& ComList);
// Appends the item "obj(" + extension lower-cased without its dot + ")" =
// the file's whole content. False, and nothing appended, when the file does
// not exist or cannot be read.
bool AddObjectComParam(const std::string& filename, TComRes& ComList);
// The same item with content as its value; the file is not touched.
bool AddObjectContentComParam(const std::string& filename, const std::string& content, TComRes& ComList);

// The string of type ComTyp with the items of ComList. compress forces
// encode. Every element of ComList is replaced by the form written (so
// building the same list twice encodes its items twice).
std::string BuiltComString(const std::string& ComTyp, bool encode, bool compress, TComRes& ComList);

// Parses Request. False when it holds fewer than two tags or its last tag
// does not close its first one (letter case aside); ComTyp and ComList are
// then left as they were. With ParseParVal the first two "enc"/"comp" tags
// are taken as such and every item is decoded and split at its first "=";
// without it every tag between the first and the last becomes an item whose
// Param is its index. A compressed item that does not inflate raises
// EZDecompressionError (ComTyp and ComList unchanged).
bool ParseComAnswer(const std::string& Request, std::string& ComTyp, TComResExt& ComList, bool ParseParVal);

// The text between the first "<" and the next ">", trimmed and upper-cased;
// empty when there is no ">".
std::string GetComType(const std::string& Request);

// Lookups by key (upper-cased with UpperStrW, then compared exactly); the
// first match in list order wins.
std::string GetComParam(const TComResExt& ComList, const std::string& Param);
std::string GetComParamExt(const TComResExt& ComList, const std::string& Param, const std::string& Default);
int32_t GetComParamId(const TComResExt& ComList, const std::string& Param);
uint32_t GetComParamSize(const TComResExt& ComList, const std::string& Param);
bool ComParamExists(const TComResExt& ComList, const std::string& Param);
// Index of the first item without a key, -1 when none.
int32_t GetFreeComParam(const TComResExt& ComList);
// On an unbuilt list: the text after the first "=" of the first element
// whose text before it equals Param upper-cased (the element's key is
// compared as it stands); Default when none.
std::string GetComListParamExt(const TComRes& ComList, const std::string& Param, const std::string& Default);

}  // namespace TvxComTools
