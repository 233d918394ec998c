// TvxConfigTools: a configuration list (ordered entries, each a value under
// a "/"-separated path with extra attributes), its XML configuration string
// and the saving and loading of that string as a file.
//
// The XML configuration string (UTF-8): a root element named by the caller
// with FormatVersion "2.0", Compressed, Encoding and, with ChangeProtection,
// Hash; one element per entry nested along its path, "Name" holding a path
// part that is no valid element name as it stands, "Type" the value's type
// name or "BINARY"; values optionally compressed and Base64-encoded. The
// reader knows the format versions "1.0" to "2.1".
//
// Values that are neither texts nor written in the typed text form (built
// without Enhanced) are written in one fixed form on this platform: numbers
// with "." as the decimal separator and no thousands separator (doubles up
// to 15 significant digits, singles up to 7, currency up to 4 decimals),
// Booleans "true" or "false", dates as "yyyy-mm-dd hh:nn:ss" ("yyyy-mm-dd"
// without time, "hh:nn:ss" on day 0). Extra attributes that are no texts
// are written the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"
#include "platform/values/vxVariant.h"

class TXMLNode;

struct TvxAttribute {
  ustring Name;
  Variant Value;
};
using TvxAttributes = std::vector<TvxAttribute>;

// One entry of a configuration list; an inactive entry is a free slot.
struct TvxConfigPart {
  bool Active = false;
  ustring Param;  // the path as given, cleaned
  ustring SORTL;  // the lookup key
  Variant Value;  // for a binary entry an 8-bit string of the bytes
  bool Binary = false;
  TvxAttributes Attributes;
};
using TvxConfigList = std::vector<TvxConfigPart>;

enum TvxCfgFormatVersion {
  vxFV_10,
  vxFV_11,
  vxFV_12,
  vxFV_13,
  vxFV_14,
  vxFV_15,
  vxFV_16,
  vxFV_17,
  vxFV_18,
  vxFV_20,
  vxFV_21,
  vxFV_Unknown
};

class TvxConfigTools {
 public:
  TvxConfigList ConfigList;
  // The last failure of building or parsing a configuration string.
  ustring Message;
  bool AllowMultiParams = true;
  ustring RootNodeName;
  ustring DefaultNodeName = u"Field";
  bool AllowNameAttribute = false;
  bool ChangeProtection = false;

  TvxConfigTools() = default;
  virtual ~TvxConfigTools() = default;

  // ---- Path texts ----------------------------------------------------------

  // The path without leading and trailing white space and control
  // characters, and without one leading "/" (trimmed again after it).
  static ustring CleanParamPath(const ustring& Path);
  // The non-empty parts of the cleaned path between its "/" characters.
  static TWideStringArray SplitParamPath(const ustring& Path);
  // The form keys and element names are made of: blanks and ":" become
  // "_", a part beginning with a digit or with "XML" (any case) gets "_"
  // in front, parts joined by single "/".
  static ustring SanitizeParamPath(const ustring& Path);
  // The lookup key: UpperStrW of the sanitized form.
  static ustring GetParamKey(const ustring& Path);
  // The non-empty elements, cleaned, each after a "/"; with Prepare the
  // whole result is cleaned (its leading "/" goes).
  static ustring GetPathString(const TWideStringArray& Param, bool Prepare);

  // The first inactive entry's index; a full list grows to twice its
  // length (to 100 entries when empty) and the first new entry is taken.
  static int32_t GetFreeConfigSlot(TvxConfigList& CfgList);
  // Shortens the list to end with its last active entry (a list without
  // any active entry keeps its length).
  static void TrimConfigList(TvxConfigList& CfgList);

  // ---- The list ------------------------------------------------------------

  bool ClearConfig();
  static bool InitList(TvxConfigList& CfgList, int32_t ItemCount);
  bool InitList(int32_t ItemCount);
  // The number of active entries.
  int32_t GetListSize() const;

  // Writes Value under Param: into the first active entry of the same key
  // when AllowMultiParams is off or Replace is on (its attributes stay),
  // else into a free slot. The entry's index; -1 for an empty key.
  int32_t AddConfigParam(const ustring& Param, const Variant& Value, bool Binary, bool Replace);
  int32_t AddConfigParam(const TWideStringArray& Param, const Variant& Value, bool Binary, bool Replace);
  // Appends to CfgList in a free slot whatever entries it holds.
  int32_t AddConfigParam(TvxConfigList& CfgList, const ustring& Param, const Variant& Value, bool Binary);
  // A new binary entry holding the whole content of the file (an 8-bit
  // name in the system code page); false for an empty path or a file that
  // cannot be read.
  bool AddBlobConfigParam(const ustring& Param, const std::string& FileName);

  bool ConfigParamExists(const ustring& Param) const;
  bool ConfigParamExists(const TWideStringArray& Param) const;
  int32_t GetConfigParamListId(const ustring& Param) const;
  // The value of the first active entry of the key; the empty text when none.
  Variant GetConfigParam(const ustring& Param) const;
  // Default when no active entry has the key, or when its value is empty
  // and Default is of a numeric, date or Boolean type; otherwise the value.
  Variant GetConfigParam(const ustring& Param, const Variant& Default) const;
  static Variant GetConfigParam(const TvxConfigList& CfgList, const ustring& Param, const Variant& Default);
  static Variant GetConfigParam(const TvxConfigList& CfgList, const TWideStringArray& Param, const Variant& Default);
  Variant GetConfigParam(const TWideStringArray& Param, const Variant& Default) const;
  int32_t GetEmptyConfigParam() const;
  // Deletes the first active entry of the key, and with AllowMultiParams
  // every further one; true when one was deleted.
  bool DeleteConfigParam(const ustring& Param);
  bool DeleteConfigParam(const TWideStringArray& Param);

  // Adds an attribute to the entry at ConfigId unless one of exactly that
  // name is there; false for "Type" (any case), for "Name" (any case) unless
  // AllowNameAttribute, and for an index outside the list.
  bool AddAttribute(TvxConfigList& CfgList, int32_t ConfigId, const ustring& Attribute, const Variant& Value);
  bool AddAttribute(int32_t ConfigId, const ustring& Attribute, const Variant& Value);
  // The first attribute of exactly that name whose text is not empty (or
  // the first at all with AcceptEmptyAttributeValue); Default when none.
  Variant GetAttribute(int32_t ConfigId, const ustring& Attribute, const Variant& Default,
                       bool AcceptEmptyAttributeValue) const;
  Variant GetAttribute(const ustring& Param, const ustring& Attribute, const Variant& Default,
                       bool AcceptEmptyAttributeValue) const;

  // Copies of the entries at and below Path (every active entry for an
  // empty path), their paths relative to Path unless KeepOrgPath.
  bool GetConfigList(const ustring& Path, TvxConfigList& CfgList, bool KeepOrgPath) const;
  bool GetConfigList(const TWideStringArray& Path, TvxConfigList& CfgList, bool KeepOrgPath) const;
  // The names one level below Path, added to List (made sorted, duplicates
  // ignored), with GetFullPath as Path + "/" + name.
  bool GetNodeElements(const ustring& Path, TStringList& List, bool GetFullPath) const;
  bool GetNodeElements(const TWideStringArray& Path, TStringList& List) const;
  std::unique_ptr<TStringList> GetNodeElements(const TWideStringArray& Path) const;

  // ---- The XML configuration string --------------------------------------

  // The string of the list (UTF-8 bytes). Clears Message; on failure sets
  // Message and raises.
  std::string BuiltConfigString(const TvxConfigList& CfgList, const ustring& ConfigType, bool Compress,
                                bool Enhanced, bool NodeNameByAttrib);
  std::string BuiltConfigString(const ustring& ConfigType, bool Compress, bool Enhanced, bool NodeNameByAttrib);
  // Reads the string into CfgList and its root name into Root; false with
  // the failure in Message (raised too with RaiseExceptions). An empty or
  // blank string is an empty list. CfgList keeps what was read before a
  // failure.
  bool ParseConfigString(TvxConfigList& CfgList, const std::string& Config, ustring& Root, bool RaiseExceptions);
  // Into the own list; RootNodeName gets the root name.
  bool ParseConfigString(const std::string& Config, ustring& Root, bool RaiseExceptions);
  bool ParseConfigString(const std::string& Config);
  static TvxCfgFormatVersion GetConfigFormatVersion(const ustring& FStr);

  // Builds the own list's string and replaces the file with it (whole or
  // not at all); the write's result. A failed build raises.
  bool SaveConfig(const ustring& FileName, const ustring& ConfigType, bool Compress, bool Enhanced);
  // Reads the file and parses it into the own list; false when the file
  // cannot be read or does not parse. Never raises.
  bool LoadConfig(const ustring& FileName);

  // The change-protection hash of a list: 32 upper-case hexadecimal digits.
  static std::string GetChangeProtectionHash(const TvxConfigList& CfgList);

 private:
  int32_t FindKey(const ustring& Key) const;
  static void ReadConfigNodes(TvxConfigList& CfgList, size_t& FreeHint, const TXMLNode& Element,
                              const ustring& Prefix, TvxCfgFormatVersion Version, bool Compressed);
};
