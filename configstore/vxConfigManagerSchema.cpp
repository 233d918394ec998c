// The store's table definitions and the making of an empty store.
#include "configstore/vxConfigManagerSchema.h"

#include "configstore/vxConfigManagerSchemaSql.inc"
#include "foundation/vxADO.h"

namespace vxConfigManagerSchema {

bool IsTableName(const ustring& Name) {
  if (Name.empty() || Name.size() > 63) return false;
  for (size_t i = 0; i < Name.size(); ++i) {
    const char16_t c = Name[i];
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    if (!letter && !(i > 0 && c >= u'0' && c <= u'9')) return false;
  }
  return true;
}

ustring TableDefinition(vxData::TDataProvider Provider, TTableStructureType Layout, const ustring& TableName) {
  if (!IsTableName(TableName)) throw Exception(u"'" + TableName + u"' cannot name the configuration table");
  const bool v2 = Layout == TST_V2;
  const ustring text = Provider == vxData::TDataProvider::SQLite ? (v2 ? Sql_sqlite_v2 : Sql_sqlite_v1)
                                                                 : (v2 ? Sql_postgresql_v2 : Sql_postgresql_v1);
  const std::u16string_view from = DefaultTableName;
  ustring out;
  size_t at = 0;
  for (;;) {
    const size_t found = text.find(from, at);
    if (found == ustring::npos) break;
    out.append(text, at, found - at).append(TableName);
    at = found + from.size();
  }
  return out.append(text, at);
}

void CreateTable(const ustring& ConnectionString, TTableStructureType Layout, const ustring& TableName) {
  TADOConnection connection(ConnectionString);
  connection.Open();
  connection.Execute(TableDefinition(connection.Session().Provider(), Layout, TableName));
}

ustring DocLogDefinition(vxData::TDataProvider Provider) {
  return Provider == vxData::TDataProvider::SQLite ? Sql_sqlite_doclog : Sql_postgresql_doclog;
}

void CreateDocLogTables(const ustring& ConnectionString) {
  TADOConnection connection(ConnectionString);
  connection.Open();
  connection.Execute(DocLogDefinition(connection.Session().Provider()));
}

}  // namespace vxConfigManagerSchema
