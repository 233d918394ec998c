// TvxFiles: zip archives on the platform's zip layer, and the MIME type
// lookups over the constants table and the system's content types.
#include "core/vxFilesZip.h"

#include <vector>

#include "core/vxConstantsMime.h"
#include "core/vxFilesContent.h"
#include "core/vxFilesPaths.h"
#include "core/vxRegistry.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/registry/vxContentTypes.h"
#include "platform/zip/vxZip.h"

namespace TvxFiles {

namespace {

// Reads the files and adds them in one write; raises on any failure.
void AddFiles(const std::vector<ustring>& Files, const ustring& ZipFile) {
  std::vector<std::string> contents(Files.size());
  std::vector<vxZip::TZipNewEntry> entries;
  entries.reserve(Files.size());
  for (size_t i = 0; i < Files.size(); ++i) {
    const ustring name = vxFileSystem::ExtractFileName(Files[i]);
    if (name.empty() || !LoadFileToString(Files[i], contents[i]))
      throw EZipError(u"file " + Files[i] + u" cannot be read");
    entries.push_back({WideToUtf8(name), contents[i]});
  }
  vxZip::AddEntries(ZipFile, entries);
}

// Writes one entry into Target: replacing it, or only when nothing is
// there yet.
bool ExtractEntry(const vxZip::TZipReader& Reader, int64_t Index, const ustring& Target, bool ReplaceExisting) {
  vxFileSystem::TAtomicFileWriter writer(Target);
  if (!writer.Valid()) return false;
  Reader.ReadTo(Index, [&writer](std::string_view piece) { return writer.Write(piece); });
  return writer.Commit(ReplaceExisting);
}

}  // namespace

bool AddFileToZip(const ustring& InFile, const ustring& ZipFile, const std::string& Data) {
  try {
    if (!FileExists(InFile) && TvxStrings::IsEmptyA(Data, true)) throw EZipError(u"file " + InFile + u" not found!");
    if (Data.empty()) {
      AddFiles({InFile}, ZipFile);
      return true;
    }
    const ustring name = vxFileSystem::ExtractFileName(InFile);
    if (name.empty()) return false;
    vxZip::AddEntries(ZipFile, {{WideToUtf8(name), Data}});
    return true;
  } catch (...) {
    return false;
  }
}

bool AddFilesToZip(const TStrings& InFiles, const ustring& ZipFile) {
  try {
    std::vector<ustring> files;
    for (int32_t i = 0; i < InFiles.Count(); ++i) files.push_back(InFiles.Strings(i));
    AddFiles(files, ZipFile);
    return true;
  } catch (...) {
    return false;
  }
}

bool GetFileFromZip(const ustring& Outfile, const ustring& ZipFile) {
  try {
    const vxZip::TZipReader reader = vxZip::TZipReader::OpenFile(ZipFile);
    if (reader.Count() < 1 || reader.IsFolder(0)) return false;
    return ExtractEntry(reader, 0, Outfile, true);
  } catch (...) {
    return false;
  }
}

bool GetFilesFromZip(const ustring& ZipFile, const ustring& TargetPath, TStrings& ContentFiles) {
  try {
    const ustring target = CheckPathExt(TargetPath);
    ContentFiles.Clear();
    CreatePath(target, true);
    const vxZip::TZipReader reader = vxZip::TZipReader::OpenFile(ZipFile);
    // Every name is checked before anything is written.
    std::vector<ustring> names;
    for (int64_t i = 0; i < reader.Count(); ++i) {
      const std::string name = reader.Name(i);
      if (!vxZip::IsSafeEntryName(name)) return false;
      names.push_back(Utf8ToWide(name));
    }
    for (int64_t i = 0; i < reader.Count(); ++i) {
      const ustring& name = names[static_cast<size_t>(i)];
      if (reader.IsFolder(i)) {
        CreatePath(target + name, true);
        continue;
      }
      const ustring file = GetFreeFileName(target + name, 99999999, u"-", false, false);
      CreatePath(file, true);
      if (!ExtractEntry(reader, i, file, false)) return false;
      ContentFiles.Add(file);
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool GetFilesFromZip(const ustring& ZipFile, const ustring& TargetPath, std::unique_ptr<TStrings>& ContentFiles) {
  if (!ContentFiles) ContentFiles = std::make_unique<TStringList>();
  return GetFilesFromZip(ZipFile, TargetPath, *ContentFiles);
}

ustring GetMIMEType(const ustring& FileName, const ustring& Default) {
  ustring extension = vxFileSystem::ExtractFileExt(FileName);
  if (!extension.empty()) extension.erase(0, 1);
  extension = LowerStrW(extension);
  const std::string key = WideToAnsi(extension);
  for (const TMimeTypeRow& row : MimeTypeTable)
    if (row.Extension == key) return AnsiToWide(row.MimeType);
  ustring result;
  try {
    result = vxContentTypes::OfExtension(u"." + extension);
  } catch (...) {
    // A registry that cannot be read knows no type.
  }
  return result.empty() ? Default : result;
}

ustring GetExtensionFromMimeType(const ustring& MimeType) {
  const std::string key = WideToAnsi(LowerStrW(MimeType));
  ustring result;
  for (const TMimeTypeRow& row : MimeTypeTable)
    if (row.MimeType == key) {
      result = AnsiToWide(row.Extension);
      break;
    }
  if (result.empty()) {
    try {
      result = TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System\\ContentTypes", LowerStrW(MimeType),
                                     Variant(ustring()), false)
                   .AsString();
    } catch (...) {
      result.clear();
    }
  }
  return result;
}

}  // namespace TvxFiles
