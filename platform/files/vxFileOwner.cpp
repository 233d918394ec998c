// Creation times in an extended attribute, and file owners by account name.
#include "platform/files/vxFileOwner.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystemDetail.h"

namespace vxFileSystem {

namespace {

constexpr uint32_t NsPerSecond = 1'000'000'000;

std::string Nine(uint32_t value) {
  std::string digits = std::to_string(value);
  return std::string(9 - digits.size(), '0') + digits;
}

}  // namespace

std::string FileTimeToNanosecondText(TFileTime Time) {
  // Seconds * 10^9 + nanoseconds, written without ever forming that product:
  // the seconds' digits and nine digits of nanoseconds.
  const int64_t carry = vxRuntime::FloorDiv(Time.Nanoseconds, NsPerSecond);
  const auto ns = static_cast<uint32_t>(vxRuntime::FloorMod(Time.Nanoseconds, NsPerSecond));
  const int64_t seconds = Time.Seconds + carry;
  if (seconds >= 0) return seconds == 0 ? std::to_string(ns) : std::to_string(seconds) + Nine(ns);
  // Below zero the magnitude is (-seconds - 1) * 10^9 + (10^9 - ns), or
  // -seconds * 10^9 for a whole second.
  uint64_t high = 0 - static_cast<uint64_t>(seconds);
  uint32_t low = 0;
  if (ns != 0) {
    --high;
    low = NsPerSecond - ns;
  }
  return "-" + (high == 0 ? std::to_string(low) : std::to_string(high) + Nine(low));
}

bool NanosecondTextToFileTime(std::string_view Text, TFileTime& Time) {
  const bool negative = !Text.empty() && Text[0] == '-';
  if (negative) Text.remove_prefix(1);
  if (Text.empty() || Text.size() > 27) return false;
  for (char c : Text)
    if (c < '0' || c > '9') return false;
  const size_t split = Text.size() > 9 ? Text.size() - 9 : 0;
  int64_t high = 0;
  uint32_t low = 0;
  if (split > 0 && std::from_chars(Text.data(), Text.data() + split, high).ec != std::errc()) return false;
  std::from_chars(Text.data() + split, Text.data() + Text.size(), low);
  if (!negative) {
    Time = {high, static_cast<int32_t>(low)};
  } else if (low == 0) {
    Time = {-high, 0};
  } else {
    Time = {-high - 1, static_cast<int32_t>(NsPerSecond - low)};
  }
  return true;
}

bool SetCreationTime(const ustring& Path, TFileTime Time) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  const std::string text = FileTimeToNanosecondText(Time);
  return setxattr(native.c_str(), CreationTimeAttribute, text.data(), text.size(), 0) == 0;
}

bool GetCreationTime(const ustring& Path, TFileTime& Time) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  char text[40];
  const ssize_t n = getxattr(native.c_str(), CreationTimeAttribute, text, sizeof text);
  if (n > 0 && NanosecondTextToFileTime(std::string_view(text, static_cast<size_t>(n)), Time)) return true;
  TSearchRec status;
  if (!GetFileStatus(Path, status)) return false;
  Time = status.CreationTime;
  return true;
}

bool GetFileOwnerName(const ustring& Path, ustring& UserName) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) return false;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  while (getpwuid_r(st.st_uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  // An owner without an account entry has no name to give.
  if (!found) return false;
  UserName = Utf8ToWide(found->pw_name);
  return true;
}

}  // namespace vxFileSystem
