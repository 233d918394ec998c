// The places where the host environment (TvxVarlo) meets units that are
// built elsewhere or that tests replace: the host's executable and this
// module's file, the start parameters, the user's language and the
// data-link file. Each seam answers through its unit (/proc/self/exe, dladdr,
// the command line, the process locale, the data-link file) until a test
// sets a function of its own.
#pragma once

#include <functional>

#include "platform/base/vxBase.h"

namespace vxVarloSeams {

// The host's executable file, or this module's file (full paths).
using TExecutableSource = std::function<ustring()>;
// The start parameter Prefix + Name, or Default when it is not given.
using TStartParamReader = std::function<ustring(const ustring& Name, const ustring& Prefix, const ustring& Default)>;
// The user's language as an upper-case two-letter code, or Default.
using TLanguageReader = std::function<ustring(const ustring& Default)>;
// The connection string stored in a data-link file.
using TUdlReader = std::function<ustring(const ustring& UdlFile)>;

// Setting an empty function puts the default back.
void SetExecutableSource(TExecutableSource Source);
void SetModuleSource(TExecutableSource Source);
void SetStartParamReader(TStartParamReader Reader);
void SetLanguageReader(TLanguageReader Reader);
void SetUdlReader(TUdlReader Reader);

ustring HostExecutable();
// This module's file: the library that holds this code.
ustring ModuleFile();
ustring StartParam(const ustring& Name, const ustring& Prefix, const ustring& Default);
ustring ShortLanguage(const ustring& Default);
ustring ConnectionStringFromUdl(const ustring& UdlFile);

}  // namespace vxVarloSeams
