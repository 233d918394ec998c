// Named mutexes as flock-locked files in one private folder.
#include "platform/process/vxNamedMutex.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <string>

#include "platform/base/vxCodePage.h"

namespace vxNamedMutex {

namespace {

// What this process holds of each name.
struct THeld {
  int Exists = -1;  // shared lock: the mutex is kept open
  int Owner = -1;   // exclusive lock: the mutex is owned
};

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}
std::map<std::string, THeld>& Table() {
  static std::map<std::string, THeld> table;
  return table;
}

void Pause(int ms) { poll(nullptr, 0, ms); }

// A folder of our own with mode 0700, made when missing.
bool OwnFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

std::string NativeFolder() {
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') {
    const std::string varlo = std::string(runtime) + "/varlo";
    if (OwnFolder(varlo) && OwnFolder(varlo + "/mutex")) return varlo + "/mutex";
    return {};
  }
  std::string folder = "/tmp/varlo-mutex-";
  folder += std::to_string(geteuid());
  return OwnFolder(folder) ? folder : std::string();
}

// The folder and the encoded name; empty when there is no folder.
std::string BasePath(const ustring& Name) {
  const std::string folder = NativeFolder();
  if (folder.empty()) return {};
  std::string base = folder + "/";
  static const char* const Hex = "0123456789ABCDEF";
  for (unsigned char c : WideToUtf8(Name)) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
        c == '-') {
      base.push_back(static_cast<char>(c));
    } else {
      base.push_back('%');
      base.push_back(Hex[c >> 4]);
      base.push_back(Hex[c & 15]);
    }
  }
  return base;
}

int OpenFile(const std::string& path, bool create) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes the lock within TimeoutMs (polling, as flock has no time-out).
bool LockWithin(int fd, int operation, int32_t TimeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs < 0 ? 0 : TimeoutMs);
  for (;;) {
    if (flock(fd, operation | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Pause(2);
  }
}

// The guard of one name, held for a test-and-take.
class TGuard {
 public:
  explicit TGuard(const std::string& base) : FFd(OpenFile(base + ".guard", true)) {
    FLocked = FFd >= 0 && LockWithin(FFd, LOCK_EX, 10000);
  }
  ~TGuard() {
    if (FFd >= 0) close(FFd);
  }
  TGuard(const TGuard&) = delete;
  TGuard& operator=(const TGuard&) = delete;
  bool Locked() const { return FLocked; }

 private:
  int FFd;
  bool FLocked = false;
};

// Whether anyone keeps the name open; the guard is held by the caller.
bool ExistsLocked(const std::string& base) {
  {
    std::lock_guard<std::mutex> lock(TableLock());
    const auto held = Table().find(base);
    if (held != Table().end() && held->second.Exists >= 0) return true;
  }
  const int fd = OpenFile(base + ".exists", false);
  if (fd < 0) return false;
  const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return !free;
}

}  // namespace

ustring Folder() { return Utf8ToWide(NativeFolder()); }

bool Exists(const ustring& Name) {
  const std::string base = BasePath(Name);
  if (base.empty()) return false;
  TGuard guard(base);
  return guard.Locked() && ExistsLocked(base);
}

bool Create(const ustring& Name) {
  const std::string base = BasePath(Name);
  if (base.empty()) return false;
  TGuard guard(base);
  if (!guard.Locked() || ExistsLocked(base)) return false;
  const int exists = OpenFile(base + ".exists", true);
  if (exists < 0) return false;
  if (flock(exists, LOCK_SH | LOCK_NB) != 0) {
    close(exists);
    return false;
  }
  const int owner = OpenFile(base + ".owner", true);
  if (owner < 0 || flock(owner, LOCK_EX | LOCK_NB) != 0) {
    if (owner >= 0) close(owner);
    close(exists);
    return false;
  }
  std::lock_guard<std::mutex> lock(TableLock());
  THeld& held = Table()[base];
  held.Exists = exists;
  if (held.Owner >= 0) close(held.Owner);
  held.Owner = owner;
  return true;
}

TWaitResult Wait(const ustring& Name, int32_t TimeoutMs) {
  const std::string base = BasePath(Name);
  if (base.empty()) return TWaitResult::Failed;
  {
    TGuard guard(base);
    if (!guard.Locked()) return TWaitResult::Failed;
    if (!ExistsLocked(base)) return TWaitResult::NotFound;
  }
  {
    std::lock_guard<std::mutex> lock(TableLock());
    const auto held = Table().find(base);
    if (held != Table().end() && held->second.Owner >= 0) return TWaitResult::Acquired;  // owned already
  }
  const int owner = OpenFile(base + ".owner", true);
  if (owner < 0) return TWaitResult::Failed;
  if (!LockWithin(owner, LOCK_EX, TimeoutMs)) {
    const int error = errno;
    close(owner);
    return error == EWOULDBLOCK || error == EINTR ? TWaitResult::TimedOut : TWaitResult::Failed;
  }
  std::lock_guard<std::mutex> lock(TableLock());
  THeld& held = Table()[base];
  if (held.Owner >= 0) {
    close(owner);  // another thread of this process took it meanwhile
  } else {
    held.Owner = owner;
  }
  return TWaitResult::Acquired;
}

bool Release(const ustring& Name) {
  const std::string base = BasePath(Name);
  if (base.empty()) return false;
  std::lock_guard<std::mutex> lock(TableLock());
  const auto held = Table().find(base);
  if (held == Table().end() || held->second.Owner < 0) return false;
  close(held->second.Owner);
  held->second.Owner = -1;
  return true;
}

}  // namespace vxNamedMutex
