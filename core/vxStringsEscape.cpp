// TvxStrings: the replacement families built on ReplaceW and ReplaceA,
// marker texts at the ends, script string escapes, 8-bit text as bytes.
#include "core/vxStringsEscape.h"

#include <string_view>

#include "core/vxAnsiStringList.h"
#include "core/vxStringsReplace.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"

namespace {

// Reads both comma lists and applies replace(text, source_i, destination_i)
// pair by pair, each on the result of the pairs before it.
template <class Ch, class Replace>
std::basic_string<Ch> ReplacePairs(const std::basic_string<Ch>& content, std::basic_string_view<Ch> sourceList,
                                   std::basic_string_view<Ch> destinationList, Replace replace) {
  TStringListT<Ch> sources, destinations;
  sources.SetCommaText(sourceList);
  destinations.SetCommaText(destinationList);
  if (sources.Count() != destinations.Count()) {
    const std::string message = "the two given listStrings has diverent counts... (" +
                                std::to_string(sources.Count()) + "/" + std::to_string(destinations.Count()) + ")";
    throw Exception(message.c_str());
  }
  std::basic_string<Ch> text = content;
  for (int32_t i = 0; i < sources.Count(); ++i) text = replace(text, sources[i], destinations[i]);
  return text;
}

void AppendUnicodeEscape(ustring& out, char16_t c) {
  out += u"\\u";
  vxRuntime::AppendHex(out, c, 4);
}

}  // namespace

namespace TvxStrings {

ustring ReplaceWithoutPos(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText,
                          TSEARCH_TYPE Pos_id) {
  if (Content.empty() || SearchText.empty()) return Content;
  // Occurrences as splitting finds them: left to right, none overlapping.
  std::vector<size_t> hits;
  for (size_t p = Content.find(SearchText); p != ustring::npos; p = Content.find(SearchText, p + SearchText.size()))
    hits.push_back(p);
  if (hits.empty()) return Content;

  const bool keepFirst = Pos_id == FIRST_POS || Pos_id == EACH_POS;
  const bool keepLast = Pos_id == LAST_POS || Pos_id == EACH_POS;
  const size_t last = hits.size() - 1;
  ustring result;
  result.reserve(Content.size() + hits.size() * ReplaceText.size());
  size_t done = 0;
  for (size_t k = 0; k < hits.size(); ++k) {
    result.append(Content, done, hits[k] - done);
    const bool keep = (k == 0 && keepFirst) || (k == last && keepLast);
    result.append(keep ? SearchText : ReplaceText);
    done = hits[k] + SearchText.size();
  }
  result.append(Content, done, ustring::npos);
  return result;
}

std::string ReplaceEachElement(const std::string& Content, const std::string& ComaSeperatedListSource,
                               const std::string& ComaSeperatedListDestination, bool IgnoreCase) {
  return ReplacePairs<char>(Content, ComaSeperatedListSource, ComaSeperatedListDestination,
                            [IgnoreCase](const std::string& text, const std::string& from, const std::string& to) {
                              return ReplaceA(text, from, to, IgnoreCase);
                            });
}

ustring ReplaceEachElementW(const ustring& Content, const ustring& ComaSeperatedListSource,
                            const ustring& ComaSeperatedListDestination, bool IgnoreCase) {
  return ReplacePairs<char16_t>(Content, ComaSeperatedListSource, ComaSeperatedListDestination,
                                [IgnoreCase](const ustring& text, const ustring& from, const ustring& to) {
                                  return ReplaceW(text, from, to, IgnoreCase);
                                });
}

ustring ReplaceEachElementWEx(const ustring& Content, const TStrings& AEqualsBList, bool IgnoreCase) {
  ustring text = Content;
  for (int32_t i = 0; i < AEqualsBList.Count(); ++i) {
    const ustring& line = AEqualsBList[i];
    const size_t equals = line.find(u'=');
    if (equals == ustring::npos) continue;
    text = ReplaceW(text, line.substr(0, equals), line.substr(equals + 1), IgnoreCase);
  }
  return text;
}

ustring ReplaceAfterElement(const ustring& Content, const ustring& AfterElement, const ustring& Source,
                            const ustring& Destination) {
  if (AfterElement.empty() || Source.empty()) return Content;
  // One walk over Content: done marks how much of it is already in result.
  ustring result;
  size_t done = 0;
  for (;;) {
    const size_t marker = Content.find(AfterElement, done);
    if (marker == ustring::npos) break;
    const size_t hit = Content.find(Source, marker + AfterElement.size());
    if (hit == ustring::npos) break;
    result.append(Content, done, hit - done);
    result.append(Destination);
    done = hit + Source.size();
  }
  result.append(Content, done, ustring::npos);
  return result;
}

ustring ReplaceCharsBeforeString(const ustring& Content, const ustring& SearchString, const ustring& ReplaceString,
                                 int32_t FromPos, int32_t CountChars, bool IgnoreCase) {
  const int32_t p = PosW(Content, SearchString, FromPos, IgnoreCase);
  if (p == 0) return Content;
  // A negative count would keep characters behind the cut and so repeat
  // them; it replaces nothing instead.
  const int64_t count = CountChars < 0 ? 0 : CountChars;
  const int64_t keep = p - count - 1;
  ustring result = keep > 0 ? Content.substr(0, static_cast<size_t>(keep)) : ustring();
  result += ReplaceString;
  result.append(Content, static_cast<size_t>(p - 1), ustring::npos);
  return result;
}

ustring RemoveCharsBeforeString(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                                int32_t CountChars, bool IgnoreCase) {
  return ReplaceCharsBeforeString(Content, SearchString, ustring(), FromPos, CountChars, IgnoreCase);
}

ustring RemoveBlankBetween(const ustring& Content, const ustring& FromString, const ustring& ToString) {
  const ustring all = u"%ALL%";
  const bool anyTo = ToString == all;
  const bool anyFrom = FromString == all;
  if (anyTo && !anyFrom) return ReplaceW(Content, FromString + u' ', FromString);
  if (anyFrom && !anyTo) return ReplaceW(Content, u' ' + ToString, ToString);
  return ReplaceW(Content, FromString + u' ' + ToString, FromString + ToString);
}

ustring ReplaceElementWhenInQuotationMarks(const ustring& Content, char16_t SearchForReplace, char16_t ReplaceIn) {
  ustring result = Content;
  bool inside = false;
  for (char16_t& c : result) {
    if (c == u'"')
      inside = !inside;
    else if (inside && c == SearchForReplace)
      c = ReplaceIn;
  }
  return result;
}

ustring AddWhenNotBeginOrEnd(const ustring& Content, const ustring& Flag, TSEARCH_TYPE Pos_id) {
  if (Flag.empty()) return Content;
  ustring result = Content;
  if ((Pos_id == FIRST_POS || Pos_id == EACH_POS) && !BeginWith(result, Flag, false, true)) result = Flag + result;
  if ((Pos_id == LAST_POS || Pos_id == EACH_POS) && !EndsWith(result, Flag, false)) result += Flag;
  return result;
}

ustring AppendW(const ustring& Content, const ustring& AppendAllwaysText, const ustring& AppendOnRule, bool Rule,
                TAPPEND_TYPE AppendType) {
  if (AppendType == REPLACE_LAST) return Content + AppendAllwaysText + (Rule ? AppendOnRule : ustring());
  return (Rule ? AppendOnRule : ustring()) + AppendAllwaysText + Content;
}

ustring StringToJScriptString(const ustring& AValue) {
  ustring result;
  result.reserve(AValue.size());
  for (const char16_t c : AValue) {
    switch (c) {
      case 8: result += u"\\b"; break;
      case 9: result += u"\\t"; break;
      case 10: result += u"\\n"; break;
      case 12: result += u"\\f"; break;
      case 13: result += u"\\r"; break;
      case u'"':
      case u'/':
      case u'\\':
        result += u'\\';
        result += c;
        break;
      default:
        if (c < 32 || c > 127)
          AppendUnicodeEscape(result, c);
        else
          result += c;
    }
  }
  return result;
}

std::string ByteArrayToString(const TbyteArray& A) { return std::string(A.begin(), A.end()); }

TbyteArray StringToByteArray(const std::string& S) { return TbyteArray(S.begin(), S.end()); }

}  // namespace TvxStrings
