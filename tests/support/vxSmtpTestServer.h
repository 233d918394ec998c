// The local SMTP server of scripts/smtp_server.py, started for one test (or
// one benchmark) on its own free port with its own folder, and stopped and
// removed again by the destructor. Header-only so that bench/ can use it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class TSmtpTestServer {
 public:
  // Switches of the server, set in a chain: TOptions().StartTls().Pipelining().
  struct TOptions {
    bool FStartTls = false, FRequireStartTls = false, FTls13Only = false, FPipelining = false;
    bool FAuthWithoutTls = false;
    std::string FAuthUser, FAuthPassword;  // empty user: no AUTH LOGIN
    std::vector<std::string> FRefuse;
    bool FRefuseData = false;

    TOptions& StartTls(bool on = true) { FStartTls = on; return *this; }
    TOptions& RequireStartTls() { FRequireStartTls = true; return *this; }
    TOptions& Tls13Only() { FTls13Only = true; return *this; }
    TOptions& Pipelining() { FPipelining = true; return *this; }
    TOptions& Auth(std::string user, std::string password) {
      FAuthUser = std::move(user);
      FAuthPassword = std::move(password);
      return *this;
    }
    TOptions& AuthWithoutTls(bool on = true) { FAuthWithoutTls = on; return *this; }
    TOptions& Refuse(std::string address) { FRefuse.push_back(std::move(address)); return *this; }
    // Every message is refused with 554 once its data has arrived.
    TOptions& RefuseData() { FRefuseData = true; return *this; }
  };

  // One stored message: its bytes and the envelope the server saw.
  struct TReceived {
    std::string Content;
    std::string MailFrom;
    std::vector<std::string> RcptTo;
    std::string MailOptions;
    std::string Tls;  // "none" or the TLS version
    std::string Sni;  // the server name the client sent under TLS, or empty
    std::string Login;
    std::string Helo;
  };

  TSmtpTestServer() : TSmtpTestServer(TOptions()) {}
  explicit TSmtpTestServer(const TOptions& options) {
    char pattern[] = "/tmp/vx-smtp-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a folder for the SMTP server");
    FFolder = pattern;
    const std::filesystem::path portFile = FFolder / "port";
    std::vector<std::string> args = {"/usr/bin/python3", ScriptPath(), "--dir", (FFolder / "mail").string(),
                                     "--port-file", portFile.string()};
    if (options.FStartTls) args.push_back("--starttls");
    if (options.FRequireStartTls) args.push_back("--require-starttls");
    if (options.FTls13Only) args.push_back("--tls13-only");
    if (options.FPipelining) args.push_back("--pipelining");
    if (!options.FAuthUser.empty()) args.insert(args.end(), {"--auth", options.FAuthUser + ":" + options.FAuthPassword});
    if (options.FAuthWithoutTls) args.push_back("--auth-without-tls");
    for (const std::string& r : options.FRefuse) args.insert(args.end(), {"--refuse", r});
    if (options.FRefuseData) args.push_back("--refuse-data");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = (FFolder / "server.log").string();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      std::filesystem::remove_all(FFolder);
      throw std::runtime_error("cannot start /usr/bin/python3 for the SMTP server");
    }
    // Wait for the port: the server writes the file once it listens.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(portFile)) {
      int status = 0;
      if (::waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        const std::string text = ReadFile(log);
        std::filesystem::remove_all(FFolder);
        throw std::runtime_error("the SMTP server did not start: " + text);
      }
      if (std::chrono::steady_clock::now() > giveUp) {
        Stop();
        throw std::runtime_error("the SMTP server did not start listening");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FPort = static_cast<uint16_t>(std::stoi(ReadFile(portFile)));
  }

  ~TSmtpTestServer() { Stop(); }
  TSmtpTestServer(const TSmtpTestServer&) = delete;
  TSmtpTestServer& operator=(const TSmtpTestServer&) = delete;

  uint16_t Port() const { return FPort; }
  const std::filesystem::path& Folder() const { return FFolder; }

  // The messages stored so far, in the order they arrived.
  std::vector<TReceived> Messages() const {
    std::vector<TReceived> result;
    for (int n = 1;; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "%04d", n);
      const std::filesystem::path eml = FFolder / "mail" / (std::string(name) + ".eml");
      const std::filesystem::path envelope = FFolder / "mail" / (std::string(name) + ".envelope");
      if (!std::filesystem::exists(eml) || !std::filesystem::exists(envelope)) return result;
      TReceived r;
      r.Content = ReadFile(eml);
      std::istringstream lines(ReadFile(envelope));
      for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(": ");
        const std::string key = line.substr(0, line.find(':'));
        const std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 2);
        if (key == "mail_from") r.MailFrom = value;
        else if (key == "rcpt_to") r.RcptTo.push_back(value);
        else if (key == "mail_options") r.MailOptions = value;
        else if (key == "tls") r.Tls = value;
        else if (key == "sni") r.Sni = value;
        else if (key == "login") r.Login = value;
        else if (key == "helo") r.Helo = value;
      }
      result.push_back(std::move(r));
    }
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  pid_t FPid = -1;
  uint16_t FPort = 0;
  std::filesystem::path FFolder;

  static std::string ScriptPath() {
    if (const char* source = std::getenv("VX_SOURCE_DIR")) return std::string(source) + "/scripts/smtp_server.py";
#ifdef VX_SOURCE_DIR_DEFAULT
    return std::string(VX_SOURCE_DIR_DEFAULT) + "/scripts/smtp_server.py";
#else
    throw std::runtime_error("VX_SOURCE_DIR is not set");
#endif
  }

  void Stop() noexcept {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      int status = 0;
      ::waitpid(FPid, &status, 0);
      FPid = -1;
    }
    std::error_code ignored;
    if (!FFolder.empty()) std::filesystem::remove_all(FFolder, ignored);
  }
};
