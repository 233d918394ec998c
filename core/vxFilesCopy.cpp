// TvxFiles: copy, move and synchronise on the file-system layer.
#include "core/vxFilesCopy.h"

#include <cerrno>

#include "core/vxFilesContent.h"
#include "core/vxFilesDates.h"
#include "core/vxFilesLists.h"
#include "core/vxFilesPaths.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxStream.h"

namespace TvxFiles {

namespace fs = vxFileSystem;

namespace {

ustring FreeName(const ustring& Destination) { return GetFreeFileName(Destination, 99999999, u"-", false, false); }

// The content of Source written beside Destination and put in place; a
// failure raises and leaves Destination as it was.
void StreamCopy(const ustring& Source, const ustring& Destination) {
  const auto in = fs::TFileHandle::Open(Source, fmOpenRead);
  if (!in.Valid()) throw EFOpenError(u"Cannot open file \"" + Source + u"\"", errno);
  fs::TAtomicFileWriter out(Destination);
  if (!out.Valid()) throw EFOpenError(u"Cannot create file \"" + Destination + u"\"", errno);
  char buffer[65536];
  for (;;) {
    const ssize_t n = in.Read(buffer, sizeof buffer);
    if (n < 0) throw EReadError(u"Stream read error");
    if (n == 0) break;
    if (!out.Write(buffer, static_cast<size_t>(n))) throw EWriteError(u"Stream write error");
  }
  if (!out.Commit(true)) throw EFOpenError(u"Cannot create file \"" + Destination + u"\"", errno);
}

// The kept-path target: DestinationStartPath + Source from its first "/".
ustring KeptPathTarget(const ustring& Source, const ustring& DestinationStartPath) {
  const int32_t p = TvxStrings::PosW(Source, u"/", 1, false);
  const ustring rest = TvxStrings::SubStringW(Source, p > 0 ? p : 1, true, true);
  return TvxStrings::RemoveMoreThenOn(DestinationStartPath + rest, u"/", 2);
}

const ustring TooLong = u"destination path to long";
constexpr size_t MaxTargetLength = 255;

}  // namespace

bool MoveFile32(const ustring& Source, const ustring& Destination) { return fs::MoveFile(Source, Destination); }

int32_t MoveFile32(const ustring& Source, const ustring& Destination, bool SubFolders, bool IgnoreFileAttributes,
                   bool DeleteSourcePaths) {
  const ustring root = fs::ExtractFilePath(Source), mask = fs::ExtractFileName(Source);
  const ustring destRoot = fs::ExtractFilePath(Destination);
  if (root.empty()) return 0;
  const auto folders = vxFilesLists::TreeFolders(root, SubFolders);
  int32_t count = 0;
  for (const auto& folder : folders) {
    const ustring destFolder = destRoot + folder.substr(root.size());
    CreatePath(destFolder, true);
    for (const auto& entry : vxFilesLists::FilesIn(folder, mask, IgnoreFileAttributes)) {
      const ustring from = folder + entry.Name, to = destFolder + entry.Name;
      const int32_t attr = IgnoreFileAttributes ? fs::FileGetAttr(from) : 0;
      if (IgnoreFileAttributes) fs::FileSetAttr(from, fs::faArchive);
      if (MoveFile32(from, to)) {
        ++count;
        if (IgnoreFileAttributes) fs::FileSetAttr(to, attr);
      } else if (IgnoreFileAttributes) {
        fs::FileSetAttr(from, attr);
      }
    }
  }
  if (DeleteSourcePaths)
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) DeletePath(*it, false);
  return count;
}

bool ForceMoveFile32(const ustring& Source, const ustring& Destination) {
  const ustring target = FreeName(Destination);
  fs::FileSetAttr(Source, fs::faArchive);
  return MoveFile32(Source, target);
}

ustring ForceMoveFile32(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode) {
  const bool exists = FileExists(Destination);
  const TDateTime created = GetCreationTimeOfFile(Source);
  const TDateTime changed = GetFileChangeDate(Source);
  ustring path;
  bool moved = false;
  switch (ExistMode) {
    case IF_SAME_DO_NOTHING:
      if (exists && CompareFile(Source, Destination)) return {};
      path = FreeName(Destination);
      break;
    case OVERWRITE:
      path = Destination;
      // An existing file is replaced: the copy is put in place whole, and
      // the source goes only once it is.
      if (fs::FileExists(Destination)) {
        if (!fs::CopyFile(Source, Destination, false)) return {};
        if (!fs::DeleteFile(Source)) ForceDeleteFile(Source);
        moved = true;
      }
      break;
    case UNIQE_FILENAME:
      path = FreeName(Destination);
      break;
    case IF_NOT_SAME_USE_UNIQUE_FILE_NAME:
      if (exists && CompareFile(Source, Destination)) {
        ForceDeleteFile(Source);
        return Destination;
      }
      path = FreeName(Destination);
      break;
  }
  if (!moved && !MoveFile32(Source, path)) return {};
  if (created != 0) SetFileCreationDate(path, created);
  SetFileLastWriteDate(path, changed);
  return path;
}

bool CopyFile32(const ustring& Source, const ustring& Destination) { return fs::CopyFile(Source, Destination, true); }

bool CopyFile32(const ustring& Source, const ustring& Destination, uint32_t CopyFlags) {
  return fs::CopyFile(Source, Destination, (CopyFlags & COPY_FILE_FAIL_IF_EXISTS) != 0);
}

bool CopyFile32(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode) {
  switch (ExistMode) {
    case IF_SAME_DO_NOTHING:
      if (FileExists(Destination) && CompareFile(Source, Destination)) return true;
      return CopyFile32(Source, Destination, 0u);
    case OVERWRITE:
      return CopyFile32(Source, Destination, 0u);
    case UNIQE_FILENAME:
      return CopyFileWithUniqueFileName(Source, Destination);
    case IF_NOT_SAME_USE_UNIQUE_FILE_NAME:
      if (FileExists(Destination) && CompareFile(Source, Destination)) return true;
      return CopyFileWithUniqueFileName(Source, Destination);
  }
  return false;
}

int32_t CopyFile32(const ustring& Source, const ustring& Destination, bool SubFolders) {
  const ustring root = fs::ExtractFilePath(Source), mask = fs::ExtractFileName(Source);
  const ustring destRoot = fs::ExtractFilePath(Destination);
  if (root.empty()) return 0;
  int32_t count = 0;
  for (const auto& folder : vxFilesLists::TreeFolders(root, SubFolders)) {
    const ustring destFolder = destRoot + folder.substr(root.size());
    CreatePath(destFolder, true);
    for (const auto& entry : vxFilesLists::FilesIn(folder, mask, false))
      if (!(entry.Attr & fs::faSymLink) && CopyFile32(folder + entry.Name, destFolder + entry.Name, 0u)) ++count;
  }
  return count;
}

bool StreamCopyFile(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode) {
  if (!fs::FileExists(Source)) return false;
  bool same = false;
  try {
    same = fs::FileExists(Destination) && CompareFile(Source, Destination, true, false, true);
  } catch (const std::exception&) {
    return false;
  }
  switch (ExistMode) {
    case IF_SAME_DO_NOTHING:
      if (same) return true;
      StreamCopy(Source, Destination);
      return true;
    case OVERWRITE:
      StreamCopy(Source, Destination);  // replaces the destination whole
      return true;
    case UNIQE_FILENAME:
      StreamCopy(Source, same ? FreeName(Destination) : Destination);
      return true;
    case IF_NOT_SAME_USE_UNIQUE_FILE_NAME:
      if (UpperStrW(fs::ExtractFileName(Source)) == UpperStrW(fs::ExtractFileName(Destination)))
        StreamCopy(Source, FreeName(Destination));
      else
        StreamCopy(Source, Destination);
      return true;
  }
  return false;
}

bool StreamCopyFileKeepingPath(const ustring& Source, const ustring& DestinationStartPath, bool ErrorWhenPathToLong,
                               TvxEXISTS_MODE ExistMode) {
  const ustring target = KeptPathTarget(Source, DestinationStartPath);
  if (target.size() < MaxTargetLength) {
    CreatePath(target, true);
    return StreamCopyFile(Source, target, ExistMode);
  }
  if (ErrorWhenPathToLong) throw Exception(TooLong);
  try {
    CreatePath(target, true);
    return StreamCopyFile(Source, target, ExistMode);
  } catch (const std::exception&) {
    return false;
  }
}

bool CopyFileKeepingPath32(const ustring& Source, const ustring& DestinationStartPath, bool ErrorWhenPathToLong,
                           TvxEXISTS_MODE ExistMode) {
  const ustring target = KeptPathTarget(Source, DestinationStartPath);
  if (target.size() < MaxTargetLength) {
    CreatePath(target, true);
    return CopyFile32(Source, target, ExistMode);
  }
  if (ErrorWhenPathToLong) throw Exception(TooLong);
  try {
    CreatePath(target, true);
    return CopyFile32(Source, target);
  } catch (const std::exception&) {
    return false;
  }
}

int32_t SyncCopyFile32(const ustring& Source, const ustring& Destination, bool SubFolders, bool OverWrite,
                       bool RaiseExceptions, TStrings* ExclusionPaths) {
  const ustring dest = CheckPathExt(Destination);
  const ustring root = fs::ExtractFilePath(Source), mask = fs::ExtractFileName(Source);
  if (root.empty() || dest.empty()) return 0;
  auto folders = vxFilesLists::TreeFolders(root, SubFolders);
  if (ExclusionPaths) {
    for (int32_t i = 0; i < ExclusionPaths->Count(); ++i) ExclusionPaths->Put(i, UpperStrW((*ExclusionPaths)[i]));
    std::erase_if(folders, [&](const ustring& f) { return ExclusionPaths->IndexOf(UpperStrW(f)) >= 0; });
  }
  int32_t count = 0;
  for (const auto& folder : folders) {
    const ustring destFolder = dest + folder.substr(root.size());
    CreatePath(destFolder, true);
    for (const auto& entry : vxFilesLists::FilesIn(folder, mask, false)) {
      if (entry.Attr & fs::faSymLink) continue;
      const ustring from = folder + entry.Name, to = destFolder + entry.Name;
      fs::TSearchRec there;
      const bool due = OverWrite || !fs::GetFileStatus(to, there) || there.Size != entry.Size ||
                       GetFileDateTime(from) != GetFileDateTime(to);
      if (!due) continue;
      if (CopyFile32(from, to, 0u)) {
        ++count;
      } else if (RaiseExceptions) {
        throw Exception(u"copy file " + from + u" to " + to + u" failed (" + TvxTools::GetLastErrorMessage() + u")");
      }
    }
  }
  // Clean-up: what the source no longer has goes from the destination.
  TStringList destFolders;
  destFolders.Add(dest);
  if (SubFolders) GetPathList(dest + u"*.*", destFolders, false, true);
  for (int32_t i = destFolders.Count() - 1; i >= 0; --i) {
    const ustring folder = destFolders[i];
    const ustring sourceFolder = root + folder.substr(dest.size());
    for (const auto& entry : vxFilesLists::FilesIn(folder, mask, false))
      if (!fs::FileExists(sourceFolder + entry.Name)) fs::DeleteFile(folder + entry.Name);
    if (!PathExists(sourceFolder)) DeletePath(folder, false);
  }
  return count;
}

bool CopyFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath) {
  return CopyFile32(SourceFilepath, FreeName(DestinationPath));
}

bool MoveFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath) {
  return MoveFile32(SourceFilepath, FreeName(DestinationPath));
}

ustring MoveAndGetFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath) {
  const ustring target = FreeName(DestinationPath);
  return MoveFile32(SourceFilepath, target) ? target : ustring();
}

bool CopyFileDateAttribute(const ustring& SourceFilePath, const ustring& DestinationFilePath) {
  try {
    SetFileDate(DestinationFilePath, GetCreationTimeOfFile(SourceFilePath));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CopyFileAllDateAttribute(const ustring& SourceFilePath, const ustring& DestinationFilePath) {
  try {
    SetFileCreationDate(DestinationFilePath, GetCreationTimeOfFile(SourceFilePath));
    SetFileLastWriteDate(DestinationFilePath, GetFileChangeDate(SourceFilePath));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace TvxFiles
