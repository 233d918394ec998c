// TvxFiles: folders, path texts and free file names.
//
// Path parts, used by every file operation of the library (for
// '/data/scan.2024.pdf'):
//   folder part  up to and including the last "/"; empty when there is none
//                ('/data/')
//   name part    after the last "/"; the whole text when there is none
//                ('scan.2024.pdf')
//   extension    from the last dot to the end, dot included, when that dot
//                stands after the last "/"; empty otherwise ('.pdf')
//   pure name    the name part up to, not including, its last dot; the whole
//                name part when it has no dot ('scan.2024')
// Folder paths handed between operations end with "/". Trimming removes
// every leading and trailing character whose code is at most 32.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxFiles {

// The 92 characters that ConvertToFileName keeps (the last one a blank).
extern const ustring ValidFileNameChars;

// ---- Folders ----

// The system's temporary folder with a trailing "/".
ustring GetTempPath();
// The local application-data folder followed by "Temp/"; "Temp/" alone when
// that folder cannot be determined.
ustring GetUserTempPath();
// The system's own folder (TvxWin32::GetWindowsDirectory) with a trailing
// "/"; this platform has no per-user one, so both forms give the same.
ustring GetWinPath(bool UserSpecific);
// The folder of a CSIDL without a trailing "/"; empty when unknown.
ustring GetSpecialFolder(int32_t Folder);

// Creates every missing folder of the folder part of Path (text after the
// last "/" is a file name and is ignored), never raising. With
// CheckExistence, True at once when that folder exists. Otherwise the
// outcome of creating the deepest folder: False when it existed already.
bool CreatePath(const ustring& Path, bool CheckExistence);
// The folder part of Path names an existing folder (a symbolic link is
// followed): '/a/b' tests '/a/'. Empty text gives False.
bool PathExists(const ustring& Path);
// The library's existence test: a directory search for Path, in which "*"
// and "?" are wildcards, finds an entry that is not a folder, not hidden and
// not a system file.
bool FileExists(const ustring& Path);

// ---- Path texts ----

// Trimmed Path with one "/" appended when it lacks one; blank gives empty.
ustring CheckPathExt(const ustring& Path);
// Trimmed Path with one final "/" removed.
ustring ErasePathExt(const ustring& Path);
// Trimmed Extension with a dot in front when it is not empty and lacks one;
// lower-cased (LowerStrW) with ToLowercase.
ustring CheckFileExtension(const ustring& Extension, bool ToLowercase);
// The pure name of Path.
ustring ExtractPureFileName(const ustring& Path);
// FilePath from its last dot to the end, wherever that dot stands ('/a.b/f'
// gives '.b/f'); the whole FilePath when it has no dot.
ustring GetFileExtention(const ustring& FilePath);
// InPath with its default placeholders expanded
// (TvxStrings::CheckDefaultPlaceHolders), then through CheckPathExt when
// CheckPathSuffix is True.
ustring BuildPathStr(const ustring& InPath, bool CheckPathSuffix, const ustring& UserName, const ustring& HostName);
// Path for display in at most about Maxlen characters: leading folders,
// ".../" and the name part; Path itself when it is short enough.
ustring ShortPath(const ustring& Path, int32_t Maxlen);
// The short form of an existing path. This platform has no short names, so
// it is the path itself; a path that names nothing raises "unable to
// determine short path name from " + SLongName.
ustring GetShortDOSPath(const ustring& SLongName);
// The name part of PathWithoutMask matches the name part of
// PathPossibleWithMask, where "*" stands for any run and "?" for any one
// character, trimmed and ignoring case.
bool EqualsFileName(const ustring& PathWithoutMask, const ustring& PathPossibleWithMask);

// ---- File names ----

// Str made into a usable file name: control characters become blanks,
// characters outside ValidFileNameChars "_", runs of "_" and of blanks
// shrink to one, a leading "_" becomes a blank, the text is trimmed. A text
// that is left empty, or names a folder ("." or ".."), becomes a fresh
// identifier: the result always names a file.
ustring ConvertToFileName(const ustring& Str);

// The first candidate derived from Destination under which nothing exists
// (no file, folder or link of any kind, hidden ones included): Destination
// itself (not with AlwaysAddId), then folder + pure name + Separator + n +
// extension for n = 2, 3, ... (from 1 with AlwaysAddId; six digits with
// leading zeros with WithLeadingZero). MaxRetry counts every candidate
// formed; after that the local time "yyyymmddhhnnsszzz" takes the number's
// place until a candidate is free. Nothing is reserved: create the file at
// once.
ustring GetFreeFileName(const ustring& Destination, uint32_t MaxRetry, const ustring& Separator, bool AlwaysAddId,
                        bool WithLeadingZero);

// A free name (GetFreeFileName with 99,999,999 tries and "-") in the folder
// of Destination for the listed files whose extension is in ValidExtensions
// (a comma list, blanks and dots ignored; "*" for all): none gives
// "Document"; one its pure name; several their pure names, each longer than
// MaxFilenameLength cut to it with "...", joined by ", ". A name longer than
// MaxFinalLength is cut to it with "..."; then NewExtension follows. Runs of
// two blanks in a name become one; a cut never splits a character into
// halves.
ustring DetermineNewFilename(const ustring& Destination, const TStrings& FileList, const ustring& ValidExtensions,
                             const ustring& NewExtension, int32_t MaxFilenameLength, int32_t MaxFinalLength);

// A path in TempDirectory named after a fresh temporary file: the system
// creates "~" + a hexadecimal number + ".tmp" there and leaves it; the
// result is its folder, that name without ".tmp" padded with zeros to 8
// characters, "." and Ext (given without its dot). The result itself is not
// created. Raises the system's error text when no file can be created.
ustring CreateUniqueFilename(const ustring& TempDirectory, const ustring& Ext);

}  // namespace TvxFiles
