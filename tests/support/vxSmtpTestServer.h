// The local SMTP server of scripts/smtp_server.py, started for one test (or
// one benchmark) on its own free port with its own folder, and stopped and
// removed again by the destructor (vxPeerScript.h). Header-only so that
// bench/ can use it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/vxPeerScript.h"

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
  explicit TSmtpTestServer(const TOptions& options) : FPeer("smtp_server.py", Arguments(options)) {}

  TSmtpTestServer(const TSmtpTestServer&) = delete;
  TSmtpTestServer& operator=(const TSmtpTestServer&) = delete;

  uint16_t Port() const { return FPeer.Port(); }
  const std::filesystem::path& Folder() const { return FPeer.Folder(); }

  // The messages stored so far, in the order they arrived.
  std::vector<TReceived> Messages() const {
    std::vector<TReceived> result;
    for (int n = 1;; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "%04d", n);
      const std::filesystem::path eml = Folder() / "mail" / (std::string(name) + ".eml");
      const std::filesystem::path envelope = Folder() / "mail" / (std::string(name) + ".envelope");
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

  static std::string ReadFile(const std::filesystem::path& path) { return vxTest::TPeerScript::ReadFile(path); }

 private:
  static std::vector<std::string> Arguments(const TOptions& options) {
    std::vector<std::string> args = {"--dir", "{folder}/mail"};
    if (options.FStartTls) args.push_back("--starttls");
    if (options.FRequireStartTls) args.push_back("--require-starttls");
    if (options.FTls13Only) args.push_back("--tls13-only");
    if (options.FPipelining) args.push_back("--pipelining");
    if (!options.FAuthUser.empty()) args.insert(args.end(), {"--auth", options.FAuthUser + ":" + options.FAuthPassword});
    if (options.FAuthWithoutTls) args.push_back("--auth-without-tls");
    for (const std::string& r : options.FRefuse) args.insert(args.end(), {"--refuse", r});
    if (options.FRefuseData) args.push_back("--refuse-data");
    return args;
  }

  vxTest::TPeerScript FPeer;
};
