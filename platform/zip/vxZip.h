// Zip archives on libzip: read the entries of an archive (from a file or
// from bytes) and add entries to an archive file, which is always replaced
// whole through a temporary file, so a failed addition leaves the old
// archive as it was.
//
// Entry names are UTF-8 texts as stored ("/" between folders); names that
// older archivers stored in code page 437 are converted to UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// A damaged or unreadable archive, an entry that cannot be read or written.
VX_DECLARE_EXCEPTION(EZipError, Exception);

namespace vxZip {

// An entry name that extraction may join to a folder: not empty, relative
// (no leading "/"), no "." or ".." part, no backslash (another system's
// folder delimiter) and no NUL or other control character.
bool IsSafeEntryName(std::string_view Name);

// The first name of Name, Name-2, Name-3, ... (the number before the
// extension, as 'a-2.pdf') for which Taken gives False.
std::string FreeEntryName(const std::string& Name, const std::function<bool(const std::string&)>& Taken);

// An archive opened for reading. Open and every read raise EZipError.
class TZipReader {
 public:
  // The archive file Path; EZipError when it is missing or damaged.
  static TZipReader OpenFile(const ustring& Path);
  // An archive held in memory (the reader keeps its own copy).
  static TZipReader OpenBytes(std::string Bytes);

  TZipReader(TZipReader&&) noexcept;
  TZipReader& operator=(TZipReader&&) noexcept;
  ~TZipReader();

  int64_t Count() const;
  // The stored name of entry Index (UTF-8).
  std::string Name(int64_t Index) const;
  // The entry is a folder (its name ends with "/").
  bool IsFolder(int64_t Index) const;
  // Hands the entry's content to Sink in pieces; Sink gives False to stop,
  // which raises. The content's checksum is verified at its end.
  void ReadTo(int64_t Index, const std::function<bool(std::string_view)>& Sink) const;
  // The whole content of an entry.
  std::string Read(int64_t Index) const;

 private:
  struct TImpl;
  explicit TZipReader(std::unique_ptr<TImpl> Impl);
  std::unique_ptr<TImpl> FImpl;
};

struct TZipNewEntry {
  std::string Name;       // UTF-8, as it is to be stored
  std::string_view Data;  // must stay valid until AddEntries returns
};

// Adds Entries, in order, to the archive file Path (a missing one is
// started empty; an existing one keeps its entries, their compressed data
// copied as it stands). A name that is already taken gets the first free
// one (FreeEntryName). Deflate at libzip's default level. The new archive
// is built in memory and put in Path's place atomically. Returns the names
// stored, in order. EZipError (nothing changed) on any failure.
std::vector<std::string> AddEntries(const ustring& Path, const std::vector<TZipNewEntry>& Entries);

}  // namespace vxZip
