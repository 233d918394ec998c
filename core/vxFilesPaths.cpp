// TvxFiles: folders, path texts and free file names.
#include "core/vxFilesPaths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "core/vxStrings.h"
#include "core/vxStringsIds.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsFolders.h"
#include "core/vxToolsSystem.h"
#include "core/vxWin32.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSearch.h"
#include "platform/files/vxFileSystem.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxShellFolders.h"

namespace TvxFiles {

const ustring ValidFileNameChars =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\u00E4\u00F6\u00FC\u00C4\u00D6\u00DC\u00DF"
    u".,;~-_+^(){}[]!\u00A7$%&#@\u20AC ";

namespace {

using vxFileSystem::PathDelim;

const ustring Delim(1, PathDelim);

// The first Count characters of S, one fewer when the cut would split a
// surrogate pair, which no file name on disk can hold.
ustring Head(const ustring& S, int32_t Count) {
  if (Count <= 0) return {};
  if (static_cast<size_t>(Count) >= S.size()) return S;
  size_t n = static_cast<size_t>(Count);
  if (S[n - 1] >= 0xD800 && S[n - 1] <= 0xDBFF) --n;
  return S.substr(0, n);
}

// Every run of two blanks made one, in one pass.
ustring SingleBlanks(const ustring& S) { return TvxStrings::ReplaceW(S, u"  ", u" "); }

// Something of any kind (a dangling link included) is there under Path.
bool NameTaken(const ustring& Path) { return vxFileSystem::FileGetAttr(Path) != vxFileSystem::faInvalid; }

}  // namespace

// ---- Folders ----

ustring GetTempPath() { return CheckPathExt(vxFileSystem::SystemTempFolder()); }

ustring GetUserTempPath() { return TvxTools::GetSpecialFolderPath(vxFileSystem::CSIDL_LOCAL_APPDATA) + u"Temp/"; }

ustring GetWinPath(bool UserSpecific) {
  (void)UserSpecific;
  return CheckPathExt(TvxWin32::GetWindowsDirectory());
}

ustring GetSpecialFolder(int32_t Folder) { return vxFileSystem::ShellFolder(Folder); }

bool CreatePath(const ustring& Path, bool CheckExistence) {
  const ustring dir = vxFileSystem::ExtractFilePath(Path);
  if (CheckExistence && PathExists(dir)) return true;
  bool result = false;
  for (size_t i = 0; i < dir.size(); ++i)
    if (dir[i] == PathDelim) result = vxFileSystem::CreateDir(dir.substr(0, i + 1));
  return result;
}

bool PathExists(const ustring& Path) {
  const ustring folder = CheckPathExt(vxFileSystem::ExtractFilePath(Path));
  return !folder.empty() && vxFileSystem::DirectoryExists(folder);
}

bool FileExists(const ustring& Path) {
  vxFileSystem::TSearchRec entry;
  return !Path.empty() && vxFileSystem::FindFirstEntry(Path, 0, entry);
}

// ---- Path texts ----

ustring CheckPathExt(const ustring& Path) { return vxFileSystem::IncludeTrailingPathDelimiter(vxRuntime::Trim(Path)); }

ustring ErasePathExt(const ustring& Path) { return vxFileSystem::ExcludeTrailingPathDelimiter(vxRuntime::Trim(Path)); }

ustring CheckFileExtension(const ustring& Extension, bool ToLowercase) {
  ustring result = vxRuntime::Trim(Extension);
  if (!result.empty() && result[0] != vxFileSystem::ExtensionDelim) result.insert(result.begin(), u'.');
  return ToLowercase ? LowerStrW(result) : result;
}

ustring ExtractPureFileName(const ustring& Path) {
  const ustring name = vxFileSystem::ExtractFileName(Path);
  const size_t dot = name.rfind(vxFileSystem::ExtensionDelim);
  return dot == ustring::npos ? name : name.substr(0, dot);
}

ustring GetFileExtention(const ustring& FilePath) {
  const size_t dot = FilePath.rfind(vxFileSystem::ExtensionDelim);
  return dot == ustring::npos ? FilePath : FilePath.substr(dot);
}

ustring BuildPathStr(const ustring& InPath, bool CheckPathSuffix, const ustring& UserName, const ustring& HostName) {
  const ustring path = TvxStrings::CheckDefaultPlaceHolders(InPath, UserName, HostName);
  return CheckPathSuffix ? CheckPathExt(path) : path;
}

ustring ShortPath(const ustring& Path, int32_t Maxlen) {
  if (Path.size() <= static_cast<size_t>(std::max(Maxlen, 0))) return Path;
  const ustring name = vxFileSystem::ExtractFileName(Path);
  const long long budget = static_cast<long long>(Maxlen) - static_cast<long long>(name.size()) - 4;
  ustring head;
  ustring rest = Path;
  size_t p = rest.find(PathDelim);
  while (p != ustring::npos && static_cast<long long>(head.size() + p + 1) < budget) {
    head += rest.substr(0, p + 1);
    rest.erase(0, p + 1);
    p = rest.find(PathDelim);
  }
  return head + u"..." + Delim + name;
}

ustring GetShortDOSPath(const ustring& SLongName) {
  if (!NameTaken(SLongName)) throw Exception(u"unable to determine short path name from " + SLongName);
  return SLongName;
}

bool EqualsFileName(const ustring& PathWithoutMask, const ustring& PathPossibleWithMask) {
  return TvxStrings::EqualsExW(vxFileSystem::ExtractFileName(PathWithoutMask),
                               vxFileSystem::ExtractFileName(PathPossibleWithMask), true, true, u"*", u"?");
}

// ---- File names ----

ustring ConvertToFileName(const ustring& Str) {
  ustring name = TvxStrings::DeleteControlChars(Str);
  for (char16_t& c : name)
    if (ValidFileNameChars.find(c) == ustring::npos) c = u'_';
  while (name.find(u"__") != ustring::npos) name = TvxStrings::ReplaceW(name, u"__", u"_");
  while (name.find(u"  ") != ustring::npos) name = TvxStrings::ReplaceW(name, u"  ", u" ");
  if (!name.empty() && name[0] == u'_') name[0] = u' ';
  name = vxRuntime::Trim(name);
  // "." and ".." name folders, never a file.
  if (name.empty() || name == u"." || name == u"..") return TvxStrings::CreateId().WideStr();
  return name;
}

ustring GetFreeFileName(const ustring& Destination, uint32_t MaxRetry, const ustring& Separator, bool AlwaysAddId,
                        bool WithLeadingZero) {
  const ustring ext = vxFileSystem::ExtractFileExt(Destination);
  const ustring base = Destination.substr(0, Destination.size() - ext.size());
  ustring candidate;
  uint32_t n = 0;
  for (;;) {
    ++n;
    if (n == 1 && !AlwaysAddId) {
      candidate = Destination;
    } else {
      ustring number = Utf8ToWide(std::to_string(n));
      if (WithLeadingZero) number = TvxStrings::FillStrNullW(number, 6);
      candidate = base + Separator + number + ext;
    }
    if (n >= MaxRetry || !NameTaken(candidate)) break;
  }
  while (NameTaken(candidate))
    candidate = base + Separator + vxRuntime::FormatDateTime(u"yyyymmddhhnnsszzz", vxRuntime::Now()) + ext;
  return candidate;
}

ustring DetermineNewFilename(const ustring& Destination, const TStrings& FileList, const ustring& ValidExtensions,
                             const ustring& NewExtension, int32_t MaxFilenameLength, int32_t MaxFinalLength) {
  const ustring folder = vxFileSystem::ExtractFilePath(Destination);
  const ustring extension = CheckFileExtension(NewExtension, true);
  ustring allowed;
  for (char16_t c : UpperStrW(ValidExtensions) + u",")
    if (c != u' ' && c != u'.') allowed += c;

  std::vector<ustring> names;
  for (int32_t i = 0; i < FileList.Count(); ++i) {
    const ustring& entry = FileList[i];
    const ustring key = UpperStrW(vxRuntime::Copy(vxFileSystem::ExtractFileExt(entry), 2, INT32_MAX)) + u",";
    if (allowed == u"*," || allowed.find(key) != ustring::npos) names.push_back(SingleBlanks(ExtractPureFileName(entry)));
  }

  ustring name;
  if (names.empty()) {
    name = u"Document";
  } else if (names.size() == 1) {
    name = names[0];
  } else {
    for (const ustring& one : names) {
      if (!name.empty()) name += u", ";
      name += one.size() > static_cast<size_t>(std::max(MaxFilenameLength, 0)) ? Head(one, MaxFilenameLength) + u"..."
                                                                               : one;
    }
  }
  if (!names.empty()) {
    if (name.size() > static_cast<size_t>(std::max(MaxFinalLength, 0))) name = Head(name, MaxFinalLength) + u"...";
    name = TvxStrings::ReplaceW(name, u"....", u"...");
  }
  return GetFreeFileName(folder + name + extension, 99999999, u"-", false, false);
}

ustring CreateUniqueFilename(const ustring& TempDirectory, const ustring& Ext) {
  const ustring folder = vxFileSystem::IncludeTrailingPathDelimiter(TempDirectory);
  // The system's way: a 16-bit number, tried upward from a random start
  // until a file of that name can be created.
  const uint32_t start = std::random_device{}() & 0xFFFF;
  for (uint32_t i = 0; i < 0xFFFF; ++i) {
    uint32_t number = (start + i) % 0xFFFF + 1;  // 1 .. 65535
    ustring name = u"~";
    vxRuntime::AppendHex(name, number, 1);
    const vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::CreateNew(folder + name + u".tmp");
    if (file.Valid()) return folder + name + ustring(8 - name.size(), u'0') + u"." + Ext;
    if (errno != EEXIST) break;
  }
  throw Exception(TvxTools::GetLastErrorMessage());
}

}  // namespace TvxFiles
