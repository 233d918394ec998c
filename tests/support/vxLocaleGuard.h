// Sets the process locale (ICU's default locale) for one test and puts the
// former one back afterwards.
#pragma once

#include <unicode/uloc.h>

#include <string>

class TLocaleGuard {
 public:
  explicit TLocaleGuard(const char* locale) : FSaved(uloc_getDefault()) {
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault(locale, &status);
  }
  ~TLocaleGuard() {
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault(FSaved.c_str(), &status);
  }
  TLocaleGuard(const TLocaleGuard&) = delete;
  TLocaleGuard& operator=(const TLocaleGuard&) = delete;

 private:
  std::string FSaved;
};
