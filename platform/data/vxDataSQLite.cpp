// The SQLite backend of the data layer: a database file named by "Data Source",
// parameters bound by position after the ":NAME" scan, the prepared forms of
// the last 32 single statements kept for their texts, dates stored as text,
// command time-outs through the progress handler, and a VERSION() function so
// that the statements written for server databases run here too.
#include <sqlite3.h>

#include <chrono>
#include <limits>
#include <list>
#include <unordered_map>
#include <optional>

#include "platform/base/vxCodePage.h"
#include "platform/data/vxDataConnection.h"
#include "platform/text/vxCaseMap.h"

namespace vxData {

namespace {

using Clock = std::chrono::steady_clock;

TFieldKind KindOfDeclaredType(const char* Declared) {
  if (!Declared) return TFieldKind::Unknown;
  const ustring t = vxCaseMap::Upper(Utf8ToWide(Declared));
  auto has = [&](const char16_t* part) { return t.find(part) != ustring::npos; };
  if (has(u"BOOL")) return TFieldKind::Boolean;
  if (has(u"BIGINT") || has(u"INT8")) return TFieldKind::LargeInt;
  if (has(u"INT")) return TFieldKind::Integer;
  if (has(u"DATE") || has(u"TIME")) return TFieldKind::DateTime;
  if (has(u"CHAR") || has(u"CLOB") || has(u"TEXT")) return TFieldKind::Text;
  if (has(u"BLOB")) return TFieldKind::Blob;
  if (has(u"REAL") || has(u"FLOA") || has(u"DOUB") || has(u"NUMERIC") || has(u"DECIMAL"))
    return TFieldKind::Float;
  return TFieldKind::Unknown;
}

void VersionFunction(sqlite3_context* Context, int, sqlite3_value**) {
  sqlite3_result_text(Context, sqlite3_libversion(), -1, SQLITE_STATIC);
}

struct TStatementDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TStatementDeleter>;

class TSQLiteConnection final : public TDataConnection {
 public:
  explicit TSQLiteConnection(ustring File) : FFile(std::move(File)) {}
  ~TSQLiteConnection() override { Close(); }

  TDataProvider Provider() const override { return TDataProvider::SQLite; }
  ustring ProviderName() const override { return u"SQLite"; }

  void Open(int32_t TimeoutSeconds) override {
    Close();
    if (FFile.empty()) throw EDatabaseError("no database file given (Data Source)");
    if (FFile.find(u'\0') != ustring::npos) throw EDatabaseError("invalid database file name");
    sqlite3* db = nullptr;
    // One session is used by one thread at a time (its owners lock around it),
    // so SQLite's own per-call mutex is not needed.
    const int rc = sqlite3_open_v2(WideToUtf8(FFile).c_str(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
      sqlite3_close(db);
      throw EDatabaseError(Utf8ToWide("cannot open database " + WideToUtf8(FFile) + " (" + text + ")"));
    }
    FDb = db;
    // Another process writing the file: wait for it, but not for ever.
    sqlite3_busy_timeout(FDb, (TimeoutSeconds > 0 ? TimeoutSeconds : 15) * 1000);
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_create_function_v2(FDb, "VERSION", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, VersionFunction,
                               nullptr, nullptr, nullptr);
    sqlite3_progress_handler(FDb, 1000, &TSQLiteConnection::Progress, this);
  }

  void Close() override {
    FKept.clear();
    FUse.clear();  // the statements go before the database they belong to
    if (FDb) sqlite3_close_v2(FDb);
    FDb = nullptr;
  }

  bool Connected() const override { return FDb != nullptr; }

  bool Healthy() override {
    if (!FDb) return false;
    try {
      Query(u"SELECT 1", {}, 5);
      return true;
    } catch (const Exception&) {
      return false;
    }
  }

  TDataResult Query(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds) override {
    TDataResult result;
    Run(Sql, Params, TimeoutSeconds, &result);
    return result;
  }

  int64_t Execute(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds,
                  TDataResult* Returned) override {
    TDataResult ignored;
    return Run(Sql, Params, TimeoutSeconds, Returned ? Returned : &ignored);
  }

  std::vector<ustring> PrimaryKey(const ustring& Table) override {
    const TDataResult info = Query(u"SELECT name, pk FROM pragma_table_info(:T) WHERE pk > 0 ORDER BY pk",
                                   {{u"T", Variant(Table)}}, 0);
    std::vector<ustring> key;
    for (const auto& row : info.Rows) key.push_back(row[0].AsString());
    return key;
  }

 private:
  static int Progress(void* Self) {
    auto* self = static_cast<TSQLiteConnection*>(Self);
    return self->FDeadline && Clock::now() > *self->FDeadline ? 1 : 0;
  }

  [[noreturn]] void Fail(const std::string& What) const {
    throw EDatabaseError(Utf8ToWide(What + " (" + sqlite3_errmsg(FDb) + ")"));
  }

  void Bind(sqlite3_stmt* Statement, int Index, const Variant& Value) const {
    const Variant& v = Value.Deref();
    const TVarType type = v.VarType() & varTypeMask;
    int rc = SQLITE_OK;
    if (v.IsArray()) {
      const std::string& bytes = v.Bytes();
      rc = sqlite3_bind_blob64(Statement, Index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    } else if (v.IsNull() || v.IsEmpty()) {
      rc = sqlite3_bind_null(Statement, Index);
    } else if (type == varBoolean) {
      rc = sqlite3_bind_int(Statement, Index, v.AsBoolean() ? 1 : 0);
    } else if (type == varDate) {
      const std::string text = DateTimeToStorageText(v.AsDateTime());
      rc = sqlite3_bind_text(Statement, Index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    } else if (type == varDouble || type == varSingle || type == varCurrency) {
      rc = sqlite3_bind_double(Statement, Index, v.AsDouble());
    } else if (type == varSmallint || type == varInteger || type == varShortInt || type == varByte ||
               type == varWord || type == varLongWord || type == varInt64) {
      rc = sqlite3_bind_int64(Statement, Index, v.AsInt64());
    } else if (type == varUInt64) {
      const uint64_t u = v.AsUInt64();
      rc = u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
               ? sqlite3_bind_double(Statement, Index, static_cast<double>(u))
               : sqlite3_bind_int64(Statement, Index, static_cast<int64_t>(u));
    } else {
      const std::string text = StorableText(v.AsString());
      rc = sqlite3_bind_text64(Statement, Index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK) Fail("cannot bind a parameter");
  }

  static Variant Read(sqlite3_stmt* Statement, int Column, TFieldKind Kind) {
    switch (sqlite3_column_type(Statement, Column)) {
      case SQLITE_NULL:
        return Variant::Null();
      case SQLITE_INTEGER: {
        const int64_t v = sqlite3_column_int64(Statement, Column);
        if (Kind == TFieldKind::Boolean) return Variant(v != 0);
        if (Kind != TFieldKind::LargeInt && v >= std::numeric_limits<int32_t>::min() &&
            v <= std::numeric_limits<int32_t>::max())
          return Variant(static_cast<int32_t>(v));
        return Variant(v);
      }
      case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(Statement, Column);
        return Kind == TFieldKind::DateTime ? Variant::FromDate(v) : Variant(v);
      }
      case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(Statement, Column));
        const int size = sqlite3_column_bytes(Statement, Column);
        return Variant::ByteArray(std::string_view(data ? data : "", static_cast<size_t>(size)));
      }
      default: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(Statement, Column));
        const std::string_view text(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(Statement, Column)));
        if (Kind == TFieldKind::DateTime) {
          TDateTime d;
          if (StorageTextToDateTime(text, d)) return Variant::FromDate(d);
        }
        return Variant(Utf8ToWide(text));
      }
    }
  }

  // A prepared statement kept for its text: the parameter names by number
  // and the result's columns (made anew when SQLite prepares it again after a
  // change of the schema).
  struct TPrepared {
    TStatement Statement;
    std::vector<ustring> Names;
    std::vector<TDataColumn> Columns;
    int Reprepared = -1;
  };
  static constexpr size_t CachedStatements = 32;

  // Resets a statement when its run ends, whatever the outcome, so it holds
  // no read or write lock of the file while it waits in the cache.
  struct TResetter {
    sqlite3_stmt* Statement;
    ~TResetter() {
      sqlite3_reset(Statement);
      sqlite3_clear_bindings(Statement);
    }
  };

  void Describe(TPrepared& Prepared) {
    sqlite3_stmt* raw = Prepared.Statement.get();
    const int reprepared = sqlite3_stmt_status(raw, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (reprepared == Prepared.Reprepared) return;
    Prepared.Reprepared = reprepared;
    Prepared.Columns.clear();
    for (int c = 0; c < sqlite3_column_count(raw); ++c)
      Prepared.Columns.push_back(
          {Utf8ToWide(sqlite3_column_name(raw, c)), KindOfDeclaredType(sqlite3_column_decltype(raw, c))});
  }

  // Binds, steps and reads one prepared statement; the rows changed.
  int64_t Step(TPrepared& Prepared, const TDataParams& Params, TDataResult* Result) {
    sqlite3_stmt* raw = Prepared.Statement.get();
    TResetter reset{raw};
    // "?N" is parameter N; a name without a given value binds NULL.
    for (int i = 1; i <= sqlite3_bind_parameter_count(raw); ++i) {
      const Variant* value = nullptr;
      if (static_cast<size_t>(i) <= Prepared.Names.size())
        for (const auto& p : Params)
          if (SameParameterName(p.Name, Prepared.Names[static_cast<size_t>(i) - 1])) value = &p.Value;
      Bind(raw, i, value ? *value : Variant::Null());
    }
    Describe(Prepared);
    const size_t columns = Prepared.Columns.size();
    std::vector<std::vector<Variant>> rows;
    for (;;) {
      const int rc = sqlite3_step(raw);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) {
        if ((rc & 0xFF) == SQLITE_INTERRUPT && FDeadline) throw EDatabaseError("command time-out expired");
        Fail("the statement failed");
      }
      // A statement prepared again may have columns of its own now.
      if (static_cast<size_t>(sqlite3_column_count(raw)) != columns) Fail("the statement's columns changed");
      std::vector<Variant> row;
      row.reserve(columns);
      for (size_t c = 0; c < columns; ++c) row.push_back(Read(raw, static_cast<int>(c), Prepared.Columns[c].Kind));
      rows.push_back(std::move(row));
    }
    if (columns > 0) {
      Result->Columns = Prepared.Columns;
      Result->Rows = std::move(rows);
    }
    return sqlite3_changes64(FDb);
  }

  // The kept statement of Sql, prepared now when it is not kept; nullptr when
  // Sql holds more than one statement (those run one by one, unkept).
  TPrepared* Kept(const ustring& Sql) {
    const auto found = FKept.find(Sql);
    if (found != FKept.end()) {
      FUse.splice(FUse.begin(), FUse, found->second);
      return &found->second->second;
    }
    std::vector<ustring> names;
    const std::string utf8 = WideToUtf8(NumberParameters(Sql, u'?', names));
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(FDb, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT, &raw, &tail) !=
        SQLITE_OK)
      Fail("cannot prepare the statement");
    TStatement statement(raw);
    for (const char* rest = tail; rest && rest < utf8.c_str() + utf8.size(); ++rest)
      if (*rest != ' ' && *rest != '\t' && *rest != '\r' && *rest != '\n' && *rest != ';') return nullptr;
    if (!raw) return nullptr;  // only blanks or comments
    if (FUse.size() >= CachedStatements) {
      FKept.erase(FUse.back().first);
      FUse.pop_back();
    }
    FUse.emplace_front(Sql, TPrepared{std::move(statement), std::move(names), {}, -1});
    FKept.emplace(Sql, FUse.begin());
    return &FUse.front().second;
  }

  // Runs Sql: a single statement from the kept ones, several one by one; the
  // rows of the last statement that has columns go to Result. The number of
  // rows changed.
  int64_t Run(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds, TDataResult* Result) {
    if (!FDb) throw EDatabaseError("the database connection is not open");
    std::optional<Clock::time_point> deadline;
    if (TimeoutSeconds > 0) deadline = Clock::now() + std::chrono::seconds(TimeoutSeconds);
    FDeadline = deadline;
    struct TClear {
      std::optional<Clock::time_point>& D;
      ~TClear() { D.reset(); }
    } clear{FDeadline};

    if (TPrepared* kept = Kept(Sql)) return Step(*kept, Params, Result);

    std::vector<ustring> names;
    const std::string utf8 = WideToUtf8(NumberParameters(Sql, u'?', names));
    const char* tail = utf8.c_str();
    const char* end = utf8.c_str() + utf8.size();
    int64_t changed = 0;
    while (tail < end) {
      sqlite3_stmt* raw = nullptr;
      const char* next = nullptr;
      if (sqlite3_prepare_v2(FDb, tail, static_cast<int>(end - tail), &raw, &next) != SQLITE_OK)
        Fail("cannot prepare the statement");
      tail = next;
      if (!raw) continue;  // only blanks or comments were left
      TPrepared one{TStatement(raw), names, {}, -1};
      changed = Step(one, Params, Result);
    }
    return changed;
  }

  ustring FFile;
  sqlite3* FDb = nullptr;
  std::optional<Clock::time_point> FDeadline;
  // The kept statements, the most recently used first.
  std::list<std::pair<ustring, TPrepared>> FUse;
  std::unordered_map<ustring, std::list<std::pair<ustring, TPrepared>>::iterator> FKept;
};

}  // namespace

std::unique_ptr<TDataConnection> CreateSQLiteConnection(const TConnectionPairs& Pairs) {
  ustring file = ConnectionValue(Pairs, u"Data Source");
  if (file.empty()) file = ConnectionValue(Pairs, u"Database");
  return std::make_unique<TSQLiteConnection>(std::move(file));
}

}  // namespace vxData
