// Preparation of SQL statements for the family's databases: transaction
// identifiers and statements per database product, statement texts written with
// double quotes, a guard for values typed by users, the product behind a
// connection string, and the lists of tables and columns.
#pragma once

#include <functional>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxSQL {

// "VXTA" + local time "hhnnsszzz" + "_" + five identifier characters + "_" +
// the executable's name without folder and extension, upper-cased; cut to 32.
ustring CreateTransactionId();

// By database type; SQLite and PostgreSQL get statements without the
// identifier, which their servers accept.
ustring GetTransactionStatement(const ustring& TransactionId, TvxDatabaseType DatabaseType,
                                TvxTransactionType TransactionType);

// Every double quote becomes a single quote.
bool PrepareSQL(TStrings& SQL);
ustring PrepareSQL(const ustring& Statement);

// The value made safe to place in a statement; raises Exception "possible SQL
// injection attack detected!" for a value that looks like a statement of its
// own. A blacklist, not a protection: statements take values as parameters.
ustring SecureSQL(const ustring& InStr, bool Convert, TvxSQLQueryType SQLQueryType);

// The database product behind the connection string, by probing it with the
// statements each product understands; vxDBT_Unknown and "Unknown" when none
// answers. SQLite and PostgreSQL, which both answer VERSION(), are told apart
// by the connection's provider.
TvxDatabaseType GetDatabaseType(const ustring& ConnectionString, ustring& DatabaseVersion);
TvxDatabaseType GetDatabaseType(const ustring& ConnectionString);

// Appends the tables (columns of Table) to the list; raises for a database type
// without a catalogue query and lets database errors pass.
bool GetTables(const ustring& ConnectionString, TvxDatabaseType DatabaseType, TStrings& Tables);
bool GetColumns(const ustring& ConnectionString, TvxDatabaseType DatabaseType, const ustring& Table,
                TStrings& Columns);

// Where the transaction identifier takes the clock, the identifier and the
// executable's path from; tests set them.
struct TTransactionIdSources {
  std::function<TDateTime()> Now;
  std::function<ustring()> NewId;
  std::function<ustring()> ExecutablePath;
};
TTransactionIdSources& TransactionIdSources();

}  // namespace TvxSQL
