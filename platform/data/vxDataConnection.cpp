// The backend-neutral half of the data layer: connection strings, the scan for
// ":NAME" parameters, the stored form of dates and value conversion by column kind.
#include "platform/data/vxDataConnection.h"

#include <charconv>
#include <cmath>

#include "platform/base/vxCodePage.h"
#include "platform/files/vxIniFile.h"
#include "platform/text/vxCaseMap.h"
#include "platform/text/vxNumberText.h"
#include "platform/time/vxDateUtils.h"

namespace vxData {

std::unique_ptr<TDataConnection> CreateSQLiteConnection(const TConnectionPairs& Pairs);
std::unique_ptr<TDataConnection> CreatePostgreSQLConnection(const TConnectionPairs& Pairs);

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

ustring Trimmed(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return ustring(s.substr(b, e - b));
}

bool IsNameChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c > 0x7F;
}

}  // namespace

TConnectionPairs ParseConnectionString(const ustring& ConnectionString) {
  TConnectionPairs pairs;
  size_t i = 0;
  const size_t n = ConnectionString.size();
  while (i < n) {
    const size_t eq = ConnectionString.find(u'=', i);
    const size_t semi = ConnectionString.find(u';', i);
    if (eq == ustring::npos || (semi != ustring::npos && semi < eq)) {
      // A part without "=" carries no setting.
      if (semi == ustring::npos) break;
      i = semi + 1;
      continue;
    }
    ustring key = Trimmed(std::u16string_view(ConnectionString).substr(i, eq - i));
    size_t j = eq + 1;
    while (j < n && IsBlank(ConnectionString[j])) ++j;
    ustring value;
    if (j < n && (ConnectionString[j] == u'"' || ConnectionString[j] == u'\'')) {
      const char16_t quote = ConnectionString[j];
      ++j;
      // A doubled quote inside stands for one.
      while (j < n) {
        if (ConnectionString[j] == quote) {
          if (j + 1 < n && ConnectionString[j + 1] == quote) {
            value += quote;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        value += ConnectionString[j++];
      }
      const size_t next = ConnectionString.find(u';', j);
      i = next == ustring::npos ? n : next + 1;
    } else {
      const size_t next = ConnectionString.find(u';', j);
      const size_t end = next == ustring::npos ? n : next;
      value = Trimmed(std::u16string_view(ConnectionString).substr(j, end - j));
      i = next == ustring::npos ? n : next + 1;
    }
    if (!key.empty()) pairs.emplace_back(std::move(key), std::move(value));
  }
  return pairs;
}

ustring ConnectionValue(const TConnectionPairs& Pairs, const ustring& Key) {
  const ustring wanted = vxCaseMap::Upper(Key);
  for (const auto& [key, value] : Pairs)
    if (vxCaseMap::Upper(key) == wanted) return value;
  return {};
}

TDataProvider ProviderOf(const TConnectionPairs& Pairs) {
  const ustring provider = ConnectionValue(Pairs, u"Provider");
  ustring base = vxCaseMap::Upper(provider.substr(0, provider.find(u'.')));
  if (base == u"SQLITE" || base == u"SQLITE3") return TDataProvider::SQLite;
  if (base == u"POSTGRESQL" || base == u"PGSQL") return TDataProvider::PostgreSQL;
  throw EDatabaseError(u"unsupported database provider '" + provider + u"'");
}

std::vector<TParameterMark> ScanParameters(const ustring& Sql) {
  std::vector<TParameterMark> marks;
  const size_t n = Sql.size();
  size_t i = 0;
  while (i < n) {
    const char16_t c = Sql[i];
    if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
      // A literal or a quoted identifier runs to its closing mark; a doubled
      // mark inside stands for one.
      const char16_t close = c == u'[' ? u']' : c;
      ++i;
      while (i < n) {
        if (Sql[i] == close) {
          if (close != u']' && i + 1 < n && Sql[i + 1] == close) {
            i += 2;
            continue;
          }
          break;
        }
        ++i;
      }
      ++i;
    } else if (c == u'-' && i + 1 < n && Sql[i + 1] == u'-') {
      while (i < n && Sql[i] != u'\n') ++i;
    } else if (c == u'/' && i + 1 < n && Sql[i + 1] == u'*') {
      const size_t end = Sql.find(u"*/", i + 2);
      i = end == ustring::npos ? n : end + 2;
    } else if (c == u':') {
      if (i + 1 < n && Sql[i + 1] == u':') {
        i += 2;  // a cast such as x::text
        continue;
      }
      size_t j = i + 1;
      while (j < n && IsNameChar(Sql[j])) ++j;
      if (j > i + 1) marks.push_back({i, j - i, Sql.substr(i + 1, j - i - 1)});
      i = j;
    } else {
      ++i;
    }
  }
  return marks;
}

bool SameParameterName(const ustring& Name, const ustring& UpperName) {
  // Upper-casing maps each code unit to one: names of other lengths differ.
  if (Name.size() != UpperName.size()) return false;
  for (size_t i = 0; i < Name.size(); ++i) {
    char16_t c = Name[i];
    if (c > 0x7F) return vxCaseMap::Upper(Name) == UpperName;
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    if (c != UpperName[i]) return false;
  }
  return true;
}

ustring NumberParameters(const ustring& Sql, char16_t Mark, std::vector<ustring>& Names) {
  Names.clear();
  ustring text;
  size_t from = 0;
  for (const auto& mark : ScanParameters(Sql)) {
    const ustring upper = vxCaseMap::Upper(mark.Name);
    size_t number = 0;
    while (number < Names.size() && Names[number] != upper) ++number;
    if (number == Names.size()) Names.push_back(upper);
    text.append(Sql, from, mark.Position - from);
    text += Mark;
    text += Utf8ToWide(std::to_string(number + 1));
    from = mark.Position + mark.Length;
  }
  text.append(Sql, from);
  return text;
}

std::string DateTimeToStorageText(TDateTime Value) {
  int y, mo, d, h, mi, s, ms;
  vxRuntime::DecodeDateTime(Value, y, mo, d, h, mi, s, ms);
  char out[24];
  auto put = [&](int at, int v, int width) {
    for (int k = width - 1; k >= 0; --k) {
      out[at + k] = static_cast<char>('0' + v % 10);
      v /= 10;
    }
  };
  put(0, y, 4);
  out[4] = '-';
  put(5, mo, 2);
  out[7] = '-';
  put(8, d, 2);
  out[10] = ' ';
  put(11, h, 2);
  out[13] = ':';
  put(14, mi, 2);
  out[16] = ':';
  put(17, s, 2);
  out[19] = '.';
  put(20, ms, 3);
  return std::string(out, 23);
}

bool StorageTextToDateTime(std::string_view Text, TDateTime& Value) {
  auto number = [&](size_t at, size_t width, int& v) {
    if (at + width > Text.size()) return false;
    v = 0;
    for (size_t k = 0; k < width; ++k) {
      const char c = Text[at + k];
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    return true;
  };
  int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
  if (!number(0, 4, y) || Text.size() < 10 || Text[4] != '-' || !number(5, 2, mo) || Text[7] != '-' ||
      !number(8, 2, d))
    return false;
  size_t at = 10;
  if (at < Text.size() && (Text[at] == ' ' || Text[at] == 'T')) {
    if (!number(at + 1, 2, h) || at + 3 >= Text.size() || Text[at + 3] != ':' || !number(at + 4, 2, mi))
      return false;
    at += 6;
    if (at < Text.size() && Text[at] == ':') {
      if (!number(at + 1, 2, s)) return false;
      at += 3;
      if (at < Text.size() && Text[at] == '.') {
        ++at;
        int scale = 100;
        while (at < Text.size() && Text[at] >= '0' && Text[at] <= '9') {
          ms += (Text[at] - '0') * scale;
          scale /= 10;
          ++at;
        }
      }
    }
  }
  // What follows may only be a zone ("+01", "Z").
  if (at < Text.size() && Text[at] != '+' && Text[at] != '-' && Text[at] != 'Z') return false;
  return vxRuntime::TryEncodeDateTime(y, mo, d, h, mi, s, ms, Value);
}

std::string StorableText(const ustring& Text) {
  if (FindLoneSurrogate(Text) != ustring::npos)
    throw EDatabaseError("the text holds an unpaired surrogate, which the database cannot store");
  return WideToUtf8(Text);
}

Variant ConvertForKind(const Variant& Value, TFieldKind Kind) {
  const Variant& v = Value.Deref();
  if (v.IsNull() || v.IsEmpty()) return Variant::Null();
  const TVarType type = v.VarType() & varTypeMask;
  switch (Kind) {
    case TFieldKind::Integer:
      return Variant(v.AsInteger());
    case TFieldKind::LargeInt:
      return Variant(v.AsInt64());
    case TFieldKind::Float:
      return Variant(v.AsDouble());
    case TFieldKind::Boolean:
      return Variant(v.AsBoolean());
    case TFieldKind::DateTime: {
      if (type == varUString || type == varOleStr || type == varString) {
        TDateTime d;
        if (StorageTextToDateTime(WideToUtf8(v.AsString()), d)) return Variant::FromDate(d);
      }
      return Variant::FromDate(v.AsDateTime());
    }
    case TFieldKind::Text:
      return Variant(v.AsString());
    case TFieldKind::Blob:
      if (v.IsArray()) return v;
      return Variant::ByteArray(v.AsAnsiString());
    case TFieldKind::Unknown:
      break;
  }
  return v;
}

std::unique_ptr<TDataConnection> TDataConnection::Create(const ustring& ConnectionString) {
  TConnectionPairs pairs = ParseConnectionString(ConnectionString);
  // "File Name=x.udl" names a data-link file that holds the connection string.
  const ustring link = ConnectionValue(pairs, u"File Name");
  if (!link.empty()) {
    ustring provider;
    try {
      provider = TIniFile(link).ReadString(u"oledb", u"Provider", u"");
    } catch (const Exception& e) {
      throw EDatabaseError(u"cannot read the data-link file " + link + u" (" + e.Message() + u")");
    }
    if (provider.empty()) throw EDatabaseError(u"the data-link file " + link + u" names no provider");
    pairs = ParseConnectionString(u"Provider=" + provider);
  }
  switch (ProviderOf(pairs)) {
    case TDataProvider::SQLite:
      return CreateSQLiteConnection(pairs);
    case TDataProvider::PostgreSQL:
      return CreatePostgreSQLConnection(pairs);
  }
  throw EDatabaseError("unsupported database provider");
}

}  // namespace vxData
