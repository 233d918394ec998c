// Perl-compatible regular expressions over UTF-16 text, through PCRE2.
#include "platform/text/vxRegExpr.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <climits>
#include <new>
#include <string>

#include "platform/base/vxCodePage.h"

namespace {

static_assert(sizeof(PCRE2_UCHAR) == sizeof(char16_t));

struct CodeFree {
  void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* c) const { pcre2_compile_context_free(c); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;

PCRE2_SPTR Units(const ustring& s) { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

ustring DecimalText(size_t n) {
  const std::string digits = std::to_string(n);
  return ustring(digits.begin(), digits.end());
}

ustring ErrorText(int errorCode) {
  PCRE2_UCHAR buffer[256];
  const int n = pcre2_get_error_message(errorCode, buffer, sizeof buffer / sizeof buffer[0]);
  if (n < 0) return u"unknown PCRE2 error " + DecimalText(static_cast<size_t>(-errorCode));
  return ustring(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(n));
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The offset just after the character at i (a surrogate pair is one).
size_t AfterCharacter(const ustring& s, size_t i) {
  if (i + 1 < s.size() && IsHighSurrogate(s[i]) && IsLowSurrogate(s[i + 1])) return i + 2;
  return i + 1;
}

CodePtr Compile(const ustring& expression, bool ignoreCase) {
  if (expression.empty()) throw ERegExprError(u"empty regular expression");
  CompileContextPtr context(pcre2_compile_context_create(nullptr));
  if (!context) throw std::bad_alloc();
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
  uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_DOTALL | PCRE2_NEVER_BACKSLASH_C;
  if (ignoreCase) options |= PCRE2_CASELESS;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  CodePtr code(
      pcre2_compile(Units(expression), expression.size(), options, &errorCode, &errorOffset, context.get()));
  if (!code) {
    throw ERegExprError(u"invalid regular expression \"" + expression + u"\": " + ErrorText(errorCode) +
                        u" at position " + DecimalText(errorOffset + 1));
  }
  return code;
}

}  // namespace

struct TvxRegExpr::Impl {
  ustring Expression;
  CodePtr Code;
  MatchDataPtr MatchData;
  uint32_t GroupCount = 0;

  ustring Input;    // the text as the caller gave it; match texts come from here
  ustring Checked;  // Input with unpaired surrogates replaced, when it had any
  bool UseChecked = false;
  bool HasMatch = false;
  size_t NextOffset = 0;

  const ustring& Subject() const { return UseChecked ? Checked : Input; }

  bool Search(size_t offset);
  const PCRE2_SIZE* Group(int32_t index) const;
};

bool TvxRegExpr::Impl::Search(size_t offset) {
  HasMatch = false;
  const ustring& subject = Subject();
  if (offset > subject.size()) return false;
  // The subject is valid UTF-16 and offset is on a character boundary.
  const int rc =
      pcre2_match(Code.get(), Units(subject), subject.size(), offset, PCRE2_NO_UTF_CHECK, MatchData.get(), nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc < 0) throw ERegExprError(u"regular expression search failed: " + ErrorText(rc));
  HasMatch = true;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(MatchData.get());
  const size_t start = ovector[0], end = ovector[1];
  // Each further search starts beyond the last one, so iteration ends.
  NextOffset = (end > start && end > offset) ? end : AfterCharacter(subject, std::max(end, offset));
  return true;
}

const PCRE2_SIZE* TvxRegExpr::Impl::Group(int32_t index) const {
  if (!HasMatch || index < 0 || static_cast<uint32_t>(index) > GroupCount) return nullptr;
  const PCRE2_SIZE* pair = pcre2_get_ovector_pointer(MatchData.get()) + 2 * index;
  if (pair[0] == PCRE2_UNSET || pair[1] < pair[0]) return nullptr;
  return pair;
}

TvxRegExpr::TvxRegExpr(const ustring& Expression, bool IgnoreCase) : FImpl(std::make_unique<Impl>()) {
  FImpl->Expression = Expression;
  FImpl->Code = Compile(Expression, IgnoreCase);
  FImpl->MatchData.reset(pcre2_match_data_create_from_pattern(FImpl->Code.get(), nullptr));
  if (!FImpl->MatchData) throw std::bad_alloc();
  pcre2_pattern_info(FImpl->Code.get(), PCRE2_INFO_CAPTURECOUNT, &FImpl->GroupCount);
}

TvxRegExpr::~TvxRegExpr() = default;
TvxRegExpr::TvxRegExpr(TvxRegExpr&&) noexcept = default;
TvxRegExpr& TvxRegExpr::operator=(TvxRegExpr&&) noexcept = default;

const ustring& TvxRegExpr::Expression() const { return FImpl->Expression; }

const ustring& TvxRegExpr::InputString() const { return FImpl->Input; }

bool TvxRegExpr::Exec(const ustring& InputString) {
  if (InputString.size() > static_cast<size_t>(INT32_MAX)) {
    throw ERegExprError(u"text too long for a regular expression search");
  }
  FImpl->HasMatch = false;
  FImpl->Input = InputString;
  FImpl->UseChecked = false;
  FImpl->Checked.clear();
  // U+FFFD keeps the length, so positions stay those of the input.
  for (size_t i = FindLoneSurrogate(InputString); i != ustring::npos; i = FindLoneSurrogate(InputString, i + 1)) {
    if (!FImpl->UseChecked) FImpl->Checked = FImpl->Input;
    FImpl->UseChecked = true;
    FImpl->Checked[i] = u'\uFFFD';
  }
  return FImpl->Search(0);
}

bool TvxRegExpr::ExecNext() {
  if (!FImpl->HasMatch) return false;
  return FImpl->Search(FImpl->NextOffset);
}

int32_t TvxRegExpr::SubExprMatchCount() const { return static_cast<int32_t>(FImpl->GroupCount); }

int32_t TvxRegExpr::MatchPos(int32_t Index) const {
  const PCRE2_SIZE* pair = FImpl->Group(Index);
  return pair ? static_cast<int32_t>(pair[0] + 1) : 0;
}

int32_t TvxRegExpr::MatchLen(int32_t Index) const {
  const PCRE2_SIZE* pair = FImpl->Group(Index);
  return pair ? static_cast<int32_t>(pair[1] - pair[0]) : 0;
}

ustring TvxRegExpr::Match(int32_t Index) const {
  const PCRE2_SIZE* pair = FImpl->Group(Index);
  return pair ? FImpl->Input.substr(pair[0], pair[1] - pair[0]) : ustring();
}
