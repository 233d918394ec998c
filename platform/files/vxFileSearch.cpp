// Directory search with file masks, as the system's file operations expect it:
// a pattern is a folder part and a mask.
#include "platform/files/vxFileSearch.h"

#include <fcntl.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>

#include "platform/files/vxFileSystemDetail.h"
#include "platform/text/vxWildcard.h"

namespace vxFileSystem {

namespace {

char16_t Fold(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  const UChar32 up = u_toupper(c);
  return up <= 0xFFFF ? static_cast<char16_t>(up) : c;
}

bool HasWildcard(const ustring& Mask) { return Mask.find_first_of(u"*?") != ustring::npos; }

}  // namespace

TFileMask::TFileMask(const ustring& Mask) {
  FItems.reserve(Mask.size());
  for (size_t i = 0; i < Mask.size(); ++i) {
    const char16_t c = Mask[i];
    const char16_t next = i + 1 < Mask.size() ? Mask[i + 1] : u'\0';
    if (c == u'*')
      FItems.push_back({next == u'.' ? TKind::StarToLastDot : TKind::Star, 0});
    else if (c == u'?')
      FItems.push_back({TKind::AnyChar, 0});
    else if (c == u'.' && (i + 1 == Mask.size() || next == u'*' || next == u'?'))
      FItems.push_back({TKind::DotOrEnd, 0});
    else
      FItems.push_back({TKind::Literal, Fold(c)});
  }
  // A star before a dot that must be a dot cannot pass the name's last dot
  // anyway: only "?" and a dot that may stand for the end need the walk below.
  FPlain = std::none_of(FItems.begin(), FItems.end(),
                        [](const TItem& item) { return item.Kind == TKind::AnyChar || item.Kind == TKind::DotOrEnd; });
  if (!FPlain) return;
  FPieces.emplace_back();
  for (const TItem& item : FItems) {
    if (item.Kind == TKind::Literal)
      FPieces.back().push_back(item.Char);
    else
      FPieces.emplace_back();
  }
}

// Walks the mask over the name keeping the set of name positions reachable
// so far: linear in the name for each mask item, no backtracking.
bool TFileMask::Matches(const ustring& Name) const {
  if (FPlain) {
    ustring folded(Name);
    for (char16_t& c : folded) c = Fold(c);
    return vxWildcard::Fits(folded, FPieces);
  }
  const size_t n = Name.size();
  const size_t lastDot = Name.rfind(u'.');
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (const TItem& item : FItems) {
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (size_t j = 0; j <= n; ++j) {
      switch (item.Kind) {
        case TKind::Literal:
          if (reach[j] && j < n && Fold(Name[j]) == item.Char) next[j + 1] = 1;
          break;
        case TKind::AnyChar:
          if (!reach[j]) break;
          if (j < n && Name[j] != u'.') next[j + 1] = 1;
          if (j == n || Name[j] == u'.') next[j] = 1;
          break;
        case TKind::DotOrEnd:
          if (!reach[j]) break;
          if (j < n && Name[j] == u'.') next[j + 1] = 1;
          if (j == n) next[j] = 1;
          break;
        case TKind::Star:
          any = any || reach[j];
          next[j] = any;
          break;
        case TKind::StarToLastDot:
          // Cannot run from before the last dot to after it.
          if (lastDot != ustring::npos && j == lastDot + 1) any = false;
          any = any || reach[j];
          next[j] = any;
          break;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

bool MatchesMask(const ustring& Name, const ustring& Mask) { return TFileMask(Mask).Matches(Name); }

TFileSearch::TFileSearch(const ustring& Pattern, int32_t Attr)
    : FMask(ExtractFileName(Pattern)), FCompiled(FMask), FAttr(Attr) {
  const ustring folder = ExtractFilePath(Pattern);
  FLiteral = !HasWildcard(FMask);
  FLiteralDone = FMask.empty();
  if (!detail::ToNative(folder, FFolder)) {
    FLiteralDone = true;
    return;
  }
  if (FLiteral || FMask.empty()) return;
  FDir.reset(opendir(FFolder.empty() ? "." : FFolder.c_str()));
}

bool TFileSearch::Accepts(int32_t EntryAttr) const {
  return (EntryAttr & ~FAttr & (faHidden | faSysFile | faVolumeID | faDirectory)) == 0;
}

bool TFileSearch::Next(TSearchRec& Entry) {
  if (FLiteral) {
    if (FLiteralDone) return false;
    FLiteralDone = true;
    std::string name;
    if (!detail::ToNative(FMask, name)) return false;
    const std::string path = FFolder + name;
    return detail::StatAt(AT_FDCWD, path.c_str(), FMask, Entry) && Accepts(Entry.Attr);
  }
  if (!FDir) return false;
  const int dirFd = dirfd(FDir.get());
  while (FDotEntry < 2) {
    const char* native = FDotEntry == 0 ? "." : "..";
    ++FDotEntry;
    const ustring name = FromNativePath(native);
    if (FCompiled.Matches(name) && detail::StatAt(dirFd, native, name, Entry) && Accepts(Entry.Attr)) return true;
  }
  while (const dirent* d = readdir(FDir.get())) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    const ustring name = FromNativePath(d->d_name);
    if (!FCompiled.Matches(name)) continue;
    // An entry removed since the folder was read is skipped.
    if (detail::StatAt(dirFd, d->d_name, name, Entry) && Accepts(Entry.Attr)) return true;
  }
  return false;
}

bool FindFirstEntry(const ustring& Pattern, int32_t Attr, TSearchRec& Entry) {
  TFileSearch search(Pattern, Attr);
  return search.Next(Entry);
}

std::vector<TSearchRec> FindEntries(const ustring& Pattern, int32_t Attr) {
  std::vector<TSearchRec> entries;
  TFileSearch search(Pattern, Attr);
  TSearchRec entry;
  while (search.Next(entry)) entries.push_back(entry);
  return entries;
}

}  // namespace vxFileSystem
