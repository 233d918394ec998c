// TvxTools: data-link (".udl") files, which name a database provider and
// its connection: UTF-16 little endian with a byte-order mark, the lines
// "[oledb]", "; Everything after this line is an OLE DB initstring" and the
// connection string.
//
// This platform has no data-link editor. The editing operations run the
// program named by the environment variable VARLO_UDL_EDITOR (a command
// line; the file name is added as its last argument) and wait for it; when
// the variable is not set the file stays as it is.
#pragma once

#include "platform/base/vxBase.h"

namespace TvxTools {

// The environment variable naming the data-link editor.
inline constexpr char16_t UdlEditorVariable[] = u"VARLO_UDL_EDITOR";

// Writes the data-link file with ConStr as its connection string, replacing
// any file of that name whole; True. Raises EFOpenError (or EWriteError)
// when the file cannot be written, leaving an old file as it was.
bool CreateUDLFile(const ustring& FileName, const ustring& ConStr);
// "Provider=" followed by the value of the key "Provider" in the section
// "oledb", the file read as an INI file; the whole connection string when
// it begins with 'Provider='. The empty text when anything fails.
ustring GetConnectionstringFromUdlFile(const ustring& FileName);
// Creates the file empty when it does not exist, runs the editor on it and
// waits for its end, and gives the file's connection string then. With
// Temp the file is deleted afterwards (up to 10 attempts, 100 ms apart).
ustring EditUDLFile(const ustring& FileName, bool Temp);
// Edits ConnectionString through a temporary data-link file
// ("vxconstr-" + identifier + "~~~.udl" in the temporary folder), which is
// gone afterwards.
ustring EditConnectionString(const ustring& ConnectionString);

}  // namespace TvxTools
