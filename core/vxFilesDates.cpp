// TvxFiles: file dates, times and owner on the file-system layer.
#include "core/vxFilesDates.h"

#include <cmath>
#include <optional>

#include "core/vxToolsSystem.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileOwner.h"
#include "platform/files/vxFileSearch.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace vxFilesDates {
using namespace vxRuntime;

uint32_t DateTimeToDosDateTime(TDateTime Value) {
  if (!std::isfinite(Value)) return 0;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  try {
    DecodeDateTime(Value, y, mo, d, h, mi, s, ms);
  } catch (const Exception&) {
    return 0;
  }
  if (y < 1980 || y > 2107) return 0;
  const uint32_t date = (static_cast<uint32_t>(y - 1980) << 9) | (static_cast<uint32_t>(mo) << 5) | static_cast<uint32_t>(d);
  const uint32_t time = (static_cast<uint32_t>(h) << 11) | (static_cast<uint32_t>(mi) << 5) | static_cast<uint32_t>(s / 2);
  return (date << 16) | time;
}

TDateTime DosDateTimeToDateTime(uint32_t Value) {
  const uint32_t date = Value >> 16, time = Value & 0xFFFF;
  TDateTime result = 0;
  if (!TryEncodeDateTime(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15),
                         static_cast<int>(date & 31), static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 63),
                         static_cast<int>((time & 31) * 2), 0, result))
    return 0;
  return result;
}

namespace {

// The entry matching Pattern and its full path.
bool FirstMatch(const ustring& Pattern, vxFileSystem::TSearchRec& Entry, ustring& Path) {
  if (!vxFileSystem::FindFirstEntry(Pattern, vxFileSystem::faAnyFile, Entry)) return false;
  Path = vxFileSystem::ExtractFilePath(Pattern) + Entry.Name;
  return true;
}

// The last-write time of Pattern's first match in the DOS form, local time.
std::optional<TDateTime> DosLastWrite(const ustring& Pattern, bool FoldersToo) {
  vxFileSystem::TSearchRec entry;
  ustring path;
  if (!FirstMatch(Pattern, entry, path)) return std::nullopt;
  if (!FoldersToo && (entry.Attr & vxFileSystem::faDirectory)) return std::nullopt;
  try {
    const uint32_t dos = DateTimeToDosDateTime(vxFileSystem::FileTimeToLocalDateTime(entry.LastWriteTime));
    if (dos == 0) return std::nullopt;
    return DosDateTimeToDateTime(dos);
  } catch (const Exception&) {
    return std::nullopt;
  }
}

// The file can be written to as a whole: a folder, or a file that is not
// read-only.
bool MayWrite(const ustring& FileName) {
  const int32_t attr = vxFileSystem::FileGetAttr(FileName);
  if (attr == vxFileSystem::faInvalid) return false;
  return (attr & vxFileSystem::faDirectory) || !(attr & vxFileSystem::faReadOnly);
}

}  // namespace

int64_t FileAgeInMinutesAt(const ustring& FileName, TDateTime Now) {
  const auto written = DosLastWrite(FileName, false);
  if (!written) return 0;
  // In whole milliseconds first, so that an exact half minute is exact.
  const double ms = std::round((Now - *written) * 86'400'000.0);
  if (!std::isfinite(ms) || std::fabs(ms) > 9e15) return 0;
  const auto millis = static_cast<int64_t>(ms);
  int64_t minutes = millis / 60'000;
  int64_t rest = millis % 60'000;
  if (rest < 0) {
    rest += 60'000;
    --minutes;
  }
  if (rest > 30'000 || (rest == 30'000 && (minutes & 1) != 0)) ++minutes;
  return minutes;
}

}  // namespace vxFilesDates

namespace TvxFiles {
using vxRuntime::Now;

namespace {

const char16_t* const ConvertError = u"FileTime Convert Error";

TDateTime RaisingLocalTime(const ustring& Fname, bool Creation) {
  vxFileSystem::TSearchRec entry;
  ustring path;
  if (!vxFilesDates::FirstMatch(Fname, entry, path)) throw Exception(ConvertError);
  vxFileSystem::TFileTime time = entry.LastWriteTime;
  if (Creation && !vxFileSystem::GetCreationTime(path, time)) throw Exception(ConvertError);
  try {
    return vxFileSystem::FileTimeToLocalDateTime(time);
  } catch (const Exception&) {
    throw Exception(ConvertError);
  }
}

}  // namespace

TDateTime GetFileCreationDate(const ustring& Fname) { return RaisingLocalTime(Fname, true); }

TDateTime GetFileChangeDate(const ustring& Fname) { return RaisingLocalTime(Fname, false); }

TDateTime GetCreationTimeOfFile(const ustring& AFileName) {
  try {
    return RaisingLocalTime(AFileName, true);
  } catch (const Exception&) {
    return 0;
  }
}

TDateTime GetFileDateTime(const ustring& FileName) { return vxFilesDates::DosLastWrite(FileName, true).value_or(0); }

int64_t GetFileAgeInMinutes(const ustring& FileName) { return vxFilesDates::FileAgeInMinutesAt(FileName, Now()); }

bool SetFileTimesHelper(const ustring& FileName, TDateTime DateTime, TFileTimes Times) {
  if (!vxFilesDates::MayWrite(FileName)) return false;
  vxFileSystem::TFileTime time;
  try {
    time = vxFileSystem::LocalDateTimeToFileTime(DateTime);
  } catch (const Exception&) {
    return false;
  }
  switch (Times) {
    case ftLastAccess:
      return vxFileSystem::SetFileTimes(FileName, time, std::nullopt);
    case ftLastWrite:
      return vxFileSystem::SetFileTimes(FileName, std::nullopt, time);
    case ftCreation:
      return vxFileSystem::SetCreationTime(FileName, time);
  }
  return false;
}

bool SetFileLastWriteDate(const ustring& FileName, TDateTime DateTime) {
  return SetFileTimesHelper(FileName, DateTime, ftLastWrite);
}

bool SetFileLastAccessDate(const ustring& FileName, TDateTime DateTime) {
  return SetFileTimesHelper(FileName, DateTime, ftLastAccess);
}

bool SetFileCreationDate(const ustring& FileName, TDateTime DateTime) {
  return SetFileTimesHelper(FileName, DateTime, ftCreation);
}

bool SetFileDate(const ustring& FileName, TDateTime NewDate) {
  const uint32_t dos = vxFilesDates::DateTimeToDosDateTime(NewDate);
  if (dos == 0) return false;
  // Opened as the original does (read and write, others denied writing), so
  // that a file in use or read-only is refused.
  const auto file = vxFileSystem::TFileHandle::Open(FileName, fmOpenReadWrite | fmShareDenyWrite);
  if (!file.Valid()) return false;
  try {
    return vxFileSystem::SetFileTimes(
        FileName, std::nullopt, vxFileSystem::LocalDateTimeToFileTime(vxFilesDates::DosDateTimeToDateTime(dos)));
  } catch (const Exception&) {
    return false;
  }
}

bool TouchFile(const ustring& FileName) {
  if (!vxFilesDates::MayWrite(FileName)) return false;
  try {
    const TDateTime now = vxFilesDates::DosDateTimeToDateTime(vxFilesDates::DateTimeToDosDateTime(Now()));
    return vxFileSystem::SetFileTimes(FileName, std::nullopt, vxFileSystem::LocalDateTimeToFileTime(now));
  } catch (const Exception&) {
    return false;
  }
}

bool GetFileOwner(const ustring& FileName, ustring& Domain, ustring& Username) {
  ustring user;
  if (!vxFileSystem::GetFileOwnerName(FileName, user)) return false;
  Domain = TvxTools::GetComputerName();
  Username = std::move(user);
  return true;
}

}  // namespace TvxFiles
