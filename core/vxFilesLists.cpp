// TvxFiles: folder and file lists on the directory search of the layer.
#include "core/vxFilesLists.h"

#include <unordered_set>

#include "core/vxFilesContent.h"
#include "core/vxFilesDates.h"
#include "core/vxFilesPaths.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxStringsWildcard.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSearch.h"
#include "platform/files/vxFileSystem.h"
#include "core/vxToolsEvo2.h"
#include "platform/time/vxDateUtils.h"

namespace vxFilesLists {

namespace fs = vxFileSystem;

namespace {

// The names of the real folders (no links, no hidden ones) in Folder.
std::vector<ustring> FoldersIn(const ustring& Folder, const ustring& Mask) {
  std::vector<ustring> names;
  for (const auto& e : fs::FindEntries(Folder + Mask, fs::faDirectory)) {
    if (!(e.Attr & fs::faDirectory) || (e.Attr & (fs::faSymLink | fs::faHidden | fs::faSysFile))) continue;
    if (e.Name == u"." || e.Name == u"..") continue;
    names.push_back(e.Name);
  }
  return names;
}

}  // namespace

std::vector<ustring> TreeFolders(const ustring& Root, bool SubFolders) {
  std::vector<ustring> folders{Root};
  if (SubFolders) {
    TStringList list;
    TvxFiles::GetPathList(Root + u"*.*", list, false, true);
    for (int32_t i = 0; i < list.Count(); ++i) folders.push_back(list[i]);
  }
  return folders;
}

std::vector<fs::TSearchRec> FilesIn(const ustring& Folder, const ustring& Mask, bool IncludeHidden) {
  std::vector<fs::TSearchRec> names;
  const int32_t attr = IncludeHidden ? fs::faArchive | fs::faReadOnly | fs::faHidden : fs::faArchive;
  for (const auto& e : fs::FindEntries(Folder + Mask, attr))
    if ((e.Attr & fs::faArchive) && !(e.Attr & (fs::faDirectory | fs::faSysFile))) names.push_back(e);
  return names;
}

uint32_t DaysToMinutes(uint32_t Days, TDateTime Now) {
  if (Days == 0) return 0;
  int h = 0, m = 0, s = 0, ms = 0;
  vxRuntime::DecodeTime(Now, h, m, s, ms);
  const int64_t minutes = static_cast<int64_t>(Days) * 1440 + h * 60 + m - 1440;
  return static_cast<uint32_t>(minutes);
}

}  // namespace vxFilesLists

namespace TvxFiles {

namespace fs = vxFileSystem;

namespace {

// Appends the folders below R that Known does not hold yet, each directly
// followed by the folders below it when Recursive. A folder Known holds is
// neither listed nor entered again.
void AppendFolders(const ustring& R, TStrings& PathList, std::unordered_set<ustring>& Known, bool Recursive) {
  for (const auto& name : vxFilesLists::FoldersIn(R, u"*.*")) {
    ustring p = R + name + u"/";
    if (!Known.insert(p).second) continue;
    PathList.Add(p);
    if (Recursive) AppendFolders(p, PathList, Known, true);
  }
}

}  // namespace

bool GetPathList(const ustring& Root, TStrings& PathList, bool AddRoot, bool Recursive) {
  const ustring r = fs::ExtractFilePath(Root);
  // What the list holds already, in a set: one lookup per folder, however
  // long the list. Paths are compared exactly, as the file system compares
  // names ("a/" and "A/" are two folders here).
  std::unordered_set<ustring> known;
  known.reserve(static_cast<size_t>(PathList.Count()));
  for (int32_t i = 0; i < PathList.Count(); ++i) known.insert(PathList[i]);
  if (AddRoot && known.insert(r).second) PathList.Add(r);
  if (r.empty()) return true;
  AppendFolders(r, PathList, known, Recursive);
  return true;
}

namespace {

bool Ignored(const ustring& Path, const TStrings* IgnorePathes) {
  if (!IgnorePathes) return false;
  for (int32_t i = 0; i < IgnorePathes->Count(); ++i)
    if (TvxStrings::Contains(Path, (*IgnorePathes)[i], true)) return true;
  return false;
}

bool SubDirs(const ustring& SSearchPath, TStrings& ResultList, const TStrings* IgnorePathes, bool Recusive,
             bool AddRoot) {
  if (Ignored(SSearchPath, IgnorePathes)) return false;
  if (AddRoot) ResultList.Add(SSearchPath);
  std::vector<ustring> found;
  for (const auto& name : vxFilesLists::FoldersIn(SSearchPath, u"*")) {
    const ustring p = SSearchPath + name + u"/";
    if (Ignored(p, IgnorePathes)) continue;
    ResultList.Add(p);
    found.push_back(p);
  }
  if (Recusive)
    for (const auto& p : found) SubDirs(p, ResultList, IgnorePathes, true, false);
  return ResultList.Count() > 0;
}

}  // namespace

bool GetSubDirs(const ustring& SSearchPath, TStrings& ResultList, const TStrings* IgnorePathes, bool Recusive,
                bool AddRoot) {
  ResultList.BeginUpdate();
  bool result = false;
  try {
    result = SubDirs(SSearchPath, ResultList, IgnorePathes, Recusive, AddRoot);
  } catch (...) {
    ResultList.EndUpdate();
    throw;
  }
  ResultList.EndUpdate();
  return result;
}

bool GetFlatPathList(const ustring& Root, TStrings& PathList) {
  const ustring r = CheckPathExt(Root);
  if (r.empty()) return true;
  for (const auto& e : fs::FindEntries(r + u"*", fs::faDirectory)) {
    if (!(e.Attr & fs::faDirectory) || (e.Attr & (fs::faHidden | fs::faSysFile))) continue;
    if (e.Name == u"." || e.Name == u"..") continue;
    PathList.Add(e.Name);
  }
  return true;
}

bool DeletePath(const ustring& Path, bool Recursive) {
  const ustring r = fs::ExtractFilePath(Path);
  if (r.empty()) return false;
  if (!Recursive) return fs::RemoveDir(r);
  const auto folders = vxFilesLists::TreeFolders(r, true);
  bool all = true;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it)
    if (!fs::RemoveDir(*it)) all = false;
  return all;
}

bool DirectoryIsEmpty(const ustring& Path) {
  if (Path.empty() || !fs::DirectoryExists(Path)) return false;
  // Every entry but the two dot entries counts, wherever they stand.
  fs::TFileSearch search(fs::IncludeTrailingPathDelimiter(Path) + u"*", fs::faAnyFile);
  fs::TSearchRec e;
  while (search.Next(e))
    if (e.Name != u"." && e.Name != u"..") return false;
  return true;
}

bool DeleteDirectoryIsEmpty(const ustring& Path) {
  if (!DirectoryIsEmpty(Path)) return false;
  return fs::RemoveDir(Path);
}

int32_t DeleteFile32(const ustring& Source, uint32_t AgeInMin, bool Subfolder, bool RetainExecutables) {
  int32_t count = 0;
  const ustring root = fs::ExtractFilePath(Source), mask = fs::ExtractFileName(Source);
  if (root.empty()) return 0;
  for (const auto& folder : vxFilesLists::TreeFolders(root, Subfolder))
    for (const auto& entry : vxFilesLists::FilesIn(folder, mask, false)) {
      const ustring& name = entry.Name;
      const ustring file = folder + name;
      if (AgeInMin != 0 && GetFileAgeInMinutes(file) < static_cast<int64_t>(AgeInMin)) continue;
      if (RetainExecutables) {
        const ustring ext = LowerStrW(fs::ExtractFileExt(name));
        if (ext == u".dll" || ext == u".exe" || ext == u".com" || ext == u".sys") continue;
      }
      if (ForceDeleteFile(file)) ++count;
    }
  return count;
}

namespace {

// Every entry matching Path that is neither a folder nor a volume label.
template <class Select>
uint32_t CollectFiles(const ustring& Path, TStringList& FileList, int32_t Attributes, int32_t MaxFiles,
                      Select&& Selected) {
  FileList.SetSorted(true);
  FileList.SetDuplicates(dupIgnore);
  uint32_t count = 0;
  try {
    const ustring folder = fs::ExtractFilePath(Path);
    fs::TFileSearch search(Path, fs::faAnyFile);
    fs::TSearchRec e;
    while (search.Next(e)) {
      if ((e.Attr & Attributes) && !(e.Attr & (fs::faDirectory | fs::faVolumeID)) && Selected(folder + e.Name, e)) {
        FileList.Add(folder + e.Name);
        ++count;
      }
      if (MaxFiles >= 1 && FileList.Count() >= MaxFiles) break;
    }
  } catch (const std::exception&) {
  }
  return count;
}

}  // namespace

uint32_t GetFileListByFileAgeInMinutes(const ustring& Path, uint32_t Minutes, TStringList& FileList, TFileAge FileAge,
                                       int32_t Attributes, int32_t MaxFiles) {
  return CollectFiles(Path, FileList, Attributes, MaxFiles, [&](const ustring& file, const fs::TSearchRec&) {
    if (Minutes == 0) return true;
    const int64_t age = GetFileAgeInMinutes(file);
    return FileAge == faYounger ? age <= static_cast<int64_t>(Minutes) : age >= static_cast<int64_t>(Minutes);
  });
}

uint32_t GetFileListByFileAgeInDays(const ustring& Path, uint32_t Days, TStringList& FileList, TFileAge FileAge,
                                    int32_t Attributes, int32_t MaxFiles) {
  try {
    return GetFileListByFileAgeInMinutes(Path, vxFilesLists::DaysToMinutes(Days, vxRuntime::Now()), FileList,
                                         FileAge, Attributes, MaxFiles);
  } catch (const std::exception&) {
    return 0;
  }
}

uint32_t GetFileListByFileAgeBetweenInMinutes(const ustring& Path, uint32_t FromMinutes, uint32_t ToMinutes,
                                              TStringList& FileList) {
  return CollectFiles(Path, FileList, ~0, 0, [&](const ustring& file, const fs::TSearchRec&) {
    const int64_t age = GetFileAgeInMinutes(file);
    if (FromMinutes != 0 && age < static_cast<int64_t>(FromMinutes)) return false;
    if (ToMinutes != 0 && age > static_cast<int64_t>(ToMinutes)) return false;
    return true;
  });
}

uint32_t GetFileListBetweenFileAgeInDays(const ustring& Path, uint32_t FromDays, uint32_t ToDays,
                                         TStringList& FileList) {
  try {
    const TDateTime now = vxRuntime::Now();
    return GetFileListByFileAgeBetweenInMinutes(Path, vxFilesLists::DaysToMinutes(FromDays, now),
                                                vxFilesLists::DaysToMinutes(ToDays, now), FileList);
  } catch (const std::exception&) {
    return 0;
  }
}

uint32_t GetFileListByFileAgeBetweenDate(const ustring& Path, TDateTime FromDate, TDateTime ToDate,
                                         TStringList& FileList) {
  return CollectFiles(Path, FileList, ~0, 0, [&](const ustring& file, const fs::TSearchRec& e) {
    const TDateTime t = GetFileDateTime(file);
    return t >= FromDate && t <= ToDate && EqualsFileName(e.Name, Path);
  });
}

bool GetFilePathesWithTypesInList(const ustring& AFilePath, const TStrings& AllowedList, TStrings& FilePathesResult,
                                  bool IsStarReplacerAllowed) {
  (void)IsStarReplacerAllowed;  // the "*" is a wildcard either way
  const ustring ext = GetFileExtention(AFilePath);
  bool ok = true;
  int32_t found = 0;
  for (int32_t i = 0; i < AllowedList.Count(); ++i) {
    const ustring e = u"." + AllowedList[i];
    if (!TvxStrings::EqualsExW(e, ext, true, true, true, false)) continue;
    // Exact replacement, so that the list's spelling of the extension wins.
    const ustring r = TvxStrings::ReplaceExactW(AFilePath, ext, e);
    if (r.size() >= e.size() && UpperStrW(r.substr(r.size() - e.size())) == UpperStrW(e)) {
      FilePathesResult.Add(r);
      ++found;
    } else {
      ok = false;
    }
  }
  return ok && found > 0;
}

int32_t GetFileTypesFromPathList(const TStrings& PathList, TStringList& ResultList) {
  ResultList.SetDuplicates(dupIgnore);
  for (int32_t i = 0; i < PathList.Count(); ++i) ResultList.Add(GetFileExtention(PathList[i]));
  return ResultList.Count();
}

bool GetValidFileTypesInList(const ustring& AFileName, const TStrings& AllowedList, TStrings& IncludedFileTypes,
                             bool IsStarReplacerAllowed) {
  const ustring ext = GetFileExtention(AFileName);
  const bool all = IsStarReplacerAllowed && TvxStrings::EqualsW(ext, u"*", true, false);
  bool result = false;
  for (int32_t i = 0; i < AllowedList.Count(); ++i)
    if (all || TvxStrings::EqualsW(AllowedList[i], ext, true, true)) {
      IncludedFileTypes.Add(AllowedList[i]);
      result = true;
    }
  return result;
}

bool FileTypeExists(const TStrings& FileList) {
  fs::TSearchRec e;
  for (int32_t i = 0; i < FileList.Count(); ++i)
    if (fs::FindFirstEntry(FileList[i], fs::faAnyFile, e)) return true;
  return false;
}

bool FileTypeExists(const ustring& Path, const TStrings& FileNameList) {
  fs::TSearchRec e;
  for (int32_t i = 0; i < FileNameList.Count(); ++i)
    if (fs::FindFirstEntry(Path + FileNameList[i], fs::faAnyFile, e)) return true;
  return false;
}

}  // namespace TvxFiles
