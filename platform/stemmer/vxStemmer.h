// One Snowball stemmer for one call: made for an algorithm name ("english",
// "porter", "german", ...), it answers the stem of one lower-case word.
#pragma once

#include <memory>
#include <string>

#include "platform/base/vxBase.h"

struct sb_stemmer;

class TStemmer {
 public:
  // Raises Exception when the algorithm is unknown or cannot be made.
  explicit TStemmer(const std::string& Algorithm);
  ~TStemmer();
  TStemmer(const TStemmer&) = delete;
  TStemmer& operator=(const TStemmer&) = delete;

  // The stem of Word (UTF-16, read and stemmed as UTF-8).
  ustring Stem(const ustring& Word);
  // The stem of Word given as UTF-8 bytes, as UTF-8 bytes.
  std::string StemUtf8(const std::string& Word);

 private:
  struct TDeleter {
    void operator()(sb_stemmer* Stemmer) const;
  };
  std::unique_ptr<sb_stemmer, TDeleter> FStemmer;
};
