// Zip archives on libzip: reading through a buffer or file source, adding
// through an in-memory copy that replaces the file atomically.
#include "platform/zip/vxZip.h"

#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileHandle.h"

namespace vxZip {

namespace {

// An initialised zip_error_t, finished by the destructor.
struct TZipErrorGuard {
  zip_error_t Error;
  TZipErrorGuard() { zip_error_init(&Error); }
  ~TZipErrorGuard() { zip_error_fini(&Error); }
  TZipErrorGuard(const TZipErrorGuard&) = delete;
  TZipErrorGuard& operator=(const TZipErrorGuard&) = delete;
  std::string Text() { return zip_error_strerror(&Error); }
};

[[noreturn]] void Fail(const std::string& What, const std::string& Why) {
  throw EZipError((What + ": " + Why).c_str());
}

std::string ArchiveError(zip_t* Archive) { return zip_error_strerror(zip_get_error(Archive)); }

// Owns a zip_source_t reference.
struct TSourceDeleter {
  void operator()(zip_source_t* Source) const { zip_source_free(Source); }
};
using TSourcePtr = std::unique_ptr<zip_source_t, TSourceDeleter>;

// Owns an open archive that was not closed: its changes are discarded.
struct TArchiveDeleter {
  void operator()(zip_t* Archive) const { zip_discard(Archive); }
};
using TArchivePtr = std::unique_ptr<zip_t, TArchiveDeleter>;

struct TFileDeleter {
  void operator()(zip_file_t* File) const { zip_fclose(File); }
};
using TZipFilePtr = std::unique_ptr<zip_file_t, TFileDeleter>;

// The whole file; False when there is no file at Path (EOSError for any
// other failure).
bool ReadWholeFile(const ustring& Path, std::string& Data) {
  vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::Open(Path, fmOpenRead | fmShareDenyWrite);
  if (!file.Valid()) {
    if (errno == ENOENT) return false;
    EOSError::RaiseLastOSError();
  }
  Data.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t got = file.Read(buffer, sizeof buffer);
    if (got < 0) EOSError::RaiseLastOSError();
    if (got == 0) return true;
    Data.append(buffer, static_cast<size_t>(got));
  }
}

// Every byte a source holds.
std::string SourceBytes(zip_source_t* Source) {
  if (zip_source_open(Source) < 0) Fail("cannot read the new archive", zip_error_strerror(zip_source_error(Source)));
  std::string data;
  char buffer[65536];
  for (;;) {
    const zip_int64_t got = zip_source_read(Source, buffer, sizeof buffer);
    if (got < 0) {
      const std::string why = zip_error_strerror(zip_source_error(Source));
      zip_source_close(Source);
      Fail("cannot read the new archive", why);
    }
    if (got == 0) break;
    data.append(buffer, static_cast<size_t>(got));
  }
  zip_source_close(Source);
  return data;
}

// The end record of an archive without entries (libzip writes no file then).
std::string EmptyArchive() { return std::string("PK\x05\x06", 4) + std::string(18, '\0'); }

}  // namespace

bool IsSafeEntryName(std::string_view Name) {
  if (Name.empty() || Name.front() == '/') return false;
  for (const char c : Name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '\\') return false;
  }
  size_t start = 0;
  while (start <= Name.size()) {
    size_t end = Name.find('/', start);
    if (end == std::string_view::npos) end = Name.size();
    const std::string_view part = Name.substr(start, end - start);
    const bool last = end == Name.size();
    // An empty part only as the end of a folder entry ('sub/').
    if (part.empty() && !(last && start > 0)) return false;
    if (part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string FreeEntryName(const std::string& Name, const std::function<bool(const std::string&)>& Taken) {
  if (!Taken(Name)) return Name;
  const size_t slash = Name.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = Name.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = Name.size();
  const std::string stem = Name.substr(0, dot), extension = Name.substr(dot);
  for (uint64_t n = 2;; ++n) {
    const std::string candidate = stem + "-" + std::to_string(n) + extension;
    if (!Taken(candidate)) return candidate;
  }
}

// ---- TZipReader ----

struct TZipReader::TImpl {
  std::string Bytes;  // the archive, when opened from memory
  TArchivePtr Archive;
};

TZipReader::TZipReader(std::unique_ptr<TImpl> Impl) : FImpl(std::move(Impl)) {}
TZipReader::TZipReader(TZipReader&&) noexcept = default;
TZipReader& TZipReader::operator=(TZipReader&&) noexcept = default;
TZipReader::~TZipReader() = default;

TZipReader TZipReader::OpenFile(const ustring& Path) {
  int code = 0;
  zip_t* archive = zip_open(vxFileSystem::NativePath(Path).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (archive == nullptr) {
    TZipErrorGuard error;
    zip_error_set(&error.Error, code, errno);
    Fail("cannot open the archive " + WideToUtf8(Path), error.Text());
  }
  auto impl = std::make_unique<TImpl>();
  impl->Archive.reset(archive);
  return TZipReader(std::move(impl));
}

TZipReader TZipReader::OpenBytes(std::string Bytes) {
  auto impl = std::make_unique<TImpl>();
  impl->Bytes = std::move(Bytes);
  TZipErrorGuard error;
  zip_source_t* source = zip_source_buffer_create(impl->Bytes.data(), impl->Bytes.size(), 0, &error.Error);
  if (source == nullptr) Fail("cannot open the archive", error.Text());
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error.Error);
  if (archive == nullptr) {
    zip_source_free(source);
    Fail("cannot open the archive", error.Text());
  }
  impl->Archive.reset(archive);
  return TZipReader(std::move(impl));
}

int64_t TZipReader::Count() const { return zip_get_num_entries(FImpl->Archive.get(), 0); }

std::string TZipReader::Name(int64_t Index) const {
  const char* name = zip_get_name(FImpl->Archive.get(), static_cast<zip_uint64_t>(Index), ZIP_FL_ENC_GUESS);
  if (name == nullptr) Fail("cannot read entry " + std::to_string(Index), ArchiveError(FImpl->Archive.get()));
  return name;
}

bool TZipReader::IsFolder(int64_t Index) const {
  const std::string name = Name(Index);
  return !name.empty() && name.back() == '/';
}

void TZipReader::ReadTo(int64_t Index, const std::function<bool(std::string_view)>& Sink) const {
  zip_t* archive = FImpl->Archive.get();
  TZipFilePtr file(zip_fopen_index(archive, static_cast<zip_uint64_t>(Index), 0));
  if (!file) Fail("cannot read entry " + std::to_string(Index), ArchiveError(archive));
  char buffer[65536];
  for (;;) {
    const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
    if (got < 0) Fail("cannot read entry " + std::to_string(Index), zip_file_strerror(file.get()));
    if (got == 0) return;
    if (!Sink(std::string_view(buffer, static_cast<size_t>(got))))
      Fail("cannot write entry " + std::to_string(Index), "the content was not taken");
  }
}

std::string TZipReader::Read(int64_t Index) const {
  std::string data;
  ReadTo(Index, [&data](std::string_view piece) {
    data.append(piece);
    return true;
  });
  return data;
}

// ---- Adding ----

std::vector<std::string> AddEntries(const ustring& Path, const std::vector<TZipNewEntry>& Entries) {
  std::string old;
  const bool exists = ReadWholeFile(Path, old);
  TZipErrorGuard error;
  // libzip frees the buffer it replaces when it writes the new archive, so
  // it must own a malloc'ed copy of the old one.
  const size_t oldSize = old.size();
  void* copy = nullptr;
  if (oldSize > 0) {
    copy = std::malloc(oldSize);
    if (copy == nullptr) throw std::bad_alloc();
    std::memcpy(copy, old.data(), oldSize);
    std::string().swap(old);
  }
  TSourcePtr source(zip_source_buffer_create(copy, oldSize, copy != nullptr ? 1 : 0, &error.Error));
  if (!source) {
    std::free(copy);
    Fail("cannot create the archive", error.Text());
  }
  // The archive takes one reference; ours keeps the source for reading back.
  zip_source_keep(source.get());
  TArchivePtr archive(zip_open_from_source(source.get(), exists ? ZIP_CHECKCONS : ZIP_CREATE | ZIP_TRUNCATE,
                                           &error.Error));
  if (!archive) {
    zip_source_free(source.get());  // the archive's reference
    Fail("cannot open the archive " + WideToUtf8(Path), error.Text());
  }
  zip_t* za = archive.get();

  std::vector<std::string> stored;
  stored.reserve(Entries.size());
  for (const TZipNewEntry& entry : Entries) {
    const std::string name = FreeEntryName(
        entry.Name, [za](const std::string& candidate) { return zip_name_locate(za, candidate.c_str(), 0) >= 0; });
    zip_source_t* data = zip_source_buffer(za, entry.Data.data(), entry.Data.size(), 0);
    if (data == nullptr) Fail("cannot add " + name, ArchiveError(za));
    if (zip_file_add(za, name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(data);
      Fail("cannot add " + name, ArchiveError(za));
    }
    stored.push_back(name);
  }
  zip_set_archive_comment(za, nullptr, 0);
  const bool empty = zip_get_num_entries(za, 0) == 0;
  if (zip_close(za) < 0) Fail("cannot write the archive " + WideToUtf8(Path), ArchiveError(za));
  archive.release();  // closed: freed by libzip

  const std::string bytes = empty ? EmptyArchive() : SourceBytes(source.get());
  if (!vxFileSystem::ReplaceFileContent(Path, bytes)) EOSError::RaiseLastOSError();
  return stored;
}

}  // namespace vxZip
