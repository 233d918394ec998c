// Fuzzes what the import reads from outside: an input that begins as a zip
// archive is unpacked as an import unpacks it, and must write nothing but
// files directly inside its private folder, which is gone afterwards; every
// other input (and every unpacked file) is read as an export document: its
// header and its content in the document's own format version and in the
// two kinds of format. Bad input raises an Exception, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "configstore/vxExportDocument.h"
#include "configstore/vxImportArchive.h"
#include "core/vxFilesContent.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxPrivateFolder.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    fprintf(stderr, "assertion failed: %s\n", What);
    abort();
  }
}

void ReadDocument(std::string_view Bytes) {
  try {
    TXMLDocument document;
    document.LoadFromXML(Bytes);
    Tk7PackageInformation info;
    vxExportDocument::ReadHeader(document, info);
    for (const TXMLNode& content : vxExportDocument::ContentElements(document)) {
      for (const TvxExportFormatVersion version : {info.FormatVersion, vxEFV_V1_2, vxEFV_V1_5}) {
        try {
          ustring infoText;
          vxExportDocument::ReadContent(content, u"root/", version, vxExportDocument::TPropertyReading::Values,
                                        infoText);
        } catch (const Exception&) {
        }
      }
    }
  } catch (const Exception&) {
  }
}

// Every path below Folder, folders included.
size_t CountEntries(const std::filesystem::path& Folder) {
  size_t count = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(Folder); it != std::filesystem::end(it); ++it) ++count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  if (bytes.substr(0, 2) != "PK") {
    ReadDocument(bytes);
    return 0;
  }
  // The private folder lies four levels down in a sandbox of the run's own,
  // so entries climbing up by ".." would show inside the sandbox.
  static vxFileSystem::TPrivateFolder sandbox(Utf8ToWide(std::filesystem::temp_directory_path().string()),
                                              u"vximportfuzz-");
  static const ustring work = sandbox.Path() + u"a/b/c/";
  const ustring zip = sandbox.Path() + u"in.zip";
  Check(vxFileSystem::ReplaceFileContent(zip, bytes), "the archive is written");
  const std::filesystem::path root(WideToUtf8(sandbox.Path()));
  try {
    vxImportArchive::TImportArchive archive(zip, work, 16 << 20);
    const ustring& folder = archive.Folder();
    for (const ustring& file : archive.Files()) {
      Check(file.compare(0, folder.size(), folder) == 0, "an unpacked file lies in the private folder");
      Check(file.find(u'/', folder.size()) == ustring::npos, "an unpacked file lies directly in it");
      Check(!std::filesystem::is_symlink(WideToUtf8(file)), "an unpacked file is no link");
      std::string content;
      Check(TvxFiles::LoadFileToString(file, content), "an unpacked file reads back");
      ReadDocument(content);
    }
    // The sandbox holds the archive, a/b/c/, the private folder and its files.
    Check(CountEntries(root) == 5 + archive.Files().size(), "nothing is written outside the private folder");
  } catch (const Exception&) {
  }
  // The private folder is gone; a/b/c/ stays for the next run.
  Check(CountEntries(root) == 4, "nothing stays behind");
  return 0;
}
