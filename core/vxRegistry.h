// TvxRegistry: single registry values as typed values, existence tests,
// deletes, renames and listings. This is how the system reads its settings:
// each caller passes the value it wants when nothing is stored, and the type
// of that default steers how a stored text is read.
//
// Every call uses its own registry access object with full access and
// releases it before returning; nothing is kept between calls but the
// store's one copy of each file per process (platform/registry/vxRegStore.h,
// shared by all threads under a reader-writer lock), so the calls may run on
// several threads at once. GetValue looks at the store once per value. No
// call lets an error escape: failures give False or the caller's default.
//
// Key paths are taken from the root key, with or without a leading "\".
// The empty value name is the key's default value.
#pragma once

#include <string>

#include "platform/base/vxBase.h"
#include "platform/base/vxGuid.h"
#include "platform/registry/vxRegistry.h"
#include "platform/lists/vxStringList.h"
#include "platform/values/vxVariant.h"

namespace TvxRegistry {

// The value Attribute of Key, typed by its stored type and by the type code
// of Default:
//   REG_SZ, REG_EXPAND_SZ  Default single, double or currency: a double read
//                          with TvxConversion::StrToReal (Default when the text
//                          is no number); Default a date: the date read as
//                          "yyyy-mm-dd", "dd.mm.yyyy" or the default short date
//                          format (0, 1899-12-30, when none fits); otherwise
//                          the text, never expanded.
//   REG_DWORD              Default a Boolean: True when not 0; otherwise the
//                          32-bit signed integer.
//   REG_QWORD              as REG_DWORD, with a 64-bit integer.
//   REG_BINARY             the bytes as an 8-bit text.
//   any other type         the UTF-16 texts of the data up to an empty one or
//                          the end, each followed by CR LF; Default when the
//                          data is empty.
// Texts read as numbers or dates pass through the system code page first.
// Default when the key or the value is missing or anything fails. With
// CanCreate, Default is written when the key exists but does not open for
// reading or lacks the value; a missing key is never created.
Variant GetValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, const Variant& Default,
                 bool CanCreate);

// Writes Value, creating the key when needed:
//   integer kinds (2, 3, 16 .. 20)  REG_DWORD; a value outside the 32-bit
//                                   signed range fails
//   single, double, currency        REG_SZ, TvxConversion::RealToStr(value, -1)
//   date                            REG_SZ, the date as "yyyy-mm-dd"
//   Boolean                         REG_DWORD, 1 or 0
//   anything else                   REG_SZ, the variant's text (Empty gives
//                                   the empty text; Null cannot be written)
// With Verify the value is read back and compared. False on any failure;
// what was written before a failure stays written.
bool SetValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, const Variant& Value, bool Verify);

// True when Key opens for reading and holds the value.
bool ValueExists(HKEY MyRootKey, const ustring& Key, const ustring& Attribute);
bool KeyExists(HKEY MyRootKey, const ustring& Key);

// Deletes the value; True when the key does not exist. With Verify the
// result is whether the value is gone afterwards.
bool DeleteValue(HKEY MyRootKey, const ustring& Key, const ustring& Attribute, bool Verify);
// Deletes the key with all its subkeys and values; False when it cannot.
bool DeleteKey(HKEY MyRootKey, const ustring& Key);
// Moves OldKey with its values and subkeys to NewKey. When OldKey is missing
// or NewKey exists nothing happens and the result is True. A NewKey inside
// OldKey cannot be made from it: nothing happens and the result is False.
bool RenameKey(HKEY MyRootKey, const ustring& OldKey, const ustring& NewKey);

// Replace the content of List by the key's value names or by the names of
// its direct subkeys, in creation order. A missing key leaves List as it is
// and, with CanCreate, is created empty. False only on an error.
bool GetAttributes(HKEY MyRootKey, const ustring& Key, TStrings& List, bool CanCreate);
bool GetSubKeys(HKEY MyRootKey, const ustring& Key, TStrings& List, bool CanCreate);

// Whether HKEY_CLASSES_ROOT "CLSID\<class id>" exists; the 8-bit text is the
// class identifier in registry form, braces included; the empty text names no
// class.
bool ClassIDAvailable(const std::string& CLSID);
bool ClassIDAvailable(const TGUID& CLSID);

}  // namespace TvxRegistry
