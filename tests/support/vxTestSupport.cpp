// The parts of the test support that are not templates: temporary folders,
// scope guards for process state, and waiting for child processes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxTimeZoneGuard.h"
#include "support/vxXvfb.h"

// ---- TTestTempDir

TTestTempDir::TTestTempDir(const std::string& Prefix) {
  // temp_directory_path honours TMPDIR.
  std::string pattern = (std::filesystem::temp_directory_path() / (Prefix + ".XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed for " + pattern + ": " + std::to_string(errno));
  FPath = pattern;
}

TTestTempDir::~TTestTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

ustring TTestTempDir::WideFile(const std::string& name) const { return Utf8ToWide(File(name)); }

std::string TTestTempDir::ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void TTestTempDir::WriteBytes(const std::string& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TTestTempDir::Listing() const {
  std::vector<std::string> all;
  for (const auto& e : std::filesystem::directory_iterator(FPath)) all.push_back(e.path().filename().string());
  std::sort(all.begin(), all.end());
  std::string names;
  for (const auto& n : all) names += n + ";";
  return names;
}

namespace vxTest {

// ---- TScopedEnv

TScopedEnv::TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
  if (const char* old = getenv(name)) FOld = old;
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

TScopedEnv::~TScopedEnv() {
  if (FOld)
    setenv(FName.c_str(), FOld->c_str(), 1);
  else
    unsetenv(FName.c_str());
}

// ---- TScopedUmask

TScopedUmask::TScopedUmask(mode_t Mask) : FOld(umask(Mask)) {}

TScopedUmask::~TScopedUmask() { umask(FOld); }

// ---- child processes

int WaitForChild(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// ---- TXvfbServer

TXvfbServer::TXvfbServer(int Width, int Height) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    FFailure = "no pipe for Xvfb";
    return;
  }
  // Everything the child needs is made before fork: it only calls
  // async-signal-safe functions.
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
  const char* args[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives the tests
    fcntl(fds[1], F_SETFD, 0);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    execvp(args[0], const_cast<char* const*>(args));
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    FFailure = "fork failed";
    return;
  }
  // Xvfb writes its display number once it takes connections.
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (number.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[32];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) {
    kill(pid, SIGTERM);
    const int status = WaitForChild(pid);
    FFailure = status == 127 ? "Xvfb could not be run (is it installed?)"
                             : "Xvfb did not start (exit status " + std::to_string(status) + ")";
    return;
  }
  FPid = pid;
  FDisplay = ":" + number.substr(0, number.find('\n'));
}

TXvfbServer::~TXvfbServer() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    WaitForChild(FPid);
  }
}

// ---- TUnservedDisplay

namespace {

// Whether something accepts connections on the local socket Path (in the
// abstract name space when Abstract).
bool LocalSocketAnswers(const std::string& Path, bool Abstract) {
  const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = Abstract ? 1 : 0;
  std::memcpy(address.sun_path + offset, Path.data(), std::min(Path.size(), sizeof address.sun_path - 1 - offset));
  const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + Path.size());
  const bool answers = connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  close(s);
  return answers;
}

}  // namespace

TUnservedDisplay::TUnservedDisplay() {
  // Numbers far above the usual ones, starting at a place of this process's
  // own so that tests running side by side rarely try the same ones.
  constexpr int first = 300, count = 600;
  const int start = static_cast<int>(getpid() % count);
  for (int i = 0; i < count; ++i) {
    const int number = first + (start + i) % count;
    const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
    const int fd = open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (fd < 0) continue;
    // The lock file's content as X servers write it: the owner's process
    // id, right-aligned in ten characters, and a line end.
    std::string pid = std::to_string(getpid());
    pid = std::string(pid.size() < 10 ? 10 - pid.size() : 0, ' ') + pid + "\n";
    const bool written = write(fd, pid.data(), pid.size()) == static_cast<ssize_t>(pid.size());
    close(fd);
    const std::string socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
    if (!written || LocalSocketAnswers(socketPath, true) || LocalSocketAnswers(socketPath, false)) {
      unlink(lock.c_str());
      continue;
    }
    FLockFile = lock;
    FDisplay = ":" + std::to_string(number);
    return;
  }
  throw std::runtime_error("no free X display number to hold");
}

TUnservedDisplay::~TUnservedDisplay() { unlink(FLockFile.c_str()); }

namespace {

std::unique_ptr<TXvfbServer>& SharedXvfbServer() {
  static std::unique_ptr<TXvfbServer> server = [] {
    auto started = std::make_unique<TXvfbServer>();
    if (started->Running()) {
      setenv("DISPLAY", started->Display().c_str(), 1);
      setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    return started;
  }();
  return server;
}

}  // namespace

const TXvfbServer* SharedXvfb() {
  const auto& server = SharedXvfbServer();
  return server->Running() ? server.get() : nullptr;
}

std::string SharedXvfbFailure() { return SharedXvfbServer()->Failure(); }

}  // namespace vxTest

// ---- TTimeZoneGuard

TTimeZoneGuard::TTimeZoneGuard(const char* zone) {
  FZone.emplace("TZ", std::string(zone));
  tzset();
}

TTimeZoneGuard::~TTimeZoneGuard() {
  FZone.reset();  // TZ as it was
  tzset();
}
