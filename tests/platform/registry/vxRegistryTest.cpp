// Tests of platform/registry/vxRegistry.h: registry access as the system's code
// uses it: choose a root key, open one key at a time.
#include "platform/registry/vxRegistry.h"

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <thread>

#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

using Names = std::vector<ustring>;

// Texts that test the escaping of the file format.
const ustring kAwkwardTexts[] = {
    u"",
    u"plain",
    u"\"quoted\" and \\backslashed\\",
    u"ends with a backslash\\",
    u"line\r\nbreaks\nand\ttabs",
    ustring(u"a\0b", 3),
    u"Grüße, 日本語, ÄÖÜ",
    u"pair \U0001F600 of surrogates",
    ustring(1, char16_t(0xD800)) + u" lone lead, lone trail " + ustring(1, char16_t(0xDC00)),
    u"\x01\x1f\x7f control",
    u"\\x0041 looks like an escape",
    u"[not a key]",
    u"; not a comment",
    u"@=\"not a value\"",
    u"   blanks around   ",
};

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepIt) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Varlo\\Ärger", true));
  reg.WriteString(u"MyValue", u"first");
  EXPECT_TRUE(reg.ValueExists(u"MYVALUE"));
  EXPECT_EQ(reg.ReadString(u"myvalue"), u"first");
  reg.WriteString(u"MYVALUE", u"second");
  EXPECT_EQ(reg.GetValueNames(), Names{u"MyValue"});
  EXPECT_EQ(reg.ReadString(u"MyValue"), u"second");

  // The same key reached in other letter cases, also for non-ASCII names.
  ASSERT_TRUE(reg.OpenKey(u"\\SOFTWARE\\VARLO\\ärger", true));
  EXPECT_EQ(reg.ReadString(u"myVALUE"), u"second");
  EXPECT_TRUE(reg.KeyExists(u"\\software\\varlo"));
  ASSERT_TRUE(reg.OpenKey(u"\\software", false));
  EXPECT_EQ(reg.GetKeyNames(), Names{u"Varlo"});

  UseCopy();
  EXPECT_NE(ReadFile(FileOf("HKEY_CURRENT_USER")).find("[HKEY_CURRENT_USER\\Software\\Varlo\\Ärger]\n\"MyValue\"="),
            std::string::npos);
  TRegistry fresh;
  ASSERT_TRUE(fresh.OpenKey(u"\\SOFTWARE\\varlo", false));
  EXPECT_EQ(fresh.GetKeyNames(), Names{u"Ärger"});
}

TEST_F(RegistryTest, EveryValueTypeRoundTrips) {
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<char>(i));
  const int32_t integers[] = {0, 1, -1, INT32_MIN, INT32_MAX};
  const int64_t bigs[] = {0, -1, INT64_MIN, INT64_MAX, 0x0102030405060708};
  const std::string binaries[] = {"", std::string("\0", 1), "abc", allBytes};
  std::vector<Names> lists = {{}, {u"a"}, {u"a", u"b"}};
  lists.emplace_back();
  for (const ustring& text : kAwkwardTexts) {
    if (!text.empty() && text.find(u'\0') == ustring::npos) lists.back().push_back(text);
  }

  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(u"Types", true));
    int n = 0;
    for (const ustring& text : kAwkwardTexts) {
      reg.WriteString(Label(u"sz", n), text);
      reg.WriteExpandString(Label(u"expand", n), text);
      if (!text.empty()) reg.WriteString(text, Label(u"named ", n));  // the text as a value name
      ++n;
    }
    for (size_t i = 0; i < std::size(integers); ++i) reg.WriteInteger(Label(u"dword", i), integers[i]);
    for (size_t i = 0; i < std::size(bigs); ++i) reg.WriteInt64(Label(u"qword", i), bigs[i]);
    for (size_t i = 0; i < std::size(binaries); ++i) reg.WriteBinary(Label(u"binary", i), binaries[i]);
    for (size_t i = 0; i < lists.size(); ++i) reg.WriteMultiString(Label(u"multi", i), lists[i]);
  }

  // Once as this process holds it, once parsed afresh from the file.
  for (const bool reparsed : {false, true}) {
    if (reparsed) UseCopy();
    SCOPED_TRACE(reparsed ? "parsed from the file" : "as written");
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(u"Types", false));
    int n = 0;
    for (const ustring& text : kAwkwardTexts) {
      EXPECT_EQ(reg.ReadString(Label(u"sz", n)), text) << n;
      EXPECT_EQ(reg.GetDataType(Label(u"sz", n)), REG_SZ);
      EXPECT_EQ(reg.GetDataSize(Label(u"sz", n)), static_cast<int32_t>(2 * text.size() + 2));
      EXPECT_EQ(reg.ReadString(Label(u"expand", n)), text) << n;
      EXPECT_EQ(reg.GetDataType(Label(u"expand", n)), REG_EXPAND_SZ);
      if (!text.empty()) {
        EXPECT_EQ(reg.ReadString(text), Label(u"named ", n));
      }
      ++n;
    }
    for (size_t i = 0; i < std::size(integers); ++i) {
      EXPECT_EQ(reg.ReadInteger(Label(u"dword", i)), integers[i]);
      EXPECT_EQ(reg.GetDataType(Label(u"dword", i)), REG_DWORD);
      EXPECT_EQ(reg.GetDataSize(Label(u"dword", i)), 4);
    }
    for (size_t i = 0; i < std::size(bigs); ++i) {
      EXPECT_EQ(reg.ReadInt64(Label(u"qword", i)), bigs[i]);
      EXPECT_EQ(reg.GetDataType(Label(u"qword", i)), REG_QWORD);
    }
    for (size_t i = 0; i < std::size(binaries); ++i) {
      EXPECT_EQ(reg.ReadBinary(Label(u"binary", i)), binaries[i]);
      EXPECT_EQ(reg.GetDataType(Label(u"binary", i)), REG_BINARY);
      EXPECT_EQ(reg.GetDataSize(Label(u"binary", i)), static_cast<int32_t>(binaries[i].size()));
    }
    for (size_t i = 0; i < lists.size(); ++i) {
      EXPECT_EQ(reg.ReadMultiString(Label(u"multi", i)), lists[i]);
      EXPECT_EQ(reg.GetDataType(Label(u"multi", i)), REG_MULTI_SZ);
    }
    EXPECT_EQ(reg.ReadData(u"dword1"), std::string("\x01\0\0\0", 4));
  }
}

TEST_F(RegistryTest, KeysAndValuesListInCreationOrder) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Order", true));
    for (const char16_t* name : {u"Zeta", u"alpha", u"Mid"}) {
      ASSERT_TRUE(reg.OpenKey(u"\\Order\\" + ustring(name), true));
    }
    ASSERT_TRUE(reg.OpenKey(u"\\Order\\Zeta\\Child", true));  // deeper keys do not reorder
    ASSERT_TRUE(reg.OpenKey(u"\\Order", false));
    reg.WriteString(u"b", u"1");
    reg.WriteString(u"A", u"2");
    reg.WriteString(u"c", u"3");
    reg.WriteString(u"B", u"overwritten in place");
    ASSERT_TRUE(reg.DeleteValue(u"a"));
    reg.WriteInteger(u"A", 4);  // created again: now the last
  }
  for (const bool reparsed : {false, true}) {
    if (reparsed) UseCopy();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Order", false));
    EXPECT_EQ(reg.GetKeyNames(), (Names{u"Zeta", u"alpha", u"Mid"}));
    EXPECT_EQ(reg.GetValueNames(), (Names{u"b", u"c", u"A"}));
    EXPECT_EQ(reg.ReadString(u"b"), u"overwritten in place");
  }
}

TEST_F(RegistryTest, KeyPaths) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"\\One\\Two\\", true));
  EXPECT_EQ(reg.CurrentPath(), u"One\\Two");
  ASSERT_TRUE(reg.OpenKey(u"Three", true));  // below the open key
  EXPECT_EQ(reg.CurrentPath(), u"One\\Two\\Three");
  EXPECT_TRUE(reg.KeyExists(u"\\One\\Two\\Three"));
  EXPECT_FALSE(reg.KeyExists(u"Three"));  // that would be One\Two\Three\Three
  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists(u"One\\Two\\Three"));

  // With no key open, values belong to the root key itself.
  reg.WriteString(u"", u"default of the root");
  ASSERT_TRUE(reg.OpenKey(u"", false));
  EXPECT_EQ(reg.ReadString(u""), u"default of the root");
  EXPECT_EQ(reg.GetKeyNames(), Names{u"One"});

  EXPECT_THROW(reg.OpenKey(u"One\\\\Two", false), ERegistryException);
  for (const ustring& bad : {ustring(u"a\x01b"), ustring(u"x") + char16_t(0xDC00)}) {
    EXPECT_THROW(reg.OpenKey(u"\\" + bad, true), ERegistryException);
    EXPECT_FALSE(reg.KeyExists(u"\\" + bad));
  }
  EXPECT_THROW(reg.SetRootKey(static_cast<HKEY>(99)); reg.KeyExists(u"x"), ERegistryException);
}

TEST_F(RegistryTest, MissingKeysAreNeitherOpenedNorCreated) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKey(u"Nowhere", false));
  EXPECT_FALSE(reg.OpenKeyReadOnly(u"Nowhere"));
  EXPECT_FALSE(reg.KeyExists(u"Nowhere"));
  EXPECT_FALSE(reg.KeyIsOpen());
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_LOCAL_MACHINE")));
}

TEST_F(RegistryTest, ReadErrorsNameTheValue) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Errors", true));
  reg.WriteString(u"Text", u"30");
  try {
    reg.ReadString(u"Absent");
    FAIL() << "no error";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), u"value \"Absent\" of key \"HKEY_CURRENT_USER\\Errors\" does not exist");
  }
  try {
    reg.ReadInteger(u"Text");
    FAIL() << "no error";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), u"value \"Text\" of key \"HKEY_CURRENT_USER\\Errors\" is REG_SZ, not REG_DWORD");
  }
  EXPECT_THROW(reg.ReadBinary(u"Text"), ERegistryException);
  EXPECT_THROW(reg.ReadMultiString(u"Text"), ERegistryException);
  EXPECT_THROW(reg.GetDataType(u"Absent"), ERegistryException);
  EXPECT_THROW(reg.GetDataSize(u"Absent"), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue(u"Absent"));

  // A multi-string that would read back shorter is refused, and nothing is written.
  EXPECT_THROW(reg.WriteMultiString(u"List", {u"a", u"", u"b"}), ERegistryException);
  EXPECT_THROW(reg.WriteMultiString(u"List", {ustring(u"a\0b", 3)}), ERegistryException);
  EXPECT_FALSE(reg.ValueExists(u"List"));
}

TEST_F(RegistryTest, WritesNeedTheRightToWrite) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Rights", true));
  reg.WriteString(u"Kept", u"x");
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"\\Rights"));
  EXPECT_EQ(reg.ReadString(u"Kept"), u"x");
  EXPECT_THROW(reg.WriteString(u"New", u"y"), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue(u"Kept"));
  EXPECT_FALSE(reg.DeleteKey(u"\\Rights"));

  reg.SetAccess(KEY_READ | KEY_WOW64_64KEY);
  EXPECT_FALSE(reg.OpenKey(u"\\Rights\\Sub", true));  // creating needs KEY_CREATE_SUB_KEY
  ASSERT_TRUE(reg.OpenKey(u"\\Rights", false));
  EXPECT_THROW(reg.WriteInteger(u"New", 1), ERegistryException);

  reg.SetAccess(KEY_SET_VALUE);
  ASSERT_TRUE(reg.OpenKey(u"\\Rights", false));
  EXPECT_THROW(reg.ReadString(u"Kept"), ERegistryException);  // no KEY_QUERY_VALUE
  EXPECT_THROW(reg.GetKeyNames(), ERegistryException);        // no KEY_ENUMERATE_SUB_KEYS
  reg.WriteString(u"Kept", u"z");
  EXPECT_TRUE(reg.ValueExists(u"Kept"));
}

TEST_F(RegistryTest, WritingToADeletedKeyFails) {
  TRegistry writer;
  ASSERT_TRUE(writer.OpenKey(u"Gone", true));
  TRegistry other;
  ASSERT_TRUE(other.DeleteKey(u"Gone"));
  EXPECT_THROW(writer.WriteString(u"x", u"y"), ERegistryException);
  EXPECT_FALSE(writer.ValueExists(u"x"));
  EXPECT_FALSE(other.KeyExists(u"Gone"));
}

TEST_F(RegistryTest, DeleteKeyTakesItsSubtree) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Tree\\A\\B\\C", true));
  reg.WriteString(u"v", u"1");
  ASSERT_TRUE(reg.OpenKey(u"\\Tree\\Keep", true));
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(u"tree\\a"));
  EXPECT_FALSE(reg.KeyExists(u"Tree\\A\\B\\C"));
  EXPECT_FALSE(reg.DeleteKey(u"Tree\\A"));  // already gone
  EXPECT_FALSE(reg.DeleteKey(u""));         // the root stays
  EXPECT_FALSE(reg.DeleteKey(u"\\"));
  ASSERT_TRUE(reg.OpenKey(u"Tree", false));
  EXPECT_EQ(reg.GetKeyNames(), Names{u"Keep"});
}

TEST_F(RegistryTest, MoveKeyTakesValuesAndSubkeys) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Old\\Sub", true));
  reg.WriteInteger(u"n", 7);
  ASSERT_TRUE(reg.OpenKey(u"\\Old", false));
  reg.WriteString(u"s", u"text");
  ASSERT_TRUE(reg.OpenKey(u"\\Taken", true));
  reg.CloseKey();
  const std::string before = ReadFile(FileOf("HKEY_CURRENT_USER"));

  EXPECT_FALSE(reg.MoveKey(u"Old", u"Taken"));        // the target exists
  EXPECT_FALSE(reg.MoveKey(u"Old", u"OLD\\Inside"));  // into itself
  EXPECT_FALSE(reg.MoveKey(u"Missing", u"Other"));
  EXPECT_EQ(ReadFile(FileOf("HKEY_CURRENT_USER")), before);

  EXPECT_TRUE(reg.MoveKey(u"old", u"New\\Place"));
  EXPECT_FALSE(reg.KeyExists(u"Old"));
  ASSERT_TRUE(reg.OpenKey(u"New\\Place", false));
  EXPECT_EQ(reg.ReadString(u"s"), u"text");
  ASSERT_TRUE(reg.OpenKey(u"Sub", false));
  EXPECT_EQ(reg.ReadInteger(u"n"), 7);
  reg.CloseKey();
  EXPECT_EQ(reg.GetKeyNames(), (Names{u"Taken", u"New"}));
}

TEST_F(RegistryTest, EachRootHasItsOwnFile) {
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT};
  for (const HKEY root : roots) {
    TRegistry reg;
    reg.SetRootKey(root);
    ASSERT_TRUE(reg.OpenKey(u"Only\\" + RootKeyName(root), true));
  }
  for (const HKEY root : roots) {
    const std::string text = ReadFile(FileOf(WideToUtf8(RootKeyName(root))));
    const std::string name = WideToUtf8(RootKeyName(root));
    EXPECT_EQ(text, "REGEDIT4\n\n[" + name + "\\Only]\n\n[" + name + "\\Only\\" + name + "]\n");
  }
}

TEST_F(RegistryTest, UnchangedWritesLeaveTheFileAlone) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Same", true));
  reg.WriteString(u"v", u"x");
  struct stat before, after;
  ASSERT_EQ(stat(FileOf("HKEY_CURRENT_USER").c_str(), &before), 0);
  reg.WriteString(u"V", u"x");
  ASSERT_TRUE(reg.OpenKey(u"\\Same", true));
  ASSERT_EQ(stat(FileOf("HKEY_CURRENT_USER").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(RegistryTest, AChangeKeepsTheFileMode) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Mode", true));
  const std::string file = FileOf("HKEY_CURRENT_USER");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  reg.WriteString(u"v", u"x");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kValues = 500;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = RunInChild([child] {
      TRegistry reg;
      if (!reg.OpenKey(u"Shared\\Race", true)) return 1;
      for (int i = 0; i < kValues; ++i) reg.WriteString(Label(Label(u"P", child) + u"_", i), Label(u"value ", i));
      return 0;
    });
    ASSERT_GT(children[child], 0);
  }
  for (const pid_t pid : children) EXPECT_EQ(WaitForChild(pid), 0);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Shared\\Race", false));
  const Names names = reg.GetValueNames();
  ASSERT_EQ(names.size(), 2u * kValues);
  for (int child = 0; child < 2; ++child) {
    int next = 0;  // each writer's values in the order it wrote them
    for (const ustring& name : names) {
      if (name.starts_with(Label(u"P", child) + u"_")) {
        EXPECT_EQ(name, Label(Label(u"P", child) + u"_", next));
        EXPECT_EQ(reg.ReadString(name), Label(u"value ", next));
        ++next;
      }
    }
    EXPECT_EQ(next, kValues);
  }
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_CURRENT_USER") + ".tmp"));
}

TEST_F(RegistryTest, TwoThreadsWritingAtOnceLoseNothing) {
  constexpr int kValues = 100;
  auto writer = [](int thread) {
    TRegistry reg;
    if (!reg.OpenKey(u"Threads", true)) return;
    for (int i = 0; i < kValues; ++i) reg.WriteInteger(Label(Label(u"T", thread) + u"_", i), i);
  };
  std::thread first(writer, 0), second(writer, 1);
  first.join();
  second.join();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Threads", false));
  EXPECT_EQ(reg.GetValueNames().size(), 2u * kValues);
  EXPECT_EQ(reg.ReadInteger(u"T1_99"), 99);
}

TEST_F(RegistryTest, AStaleTemporaryFileIsIgnoredAndReplaced) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Stale", true));
    reg.WriteString(u"v", u"complete");
  }
  const std::string temporary = FileOf("HKEY_CURRENT_USER") + ".tmp";
  WriteFile(temporary, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Stale]\n\"v\"=\"torn");
  UseCopy();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Stale", false));
  EXPECT_EQ(reg.ReadString(u"v"), u"complete");
  reg.WriteString(u"w", u"next");
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_CURRENT_USER") + ".tmp"));
  EXPECT_EQ(reg.GetValueNames(), (Names{u"v", u"w"}));
}

TEST_F(RegistryTest, AWriterKilledMidwayLeavesTheLastCompleteState) {
  const ustring filler(200, u'x');  // makes every write take a while
  int written = 0;
  for (int round = 0; round < 4; ++round) {
    const int start = written;
    const pid_t pid = RunInChild([start, &filler] {
      TRegistry reg;
      if (!reg.OpenKey(u"Killed", true)) return 1;
      for (int i = start;; ++i) reg.WriteString(Label(u"V", i), Num(i) + filler);
    });
    ASSERT_GT(pid, 0);
    // Let it write a few more values, then kill it wherever it is.
    const size_t target = static_cast<size_t>(start) + 20;
    bool childAlive = true;
    while (true) {
      TRegistry reader;
      if (reader.OpenKey(u"Killed", false) && reader.GetValueNames().size() >= target) break;
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        childAlive = false;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(childAlive) << "the writer ended by itself";
    kill(pid, SIGKILL);
    EXPECT_EQ(WaitForChild(pid), 128 + SIGKILL);

    // Every value that is there is complete, and they follow each other.
    UseCopy();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Killed", false));
    const Names names = reg.GetValueNames();
    ASSERT_GE(names.size(), target);
    for (size_t i = 0; i < names.size(); ++i) {
      ASSERT_EQ(names[i], Label(u"V", static_cast<long long>(i)));
      ASSERT_EQ(reg.ReadString(names[i]), Num(static_cast<long long>(i)) + filler);
    }
    written = static_cast<int>(names.size());
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Killed", false));
  reg.WriteString(u"after", u"works");
  EXPECT_EQ(reg.ReadString(u"after"), u"works");
  EXPECT_FALSE(std::filesystem::exists(FileOf("HKEY_CURRENT_USER") + ".tmp"));
}

// Access that the file system refuses. The checks run in a child process that
// gives up root rights first (root may read and write anything).
class RegistryAccessTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(u"Software\\Test", true));
    reg.WriteString(u"Name", u"value");
    ASSERT_EQ(chmod(Folder.c_str(), 0755), 0);
  }
};

TEST_F(RegistryAccessTest, AReadOnlyFileRefusesWriting) {
  const std::string file = FileOf("HKEY_LOCAL_MACHINE");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const std::string before = ReadFile(file);
  const std::string result = RunUnprivileged([] {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string r = Flag(reg.OpenKey(u"Software\\Test", false));  // asks for every right
    r += Flag(reg.OpenKey(u"Software\\Other", true));
    r += Flag(reg.OpenKeyReadOnly(u"Software\\Test"));
    r += reg.ReadString(u"Name") == u"value" ? "1" : "0";
    try {
      reg.WriteString(u"Name", u"changed");
      r += "written";
    } catch (const ERegistryException&) {
      r += "-";
    }
    r += Flag(reg.DeleteValue(u"Name")) + Flag(reg.DeleteKey(u"\\Software\\Test"));
    reg.SetAccess(KEY_READ);
    r += Flag(reg.OpenKey(u"\\Software\\Test", false));
    // With every right granted, the file system still says no.
    reg.SetAccess(KEY_ALL_ACCESS);
    reg.CloseKey();
    try {
      reg.WriteString(u"Root", u"changed");
      r += "written";
    } catch (const EOSError& error) {
      r += error.ErrorCode == EACCES ? "EACCES" : "other";
    }
    return r;
  });
  EXPECT_EQ(result, "0011-001EACCES");
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(RegistryAccessTest, AnUnreadableFileOpensNothing) {
  ASSERT_EQ(chmod(FileOf("HKEY_LOCAL_MACHINE").c_str(), 0), 0);
  const std::string result = RunUnprivileged([] {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string r = Flag(reg.OpenKeyReadOnly(u"Software\\Test"));
    r += Flag(reg.KeyExists(u"Software\\Test")) + Flag(reg.ValueExists(u"Name"));
    reg.SetRootKey(HKEY_CURRENT_USER);  // the other roots are not affected
    r += Flag(reg.OpenKeyReadOnly(u""));
    return r;
  });
  EXPECT_EQ(result, "0001");
}

}  // namespace
