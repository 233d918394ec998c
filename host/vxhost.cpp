// vxhost: a command-line host for the e-mail export library. It loads the
// library with dlopen and drives its command protocol as a host process
// would, one document per run.
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/vxHostOptions.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxPrivateFolder.h"
#include "plugin/vxExportCommands.h"
#include "plugin/vxExportConfig.h"
#include "plugin/vxMailTools.h"

namespace {

using TvxWideExport = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);

// Room for the longest text the library can answer with.
constexpr size_t AnswerSize = size_t{1} << 20;

// A failed step of the run: its text goes to standard error.
struct THostFailure : std::runtime_error {
  int Status;
  THostFailure(const std::string& Text, int ExitStatus) : std::runtime_error(Text), Status(ExitStatus) {}
};

std::string ReadWholeFile(const std::string& Path, const char* What) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) throw THostFailure(std::string("cannot read the ") + What + " " + Path, 2);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The library, loaded for the run and unloaded at its end.
class TExportLibrary {
 public:
  explicit TExportLibrary(const std::string& Path) {
    FHandle = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) throw THostFailure(std::string("cannot load the export library: ") + dlerror(), 1);
    FEntry = reinterpret_cast<TvxWideExport>(dlsym(FHandle, "vxWideExport"));
    if (!FEntry) {
      dlclose(FHandle);
      throw THostFailure("the library " + Path + " has no function vxWideExport", 1);
    }
  }
  ~TExportLibrary() { dlclose(FHandle); }
  TExportLibrary(const TExportLibrary&) = delete;
  TExportLibrary& operator=(const TExportLibrary&) = delete;

  // Sends one command with Input as its text; returns the text the library
  // answers in (for the commands that answer). A failure raises its text.
  // Accepted lists further results that are no failure (1: the dialog was
  // closed without OK); Result receives the one given.
  std::string Command(int32_t Code, const std::string& Input = std::string(), int32_t Accepted = 0,
                      int32_t* Result = nullptr) {
    const ustring input = Utf8ToWide(Input);
    std::vector<char16_t> text(std::max(AnswerSize, input.size() + 1), u'\0');
    std::copy(input.begin(), input.end(), text.begin());
    std::vector<char16_t> buffer(AnswerSize, u'\0');
    const int32_t result = FEntry(Code, text.data(), 0, buffer.data());
    if (Result != nullptr) *Result = result;
    if (result != 0 && !(Accepted != 0 && result == Accepted)) {
      std::string failure = WideToUtf8(buffer.data());
      if (failure.empty()) failure = Code == cmdSetConfig ? "the configuration string does not parse" : "(no text)";
      throw THostFailure("command " + std::to_string(Code) + " failed (" + std::to_string(result) + "): " + failure,
                         1);
    }
    return WideToUtf8(text.data());
  }

 private:
  void* FHandle = nullptr;
  TvxWideExport FEntry = nullptr;
};

std::string DefaultLibrary() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "libvxsmtpexport.so";
  return (self.parent_path() / "libvxsmtpexport.so").string();
}

std::string Password(const TvxHostOptions& O) {
  if (O.PasswordFile) {
    std::string text = ReadWholeFile(*O.PasswordFile, "password file");
    if (const size_t end = text.find_first_of("\r\n"); end != std::string::npos) text.resize(end);
    return text;
  }
  if (const char* fromEnvironment = std::getenv("VXHOST_PASSWORD")) return fromEnvironment;
  return std::string();
}

// The configuration string of the setting flags, as the library writes it.
std::string ConfigFromFlags(const TvxHostOptions& O) {
  TvxExportSettings s;
  s.SMTPSERVER = Utf8ToWide(O.Server.value_or(""));
  s.SMTPPORT = 25;
  if (O.Port) {
    const std::string& port = *O.Port;
    int32_t value = 0;
    bool ok = !port.empty() && port.size() <= 5;
    for (char c : port) {
      ok = ok && c >= '0' && c <= '9';
      if (ok) value = value * 10 + (c - '0');
    }
    if (!ok || value == 0 || value > 65535) throw THostFailure("--port needs a port number (1 to 65535): " + port, 2);
    s.SMTPPORT = value;
  }
  s.FROMADDRESS = O.Sender ? Utf8ToWide(*O.Sender) : ustring(TvxMailTools::DefaultSender);
  s.FROMNAME = O.SenderName ? Utf8ToWide(*O.SenderName) : ustring(vxDefaultFromName);
  s.RECIPIENT = Utf8ToWide(O.Recipients.value_or(""));
  s.SUBJECT = Utf8ToWide(O.Subject.value_or(""));
  s.ZIPMAILATM = O.Zip;
  s.INSERTFLDS = !O.NoFieldList;
  s.SENDEMLS = O.SendEml;
  s.AUTHENTICATION = O.Login.has_value();
  s.USERNAME = Utf8ToWide(O.Login.value_or(""));
  if (O.Login) s.PASSWORD = Utf8ToWide(Password(O));
  s.USETLS = O.Tls;
  s.USESASL = O.Sasl;
  return WideToUtf8(AnsiToWide(vxExportConfig::BuildConfigString(s)));
}

// Copies of the document's files in a folder of their own: the library
// deletes what it is handed, and the user's files must stay. The folder is
// owned from before the first copy, so a refused file later on takes the
// copies made so far with it.
class THandOverFolder {
 public:
  explicit THandOverFolder(const std::vector<std::string>& Files) {
    if (Files.empty()) return;
    FFolder = vxFileSystem::TPrivateFolder(Utf8ToWide(std::filesystem::temp_directory_path().string()), u"vxhost.");
    if (!FFolder.Valid()) throw THostFailure("cannot make a temporary folder for the files", 1);
    const std::filesystem::path folder(WideToUtf8(FFolder.Path()));
    for (size_t i = 0; i < Files.size(); ++i) {
      const std::filesystem::path source(Files[i]);
      if (!std::filesystem::is_regular_file(source)) throw THostFailure("not a file: " + Files[i], 2);
      // One folder per file keeps two files of the same name apart.
      const std::filesystem::path own = folder / std::to_string(i + 1);
      std::filesystem::create_directory(own);
      const std::filesystem::path copy = own / source.filename();
      std::filesystem::copy_file(source, copy);
      FCopies.push_back(copy.string());
    }
  }

  const std::vector<std::string>& Copies() const { return FCopies; }

 private:
  vxFileSystem::TPrivateFolder FFolder;
  std::vector<std::string> FCopies;
};

int Run(const TvxHostOptions& O) {
  if (O.Help) {
    std::cout << HostUsage();
    return 0;
  }
  std::string config;
  if (!O.ConfigFile.empty()) {
    config = ReadWholeFile(O.ConfigFile, "configuration file");
    while (!config.empty() && (config.back() == '\n' || config.back() == '\r')) config.pop_back();
  } else if (O.HasSettings()) {
    config = ConfigFromFlags(O);
  }
  THandOverFolder files(O.HasDocument() ? O.Files : std::vector<std::string>());

  TExportLibrary library(O.Library.empty() ? DefaultLibrary() : O.Library);
  library.Command(cmdInit);
  if (O.AskVersion) std::cout << library.Command(cmdGetVersion) << "\n";
  if (O.AskTempPath) std::cout << library.Command(cmdGetTempPath) << "\n";
  if (!config.empty()) library.Command(cmdSetConfig, config);
  if (O.AskConfig) std::cout << library.Command(cmdGetConfig) << "\n";
  if (O.Configure) {
    int32_t result = 0;
    const std::string edited = library.Command(cmdConfigure, std::string(), 1, &result);
    library.Command(cmdDone);
    if (result == 1) {
      std::cerr << "vxhost: the configuration dialog was cancelled\n";
      return 3;
    }
    std::cout << edited << "\n";
    return 0;
  }
  if (O.HasDocument()) {
    library.Command(cmdNewDocument);
    for (const std::string& field : O.Fields) library.Command(cmdAddField, field);
    for (const std::string& file : files.Copies()) library.Command(cmdAddFile, file);
    library.Command(cmdExport);
    std::cout << "exported\n";
  }
  library.Command(cmdDone);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const TvxHostOptions options = ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    return Run(options);
  } catch (const THostFailure& e) {
    std::cerr << "vxhost: " << e.what() << "\n";
    return e.Status;
  } catch (const std::invalid_argument& e) {
    std::cerr << "vxhost: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "vxhost: " << e.what() << "\n";
    return 1;
  }
}
