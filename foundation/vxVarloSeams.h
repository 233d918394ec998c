// The places where the host environment (TvxVarlo) meets units that are
// built elsewhere or that tests replace: the host's executable, the start
// parameters, the user's language, the data-link file and the database.
// Each seam has a default that holds until its unit fills it: the
// executable from /proc/self/exe, and for the others the answer the host
// environment gives when the service is missing (the caller's default, an
// empty connection string, a database that cannot be opened).
#pragma once

#include <functional>
#include <vector>

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
// Opens and closes a connection; raises on failure.
using TDatabaseProbe = std::function<void(const ustring& ConnectionString)>;
// Runs Command (still to be passed through the SQL preparation) and gives
// the texts of the first row's fields; raises an Exception on failure.
using TDatabaseQuery =
    std::function<std::vector<ustring>(const ustring& ConnectionString, const ustring& Command)>;

// Setting an empty function puts the default back.
void SetExecutableSource(TExecutableSource Source);
void SetModuleSource(TExecutableSource Source);
void SetStartParamReader(TStartParamReader Reader);
void SetLanguageReader(TLanguageReader Reader);
void SetUdlReader(TUdlReader Reader);
void SetDatabase(TDatabaseProbe Probe, TDatabaseQuery Query);

ustring HostExecutable();
// This module's file: the library that holds this code.
ustring ModuleFile();
ustring StartParam(const ustring& Name, const ustring& Prefix, const ustring& Default);
ustring ShortLanguage(const ustring& Default);
ustring ConnectionStringFromUdl(const ustring& UdlFile);
void ProbeDatabase(const ustring& ConnectionString);
std::vector<ustring> QueryDatabase(const ustring& ConnectionString, const ustring& Command);

}  // namespace vxVarloSeams
