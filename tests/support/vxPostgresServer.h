// The throw-away PostgreSQL server of the tests (scripts/pg_server.sh). Under
// ctest one server serves the whole run (a fixture starts it and names its
// information file in VX_PG_INFO); a test program run by hand starts its own.
// Every test works in a fresh database of its own, so tests run in parallel.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/data/vxDataSet.h"

namespace vxTest {

class TPostgresServer {
 public:
  // The server, or nullptr with the reason in Why when none runs here.
  static TPostgresServer* Shared(std::string& Why) {
    static std::unique_ptr<TPostgresServer> server;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
      tried = true;
      std::string info;
      bool own = false;
      if (const char* named = std::getenv("VX_PG_INFO")) {
        info = named;
      } else {
        info = "/tmp/vx-pg-info." + std::to_string(::getpid());
        own = true;
        Run("start", info);
      }
      std::ifstream in(info);
      std::string line, port;
      while (std::getline(in, line)) {
        if (line.rfind("port=", 0) == 0) port = line.substr(5);
        if (line.rfind("error=", 0) == 0) failure = line.substr(6);
      }
      if (port.empty() && failure.empty()) failure = "the PostgreSQL server did not report its port (" + info + ")";
      if (failure.empty()) server.reset(new TPostgresServer(port, own ? info : std::string()));
      else if (own) Run("stop", info);
    }
    Why = failure;
    return server.get();
  }

  ~TPostgresServer() {
    if (!FOwnInfo.empty()) Run("stop", FOwnInfo);
  }

  // The connection string of the server's maintenance database.
  std::u16string ConnectionString(const std::string& Database = "postgres") const {
    const std::string s = "Provider=PostgreSQL;Host=127.0.0.1;Port=" + FPort + ";Database=" + Database + ";User ID=postgres";
    return std::u16string(s.begin(), s.end());
  }

 private:
  TPostgresServer(std::string Port, std::string OwnInfo) : FPort(std::move(Port)), FOwnInfo(std::move(OwnInfo)) {}

  static void Run(const char* Verb, const std::string& Info) {
    const char* source = std::getenv("VX_SOURCE_DIR");
    if (!source) throw std::runtime_error("VX_SOURCE_DIR is not set");
    const std::string command = std::string(source) + "/scripts/pg_server.sh " + Verb + " " + Info + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      // start reports its failures in the information file.
    }
  }

  std::string FPort;
  std::string FOwnInfo;
};

// A PostgreSQL server of one test's own, which the test may halt and resume
// (on the same port, with the same data); removed when the object goes.
class TOwnPostgresServer {
 public:
  // Why is set (and the object unusable) when no server could be started.
  explicit TOwnPostgresServer(std::string& Why) {
    static std::atomic<int> counter{0};
    FInfo = "/tmp/vx-pg-own." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    Run("start");
    std::ifstream in(FInfo);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("port=", 0) == 0) FPort = line.substr(5);
      if (line.rfind("error=", 0) == 0) Why = line.substr(6);
    }
    if (FPort.empty() && Why.empty()) Why = "the PostgreSQL server did not report its port";
  }
  ~TOwnPostgresServer() { Run("stop"); }
  TOwnPostgresServer(const TOwnPostgresServer&) = delete;
  TOwnPostgresServer& operator=(const TOwnPostgresServer&) = delete;

  // Stops the server, ending every session; true when it went.
  bool Halt() { return Run("halt"); }
  // Starts it again; true when it answers.
  bool Resume() { return Run("resume"); }
  std::u16string ConnectionString(const std::string& Database = "postgres") const {
    const std::string s = "Provider=PostgreSQL;Host=127.0.0.1;Port=" + FPort + ";Database=" + Database + ";User ID=postgres";
    return std::u16string(s.begin(), s.end());
  }

 private:
  bool Run(const char* Verb) {
    const char* source = std::getenv("VX_SOURCE_DIR");
    if (!source) throw std::runtime_error("VX_SOURCE_DIR is not set");
    const std::string command = std::string(source) + "/scripts/pg_server.sh " + Verb + " " + FInfo + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

  std::string FInfo;
  std::string FPort;
};

// A fresh database on the server for one test, dropped when the test ends.
class TPostgresDatabase {
 public:
  explicit TPostgresDatabase(const TPostgresServer& Server) : FServer(Server) {
    static std::atomic<int> counter{0};
    FName = "vxtest_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    TADOConnection admin(FServer.ConnectionString());
    admin.Execute(u"DROP DATABASE IF EXISTS " + Wide(FName) + u" WITH (FORCE)");
    admin.Execute(u"CREATE DATABASE " + Wide(FName));
  }
  ~TPostgresDatabase() {
    try {
      TADOConnection admin(FServer.ConnectionString());
      admin.Execute(u"DROP DATABASE IF EXISTS " + Wide(FName) + u" WITH (FORCE)");
    } catch (...) {
      // The server goes away with the run anyway.
    }
  }
  std::u16string ConnectionString() const { return FServer.ConnectionString(FName); }

 private:
  static std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
  const TPostgresServer& FServer;
  std::string FName;
};

}  // namespace vxTest
