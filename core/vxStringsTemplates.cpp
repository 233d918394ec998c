// TvxStrings: the template-guarded searches and the rule replacement.
#include "core/vxStringsTemplates.h"

#include <algorithm>

#include "core/vxStringsReplace.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace TvxStrings {
namespace {

const ustring kPlaceholder = u"%SEARCH_STRING%";

ustring Expand(const ustring& Template, const ustring& Text) { return ReplaceW(Template, kPlaceholder, Text); }

// Characters in front of the first placeholder; -1 without one.
int32_t PlaceholderOffset(const ustring& Template) { return PosW(Template, kPlaceholder, 1, false) - 1; }

}  // namespace

int32_t PosIgnoreTemplateW(const ustring& Content, const ustring& SearchString, int32_t FromPos, int32_t ToPos,
                           const std::vector<std::string>& ExclutionTemplates, bool IgnoreCase) {
  const int32_t n = static_cast<int32_t>(SearchString.size());
  std::vector<ustring> templates;
  templates.reserve(ExclutionTemplates.size());
  for (const auto& t : ExclutionTemplates) templates.push_back(AnsiToWide(t));
  while (FromPos < ToPos - n) {
    int32_t found = PosW(Content, SearchString, FromPos, IgnoreCase);
    if (found > ToPos) found = 0;
    if (found == 0) return 0;
    bool excluded = false;
    for (const auto& t : templates) {
      const int32_t p = PosW(Content, Expand(t, SearchString), FromPos, IgnoreCase);
      if (p != 0 && p == found - PlaceholderOffset(t)) {
        excluded = true;
        break;
      }
    }
    if (!excluded) return found;
    FromPos = found + std::max<int32_t>(n, 1);
  }
  if (Content.empty()) throw EConvertError(u"endless execution exeption in TvxStrings.posIgnoreTemplateW");
  return 0;
}

bool ContainsBetweenIgnoreTemplates(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                                    int32_t ToPos, const std::vector<std::string>& ExclutionTemplates,
                                    bool IgnoreCase) {
  return PosIgnoreTemplateW(Content, SearchString, FromPos, ToPos, ExclutionTemplates, IgnoreCase) != 0;
}

int32_t CheckSearchStringWithStringTemplates(const ustring& Content, const ustring& SearchText,
                                             const TStrings& TemplateList) {
  const int32_t c = GetStrCountW(Content, SearchText);
  int32_t pos = 0;
  for (int32_t k = 1; k <= c; ++k) {
    pos = PosW(Content, SearchText, pos + 1, false);
    bool covered = false;
    for (int32_t i = 0; i < TemplateList.Count() && !covered; ++i) {
      const ustring& t = TemplateList[i];
      const int32_t st = pos - PosW(t, kPlaceholder, 1, false) + 1;
      const int32_t s = PosW(Content, Expand(t, SearchText), st, false);
      covered = s != 0 && s == st;
    }
    if (!covered) return k;
  }
  return 0;
}

bool CheckStringTemplate(const ustring& Content, const ustring& Pre, const ustring& SearchText, const ustring& Post,
                         TSEARCH_TYPE SearchType) {
  const int32_t c = GetStrCountW(Content, SearchText);
  const size_t n = SearchText.size();
  auto fits = [&](int32_t pos) {  // pos is 1-based
    const size_t at = static_cast<size_t>(pos - 1);
    if (at < Pre.size() || Content.compare(at - Pre.size(), Pre.size(), Pre) != 0) return false;
    return Content.size() - at - n >= Post.size() && Content.compare(at + n, Post.size(), Post) == 0;
  };
  int32_t pos = 0;
  for (int32_t k = 1; k <= c; ++k) {
    pos = PosW(Content, SearchText, pos + 1, false);
    const bool selected = SearchType == EACH_POS || (SearchType == FIRST_POS && k == 1) ||
                          (SearchType == LAST_POS && k == c);
    if (selected && !fits(pos)) return false;
  }
  return true;
}

ustring RuleReplace(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText,
                    const std::vector<std::string>& RuleTemplates, int32_t Pos1RuleId) {
  ustring result = Content;
  for (int32_t i = 0; i < static_cast<int32_t>(RuleTemplates.size()); ++i) {
    const ustring t = AnsiToWide(RuleTemplates[static_cast<size_t>(i)]);
    const ustring s = Expand(t, SearchText);
    const ustring r = Expand(t, ReplaceText);
    const int32_t p = PosW(result, s, 1, false);
    if (i != Pos1RuleId && p > 0) {
      result = ReplaceW(result, s, r);
    } else if (i == Pos1RuleId && p == 1) {
      // The context at the start becomes the replacement context, so text
      // of the template in front of the placeholder is kept in place.
      result = r + result.substr(s.size());
    }
    if (!Contains(result, SearchText, false)) break;
  }
  return result;
}

}  // namespace TvxStrings
