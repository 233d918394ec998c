// The stemmer on Snowball's libstemmer, in its UTF-8 form.
#include "platform/stemmer/vxStemmer.h"

#include <libstemmer.h>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

void TStemmer::TDeleter::operator()(sb_stemmer* Stemmer) const { sb_stemmer_delete(Stemmer); }

TStemmer::TStemmer(const std::string& Algorithm) : FStemmer(sb_stemmer_new(Algorithm.c_str(), "UTF_8")) {
  if (!FStemmer) throw Exception(u"no stemmer for the algorithm " + AnsiToWide(Algorithm));
}

TStemmer::~TStemmer() = default;

std::string TStemmer::StemUtf8(const std::string& Word) {
  const sb_symbol* stem = sb_stemmer_stem(FStemmer.get(), reinterpret_cast<const sb_symbol*>(Word.data()),
                                          static_cast<int>(Word.size()));
  if (!stem) throw Exception("out of memory while stemming");
  return std::string(reinterpret_cast<const char*>(stem), static_cast<size_t>(sb_stemmer_length(FStemmer.get())));
}

namespace {

// Folded words are plain ASCII, whose UTF-8 and UTF-16 forms hold the same
// values: they skip the converter.
bool IsAscii(std::u16string_view s) {
  for (char16_t c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

ustring TStemmer::Stem(const ustring& Word) {
  if (!IsAscii(Word)) return Utf8ToWide(StemUtf8(WideToUtf8(Word)));
  const std::string stem = StemUtf8(std::string(Word.begin(), Word.end()));
  for (char c : stem)
    if (static_cast<unsigned char>(c) >= 0x80) return Utf8ToWide(stem);
  return ustring(stem.begin(), stem.end());
}
