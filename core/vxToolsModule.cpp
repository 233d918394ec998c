// TvxTools: version texts and paths of modules, read through the version
// block reader of the platform.
#include "core/vxToolsModule.h"

#include <algorithm>

#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxVersionTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystem.h"
#include "platform/lists/vxStringList.h"
#include "platform/version/vxModule.h"
#include "platform/version/vxVersionBlock.h"
#include "platform/version/vxVersionFile.h"

namespace {

constexpr char16_t Unknown[] = u"Unknown";

// A value that lives in 8-bit text in the system code page on its way.
ustring ThroughAnsi(const ustring& Text) { return AnsiToWide(WideToAnsi(Text)); }

// Whether the own module has a version block, and its texts.
bool OwnInfo(TvxFileInfo& Info) { return ReadFileInfo(vxModule::OwnModuleFileName(), Info); }

// The key of CompareVersions: every part padded with "0" to 10 characters.
ustring VersionKey(ustring Version) {
  Version = TvxStrings::ReplaceW(Version, u" ", u"");
  std::replace(Version.begin(), Version.end(), u',', u'.');
  TStringList parts;
  TvxStrings::SplitStringW(Version, u".", parts);
  ustring key;
  for (int32_t i = 0; i < parts.Count(); ++i) key += TvxStrings::FillStrNullW(parts[i], 10);
  return key;
}

}  // namespace

bool ReadFileInfo(const ustring& FileName, TvxFileInfo& FileInfo) {
  std::string block;
  if (!vxVersionFile::ReadVersionBlock(FileName, block)) {
    for (ustring* field : {&FileInfo.CompanyName, &FileInfo.FileDescription, &FileInfo.FileVersion,
                           &FileInfo.InternalName, &FileInfo.LegalCopyright, &FileInfo.LegalTrademarks,
                           &FileInfo.OriginalFilename, &FileInfo.ProductName, &FileInfo.ProductVersion,
                           &FileInfo.Comment})
      *field = Unknown;
    return false;
  }
  const auto translations = vxVersionBlock::Translations(block);
  if (translations.empty()) return false;
  const uint16_t language = translations.front().first;
  const uint16_t codePage = translations.front().second;
  auto read = [&](const ustring& Key) {
    vxVersionBlock::TValuePlace place;
    ustring value;
    if (!vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(language, codePage, Key), place) ||
        !place.IsText)
      return value;
    for (uint32_t i = 0; i < place.Length; ++i) {
      const size_t at = place.Offset + 2 * static_cast<size_t>(i);
      const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(block[at]) |
                                               (static_cast<unsigned char>(block[at + 1]) << 8));
      if (c == 0) break;
      value.push_back(c);
    }
    return vxRuntime::Trim(value);
  };
  FileInfo.CompanyName = read(u"CompanyName");
  FileInfo.FileDescription = read(u"FileDescription");
  FileInfo.FileVersion = read(u"FileVersion");
  FileInfo.InternalName = read(u"InternalName");
  FileInfo.LegalCopyright = read(u"LegalCopyright");
  FileInfo.LegalTrademarks = read(u"LegalTrademarks");
  FileInfo.OriginalFilename = read(u"OriginalFilename");
  FileInfo.ProductName = read(u"ProductName");
  FileInfo.ProductVersion = read(u"ProductVersion");
  FileInfo.Comment = read(u"Comment");
  return true;
}

namespace TvxTools {

bool GetFileInfo(const ustring& FileName, TvxFileInfo& FileInfo) { return ReadFileInfo(FileName, FileInfo); }

ustring GetProgramVersion() { return ThroughAnsi(GetProgramVersion(vxModule::OwnModuleFileName())); }

ustring GetProgramVersion(const ustring& FileName) {
  TvxFileInfo info;
  if (!GetFileInfo(FileName, info)) return Unknown;
  return info.ProductVersion + u" (build " + AnsiToWide(TvxVersionTools::GetInternalFileVersionStr(FileName)) + u")";
}

bool GetProgramVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Revision,
                       uint16_t& Build) {
  return TvxVersionTools::GetInternalFileVersion(FileName, Major, Minor, Revision, Build);
}

ustring GetFileBuild(const ustring& FileName) {
  return AnsiToWide(TvxVersionTools::GetInternalFileVersionStr(FileName));
}

ustring GetProgramCopyright() {
  TvxFileInfo info;
  return OwnInfo(info) ? ThroughAnsi(info.LegalCopyright) : ustring(Unknown);
}

ustring GetProgramCopyrightString() { return GetProgramCopyright(); }

ustring GetProgramProductString() {
  TvxFileInfo info;
  return OwnInfo(info) ? ThroughAnsi(info.ProductName) : ustring(Unknown);
}

ustring GetProgramDescription() {
  TvxFileInfo info;
  return OwnInfo(info) ? info.FileDescription : ustring(Unknown);
}

ustring GetModuleFileName() { return vxModule::OwnModuleFileName(); }

ustring GetModuleFileNameInfo() { return GetModuleFileName(); }

std::string GetModulePath() { return WideToAnsi(vxFileSystem::ExtractFilePath(GetModuleFileName())); }

ustring GetResource(const ustring& Name, const ustring& DType) {
  std::string bytes;
  if (vxVersionFile::ReadFileBytes(GetModuleFileName(), bytes)) {
    const std::string section = ".vxres." + WideToUtf8(DType) + "." + WideToUtf8(Name);
    if (auto place = vxVersionFile::FindElfSection(bytes, section))
      return AnsiToWide(std::string_view(bytes).substr(place->Offset, place->Size));
  }
  throw EResNotFound(u"Resource " + Name + u" not found");
}

int32_t CompareVersions(const ustring& Ver1, const ustring& Ver2) {
  const int order = VersionKey(Ver1).compare(VersionKey(Ver2));
  if (order == 0) return 0;
  return order > 0 ? 1 : 2;
}

}  // namespace TvxTools
