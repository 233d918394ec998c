// The version block's reader and builder: nodes parsed with every length
// checked against the enclosing node, so damage ends a look-up instead of
// reading past the block.
#include "platform/version/vxVersionBlock.h"

#include <algorithm>
#include <optional>

namespace vxVersionBlock {
namespace {

size_t Align4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

uint16_t ReadWord(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

struct TNode {
  size_t End = 0;  // one past the node's last byte
  ustring Key;
  size_t ValueOffset = 0;
  uint32_t ValueLength = 0;  // as the query reports it, cut to the node
  bool Text = false;
  size_t ChildStart = 0;
};

// The node at Start, which must end by Limit.
std::optional<TNode> ParseNode(std::string_view b, size_t Start, size_t Limit) {
  if (Limit > b.size() || Start > Limit || Limit - Start < 6) return std::nullopt;
  const size_t length = ReadWord(b, Start);
  if (length < 6 || length > Limit - Start) return std::nullopt;
  TNode node;
  node.End = Start + length;
  size_t p = Start + 6;
  bool terminated = false;
  while (p + 2 <= node.End) {
    const char16_t c = ReadWord(b, p);
    p += 2;
    if (c == 0) {
      terminated = true;
      break;
    }
    node.Key.push_back(c);
  }
  if (!terminated) return std::nullopt;
  node.Text = ReadWord(b, Start + 4) == 1;
  const uint32_t declared = ReadWord(b, Start + 2);
  node.ValueOffset = std::min(Align4(p), node.End);
  const size_t room = node.End - node.ValueOffset;
  const size_t unit = node.Text ? 2 : 1;
  node.ValueLength = static_cast<uint32_t>(std::min<size_t>(declared, room / unit));
  node.ChildStart = std::min(Align4(node.ValueOffset + static_cast<size_t>(declared) * unit), node.End);
  return node;
}

bool SameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<TNode> FindChild(std::string_view b, const TNode& Parent, std::u16string_view Key) {
  size_t at = Parent.ChildStart;
  while (at < Parent.End) {
    std::optional<TNode> child = ParseNode(b, at, Parent.End);
    if (!child) return std::nullopt;
    if (SameKey(child->Key, Key)) return child;
    at = Align4(child->End);
  }
  return std::nullopt;
}

void PutWord(std::string& out, uint16_t w) {
  out.push_back(static_cast<char>(w & 0xFF));
  out.push_back(static_cast<char>(w >> 8));
}

void PutDWord(std::string& out, uint32_t d) {
  PutWord(out, static_cast<uint16_t>(d & 0xFFFF));
  PutWord(out, static_cast<uint16_t>(d >> 16));
}

void PadTo4(std::string& out) {
  while (out.size() % 4 != 0) out.push_back('\0');
}

// One node with its value and children (each child built unpadded).
std::string MakeNode(const ustring& Key, const std::string& Value, uint16_t ValueLength, bool Text,
                     const std::vector<std::string>& Children) {
  std::string node;
  PutWord(node, 0);  // length, set below
  PutWord(node, ValueLength);
  PutWord(node, Text ? 1 : 0);
  for (char16_t c : Key) PutWord(node, c);
  PutWord(node, 0);
  PadTo4(node);
  node += Value;
  for (const std::string& child : Children) {
    PadTo4(node);
    node += child;
  }
  const size_t length = node.size();
  node[0] = static_cast<char>(length & 0xFF);
  node[1] = static_cast<char>((length >> 8) & 0xFF);
  return node;
}

uint32_t Join(const uint16_t (&v)[4], int first) {
  return (static_cast<uint32_t>(v[first]) << 16) | v[first + 1];
}

ustring Hex4(uint16_t v) {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  ustring text;
  for (int shift = 12; shift >= 0; shift -= 4) text.push_back(digits[(v >> shift) & 15]);
  return text;
}

}  // namespace

bool QueryValue(std::string_view Block, std::u16string_view SubBlock, TValuePlace& Place) {
  std::optional<TNode> node = ParseNode(Block, 0, Block.size());
  if (!node) return false;
  size_t at = 0;
  while (at < SubBlock.size()) {
    while (at < SubBlock.size() && SubBlock[at] == u'\\') ++at;
    if (at >= SubBlock.size()) break;
    size_t end = SubBlock.find(u'\\', at);
    if (end == std::u16string_view::npos) end = SubBlock.size();
    node = FindChild(Block, *node, SubBlock.substr(at, end - at));
    if (!node) return false;
    at = end;
  }
  if (node->ValueLength == 0) return false;
  Place.Offset = node->ValueOffset;
  Place.Length = node->ValueLength;
  Place.IsText = node->Text;
  return true;
}

uint32_t ReadDWord(std::string_view Block, size_t Offset) {
  return static_cast<uint32_t>(ReadWord(Block, Offset)) | (static_cast<uint32_t>(ReadWord(Block, Offset + 2)) << 16);
}

void WriteDWord(std::string& Block, size_t Offset, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Block[Offset + i] = static_cast<char>((Value >> (8 * i)) & 0xFF);
}

std::vector<std::pair<uint16_t, uint16_t>> Translations(std::string_view Block) {
  std::vector<std::pair<uint16_t, uint16_t>> list;
  TValuePlace place;
  if (!QueryValue(Block, u"\\VarFileInfo\\Translation", place)) return list;
  const size_t bytes = place.IsText ? static_cast<size_t>(place.Length) * 2 : place.Length;
  for (size_t i = 0; i + 4 <= bytes; i += 4)
    list.emplace_back(ReadWord(Block, place.Offset + i), ReadWord(Block, place.Offset + i + 2));
  return list;
}

ustring StringPath(uint16_t Language, uint16_t CodePage, const ustring& Key) {
  return u"\\StringFileInfo\\" + Hex4(Language) + Hex4(CodePage) + u"\\" + Key;
}

std::string Build(const TBlockContent& Content) {
  std::string fixed;
  PutDWord(fixed, FixedSignature);
  PutDWord(fixed, 0x00010000);  // structure version 1.0
  PutDWord(fixed, Join(Content.FileVersion, 0));
  PutDWord(fixed, Join(Content.FileVersion, 2));
  PutDWord(fixed, Join(Content.ProductVersion, 0));
  PutDWord(fixed, Join(Content.ProductVersion, 2));
  PutDWord(fixed, 0x3F);     // file flags mask
  PutDWord(fixed, 0);        // file flags
  PutDWord(fixed, 0x40004);  // operating system: 32-bit Windows NT
  PutDWord(fixed, 2);        // file type: dynamic library
  PutDWord(fixed, 0);        // file subtype
  PutDWord(fixed, 0);        // file date, high and low
  PutDWord(fixed, 0);

  std::vector<std::string> children;
  if (!Content.StringTables.empty()) {
    std::vector<std::string> tables;
    for (const TStringTable& table : Content.StringTables) {
      std::vector<std::string> strings;
      for (const auto& [key, value] : table.Values) {
        std::string text;
        for (char16_t c : value) PutWord(text, c);
        PutWord(text, 0);
        strings.push_back(MakeNode(key, text, static_cast<uint16_t>(value.size() + 1), true, {}));
      }
      tables.push_back(MakeNode(Hex4(table.Language) + Hex4(table.CodePage), {}, 0, true, strings));
    }
    children.push_back(MakeNode(u"StringFileInfo", {}, 0, true, tables));
  }
  if (Content.WithTranslations) {
    std::string list;
    for (const auto& [language, codePage] : Content.TranslationList) {
      PutWord(list, language);
      PutWord(list, codePage);
    }
    std::vector<std::string> var{MakeNode(u"Translation", list, static_cast<uint16_t>(list.size()), false, {})};
    children.push_back(MakeNode(u"VarFileInfo", {}, 0, true, var));
  }
  return MakeNode(u"VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), false, children);
}

}  // namespace vxVersionBlock
