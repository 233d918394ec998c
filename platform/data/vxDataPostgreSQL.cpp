// The PostgreSQL backend of the data layer over libpq: ":NAME" parameters become
// $n, "LIMIT a,b" becomes "LIMIT b OFFSET a", every wait is a poll with a
// deadline (a command past its time-out is cancelled on the server), and values
// come back typed by the column's type.
#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <limits>
#include <optional>

#include "platform/base/vxCodePage.h"
#include "platform/data/vxDataConnection.h"
#include "platform/text/vxCaseMap.h"
#include "platform/text/vxNumberText.h"

namespace vxData {

namespace {

using Clock = std::chrono::steady_clock;

// Type identifiers of the server's built-in types.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184;

TFieldKind KindOfType(Oid Type) {
  switch (Type) {
    case kBool:
      return TFieldKind::Boolean;
    case kInt2:
    case kInt4:
    case kOid:
      return TFieldKind::Integer;
    case kInt8:
      return TFieldKind::LargeInt;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return TFieldKind::Float;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
      return TFieldKind::DateTime;
    case kBytea:
      return TFieldKind::Blob;
    default:
      return TFieldKind::Text;
  }
}

struct TResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using TResult = std::unique_ptr<PGresult, TResultDeleter>;

bool IsWordChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// "LIMIT a , b" (MySQL's offset form) as "LIMIT b OFFSET a"; text in quotes is
// left alone.
ustring RewriteLimit(const ustring& Sql) {
  ustring out;
  size_t i = 0;
  const size_t n = Sql.size();
  while (i < n) {
    const char16_t c = Sql[i];
    if (c == u'\'' || c == u'"') {
      const size_t close = Sql.find(c, i + 1);
      const size_t end = close == ustring::npos ? n : close + 1;
      out.append(Sql, i, end - i);
      i = end;
      continue;
    }
    if ((c == u'L' || c == u'l') && (i == 0 || !IsWordChar(Sql[i - 1])) && i + 5 <= n &&
        vxCaseMap::Upper(std::u16string_view(Sql).substr(i, 5)) == u"LIMIT" && (i + 5 == n || !IsWordChar(Sql[i + 5]))) {
      size_t j = i + 5;
      auto blanks = [&] {
        while (j < n && (Sql[j] == u' ' || Sql[j] == u'\t' || Sql[j] == u'\r' || Sql[j] == u'\n')) ++j;
      };
      auto digits = [&](ustring& d) {
        while (j < n && Sql[j] >= u'0' && Sql[j] <= u'9') d += Sql[j++];
        return !d.empty();
      };
      ustring offset, count;
      blanks();
      if (digits(offset)) {
        blanks();
        if (j < n && Sql[j] == u',') {
          ++j;
          blanks();
          if (digits(count) && (j == n || !IsWordChar(Sql[j]))) {
            out.append(u"LIMIT ").append(count).append(u" OFFSET ").append(offset);
            i = j;
            continue;
          }
        }
      }
    }
    out += c;
    ++i;
  }
  return out;
}

std::string HexBytea(std::string_view Bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out = "\\x";
  out.reserve(2 + Bytes.size() * 2);
  for (unsigned char b : Bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string UnhexBytea(std::string_view Text) {
  // The server's default output: "\x" and two hexadecimal digits a byte.
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  if (Text.size() < 2 || Text[0] != '\\' || Text[1] != 'x') return std::string(Text);
  for (size_t i = 2; i + 1 < Text.size(); i += 2) {
    const int hi = value(Text[i]), lo = value(Text[i + 1]);
    if (hi < 0 || lo < 0) throw EDatabaseError("unreadable binary value from the server");
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

class TPostgreSQLConnection final : public TDataConnection {
 public:
  explicit TPostgreSQLConnection(TConnectionPairs Pairs) : FPairs(std::move(Pairs)) {}
  ~TPostgreSQLConnection() override { Close(); }

  TDataProvider Provider() const override { return TDataProvider::PostgreSQL; }
  ustring ProviderName() const override { return u"PostgreSQL"; }

  void Open(int32_t TimeoutSeconds) override {
    Close();
    std::vector<std::string> keys, values;
    auto add = [&](const char* key, const ustring& value) {
      if (value.empty()) return;
      keys.emplace_back(key);
      values.push_back(WideToUtf8(value));
    };
    auto first = [&](std::initializer_list<const char16_t*> names) {
      for (const char16_t* name : names) {
        ustring v = ConnectionValue(FPairs, name);
        if (!v.empty()) return v;
      }
      return ustring();
    };
    add("host", first({u"Host", u"Server", u"Data Source"}));
    add("port", first({u"Port"}));
    add("dbname", first({u"Database", u"Initial Catalog"}));
    add("user", first({u"User ID", u"UID", u"User"}));
    add("password", first({u"Password", u"PWD"}));
    add("connect_timeout", Utf8ToWide(std::to_string(TimeoutSeconds > 0 ? TimeoutSeconds : 15)));
    add("client_encoding", u"UTF8");
    add("options", u"-c DateStyle=ISO,YMD");
    // A server that vanishes is noticed even while a command without a time-out runs.
    add("keepalives", u"1");
    add("keepalives_idle", u"30");
    add("keepalives_interval", u"10");
    add("keepalives_count", u"3");
    std::vector<const char*> k, v;
    for (size_t i = 0; i < keys.size(); ++i) {
      k.push_back(keys[i].c_str());
      v.push_back(values[i].c_str());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(k.data(), v.data(), 0);
    if (!conn) throw EDatabaseError("cannot connect to the database (out of memory)");
    if (PQstatus(conn) != CONNECTION_OK) {
      const std::string text = PQerrorMessage(conn);
      PQfinish(conn);
      throw EDatabaseError(Utf8ToWide("cannot connect to the database (" + Trim(text) + ")"));
    }
    PQsetnonblocking(conn, 1);
    FConn = conn;
  }

  void Close() override {
    if (FConn) PQfinish(FConn);
    FConn = nullptr;
  }

  bool Connected() const override { return FConn && PQstatus(FConn) == CONNECTION_OK; }

  bool Healthy() override {
    if (!Connected()) return false;
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
    const TDataResult info = Query(
        u"SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
        u"AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass(:T) AND i.indisprimary "
        u"ORDER BY array_position(i.indkey::int2[], a.attnum)",
        {{u"T", Variant(Table)}}, 0);
    std::vector<ustring> key;
    for (const auto& row : info.Rows) key.push_back(row[0].AsString());
    return key;
  }

 private:
  static std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
  }

  [[noreturn]] void Fail(const std::string& What, const PGresult* Result = nullptr) const {
    const std::string text = Result ? PQresultErrorMessage(Result) : PQerrorMessage(FConn);
    throw EDatabaseError(Utf8ToWide(What + " (" + Trim(text) + ")"));
  }

  // Waits until the socket is ready for Events or the deadline passes.
  bool WaitFor(short Events, const std::optional<Clock::time_point>& Deadline) const {
    pollfd p{PQsocket(FConn), Events, 0};
    for (;;) {
      int timeout = -1;
      if (Deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*Deadline - Clock::now()).count();
        if (left <= 0) return false;
        timeout = static_cast<int>(std::min<long long>(left, 60000));
      } else {
        timeout = 60000;  // wake up now and then; keep-alive ends a dead session
      }
      const int rc = poll(&p, 1, timeout);
      if (rc > 0) return true;
      if (rc < 0 && errno != EINTR) return true;  // let libpq report the socket's error
      if (rc == 0 && Deadline && Clock::now() >= *Deadline) return false;
      if (PQstatus(FConn) != CONNECTION_OK) return true;
    }
  }

  void Cancel() const {
    if (PGcancel* cancel = PQgetCancel(FConn)) {
      char error[256];
      PQcancel(cancel, error, sizeof error);
      PQfreeCancel(cancel);
    }
  }

  static Variant Read(const PGresult* Result, int Row, int Column, TFieldKind Kind) {
    if (PQgetisnull(Result, Row, Column)) return Variant::Null();
    const std::string_view text(PQgetvalue(Result, Row, Column), static_cast<size_t>(PQgetlength(Result, Row, Column)));
    switch (Kind) {
      case TFieldKind::Boolean:
        return Variant(text == "t");
      case TFieldKind::Integer:
      case TFieldKind::LargeInt: {
        if (const auto v = ReadInteger(Utf8ToWide(text))) {
          if (Kind == TFieldKind::Integer && *v >= std::numeric_limits<int32_t>::min() &&
              *v <= std::numeric_limits<int32_t>::max())
            return Variant(static_cast<int32_t>(*v));
          return Variant(*v);
        }
        break;
      }
      case TFieldKind::Float: {
        double v;
        if (TextToFloat(Utf8ToWide(text), u'.', v)) return Variant(v);
        break;  // NaN and the infinities stay text
      }
      case TFieldKind::DateTime: {
        TDateTime d;
        if (StorageTextToDateTime(text, d)) return Variant::FromDate(d);
        break;  // infinity, dates outside the calendar
      }
      case TFieldKind::Blob:
        return Variant::ByteArray(UnhexBytea(text));
      default:
        break;
    }
    return Variant(Utf8ToWide(text));
  }

  // Sends what the non-blocking connection still holds.
  void Flush(const std::optional<Clock::time_point>& Deadline) {
    for (;;) {
      const int rc = PQflush(FConn);
      if (rc == 0) return;
      if (rc < 0) Fail("cannot send the statement");
      if (!WaitFor(POLLOUT, Deadline)) {
        Close();  // half a statement on the wire: the session is unusable
        throw EDatabaseError("command time-out expired");
      }
    }
  }

  // Takes every result of what was sent; the number of rows changed, and the
  // last result that carries rows (or the describe result) in Last. A failed
  // statement raises with the server's text once all results are taken.
  int64_t Collect(const std::optional<Clock::time_point>& Deadline, TResult& Last) {
    int64_t changed = 0;
    for (;;) {
      while (PQisBusy(FConn)) {
        if (!WaitFor(POLLIN, Deadline)) {
          Cancel();
          while (TResult r{PQgetResult(FConn)}) {
          }
          throw EDatabaseError("command time-out expired");
        }
        if (!PQconsumeInput(FConn)) Fail("the connection to the database was lost");
      }
      TResult r(PQgetResult(FConn));
      if (!r) break;
      const ExecStatusType status = PQresultStatus(r.get());
      if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY) {
        const std::string message = PQresultErrorMessage(r.get());
        while (TResult rest{PQgetResult(FConn)}) {
        }
        throw EDatabaseError(Utf8ToWide("the statement failed (" + Trim(message) + ")"));
      }
      const char* tuples = PQcmdTuples(r.get());
      if (tuples && *tuples) {
        if (const auto v = ReadInteger(Utf8ToWide(tuples))) changed = *v;
      }
      if (status == PGRES_TUPLES_OK || PQnparams(r.get()) > 0) Last = std::move(r);
    }
    return changed;
  }

  // The types the server gives the parameters of Sql (prepared unnamed, so
  // the statement can be run from it next).
  std::vector<Oid> ParameterTypes(const std::string& Sql, const std::vector<Oid>& Given,
                                  const std::optional<Clock::time_point>& Deadline) {
    TResult last;
    if (!PQsendPrepare(FConn, "", Sql.c_str(), static_cast<int>(Given.size()), Given.data()))
      Fail("cannot send the statement");
    Flush(Deadline);
    Collect(Deadline, last);
    if (!PQsendDescribePrepared(FConn, "")) Fail("cannot send the statement");
    Flush(Deadline);
    last.reset();
    Collect(Deadline, last);
    std::vector<Oid> types(Given.size(), 0);
    for (size_t i = 0; last && i < types.size() && static_cast<int>(i) < PQnparams(last.get()); ++i)
      types[i] = PQparamtype(last.get(), static_cast<int>(i));
    return types;
  }

  // Whether a value's form depends on the parameter's type on the server:
  // text holding a NUL (which no text column holds) or a backslash (which a
  // binary column reads as an escape), and 8-bit text beyond ASCII (its
  // bytes for a binary column, its characters for any other).
  static bool DependsOnType(const Variant& Value) {
    const TVarType type = Value.VarType() & varTypeMask;
    if (type == varString) {
      for (const unsigned char c : Value.AsAnsiString())
        if (c == 0 || c == '\\' || c >= 0x80) return true;
      return false;
    }
    if (type == varUString || type == varOleStr) {
      const ustring text = Value.AsString();
      return text.find(u'\0') != ustring::npos || text.find(u'\\') != ustring::npos;
    }
    return false;
  }

  int64_t Run(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds, TDataResult* Result) {
    if (!FConn) throw EDatabaseError("the database connection is not open");
    std::vector<ustring> names;
    ustring text = NumberParameters(Sql, u'$', names);
    text = RewriteLimit(text);

    std::vector<std::optional<std::string>> values(names.size());
    std::vector<Oid> types(names.size(), 0);
    std::vector<const Variant*> typed(names.size(), nullptr);
    for (size_t i = 0; i < names.size(); ++i) {
      for (const auto& p : Params) {
        if (!SameParameterName(p.Name, names[i])) continue;
        const Variant& v = p.Value.Deref();
        const TVarType type = v.VarType() & varTypeMask;
        typed[i] = nullptr;
        if (v.IsArray()) {
          values[i] = HexBytea(v.Bytes());
          types[i] = kBytea;
        } else if (v.IsNull() || v.IsEmpty()) {
          values[i].reset();
        } else if (type == varBoolean) {
          values[i] = v.AsBoolean() ? "true" : "false";
          types[i] = kBool;
        } else if (type == varDate) {
          values[i] = DateTimeToStorageText(v.AsDateTime());
        } else if (type == varDouble || type == varSingle || type == varCurrency) {
          // The shortest text that reads back as the same double.
          char buffer[32];
          const auto r = std::to_chars(buffer, buffer + sizeof buffer, v.AsDouble());
          values[i] = std::string(buffer, r.ptr);
        } else if (DependsOnType(v)) {
          typed[i] = &v;
        } else {
          values[i] = StorableText(v.AsString());
        }
      }
    }

    std::optional<Clock::time_point> deadline;
    if (TimeoutSeconds > 0) deadline = Clock::now() + std::chrono::seconds(TimeoutSeconds);

    const std::string utf8 = WideToUtf8(text);
    const bool prepared = std::any_of(typed.begin(), typed.end(), [](const Variant* v) { return v != nullptr; });
    if (prepared) {
      const std::vector<Oid> server = ParameterTypes(utf8, types, deadline);
      for (size_t i = 0; i < names.size(); ++i) {
        if (!typed[i]) continue;
        const Variant& v = *typed[i];
        const bool eightBit = (v.VarType() & varTypeMask) == varString;
        if (server[i] == kBytea) {
          values[i] = HexBytea(eightBit ? v.AsAnsiString() : StorableText(v.AsString()));
        } else {
          values[i] = StorableText(v.AsString());
          if (values[i]->find('\0') != std::string::npos)
            throw EDatabaseError(u"the text of parameter " + names[i] +
                                 u" holds a NUL character, which the database cannot store");
        }
      }
    }
    std::vector<const char*> pointers;
    for (const auto& v : values) pointers.push_back(v ? v->c_str() : nullptr);

    bool sent;
    if (prepared)
      sent = PQsendQueryPrepared(FConn, "", static_cast<int>(names.size()), pointers.data(), nullptr, nullptr, 0);
    else if (names.empty())
      sent = PQsendQuery(FConn, utf8.c_str());
    else
      sent = PQsendQueryParams(FConn, utf8.c_str(), static_cast<int>(names.size()), types.data(), pointers.data(),
                               nullptr, nullptr, 0);
    if (!sent) Fail("cannot send the statement");
    Flush(deadline);
    TResult last;
    const int64_t changed = Collect(deadline, last);
    if (last && PQresultStatus(last.get()) == PGRES_TUPLES_OK) {
      const int columns = PQnfields(last.get());
      for (int c = 0; c < columns; ++c)
        Result->Columns.push_back({Utf8ToWide(PQfname(last.get(), c)), KindOfType(PQftype(last.get(), c))});
      const int rows = PQntuples(last.get());
      Result->Rows.reserve(static_cast<size_t>(rows));
      for (int row = 0; row < rows; ++row) {
        std::vector<Variant> values2;
        values2.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
          values2.push_back(Read(last.get(), row, c, Result->Columns[static_cast<size_t>(c)].Kind));
        Result->Rows.push_back(std::move(values2));
      }
    }
    return changed;
  }

  TConnectionPairs FPairs;
  PGconn* FConn = nullptr;
};

}  // namespace

std::unique_ptr<TDataConnection> CreatePostgreSQLConnection(const TConnectionPairs& Pairs) {
  return std::make_unique<TPostgreSQLConnection>(Pairs);
}

}  // namespace vxData
