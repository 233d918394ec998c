// Explicit run-time descriptions of set types, for the routines that write a
// set as text and read it back.
#include "platform/values/vxTypeInfo.h"

#include <utility>

namespace {

char UpperAsciiLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAsciiLetter(a[i]) != UpperAsciiLetter(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

}  // namespace

TvxSetTypeInfo::TvxSetTypeInfo(int32_t StorageSize, std::vector<std::string> MemberNames)
    : FStorageSize(StorageSize), FNames(std::move(MemberNames)) {}

TvxSetTypeInfo::TvxSetTypeInfo(std::vector<std::string> MemberNames)
    : FStorageSize(StorageSizeFor(static_cast<int32_t>(MemberNames.size()))), FNames(std::move(MemberNames)) {}

int32_t TvxSetTypeInfo::StorageSizeFor(int32_t MemberCount) {
  if (MemberCount <= 8) return 1;
  if (MemberCount <= 16) return 2;
  if (MemberCount <= 32) return 4;
  return (MemberCount + 7) / 8;
}

std::vector<std::string> TvxSetTypeInfo::NamesFromList(std::string_view List) {
  std::vector<std::string> names;
  while (!List.empty()) {
    const size_t comma = List.find(',');
    std::string_view name = TrimBlanks(List.substr(0, comma));
    const size_t scope = name.rfind("::");
    if (scope != std::string_view::npos) name.remove_prefix(scope + 2);
    names.emplace_back(name);
    if (comma == std::string_view::npos) break;
    List.remove_prefix(comma + 1);
  }
  return names;
}

const std::string& TvxSetTypeInfo::MemberName(int32_t Ordinal) const {
  if (Ordinal < 0 || Ordinal >= MemberCount()) {
    throw Exception(("set member ordinal " + std::to_string(Ordinal) + " out of range").c_str());
  }
  return FNames[static_cast<size_t>(Ordinal)];
}

int32_t TvxSetTypeInfo::OrdinalOf(std::string_view Name) const {
  for (size_t i = 0; i < FNames.size(); ++i) {
    if (SameNameIgnoringAsciiCase(FNames[i], Name)) return static_cast<int32_t>(i);
  }
  return -1;
}
