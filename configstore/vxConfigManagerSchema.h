// The table definitions of the configuration store: both layouts for SQLite
// and PostgreSQL, kept as SQL files in configstore/sql/ and built into the
// library; beside them those of the document log's tables "vx_log" and
// "vx_meta" (written by the logging console, which never creates them). The store itself never creates its table; the companion program
// vxstore and the tests do, through CreateTable.
#pragma once

#include "configstore/vxConfigManager.h"
#include "platform/data/vxDataConnection.h"

namespace vxConfigManagerSchema {

// The table name of the definitions as written in the files.
inline constexpr char16_t DefaultTableName[] = u"vx_configuration";

// Whether Name may name the table: a letter or "_", then letters, digits and
// "_", at most 63 characters (PostgreSQL's limit).
bool IsTableName(const ustring& Name);

// The statements that make the table TableName in Layout on the database
// Provider. Raises Exception for a name IsTableName refuses.
ustring TableDefinition(vxData::TDataProvider Provider, TTableStructureType Layout, const ustring& TableName);

// Makes the table on the database of ConnectionString (a data-link file
// reference "File Name=..." included), in one transaction: a failure leaves
// no table behind. Raises Exception (EDatabaseError from the database, for a
// table that exists already too).
void CreateTable(const ustring& ConnectionString, TTableStructureType Layout, const ustring& TableName);

// The statements that make "vx_log" and "vx_meta" on the database Provider.
ustring DocLogDefinition(vxData::TDataProvider Provider);

// Makes both tables on the database of ConnectionString, in one transaction.
// Raises Exception (EDatabaseError from the database, for tables that exist
// already too).
void CreateDocLogTables(const ustring& ConnectionString);

}  // namespace vxConfigManagerSchema
