// Two exports at once, in two processes and in two copies of the library in
// one process: each mail carries exactly its own document's files, and
// nothing an export made is left in the temporary folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <barrier>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/vxMD5.h"
#include "plugin/vxExportCommands.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "tests/plugin/vxExportLibrary.h"
#include "tests/plugin/vxPythonMailReader.h"

namespace {

constexpr int kRounds = 4;
const char* const kFileNames[] = {"report.txt", "data.csv"};

class ExportConcurrency : public ::testing::Test {
 protected:
  TSmtpTestServer Server;
  TTestTempDir Dir;
  TTestTempDir Temp;  // the temporary folder of every export here
  TTestTempDir Data;  // the user's data folder: nothing may be kept there
  vxTest::TScopedEnv TempEnv{"TMPDIR", Temp.Path().string()};
  vxTest::TScopedEnv DataEnv{"XDG_DATA_HOME", Data.Path().string()};

  // The content of one file of one document: large enough that writing an
  // archive takes a while, and different for every document.
  static std::string Content(const std::string& Document, const std::string& File) {
    std::string text;
    while (text.size() < 256 * 1024) text += Document + " " + File + " " + std::to_string(text.size()) + "\n";
    return text;
  }

  // The document's files, named alike in every document, in a folder of its own.
  std::vector<std::string> MakeFiles(const std::string& Document) const {
    const std::string folder = Dir.File(Document);
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (const char* name : kFileNames) {
      paths.push_back(folder + "/" + name);
      TTestTempDir::WriteBytes(paths.back(), Content(Document, name));
    }
    return paths;
  }

  // Everything up to the export itself: 100, 110 with zip on, 200, 500s.
  void Prepare(TExportLibrary& Library, const std::string& Document) const {
    Library.Call(cmdInit);
    Library.Call(cmdSetConfig, "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(Server.Port()) +
                                   "><FROMADDRESS=exports@example.com><RECIPIENT=to@example.com>"
                                   "<ZIPMAILATM=True><SUBJECT=" + Document + "></CONFIG>");
    Library.Call(cmdNewDocument);
    for (const std::string& file : MakeFiles(Document)) Library.Call(cmdAddFile, file);
  }

  // Every mail holds one archive with exactly its own document's files.
  void ExpectOwnFiles(size_t Expected) const {
    const auto messages = Server.Messages();
    ASSERT_EQ(messages.size(), Expected);
    for (const auto& message : messages) {
      const TReadMail mail = ReadMail(message.Content);
      const std::string document = mail.Headers.count("Subject") ? mail.Headers.at("Subject") : "";
      SCOPED_TRACE(document);
      ASSERT_EQ(mail.Parts.size(), 2u);
      EXPECT_EQ(mail.Parts[1].Type, "application/zip");
      std::vector<std::pair<std::string, std::string>> own;
      for (const char* name : kFileNames) own.emplace_back(name, TvxMD5::GetMD5FromString(Content(document, name)));
      EXPECT_EQ(mail.ZipEntries, own);
    }
    EXPECT_EQ(Temp.Listing(), "");
    EXPECT_TRUE(std::filesystem::is_empty(Data.Path()));
  }
};

TEST_F(ExportConcurrency, TwoProcessesAtTheSameMoment) {
  for (int round = 0; round < kRounds; ++round) {
    // Each child gets ready, says so, and exports when the parent lets
    // both go at once.
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
      const std::string document = "round " + std::to_string(round) + " process " + std::to_string(child);
      children.push_back(vxTest::RunInChild([&, document] {
        close(ready[0]);
        close(go[1]);
        TExportLibrary library;
        Prepare(library, document);
        char byte = 'r';
        if (write(ready[1], &byte, 1) != 1) return 3;
        if (read(go[0], &byte, 1) != 0) return 3;  // the parent closes its end
        return library.Call(cmdExport).Result == 0 ? 0 : 1;
      }));
    }
    close(ready[1]);
    close(go[0]);
    char bytes[2];
    size_t got = 0;
    while (got < 2) {
      const ssize_t n = read(ready[0], bytes + got, 2 - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    close(go[1]);
    close(ready[0]);
    for (const pid_t child : children) EXPECT_EQ(vxTest::WaitForChild(child), 0);
    ASSERT_EQ(got, 2u);
  }
  ExpectOwnFiles(2 * kRounds);
}

TEST_F(ExportConcurrency, TwoCopiesOfTheLibraryInThreads) {
  const std::string first = Dir.File("libvxsmtpexport-first.so");
  const std::string second = Dir.File("libvxsmtpexport-second.so");
  std::filesystem::copy_file(VX_EXPORT_LIBRARY, first);
  std::filesystem::copy_file(VX_EXPORT_LIBRARY, second);
  TExportLibrary one(first.c_str());
  TExportLibrary two(second.c_str());
  ASSERT_NE(one.Handle(), two.Handle());
  for (int round = 0; round < kRounds; ++round) {
    std::barrier together(2);
    int results[2] = {-2, -2};
    const auto exporter = [&](TExportLibrary& Library, int Index) {
      Prepare(Library, "round " + std::to_string(round) + " copy " + std::to_string(Index));
      together.arrive_and_wait();
      results[Index] = Library.Call(cmdExport).Result;
    };
    std::thread a(exporter, std::ref(one), 0);
    std::thread b(exporter, std::ref(two), 1);
    a.join();
    b.join();
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
  }
  ExpectOwnFiles(2 * kRounds);
}

}  // namespace
