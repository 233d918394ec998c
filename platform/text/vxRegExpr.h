// Regular expressions over UTF-16 text, on PCRE2's 16-bit library.
//
// One object holds one compiled expression. Exec searches a text from its
// start, ExecNext goes on after the previous match, and the match and its
// groups are read by 1-based position, length and text.
//
// The settings are fixed as the system's text routines expect them:
// - "." matches every character, line breaks included;
// - "^" and "$" stand for the start and the end of the whole text (no
//   multi-line mode); CR, LF and CR LF all count as line breaks for "$";
// - letter case counts unless the object is made with IgnoreCase;
// - text is taken as Unicode: "." and classes take a surrogate pair as one
//   character, and \w, \d, \b and \s follow Unicode's character properties;
// - at a position the alternatives are tried from the left, repeats are
//   greedy unless written lazy.
//
// Unpaired surrogates in a searched text are matched as if they were U+FFFD
// (each is still one code unit, so positions and match texts refer to the
// text as given); they never stop a search. \C (one code unit) is refused
// because it could split a surrogate pair.
//
// After an empty match the next search starts one character further on, so
// iterating a pattern that can only match empty ends after the text's end.
//
// An object may be moved; a moved-from object may only be assigned to or
// destroyed.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// An expression that does not compile (the message carries PCRE2's text and
// the 1-based position where the fault was found), an empty expression, or a
// search that exceeds the engine's backtracking limits.
VX_DECLARE_EXCEPTION(ERegExprError, Exception);

class TvxRegExpr {
 public:
  // Compiles the expression; raises ERegExprError when it is empty or does
  // not compile.
  explicit TvxRegExpr(const ustring& Expression, bool IgnoreCase = false);
  ~TvxRegExpr();
  TvxRegExpr(TvxRegExpr&&) noexcept;
  TvxRegExpr& operator=(TvxRegExpr&&) noexcept;
  TvxRegExpr(const TvxRegExpr&) = delete;
  TvxRegExpr& operator=(const TvxRegExpr&) = delete;

  const ustring& Expression() const;

  // Searches InputString (kept by the object) from its start. True when a
  // match was found.
  bool Exec(const ustring& InputString);
  // Searches on from the end of the previous match (one character further
  // when that match was empty). False when there is no further match, or no
  // match before it.
  bool ExecNext();

  // The number of groups that the expression defines (group 0, the whole
  // match, not counted).
  int32_t SubExprMatchCount() const;

  // Group Index of the current match (0: the whole match): its 1-based
  // position in the input, its length and its text. Without a current
  // match, for a group that took no part in it, or for an Index outside
  // 0 .. SubExprMatchCount(), the position is 0, the length 0 and the text
  // empty.
  int32_t MatchPos(int32_t Index = 0) const;
  int32_t MatchLen(int32_t Index = 0) const;
  ustring Match(int32_t Index = 0) const;

  const ustring& InputString() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
