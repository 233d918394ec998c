// The connection, command and data-set objects that the database code of the
// system works with, in place of the platform's ADO components: a connection
// named by a connection string, statements with ":NAME" parameters, and a data
// set whose rows are read whole and can be appended, edited and posted back
// (INSERT and UPDATE on the table of its SELECT).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/data/vxDataConnection.h"

// One parameter of a command text.
class TParameter {
 public:
  explicit TParameter(ustring Name) : FName(std::move(Name)) {}
  const ustring& Name() const { return FName; }
  Variant Value;

 private:
  ustring FName;
};

// The parameters of a command text, made from its ":NAME" marks when the text
// is set (setting the same text again keeps them and their values); names are
// found without regard to case.
class TParameters {
 public:
  void ParseSQL(const ustring& Sql);
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TParameter& Items(int32_t Index);
  // The parameter of that name; EDatabaseError "Parameter 'X' not found".
  TParameter& ParamByName(const ustring& Name);
  TParameter* FindParam(const ustring& Name);
  vxData::TDataParams AsDataParams() const;

 private:
  std::vector<TParameter> FItems;
};

// A connection to a database, opened on demand by the objects that use it.
class TADOConnection {
 public:
  TADOConnection() = default;
  explicit TADOConnection(ustring ConnectionString) : FConnectionString(std::move(ConnectionString)) {}
  TADOConnection(const TADOConnection&) = delete;
  TADOConnection& operator=(const TADOConnection&) = delete;

  // Connection strings: "Provider=SQLite;Data Source=FILE" or
  // "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=...".
  const ustring& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(const ustring& Value);
  int32_t ConnectionTimeout = 15;  // seconds
  int32_t CommandTimeout = 30;     // seconds; 0 waits as long as the server works

  void Open();
  void Close();
  bool Connected() const { return FSession && FSession->Connected(); }
  // The name of the provider: "SQLite" or "PostgreSQL"; before Open the one
  // the connection string names (empty when it names none that runs here).
  ustring Provider() const;
  // The provider's properties; "Connection Status" is "1" while the session
  // answers and "0" otherwise. Other names give the empty text.
  ustring Properties(const ustring& Name);
  // Runs a statement; the number of rows it changed.
  int64_t Execute(const ustring& Sql, const vxData::TDataParams& Params = {});

  // The open session (opened first when needed).
  vxData::TDataConnection& Session();

 private:
  ustring FConnectionString;
  std::unique_ptr<vxData::TDataConnection> FSession;
};

// A statement that gives no rows.
class TADOCommand {
 public:
  TADOCommand() = default;
  TADOCommand(const TADOCommand&) = delete;
  TADOCommand& operator=(const TADOCommand&) = delete;

  // Either a connection of its own by string, or a shared one.
  void SetConnectionString(const ustring& Value);
  void SetConnection(TADOConnection* Value) { FShared = Value; }
  const ustring& CommandText() const { return FCommandText; }
  void SetCommandText(const ustring& Value);
  TParameters& Parameters() { return FParameters; }
  int32_t CommandTimeout = 30;
  // Runs the command; the number of rows it changed.
  int64_t Execute();

 private:
  TADOConnection& Connection();
  std::unique_ptr<TADOConnection> FOwn;
  TADOConnection* FShared = nullptr;
  ustring FCommandText;
  TParameters FParameters;
};

class TADODataSet;

// One column of the current row.
class TField {
 public:
  TField(TADODataSet& Owner, int32_t Index, vxData::TDataColumn Column)
      : FOwner(&Owner), FIndex(Index), FColumn(std::move(Column)) {}

  const ustring& FieldName() const { return FColumn.Name; }
  vxData::TFieldKind DataType() const { return FColumn.Kind; }
  int32_t Index() const { return FIndex; }

  bool IsNull() const;
  Variant Value() const;
  // Stores Value converted to the column's kind; a value that does not fit
  // raises here, not when the row is posted. Only in edit or insert state.
  void SetValue(const Variant& Value);
  void Clear() { SetValue(Variant::Null()); }

  ustring AsString() const;  // Null gives the empty text
  int32_t AsInteger() const;  // Null gives 0
  int64_t AsLargeInt() const;
  double AsFloat() const;
  bool AsBoolean() const;     // Null gives False
  TDateTime AsDateTime() const;  // Null gives 0
  void SetAsString(const ustring& Value) { SetValue(Variant(Value)); }
  void SetAsInteger(int32_t Value) { SetValue(Variant(Value)); }
  void SetAsFloat(double Value) { SetValue(Variant(Value)); }
  void SetAsBoolean(bool Value) { SetValue(Variant(Value)); }
  void SetAsDateTime(TDateTime Value) { SetValue(Variant::FromDate(Value)); }

 private:
  // The value of the current row as the data set holds it (no copy).
  const Variant& Stored() const;

  TADODataSet* FOwner;
  int32_t FIndex;
  vxData::TDataColumn FColumn;
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// The rows of a SELECT, read whole on Open. Append or Edit, then Post, writes
// the row back to the SELECT's table: an INSERT, or an UPDATE of the row found
// by the table's primary key, else its column ID, else all the row's original
// values.
class TADODataSet {
 public:
  TADODataSet() = default;
  virtual ~TADODataSet() = default;
  TADODataSet(const TADODataSet&) = delete;
  TADODataSet& operator=(const TADODataSet&) = delete;

  void SetConnectionString(const ustring& Value);
  void SetConnection(TADOConnection* Value) { FShared = Value; }
  const ustring& CommandText() const { return FCommandText; }
  void SetCommandText(const ustring& Value);
  TParameters& Parameters() { return FParameters; }
  int32_t CommandTimeout = 30;

  void Open();
  void Close();
  bool Active() const { return FState != dsInactive; }
  TDataSetState State() const { return FState; }

  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  void First();
  void Next();
  void Prior();
  void Last();
  int32_t RecordCount() const { return static_cast<int32_t>(FRows.size()); }
  // 1-based number of the current row; 0 without one.
  int32_t RecNo() const;

  int32_t FieldCount() const { return static_cast<int32_t>(FFields.size()); }
  TField& Fields(int32_t Index);
  // EDatabaseError "Field 'X' not found" when there is no such column.
  TField& FieldByName(const ustring& Name);
  TField* FindField(const ustring& Name);

  void Append();
  void Insert() { Append(); }
  void Edit();
  void Post();
  void Cancel();
  void Delete();

 protected:
  // Makes the field objects from the columns of the result; overriders call
  // the inherited behaviour.
  virtual void InitFieldDefs();

 private:
  friend class TField;
  TADOConnection& Connection();
  void CheckActive() const;
  // The values the current row shows (the edit buffer while editing).
  const std::vector<Variant>& CurrentValues() const;
  std::vector<Variant>& EditValues();
  // The condition that finds the current row's stored original.
  ustring WhereForRow(const std::vector<Variant>& Original, vxData::TDataParams& Params);
  ustring TableName() const;

  std::unique_ptr<TADOConnection> FOwn;
  TADOConnection* FShared = nullptr;
  ustring FCommandText;
  TParameters FParameters;
  std::vector<vxData::TDataColumn> FColumns;
  std::vector<std::vector<Variant>> FRows;
  std::vector<TField> FFields;
  std::vector<Variant> FBuffer;
  int32_t FCurrent = -1;
  bool FEof = true, FBof = true;
  TDataSetState FState = dsInactive;
};
