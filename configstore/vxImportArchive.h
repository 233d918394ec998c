// The documents of a zip archive that is imported: every entry but folders,
// in archive order, unpacked into a fresh folder of the import's own and
// saved there under its base name (the part after the last "/" or "\"), so
// no entry name, whatever it holds (".." parts, an absolute path, a link),
// writes outside that folder. The folder goes with everything in it when
// the object goes. What is unpacked is bounded (a zip bomb stops there).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/files/vxPrivateFolder.h"

namespace vxImportArchive {

// The most an archive may unpack to, all entries together, and the most
// entries it may hold.
inline constexpr uint64_t MaxUnpackedBytes = uint64_t(512) << 20;
inline constexpr int64_t MaxEntries = 10000;

class TImportArchive {
 public:
  // Unpacks ZipFile below TempFolder. Raises EZipError for an archive that
  // cannot be read, Exception when it holds more than MaxEntries entries or
  // unpacks to more than MaxBytes, EOSError when a file cannot be written;
  // nothing stays behind then.
  TImportArchive(const ustring& ZipFile, const ustring& TempFolder, uint64_t MaxBytes = MaxUnpackedBytes);

  // The unpacked files, in archive order.
  const std::vector<ustring>& Files() const { return FFiles; }
  // The folder that holds them (with a trailing "/").
  const ustring& Folder() const { return FFolder.Path(); }

 private:
  vxFileSystem::TPrivateFolder FFolder;
  std::vector<ustring> FFiles;
};

// The name an entry is saved under: its base name, or "entry" when that is
// empty, "." or "..", or too long for a file name.
ustring EntryFileName(const std::string& EntryName);

}  // namespace vxImportArchive
