// Stop words, fragments, stemming and the stop-word cache.
#include "core/vxStringsStem.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "core/vxStringsClean.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystem.h"
#include "platform/stemmer/vxStemmer.h"

namespace {

// The language codes of the two stemming forms, the Snowball algorithm and
// the code of the stop-list file, in the order they are tried.
struct TStemLanguage {
  const char16_t* Code;       // StemStringW
  const char16_t* CacheCode;  // StemStringUseCacheW
  const char* Algorithm;
  const char16_t* FileName;
};

constexpr std::array<TStemLanguage, 14> kStemLanguages = {{
    {u"en", u"en", "english", u"stopList_en.txt"},
    {u"fr", u"fr", "french", u"stopList_fr.txt"},
    {u"sp", u"es", "spanish", u"stopList_sp.txt"},
    {u"it", u"it", "italian", u"stopList_it.txt"},
    {u"hu", u"hu", "hungarian", u"stopList_hu.txt"},
    {u"da", u"da", "danish", u"stopList_da.txt"},
    {u"fi", u"fi", "finnish", u"stopList_fi.txt"},
    {u"no", u"no", "norwegian", u"stopList_no.txt"},
    {u"po", u"po", "porter", u"stopList_po.txt"},
    {u"pt", u"pt", "portuguese", u"stopList_pt.txt"},
    {u"ro", u"ro", "romanian", u"stopList_ro.txt"},
    {u"ru", u"ru", "russian", u"stopList_ru.txt"},
    {u"sw", u"sv", "swedish", u"stopList_sw.txt"},
    {u"de", u"de", "german", u"stopList_de.txt"},
}};

const TStemLanguage* FindLanguage(const ustring& LanguageID, bool CacheColumn) {
  for (const auto& l : kStemLanguages)
    if (TvxStrings::EqualsW(LanguageID, CacheColumn ? l.CacheCode : l.Code, true, true)) return &l;
  return nullptr;
}

const ustring kFragmentIgnore = u"\r,\n,', ";
const ustring kFragmentIgnoreNumerical = u"\r,1,2,3,4,5,6,7,8,9,0,\n,', ";

void RemoveStopWords(ustring& Content, const TStrings& List) {
  for (int32_t i = 0; i < List.Count(); ++i) Content = TvxStrings::ReplaceW(Content, u" " + List[i] + u" ", u" ", true);
}

// Folding, fragments: the shared steps of the stemming forms.
void Fragments(const ustring& Content, bool RemoveNumerical, TStrings& Into) {
  TvxStrings::GetEachFragment(Content, true, RemoveNumerical ? kFragmentIgnoreNumerical : kFragmentIgnore, Into);
}

// Appends each usable fragment, stemmed (through Stem) or as it is.
template <class F>
void AppendStems(const TStrings& Fragments, TStemmer* Stemmer, int32_t MinSizeWord, TStrings& Into, F&& Stem) {
  for (int32_t i = 0; i < Fragments.Count(); ++i) {
    const ustring& f = Fragments[i];
    const ustring trimmed = vxRuntime::Trim(f);
    if (trimmed.empty()) continue;
    if (!Stemmer)
      Into.Add(trimmed);
    else if (static_cast<int32_t>(f.size()) >= MinSizeWord)
      Into.Add(vxRuntime::Trim(Stem(f)));
  }
}

std::optional<TStemmer> MakeStemmer(const TStemLanguage* Language) {
  if (!Language) return std::nullopt;
  return std::optional<TStemmer>(std::in_place, Language->Algorithm);
}

// An owned stop-word list in the cache.
class TStopWordList : public TObject {
 public:
  TStringList List;
};

}  // namespace

namespace TvxStrings {

ustring DeleteStopWords(const ustring& Content, const ustring& FilePath) {
  TStringList list;
  list.LoadFromFile(FilePath);
  ustring result = Content;
  RemoveStopWords(result, list);
  return result;
}

ustring DeleteStopWords(const ustring& Content, const ustring& LanguageId, const ustring& ListAsStringSeparatorCRLF,
                        bool TrimBefore, bool IgnoreCase, bool UseCache) {
  ustring result = TrimBefore ? vxRuntime::Trim(Content) : Content;
  if (IgnoreCase) result = LowerStrW(result);
  if (UseCache) {
    // A language without a cached list removes nothing.
    if (const TStringList* list = TvxStopwordCache::GetInstance().GetListForLanguage(LanguageId))
      RemoveStopWords(result, *list);
  } else {
    TStringList list;
    list.SetText(ListAsStringSeparatorCRLF);
    RemoveStopWords(result, list);
  }
  return result;
}

TStrings& GetEachFragment(const ustring& Content, bool ToLower, const ustring& IgnoreLetterListCommaText,
                          TStrings& WordList) {
  ustring text = Content;
  if (!IgnoreLetterListCommaText.empty()) {
    TStringList items;
    items.SetCommaText(IgnoreLetterListCommaText);
    for (int32_t i = 0; i < items.Count(); ++i) text = ReplaceW(text, items[i], u" ");
  }
  if (ToLower) text = LowerStrW(text);
  text = RemoveMoreThenOneBlanks(text);
  SplitStringW(text, u" ", WordList);
  return WordList;
}

TStrings& StemStringW(const ustring& Content, const ustring& PathStemLanguageFiles, const ustring& LanguageID,
                      bool ToLowerCase, bool RemoveNumerical, int32_t MinSizeWord, TStrings& StringList,
                      bool UseStopWordList) {
  ustring path = PathStemLanguageFiles;
  if (path.empty() || path.back() != vxFileSystem::PathDelim) path += vxFileSystem::PathDelim;
  const TStemLanguage* language = FindLanguage(LanguageID, false);
  std::optional<TStemmer> stemmer = MakeStemmer(language);
  ustring text = Content;
  if (language && UseStopWordList) {
    const ustring file = path + language->FileName;
    if (vxFileSystem::FileExists(file)) text = DeleteStopWords(text, file);
  }
  if (ToLowerCase) text = LowerStrW(text);
  text = FlatStringW(text, u' ', true);
  TStringList fragments;
  Fragments(text, RemoveNumerical, fragments);
  AppendStems(fragments, stemmer ? &*stemmer : nullptr, MinSizeWord, StringList,
              [&](const ustring& f) { return stemmer->Stem(f); });
  return StringList;
}

ustring StemStringW(const ustring& SingleWord, const ustring& LanguageID, bool ToLowerCase, bool RemoveNumerical,
                    int32_t MinSizeWord) {
  std::optional<TStemmer> stemmer = MakeStemmer(FindLanguage(LanguageID, false));
  ustring text = ToLowerCase ? LowerStrW(SingleWord) : SingleWord;
  text = FlatStringW(text, u' ', true);
  TStringList fragments;
  Fragments(text, RemoveNumerical, fragments);
  ustring joined;
  for (int32_t i = 0; i < fragments.Count(); ++i) joined += fragments[i] + u"\r\n";
  joined = vxRuntime::Trim(joined);
  if (!stemmer) return joined;
  if (joined.empty() || static_cast<int32_t>(joined.size()) < MinSizeWord) return u"";
  return vxRuntime::Trim(stemmer->Stem(joined));
}

TStrings& StemStringUseCacheW(const ustring& Content, const ustring& LanguageID, bool ToLowerCase,
                              bool RemoveNumerical, int32_t MinSizeWord, TStrings& StringList, bool UseStopWordList) {
  const TStemLanguage* language = FindLanguage(LanguageID, true);
  std::optional<TStemmer> stemmer = MakeStemmer(language);
  ustring text = FlatStringW(Content, u' ', true);
  if (language && UseStopWordList) text = DeleteStopWords(text, LanguageID, u"", true, ToLowerCase, true);
  TStringList fragments;
  Fragments(text, RemoveNumerical, fragments);
  // The 8-bit stemming: folding left only ASCII letters, digits and "_",
  // which pass through the system code page unchanged.
  AppendStems(fragments, stemmer ? &*stemmer : nullptr, MinSizeWord, StringList,
              [&](const ustring& f) { return stemmer->Stem(f); });
  return StringList;
}

}  // namespace TvxStrings

TvxStopwordCache::TvxStopwordCache() = default;

TvxStopwordCache::~TvxStopwordCache() {
  StopWordLists.SetOwnObjects(true);
  StopWordLists.ClearAll();
}

TvxStopwordCache& TvxStopwordCache::GetInstance() {
  // Made once, thread-safe by the language's rule for local statics.
  static TvxStopwordCache instance;
  return instance;
}

TStringList* TvxStopwordCache::GetListForLanguage(const ustring& LanguageID) const {
  auto* holder = static_cast<TStopWordList*>(StopWordLists.Get(LanguageID));
  return holder ? &holder->List : nullptr;
}

bool TvxStopwordCache::IsInCache(const ustring& LanguageID) const { return StopWordLists.IsValueNotNil(LanguageID); }

bool TvxStopwordCache::SetListForLanguage(const ustring& ListAsStringCRLFSeperated, const ustring& LanguageId) {
  if (IsInCache(LanguageId) || vxRuntime::Trim(ListAsStringCRLFSeperated).empty()) return false;
  auto holder = std::make_unique<TStopWordList>();
  holder->List.SetText(ListAsStringCRLFSeperated);
  StopWordLists.Put(LanguageId, holder.get(), false);
  holder.release();  // owned by StopWordLists from here on
  return true;
}

bool TvxStopwordCache::RemoveListForLanguage(const ustring& LanguageID) {
  StopWordLists.SetOwnObjects(true);
  StopWordLists.Remove(LanguageID);
  return true;
}
