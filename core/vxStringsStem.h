// TvxStrings: stop-word removal, cutting text into word fragments and
// stemming them with a Snowball stemmer of the text's language, and the
// process-wide stop-word cache TvxStopwordCache.
//
// Stop-word lists hold one word per line; list files are named
// "stopList_" + code + ".txt" and read by their byte-order mark (UTF-8,
// UTF-16 LE or BE), else in the system code page. Results are appended to
// the caller's list, which is never cleared.
#pragma once

#include <cstdint>

#include "core/vxSortableStringLists.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// Every " " + stop word + " " of the list file replaced by " ", ignoring
// case, word by word in file order. Raises when the file cannot be read.
ustring DeleteStopWords(const ustring& Content, const ustring& FilePath);
// The same with the lines of ListAsStringSeparatorCRLF, or with UseCache the
// cached list of LanguageId (nothing is removed when the cache has none).
// TrimBefore trims Content first; IgnoreCase lower-cases all of it.
ustring DeleteStopWords(const ustring& Content, const ustring& LanguageId, const ustring& ListAsStringSeparatorCRLF,
                        bool TrimBefore, bool IgnoreCase, bool UseCache);
// Appends the blank-separated fragments of Content to WordList, after every
// comma-text item of IgnoreLetterListCommaText became a blank.
TStrings& GetEachFragment(const ustring& Content, bool ToLower, const ustring& IgnoreLetterListCommaText,
                          TStrings& WordList);
// Stop words of the language's list file in PathStemLanguageFiles (when
// UseStopWordList and the file exists), then one stem per fragment of at
// least MinSizeWord characters appended to StringList. A language id outside
// the stemmer table appends the unstemmed fragments.
TStrings& StemStringW(const ustring& Content, const ustring& PathStemLanguageFiles, const ustring& LanguageID,
                      bool ToLowerCase, bool RemoveNumerical, int32_t MinSizeWord, TStrings& StringList,
                      bool UseStopWordList);
// The stem of one word (its fragments joined by CR LF and stemmed as one).
ustring StemStringW(const ustring& SingleWord, const ustring& LanguageID, bool ToLowerCase, bool RemoveNumerical,
                    int32_t MinSizeWord);
// Like the text form of StemStringW, with the stop words of the cache and the
// language codes of the cache column ("es", "sv").
TStrings& StemStringUseCacheW(const ustring& Content, const ustring& LanguageID, bool ToLowerCase,
                              bool RemoveNumerical, int32_t MinSizeWord, TStrings& StringList, bool UseStopWordList);

}  // namespace TvxStrings

// The process-wide stop-word lists, one per language id (matched ignoring
// case). The instance is made once, on the first GetInstance, safely also
// when threads race for it; the list operations themselves are not guarded:
// callers use them from one thread at a time, and a list obtained from the
// cache is not kept across its removal.
class TvxStopwordCache {
 public:
  static TvxStopwordCache& GetInstance();
  ~TvxStopwordCache();
  TvxStopwordCache(const TvxStopwordCache&) = delete;
  TvxStopwordCache& operator=(const TvxStopwordCache&) = delete;

  // The cached list of the language, none when there is none; it stays the cache's.
  TStringList* GetListForLanguage(const ustring& LanguageID) const;
  bool IsInCache(const ustring& LanguageID) const;
  // False, changing nothing, when the language has a list or the text is
  // empty after trimming; else caches the text's lines.
  bool SetListForLanguage(const ustring& ListAsStringCRLFSeperated, const ustring& LanguageId);
  // Removes and frees the language's list; always true.
  bool RemoveListForLanguage(const ustring& LanguageID);

  TvxObjectHashList StopWordLists;

 private:
  TvxStopwordCache();
};
