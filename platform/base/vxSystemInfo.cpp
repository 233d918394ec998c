// Facts about the running process, its user and the machine, from POSIX and
// /proc.
#include "platform/base/vxSystemInfo.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace vxSystemInfo {

std::optional<TUserEntry> CurrentUserEntry() {
  const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return std::nullopt;
  TUserEntry user;
  if (found->pw_name) user.Name = found->pw_name;
  if (found->pw_dir) user.Home = found->pw_dir;
  if (found->pw_gecos) {
    const std::string gecos = found->pw_gecos;
    user.FullName = gecos.substr(0, gecos.find(','));
  }
  return user;
}

ustring GetLoginName() {
  if (const auto user = CurrentUserEntry(); user && !user->Name.empty()) return Utf8ToWide(user->Name);
  for (const char* name : {"USER", "LOGNAME"}) {
    if (const char* value = std::getenv(name); value && *value) return Utf8ToWide(value);
  }
  return Utf8ToWide(std::to_string(geteuid()));
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
  if (const auto user = CurrentUserEntry(); user && !user->Home.empty() && user->Home[0] == '/') return user->Home;
  return {};
}

uint32_t GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);  // wraps as the 32-bit counter does
}

uint32_t GetCoarseTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

int GetProcessorCount() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

uint64_t ResidentPagesOfStatm(std::string_view Statm) {
  // "total resident ...", in pages.
  uint64_t total = 0, resident = 0;
  const char* const end = Statm.data() + Statm.size();
  const auto first = std::from_chars(Statm.data(), end, total);
  if (first.ec != std::errc() || first.ptr == end || *first.ptr != ' ') return 0;
  if (std::from_chars(first.ptr + 1, end, resident).ec != std::errc()) return 0;
  return resident;
}

uint64_t GetResidentSetSize(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/statm";
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return 0;
  char text[128];
  const size_t length = std::fread(text, 1, sizeof text, file);
  std::fclose(file);
  return ResidentPagesOfStatm(std::string_view(text, length)) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

pid_t GetCurrentProcessId() { return getpid(); }

ustring GetErrorMessage(int errorCode) {
  if (errorCode == 0) return {};
  const std::string text = vxExceptions::ErrnoText(errorCode);
  // glibc answers unknown codes with "Unknown error N": the system has no message.
  if (text.empty() || text.starts_with("Unknown error")) return {};
  return Utf8ToWide(text);
}

ustring ExecutablePath() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return {};
  path.resize(static_cast<size_t>(n));
  return Utf8ToWide(path);
}

}  // namespace vxSystemInfo

std::string vxSystemInfo::MachineName() {
  utsname names;
  return uname(&names) == 0 ? std::string(names.machine) : std::string();
}
