// TvxNet: the minifiers of style sheets and scripts. Both work line by
// line, drop comments and keep "/*!" comments (licences) on lines of their
// own.
#include <string_view>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "core/vxStringsReplace.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxNumberText.h"

namespace {

using vxRuntime::Trim;

// The lines of a text as a string list reads them: a line ends at CR, LF or
// CR LF, and a line break at the very end starts no further line.
std::vector<ustring> Lines(std::u16string_view Text) {
  std::vector<ustring> lines;
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = start;
    while (end < Text.size() && Text[end] != u'\r' && Text[end] != u'\n') ++end;
    lines.emplace_back(Text.substr(start, end - start));
    if (end < Text.size() && Text[end] == u'\r' && end + 1 < Text.size() && Text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
  return lines;
}

ustring Marker(size_t Number) {
  const std::string digits = vxNumberText::IntText(static_cast<int64_t>(Number));
  return u"<###LicenseReplacer" + ustring(digits.begin(), digits.end()) + u"###>";
}

// ---- Scripts ----

constexpr std::u16string_view kOperators = u"*(,=:[!&|?+-~{;";

bool IsOperator(char16_t c) { return kOperators.find(c) != std::u16string_view::npos; }

bool StartsWithAt(std::u16string_view Text, size_t At, std::u16string_view What) {
  return At + What.size() <= Text.size() && Text.substr(At, What.size()) == What;
}

// Whether a "/" after the code text T begins a regular expression: T is
// blank, or its last non-blank character is an operator, or it ends with
// "return" (or an operator five places before a final "n").
bool RegexMayStart(std::u16string_view T) {
  const size_t last = T.find_last_not_of(u' ');
  if (last == std::u16string_view::npos) return true;
  if (IsOperator(T[last])) return true;
  if (T[last] == u'n' && last >= 5) return IsOperator(T[last - 5]) || StartsWithAt(T, last - 5, u"return");
  return false;
}

// The script scanner's state between lines.
struct TScriptState {
  bool InComment = false;
  bool InPreserved = false;
  bool RegexGuard = false;
};

ustring CompressScriptLine(const ustring& Line, TScriptState& State) {
  bool inSingle = false, inDouble = false, inRegex = false;
  ustring out, code;
  size_t s = 0;
  size_t i = 0;
  const size_t n = Line.size();
  if (State.InComment || State.InPreserved) {
    i = Line.find(u"*/");
    if (i == ustring::npos) i = n;  // nothing on this line is scanned
  }
  auto piece = [&](size_t from, size_t to) { return from < to ? Line.substr(from, to - from) : ustring(); };
  while (i < n) {
    const char16_t c = Line[i];
    const char16_t next = i + 1 < n ? Line[i + 1] : u'\0';
    const bool inString = inSingle || inDouble;
    const bool inAnyComment = State.InComment || State.InPreserved;
    if (!inString && !inAnyComment && !inRegex && (IsOperator(c) || StartsWithAt(Line, i, u"return")))
      State.RegexGuard = false;
    if (inString && c == u'\\') {
      // An escaped character (a quote included) never ends a string.
      i += 2;
      continue;
    }
    if (c == u'"' && !inSingle && !inAnyComment && !inRegex) inDouble = !inDouble;
    if (c == u'\'' && !inDouble && !inAnyComment && !inRegex) inSingle = !inSingle;
    if (c == u'*' && next == u'/' && inAnyComment) {
      if (State.InPreserved) out += u"\r\n" + piece(s, i + 2) + u"\r\n";
      State.InComment = State.InPreserved = false;
      s = i + 2;
      i += 2;
      continue;
    }
    if (c == u'/' && !inString && !inAnyComment && !inRegex && next == u'*') {
      const ustring before = piece(s, i);
      out += u" " + before;
      code += u" " + before;
      const bool preserved = i + 2 < n && Line[i + 2] == u'!';
      if (preserved) {
        State.InPreserved = true;
        s = i;
      } else {
        State.InComment = true;
      }
      const size_t close = Line.find(u"*/", i + (preserved ? 3 : 2));
      i = close == ustring::npos ? n : close;
      continue;
    }
    if (c == u'/' && !inString && !inAnyComment && !inRegex && next == u'/') {
      out += u" " + piece(s, i);
      s = n;  // the line comment is dropped
      break;
    }
    if (c == u'/' && !inString && !inAnyComment) {
      if (inRegex) {
        if (i == 0 || Line[i - 1] != u'\\') inRegex = false;
      } else if (!State.RegexGuard && RegexMayStart(code + u" " + piece(s, i))) {
        inRegex = true;
        State.RegexGuard = true;
      }
    }
    ++i;
  }
  if (!State.InComment) {
    const ustring rest = piece(s, n);
    out += State.InPreserved ? u"\r\n" + rest + u"\r\n" : u" " + rest;
  }
  if (inRegex) out += u"/ ";
  return State.InPreserved ? out : Trim(out);
}

}  // namespace

namespace TvxNet {

ustring CompressCSS(const ustring& CSS) {
  ustring text = CSS;
  // Licence comments wait behind numbered markers.
  std::vector<ustring> preserved;
  for (size_t from = 0;;) {
    const size_t open = text.find(u"/*!", from);
    if (open == ustring::npos) break;
    const size_t close = text.find(u"*/", open);
    if (close == ustring::npos) break;
    preserved.push_back(text.substr(open, close + 2 - open));
    const ustring marker = Marker(preserved.size());
    text.replace(open, close + 2 - open, marker);
    from = open + marker.size();
  }
  ustring joined;
  for (const ustring& line : Lines(text)) joined += Trim(line) + u" ";
  // Each comment from "/*" to the first "*/" at or after it goes; what is
  // left on either side may make a new "/*", so the search goes on one
  // character before the gap.
  for (size_t from = 0;;) {
    const size_t open = joined.find(u"/*", from);
    if (open == ustring::npos) break;
    const size_t close = joined.find(u"*/", open);
    if (close == ustring::npos) break;
    joined.erase(open, close + 2 - open);
    from = open > 0 ? open - 1 : 0;
  }
  for (size_t n = 0; n < preserved.size(); ++n)
    joined = TvxStrings::ReplaceExactW(joined, Marker(n + 1), u"\r\n" + preserved[n] + u"\r\n");
  return joined;
}

ustring CompressJavaScript(const ustring& JavaScript) {
  TScriptState state;
  ustring result;
  for (const ustring& line : Lines(JavaScript)) result += CompressScriptLine(Trim(line), state) + u" ";
  return Trim(result);
}

}  // namespace TvxNet
