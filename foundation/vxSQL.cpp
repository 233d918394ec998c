// SQL preparation: transaction statements, the double-quote convention, the
// injection guard and the catalogue queries per database product.
#include "foundation/vxSQL.h"

#include <array>

#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxADO.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace TvxSQL {

namespace {

ustring Digits(int Value, int Width) {
  ustring out(static_cast<size_t>(Width), u'0');
  for (int i = Width - 1; i >= 0 && Value > 0; --i, Value /= 10) out[static_cast<size_t>(i)] = static_cast<char16_t>(u'0' + Value % 10);
  return out;
}

bool Contains(const ustring& Text, const ustring& Part) { return Text.find(Part) != ustring::npos; }

// Replaces every occurrence until none is left (each pass can make new ones).
ustring ReplaceUntilGone(ustring Text, const ustring& From, const ustring& To) {
  while (Contains(Text, From)) Text = TvxStrings::ReplaceExactW(Text, From, To);
  return Text;
}

// Runs Sql (double quotes for literals) on a data set of its own and hands each
// row to Row.
template <class RowFn>
void ForEachRow(const ustring& ConnectionString, const ustring& Sql, const vxData::TDataParams* Params, RowFn Row) {
  TvxADODataSet query;
  query.SetConnectionString(ConnectionString);
  query.SetCommandText(PrepareSQL(Sql));
  if (Params)
    for (const auto& p : *Params) query.Parameters().ParamByName(p.Name).Value = p.Value;
  query.Open();
  while (!query.Eof()) {
    Row(query);
    query.Next();
  }
}

}  // namespace

TTransactionIdSources& TransactionIdSources() {
  static TTransactionIdSources sources{
      [] { return vxRuntime::Now(); },
      [] { return AnsiToWide(TvxTools::CreateId().Str()); },
      [] { return vxSystemInfo::ExecutablePath(); },
  };
  return sources;
}

ustring CreateTransactionId() {
  const TTransactionIdSources& sources = TransactionIdSources();
  int hour, minute, second, millisecond;
  vxRuntime::DecodeTime(sources.Now(), hour, minute, second, millisecond);
  const ustring program = vxFileSystem::ChangeFileExt(vxFileSystem::ExtractFileName(sources.ExecutablePath()), u"");
  ustring id = u"VXTA" + Digits(hour, 2) + Digits(minute, 2) + Digits(second, 2) + Digits(millisecond, 3) + u"_" +
               sources.NewId().substr(0, 5) + u"_" + UpperStrW(program);
  if (id.size() > 32) id.resize(32);
  return id;
}

ustring GetTransactionStatement(const ustring& TransactionId, TvxDatabaseType DatabaseType,
                                TvxTransactionType TransactionType) {
  if (DatabaseType == vxDBT_MySQL) {
    switch (TransactionType) {
      case vxTT_Begin:
        return u"START TRANSACTION";
      case vxTT_Commit:
        return u"COMMIT";
      case vxTT_RollBack:
        return u"ROLLBACK";
    }
  }
  // The two databases that run here: PostgreSQL refuses a name after
  // BEGIN TRANSACTION, and SQLite would only ignore it.
  if (DatabaseType == vxDBT_PostgreSQL) {
    switch (TransactionType) {
      case vxTT_Begin:
        return u"START TRANSACTION";
      case vxTT_Commit:
        return u"COMMIT";
      case vxTT_RollBack:
        return u"ROLLBACK";
    }
  }
  if (DatabaseType == vxDBT_SQLite) {
    switch (TransactionType) {
      case vxTT_Begin:
        return u"BEGIN TRANSACTION";
      case vxTT_Commit:
        return u"COMMIT TRANSACTION";
      case vxTT_RollBack:
        return u"ROLLBACK TRANSACTION";
    }
  }
  if (DatabaseType == vxDBT_Oracle) {
    switch (TransactionType) {
      case vxTT_Begin:
        return u"SAVEPOINT " + TransactionId;
      case vxTT_Commit:
        return u"COMMIT WORK RELEASE";
      case vxTT_RollBack:
        return u"ROLLBACK TO SAVEPOINT " + TransactionId;
    }
  }
  switch (TransactionType) {
    case vxTT_Begin:
      return u"BEGIN TRANSACTION " + TransactionId;
    case vxTT_Commit:
      return u"COMMIT TRANSACTION " + TransactionId;
    case vxTT_RollBack:
      return u"ROLLBACK TRANSACTION " + TransactionId;
  }
  return {};
}

bool PrepareSQL(TStrings& SQL) {
  for (int32_t i = 0; i < SQL.GetCount(); ++i) SQL.Put(i, PrepareSQL(SQL.Get(i)));
  return true;
}

ustring PrepareSQL(const ustring& Statement) {
  ustring out = Statement;
  for (char16_t& c : out)
    if (c == u'"') c = u'\'';
  return out;
}

ustring SecureSQL(const ustring& InStr, bool Convert, TvxSQLQueryType SQLQueryType) {
  ustring text = InStr;
  if (Convert && SQLQueryType == vxSQT_SELECT) {
    static const std::array<std::pair<const char16_t*, const char16_t*>, 6> replacements{{
        {u"'", u"''"},
        {u"(", u"[(]"},
        {u")", u"[)]"},
        {u"^", u"[^]"},
        {u"\"", u"[\"]"},
        {u";", u"[;]"},
    }};
    for (const auto& [from, to] : replacements) text = TvxStrings::ReplaceExactW(text, from, to);
  }
  ustring test = ReplaceUntilGone(UpperStrW(text), u"  ", u" ");
  test = ReplaceUntilGone(test, u"; ", u";");

  static const std::array<const char16_t*, 11> keywords{u"SELECT ", u"INSERT ", u"UPDATE ", u"DELETE ",
                                                         u"ALTER ",  u"CREATE ", u"EXEC ",   u"DROP ",
                                                         u"MODIFY ", u"DUMP ",   u"--"};
  static const std::array<const char16_t*, 12> followWords{u"FROM ",    u"TABLE ", u"DATABASE ", u"SET ",
                                                            u"WHERE ",   u"INTO ",  u"INDEX ",    u"VIEW ",
                                                            u"PRIMARY ", u"KEY ",   u"(",         u";"};
  for (const char16_t* keyword : keywords) {
    const ustring word = keyword;
    const size_t at = test.find(word);
    if (at == ustring::npos) continue;
    bool refused = at > 0 && test[at - 1] == u';';
    const ustring following = test.substr(at + word.size(), 10);
    for (const char16_t* follow : followWords) refused = refused || Contains(following, follow);
    if (refused) throw Exception("possible SQL injection attack detected!");
  }
  return text;
}

TvxDatabaseType GetDatabaseType(const ustring& ConnectionString, ustring& DatabaseVersion) {
  DatabaseVersion = u"Unknown";
  struct TProbe {
    const char16_t* Sql;
    const char16_t* Version;
    TvxDatabaseType Type;
  };
  static const std::array<TProbe, 4> probes{{
      {u"SELECT SERVERPROPERTY(\"PRODUCTVERSION\"), SERVERPROPERTY (\"PRODUCTLEVEL\"), SERVERPROPERTY (\"EDITION\")",
       u"MSSQL", vxDBT_MSSQL},
      {u"SELECT VERSION()", u"MYSQL", vxDBT_MySQL},
      {u"SELECT * FROM V$VERSION", u"ORACLE", vxDBT_Oracle},
      {u"SELECT SERVICE_LEVEL, FIXPACK_NUM, BLD_LEVEL FROM TABLE (SYSPROC.ENV_GET_INST_INFO()) AS A;);", u"DB2",
       vxDBT_DB2},
  }};
  TvxADODataSet query;
  try {
    query.SetConnectionString(ConnectionString);
  } catch (const Exception&) {
    return vxDBT_Unknown;
  }
  for (const TProbe& probe : probes) {
    try {
      query.Close();
      query.SetCommandText(PrepareSQL(probe.Sql));
      query.Open();
    } catch (const Exception&) {
      continue;
    }
    ustring version = probe.Version;
    TvxDatabaseType type = probe.Type;
    // Both databases that run here answer VERSION(); their provider tells which.
    if (type == vxDBT_MySQL) {
      const vxData::TDataProvider provider = vxData::ProviderOf(vxData::ParseConnectionString(ConnectionString));
      if (provider == vxData::TDataProvider::SQLite) {
        version = u"SQLITE";
        type = vxDBT_SQLite;
      } else if (provider == vxData::TDataProvider::PostgreSQL) {
        version = u"POSTGRESQL";
        type = vxDBT_PostgreSQL;
      }
    }
    if (!query.Eof())
      for (int32_t i = 0; i < query.FieldCount(); ++i) version.append(u" ").append(query.Fields(i).AsString());
    query.Close();
    DatabaseVersion = version;
    return type;
  }
  return vxDBT_Unknown;
}

TvxDatabaseType GetDatabaseType(const ustring& ConnectionString) {
  ustring ignored;
  return GetDatabaseType(ConnectionString, ignored);
}

bool GetTables(const ustring& ConnectionString, TvxDatabaseType DatabaseType, TStrings& Tables) {
  ustring sql;
  switch (DatabaseType) {
    case vxDBT_MSSQL:
    case vxDBT_MySQL:
      sql = u"SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES ORDER BY TABLE_NAME";
      break;
    case vxDBT_Oracle:
      sql = u"SELECT TABLE_NAME FROM DBA_TABLES ORDER BY TABLE_NAME";
      break;
    case vxDBT_DB2:
      sql = u"SELECT TABNAME AS TABLE_NAME FROM SYSCAT.TABLES ORDER BY TABLE_NAME";
      break;
    case vxDBT_SQLite:
      sql = u"SELECT name AS TABLE_NAME FROM sqlite_master WHERE type = \"table\" ORDER BY name";
      break;
    case vxDBT_PostgreSQL:
      sql = u"SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA = CURRENT_SCHEMA() "
            u"ORDER BY TABLE_NAME";
      break;
    default:
      throw Exception("unsupported database type");
  }
  ForEachRow(ConnectionString, sql, nullptr,
             [&](TvxADODataSet& q) { Tables.Add(q.FieldByName(u"TABLE_NAME").AsString()); });
  return true;
}

bool GetColumns(const ustring& ConnectionString, TvxDatabaseType DatabaseType, const ustring& Table,
                TStrings& Columns) {
  ustring sql;
  switch (DatabaseType) {
    case vxDBT_MSSQL:
    case vxDBT_MySQL:
      sql = u"SELECT COLUMN_NAME FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = :TABLE_NAME";
      break;
    case vxDBT_Oracle:
      sql = u"SELECT COLUMN_NAME FROM COLS WHERE TABLE_NAME = :TABLE_NAME";
      break;
    case vxDBT_DB2:
      sql = u"SELECT COLNAME AS COLUMN_NAME FROM SYSCAT.COLUMNS WHERE TABNAME = :TABLE_NAME";
      break;
    case vxDBT_SQLite:
      sql = u"SELECT name AS COLUMN_NAME FROM pragma_table_info(:TABLE_NAME) ORDER BY cid";
      break;
    case vxDBT_PostgreSQL:
      sql = u"SELECT COLUMN_NAME FROM INFORMATION_SCHEMA.COLUMNS WHERE UPPER(TABLE_NAME) = UPPER(:TABLE_NAME) "
            u"AND TABLE_SCHEMA = CURRENT_SCHEMA() ORDER BY ORDINAL_POSITION";
      break;
    default:
      throw Exception("unsupported database type");
  }
  const vxData::TDataParams params{{u"TABLE_NAME", Variant(Table)}};
  ForEachRow(ConnectionString, sql, &params,
             [&](TvxADODataSet& q) { Columns.Add(q.FieldByName(u"COLUMN_NAME").AsString()); });
  return true;
}

}  // namespace TvxSQL
