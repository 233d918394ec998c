// Directory search with file masks, as the system's file operations expect
// it: a pattern is a folder part and a mask; the mask's "*" and "?" are
// wildcards and letters match without regard to case.
//
// Mask rules (the original platform's own):
//   *      any run of characters; followed by "." it does not run past the
//          name's last dot, so "*.txt" needs the name to end in ".txt"
//   ?      any one character but a dot; at a dot or at the end of the name
//          it matches nothing, so "a??.txt" finds "a.txt" and "abc.txt"
//   .      before "*" or "?" or at the end of the mask: a dot, or the end of
//          the name; so "*.*" finds every name, dotless ones included, and
//          "*." finds the names without a dot
//   other  the character itself, upper and lower case alike
// A mask without "*" and "?" names one entry, spelt exactly as written (as
// opening the file would find it).
//
// Which entries come back (the runtime's rule): regular and read-only files
// always; hidden files, system files and folders only when Attr asks for
// them (faAnyFile asks for all). A folder search lists "." and ".." first
// when the mask matches them, as the original platform does.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/vxFileSystem.h"
#include "platform/text/vxWildcard.h"

namespace vxFileSystem {

// A mask read once and matched against many names.
class TFileMask {
 public:
  explicit TFileMask(const ustring& Mask);
  bool Matches(const ustring& Name) const;

 private:
  static std::vector<std::u32string> Compile(const ustring& Mask);
  vxWildcard::TMatcher FMatcher;
};

// Whether Name matches Mask by the rules above.
bool MatchesMask(const ustring& Name, const ustring& Mask);

class TFileSearch {
 public:
  // Pattern: folder part (may be empty: the current folder) and mask.
  TFileSearch(const ustring& Pattern, int32_t Attr);
  // The next matching entry; False when there is none left.
  bool Next(TSearchRec& Entry);

 private:
  struct TDirCloser {
    void operator()(DIR* d) const { closedir(d); }
  };

  bool Accepts(int32_t EntryAttr) const;

  std::string FFolder;  // native folder part, empty for the current folder
  ustring FMask;
  TFileMask FCompiled;
  int32_t FAttr;
  bool FLiteral = false;  // the mask has no wildcard
  bool FLiteralDone = false;
  int FDotEntry = 0;      // 0: "." next, 1: ".." next, 2: directory entries
  std::unique_ptr<DIR, TDirCloser> FDir;
};

// The first entry matching Pattern; False when nothing matches.
bool FindFirstEntry(const ustring& Pattern, int32_t Attr, TSearchRec& Entry);
// Every entry matching Pattern, in directory order.
std::vector<TSearchRec> FindEntries(const ustring& Pattern, int32_t Attr);

}  // namespace vxFileSystem
