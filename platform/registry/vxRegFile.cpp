#include "platform/registry/vxRegFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/text/vxCaseMap.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileHandle.h"
#include "platform/base/vxSystemInfo.h"

namespace vxRegFile {

// ---------------------------------------------------------------- raw data

std::string EncodeText(std::u16string_view text) {
  std::string data;
  data.reserve(text.size() * 2 + 2);
  for (const char16_t unit : text) {
    data.push_back(static_cast<char>(unit & 0xFF));
    data.push_back(static_cast<char>(unit >> 8));
  }
  data.append(2, '\0');
  return data;
}

ustring DecodeUnits(std::string_view data) {
  ustring units(data.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                     (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  }
  return units;
}

// ---------------------------------------------------------------- keys

const TRegKeyNode* TRegKeyNode::FindSubKey(std::u16string_view name) const {
  const auto it = FSubKeyIndex.find(vxCaseMap::Upper(name));
  return it == FSubKeyIndex.end() ? nullptr : FSubKeys[it->second].get();
}

TRegKeyNode* TRegKeyNode::FindSubKey(std::u16string_view name) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).FindSubKey(name));
}

TRegKeyNode& TRegKeyNode::ObtainSubKey(const ustring& name) {
  if (TRegKeyNode* existing = FindSubKey(name)) return *existing;
  FSubKeys.push_back(std::make_unique<TRegKeyNode>(name));
  FSubKeyIndex.emplace(vxCaseMap::Upper(name), FSubKeys.size() - 1);
  return *FSubKeys.back();
}

std::unique_ptr<TRegKeyNode> TRegKeyNode::DetachSubKey(std::u16string_view name) {
  const auto it = FSubKeyIndex.find(vxCaseMap::Upper(name));
  if (it == FSubKeyIndex.end()) return nullptr;
  const size_t position = it->second;
  std::unique_ptr<TRegKeyNode> key = std::move(FSubKeys[position]);
  FSubKeys.erase(FSubKeys.begin() + static_cast<std::ptrdiff_t>(position));
  ReindexSubKeys();
  return key;
}

void TRegKeyNode::AttachSubKey(std::unique_ptr<TRegKeyNode> key, ustring name) {
  key->FName = std::move(name);
  FSubKeyIndex.emplace(vxCaseMap::Upper(key->FName), FSubKeys.size());
  FSubKeys.push_back(std::move(key));
}

const TRegKeyNode* TRegKeyNode::Find(const std::vector<ustring>& path) const {
  const TRegKeyNode* key = this;
  for (const ustring& name : path) {
    key = key->FindSubKey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

TRegKeyNode* TRegKeyNode::Find(const std::vector<ustring>& path) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).Find(path));
}

TRegKeyNode& TRegKeyNode::ObtainPath(const std::vector<ustring>& path, bool& created) {
  if (path.size() > kMaxKeyDepth) throw ERegistryException("key path nests too deep");
  created = false;
  TRegKeyNode* key = this;
  for (const ustring& name : path) {
    TRegKeyNode* next = key->FindSubKey(name);
    if (next == nullptr) {
      CheckKeyName(name);
      next = &key->ObtainSubKey(name);
      created = true;
    }
    key = next;
  }
  return *key;
}

const TRegValue* TRegKeyNode::FindValue(std::u16string_view name) const {
  const auto it = FValueIndex.find(vxCaseMap::Upper(name));
  return it == FValueIndex.end() ? nullptr : &FValues[it->second];
}

void TRegKeyNode::SetValue(const ustring& name, uint32_t type, std::string data) {
  const auto it = FValueIndex.find(vxCaseMap::Upper(name));
  if (it != FValueIndex.end()) {
    FValues[it->second].Type = type;
    FValues[it->second].Data = std::move(data);
    return;
  }
  FValues.push_back(TRegValue{name, type, std::move(data)});
  FValueIndex.emplace(vxCaseMap::Upper(name), FValues.size() - 1);
}

bool TRegKeyNode::RemoveValue(std::u16string_view name) {
  const auto it = FValueIndex.find(vxCaseMap::Upper(name));
  if (it == FValueIndex.end()) return false;
  FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexValues();
  return true;
}

void TRegKeyNode::ReindexSubKeys() {
  FSubKeyIndex.clear();
  for (size_t i = 0; i < FSubKeys.size(); ++i) FSubKeyIndex.emplace(vxCaseMap::Upper(FSubKeys[i]->FName), i);
}

void TRegKeyNode::ReindexValues() {
  FValueIndex.clear();
  for (size_t i = 0; i < FValues.size(); ++i) FValueIndex.emplace(vxCaseMap::Upper(FValues[i].Name), i);
}

namespace {

bool IsControl(char16_t unit) { return unit < 0x20 || unit == 0x7F; }

}  // namespace

void CheckKeyName(std::u16string_view name) {
  if (name.empty()) throw ERegistryException("a key name cannot be empty");
  for (const char16_t unit : name) {
    if (unit == u'\\') throw ERegistryException(u"a key name cannot hold \"\\\": " + ustring(name));
    if (IsControl(unit)) throw ERegistryException(u"a key name cannot hold control characters: " + ustring(name));
  }
  if (FindLoneSurrogate(name) != std::u16string_view::npos) {
    throw ERegistryException("a key name cannot hold an unpaired surrogate");
  }
}

// ---------------------------------------------------------------- writing

namespace {

const char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, uint64_t number, int minDigits) {
  char buffer[16];
  int n = 0;
  do {
    buffer[n++] = kHexDigits[number & 0xF];
    number >>= 4;
  } while (number != 0 || n < minDigits);
  while (n > 0) out.push_back(buffer[--n]);
}

// Text in quotation marks, escaped so that any UTF-16 text comes back as it was.
void AppendQuoted(std::string& out, std::u16string_view text) {
  ustring escaped;
  escaped.reserve(text.size() + 2);
  escaped.push_back(u'"');
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    switch (unit) {
      case u'\\': escaped += u"\\\\"; continue;
      case u'"': escaped += u"\\\""; continue;
      case u'\n': escaped += u"\\n"; continue;
      case u'\r': escaped += u"\\r"; continue;
      case u'\t': escaped += u"\\t"; continue;
      case u'\0': escaped += u"\\0"; continue;
      default: break;
    }
    if (U16_IS_LEAD(unit) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
      escaped.push_back(unit);
      escaped.push_back(text[++i]);
    } else if (IsControl(unit) || U16_IS_SURROGATE(unit)) {
      escaped += u"\\x";
      for (int shift = 12; shift >= 0; shift -= 4) escaped.push_back(static_cast<char16_t>(kHexDigits[(unit >> shift) & 0xF]));
    } else {
      escaped.push_back(unit);
    }
  }
  escaped.push_back(u'"');
  // No unpaired surrogate is left, so the conversion loses nothing.
  out += WideToUtf8(escaped);
}

void AppendHexList(std::string& out, std::string_view data) {
  for (size_t i = 0; i < data.size(); ++i) {
    if (i > 0) out.push_back(',');
    AppendHex(out, static_cast<unsigned char>(data[i]), 2);
  }
}

// Text data that the quoted form can carry: whole units ending in one 0 unit.
bool IsTextData(std::string_view data) {
  return data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == '\0' && data[data.size() - 2] == '\0';
}

void AppendData(std::string& out, const TRegValue& value) {
  const std::string& data = value.Data;
  if ((value.Type == REG_SZ || value.Type == REG_EXPAND_SZ || value.Type == REG_MULTI_SZ) && IsTextData(data)) {
    if (value.Type != REG_SZ) {
      out += "str(";
      AppendHex(out, value.Type, 1);
      out += "):";
    }
    const ustring units = DecodeUnits(data);
    AppendQuoted(out, std::u16string_view(units).substr(0, units.size() - 1));
  } else if (value.Type == REG_DWORD && data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    out += "dword:";
    AppendHex(out, number, 8);
  } else if (value.Type == REG_BINARY) {
    out += "hex:";
    AppendHexList(out, data);
  } else {
    out += "hex(";
    AppendHex(out, value.Type, 1);
    out += "):";
    AppendHexList(out, data);
  }
}

void AppendKey(std::string& out, const TRegKeyNode& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.Values().empty()) {
    out += "\n[" + path + "]\n";
    for (const TRegValue& value : key.Values()) {
      if (value.Name.empty()) {
        out.push_back('@');
      } else {
        AppendQuoted(out, value.Name);
      }
      out.push_back('=');
      AppendData(out, value);
      out.push_back('\n');
    }
  }
  for (const auto& sub : key.SubKeys()) AppendKey(out, *sub, path + "\\" + WideToUtf8(sub->Name()), false);
}

}  // namespace

std::string FormatRegText(const TRegKeyNode& root) {
  std::string out = "REGEDIT4\n";
  AppendKey(out, root, WideToUtf8(root.Name()), true);
  return out;
}

// ---------------------------------------------------------------- reading

namespace {

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int HexValue(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
  if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
  return -1;
}

// Reads a number of 1 to MaxDigits hex digits that makes up all of Text.
bool ParseHexNumber(std::u16string_view text, size_t maxDigits, uint64_t& number) {
  if (text.empty() || text.size() > maxDigits) return false;
  number = 0;
  for (const char16_t unit : text) {
    const int digit = HexValue(unit);
    if (digit < 0) return false;
    number = (number << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}

class TParser {
 public:
  TParser(std::string_view text, const ustring& rootName, const std::string& fileName)
      : FText(text), FRootName(rootName), FFileName(fileName) {}

  std::unique_ptr<TRegKeyNode> Parse() {
    auto root = std::make_unique<TRegKeyNode>(FRootName);
    if (FText.substr(0, 3) == "\xEF\xBB\xBF") FText.remove_prefix(3);
    bool sawHeader = false;
    TRegKeyNode* key = nullptr;
    ustring line;
    while (NextLine(line)) {
      const std::u16string_view text = TrimBlanks(line);
      if (text.empty() || text.front() == u';') continue;
      if (!sawHeader) {
        if (text != u"REGEDIT4") Fail("the file does not start with \"REGEDIT4\"");
        sawHeader = true;
      } else if (text.front() == u'[') {
        key = &ParseKeyLine(*root, text);
      } else if (key == nullptr) {
        Fail("a value before the first key");
      } else {
        ParseValueLine(*key, text);
      }
    }
    return root;
  }

 private:
  // The next line as UTF-16, without its line break; false at the end.
  bool NextLine(ustring& line) {
    if (FText.empty()) return false;
    ++FLineNumber;
    size_t end = FText.find('\n');
    std::string_view bytes = FText.substr(0, end);
    FText.remove_prefix(end == std::string_view::npos ? FText.size() : end + 1);
    if (!bytes.empty() && bytes.back() == '\r') bytes.remove_suffix(1);
    line.assign(bytes.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(line.data()), static_cast<int32_t>(line.size()), &length, bytes.data(),
                  static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) Fail("the line is not valid UTF-8");
    line.resize(static_cast<size_t>(length));
    return true;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw ERegistryException(("registry file \"" + FFileName + "\", line " + std::to_string(FLineNumber) + ": " + what)
                                 .c_str());
  }

  TRegKeyNode& ParseKeyLine(TRegKeyNode& root, std::u16string_view text) {
    if (text.size() < 2 || text.back() != u']') Fail("a key line that does not end with \"]\"");
    std::u16string_view path = text.substr(1, text.size() - 2);
    const size_t rootEnd = path.find(u'\\');
    if (vxCaseMap::Upper(path.substr(0, rootEnd)) != vxCaseMap::Upper(FRootName)) {
      Fail("a key that is not under " + WideToUtf8(FRootName));
    }
    std::vector<ustring> names;
    if (rootEnd != std::u16string_view::npos) {
      path.remove_prefix(rootEnd + 1);
      while (true) {
        const size_t end = path.find(u'\\');
        names.emplace_back(path.substr(0, end));
        if (end == std::u16string_view::npos) break;
        path.remove_prefix(end + 1);
      }
    }
    try {
      bool created = false;
      return root.ObtainPath(names, created);
    } catch (const ERegistryException& error) {
      Fail(error.what());
    }
  }

  void ParseValueLine(TRegKeyNode& key, std::u16string_view text) {
    size_t position = 0;
    ustring name;
    if (text.front() == u'@') {
      position = 1;
    } else if (text.front() == u'"') {
      name = ReadQuoted(text, position);
    } else {
      Fail("a line that is neither a key nor a value");
    }
    if (position >= text.size() || text[position] != u'=') Fail("a value name without \"=\"");
    std::u16string_view data = text.substr(position + 1);

    uint32_t type = REG_NONE;
    std::string bytes;
    if (!data.empty() && data.front() == u'"') {
      type = REG_SZ;
      bytes = ReadWholeQuoted(data);
    } else if (data.starts_with(u"str(")) {
      type = ReadTypeCode(data, 4);
      bytes = ReadWholeQuoted(data);
    } else if (data.starts_with(u"dword:")) {
      uint64_t number = 0;
      if (!ParseHexNumber(data.substr(6), 8, number)) Fail("dword data that is not 1 to 8 hex digits");
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
      type = REG_DWORD;
    } else if (data.starts_with(u"hex:")) {
      type = REG_BINARY;
      bytes = ReadHexList(data.substr(4));
    } else if (data.starts_with(u"hex(")) {
      type = ReadTypeCode(data, 4);
      bytes = ReadHexList(data);
    } else {
      Fail("value data of an unknown form");
    }
    key.SetValue(name, type, std::move(bytes));
  }

  // Reads the "N):" of "str(N):" or "hex(N):" from Data at Position and
  // leaves Data after the colon.
  uint32_t ReadTypeCode(std::u16string_view& data, size_t position) {
    const size_t close = data.find(u"):", position);
    uint64_t code = 0;
    if (close == std::u16string_view::npos || !ParseHexNumber(data.substr(position, close - position), 8, code)) {
      Fail("a type code that is not 1 to 8 hex digits");
    }
    data.remove_prefix(close + 2);
    return static_cast<uint32_t>(code);
  }

  // A quoted text that makes up all of Data, as text data.
  std::string ReadWholeQuoted(std::u16string_view data) {
    if (data.empty() || data.front() != u'"') Fail("text data without its opening quotation mark");
    size_t position = 0;
    const ustring text = ReadQuoted(data, position);
    if (position != data.size()) Fail("characters after the closing quotation mark");
    return EncodeText(text);
  }

  // The quoted text at Position; Position moves past its closing mark.
  ustring ReadQuoted(std::u16string_view text, size_t& position) {
    ustring result;
    ++position;  // the opening mark
    while (true) {
      if (position >= text.size()) Fail("a text without its closing quotation mark");
      const char16_t unit = text[position++];
      if (unit == u'"') return result;
      if (unit != u'\\') {
        result.push_back(unit);
        continue;
      }
      if (position >= text.size()) Fail("a text without its closing quotation mark");
      const char16_t escape = text[position++];
      switch (escape) {
        case u'\\': result.push_back(u'\\'); break;
        case u'"': result.push_back(u'"'); break;
        case u'n': result.push_back(u'\n'); break;
        case u'r': result.push_back(u'\r'); break;
        case u't': result.push_back(u'\t'); break;
        case u'0': result.push_back(u'\0'); break;
        case u'x': {
          uint64_t unitCode = 0;
          if (position + 4 > text.size() || !ParseHexNumber(text.substr(position, 4), 4, unitCode)) {
            Fail("\"\\x\" not followed by four hex digits");
          }
          result.push_back(static_cast<char16_t>(unitCode));
          position += 4;
          break;
        }
        default: Fail("an unknown escape in a text");
      }
    }
  }

  // Hex bytes separated by commas; a line ending in "\" goes on in the next.
  std::string ReadHexList(std::u16string_view first) {
    ustring list(first);
    while (!list.empty() && list.back() == u'\\') {
      list.pop_back();
      ustring next;
      if (!NextLine(next)) Fail("a hex list that goes on past the end of the file");
      list += TrimBlanks(next);
    }
    std::string bytes;
    std::u16string_view rest = TrimBlanks(list);
    while (!rest.empty()) {
      const size_t comma = rest.find(u',');
      uint64_t byte = 0;
      if (!ParseHexNumber(TrimBlanks(rest.substr(0, comma)), 2, byte)) Fail("a hex list item that is not a byte");
      bytes.push_back(static_cast<char>(byte));
      if (comma == std::u16string_view::npos) break;
      rest.remove_prefix(comma + 1);
      if (TrimBlanks(rest).empty()) Fail("a hex list that ends with a comma");
    }
    return bytes;
  }

  std::string_view FText;
  const ustring& FRootName;
  const std::string& FFileName;
  size_t FLineNumber = 0;
};

}  // namespace

std::unique_ptr<TRegKeyNode> ParseRegText(std::string_view text, const ustring& rootName,
                                          const std::string& fileName) {
  return TParser(text, rootName, fileName).Parse();
}

// ---------------------------------------------------------------- files

namespace {

[[noreturn]] void RaiseOS(const std::string& what, const std::string& path, int error) {
  char buffer[256];
  const char* reason = strerror_r(error, buffer, sizeof buffer);
  throw EOSError((what + " \"" + path + "\": " + reason).c_str(), error);
}


// Removes a temporary file unless the work that made it succeeded.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(std::string path) : FPath(std::move(path)) {}
  ~TTemporaryFile() {
    if (!FPath.empty()) ::unlink(FPath.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  void Keep() { FPath.clear(); }

 private:
  std::string FPath;
};

struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  struct timespec Modified {};
  struct timespec Changed {};

  explicit TFileIdentity(const struct stat& st)
      : Device(st.st_dev), Inode(st.st_ino), Size(st.st_size), Modified(st.st_mtim), Changed(st.st_ctim) {}

  bool operator==(const TFileIdentity& other) const {
    return Device == other.Device && Inode == other.Inode && Size == other.Size &&
           Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec &&
           Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
  }
};

struct TCacheEntry {
  TFileIdentity Identity;
  std::shared_ptr<const TRegKeyNode> Root;
};

// Parsed files by path, shared by every thread of the process.
struct TCache {
  std::mutex Mutex;
  std::unordered_map<std::string, TCacheEntry> Entries;
};

TCache& Cache() {
  static TCache cache;
  return cache;
}

void Remember(const std::string& path, const TFileIdentity& identity, std::shared_ptr<const TRegKeyNode> root) {
  TCache& cache = Cache();
  const std::lock_guard<std::mutex> guard(cache.Mutex);
  cache.Entries.insert_or_assign(path, TCacheEntry{identity, std::move(root)});
}

std::string ReadAll(int fd, const std::string& path) {
  std::string text;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return text;
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOS("cannot read registry file", path, errno);
    }
    text.append(buffer, static_cast<size_t>(n));
  }
}

// Creates Folder and its missing parents, readable by the owner only.
void MakeFolder(const std::string& folder) {
  for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      RaiseOS("cannot create registry folder", part, errno);
    }
    if (end == std::string::npos) break;
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) RaiseOS("cannot create registry folder", folder, errno);
  if (!S_ISDIR(st.st_mode)) RaiseOS("cannot create registry folder", folder, ENOTDIR);
}

void SyncFolder(const std::string& folder) {
  const vxFileSystem::TFileHandle fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.Valid() || ::fsync(fd.Fd()) != 0) RaiseOS("cannot flush registry folder", folder, errno);
}

}  // namespace

std::string RegistryFolder() {
  const char* folder = std::getenv("VARLO_REGISTRY");
  if (folder != nullptr && folder[0] != '\0') return folder;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/varlo/registry";
  const std::string home = vxSystemInfo::HomeFolder();
  if (home.empty()) throw ERegistryException("no registry folder: set VARLO_REGISTRY or HOME");
  return home + "/.config/varlo/registry";
}

TRegStore::TRegStore(ustring rootName)
    : FRootName(std::move(rootName)),
      FFolder(RegistryFolder()),
      FFileName(FFolder + "/" + WideToUtf8(FRootName) + ".reg") {}

std::shared_ptr<const TRegKeyNode> TRegStore::Read() const {
  struct stat st;
  if (::stat(FFileName.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::make_shared<const TRegKeyNode>(FRootName);
    RaiseOS("cannot read registry file", FFileName, errno);
  }
  {
    TCache& cache = Cache();
    const std::lock_guard<std::mutex> guard(cache.Mutex);
    const auto it = cache.Entries.find(FFileName);
    if (it != cache.Entries.end() && it->second.Identity == TFileIdentity(st)) return it->second.Root;
  }
  const vxFileSystem::TFileHandle fd(::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno == ENOENT) return std::make_shared<const TRegKeyNode>(FRootName);
    RaiseOS("cannot read registry file", FFileName, errno);
  }
  if (::fstat(fd.Fd(), &st) != 0) RaiseOS("cannot read registry file", FFileName, errno);
  std::shared_ptr<const TRegKeyNode> root = ParseRegText(ReadAll(fd.Fd(), FFileName), FRootName, FFileName);
  Remember(FFileName, TFileIdentity(st), root);
  return root;
}

bool TRegStore::Writable() const {
  if (::faccessat(AT_FDCWD, FFolder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  if (::faccessat(AT_FDCWD, FFileName.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  return true;
}

void TRegStore::Modify(const std::function<bool(TRegKeyNode& root)>& change) const {
  MakeFolder(FFolder);
  const std::string lockName = FFileName + ".lock";
  const vxFileSystem::TFileHandle lock(::open(lockName.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
  if (!lock.Valid()) RaiseOS("cannot open registry lock file", lockName, errno);
  while (::flock(lock.Fd(), LOCK_EX) != 0) {
    if (errno != EINTR) RaiseOS("cannot lock registry file", lockName, errno);
  }

  // Always the file as it is now: another process may have changed it since
  // this one last read it.
  std::unique_ptr<TRegKeyNode> root;
  bool existed = false;
  mode_t mode = 0;
  {
    const vxFileSystem::TFileHandle in(::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Valid()) {
      struct stat st;
      if (::fstat(in.Fd(), &st) != 0) RaiseOS("cannot read registry file", FFileName, errno);
      existed = true;
      mode = st.st_mode & 07777;
      // The rename would not need it, but a file without write permission is
      // meant to stay as it is.
      if (::faccessat(AT_FDCWD, FFileName.c_str(), W_OK, AT_EACCESS) != 0) {
        RaiseOS("cannot write registry file", FFileName, errno);
      }
      root = ParseRegText(ReadAll(in.Fd(), FFileName), FRootName, FFileName);
    } else if (errno == ENOENT) {
      root = std::make_unique<TRegKeyNode>(FRootName);
    } else {
      RaiseOS("cannot read registry file", FFileName, errno);
    }
  }
  if (!change(*root)) return;
  const std::string text = FormatRegText(*root);

  // A temporary file left by a writer that died is stale: start afresh.
  const std::string tempName = FFileName + ".tmp";
  if (::unlink(tempName.c_str()) != 0 && errno != ENOENT) RaiseOS("cannot remove", tempName, errno);
  const vxFileSystem::TFileHandle out(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!out.Valid()) RaiseOS("cannot create registry file", tempName, errno);
  TTemporaryFile temporary(tempName);
  if (!out.WriteAll(text.data(), text.size())) RaiseOS("cannot write registry file", tempName, errno);
  if (existed && ::fchmod(out.Fd(), mode) != 0) RaiseOS("cannot set the mode of", tempName, errno);
  if (::fsync(out.Fd()) != 0) RaiseOS("cannot flush registry file", tempName, errno);
  if (::rename(tempName.c_str(), FFileName.c_str()) != 0) RaiseOS("cannot replace registry file", FFileName, errno);
  temporary.Keep();
  struct stat st;
  if (::fstat(out.Fd(), &st) != 0) RaiseOS("cannot read registry file", FFileName, errno);
  Remember(FFileName, TFileIdentity(st), std::shared_ptr<const TRegKeyNode>(std::move(root)));
  SyncFolder(FFolder);
}

}  // namespace vxRegFile
