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

// The mask's signs become the one matcher's: "?" any unit but a dot (or
// nothing at a dot or the end), a dot that may stand for the end, and a star
// that may not run past the last dot.
TFileMask::TFileMask(const ustring& Mask) : FMatcher(Compile(Mask)) {}

std::vector<std::u32string> TFileMask::Compile(const ustring& Mask) {
  std::vector<std::u32string> pieces(1);
  for (size_t i = 0; i < Mask.size(); ++i) {
    const char16_t c = Mask[i];
    const char16_t next = i + 1 < Mask.size() ? Mask[i + 1] : u'\0';
    if (c == u'*') {
      pieces.emplace_back();
      if (next == u'.') pieces.back().push_back(vxWildcard::StarStopsAtLastDot);
    } else if (c == u'?') {
      pieces.back().push_back(vxWildcard::AnyButDot);
    } else if (c == u'.' && (i + 1 == Mask.size() || next == u'*' || next == u'?')) {
      pieces.back().push_back(vxWildcard::DotOrEnd);
    } else {
      pieces.back().push_back(Fold(c));
    }
  }
  return pieces;
}

bool TFileMask::Matches(const ustring& Name) const {
  ustring folded(Name);
  for (char16_t& c : folded) c = Fold(c);
  return FMatcher.Fits(folded);
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
