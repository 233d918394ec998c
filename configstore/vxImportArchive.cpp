// Unpacking an imported zip archive into a private folder, by base names.
#include "configstore/vxImportArchive.h"

#include "core/vxFilesPaths.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/zip/vxZip.h"

namespace vxImportArchive {

namespace {

// Longer base names (in UTF-8 bytes) leave no room for the number a free
// name may need within the 255 bytes of a file name.
constexpr size_t MaxBaseNameBytes = 200;

// A fresh private folder below Parent (made when missing); EOSError when it
// cannot be made.
vxFileSystem::TPrivateFolder MakeFolder(const ustring& Parent) {
  const ustring parent = vxFileSystem::IncludeTrailingPathDelimiter(Parent);
  if (!vxFileSystem::DirectoryExists(parent)) vxFileSystem::ForceDirectories(parent);
  vxFileSystem::TPrivateFolder folder(parent, u"vximport-");
  if (!folder.Valid())
    throw EOSError(u"cannot create a folder in " + parent + u" (" + Utf8ToWide(vxExceptions::ErrnoText(errno)) + u")",
                   errno);
  return folder;
}

}  // namespace

ustring EntryFileName(const std::string& EntryName) {
  const size_t cut = EntryName.find_last_of("/\\");
  const std::string base = cut == std::string::npos ? EntryName : EntryName.substr(cut + 1);
  if (base.empty() || base == "." || base == ".." || base.size() > MaxBaseNameBytes) return u"entry";
  return Utf8ToWide(base);
}

TImportArchive::TImportArchive(const ustring& ZipFile, const ustring& TempFolder, uint64_t MaxBytes)
    : FFolder(MakeFolder(TempFolder)) {
  const vxZip::TZipReader archive = vxZip::TZipReader::OpenFile(ZipFile);
  const int64_t count = archive.Count();
  if (count > MaxEntries)
    throw Exception(u"the archive " + ZipFile + u" holds more than " + Utf8ToWide(std::to_string(MaxEntries)) +
                    u" entries");
  uint64_t unpacked = 0;
  for (int64_t index = 0; index < count; ++index) {
    if (archive.IsFolder(index)) continue;
    std::string content;
    bool tooLarge = false;
    try {
      archive.ReadTo(index, [&](std::string_view Piece) {
        unpacked += Piece.size();
        if (unpacked > MaxBytes) {
          tooLarge = true;
          return false;
        }
        content.append(Piece);
        return true;
      });
    } catch (const EZipError&) {
      if (!tooLarge) throw;
    }
    if (tooLarge)
      throw Exception(u"the archive " + ZipFile + u" unpacks to more than " + Utf8ToWide(std::to_string(MaxBytes)) +
                      u" bytes");
    const ustring file =
        TvxFiles::GetFreeFileName(FFolder.Path() + EntryFileName(archive.Name(index)), 99999999, u"-", false, false);
    if (!vxFileSystem::ReplaceFileContent(file, content))
      throw EOSError(u"cannot write " + file + u" (" + Utf8ToWide(vxExceptions::ErrnoText(errno)) + u")", errno);
    FFiles.push_back(file);
  }
}

}  // namespace vxImportArchive
