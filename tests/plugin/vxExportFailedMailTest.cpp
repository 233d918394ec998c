// An export whose mail cannot be delivered keeps it: the composed mail goes
// to the failed-mails folder of the user's data folder as an ".eml" file
// (read back here by Python's email package) before the document's files
// are deleted, and the relay (SENDEMLS) sends it again. When the mail
// cannot be kept, the document's files stay.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "core/vxMD5.h"
#include "plugin/vxExportCommands.h"
#include "support/vxScopedEnv.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "tests/plugin/vxExportLibrary.h"
#include "tests/plugin/vxPythonMailReader.h"

namespace fs = std::filesystem;

namespace {

// A port where nothing listens: taken and released again.
uint16_t ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

mode_t ModeOf(const fs::path& Path) {
  struct stat st {};
  EXPECT_EQ(lstat(Path.c_str(), &st), 0) << Path;
  return st.st_mode & 07777;
}

std::string Md5(const std::string& Bytes) { return TvxMD5::GetMD5FromString(Bytes); }

class ExportFailedMail : public ::testing::Test {
 protected:
  TTestTempDir Dir;
  TTestTempDir Temp;  // the temporary folder of the exports
  TTestTempDir Data;  // the user's data folder
  vxTest::TScopedEnv TempEnv{"TMPDIR", Temp.Path().string()};
  vxTest::TScopedEnv DataEnv{"XDG_DATA_HOME", Data.Path().string()};
  TExportLibrary Library;

  // Where this library keeps failed mails, below the user's data folder.
  static fs::path FailedMails(const fs::path& DataHome) {
    return DataHome / "varlo/plugins/work/libvxsmtpexport-000~~~/Win64/failed-mails";
  }
  fs::path FailedMails() const { return FailedMails(Data.Path()); }

  std::vector<fs::path> Kept() const {
    std::vector<fs::path> files;
    if (fs::is_directory(FailedMails()))
      for (const auto& e : fs::directory_iterator(FailedMails())) files.push_back(e.path());
    return files;
  }

  std::string MakeFile(const std::string& Name, const std::string& Content) const {
    TTestTempDir::WriteBytes(Dir.File(Name), Content);
    return Dir.File(Name);
  }

  static std::string Config(uint16_t Port, const std::string& Items) {
    return "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(Port) +
           "><FROMADDRESS=exports@example.com><FROMNAME=Exports>" + Items + "</CONFIG>";
  }

  // 100, 110, 200, the fields, the files, 600.
  TExportLibrary::TAnswer Export(const std::string& ConfigString, const std::vector<std::string>& Fields,
                                 const std::vector<std::string>& Files) {
    EXPECT_EQ(Library.Call(cmdInit).Result, 0);
    EXPECT_EQ(Library.Call(cmdSetConfig, ConfigString).Result, 0);
    EXPECT_EQ(Library.Call(cmdNewDocument).Result, 0);
    for (const std::string& f : Fields) EXPECT_EQ(Library.Call(cmdAddField, f).Result, 0);
    for (const std::string& f : Files) EXPECT_EQ(Library.Call(cmdAddFile, f).Result, 0);
    return Library.Call(cmdExport);
  }
};

TEST_F(ExportFailedMail, KeptBeforeTheFilesGoAndSentAgainByTheRelay) {
  TSmtpTestServer refusesRecipient(TSmtpTestServer::TOptions().Refuse("nobody@example.com"));
  TSmtpTestServer refusesData(TSmtpTestServer::TOptions().RefuseData());
  struct TCase {
    const char* Name;
    uint16_t Port;
    const char* Cause;  // in the failure text
  };
  const TCase cases[] = {
      {"nothing listens", ClosedPort(), "connect to 127.0.0.1:"},
      {"a recipient refused", refusesRecipient.Port(), "550"},
      {"the message refused", refusesData.Port(), "554"},
  };
  TSmtpTestServer working;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string pdf = "%PDF-1.4 " + std::string(c.Name);
    const std::string csv = "a;b\r\n1;2\r\n";
    const std::vector<std::string> files = {MakeFile("invoice.pdf", pdf), MakeFile("items.csv", csv)};
    const auto answer = Export(Config(c.Port, "<RECIPIENT=to@example.com,nobody@example.com>"),
                               {"SUBJECT=Invoice %NR", "NR=4711", "BODY=see attached"}, files);
    EXPECT_EQ(answer.Result, -1);
    EXPECT_EQ(answer.BufferUtf8().rfind("send mail exception (send mail exception (", 0), 0u) << answer.BufferUtf8();
    EXPECT_NE(answer.BufferUtf8().find(c.Cause), std::string::npos) << answer.BufferUtf8();

    // Kept, closed to others, and the document's files gone after that.
    const std::vector<fs::path> kept = Kept();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(std::regex_match(kept[0].filename().string(), std::regex("vxMAPI[0-9]{17}[0-9A-F]{32}\\.eml")))
        << kept[0];
    EXPECT_EQ(ModeOf(FailedMails()), 0700u);
    EXPECT_EQ(ModeOf(kept[0]), 0600u);
    for (const std::string& f : files) EXPECT_FALSE(fs::exists(f)) << f;
    EXPECT_EQ(Temp.Listing(), "");  // the export's own folder is gone

    const std::string bytes = TTestTempDir::ReadBytes(kept[0].string());
    const TReadMail mail = ReadMail(bytes);
    EXPECT_EQ(mail.Headers.at("Subject"), "Invoice 4711");
    EXPECT_EQ(mail.Headers.at("To"), "to@example.com, nobody@example.com");
    ASSERT_EQ(mail.Parts.size(), 3u);
    EXPECT_NE(mail.Parts[0].Text.find("see attached"), std::string::npos) << mail.Parts[0].Text;
    EXPECT_EQ(mail.Parts[1].FileName, "invoice.pdf");
    EXPECT_EQ(mail.Parts[1].Md5, Md5(pdf));
    EXPECT_EQ(mail.Parts[2].FileName, "items.csv");
    EXPECT_EQ(mail.Parts[2].Md5, Md5(csv));

    // Sent again, as it stands, through the relay to a server that works;
    // the kept file stays until its owner removes it.
    const size_t before = working.Messages().size();
    const auto relay = Export(Config(working.Port(), "<SENDEMLS=True>"), {}, {kept[0].string()});
    ASSERT_EQ(relay.Result, 0) << relay.BufferUtf8();
    const auto received = working.Messages();
    ASSERT_EQ(received.size(), before + 1);
    EXPECT_EQ(received.back().Content, bytes);
    EXPECT_EQ(received.back().MailFrom, "exports@example.com");
    EXPECT_EQ(received.back().RcptTo, (std::vector<std::string>{"to@example.com", "nobody@example.com"}));
    const TReadMail arrived = ReadMail(received.back().Content);
    ASSERT_EQ(arrived.Parts.size(), 3u);
    EXPECT_EQ(arrived.Parts[1].Md5, Md5(pdf));
    EXPECT_EQ(arrived.Parts[2].Md5, Md5(csv));
    EXPECT_TRUE(fs::exists(kept[0]));
    fs::remove(kept[0]);
  }
}

// Where the mail cannot be kept, nothing of the document is deleted.
TEST_F(ExportFailedMail, NotKeptThenTheFilesStay) {
  const fs::path elsewhere = Dir.Path() / "elsewhere";
  struct TCase {
    const char* Name;
    std::function<void(const fs::path& DataHome)> Prepare;
  };
  const TCase cases[] = {
      {"the data folder lies below a file",
       [&](const fs::path&) {
         TTestTempDir::WriteBytes(Dir.File("plain-file"), "x");
         setenv("XDG_DATA_HOME", (Dir.Path() / "plain-file/data").c_str(), 1);
       }},
      {"the failed-mails folder is a link to another folder",
       [&](const fs::path& DataHome) {
         fs::create_directories(FailedMails(DataHome).parent_path());
         fs::create_directories(elsewhere);
         fs::create_directory_symlink(elsewhere, FailedMails(DataHome));
       }},
      {"the temporary folder is missing",
       [&](const fs::path&) { setenv("TMPDIR", (Dir.Path() / "no-such-folder").c_str(), 1); }},
  };
  int round = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path data = Dir.Path() / ("data-" + std::to_string(++round));
    fs::create_directory(data);
    const vxTest::TScopedEnv dataEnv("XDG_DATA_HOME", data.string());
    const vxTest::TScopedEnv tempEnv("TMPDIR", Temp.Path().string());
    c.Prepare(data);
    const std::string file = MakeFile("report.pdf", "%PDF");
    const auto answer = Export(Config(ClosedPort(), "<RECIPIENT=to@example.com>"), {}, {file});
    EXPECT_EQ(answer.Result, -1);
    EXPECT_EQ(answer.BufferUtf8().rfind("send mail exception (send mail exception (", 0), 0u) << answer.BufferUtf8();
    EXPECT_EQ(TTestTempDir::ReadBytes(file), "%PDF");
    EXPECT_TRUE(!fs::exists(elsewhere) || fs::is_empty(elsewhere));
    EXPECT_EQ(Temp.Listing(), "");
  }
}

}  // namespace
