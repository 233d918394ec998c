// The linguistic comparison of list items: ICU's collator of the process
// locale.
#include "platform/text/vxCollation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace vxCollation {
namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

std::string ChooseLocale() {
  const char* locale = uloc_getDefault();
  char variant[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_getVariant(locale, variant, sizeof variant, &status);
  if (U_FAILURE(status) || std::strcmp(variant, "POSIX") == 0) return {};
  return locale;
}

// Opened once; every thread compares with clones of it, so no collator is
// ever shared between threads.
const UCollator& Master() {
  static const CollatorPtr master = [] {
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr c(ucol_open(CollationLocale(), &status));
    if (U_FAILURE(status)) throw Exception(std::string("no collator: ") + u_errorName(status));
    return c;
  }();
  return *master;
}

CollatorPtr CloneWithStrength(UCollationStrength strength) {
  UErrorCode status = U_ZERO_ERROR;
  CollatorPtr c(ucol_clone(&Master(), &status));
  if (U_FAILURE(status)) throw Exception(std::string("no collator: ") + u_errorName(status));
  ucol_setStrength(c.get(), strength);
  return c;
}

const UCollator* ThreadCollator(bool caseSensitive) {
  thread_local const CollatorPtr insensitive = CloneWithStrength(UCOL_SECONDARY);
  thread_local const CollatorPtr sensitive = CloneWithStrength(UCOL_TERTIARY);
  return caseSensitive ? sensitive.get() : insensitive.get();
}

int32_t IcuLength(size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) throw Exception("text too long to compare");
  return static_cast<int32_t>(size);
}

}  // namespace

const char* CollationLocale() {
  static const std::string locale = ChooseLocale();
  return locale.c_str();
}

int CompareStrings(std::u16string_view S1, std::u16string_view S2, bool CaseSensitive) {
  if (S1 == S2) return 0;  // the collator finds identical texts equal anyway
  const UCollationResult r =
      ucol_strcoll(ThreadCollator(CaseSensitive), reinterpret_cast<const UChar*>(S1.data()), IcuLength(S1.size()),
                   reinterpret_cast<const UChar*>(S2.data()), IcuLength(S2.size()));
  return r == UCOL_LESS ? -1 : r == UCOL_EQUAL ? 0 : 1;
}

int CompareStrings(std::string_view S1, std::string_view S2, bool CaseSensitive) {
  if (S1 == S2) return 0;
  return CompareStrings(std::u16string_view(AnsiToWide(S1)), std::u16string_view(AnsiToWide(S2)), CaseSensitive);
}

}  // namespace vxCollation
