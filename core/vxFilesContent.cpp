// TvxFiles: a file as one block of bytes.
#include "core/vxFilesContent.h"
#include "core/internal/vxFilesWipe.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "core/vxFilesPaths.h"
#include "core/vxMD5.h"
#include "core/vxStrings.h"
#include "core/vxStringsIds.h"
#include "core/vxToolsSystem.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSearch.h"
#include "platform/files/vxFileSystem.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxStream.h"
#include "platform/files/vxTrash.h"

namespace TvxFiles {
namespace {

using vxFileSystem::TFileHandle;

// Share mode 32: others may read but not write.
constexpr uint16_t ReadDenyWrite = fmOpenRead | fmShareDenyWrite;
// Reading and writing with the default sharing, which on the original
// platform shares the file with nobody: appending writers take the file's
// exclusive lock, so two appends never mix and a locked file is kept out.
constexpr uint16_t ReadWriteDefault = fmOpenReadWrite | fmShareExclusive;

// Something of any kind (a dangling link included) is there under Path.
bool NameTaken(const ustring& Path) { return vxFileSystem::FileGetAttr(Path) != vxFileSystem::faInvalid; }

bool Load(const ustring& FileName, std::string& Data, uint16_t Mode, std::optional<int64_t> MaxSize) {
  try {
    if (MaxSize && *MaxSize < 0) return false;
    const TFileHandle file = TFileHandle::Open(FileName, Mode);
    if (!file.Valid()) return false;
    const int64_t size = file.Size();
    if (size < 0) return false;
    const int64_t count = MaxSize && size > *MaxSize ? *MaxSize : size;
    std::string bytes(static_cast<size_t>(count), '\0');
    if (file.Read(bytes.data(), bytes.size()) != static_cast<ssize_t>(count))
      throw Exception("stream read exception - data size mismatch");
    Data = std::move(bytes);
    return true;
  } catch (...) {
    // Unreadable, too large for memory: the caller learns it from False.
    return false;
  }
}

// Replaces the file's content whole. The file's own share lock is taken
// first, so a file that another opener holds is not replaced under it.
void ReplaceContent(const ustring& FileName, const std::string& Data) {
  const TFileHandle gate = TFileHandle::Open(FileName, fmOpenRead | fmShareExclusive);
  if (!gate.Valid() && errno == EWOULDBLOCK) throw Exception("file in use by another process");
  vxFileSystem::TAtomicFileWriter writer(FileName);
  if (!writer.Write(Data)) throw Exception("stream write exception - data size mismatch");
  if (!writer.Commit(true)) throw Exception(TvxTools::GetLastErrorMessage());
}

// Cuts a file back to its old end after a failed write, keeping the
// write's error in errno.
void CutBack(const TFileHandle& File, int64_t End) {
  const int error = errno;
  if (!File.Truncate(End)) {
    // Nothing more can be done; the write's error is the one to report.
  }
  errno = error;
}

// Writes Data at the end of an open file; a failed write is cut back, so the
// file keeps its old content.
bool AppendTo(const TFileHandle& File, const void* Data, size_t Count) {
  const int64_t end = File.Seek(0, SEEK_END);
  if (end < 0) return false;
  if (File.WriteAll(Data, Count)) return true;
  CutBack(File, end);
  return false;
}

ustring FileErrorText(const char* What, const ustring& FileName) {
  return Utf8ToWide(What) + u" \"" + FileName + u"\" (" + TvxTools::GetLastErrorMessage() + u")";
}

std::string TwoDecimals(double Value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::fixed, 2);
  std::string text(buffer, result.ptr);
  return text == "-0.00" ? "0.00" : text;
}

}  // namespace

// ---- Load and save ----

bool LoadFileToString(const ustring& FileName, std::string& Data) {
  return Load(FileName, Data, ReadDenyWrite, std::nullopt);
}

bool LoadFileToString(const ustring& FileName, std::string& Data, uint16_t AccessMode) {
  return Load(FileName, Data, AccessMode, std::nullopt);
}

bool LoadFileToString(const ustring& FileName, std::string& Data, int64_t MaxSize) {
  return Load(FileName, Data, ReadDenyWrite, MaxSize);
}

bool SaveStringToFile(const ustring& FileName, const std::string& Data, bool Append, bool MD5Check,
                      const std::string& MD5) {
  try {
    // Appending goes to whatever file is there, a hidden one included:
    // replacing it instead would lose its content.
    if (Append && vxFileSystem::FileExists(FileName)) {
      const TFileHandle file = TFileHandle::Open(FileName, ReadWriteDefault);
      if (!file.Valid()) throw Exception(TvxTools::GetLastErrorMessage());
      if (!AppendTo(file, Data.data(), Data.size())) throw Exception("stream write exception - data size mismatch");
    } else if (Append) {
      // Created new; should a file appear meanwhile, it is not replaced.
      vxFileSystem::TAtomicFileWriter writer(FileName);
      if (!writer.Write(Data)) throw Exception("stream write exception - data size mismatch");
      if (!writer.Commit(false)) throw Exception(TvxTools::GetLastErrorMessage());
    } else {
      ReplaceContent(FileName, Data);
    }
    if (MD5Check && TvxMD5::GetMD5FromFile(FileName, ReadDenyWrite) != MD5) throw Exception("MD5 check failed");
    return true;
  } catch (...) {
    return false;
  }
}

bool MergeFiles(const ustring& FirstFileName, const ustring& SecondFileName) {
  if (!FileExists(FirstFileName) || !FileExists(SecondFileName)) return false;
  const TFileHandle source = TFileHandle::Open(FirstFileName, fmOpenRead);
  if (!source.Valid()) throw EFOpenError(FileErrorText("cannot open file", FirstFileName), errno);
  const TFileHandle target = TFileHandle::Open(SecondFileName, ReadWriteDefault);
  if (!target.Valid()) throw EFOpenError(FileErrorText("cannot open file", SecondFileName), errno);
  // The first file's size when it was opened: merging a file into itself
  // doubles it once.
  int64_t remaining = source.Size();
  const int64_t oldEnd = target.Seek(0, SEEK_END);
  if (remaining < 0 || oldEnd < 0) throw EReadError(FileErrorText("cannot read file", FirstFileName));
  std::vector<char> buffer(256 * 1024);
  while (remaining > 0) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(remaining, static_cast<int64_t>(buffer.size())));
    const ssize_t n = source.Read(buffer.data(), piece);
    if (n != static_cast<ssize_t>(piece)) {
      if (n >= 0) errno = EIO;
      CutBack(target, oldEnd);
      throw EReadError(FileErrorText("cannot read file", FirstFileName));
    }
    if (!target.WriteAll(buffer.data(), piece)) {
      CutBack(target, oldEnd);
      throw EWriteError(FileErrorText("cannot write file", SecondFileName));
    }
    remaining -= static_cast<int64_t>(piece);
  }
  return true;
}

bool CreateBlankFile(const ustring& Filename) {
  if (FileExists(Filename)) return false;
  // Created only when nothing is there: a hidden file keeps its content.
  return TFileHandle::CreateNew(Filename).Valid();
}

// ---- Compare ----

bool CompareFile(const ustring& FileOne, const ustring& FileTwo) {
  return TvxMD5::GetMD5FromFile(FileOne, ReadDenyWrite) == TvxMD5::GetMD5FromFile(FileTwo, ReadDenyWrite);
}

bool CompareFile(const ustring& FileOne, const ustring& FileTwo, bool CheckFileExistsOne, bool CheckFileExistsTwo,
                 bool CompareFileName) {
  if (CheckFileExistsOne && !FileExists(FileOne)) throw Exception("File 1 not exists");
  if (CheckFileExistsTwo && !FileExists(FileTwo)) throw Exception("File 2 not exists");
  if (CompareFileName && !TvxStrings::EqualsW(vxFileSystem::ExtractFileName(FileOne),
                                              vxFileSystem::ExtractFileName(FileTwo), false, true))
    return false;
  return CompareFile(FileOne, FileTwo);
}

// ---- Delete ----

bool ForceDeleteFile(const ustring& Filename) {
  for (int attempt = 1; attempt <= 10; ++attempt) {
    // A link is deleted itself; the file it names keeps its attributes.
    const int32_t attr = vxFileSystem::FileGetAttr(Filename);
    if (attr != vxFileSystem::faInvalid && (attr & vxFileSystem::faSymLink) == 0)
      vxFileSystem::FileSetAttr(Filename, vxFileSystem::faArchive);
    if (!vxFileSystem::DeleteFile(Filename)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!NameTaken(Filename)) break;
  }
  return !NameTaken(Filename);
}

bool MoveFileToRecycleBin(const ustring& SFileName) { return vxFileSystem::MoveToTrash(SFileName); }

bool WipeFile(const ustring& SzFilename, int32_t RewrittenTimes, int32_t RenameTimes) {
  bool opened = false;
  bool ok = vxFilesContent::OverwriteBlocks(SzFilename, RewrittenTimes, opened);
  if (!opened) return false;
  ustring current = SzFilename;
  // Renamed in its own folder: a bare name would move it into the current one.
  const ustring folder = vxFileSystem::ExtractFilePath(SzFilename);
  for (int32_t i = 0; i < RenameTimes; ++i) {
    const ustring next = folder + AnsiToWide(TvxStrings::CreateGuidStr());
    if (vxFileSystem::MoveFile(current, next))
      current = next;
    else
      ok = false;
  }
  {
    const TFileHandle file = TFileHandle::Open(current, fmOpenWrite | fmShareExclusive);
    if (!file.Valid() || !file.Truncate(0)) ok = false;
  }
  if (!vxFileSystem::DeleteFile(current)) ok = false;
  return ok;
}

void SecureDeleteFiles(const ustring& APath, const ustring& AFindMask, bool AWithSub, int32_t RewrittenTimes,
                       int32_t RenameTimes) {
  using namespace vxFileSystem;
  if (APath.empty() || AFindMask.empty()) return;
  const ustring path = IncludeTrailingPathDelimiter(APath);
  auto isDots = [](const ustring& name) { return name == u"." || name == u".."; };
  // Listed before the first wipe: renamed files must not be found again.
  for (const TSearchRec& entry : FindEntries(path + AFindMask, faAnyFile)) {
    if (isDots(entry.Name) || (entry.Attr & (faDirectory | faSymLink)) != 0) continue;
    WipeFile(path + entry.Name, RewrittenTimes, RenameTimes);
  }
  if (!AWithSub) return;
  for (const TSearchRec& entry : FindEntries(path + u"*", faAnyFile)) {
    if (isDots(entry.Name) || (entry.Attr & faDirectory) == 0 || (entry.Attr & faSymLink) != 0) continue;
    SecureDeleteFiles(path + entry.Name, AFindMask, AWithSub, RewrittenTimes, RenameTimes);
  }
}

// ---- Locks ----

uintptr_t CreateFileLock(const ustring& FileName) {
  TFileHandle file = TFileHandle::Open(FileName, fmOpenWrite | fmShareExclusive);
  return file.Valid() ? static_cast<uintptr_t>(file.Release()) : InvalidFileLock;
}

bool ReleaseFileLock(uintptr_t Handle) {
  if (Handle > static_cast<uintptr_t>(INT_MAX)) return false;
  return close(static_cast<int>(Handle)) == 0;
}

bool FileIsInUse(const ustring& FileName) {
  if (!FileExists(FileName)) return false;
  return !TFileHandle::Open(FileName, fmOpenReadWrite | fmShareExclusive).Valid();
}

// ---- Sizes ----

int64_t GetSizeOfFile(const ustring& Name) {
  vxFileSystem::TSearchRec entry;
  return !Name.empty() && vxFileSystem::FindFirstEntry(Name, vxFileSystem::faAnyFile, entry) ? entry.Size : 0;
}

int64_t GetFileSize(const ustring& SzFile) {
  vxFileSystem::TSearchRec entry;
  return FileExists(SzFile) && vxFileSystem::FindFirstEntry(SzFile, vxFileSystem::faAnyFile, entry) ? entry.Size : 0;
}

int64_t GetFileSizeEx(const ustring& SzFile) {
  vxFileSystem::TSearchRec entry;
  return vxFileSystem::FindFirstEntry(SzFile, vxFileSystem::faAnyFile, entry) ? entry.Size : -1;
}

std::string ByteToKb(int64_t B) { return TwoDecimals(static_cast<double>(B) / 1024.0); }
std::string ByteToMb(int64_t B) { return TwoDecimals(static_cast<double>(B) / 1048576.0); }
std::string ByteToGb(int64_t B) { return TwoDecimals(static_cast<double>(B) / 1073741824.0); }

ustring ByteToStr(int64_t B) {
  int64_t g = 0, m = 0, k = 0, r = B;
  if (B >= 1024) {
    g = B >> 30;
    m = (B >> 20) & 1023;
    k = (B >> 10) & 1023;
    r = B & 1023;
  }
  auto number = [](int64_t value) { return Utf8ToWide(std::to_string(value)); };
  ustring text;
  if (g > 0) text += number(g) + u" GB ";
  if (g > 0 || m > 0) text += number(m) + u" MB ";
  if (g > 0 || m > 0 || k > 0) text += number(k) + u" KB ";
  return text + number(r) + u" Bytes";
}

int64_t GetFreeDiskSpace(const ustring& Path, bool InMB) {
  ustring path = vxRuntime::Trim(Path);
  if (path.empty() || path[0] != vxFileSystem::PathDelim || path.find(u'\0') != ustring::npos) return -1;
  // A path not there yet lies on the file system of its nearest folder.
  while (!NameTaken(path) && path.size() > 1)
    path = vxFileSystem::ExtractFilePath(vxFileSystem::ExcludeTrailingPathDelimiter(path));
  const int64_t free = vxFileSystem::FreeDiskSpace(path);
  if (free < 0) return -1;
  return InMB ? free / 1048576 : free;
}

}  // namespace TvxFiles

namespace vxFilesContent {

bool OverwriteBlocks(const ustring& FileName, int32_t RewrittenTimes, bool& Opened) {
  // Under the file's exclusive lock: a file another opener holds is left alone.
  const vxFileSystem::TFileHandle file =
      vxFileSystem::TFileHandle::Open(FileName, fmOpenReadWrite | fmShareExclusive);
  Opened = file.Valid();
  if (!Opened) return false;
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> letter(0, 25);
  std::vector<unsigned char> block(65536);
  bool ok = true;
  int64_t position = 0;
  for (;;) {
    if (file.Seek(position, SEEK_SET) != position) {
      ok = false;
      break;
    }
    const ssize_t k = file.Read(block.data(), block.size());
    if (k < 0) ok = false;
    if (k <= 0) break;
    if (RewrittenTimes < 1) RewrittenTimes = 7;
    const size_t count = static_cast<size_t>(k);
    for (int32_t pass = 1; pass <= RewrittenTimes && ok; ++pass) {
      unsigned char pattern;
      if (pass == 7)
        pattern = 0xF6;
      else if (pass > 7)
        pattern = static_cast<unsigned char>('A' + letter(random));
      else
        pattern = pass % 2 == 1 ? 0x00 : 0xFF;
      std::fill_n(block.begin(), count, pattern);
      ok = file.Seek(position, SEEK_SET) == position && file.WriteAll(block.data(), count);
    }
    if (!ok) break;
    position += k;
  }
  // The patterns must reach the disk before the file is emptied, or the
  // emptying may drop them unwritten and leave the old blocks as they were.
  if (!file.Flush()) ok = false;
  return ok;
}

}  // namespace vxFilesContent
