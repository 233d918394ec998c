// TvxTools: the identity of modules. The ten version texts of any
// executable file, the version, copyright, product and description texts
// of the library's own module (the file that holds this code, not the
// host's executable), its path and resources, and the comparison of two
// version texts.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// A resource the own module does not hold.
VX_DECLARE_EXCEPTION(EResNotFound, Exception);

// The ten texts of FileName's version block under its first translation,
// each trimmed (empty for an absent key). A missing or unversioned file
// gives False and "Unknown" in every field; a block without translations
// gives False with the fields unchanged.
bool ReadFileInfo(const ustring& FileName, TvxFileInfo& FileInfo);

namespace TvxTools {

bool GetFileInfo(const ustring& FileName, TvxFileInfo& FileInfo);

// The own module's ProductVersion + " (build " + its fixed file version +
// ")", passed through 8-bit text; "Unknown" when it has no version block.
ustring GetProgramVersion();
// The same for any file, without the pass through 8-bit text.
ustring GetProgramVersion(const ustring& FileName);
// The fixed file version of a file.
bool GetProgramVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Revision,
                       uint16_t& Build);
// The fixed file version as 'Major.Minor.Revision.Build', or "Unknown".
ustring GetFileBuild(const ustring& FileName);

// The own module's texts; "Unknown" without a version block. Copyright and
// product pass through 8-bit text.
ustring GetProgramCopyright();
ustring GetProgramCopyrightString();
ustring GetProgramProductString();
ustring GetProgramDescription();

// The full path of the own module's file.
ustring GetModuleFileName();
ustring GetModuleFileNameInfo();
// Its folder with the trailing "/", as 8-bit text in the system code page.
std::string GetModulePath();

// The own module's resource Name of type DType (the section
// ".vxres." + DType + "." + Name) read as text in the system code page;
// raises EResNotFound when it has none.
ustring GetResource(const ustring& Name, const ustring& DType);

// 0 when Ver1 and Ver2 are the same version, 1 when Ver1 is the higher, 2
// when it is the lower: blanks removed, "," read as ".", each part padded
// with "0" to 10 characters and the keys compared.
int32_t CompareVersions(const ustring& Ver1, const ustring& Ver2);

}  // namespace TvxTools
