// The name and text patterns of the store's property lists, deletes and
// search. The database narrows the rows with LIKE; the store then decides
// each row by the rules here, so every database gives the same answer
// whatever its LIKE makes of letter case, of "\" and of its collation. Each
// LIKE pattern made here matches at least every text the rule accepts.
#pragma once

#include <vector>

#include "platform/base/vxBase.h"

namespace vxConfigPatterns {

// Whether Text begins with Prefix, code unit by code unit.
bool BeginsWith(const ustring& Text, const ustring& Prefix);

// A LIKE pattern matching at least every text that begins with Prefix: each
// "%", "_" and "\" of Prefix stands as "_" (any one character).
ustring PrefixLikePattern(const ustring& Prefix);

// A search term: "*" stands for any text (none included), every other
// character for itself; letter case does not count (UpperStrW on both
// sides). A term without "*" is found anywhere in a text; the empty term
// finds every text.
class TSearchTerm {
 public:
  explicit TSearchTerm(const ustring& Value);

  bool Matches(const ustring& Text) const;
  // A LIKE pattern matching at least every text Matches accepts, for a LIKE
  // that ignores the case of ASCII letters and compares every other
  // character exactly or ignoring its case.
  const ustring& LikePattern() const { return FLike; }
  // The term without its stars.
  const ustring& Plain() const { return FPlain; }

 private:
  // The upper-cased texts between the stars; the first must begin a text,
  // the last end it.
  std::vector<ustring> FPieces;
  ustring FLike;
  ustring FPlain;
};

// The part of Value shown for a hit whose term (without stars) is Plain:
// Value itself up to 50 characters; else, when Plain is found (letter case
// not counting) after character 50, "..." + the 50 characters from 20
// before it + "...", otherwise the first 50 characters + "...". Characters
// are UTF-16 code units; a surrogate pair is never cut.
ustring SearchExcerpt(const ustring& Value, const ustring& Plain);

}  // namespace vxConfigPatterns
