// Tests of core/vxRegistry.h: TvxRegistry: single registry values as typed
// values, existence tests, deletes, renames and listings.
#include "core/vxRegistry.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/vxConversion.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/registry/vxRegFile.h"
#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

using Path = std::vector<ustring>;

const Path kSystem{u"SOFTWARE", u"varlo", u"System"};
const ustring kSystemKey = u"SOFTWARE\\varlo\\System";

std::string LittleEndian(uint64_t number, size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return data;
}

std::string Dword(int32_t number) { return LittleEndian(static_cast<uint32_t>(number), 4); }
std::string Qword(int64_t number) { return LittleEndian(static_cast<uint64_t>(number), 8); }
std::string Text(std::u16string_view text) { return vxRegFile::EncodeText(text); }

// Puts a value of any type and data straight into the store.
void Store(HKEY root, const Path& path, const ustring& name, uint32_t type, const std::string& data) {
  vxRegFile::TRegStore(RootKeyName(root)).Modify([&](vxRegFile::TRegKeyNode& node) {
    bool created = false;
    node.ObtainPath(path, created).SetValue(name, type, data);
    return true;
  });
}

void CreateKey(HKEY root, const Path& path) {
  vxRegFile::TRegStore(RootKeyName(root)).Modify([&](vxRegFile::TRegKeyNode& node) {
    bool created = false;
    node.ObtainPath(path, created);
    return created;
  });
}

bool StoreHasKey(HKEY root, const Path& path) {
  return vxRegFile::TRegStore(RootKeyName(root)).Read()->Find(path) != nullptr;
}

std::optional<vxRegFile::TRegValue> Stored(HKEY root, const Path& path, const ustring& name) {
  const auto content = vxRegFile::TRegStore(RootKeyName(root)).Read();
  const vxRegFile::TRegKeyNode* key = content->Find(path);
  const vxRegFile::TRegValue* value = key == nullptr ? nullptr : key->FindValue(name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

std::vector<ustring> Items(const TStrings& list) {
  std::vector<ustring> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list[i]);
  return items;
}

// Type and text of a value, for failure messages.
std::string Describe(const Variant& value) {
  std::string text = WideToUtf8(VarTypeAsText(value.VarType()));
  try {
    text += " '" + WideToUtf8(value.AsString()) + "'";
  } catch (const std::exception&) {
  }
  return text;
}

TDateTime Jan31() { return vxRuntime::EncodeDate(2024, 1, 31); }

// ---- GetValue -----------------------------------------------------------

struct ReadCase {
  const char* Label;
  uint32_t Type;
  std::string Data;
  Variant Default;
  Variant Expected;
};

TEST_F(RegistryTest, GetValueTypesTheStoredValueByTheDefault) {
  const ReadCase cases[] = {
      {"dword, text default", REG_DWORD, Dword(5), u"x", Variant(5)},
      {"dword, Boolean default", REG_DWORD, Dword(5), false, true},
      {"dword 0, Boolean default", REG_DWORD, Dword(0), true, false},
      {"negative dword", REG_DWORD, Dword(-1), 0, Variant(-1)},
      {"dword, float default", REG_DWORD, Dword(5), 1.0, Variant(5)},
      {"dword, date default", REG_DWORD, Dword(5), Variant::FromDate(1), Variant(5)},
      {"qword, integer default", REG_QWORD, Qword(int64_t{1} << 40), 0, Variant(int64_t{1} << 40)},
      {"qword, Boolean default", REG_QWORD, Qword(int64_t{1} << 40), false, true},
      {"text, integer default", REG_SZ, Text(u"30"), 10, u"30"},
      {"text, Boolean default", REG_SZ, Text(u"1"), false, u"1"},
      {"text, double default", REG_SZ, Text(u"30"), 10.0, 30.0},
      {"text with a comma, double default", REG_SZ, Text(u"1,5"), 10.0, 1.5},
      {"text, single default", REG_SZ, Text(u"2.5"), Variant::FromSingle(1), 2.5},
      {"text, currency default", REG_SZ, Text(u"2.5"), Currency{10000}, 2.5},
      {"no number, double default", REG_SZ, Text(u"abc"), 10.0, 10.0},
      {"empty text, double default", REG_SZ, Text(u""), 10.0, 0.0},
      {"scientific text, double default", REG_SZ, Text(u" 1.50000000000000E+0000"), 0.0, 1.5},
      {"iso date", REG_SZ, Text(u"2024-01-31"), Variant::FromDate(1), Variant::FromDate(Jan31())},
      {"dotted date", REG_SZ, Text(u"31.01.2024"), Variant::FromDate(1), Variant::FromDate(Jan31())},
      {"no date", REG_SZ, Text(u"morgen"), Variant::FromDate(1), Variant::FromDate(0)},
      {"text, text default", REG_SZ, Text(u"Grüße 日本"), u"", u"Grüße 日本"},
      {"text, 8-bit text default", REG_SZ, Text(u"abc"), "", u"abc"},
      {"text, empty default", REG_SZ, Text(u"abc"), Variant(), u"abc"},
      {"expandable text stays unexpanded", REG_EXPAND_SZ, Text(u"%HOME%/x"), u"", u"%HOME%/x"},
      {"expandable text, double default", REG_EXPAND_SZ, Text(u"7.25"), 0.0, 7.25},
      {"expandable date", REG_EXPAND_SZ, Text(u"2024-01-31"), Variant::FromDate(1), Variant::FromDate(Jan31())},
      {"binary", REG_BINARY, std::string("\x01\x00\xff", 3), u"", std::string("\x01\x00\xff", 3)},
      {"binary, double default", REG_BINARY, "ab", 1.0, "ab"},
      {"empty binary", REG_BINARY, "", u"x", ""},
      {"text list", REG_MULTI_SZ, Text(ustring(u"a\0b\0", 4)), u"", u"a\r\nb\r\n"},
      {"text list ends at an empty text", REG_MULTI_SZ, Text(ustring(u"a\0\0c\0", 5)), u"", u"a\r\n"},
      {"text list without its final 0", REG_MULTI_SZ, std::string("a\0\0\0b\0c\0", 8), u"", u"a\r\nbc\r\n"},
      {"text list of one odd byte", REG_MULTI_SZ, "a", u"x", u""},
      {"empty text list", REG_MULTI_SZ, "", u"x", u"x"},
      {"other type read as texts", REG_NONE, Text(u"one"), 0, u"one\r\n"},
      {"other type, zero bytes", 42, "", 7, 7},
      {"short dword", REG_DWORD, std::string("\x05\x00\x00", 3), 7, 7},
  };
  for (const ReadCase& c : cases) {
    Store(HKEY_LOCAL_MACHINE, kSystem, u"Value", c.Type, c.Data);
    const Variant result = TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Value", c.Default, false);
    EXPECT_TRUE(result == c.Expected) << c.Label << ": " << Describe(result) << ", expected "
                                      << Describe(c.Expected);
  }
}

TEST_F(RegistryTest, GetValueReadsDatesInTheDefaultShortDateFormat) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings().ShortDateFormat = u"m/d/yyyy";
  FormatSettings().DateSeparator = u'/';
  Store(HKEY_CURRENT_USER, kSystem, u"Since", REG_SZ, Text(u"1/31/2024"));
  const Variant result = TvxRegistry::GetValue(HKEY_CURRENT_USER, kSystemKey, u"Since", Variant::FromDate(1), false);
  FormatSettings() = saved;
  EXPECT_TRUE(result == Variant::FromDate(Jan31())) << Describe(result);
}

TEST_F(RegistryTest, GetValueFindsKeysAndValuesAsTheyAreNamed) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Path", REG_SZ, Text(u"/opt/varlo/"));
  Store(HKEY_LOCAL_MACHINE, kSystem, u"", REG_SZ, Text(u"default value"));
  const ustring keys[] = {kSystemKey, u"\\" + kSystemKey, u"software\\VARLO\\system", kSystemKey + u"\\"};
  for (const ustring& key : keys) {
    EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, key, u"path", u"", false) == u"/opt/varlo/")
        << WideToUtf8(key);
  }
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"", u"", false) == u"default value");
  // Each root is its own registry.
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_CURRENT_USER, kSystemKey, u"Path", u"none", false) == u"none");
}

TEST_F(RegistryTest, GetValueSeesAChangeByAnotherProcessAtOnce) {
  const TRegTestClock clock;  // standing still: only the writers' counter tells
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Count", REG_DWORD, Dword(1));
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 0, false) == Variant(1));
  const pid_t pid = RunInChild([] {
    return TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 2, false) ? 0 : 1;
  });
  ASSERT_EQ(WaitForChild(pid), 0);
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 0, false) == Variant(2));
  // A key deleted elsewhere is missing at once too.
  ASSERT_EQ(WaitForChild(RunInChild([] { return TvxRegistry::DeleteKey(HKEY_LOCAL_MACHINE, kSystemKey) ? 0 : 1; })), 0);
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 0, true) == Variant(0));
  EXPECT_FALSE(TvxRegistry::KeyExists(HKEY_LOCAL_MACHINE, kSystemKey));
}

TEST_F(RegistryTest, GetValueGivesTheDefaultWhenNothingIsStored) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Other", REG_DWORD, Dword(1));
  struct Case {
    const char* Label;
    HKEY Root;
    ustring Key;
    ustring Attribute;
  };
  const Case cases[] = {
      {"missing key", HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\Missing", u"Other"},
      {"missing value", HKEY_LOCAL_MACHINE, kSystemKey, u"Missing"},
      {"unknown root key", static_cast<HKEY>(0x80000003), kSystemKey, u"Other"},
      {"empty key name in the path", HKEY_LOCAL_MACHINE, u"SOFTWARE\\\\varlo", u"Other"},
  };
  const Variant defaults[] = {Variant(42), Variant(true), Variant(2.5), Variant(u"text"),
                              Variant::FromDate(Jan31()), Variant(), Variant::Null()};
  for (const Case& c : cases) {
    for (const Variant& def : defaults) {
      const Variant result = TvxRegistry::GetValue(c.Root, c.Key, c.Attribute, def, false);
      EXPECT_TRUE(result == def) << c.Label << ": " << Describe(result);
    }
  }
  EXPECT_FALSE(Stored(HKEY_LOCAL_MACHINE, kSystem, u"Missing"));
  EXPECT_FALSE(StoreHasKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"Missing"}));
}

TEST_F(RegistryTest, GetValueWithCanCreateWritesTheDefaultIntoAnExistingKey) {
  CreateKey(HKEY_LOCAL_MACHINE, kSystem);
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 10, true) == Variant(10));
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Ratio", 1.5, true) == Variant(1.5));
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Name", u"abc", true) == Variant(u"abc"));

  const auto count = Stored(HKEY_LOCAL_MACHINE, kSystem, u"Count");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->Type, REG_DWORD);
  EXPECT_EQ(count->Data, Dword(10));
  const auto ratio = Stored(HKEY_LOCAL_MACHINE, kSystem, u"Ratio");
  ASSERT_TRUE(ratio);
  EXPECT_EQ(ratio->Type, REG_SZ);
  EXPECT_EQ(ratio->Data, Text(AnsiToWide(TvxConversion::RealToStr(1.5, -1))));
  const auto name = Stored(HKEY_LOCAL_MACHINE, kSystem, u"Name");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->Data, Text(u"abc"));

  // A stored value is read, not overwritten.
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 99, true) == Variant(10));
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kSystem, u"Count")->Data, Dword(10));
  // A default that cannot be written is still the result.
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Null", Variant::Null(), true).IsNull());
  EXPECT_FALSE(Stored(HKEY_LOCAL_MACHINE, kSystem, u"Null"));
}

TEST_F(RegistryTest, GetValueWithCanCreateCreatesNoKey) {
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"Count", 10, true) == Variant(10));
  EXPECT_FALSE(StoreHasKey(HKEY_LOCAL_MACHINE, kSystem));
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_LOCAL_MACHINE")));
}

TEST_F(RegistryTest, AStoreThatDoesNotParseGivesDefaultsAndFailures) {
  const std::string broken = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n\"Path\"=\"x\"\n";
  WriteFile(FileOf("HKEY_LOCAL_MACHINE"), broken);
  TStringList list;
  list.Add(u"kept");
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Path", u"none", true) == u"none");
  EXPECT_FALSE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Path", u"y", false));
  EXPECT_FALSE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Path"));
  EXPECT_FALSE(TvxRegistry::KeyExists(HKEY_LOCAL_MACHINE, u"SOFTWARE"));
  EXPECT_FALSE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Path", false));
  EXPECT_FALSE(TvxRegistry::DeleteKey(HKEY_LOCAL_MACHINE, u"SOFTWARE"));
  EXPECT_FALSE(TvxRegistry::RenameKey(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Other"));
  EXPECT_FALSE(TvxRegistry::GetAttributes(HKEY_LOCAL_MACHINE, u"SOFTWARE", list, true));
  EXPECT_FALSE(TvxRegistry::GetSubKeys(HKEY_LOCAL_MACHINE, u"SOFTWARE", list, true));
  EXPECT_EQ(Items(list), std::vector<ustring>{u"kept"});
  EXPECT_EQ(ReadFile(FileOf("HKEY_LOCAL_MACHINE")), broken);
}

// ---- SetValue -----------------------------------------------------------

struct WriteCase {
  const char* Label;
  Variant Value;
  uint32_t Type;
  std::string Data;
};

TEST_F(RegistryTest, SetValueStoresByTheValuesType) {
  const WriteCase cases[] = {
      {"integer", 7, REG_DWORD, Dword(7)},
      {"negative integer", -7, REG_DWORD, Dword(-7)},
      {"smallint", Variant::FromSmallint(-3), REG_DWORD, Dword(-3)},
      {"shortint", Variant::FromShortInt(-100), REG_DWORD, Dword(-100)},
      {"byte", Variant::FromByte(200), REG_DWORD, Dword(200)},
      {"word", Variant::FromWord(60000), REG_DWORD, Dword(60000)},
      {"longword", Variant::FromLongWord(2147483647u), REG_DWORD, Dword(2147483647)},
      {"int64 in range", int64_t{-2147483647 - 1}, REG_DWORD, Dword(-2147483647 - 1)},
      {"double", 1.5, REG_SZ, Text(u" 1.50000000000000E+0000")},
      {"negative double", -0.25, REG_SZ, Text(AnsiToWide(TvxConversion::RealToStr(-0.25, -1)))},
      {"single", Variant::FromSingle(0.5f), REG_SZ, Text(AnsiToWide(TvxConversion::RealToStr(0.5, -1)))},
      {"currency", Currency{25000}, REG_SZ, Text(AnsiToWide(TvxConversion::RealToStr(2.5, -1)))},
      {"date with time", Variant::FromDate(Jan31() + 15.0 / 24), REG_SZ, Text(u"2024-01-31")},
      {"True", true, REG_DWORD, Dword(1)},
      {"False", false, REG_DWORD, Dword(0)},
      {"text", u"Grüße 日本", REG_SZ, Text(u"Grüße 日本")},
      {"8-bit text", "Gr\xfc\xdf" "e", REG_SZ, Text(u"Grüße")},
      {"empty", Variant(), REG_SZ, Text(u"")},
      {"unsigned 64-bit", Variant::FromUInt64(5), REG_SZ, Text(u"5")},
  };
  for (const bool verify : {false, true}) {
    for (const WriteCase& c : cases) {
      const ustring name = AnsiToWide(c.Label);
      EXPECT_TRUE(TvxRegistry::SetValue(HKEY_CURRENT_USER, kSystemKey, name, c.Value, verify)) << c.Label;
      const auto stored = Stored(HKEY_CURRENT_USER, kSystem, name);
      ASSERT_TRUE(stored) << c.Label;
      EXPECT_EQ(stored->Type, c.Type) << c.Label;
      EXPECT_EQ(stored->Data, c.Data) << c.Label;
    }
    UseFolder(NewFolder());
  }
}

TEST_F(RegistryTest, SetValueFailsForValuesItCannotStore) {
  const Variant values[] = {Variant::Null(), Variant::FromLongWord(4000000000u), Variant(int64_t{1} << 40),
                            Variant::ArrayOf({Variant(1)})};
  for (const bool verify : {false, true}) {
    for (const Variant& value : values) {
      EXPECT_FALSE(TvxRegistry::SetValue(HKEY_CURRENT_USER, kSystemKey, u"Value", value, verify))
          << Describe(value);
    }
  }
  EXPECT_FALSE(Stored(HKEY_CURRENT_USER, kSystem, u"Value"));
}

TEST_F(RegistryTest, SetValueCreatesTheKeyAndReplacesTheValue) {
  EXPECT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\varlo\\System\\HTTP", u"Port", 8080, true));
  EXPECT_TRUE(StoreHasKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"System", u"HTTP"}));
  EXPECT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"software\\varlo\\system\\http", u"PORT", u"auto", true));
  const auto port = Stored(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"System", u"HTTP"}, u"Port");
  ASSERT_TRUE(port);
  EXPECT_EQ(port->Name, u"Port");  // the name keeps its first case
  EXPECT_EQ(port->Type, REG_SZ);
  EXPECT_EQ(port->Data, Text(u"auto"));
  // The key's default value.
  EXPECT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"", u"main", false));
  EXPECT_TRUE(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, kSystemKey, u"", u"", false) == u"main");
  EXPECT_FALSE(TvxRegistry::SetValue(static_cast<HKEY>(0x80000003), kSystemKey, u"Port", 1, false));
  EXPECT_FALSE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\\\x", u"Port", 1, false));
}

TEST_F(RegistryTest, WrittenValuesReadBackByTheirDefaults) {
  struct Case {
    Variant Written;
    Variant Default;
    Variant Expected;
  };
  const Case cases[] = {
      {7, 0, 7},
      {true, false, true},
      {false, true, false},
      {1.5, 0.0, 1.5},
      {-1234.5678, 0.0, -1234.5678},
      {Variant::FromDate(Jan31() + 0.5), Variant::FromDate(0), Variant::FromDate(Jan31())},
      {u"Grüße", u"", u"Grüße"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(TvxRegistry::SetValue(HKEY_CURRENT_USER, kSystemKey, u"Value", c.Written, true));
    const Variant result = TvxRegistry::GetValue(HKEY_CURRENT_USER, kSystemKey, u"Value", c.Default, false);
    EXPECT_TRUE(result == c.Expected) << Describe(c.Written) << " read as " << Describe(result);
  }
}

// ---- Existence tests and deletes ----------------------------------------

TEST_F(RegistryTest, ExistenceTests) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"InstallPath", REG_SZ, Text(u"/opt/varlo"));
  Store(HKEY_LOCAL_MACHINE, kSystem, u"", REG_SZ, Text(u"main"));
  EXPECT_TRUE(TvxRegistry::KeyExists(HKEY_LOCAL_MACHINE, kSystemKey));
  EXPECT_TRUE(TvxRegistry::KeyExists(HKEY_LOCAL_MACHINE, u"\\software\\VARLO"));
  EXPECT_FALSE(TvxRegistry::KeyExists(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\Missing"));
  EXPECT_FALSE(TvxRegistry::KeyExists(HKEY_CURRENT_USER, kSystemKey));
  EXPECT_FALSE(TvxRegistry::KeyExists(static_cast<HKEY>(0x80000003), kSystemKey));

  EXPECT_TRUE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, kSystemKey, u"InstallPath"));
  EXPECT_TRUE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, u"\\" + kSystemKey, u"installpath"));
  EXPECT_TRUE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, kSystemKey, u""));
  EXPECT_FALSE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, kSystemKey, u"Missing"));
  EXPECT_FALSE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo", u"InstallPath"));
  EXPECT_FALSE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing", u"InstallPath"));
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_CURRENT_USER")));
}

TEST_F(RegistryTest, DeleteValue) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"A", REG_SZ, Text(u"a"));
  Store(HKEY_LOCAL_MACHINE, kSystem, u"B", REG_SZ, Text(u"b"));
  Store(HKEY_LOCAL_MACHINE, {}, u"A", REG_SZ, Text(u"root's own"));

  EXPECT_TRUE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, kSystemKey, u"a", false));
  EXPECT_FALSE(Stored(HKEY_LOCAL_MACHINE, kSystem, u"A"));
  EXPECT_TRUE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, kSystemKey, u"B", true));
  EXPECT_FALSE(Stored(HKEY_LOCAL_MACHINE, kSystem, u"B"));
  // A value that is not there: no deletion, but with Verify it is gone.
  EXPECT_FALSE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, kSystemKey, u"A", false));
  EXPECT_TRUE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, kSystemKey, u"A", true));
  // A missing key has nothing to delete.
  for (const bool verify : {false, true}) {
    EXPECT_TRUE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing", u"A", verify));
  }
  EXPECT_FALSE(StoreHasKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"Missing"}));
  EXPECT_TRUE(StoreHasKey(HKEY_LOCAL_MACHINE, kSystem));
  EXPECT_TRUE(Stored(HKEY_LOCAL_MACHINE, {}, u"A"));
}

TEST_F(RegistryTest, DeleteKeyTakesAllItsSubkeys) {
  Store(HKEY_CURRENT_USER, {u"Top", u"Doomed", u"One", u"Deep"}, u"V", REG_DWORD, Dword(1));
  Store(HKEY_CURRENT_USER, {u"Top", u"Doomed", u"Two"}, u"V", REG_DWORD, Dword(2));
  Store(HKEY_CURRENT_USER, {u"Top", u"Doomed"}, u"V", REG_DWORD, Dword(3));
  Store(HKEY_CURRENT_USER, {u"Top", u"Sibling"}, u"V", REG_DWORD, Dword(4));

  EXPECT_TRUE(TvxRegistry::DeleteKey(HKEY_CURRENT_USER, u"top\\doomed"));
  EXPECT_FALSE(StoreHasKey(HKEY_CURRENT_USER, {u"Top", u"Doomed"}));
  EXPECT_TRUE(Stored(HKEY_CURRENT_USER, {u"Top", u"Sibling"}, u"V"));
  EXPECT_FALSE(TvxRegistry::DeleteKey(HKEY_CURRENT_USER, u"Top\\Doomed"));
  EXPECT_FALSE(TvxRegistry::DeleteKey(HKEY_CURRENT_USER, u""));
  EXPECT_FALSE(TvxRegistry::DeleteKey(HKEY_CURRENT_USER, u"\\"));
  EXPECT_TRUE(TvxRegistry::DeleteKey(HKEY_CURRENT_USER, u"\\Top"));
  EXPECT_FALSE(StoreHasKey(HKEY_CURRENT_USER, {u"Top"}));
}

// ---- RenameKey ----------------------------------------------------------

TEST_F(RegistryTest, RenameKeyMovesValuesAndSubkeys) {
  Store(HKEY_CURRENT_USER, {u"Old"}, u"V", REG_SZ, Text(u"top"));
  Store(HKEY_CURRENT_USER, {u"Old", u"Sub", u"Deep"}, u"W", REG_DWORD, Dword(9));
  Store(HKEY_CURRENT_USER, {u"Old", u"Other"}, u"X", REG_BINARY, "\x01");

  EXPECT_TRUE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"old", u"Parent\\New"));
  EXPECT_FALSE(StoreHasKey(HKEY_CURRENT_USER, {u"Old"}));
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, {u"Parent", u"New"}, u"V")->Data, Text(u"top"));
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, {u"Parent", u"New", u"Sub", u"Deep"}, u"W")->Data, Dword(9));
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, {u"Parent", u"New", u"Other"}, u"X")->Data, "\x01");
  TStringList list;
  EXPECT_TRUE(TvxRegistry::GetSubKeys(HKEY_CURRENT_USER, u"Parent\\New", list, false));
  EXPECT_EQ(Items(list), (std::vector<ustring>{u"Sub", u"Other"}));
}

TEST_F(RegistryTest, RenameKeyThatHasNothingToMoveChangesNothing) {
  Store(HKEY_CURRENT_USER, {u"Old"}, u"V", REG_SZ, Text(u"old"));
  Store(HKEY_CURRENT_USER, {u"Taken"}, u"V", REG_SZ, Text(u"taken"));
  const std::string before = ReadFile(FileOf("HKEY_CURRENT_USER"));
  EXPECT_TRUE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"Old", u"Taken"));
  EXPECT_TRUE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"Old", u"OLD"));
  EXPECT_TRUE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"Missing", u"New"));
  EXPECT_EQ(ReadFile(FileOf("HKEY_CURRENT_USER")), before);
  EXPECT_FALSE(TvxRegistry::RenameKey(static_cast<HKEY>(0x80000003), u"Old", u"New"));
}

TEST_F(RegistryTest, RenameKeyIntoItselfIsRefusedAndLosesNothing) {
  Store(HKEY_CURRENT_USER, {u"Old", u"Sub"}, u"V", REG_SZ, Text(u"kept"));
  const std::string before = ReadFile(FileOf("HKEY_CURRENT_USER"));
  EXPECT_FALSE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"Old", u"Old\\New"));
  EXPECT_FALSE(TvxRegistry::RenameKey(HKEY_CURRENT_USER, u"Old", u"Old\\Sub2\\New"));
  EXPECT_EQ(ReadFile(FileOf("HKEY_CURRENT_USER")), before);
}

// ---- Listings -----------------------------------------------------------

TEST_F(RegistryTest, ListingsReplaceTheListInCreationOrder) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Zeta", REG_SZ, Text(u"z"));
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Alpha", REG_DWORD, Dword(1));
  Store(HKEY_LOCAL_MACHINE, kSystem, u"", REG_SZ, Text(u"default"));
  CreateKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"System", u"Mail"});
  CreateKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"System", u"HTTP", u"Deeper"});
  CreateKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"Empty"});

  TStringList list;
  list.Add(u"stale");
  EXPECT_TRUE(TvxRegistry::GetAttributes(HKEY_LOCAL_MACHINE, kSystemKey, list, false));
  EXPECT_EQ(Items(list), (std::vector<ustring>{u"Zeta", u"Alpha", u""}));
  EXPECT_TRUE(TvxRegistry::GetSubKeys(HKEY_LOCAL_MACHINE, u"\\software\\varlo\\system", list, false));
  EXPECT_EQ(Items(list), (std::vector<ustring>{u"Mail", u"HTTP"}));
  EXPECT_TRUE(TvxRegistry::GetAttributes(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\Empty", list, false));
  EXPECT_TRUE(Items(list).empty());
  list.Add(u"stale");
  EXPECT_TRUE(TvxRegistry::GetSubKeys(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\Empty", list, false));
  EXPECT_TRUE(Items(list).empty());
}

TEST_F(RegistryTest, ListingsOfAMissingKeyLeaveTheList) {
  for (const bool values : {true, false}) {
    const auto listing = values ? TvxRegistry::GetAttributes : TvxRegistry::GetSubKeys;
    TStringList list;
    list.Add(u"kept");
    EXPECT_TRUE(listing(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing", list, false));
    EXPECT_FALSE(StoreHasKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"Missing"}));
    EXPECT_TRUE(listing(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing", list, true));
    EXPECT_TRUE(StoreHasKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"Missing"}));
    EXPECT_EQ(Items(list), std::vector<ustring>{u"kept"});
    EXPECT_FALSE(listing(static_cast<HKEY>(0x80000003), u"SOFTWARE", list, true));
    EXPECT_EQ(Items(list), std::vector<ustring>{u"kept"});
    UseFolder(NewFolder());
  }
}

// ---- Class identifiers --------------------------------------------------

TEST_F(RegistryTest, ClassIDAvailable) {
  const TGUID registered{0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
  const TGUID other{0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xFA}};
  const std::string id = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
  CreateKey(HKEY_CLASSES_ROOT, {u"CLSID", AnsiToWide(id), u"InprocServer32"});

  EXPECT_TRUE(TvxRegistry::ClassIDAvailable(registered));
  EXPECT_TRUE(TvxRegistry::ClassIDAvailable(id));
  EXPECT_TRUE(TvxRegistry::ClassIDAvailable("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"));
  EXPECT_FALSE(TvxRegistry::ClassIDAvailable(other));
  EXPECT_FALSE(TvxRegistry::ClassIDAvailable("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"));
  EXPECT_FALSE(TvxRegistry::ClassIDAvailable(""));
  // Only HKEY_CLASSES_ROOT registers classes.
  CreateKey(HKEY_LOCAL_MACHINE, {u"CLSID", AnsiToWide(GuidToString(other))});
  EXPECT_FALSE(TvxRegistry::ClassIDAvailable(other));
}

// ---- A registry this process may only read -------------------------------

TEST_F(RegistryTest, ARegistryThatMayOnlyBeReadIsReadAndLeftAlone) {
  Store(HKEY_LOCAL_MACHINE, kSystem, u"Count", REG_DWORD, Dword(3));
  CreateKey(HKEY_LOCAL_MACHINE, {u"SOFTWARE", u"varlo", u"System", u"Sub"});
  ASSERT_EQ(chmod(Folder.c_str(), 0755), 0);
  const std::string file = FileOf("HKEY_LOCAL_MACHINE");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const std::string before = ReadFile(file);

  const std::string result = RunUnprivileged([] {
    const HKEY root = HKEY_LOCAL_MACHINE;
    std::string r = Flag(TvxRegistry::GetValue(root, kSystemKey, u"Count", 0, true) == Variant(3));
    r += Flag(TvxRegistry::GetValue(root, kSystemKey, u"Missing", 5, true) == Variant(5));
    r += Flag(TvxRegistry::ValueExists(root, kSystemKey, u"Count"));
    r += Flag(TvxRegistry::KeyExists(root, kSystemKey));
    r += Flag(TvxRegistry::SetValue(root, kSystemKey, u"Count", 4, false));
    r += Flag(TvxRegistry::DeleteValue(root, kSystemKey, u"Count", false));
    r += Flag(TvxRegistry::DeleteValue(root, kSystemKey, u"Count", true));
    r += Flag(TvxRegistry::DeleteKey(root, u"SOFTWARE\\varlo\\System\\Sub"));
    r += Flag(TvxRegistry::RenameKey(root, u"SOFTWARE\\varlo\\System\\Sub", u"SOFTWARE\\New"));
    TStringList list;
    r += Flag(TvxRegistry::GetSubKeys(root, kSystemKey, list, false) && list.Count() == 1);
    r += Flag(TvxRegistry::GetAttributes(root, u"SOFTWARE\\Missing", list, true));
    return r;
  });
  EXPECT_EQ(result, "11110000011");
  EXPECT_EQ(ReadFile(file), before);
}

}  // namespace
