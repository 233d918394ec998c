// TvxFiles: zip archives and the MIME types of file names.
//
// Every zip operation catches every failure and reports it as False. An
// archive is always written whole under a temporary name and renamed into
// place, so a failed addition leaves the old archive as it was. Entries are
// named by the file's name part (no folders); a name already in the archive
// gets the first free one ('a.pdf', then 'a-2.pdf'), so no content is lost.
// Extraction refuses an archive with an entry name that could lead out of
// the target folder (absolute, "..", a backslash): nothing is written then.
#pragma once

#include <memory>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxFiles {

// ---- Zip archives ----

// Adds one entry named by the name part of InFile to ZipFile (created when
// missing): the bytes of Data when Data is not empty, else the whole file
// InFile. False when InFile does not exist and Data is blank (bytes up to
// 32 trimmed), when InFile names no file and Data is given (no entry name),
// and on any failure.
bool AddFileToZip(const ustring& InFile, const ustring& ZipFile, const std::string& Data);
// One entry per file of InFiles, in list order, with one write of the
// archive; a file that cannot be read fails the whole call.
bool AddFilesToZip(const TStrings& InFiles, const ustring& ZipFile);
// Extracts the first entry into the file Outfile (replacing it). False for a
// missing, damaged or empty archive, or a first entry that is a folder.
bool GetFileFromZip(const ustring& Outfile, const ustring& ZipFile);
// Extracts every entry below TargetPath (created when missing), each under
// the first free name (an existing file is never overwritten; 'a-2.txt'),
// with the entry's sub-folders, and lists the written paths in
// ContentFiles (emptied first). Folder entries only make their folder.
// False on a failure; what was extracted before it stays.
bool GetFilesFromZip(const ustring& ZipFile, const ustring& TargetPath, TStrings& ContentFiles);
// The same; a null ContentFiles is given a new list first.
bool GetFilesFromZip(const ustring& ZipFile, const ustring& TargetPath, std::unique_ptr<TStrings>& ContentFiles);

// ---- MIME types ----

// The MIME type of the file name's extension: the first row of
// MimeTypeTable with that extension (lower-cased, without its dot; a name
// without extension gives "application/octet-stream"), else the system's
// content type for it (vxContentTypes), else Default.
ustring GetMIMEType(const ustring& FileName, const ustring& Default);
// The extension (without dot) of the first row with the lower-cased
// MimeType; when there is none or it is empty, the value named by the type
// under HKEY_LOCAL_MACHINE "SOFTWARE\varlo\System\ContentTypes"; else empty.
ustring GetExtensionFromMimeType(const ustring& MimeType);

}  // namespace TvxFiles
