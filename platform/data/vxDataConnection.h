// Sessions with the two databases that run here: SQLite, the embedded default
// (a file), and PostgreSQL, the server of a larger installation. One small
// interface for both, so the data set above it never sees which one it talks to:
// statements with ":NAME" parameters, results read whole into memory, connect and
// command time-outs, a cheap health check.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"
#include "platform/values/vxVariant.h"

// A failure of the database or of the data layer (connection, statement, field).
VX_DECLARE_EXCEPTION(EDatabaseError, Exception);

namespace vxData {

enum class TDataProvider { SQLite, PostgreSQL };

// What a column holds, as far as the data layer converts values for it.
enum class TFieldKind { Unknown, Integer, LargeInt, Float, Boolean, DateTime, Text, Blob };

struct TDataColumn {
  ustring Name;
  TFieldKind Kind = TFieldKind::Unknown;
};

// A named value for a ":NAME" parameter (the name without the colon).
struct TDataParam {
  ustring Name;
  Variant Value;
};
using TDataParams = std::vector<TDataParam>;

// The rows of a query, read whole. The columns are known even when no row came.
struct TDataResult {
  std::vector<TDataColumn> Columns;
  std::vector<std::vector<Variant>> Rows;
};

// The "Key=Value" pairs of a connection string, in order; keys trimmed, values
// trimmed and unquoted (a value in double or single quotes may hold ";").
using TConnectionPairs = std::vector<std::pair<ustring, ustring>>;
TConnectionPairs ParseConnectionString(const ustring& ConnectionString);
// The value of Key (compared without regard to case), or the empty text.
ustring ConnectionValue(const TConnectionPairs& Pairs, const ustring& Key);

// The provider a connection string names: "SQLite" or "PostgreSQL" (either
// alone or with a dotted suffix such as "SQLite.1"); EDatabaseError otherwise.
TDataProvider ProviderOf(const TConnectionPairs& Pairs);

// A ":NAME" parameter found in a statement: its place and its name.
struct TParameterMark {
  size_t Position = 0;  // index of the colon
  size_t Length = 0;    // colon and name
  ustring Name;
};
// The parameters of a statement in order of appearance; text in quotes, quoted
// identifiers, comments and "::" casts are skipped.
std::vector<TParameterMark> ScanParameters(const ustring& Sql);

// Whether a parameter's Name is UpperName (a name NumberParameters gave),
// compared without regard to case.
bool SameParameterName(const ustring& Name, const ustring& UpperName);

// Sql with every ":NAME" written as Mark + its number (one number per
// distinct name, from 1); Names gets the upper-cased names in number order.
ustring NumberParameters(const ustring& Sql, char16_t Mark, std::vector<ustring>& Names);

// A value as the text both backends store for a date-time:
// "YYYY-MM-DD HH:MM:SS.zzz", which sorts and compares as the dates do.
std::string DateTimeToStorageText(TDateTime Value);
// Reads "YYYY-MM-DD[ HH:MM[:SS[.fff...]]]" (a "T" may stand for the blank, a
// zone suffix is ignored); false for anything else.
bool StorageTextToDateTime(std::string_view Text, TDateTime& Value);

// Text as the UTF-8 both databases store; EDatabaseError for a text holding an
// unpaired surrogate, which no UTF-8 column can hold (never replaced silently).
std::string StorableText(const ustring& Text);

// Converts Value to what a column of Kind holds (text to number, number to
// date...); EConvertError when it cannot. Null and Empty stay Null.
Variant ConvertForKind(const Variant& Value, TFieldKind Kind);

// One session with a database.
class TDataConnection {
 public:
  // A session for the connection string (not yet open); "File Name=F" takes
  // the connection string from the data-link file F. Raises EDatabaseError
  // for a provider that does not run here or a data-link file that cannot be read.
  static std::unique_ptr<TDataConnection> Create(const ustring& ConnectionString);

  virtual ~TDataConnection() = default;

  virtual TDataProvider Provider() const = 0;
  // "SQLite" or "PostgreSQL".
  virtual ustring ProviderName() const = 0;

  // Opens the session within TimeoutSeconds (0: the backend's default bound).
  virtual void Open(int32_t TimeoutSeconds) = 0;
  virtual void Close() = 0;
  virtual bool Connected() const = 0;
  // Whether the open session still answers (a round trip where there is a server).
  virtual bool Healthy() = 0;

  // Runs a statement that gives rows. TimeoutSeconds 0: no limit of our own
  // (a dead server is still noticed by the keep-alive of the connection).
  virtual TDataResult Query(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds) = 0;
  // Runs any other statement; the number of rows it changed. With
  // ReturnRows, rows that the statement returns (RETURNING) go to Returned.
  virtual int64_t Execute(const ustring& Sql, const TDataParams& Params, int32_t TimeoutSeconds,
                          TDataResult* Returned = nullptr) = 0;
  // The primary key's columns of Table, in key order; empty when it has none.
  virtual std::vector<ustring> PrimaryKey(const ustring& Table) = 0;
};

}  // namespace vxData
