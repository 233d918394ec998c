// TvxVersionTools: the version block of executable files (read the fixed
// file version, rewrite the fixed versions and string values in place) and
// four-part version numbers (read from text, written, tested, compared).
//
// No operation raises: every failure is a result (False, "Unknown", 0,
// vxVC_Unknown or a version of zeros). Files are PE files with a version
// resource or our own ELF modules with their version section
// (platform/version/vxVersionFile.h); anything else is unversioned.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"

namespace TvxVersionTools {

// Rewrites the string value Attribute in every translation of the file's
// version block, cut to its old slot; the fixed file version becomes
// 1.1.1.1. A key a translation lacks is not added.
bool ChangeFileVersionInformation(const ustring& FileName, const ustring& Attribute, const ustring& AttrValue);
// The same for the ten keys of TvxFileInfo ("Comment" for the last).
bool ChangeFileVersionInformation(const ustring& FileName, const TvxFileInfo& FileInfo);
// Sets the fixed file and product versions to Major.Minor.Revision.Build.
bool ChangeInternalFileVersion(const ustring& FileName, uint16_t Major, uint16_t Minor, uint16_t Revision,
                               uint16_t Build);
// The fixed file version; all four 0 and False for a missing or
// unversioned file, or a block too short to hold it.
bool GetInternalFileVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Revision,
                            uint16_t& Build);
// "Major.Minor.Revision.Build", or "Unknown". 8-bit text.
std::string GetInternalFileVersionStr(const ustring& FileName);
// The Build part; 0 when the file has no version.
uint16_t GetBuild(const ustring& FileName);

// The first four "."-separated pieces of Version, each read with
// TvxConversion::StrToInt (error value 0) and kept in 32 bits.
TvxVersion GetVersionFromStr(const ustring& Version);
ustring GetVersionStr(const TvxVersion& Version);
// True when each of the first four pieces reads as a number >= 0 (empty
// pieces read 0).
bool IsValidVersionString(const ustring& Version);
// False for all zeros and for 99999.99999.99999.99999.
bool IsValidVersion(const TvxVersion& Version);
bool IsValidVersion(const ustring& Version);
// Field by field by number; vxVC_Unknown when either is all zeros.
TvxVersionComparison CompareVersions(const TvxVersion& TestVersion, const TvxVersion& ReferenceVersion);
TvxVersionComparison CompareVersions(const ustring& TestVersion, const ustring& ReferenceVersion);
TvxVersion InitVersion();

}  // namespace TvxVersionTools
