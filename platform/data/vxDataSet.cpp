// The connection, command and data-set objects over the data layer's sessions.
#include "platform/data/vxDataSet.h"

#include <optional>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxCaseMap.h"

namespace {

// Names compared without regard to case; plain ASCII names (nearly all) are
// compared in place, others through the case map.
bool SameName(const ustring& A, const ustring& B) {
  if (A.size() == B.size()) {
    bool ascii = true;
    size_t i = 0;
    for (; i < A.size(); ++i) {
      char16_t a = A[i], b = B[i];
      if (a > 0x7F || b > 0x7F) {
        ascii = false;
        break;
      }
      if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
      if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
      if (a != b) return false;
    }
    if (ascii) return true;
  }
  return vxCaseMap::Upper(A) == vxCaseMap::Upper(B);
}

ustring QuotedName(const ustring& Name) {
  ustring out = u"\"";
  for (char16_t c : Name) {
    if (c == u'"') out += u'"';
    out += c;
  }
  return out + u"\"";
}

bool IsIdentChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u'.' || c == u'$' || c > 0x7F;
}

bool IsBlankChar(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The words and quoted names of a statement at the outer level (nothing inside
// parentheses or quotes but the quoted names themselves).
std::vector<ustring> OuterTokens(const ustring& Sql) {
  std::vector<ustring> tokens;
  int depth = 0;
  size_t i = 0;
  const size_t n = Sql.size();
  while (i < n) {
    const char16_t c = Sql[i];
    if (c == u'\'') {
      const size_t close = Sql.find(u'\'', i + 1);
      i = close == ustring::npos ? n : close + 1;
      if (depth == 0) tokens.push_back(u"'");
    } else if (c == u'"' || c == u'`' || c == u'[') {
      const char16_t close = c == u'[' ? u']' : c;
      const size_t end = Sql.find(close, i + 1);
      const size_t stop = end == ustring::npos ? n : end + 1;
      if (depth == 0) tokens.push_back(Sql.substr(i, stop - i));
      i = stop;
    } else if (c == u'(') {
      if (depth == 0) tokens.push_back(u"(");
      ++depth;
      ++i;
    } else if (c == u')') {
      if (depth > 0) --depth;
      ++i;
    } else if (IsIdentChar(c)) {
      size_t j = i;
      while (j < n && IsIdentChar(Sql[j])) ++j;
      if (depth == 0) tokens.push_back(Sql.substr(i, j - i));
      i = j;
    } else {
      if (depth == 0 && !IsBlankChar(c)) tokens.push_back(ustring(1, c));
      ++i;
    }
  }
  return tokens;
}

}  // namespace

// --- TParameters -------------------------------------------------------------

void TParameters::ParseSQL(const ustring& Sql) {
  std::vector<TParameter> items;
  for (const auto& mark : vxData::ScanParameters(Sql)) {
    bool known = false;
    for (const auto& p : items) known = known || SameName(p.Name(), mark.Name);
    if (known) continue;
    // A value set before the text changed stays with its name.
    TParameter parameter(mark.Name);
    if (const TParameter* old = FindParam(mark.Name)) parameter.Value = old->Value;
    items.push_back(std::move(parameter));
  }
  FItems = std::move(items);
}

TParameter& TParameters::Items(int32_t Index) {
  if (Index < 0 || Index >= Count()) throw EDatabaseError("parameter index out of range");
  return FItems[static_cast<size_t>(Index)];
}

TParameter* TParameters::FindParam(const ustring& Name) {
  for (auto& p : FItems)
    if (SameName(p.Name(), Name)) return &p;
  return nullptr;
}

TParameter& TParameters::ParamByName(const ustring& Name) {
  if (TParameter* p = FindParam(Name)) return *p;
  throw EDatabaseError(u"Parameter '" + Name + u"' not found");
}

vxData::TDataParams TParameters::AsDataParams() const {
  vxData::TDataParams params;
  for (const auto& p : FItems) params.push_back({p.Name(), p.Value});
  return params;
}

// --- TADOConnection ----------------------------------------------------------

void TADOConnection::SetConnectionString(const ustring& Value) {
  if (Value != FConnectionString) Close();
  FConnectionString = Value;
}

void TADOConnection::Open() {
  auto session = vxData::TDataConnection::Create(FConnectionString);
  session->Open(ConnectionTimeout);
  FSession = std::move(session);
}

void TADOConnection::Close() { FSession.reset(); }

ustring TADOConnection::Provider() const {
  if (FSession) return FSession->ProviderName();
  // Not open (or lost): the provider the connection string names.
  try {
    return vxData::TDataConnection::Create(FConnectionString)->ProviderName();
  } catch (const Exception&) {
    return {};
  }
}

ustring TADOConnection::Properties(const ustring& Name) {
  if (SameName(Name, u"Connection Status")) return FSession && FSession->Healthy() ? u"1" : u"0";
  return {};
}

vxData::TDataConnection& TADOConnection::Session() {
  // Opened on first use; a session that was lost stays lost until Close and
  // Open make a new one, so its failure is reported, not papered over.
  if (!FSession) Open();
  return *FSession;
}

int64_t TADOConnection::Execute(const ustring& Sql, const vxData::TDataParams& Params) {
  return Session().Execute(Sql, Params, CommandTimeout);
}

// --- TADOCommand -------------------------------------------------------------

void TADOCommand::SetConnectionString(const ustring& Value) {
  if (!FOwn) FOwn = std::make_unique<TADOConnection>();
  FOwn->SetConnectionString(Value);
  FShared = nullptr;
}

void TADOCommand::SetCommandText(const ustring& Value) {
  if (Value == FCommandText && !Value.empty()) return;  // the parameters stay as they are
  FCommandText = Value;
  FParameters.ParseSQL(Value);
}

TADOConnection& TADOCommand::Connection() {
  if (FShared) return *FShared;
  if (FOwn) return *FOwn;
  throw EDatabaseError("no connection for the command");
}

int64_t TADOCommand::Execute() {
  return Connection().Session().Execute(FCommandText, FParameters.AsDataParams(), CommandTimeout);
}

// --- TField ------------------------------------------------------------------

const Variant& TField::Stored() const {
  static const Variant null = Variant::Null();
  const auto& values = FOwner->CurrentValues();
  if (static_cast<size_t>(FIndex) >= values.size()) return null;
  return values[static_cast<size_t>(FIndex)];
}

bool TField::IsNull() const {
  const Variant& v = Stored();
  return v.IsNull() || v.IsEmpty();
}

Variant TField::Value() const { return Stored(); }

void TField::SetValue(const Variant& Value) {
  Variant converted = vxData::ConvertForKind(Value, FColumn.Kind);
  FOwner->EditValues()[static_cast<size_t>(FIndex)] = std::move(converted);
}

ustring TField::AsString() const {
  const Variant& v = Stored();
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.VarType() == varDate) return Utf8ToWide(vxData::DateTimeToStorageText(v.AsDateTime()));
  return v.AsString();
}
int32_t TField::AsInteger() const { return IsNull() ? 0 : Stored().AsInteger(); }
int64_t TField::AsLargeInt() const { return IsNull() ? 0 : Stored().AsInt64(); }
double TField::AsFloat() const { return IsNull() ? 0 : Stored().AsDouble(); }
bool TField::AsBoolean() const { return IsNull() ? false : Stored().AsBoolean(); }
TDateTime TField::AsDateTime() const {
  const Variant& v = Stored();
  if (v.IsNull() || v.IsEmpty()) return 0;
  return vxData::ConvertForKind(v, vxData::TFieldKind::DateTime).AsDateTime();
}

// --- TADODataSet -------------------------------------------------------------

void TADODataSet::SetConnectionString(const ustring& Value) {
  if (!FOwn) FOwn = std::make_unique<TADOConnection>();
  FOwn->SetConnectionString(Value);
  FShared = nullptr;
}

void TADODataSet::SetCommandText(const ustring& Value) {
  if (Value == FCommandText && !Value.empty()) return;  // the parameters stay as they are
  FCommandText = Value;
  FParameters.ParseSQL(Value);
}

TADOConnection& TADODataSet::Connection() {
  if (FShared) return *FShared;
  if (FOwn) return *FOwn;
  throw EDatabaseError("no connection for the data set");
}

void TADODataSet::Open() {
  Close();
  vxData::TDataResult result = Connection().Session().Query(FCommandText, FParameters.AsDataParams(), CommandTimeout);
  FColumns = std::move(result.Columns);
  FRows = std::move(result.Rows);
  InitFieldDefs();
  FState = dsBrowse;
  First();
}

void TADODataSet::InitFieldDefs() {
  FFields.clear();
  for (size_t i = 0; i < FColumns.size(); ++i) FFields.emplace_back(*this, static_cast<int32_t>(i), FColumns[i]);
}

void TADODataSet::Close() {
  FState = dsInactive;
  FColumns.clear();
  FRows.clear();
  FFields.clear();
  FBuffer.clear();
  FCurrent = -1;
  FEof = FBof = true;
}

void TADODataSet::CheckActive() const {
  if (FState == dsInactive) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TADODataSet::First() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Cancel();
  FCurrent = FRows.empty() ? -1 : 0;
  FBof = true;
  FEof = FRows.empty();
}

void TADODataSet::Next() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Post();
  FBof = false;
  if (FCurrent + 1 < RecordCount()) {
    ++FCurrent;
  } else {
    FEof = true;
  }
}

void TADODataSet::Prior() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Post();
  FEof = false;
  if (FCurrent > 0) {
    --FCurrent;
  } else {
    FBof = true;
  }
}

void TADODataSet::Last() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Cancel();
  FCurrent = RecordCount() - 1;
  FEof = true;
  FBof = FRows.empty();
}

int32_t TADODataSet::RecNo() const { return FCurrent < 0 ? 0 : FCurrent + 1; }

TField& TADODataSet::Fields(int32_t Index) {
  if (Index < 0 || Index >= FieldCount()) throw EDatabaseError("field index out of range");
  return FFields[static_cast<size_t>(Index)];
}

TField* TADODataSet::FindField(const ustring& Name) {
  for (auto& f : FFields)
    if (SameName(f.FieldName(), Name)) return &f;
  return nullptr;
}

TField& TADODataSet::FieldByName(const ustring& Name) {
  if (TField* f = FindField(Name)) return *f;
  throw EDatabaseError(u"Field '" + Name + u"' not found");
}

const std::vector<Variant>& TADODataSet::CurrentValues() const {
  static const std::vector<Variant> none;
  if (FState == dsEdit || FState == dsInsert) return FBuffer;
  if (FCurrent < 0 || FCurrent >= static_cast<int32_t>(FRows.size())) return none;
  return FRows[static_cast<size_t>(FCurrent)];
}

std::vector<Variant>& TADODataSet::EditValues() {
  if (FState != dsEdit && FState != dsInsert) throw EDatabaseError("Dataset not in edit or insert mode");
  return FBuffer;
}

void TADODataSet::Append() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Post();
  FBuffer.assign(FColumns.size(), Variant::Null());
  FState = dsInsert;
}

void TADODataSet::Edit() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) return;
  if (FCurrent < 0) throw EDatabaseError("the data set has no current row to edit");
  FBuffer = FRows[static_cast<size_t>(FCurrent)];
  FState = dsEdit;
}

void TADODataSet::Cancel() {
  if (FState == dsEdit || FState == dsInsert) FState = dsBrowse;
  FBuffer.clear();
}

ustring TADODataSet::TableName() const {
  // The single table after the outer FROM; a join or a list of tables leaves
  // no table to write to.
  const std::vector<ustring> tokens = OuterTokens(FCommandText);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (vxCaseMap::Upper(tokens[i]) != u"FROM") continue;
    if (i + 1 >= tokens.size() || tokens[i + 1] == u"(" || tokens[i + 1] == u"'") break;
    for (size_t j = i + 2; j < tokens.size(); ++j) {
      const ustring word = vxCaseMap::Upper(tokens[j]);
      if (word == u"," || word == u"JOIN") return {};
      if (word == u"WHERE" || word == u"ORDER" || word == u"GROUP" || word == u"LIMIT" || word == u"HAVING" ||
          word == u"UNION")
        break;
    }
    return tokens[i + 1];
  }
  return {};
}

ustring TADODataSet::WhereForRow(const std::vector<Variant>& Original, vxData::TDataParams& Params) {
  const ustring table = TableName();
  std::vector<size_t> keyColumns;
  auto indexOf = [&](const ustring& name) -> std::optional<size_t> {
    for (size_t i = 0; i < FColumns.size(); ++i)
      if (SameName(FColumns[i].Name, name)) return i;
    return std::nullopt;
  };
  std::vector<ustring> key = Connection().Session().PrimaryKey(table);
  for (const auto& name : key) {
    const auto i = indexOf(name);
    if (!i) {
      keyColumns.clear();
      break;
    }
    keyColumns.push_back(*i);
  }
  if (keyColumns.empty())
    if (const auto id = indexOf(u"ID")) keyColumns.push_back(*id);
  const bool byValues = keyColumns.empty();
  if (byValues)
    for (size_t i = 0; i < FColumns.size(); ++i)
      if (FColumns[i].Kind != vxData::TFieldKind::Blob) keyColumns.push_back(i);
  if (keyColumns.empty()) throw EDatabaseError("the row cannot be located: no column identifies it");
  ustring where;
  for (size_t i : keyColumns) {
    if (!where.empty()) where += u" AND ";
    const Variant& v = Original[i];
    if (v.IsNull() || v.IsEmpty()) {
      where += QuotedName(FColumns[i].Name) + u" IS NULL";
    } else {
      const ustring name = u"VXW" + Utf8ToWide(std::to_string(i));
      where += QuotedName(FColumns[i].Name) + u" = :" + name;
      Params.push_back({name, v});
    }
  }
  if (!byValues) return where;
  // Rows alike in every value: change one of them only, never all.
  const ustring rowId = Connection().Session().Provider() == vxData::TDataProvider::SQLite ? u"rowid" : u"ctid";
  return rowId + u" IN (SELECT " + rowId + u" FROM " + table + u" WHERE " + where + u" LIMIT 1)";
}

void TADODataSet::Post() {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert) return;
  const ustring table = TableName();
  if (table.empty()) throw EDatabaseError("the data set cannot be updated: its statement names no single table");
  vxData::TDataParams params;
  ustring sql;
  if (FState == dsInsert) {
    ustring names, values;
    for (size_t i = 0; i < FColumns.size(); ++i) {
      if (FBuffer[i].IsNull() || FBuffer[i].IsEmpty()) continue;
      const ustring name = u"VXV" + Utf8ToWide(std::to_string(i));
      names += (names.empty() ? u"" : u", ") + QuotedName(FColumns[i].Name);
      values += (values.empty() ? u":" : u", :") + name;
      params.push_back({name, FBuffer[i]});
    }
    sql = names.empty() ? u"INSERT INTO " + table + u" DEFAULT VALUES RETURNING *"
                        : u"INSERT INTO " + table + u" (" + names + u") VALUES (" + values + u") RETURNING *";
  } else {
    const std::vector<Variant>& original = FRows[static_cast<size_t>(FCurrent)];
    ustring sets;
    for (size_t i = 0; i < FColumns.size(); ++i) {
      if (FBuffer[i] == original[i]) continue;
      const ustring name = u"VXV" + Utf8ToWide(std::to_string(i));
      sets += (sets.empty() ? u"" : u", ") + QuotedName(FColumns[i].Name) + u" = :" + name;
      params.push_back({name, FBuffer[i]});
    }
    if (sets.empty()) {
      Cancel();
      return;
    }
    sql = u"UPDATE " + table + u" SET " + sets + u" WHERE " + WhereForRow(original, params) + u" RETURNING *";
  }
  vxData::TDataResult returned;
  const int64_t changed = Connection().Session().Execute(sql, params, CommandTimeout, &returned);
  if (changed != 1 && FState == dsEdit)
    throw EDatabaseError("Row cannot be located for updating. Some values may have been changed since it was last read.");
  // What the database stored (defaults, generated keys) becomes the row.
  std::vector<Variant> row = FBuffer;
  if (!returned.Rows.empty())
    for (size_t i = 0; i < FColumns.size(); ++i)
      for (size_t r = 0; r < returned.Columns.size(); ++r)
        if (SameName(returned.Columns[r].Name, FColumns[i].Name)) row[i] = returned.Rows[0][r];
  if (FState == dsInsert) {
    FRows.push_back(std::move(row));
    FCurrent = RecordCount() - 1;
  } else {
    FRows[static_cast<size_t>(FCurrent)] = std::move(row);
  }
  FBuffer.clear();
  FState = dsBrowse;
  FEof = FBof = false;
}

void TADODataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  if (FState == dsEdit) Cancel();
  if (FCurrent < 0) throw EDatabaseError("the data set has no current row to delete");
  const ustring table = TableName();
  if (table.empty()) throw EDatabaseError("the data set cannot be updated: its statement names no single table");
  vxData::TDataParams params;
  const ustring where = WhereForRow(FRows[static_cast<size_t>(FCurrent)], params);
  const int64_t changed = Connection().Session().Execute(u"DELETE FROM " + table + u" WHERE " + where, params,
                                                         CommandTimeout);
  if (changed != 1)
    throw EDatabaseError("Row cannot be located for deleting. Some values may have been changed since it was last read.");
  FRows.erase(FRows.begin() + FCurrent);
  if (FCurrent >= RecordCount()) FCurrent = RecordCount() - 1;
  FEof = FRows.empty();
  FBof = FRows.empty();
}
