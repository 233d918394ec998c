// The logging console's document log: one row per event in "vx_log", the
// document's fields as rows of "vx_meta", and the deletion of "vx_log" rows
// older than the retention. The tables belong to the installation; this
// code never creates them (configstore/sql/ holds their definitions).
#include <vector>

#include "core/vxToolsEvo2.h"
#include "foundation/vxADO.h"
#include "foundation/vxConsoleTools.h"
#include "foundation/vxDocLogSettings.h"

namespace {

constexpr char16_t SelectLogRow[] = u"SELECT * FROM vx_log WHERE DOCID IS NULL";
constexpr char16_t DeleteOldLogRows[] = u"DELETE FROM vx_log WHERE CREATIONDATE < :KILLDATE";
constexpr char16_t DeleteMetaRows[] = u"DELETE FROM vx_meta WHERE DOCID = :DOCID";
constexpr char16_t SelectMetaRow[] = u"SELECT * FROM vx_meta WHERE DOCID IS NULL";
constexpr std::u16string_view MetaPrefix = u"META_";

// The retention runs at the first row of a console and at every thousandth,
// so the table is not scanned at every event.
constexpr uint64_t RetentionInterval = 1000;

// A statement or data set of one call, on the console's connection, without
// a command time-out.
template <class T>
void Prepare(T& Statement, TADOConnection& Connection, const ustring& Sql) {
  Statement.SetConnection(&Connection);
  Statement.CommandTimeout = 0;
  Statement.SetCommandText(Sql);
}

}  // namespace

void TvxConsoleTools::LoadDocLogSettings() {
  if (!((DocLogCount == 0 && WriteDocLogDatabase) || WriteDocMetaDatabase)) return;
  TvxDocLogSettings settings{WriteDocLogDatabase, WriteDocMetaDatabase, DocLogRetention, DocLogLevel};
  if (!vxDocLogSettings::Read(settings)) return;
  WriteDocLogDatabase = settings.WriteDocLogDatabase;
  WriteDocMetaDatabase = settings.WriteDocMetaDatabase;
  DocLogRetention = settings.DocLogRetention;
  DocLogLevel = settings.DocLogLevel;
}

TADOConnection& TvxConsoleTools::DocLogConnection() {
  const ustring wanted = ConnectionString;
  if (!FDocLogConnection || FDocLogConnection->ConnectionString() != wanted)
    FDocLogConnection = std::make_unique<TADOConnection>(wanted);
  return *FDocLogConnection;
}

void TvxConsoleTools::WriteDocLogRow(const ustring& LogTypeStr, const ustring& Msg, const TIdType& DocId,
                                     const TIdType& StackId, const ustring& Address, const ustring& User,
                                     const ustring& Application, const TvxMetaData& MetaData) {
  TvxADODataSet set;
  Prepare(set, DocLogConnection(), SelectLogRow);
  set.Open();
  // PostgreSQL gives the names in lower case: the list holds them upper-cased.
  DocLogMetaFields.Clear();
  for (int32_t i = 0; i < set.FieldCount(); ++i) {
    const ustring name = UpperStrW(set.Fields(i).FieldName());
    if (name.starts_with(MetaPrefix)) DocLogMetaFields.Add(name);
  }
  set.Append();
  set.FieldByName(u"DOCID").SetAsString(DocId.WideStr());
  set.FieldByName(u"STACKID").SetAsString(StackId.WideStr());
  set.FieldByName(u"CREATIONDATE").SetAsDateTime(LogNow());
  set.FieldByName(u"USERNAME").SetAsString(LowerStrW(User.empty() ? ustring(u"SYSTEM") : User));
  set.FieldByName(u"SERVICE").SetAsString(LowerStrW(ServerTechName));
  set.FieldByName(u"APPLICATION").SetAsString(LowerStrW(Application));
  set.FieldByName(u"HOST").SetAsString(LowerStrW(Address.empty() ? ustring(u"localhost") : Address));
  set.FieldByName(u"LOGTYPE").SetAsString(LowerStrW(LogTypeStr));
  set.FieldByName(u"LOGTEXT").SetAsString(Msg);
  // A value its column refuses is left out: at the assignment (a type the
  // column cannot take), or, when the database refuses the row for one of
  // them (a text too long for it), by writing the row without metadata.
  std::vector<TField*> metaSet;
  for (const TvxMetaField& field : MetaData) {
    const ustring column = ustring(MetaPrefix) + UpperStrW(field.ExtField);
    if (DocLogMetaFields.IndexOf(column) < 0) continue;
    try {
      TField& target = set.FieldByName(column);
      target.SetValue(field.VarValue);
      metaSet.push_back(&target);
    } catch (const Exception&) {
    }
  }
  try {
    set.Post();
  } catch (const Exception&) {
    if (metaSet.empty()) throw;
    for (TField* field : metaSet) field->Clear();
    set.Post();
  }
}

void TvxConsoleTools::DeleteOldDocLogRows() {
  TADOCommand command;
  Prepare(command, DocLogConnection(), DeleteOldLogRows);
  // As a date, so it is bound in the form CREATIONDATE was written in (a
  // number would compare below every text date on SQLite and delete nothing).
  command.Parameters().ParamByName(u"KILLDATE").Value = Variant::FromDate(LogNow() - DocLogRetention);
  command.Execute();
}

void TvxConsoleTools::WriteDocMetaRows(TvxLogInfoType LogType, const TIdType& DocId, const TvxMetaData& MetaData) {
  if (LogType == vxLog_Modify || LogType == vxLog_Delete) {
    TADOCommand command;
    Prepare(command, DocLogConnection(), DeleteMetaRows);
    command.Parameters().ParamByName(u"DOCID").Value = Variant(DocId.WideStr());
    command.Execute();
  }
  if (LogType != vxLog_Create && LogType != vxLog_Modify) return;
  TvxADODataSet set;
  Prepare(set, DocLogConnection(), SelectMetaRow);
  set.Open();
  for (const TvxMetaField& field : MetaData) {
    set.Append();
    set.FieldByName(u"DOCID").SetAsString(DocId.WideStr());
    set.FieldByName(u"FIELDNAME").SetAsString(field.IntField);
    set.FieldByName(u"FIELDVALUE").SetAsString(field.Value);
    set.Post();
  }
}

bool TvxConsoleTools::DocLog(const ustring& LogTypeStr, const ustring& Msg, const TIdType& DocId,
                             const TIdType& StackId, const ustring& Address, const ustring& User,
                             const ustring& Application, const TvxMetaData& MetaData, TvxLogInfoType LogType) {
  bool result = false;
  try {
    LoadDocLogSettings();
    if (WriteDocLogDatabase) {
      WriteDocLogRow(LogTypeStr, Msg, DocId, StackId, Address, User, Application, MetaData);
      const uint64_t count = ++DocLogCount;
      result = true;
      if (DocLogRetention > 0 && (count == 1 || count % RetentionInterval == 0)) DeleteOldDocLogRows();
    }
    if (WriteDocMetaDatabase) WriteDocMetaRows(LogType, DocId, MetaData);
  } catch (const Exception&) {
    // The connection may be what failed: the next call opens a new one.
    FDocLogConnection.reset();
    return false;
  }
  return result;
}

bool TvxConsoleTools::DocLog(TvxLogInfoType LogType, const ustring& Msg, const TIdType& DocId,
                             const TIdType& StackId, const ustring& Address, const ustring& User,
                             const ustring& Application, const TvxMetaData& MetaData) {
  try {
    LoadDocLogSettings();
  } catch (const Exception&) {
    return false;
  }
  if (!PassesLevel(LogType, DocLogLevel)) return true;
  return DocLog(GetLogTypeText(LogType), Msg, DocId, StackId, Address, User, Application, MetaData, LogType);
}
