// The search over the names and values of the tree: one query narrows the
// rows in the database, each row is then decided here, so letter case, the
// characters "%", "_" and "\" and the collation count alike on every
// database.
#include <algorithm>

#include "configstore/internal/vxConfigManagerPatterns.h"
#include "configstore/vxConfigManager.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";
constexpr char16_t BinaryType[] = u"BINARY";

}  // namespace

bool TvxConfigManager::Search(const ustring& Value, int32_t MaxHits, TSearchResults& Results) {
  return Guarded(false, [&] {
    const vxConfigPatterns::TSearchTerm term(Value);
    struct THit {
      ustring Name;
      TSearchResult Result;
    };
    std::vector<THit> hits;
    {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      Results.clear();
      // Letter case does not count: PostgreSQL's LIKE would count it.
      const ustring like = DatabaseType == vxDBT_PostgreSQL ? u"ILIKE" : u"LIKE";
      OpenDataSet(u"SELECT ID,KEYNAME,KEYVALUE,DATATYPE FROM " + CfgTabName + u" WHERE (KEYNAME " + like +
                      u" :QUERYVAL1 OR KEYVALUE " + like + u" :QUERYVAL2) AND (DATATYPE <> :DATATYPEVAL) ORDER BY KEYNAME",
                  {{u"QUERYVAL1", Variant(term.LikePattern())},
                   {u"QUERYVAL2", Variant(term.LikePattern())},
                   {u"DATATYPEVAL", Variant(BinaryType)}});
      TField& id = ADODataSet->FieldByName(u"ID");
      TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
      TField& keyValue = ADODataSet->FieldByName(u"KEYVALUE");
      TField& dataType = ADODataSet->FieldByName(u"DATATYPE");
      for (; !ADODataSet->Eof(); ADODataSet->Next()) {
        const ustring name = keyName.AsString();
        const ustring value = keyValue.AsString();
        if (!term.Matches(name) && !term.Matches(value)) continue;
        THit hit{name, {}};
        hit.Result.Id = TIdType(std::u16string_view(TrimKey(id.AsString())));
        if (TrimKey(dataType.AsString()) != TreeType) hit.Result.Name = name;
        hit.Result.Value = vxConfigPatterns::SearchExcerpt(value, term.Plain());
        hits.push_back(std::move(hit));
      }
      ADODataSet->Close();
    }
    // In the order of the names' code units, whatever the collation.
    std::stable_sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.Name < b.Name; });
    for (THit& hit : hits) {
      Results.push_back(std::move(hit.Result));
      if (MaxHits > 0 && Results.size() >= static_cast<size_t>(MaxHits)) break;
    }
    for (TSearchResult& result : Results) result.Key = Convert2VisKey(GetKeyNameByNodeId(result.Id));
    Message = ustring();
    return true;
  });
}
