// TvxRegistry: single registry values as typed values, existence tests,
// deletes, renames and listings.
#include "core/vxRegistry.h"

#include <exception>
#include <string_view>
#include <vector>

#include "core/vxConversion.h"
#include "core/vxDateTimeParse.h"
#include "core/vxTypes.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/registry/vxRegFile.h"

namespace TvxRegistry {

namespace {

// Paths always start at the root key, whatever the access object has open.
ustring FromRoot(const ustring& key) { return !key.empty() && key.front() == u'\\' ? key : u"\\" + key; }

// A fresh access object on the root key, asking for full access.
TRegistry AccessTo(HKEY rootKey) {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(rootKey);
  return reg;
}

// Asks for less and less until the key opens.
bool OpenForReading(TRegistry& reg, const ustring& key) {
  static constexpr REGSAM kTries[] = {KEY_READ, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                                      KEY_QUERY_VALUE};
  for (const REGSAM rights : kTries) {
    reg.SetAccess(rights);
    if (reg.OpenKey(key, false)) return true;
  }
  return false;
}

// Opens the key with full access, creating it when missing.
bool OpenForWriting(TRegistry& reg, const ustring& key) {
  reg.SetAccess(KEY_ALL_ACCESS);
  return reg.OpenKey(key, true);
}

// Numbers and dates are read from the text as an 8-bit text would hold it.
ustring ThroughCodePage(const ustring& text) { return AnsiToWide(WideToAnsi(text)); }

// The UTF-16 texts of Data, each ended by a 0, up to an empty text or the
// end of the data (a last text without its 0 included), each followed by
// CR LF.
ustring JoinTexts(std::string_view data) {
  const ustring units = vxRegFile::DecodeUnits(data);
  std::u16string_view rest = units;
  ustring result;
  while (!rest.empty()) {
    const size_t end = rest.find(u'\0');
    if (end == 0) break;
    result += rest.substr(0, end);
    result += u"\r\n";
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return result;
}

uint64_t FromLittleEndian(std::string_view data) {
  uint64_t number = 0;
  for (size_t i = data.size(); i > 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i - 1]);
  return number;
}

// A number of Size bytes, or an error (which gives the caller's default).
uint64_t Number(std::string_view data, size_t size) {
  if (data.size() != size) throw ERegistryException("a number value of the wrong size");
  return FromLittleEndian(data);
}

// The value of stored type Type and raw data Data, typed by Default.
Variant Typed(uint32_t type, const std::string& data, const Variant& Default) {
  const TVarType defaultType = TvxTypes::GetVarType(Default);
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      ustring text = vxRegFile::DecodeUnits(data);
      if (!text.empty() && text.back() == u'\0') text.pop_back();
      if (TvxTypes::IsFloatVariant(Default)) {
        return Variant(TvxConversion::StrToReal(ThroughCodePage(text), true, 0));
      }
      if (defaultType == varDate) {
        const std::vector<std::string> formats{"yyyy-mm-dd", "dd.mm.yyyy", DefaultShortDateFormatA()};
        return Variant::FromDate(TvxDateTime::StrToDateExt(ThroughCodePage(text), formats, 0));
      }
      return Variant(std::move(text));
    }
    case REG_DWORD: {
      const auto number = static_cast<int32_t>(static_cast<uint32_t>(Number(data, 4)));
      if (defaultType == varBoolean) return Variant(number != 0);
      return Variant(number);
    }
    case REG_QWORD: {
      const auto number = static_cast<int64_t>(Number(data, 8));
      if (defaultType == varBoolean) return Variant(number != 0);
      return Variant(number);
    }
    case REG_BINARY:
      return Variant(data);
    default: {
      if (data.empty()) return Default;
      return Variant(JoinTexts(data));
    }
  }
}

// The one place the read-back comparison fails.
void Verified(bool same) {
  if (!same) throw ERegistryException("verify exception");
}

}  // namespace

Variant GetValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, const Variant& Default,
                 bool CanCreate) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    // One look at the store: a key that may not be read counts as missing,
    // as the existence test would find it.
    uint32_t type = REG_NONE;
    std::string data;
    switch (reg.LookupValue(Key, Attribute, type, data)) {
      case TRegLookup::KeyMissing: return Default;
      case TRegLookup::Found: return Typed(type, data, Default);
      case TRegLookup::ValueMissing: break;
    }
    if (CanCreate && OpenForWriting(reg, FromRoot(Key))) SetValue(MyRootKey, Key, Attribute, Default, false);
  } catch (const std::exception&) {
  }
  return Default;
}

bool SetValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, const Variant& Value, bool Verify) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    if (!OpenForWriting(reg, FromRoot(Key))) throw ERegistryException(u"cannot open key " + Key);
    const TVarType kind = TvxTypes::GetVarType(Value);
    switch (vxVariant::IsSignedIntegerKind(kind) ? varInteger : kind) {
      case varInteger: {
        const int32_t number = Value.AsInteger();
        reg.WriteInteger(Attribute, number);
        if (Verify) Verified(reg.ReadInteger(Attribute) == number);
        break;
      }
      case varBoolean: {
        const bool flag = Value.AsBoolean();
        reg.WriteInteger(Attribute, flag ? 1 : 0);
        if (Verify) Verified((reg.ReadInteger(Attribute) != 0) == flag);
        break;
      }
      default: {
        ustring text;
        if (TvxTypes::IsFloatVariant(Value)) {
          text = AnsiToWide(TvxConversion::RealToStr(Value.AsDouble(), -1));
        } else if (TvxTypes::GetVarType(Value) == varDate) {
          text = vxRuntime::FormatDateTime(u"yyyy-mm-dd", Value.AsDateTime());
        } else {
          text = Value.AsString();
        }
        reg.WriteString(Attribute, text);
        if (Verify) Verified(reg.ReadString(Attribute) == text);
        break;
      }
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ValueExists(HKEY MyRootKey, const ustring& Key, const ustring& Attribute) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    return OpenForReading(reg, FromRoot(Key)) && reg.ValueExists(Attribute);
  } catch (const std::exception&) {
    return false;
  }
}

bool KeyExists(HKEY MyRootKey, const ustring& Key) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    reg.SetAccess(KEY_READ);
    return reg.KeyExists(FromRoot(Key));
  } catch (const std::exception&) {
    return false;
  }
}

bool DeleteValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, bool Verify) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    const ustring key = FromRoot(Key);
    if (!reg.KeyExists(key)) return true;
    // With the key not open, the access object would work on the root's own
    // values: delete only from the key itself.
    const bool deleted = reg.OpenKey(key, false) && reg.DeleteValue(Attribute);
    return Verify ? !ValueExists(MyRootKey, Key, Attribute) : deleted;
  } catch (const std::exception&) {
    return false;
  }
}

bool DeleteKey(HKEY MyRootKey, const ustring& Key) {
  try {
    // One change takes the key with all its subkeys, so no half-deleted tree
    // is ever left behind.
    return AccessTo(MyRootKey).DeleteKey(FromRoot(Key));
  } catch (const std::exception&) {
    return false;
  }
}

bool RenameKey(HKEY MyRootKey, const ustring& OldKey, const ustring& NewKey) {
  try {
    TRegistry reg = AccessTo(MyRootKey);
    const ustring oldKey = FromRoot(OldKey);
    const ustring newKey = FromRoot(NewKey);
    if (!reg.KeyExists(oldKey) || reg.KeyExists(newKey)) return true;
    // The move is one change; it refuses a new key inside the old one, which
    // copying and deleting would lose together with the old key.
    return reg.MoveKey(oldKey, newKey);
  } catch (const std::exception&) {
    return false;
  }
}

namespace {

enum class TListing { Values, SubKeys };

bool ListNames(HKEY rootKey, const ustring& Key, TStrings& List, bool CanCreate, TListing listing) {
  try {
    TRegistry reg = AccessTo(rootKey);
    const ustring key = FromRoot(Key);
    if (reg.KeyExists(key)) {
      if (OpenForReading(reg, key)) {
        const std::vector<ustring> names = listing == TListing::Values ? reg.GetValueNames() : reg.GetKeyNames();
        List.Clear();
        for (const ustring& name : names) List.Add(name);
      }
    } else if (CanCreate) {
      OpenForWriting(reg, key);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool GetAttributes(HKEY MyRootKey, const ustring& Key, TStrings& List, bool CanCreate) {
  return ListNames(MyRootKey, Key, List, CanCreate, TListing::Values);
}

bool GetSubKeys(HKEY MyRootKey, const ustring& Key, TStrings& List, bool CanCreate) {
  return ListNames(MyRootKey, Key, List, CanCreate, TListing::SubKeys);
}

bool ClassIDAvailable(const std::string& CLSID) {
  // "CLSID\" alone would find the folder of all classes.
  return !CLSID.empty() && KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + AnsiToWide(CLSID));
}

bool ClassIDAvailable(const TGUID& CLSID) { return ClassIDAvailable(GuidToString(CLSID)); }

}  // namespace TvxRegistry
