// The name and text patterns of the store: LIKE patterns that narrow rows
// in the database, and the rules that decide each row afterwards.
#include "configstore/internal/vxConfigManagerPatterns.h"

#include <array>

#include "core/vxToolsEvo2.h"

namespace vxConfigPatterns {

namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The ASCII characters that a character beyond ASCII upper-cases to (the
// dotless i to "I", the long s to "S"...): a database's LIKE, which folds
// ASCII letters only, would not see those as equal.
const std::array<bool, 128>& SharedUpperCase() {
  static const std::array<bool, 128> shared = [] {
    std::array<bool, 128> marks{};
    ustring all;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c)
      if (!IsSurrogate(static_cast<char16_t>(c))) all += static_cast<char16_t>(c);
    for (const char16_t upper : UpperStrW(all))
      if (upper < 128) marks[upper] = true;
    return marks;
  }();
  return shared;
}

// One character of a term in a LIKE pattern that matches at least what the
// rule matches: itself when the database compares it as the rule does, else
// "_". At is the character's index in Text (a pair stays a pair).
void AppendLikeCharacter(const ustring& Text, size_t At, ustring& Like) {
  const char16_t c = Text[At];
  if (c == u'%' || c == u'_' || c == u'\\') {
    Like += u'_';
  } else if (c < 128) {
    const ustring upper = UpperStrW(ustring(1, c));
    Like += SharedUpperCase()[upper[0] < 128 ? upper[0] : 0] ? u'_' : c;
  } else if (IsHighSurrogate(c) && At + 1 < Text.size() && IsLowSurrogate(Text[At + 1])) {
    // Upper-casing leaves surrogates alone: the pair matches itself only.
    Like += c;
    Like += Text[At + 1];
  } else if (IsLowSurrogate(c) && At > 0 && IsHighSurrogate(Text[At - 1])) {
    // The second half of a pair, written with the first.
  } else {
    Like += u'_';
  }
}

}  // namespace

bool BeginsWith(const ustring& Text, const ustring& Prefix) {
  return Text.size() >= Prefix.size() && Text.compare(0, Prefix.size(), Prefix) == 0;
}

ustring PrefixLikePattern(const ustring& Prefix) {
  ustring like;
  like.reserve(Prefix.size() + 1);
  for (const char16_t c : Prefix) like += (c == u'%' || c == u'_' || c == u'\\') ? u'_' : c;
  return like + u'%';
}

TSearchTerm::TSearchTerm(const ustring& Value) {
  const bool stars = Value.find(u'*') != ustring::npos;
  ustring piece;
  if (!stars) FPieces.emplace_back();  // found anywhere: any text before
  for (size_t i = 0; i < Value.size(); ++i) {
    if (Value[i] == u'*') {
      FLike += u'%';
      FPieces.push_back(UpperStrW(piece));
      piece.clear();
      continue;
    }
    AppendLikeCharacter(Value, i, FLike);
    piece += Value[i];
    FPlain += Value[i];
  }
  FPieces.push_back(UpperStrW(piece));
  if (!stars) {
    FPieces.emplace_back();  // and after
    FLike = u"%" + FLike + u"%";
  }
}

bool TSearchTerm::Matches(const ustring& Text) const {
  const ustring upper = UpperStrW(Text);
  const ustring& first = FPieces.front();
  const ustring& last = FPieces.back();
  if (upper.size() < first.size() + last.size()) return false;
  if (upper.compare(0, first.size(), first) != 0) return false;
  if (upper.compare(upper.size() - last.size(), last.size(), last) != 0) return false;
  // The pieces between, each at its first place after the one before: the
  // earliest places leave the most room for the rest.
  size_t at = first.size();
  const size_t end = upper.size() - last.size();
  for (size_t i = 1; i + 1 < FPieces.size(); ++i) {
    const ustring& piece = FPieces[i];
    const size_t found = upper.find(piece, at);
    if (found == ustring::npos || found + piece.size() > end) return false;
    at = found + piece.size();
  }
  return true;
}

ustring SearchExcerpt(const ustring& Value, const ustring& Plain) {
  constexpr size_t Shown = 50;
  if (Value.size() <= Shown) return Value;
  // 1-based as positions are counted; 0 when not found.
  size_t position = 0;
  if (!Plain.empty()) {
    const size_t found = UpperStrW(Value).find(UpperStrW(Plain));
    if (found != ustring::npos) position = found + 1;
  }
  auto cut = [&](size_t From, size_t Count) {
    if (From > 0 && From < Value.size() && IsLowSurrogate(Value[From]) && IsHighSurrogate(Value[From - 1])) --From;
    size_t to = From + Count < Value.size() ? From + Count : Value.size();
    if (to < Value.size() && IsLowSurrogate(Value[to]) && IsHighSurrogate(Value[to - 1])) ++to;
    return Value.substr(From, to - From);
  };
  if (position <= Shown) return cut(0, Shown) + u"...";
  return u"..." + cut(position - 20 - 1, Shown) + u"...";
}

}  // namespace vxConfigPatterns
