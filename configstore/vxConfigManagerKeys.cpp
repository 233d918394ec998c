// The key forms of the store and their conversions, and the comparison of a
// key with a pattern. No database, no lock, no failure.
#include <vector>

#include "configstore/vxConfigManager.h"

namespace {

// Unicode white space and the control characters (C0, DEL, C1).
bool IsKeyTrimChar(char16_t c) {
  if (c <= 0x20 || (c >= 0x7F && c <= 0xA0)) return true;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::vector<ustring> SplitNames(const ustring& NamedRelKey) {
  std::vector<ustring> names;
  if (NamedRelKey.empty()) return names;
  size_t from = 0;
  for (;;) {
    const size_t slash = NamedRelKey.find(u'/', from);
    names.push_back(NamedRelKey.substr(from, slash == ustring::npos ? ustring::npos : slash - from));
    if (slash == ustring::npos) break;
    from = slash + 1;
  }
  return names;
}

ustring ReplaceAll(const ustring& Text, std::u16string_view From, std::u16string_view To) {
  ustring out;
  size_t at = 0;
  for (;;) {
    const size_t found = Text.find(From, at);
    if (found == ustring::npos) break;
    out.append(Text, at, found - at).append(To);
    at = found + From.size();
  }
  return out.append(Text, at);
}

}  // namespace

ustring TvxConfigManager::TrimKey(const ustring& Text) {
  size_t b = 0, e = Text.size();
  while (b < e && IsKeyTrimChar(Text[b])) ++b;
  while (e > b && IsKeyTrimChar(Text[e - 1])) --e;
  return Text.substr(b, e - b);
}

ustring TvxConfigManager::TrimKey(ustring&& Text) {
  size_t e = Text.size();
  while (e > 0 && IsKeyTrimChar(Text[e - 1])) --e;
  Text.resize(e);
  size_t b = 0;
  while (b < e && IsKeyTrimChar(Text[b])) ++b;
  Text.erase(0, b);
  return std::move(Text);
}

ustring TvxConfigManager::PrepareKey(const ustring& Key) {
  // Trim, drop one leading "/", end with "/", trim again: in one copy (the
  // walk prepares every key it is given).
  size_t b = 0, e = Key.size();
  while (b < e && IsKeyTrimChar(Key[b])) ++b;
  while (e > b && IsKeyTrimChar(Key[e - 1])) --e;
  if (b < e && Key[b] == u'/') ++b;
  const bool slash = b < e && Key[e - 1] != u'/';
  // The end is "/" now (or nothing is left), so only the front can need
  // trimming, and not up to the end: the last character is no trim character.
  while (b < e && IsKeyTrimChar(Key[b])) ++b;
  ustring key;
  if (b == e) return key;
  key.reserve(e - b + 1);
  key.append(Key, b, e - b);
  if (slash) key += u'/';
  return key;
}

ustring TvxConfigManager::Convert2VisKey(const ustring& Key) {
  ustring key = TrimKey(Key);
  if (key.empty()) return key;
  if (key.front() != u'/') key.insert(key.begin(), u'/');
  if (key.back() == u'/') key.pop_back();
  return key;
}

ustring TvxConfigManager::Convert2NamedRelKey(const ustring& Key) {
  ustring key = TrimKey(Key);
  if (key.empty()) return key;
  if (key.front() == u'/') key.erase(0, 1);
  if (!key.empty() && key.back() == u'/') key.pop_back();
  return key;
}

ustring TvxConfigManager::EncodeKeyPart(const ustring& KeyPart) { return ReplaceAll(KeyPart, u"/", u"%2F"); }

ustring TvxConfigManager::DecodeKeyPart(const ustring& KeyPart) { return ReplaceAll(KeyPart, u"%2F", u"/"); }

ustring TvxConfigManager::GetNextLowerKey(const ustring& Key) {
  const ustring named = Convert2NamedRelKey(Key);
  const size_t slash = named.rfind(u'/');
  return Convert2VisKey(slash == ustring::npos ? ustring() : named.substr(0, slash + 1));
}

TvxKeyCompareResult TvxConfigManager::CompareKeys(const ustring& Key1, const ustring& Key2) {
  const std::vector<ustring> pattern = SplitNames(Convert2NamedRelKey(Key1));
  const std::vector<ustring> key = SplitNames(Convert2NamedRelKey(Key2));
  if (key.size() < pattern.size()) return vxKCR_NoMatch;
  size_t count = 0;
  for (size_t j = 0; j < pattern.size(); ++j)
    if (pattern[j] == u"*" || pattern[j] == key[j]) ++count;
  if (count == 0) return vxKCR_NoMatch;
  if (pattern.size() == key.size() && count == pattern.size()) return vxKCR_Identical;
  if (pattern.size() < key.size() && count == pattern.size())
    return key.size() == pattern.size() + 1 ? vxKCR_OneLevelLower : vxKCR_MoreThanOneLevelLower;
  return vxKCR_NoMatch;
}
