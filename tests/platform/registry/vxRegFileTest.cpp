// Tests of the registry's store (platform/registry/vxRegFile.h): the key
// tree, the text format and the locked store of a root's file.
#include "platform/registry/vxRegFile.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/registry/vxRegistry.h"
#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

// Folder flushes seen by the fsync below while a test counts them.
std::atomic<int>* gFolderSyncs = nullptr;

}  // namespace

// Every fsync of this test program passes through here to the system's; a
// flush of a folder is counted while a test asks for it.
extern "C" int fsync(int fd) {
  using TFsync = int (*)(int);
  static const auto next = reinterpret_cast<TFsync>(dlsym(RTLD_NEXT, "fsync"));
  if (gFolderSyncs != nullptr) {
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) ++*gFolderSyncs;
  }
  return next(fd);
}

namespace {

using Names = std::vector<ustring>;

// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

const char* const kHandWritten = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"Name\"=\"value\"\n";

// Reading writes nothing: no lock file, no temporary file, the file as it
// was; and a folder the reader may not write to reads all the same (as
// root, chmod alone stops nothing: the reads there run as another user).
TEST_F(RegistryTest, AReadWritesNothing) {
  WriteFile(FileOf("HKEY_LOCAL_MACHINE"), kHandWritten);
  const std::vector<std::string> before = Listing(Folder);
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(u"Software\\Test"));
    EXPECT_EQ(reg.ReadString(u"Name"), u"value");
    EXPECT_TRUE(reg.KeyExists(u"\\Software"));
    reg.SetRootKey(HKEY_CURRENT_USER);  // a root without a file
    EXPECT_FALSE(reg.OpenKeyReadOnly(u"Software\\Test"));
  }
  EXPECT_EQ(Listing(Folder), before);
  EXPECT_EQ(ReadFile(FileOf("HKEY_LOCAL_MACHINE")), kHandWritten);

  const std::string readOnly = NewFolder();
  WriteFile(readOnly + "/HKEY_LOCAL_MACHINE.reg", kHandWritten);
  ASSERT_EQ(chmod((readOnly + "/HKEY_LOCAL_MACHINE.reg").c_str(), 0444), 0);
  ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
  UseFolder(readOnly);
  const std::string result = RunUnprivileged([] {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string r = Flag(reg.OpenKeyReadOnly(u"Software\\Test"));
    r += reg.ReadString(u"Name") == u"value" ? "1" : "0";
    r += Flag(reg.ValueExists(u"Name"));
    return r;
  });
  EXPECT_EQ(result, "111");
  EXPECT_EQ(Listing(readOnly), std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg"});
  chmod(readOnly.c_str(), 0700);  // so the folder can be removed
}

// A change flushes the folder once, after the new file is in place.
TEST_F(RegistryTest, AChangeFlushesTheFolderOnce) {
  std::atomic<int> syncs{0};
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKey(u"Software\\Test", true));  // the first change makes the folder's files
  gFolderSyncs = &syncs;
  reg.WriteString(u"Name", u"value");
  gFolderSyncs = nullptr;
  EXPECT_EQ(syncs.load(), 1);
}

TEST_F(RegistryTest, TheFileIsPlainText) {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(u"SOFTWARE\\varlo\\System", true));
    reg.WriteString(u"", u"default");
    reg.WriteString(u"Path", u"/opt/varlo/");
    reg.WriteString(u"Quote", u"say \"hi\"\\\r\n");
    reg.WriteString(u"Umlaut", u"Grüße");
    reg.WriteInteger(u"Count", 42);
    reg.WriteInteger(u"Minus", -1);
    reg.WriteExpandString(u"Template", u"%HOME%/t");
    reg.WriteMultiString(u"Servers", {u"alpha", u"beta"});
    reg.WriteInt64(u"Big", 4096);
    reg.WriteBinary(u"Blob", std::string("\x01\x02\xff", 3));
    ASSERT_TRUE(reg.OpenKey(u"HTTP", true));
  }
  EXPECT_EQ(ReadFile(FileOf("HKEY_LOCAL_MACHINE")),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo\\System]\n"
            "@=\"default\"\n"
            "\"Path\"=\"/opt/varlo/\"\n"
            "\"Quote\"=\"say \\\"hi\\\"\\\\\\r\\n\"\n"
            "\"Umlaut\"=\"Grüße\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Minus\"=dword:ffffffff\n"
            "\"Template\"=str(2):\"%HOME%/t\"\n"
            "\"Servers\"=str(7):\"alpha\\0beta\\0\"\n"
            "\"Big\"=hex(b):00,10,00,00,00,00,00,00\n"
            "\"Blob\"=hex:01,02,ff\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo\\System\\HTTP]\n");
}

TEST_F(RegistryTest, AHandWrittenFileIsRead) {
  // Written as an administrator might: byte order mark, CRLF, comments, blank
  // lines, keys out of order and in other letter cases, lists over lines.
  WriteFile(FileOf("HKEY_LOCAL_MACHINE"),
            "\xEF\xBB\xBF; settings of this machine\r\n"
            "REGEDIT4\r\n"
            "\r\n"
            "[hkey_local_machine\\SOFTWARE\\varlo\\System\\HTTP]\r\n"
            "\"Port\"=dword:1F90\r\n"
            "   \"Host\"=\"server.example\"   \r\n"
            "\r\n"
            "; the parent comes second\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo\\System]\r\n"
            "@=\"top\"\r\n"
            "\"Path\"=\"C:\\\\varlo\\\\\"\r\n"
            "\"Name\"=\"Jürgen \\x263a\"\r\n"
            "\"Data\"=hex:00,01,\\\r\n"
            "  02,03\r\n"
            "\"Wide\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
            "\"Odd\"=hex(5):01\r\n"
            "\"Empty\"=hex:\r\n"
            "\"Later\"=\"first\"\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VARLO\\system]\r\n"
            "\"LATER\"=\"second\"\r\n");
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"SOFTWARE\\varlo\\System"));
  EXPECT_EQ(reg.GetKeyNames(), Names{u"HTTP"});
  EXPECT_EQ(reg.GetValueNames(), (Names{u"", u"Path", u"Name", u"Data", u"Wide", u"List", u"Odd", u"Empty", u"Later"}));
  EXPECT_EQ(reg.ReadString(u""), u"top");
  EXPECT_EQ(reg.ReadString(u"Path"), u"C:\\varlo\\");
  EXPECT_EQ(reg.ReadString(u"Name"), u"Jürgen \u263a");
  EXPECT_EQ(reg.ReadBinary(u"Data"), std::string("\0\1\2\3", 4));
  EXPECT_EQ(reg.GetDataType(u"Wide"), REG_EXPAND_SZ);
  EXPECT_EQ(reg.ReadString(u"Wide"), u"%A%");
  EXPECT_EQ(reg.ReadMultiString(u"List"), (Names{u"a", u"b"}));
  EXPECT_EQ(static_cast<uint32_t>(reg.GetDataType(u"Odd")), 5u);
  EXPECT_EQ(reg.ReadData(u"Odd"), "\x01");
  EXPECT_EQ(reg.GetDataSize(u"Empty"), 0);
  EXPECT_EQ(reg.ReadString(u"later"), u"second");
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"HTTP"));
  EXPECT_EQ(reg.ReadInteger(u"Port"), 8080);
  EXPECT_EQ(reg.ReadString(u"Host"), u"server.example");

  // A change rewrites the file in the registry's own form and keeps the rest.
  ASSERT_TRUE(reg.OpenKey(u"\\SOFTWARE\\varlo\\System", false));
  reg.WriteInteger(u"Added", 1);
  UseCopy();
  TRegistry again;
  again.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(again.OpenKey(u"SOFTWARE\\varlo\\System", false));
  EXPECT_EQ(again.ReadData(u"Odd"), "\x01");
  EXPECT_EQ(again.ReadString(u"Wide"), u"%A%");
  EXPECT_EQ(again.ReadInteger(u"Added"), 1);
  EXPECT_EQ(ReadFile(FileOf("HKEY_LOCAL_MACHINE")).find(';'), std::string::npos);
}

TEST_F(RegistryTest, EmptyFilesHoldNoKeys) {
  for (const char* text : {"", "\n\n", "; nothing yet\n", "REGEDIT4\n"}) {
    WriteFile(FileOf("HKEY_CURRENT_USER"), text);
    UseCopy();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"", false)) << text;
    EXPECT_TRUE(reg.GetKeyNames().empty());
  }
}

TEST_F(RegistryTest, ACorruptFileIsReportedAndLeftUntouched) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"[HKEY_CURRENT_USER\\A]\n", "line 1: the file does not start with \"REGEDIT4\""},
      {"REGEDIT4\n\"v\"=\"x\"\n", "line 2: a value before the first key"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", "line 2: a key line that does not end with \"]\""},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", "line 2: a key that is not under HKEY_CURRENT_USER"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", "line 2: a key name cannot be empty"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\nv=\"x\"\n", "line 3: a line that is neither a key nor a value"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"\n", "line 3: a value name without \"=\""},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"torn\n", "line 3: a text without its closing quotation mark"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\" y\n", "line 3: characters after the closing quotation mark"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"\\q\"\n", "line 3: an unknown escape in a text"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"\\x12\"\n", "line 3: \"\\x\" not followed by four hex digits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n", "line 3: dword data that is not 1 to 8 hex digits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:\n", "line 3: dword data that is not 1 to 8 hex digits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,2g\n", "line 3: a hex list item that is not a byte"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\n", "line 3: a hex list that ends with a comma"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n", "line 3: a hex list that goes on past the end of the file"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(x):01\n", "line 3: a type code that is not 1 to 8 hex digits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=qword:1\n", "line 3: value data of an unknown form"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=-\n", "line 3: value data of an unknown form"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xC3\x28\"\n", "line 3: the line is not valid UTF-8"},
  };
  const std::string file = FileOf("HKEY_CURRENT_USER");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WriteFile(file, c.text);
    struct stat before;
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    TRegistry reg;
    try {
      reg.KeyExists(u"A");
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.what(), "registry file \"" + file + "\", " + c.error);
    }
    EXPECT_THROW(reg.OpenKey(u"A", true), ERegistryException);
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString(u"v", u"y"), ERegistryException);
    EXPECT_THROW(reg.DeleteKey(u"A"), ERegistryException);
    struct stat after;
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(ReadFile(file), c.text);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
  }
}

TEST_F(RegistryTest, KeysNestOnlySoDeep) {
  std::string deep = "REGEDIT4\n[HKEY_CURRENT_USER";
  for (size_t i = 0; i <= vxRegFile::kMaxKeyDepth; ++i) deep += "\\k";
  WriteFile(FileOf("HKEY_CURRENT_USER"), deep + "]\n");
  TRegistry reg;
  EXPECT_THROW(reg.KeyExists(u"k"), ERegistryException);

  std::remove(FileOf("HKEY_CURRENT_USER").c_str());
  ustring path;
  for (size_t i = 0; i < vxRegFile::kMaxKeyDepth; ++i) path += u"\\k";
  ASSERT_TRUE(reg.OpenKey(path, true));
  EXPECT_THROW(reg.OpenKey(u"one more", true), ERegistryException);
  // Moving a subtree may not push it past the limit either.
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKey(u"\\other\\a\\b", true));
  reg.CloseKey();
  EXPECT_THROW(reg.MoveKey(u"other", path.substr(0, path.size() - 2) + u"\\moved"), ERegistryException);
  EXPECT_TRUE(reg.KeyExists(u"\\other\\a\\b"));
}

}  // namespace

namespace {

// ---- The copy each process holds ------------------------------------------

TEST_F(RegistryTest, AChangeByAnotherProcessIsSeenByTheNextRead) {
  // The clock stands still, so only the writers' counter can tell.
  const TRegTestClock clock;
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Seen", true));
  reg.WriteString(u"v", u"0");
  for (int round = 1; round <= 3; ++round) {
    EXPECT_EQ(reg.ReadString(u"v"), Num(round - 1));
    const pid_t pid = RunInChild([round] {
      TRegistry writer;
      if (!writer.OpenKey(u"Seen", false)) return 1;
      writer.WriteString(u"v", Num(round));
      writer.WriteString(Label(u"added", round), u"x");
      return 0;
    });
    ASSERT_EQ(WaitForChild(pid), 0);
    EXPECT_EQ(reg.ReadString(u"v"), Num(round)) << round;
    EXPECT_TRUE(reg.ValueExists(Label(u"added", round)));
  }
  EXPECT_EQ(reg.GetValueNames().size(), 4u);
}

TEST_F(RegistryTest, AFileChangedByOtherProgramsIsSeen) {
  const TRegTestClock clock;
  const std::string file = FileOf("HKEY_CURRENT_USER");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Edited", true));
  reg.WriteString(u"v", u"ours");
  EXPECT_EQ(reg.ReadString(u"v"), u"ours");

  // An editor that knows nothing of the counter: seen once the clock ticks.
  WriteFile(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Edited]\n\"v\"=\"by hand\"\n");
  clock.AdvanceMilliseconds(1);
  EXPECT_EQ(reg.ReadString(u"v"), u"by hand");

  // A writer always starts from the file as it is, even within the tick.
  WriteFile(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Edited]\n\"v\"=\"by hand\"\n\"hand\"=dword:7\n");
  reg.WriteString(u"mine", u"x");
  EXPECT_EQ(ReadFile(file),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Edited]\n\"v\"=\"by hand\"\n\"hand\"=dword:00000007\n\"mine\"=\"x\"\n");
  EXPECT_EQ(reg.ReadInteger(u"hand"), 7);

  // A file removed by hand is an empty registry again.
  ASSERT_EQ(std::remove(file.c_str()), 0);
  clock.AdvanceMilliseconds(1);
  EXPECT_FALSE(reg.KeyExists(u"\\Edited"));
}

TEST_F(RegistryTest, AFileCorruptedAfterReadingIsReportedAndNotOverwritten) {
  const TRegTestClock clock;
  const std::string file = FileOf("HKEY_CURRENT_USER");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Good", true));
  reg.WriteString(u"v", u"x");
  const std::string broken = "REGEDIT4\n[HKEY_CURRENT_USER\\Good\n";
  WriteFile(file, broken);
  EXPECT_THROW(reg.WriteString(u"w", u"y"), ERegistryException);
  EXPECT_EQ(ReadFile(file), broken);
  clock.AdvanceMilliseconds(1);
  EXPECT_THROW(reg.ReadString(u"v"), ERegistryException);
  EXPECT_THROW(reg.WriteString(u"w", u"y"), ERegistryException);
  EXPECT_EQ(ReadFile(file), broken);
}

TEST_F(RegistryTest, EveryChangeWritesWhatAWholeRewriteWould) {
  // Lines of unchanged values are copied from the previous text; the result
  // must be the text the whole tree gives, after every kind of change.
  WriteFile(FileOf("HKEY_CURRENT_USER"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"canonical\"=\"kept\"\n  \"blanks\"=\"x\"  \n"
            "\"short\"=dword:7\r\n\"list\"=hex:01,\\\n  02\n\"Dup\"=\"1\"\n\"DUP\"=\"2\"\n\"last\"=\"no line feed\"");
  TRegistry reg;
  const std::function<void()> changes[] = {
      [&] { reg.WriteString(u"added", u"new"); },
      [&] { reg.WriteString(u"canonical", u"changed"); },
      [&] { reg.WriteInteger(u"short", 8); },
      [&] { reg.DeleteValue(u"blanks"); },
      [&] { reg.WriteString(u"", u"default first? no, last"); },
      [&] { ASSERT_TRUE(reg.OpenKey(u"\\A\\B\\C", true)); },
      [&] { reg.WriteBinary(u"blob", "\x01\x02"); },
      [&] { ASSERT_TRUE(reg.MoveKey(u"\\A\\B", u"\\Moved\\B")); },
      [&] { ASSERT_TRUE(reg.OpenKey(u"\\A", false)); },
      [&] { reg.WriteString(u"dup", u"3"); },
      [&] { ASSERT_TRUE(reg.DeleteKey(u"\\Moved")); },
      [&] { reg.WriteMultiString(u"canonical", {u"a", u"b"}); },
  };
  ASSERT_TRUE(reg.OpenKey(u"A", false));
  int step = 0;
  for (const auto& change : changes) {
    change();
    const std::string text = ReadFile(FileOf("HKEY_CURRENT_USER"));
    const auto reparsed = vxRegFile::ParseRegText(text, u"HKEY_CURRENT_USER", "check");
    EXPECT_EQ(text, vxRegFile::FormatRegText(*reparsed)) << "after change " << step;
    EXPECT_EQ(text, vxRegFile::FormatRegText(*vxRegFile::TRegStore(u"HKEY_CURRENT_USER").Read())) << step;
    ++step;
  }
  EXPECT_EQ(reg.GetValueNames(), (Names{u"canonical", u"short", u"list", u"Dup", u"last", u"added", u""}));
  EXPECT_EQ(reg.ReadString(u"DUP"), u"3");
}

TEST_F(RegistryTest, ThreadsReadWhileAnotherWrites) {
  constexpr int kWrites = 100;
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Threads", true));
    reg.WriteInteger(u"n", 0);
    reg.WriteString(Label(u"s", 0), u"0 is here");
  }
  std::atomic<bool> done{false};
  std::atomic<int> faults{0};
  auto reader = [&] {
    TRegistry reg(KEY_READ);
    if (!reg.OpenKey(u"Threads", false)) {
      ++faults;
      return;
    }
    int last = 0;
    while (!done.load()) {
      try {
        const int n = reg.ReadInteger(u"n");
        // Each value is whole, and none goes back.
        if (n < last || reg.ReadString(Label(u"s", n)) != Num(n) + u" is here") ++faults;
        last = n;
      } catch (const Exception&) {
        ++faults;
      }
    }
  };
  std::thread first(reader), second(reader);
  TRegistry writer;
  ASSERT_TRUE(writer.OpenKey(u"Threads", false));
  for (int i = 1; i <= kWrites; ++i) {
    writer.WriteString(Label(u"s", i), Num(i) + u" is here");
    writer.WriteInteger(u"n", i);
  }
  done = true;
  first.join();
  second.join();
  EXPECT_EQ(faults.load(), 0);
}

}  // namespace
