// TvxFiles: folder and file lists. Folders below a root, removal of empty
// folder trees, deletion of files by age, file lists by age or date, and
// file types against lists of allowed extensions.
//
// Folder entries in lists end with "/". Folder walks never enter a folder
// that is a symbolic link: such a link may lead out of the tree or round in
// a circle.
#pragma once

#include <cstdint>
#include <vector>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/files/vxFileSystem.h"
#include "platform/lists/vxStringList.h"

namespace TvxFiles {

// Appends the folders below the folder part of Root (hidden ones left out),
// each not yet in PathList, depth first: each folder directly followed by
// the folders below it when Recursive; with AddRoot the root first, unless
// the list holds it. A folder the list holds is not walked again, so a
// second call with the same list adds nothing. Entries are compared
// exactly, whatever the list's case rule: names differing in case are
// different folders here. Linear in the folders and the list. True.
bool GetPathList(const ustring& Root, TStrings& PathList, bool AddRoot, bool Recursive);
// Appends the folders below SSearchPath (with its final "/"), a folder's
// direct sub-folders before the folders below them, leaving out every path
// that contains an entry of IgnorePathes (ignoring case; may be null).
// False at once when SSearchPath itself contains one; otherwise
// ResultList's count > 0.
bool GetSubDirs(const ustring& SSearchPath, TStrings& ResultList, const TStrings* IgnorePathes, bool Recusive,
                bool AddRoot);
// Appends the names of the folders directly in Root (hidden ones left out).
bool GetFlatPathList(const ustring& Root, TStrings& PathList);
// Removes the folder part of Path when empty; with Recursive the folders
// below it first, deepest first. Files are never deleted. True when every
// removal succeeded.
bool DeletePath(const ustring& Path, bool Recursive);
// Path is an existing folder with no entry at all (hidden ones count).
bool DirectoryIsEmpty(const ustring& Path);
// Removes Path when it is an existing empty folder; True when it did.
bool DeleteDirectoryIsEmpty(const ustring& Path);
// Deletes the files matching the name part of Source in its folder (and,
// with Subfolder, below it) that are at least AgeInMin minutes old (every
// one for 0), keeping ".dll", ".exe", ".com" and ".sys" files with
// RetainExecutables. The number deleted; folders stay.
int32_t DeleteFile32(const ustring& Source, uint32_t AgeInMin, bool Subfolder, bool RetainExecutables);

// Adds to FileList (switched to sorted, duplicates ignored) the files
// matching Path whose attributes share a bit with Attributes: every one for
// Minutes 0, else those at most (faYounger) or at least (faOlder) Minutes
// old. Stops once MaxFiles >= 1 entries are in FileList. The count added.
uint32_t GetFileListByFileAgeInMinutes(const ustring& Path, uint32_t Minutes, TStringList& FileList, TFileAge FileAge,
                                       int32_t Attributes, int32_t MaxFiles);
// The same with a limit at the midnight Days - 1 days before today.
uint32_t GetFileListByFileAgeInDays(const ustring& Path, uint32_t Days, TStringList& FileList, TFileAge FileAge,
                                    int32_t Attributes, int32_t MaxFiles);
// Adds the files aged FromMinutes .. ToMinutes (0: no limit).
uint32_t GetFileListByFileAgeBetweenInMinutes(const ustring& Path, uint32_t FromMinutes, uint32_t ToMinutes,
                                              TStringList& FileList);
uint32_t GetFileListBetweenFileAgeInDays(const ustring& Path, uint32_t FromDays, uint32_t ToDays,
                                         TStringList& FileList);
// Adds the files whose last-write time (DOS form) lies in FromDate .. ToDate.
uint32_t GetFileListByFileAgeBetweenDate(const ustring& Path, TDateTime FromDate, TDateTime ToDate,
                                         TStringList& FileList);

// Expands AFilePath against the allowed extensions (without dots): one path
// per matching entry, a "*" in its extension matching any; True when every
// match took and at least one did.
bool GetFilePathesWithTypesInList(const ustring& AFilePath, const TStrings& AllowedList, TStrings& FilePathesResult,
                                  bool IsStarReplacerAllowed);
// Appends GetFileExtention of every path; ResultList's count.
int32_t GetFileTypesFromPathList(const TStrings& PathList, TStringList& ResultList);
// Appends the allowed entries equal to AFileName's extension (all of them
// for the name "*" with IsStarReplacerAllowed); True when any was.
bool GetValidFileTypesInList(const ustring& AFileName, const TStrings& AllowedList, TStrings& IncludedFileTypes,
                             bool IsStarReplacerAllowed);
// An entry (wildcards allowed) matches an existing entry of any kind.
bool FileTypeExists(const TStrings& FileList);
bool FileTypeExists(const ustring& Path, const TStrings& FileNameList);

}  // namespace TvxFiles

namespace vxFilesLists {

// The folders of a tree walk: Root (a folder with its final "/") and, with
// SubFolders, every folder below it, depth first.
std::vector<ustring> TreeFolders(const ustring& Root, bool SubFolders);
// The regular files in Folder matching Mask, in directory order (hidden and
// system files left out, IncludeHidden takes hidden ones too).
std::vector<vxFileSystem::TSearchRec> FilesIn(const ustring& Folder, const ustring& Mask, bool IncludeHidden);
// GetFileListByFileAgeInDays' minutes for Days at the local time Now.
uint32_t DaysToMinutes(uint32_t Days, TDateTime Now);

}  // namespace vxFilesLists
