// TvxVersionTools: version blocks of files through the platform's reader
// and writer, and the four-part version numbers.
#include "core/vxVersionTools.h"

#include <algorithm>

#include "core/vxConversion.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "platform/lists/vxStringList.h"
#include "platform/version/vxVersionBlock.h"
#include "platform/version/vxVersionFile.h"

namespace TvxVersionTools {
namespace {

using namespace vxVersionBlock;

// Fills each slot of Keys in every translation with its value, cut to the
// slot with its NUL, and sets the fixed file version to 1.1.1.1.
bool ChangeStrings(const ustring& FileName, const std::vector<std::pair<ustring, ustring>>& Values) {
  std::string block;
  if (!vxVersionFile::ReadVersionBlock(FileName, block)) return false;
  TValuePlace fixed;
  if (QueryValue(block, u"\\", fixed) && !fixed.IsText && fixed.Length >= 16) {
    WriteDWord(block, fixed.Offset + 8, 0x00010001);
    WriteDWord(block, fixed.Offset + 12, 0x00010001);
  }
  for (const auto& [language, codePage] : Translations(block)) {
    for (const auto& [key, value] : Values) {
      TValuePlace slot;
      if (!QueryValue(block, StringPath(language, codePage, key), slot) || !slot.IsText) continue;
      std::fill_n(block.begin() + static_cast<std::ptrdiff_t>(slot.Offset), static_cast<size_t>(slot.Length) * 2, '\0');
      const size_t count = std::min<size_t>(value.size(), slot.Length - 1);
      for (size_t i = 0; i < count; ++i) {
        block[slot.Offset + 2 * i] = static_cast<char>(value[i] & 0xFF);
        block[slot.Offset + 2 * i + 1] = static_cast<char>(value[i] >> 8);
      }
    }
  }
  return vxVersionFile::WriteVersionBlock(FileName, block);
}

ustring Key20(const TvxVersion& v) {
  return TvxStrings::FillIntNullW(v.Major, 20) + TvxStrings::FillIntNullW(v.Minor, 20) +
         TvxStrings::FillIntNullW(v.Revision, 20) + TvxStrings::FillIntNullW(v.Build, 20);
}

bool IsZero(const TvxVersion& v) { return v.Major == 0 && v.Minor == 0 && v.Revision == 0 && v.Build == 0; }

ustring Decimal(uint64_t n) {
  const std::string text = TvxConversion::IntToStr(static_cast<int64_t>(n));
  return ustring(text.begin(), text.end());
}

}  // namespace

bool ChangeFileVersionInformation(const ustring& FileName, const ustring& Attribute, const ustring& AttrValue) {
  return ChangeStrings(FileName, {{Attribute, AttrValue}});
}

bool ChangeFileVersionInformation(const ustring& FileName, const TvxFileInfo& FileInfo) {
  return ChangeStrings(FileName, {{u"CompanyName", FileInfo.CompanyName},
                                  {u"FileDescription", FileInfo.FileDescription},
                                  {u"FileVersion", FileInfo.FileVersion},
                                  {u"InternalName", FileInfo.InternalName},
                                  {u"LegalCopyright", FileInfo.LegalCopyright},
                                  {u"LegalTrademarks", FileInfo.LegalTrademarks},
                                  {u"OriginalFilename", FileInfo.OriginalFilename},
                                  {u"ProductName", FileInfo.ProductName},
                                  {u"ProductVersion", FileInfo.ProductVersion},
                                  {u"Comment", FileInfo.Comment}});
}

bool ChangeInternalFileVersion(const ustring& FileName, uint16_t Major, uint16_t Minor, uint16_t Revision,
                               uint16_t Build) {
  std::string block;
  if (!vxVersionFile::ReadVersionBlock(FileName, block) || block.size() < ProductVersionLSOffset + 4) return false;
  const uint32_t ms = (static_cast<uint32_t>(Major) << 16) | Minor;
  const uint32_t ls = (static_cast<uint32_t>(Revision) << 16) | Build;
  WriteDWord(block, FileVersionMSOffset, ms);
  WriteDWord(block, ProductVersionMSOffset, ms);
  WriteDWord(block, FileVersionLSOffset, ls);
  WriteDWord(block, ProductVersionLSOffset, ls);
  return vxVersionFile::WriteVersionBlock(FileName, block);
}

bool GetInternalFileVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Revision,
                            uint16_t& Build) {
  Major = Minor = Revision = Build = 0;
  std::string block;
  // A block too short for the fixed file version counts as none.
  if (!vxVersionFile::ReadVersionBlock(FileName, block) || block.size() < FileVersionLSOffset + 4) return false;
  const uint32_t ms = ReadDWord(block, FileVersionMSOffset);
  const uint32_t ls = ReadDWord(block, FileVersionLSOffset);
  Major = static_cast<uint16_t>(ms >> 16);
  Minor = static_cast<uint16_t>(ms & 0xFFFF);
  Revision = static_cast<uint16_t>(ls >> 16);
  Build = static_cast<uint16_t>(ls & 0xFFFF);
  return true;
}

std::string GetInternalFileVersionStr(const ustring& FileName) {
  uint16_t major, minor, revision, build;
  if (!GetInternalFileVersion(FileName, major, minor, revision, build)) return "Unknown";
  return TvxConversion::IntToStr(major) + "." + TvxConversion::IntToStr(minor) + "." +
         TvxConversion::IntToStr(revision) + "." + TvxConversion::IntToStr(build);
}

uint16_t GetBuild(const ustring& FileName) {
  uint16_t major, minor, revision, build;
  return GetInternalFileVersion(FileName, major, minor, revision, build) ? build : 0;
}

TvxVersion GetVersionFromStr(const ustring& Version) {
  TStringList parts;
  TvxStrings::SplitStringW(Version + u"....", u".", parts);
  auto piece = [&](int32_t i) {
    return i < parts.Count() ? static_cast<uint32_t>(TvxConversion::StrToInt(parts[i], 0)) : 0u;
  };
  return TvxVersion{piece(0), piece(1), piece(2), piece(3)};
}

ustring GetVersionStr(const TvxVersion& Version) {
  return Decimal(Version.Major) + u"." + Decimal(Version.Minor) + u"." + Decimal(Version.Revision) + u"." +
         Decimal(Version.Build);
}

bool IsValidVersionString(const ustring& Version) {
  TStringList parts;
  TvxStrings::SplitStringW(Version + u".0.0.0.", u".", parts);
  for (int32_t i = 0; i < 4; ++i)
    if (i >= parts.Count() || TvxConversion::StrToInt(parts[i], -1) < 0) return false;
  return true;
}

bool IsValidVersion(const TvxVersion& Version) {
  const bool marker = Version.Major == 99999 && Version.Minor == 99999 && Version.Revision == 99999 &&
                      Version.Build == 99999;
  return !IsZero(Version) && !marker;
}

bool IsValidVersion(const ustring& Version) { return IsValidVersion(GetVersionFromStr(Version)); }

TvxVersionComparison CompareVersions(const TvxVersion& TestVersion, const TvxVersion& ReferenceVersion) {
  if (IsZero(TestVersion) || IsZero(ReferenceVersion)) return vxVC_Unknown;
  const int order = Key20(TestVersion).compare(Key20(ReferenceVersion));
  if (order == 0) return vxVC_Identical;
  return order < 0 ? vxVC_Older : vxVC_Newer;
}

TvxVersionComparison CompareVersions(const ustring& TestVersion, const ustring& ReferenceVersion) {
  return CompareVersions(GetVersionFromStr(TestVersion), GetVersionFromStr(ReferenceVersion));
}

TvxVersion InitVersion() { return TvxVersion{}; }

}  // namespace TvxVersionTools
