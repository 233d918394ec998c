// The XML document over pugixml: strict loading (see the header), building
// with checked names and texts, and saving as UTF-8.
#include "platform/xml/vxXmlDocument.h"

#include <pugixml.hpp>
#include <unicode/ustring.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/base/vxCodePage.h"

namespace {

// Deeper documents are refused: the readers above walk elements
// recursively, and no document of the system nests anywhere near this.
constexpr int kMaxDepth = TXMLDocument::MaxDepth;

pugi::xml_node Node(pugi::xml_node_struct* n) { return pugi::xml_node(n); }

std::string Utf8(std::u16string_view text) { return WideToUtf8(text); }
ustring Wide(const char* utf8) { return Utf8ToWide(utf8); }

bool IsNameStartChar(char32_t c) {
  return c == U':' || (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z') ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
  return IsNameStartChar(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// Calls f for every code point of UTF-16 text; a lone surrogate is passed
// as itself (and so fails every test above).
template <class F>
bool AllCodePoints(std::u16string_view text, F f) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (!f(c, i)) return false;
  }
  return true;
}

bool IsValidNameText(std::u16string_view name) {
  if (name.empty()) return false;
  bool first = true;
  return AllCodePoints(name, [&](char32_t c, size_t) {
    const bool ok = first ? IsNameStartChar(c) : IsNameChar(c);
    first = false;
    return ok;
  });
}

[[noreturn]] void ParseError(const std::string& what) { throw EDOMParseError(("XML parse error: " + what).c_str()); }

void CheckName(std::u16string_view name) {
  if (!IsValidNameText(name)) throw EXMLDocError(u"invalid XML name '" + ustring(name) + u"'");
}

// The text of a raw value (escapes not yet resolved) with its references
// resolved: the five predefined entities and character references. Anything
// else is an undefined entity; "<" may not stand in a raw attribute value.
std::string ResolveReferences(const char* raw, bool attribute) {
  std::string out;
  const std::string_view s(raw);
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char ch = s[i];
    if (ch == '<' && attribute) ParseError("'<' in an attribute value");
    if (ch != '&') {
      out += ch;
      continue;
    }
    const size_t end = s.find(';', i + 1);
    if (end == std::string_view::npos) ParseError("'&' without a reference");
    const std::string_view ref = s.substr(i + 1, end - i - 1);
    if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "amp") out += '&';
    else if (ref == "apos") out += '\'';
    else if (ref == "quot") out += '"';
    else if (ref.size() > 1 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      uint32_t code = 0;
      const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size() || !IsXmlChar(code))
        ParseError("invalid character reference '&" + std::string(ref) + ";'");
      char16_t units[2];
      size_t n = 1;
      if (code >= 0x10000) {
        units[0] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        n = 2;
      } else {
        units[0] = static_cast<char16_t>(code);
      }
      out += Utf8(std::u16string_view(units, n));
    } else {
      ParseError("undefined entity '&" + std::string(ref.substr(0, 64)) + ";'");
    }
    i = end;
  }
  return out;
}

bool IsBlank(const char* s) {
  for (; *s; ++s)
    if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
  return true;
}

// A comment may not hold "--" nor end with "-".
void CheckComment(pugi::xml_node comment) {
  const std::string_view text(comment.value());
  if (text.find("--") != std::string_view::npos || text.ends_with('-')) ParseError("'--' in a comment");
}

// A processing instruction's target is a name; its text has its line
// breaks read as LF, as a parser reads them everywhere.
void CheckInstruction(pugi::xml_node instruction) {
  if (!IsValidNameText(Wide(instruction.name())))
    ParseError("invalid processing instruction target '" + std::string(instruction.name()) + "'");
  const std::string_view text(instruction.value());
  if (text.find('\r') == std::string_view::npos) return;
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  instruction.set_value(lines.c_str());
}

// The children of an element as the document keeps them: texts with their
// references resolved, comments and processing instructions dropped and
// the texts they stood between joined into one, and texts of blanks only
// dropped where the element holds anything else (indentation).
void TidyChildren(pugi::xml_node element) {
  struct TText {
    pugi::xml_node Node;
    bool Blank;
  };
  std::vector<TText> texts;
  pugi::xml_node open;  // the text the next one joins; none after an element or CDATA
  std::string joined;
  bool blank = true;
  const auto close = [&] {
    if (!open) return;
    open.set_value(joined.c_str());
    texts.push_back({open, blank});
    open = pugi::xml_node();
  };
  for (pugi::xml_node child = element.first_child(); child;) {
    const pugi::xml_node next = child.next_sibling();
    switch (child.type()) {
      case pugi::node_pcdata: {
        const bool raw = IsBlank(child.value());
        std::string text = ResolveReferences(child.value(), false);
        if (open) {
          joined += text;
          blank = blank && raw;
          element.remove_child(child);
        } else {
          open = child;
          joined = std::move(text);
          blank = raw;
        }
        break;
      }
      case pugi::node_comment:
        CheckComment(child);
        element.remove_child(child);
        break;
      case pugi::node_pi:
        CheckInstruction(child);
        element.remove_child(child);
        break;
      default: close();
    }
    child = next;
  }
  close();
  if (element.first_child() == element.last_child()) return;
  for (const TText& text : texts)
    if (text.Blank) element.remove_child(text.Node);
}

// Checks what pugixml leaves to its callers and resolves the references of
// every text and attribute value in place. Iterative: documents may nest
// up to kMaxDepth levels, and the stack of this walk must not be the limit.
void CheckAndResolve(pugi::xml_document& doc) {
  int elements = 0;
  for (pugi::xml_node child : doc.children()) {
    switch (child.type()) {
      case pugi::node_doctype: ParseError("a document type declaration is not allowed");
      case pugi::node_element: ++elements; break;
      case pugi::node_pcdata:
        if (!IsBlank(child.value())) ParseError("text outside the document element");
        break;
      case pugi::node_cdata: ParseError("text outside the document element");
      case pugi::node_comment: CheckComment(child); break;
      case pugi::node_pi: CheckInstruction(child); break;
      default: break;
    }
  }
  if (elements == 0) ParseError("no document element");
  if (elements > 1) ParseError("only one document element is allowed");
  // Blank text between top-level nodes carries nothing.
  for (pugi::xml_node child = doc.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (child.type() == pugi::node_pcdata) doc.remove_child(child);
    child = next;
  }

  std::vector<std::pair<pugi::xml_node, int>> stack;
  stack.emplace_back(doc.document_element(), 1);
  std::vector<std::string_view> names;
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    if (depth > kMaxDepth) ParseError("elements nested deeper than " + std::to_string(kMaxDepth) + " levels");
    if (!IsValidNameText(Wide(node.name()))) ParseError("invalid element name '" + std::string(node.name()) + "'");
    names.clear();
    for (pugi::xml_attribute a : node.attributes()) {
      if (!IsValidNameText(Wide(a.name()))) ParseError("invalid attribute name '" + std::string(a.name()) + "'");
      names.emplace_back(a.name());
      a.set_value(ResolveReferences(a.value(), true).c_str());
    }
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end())
      ParseError("attribute '" + std::string(*std::adjacent_find(names.begin(), names.end())) + "' repeated");
    TidyChildren(node);
    for (pugi::xml_node child : node.children())
      if (child.type() == pugi::node_element) stack.emplace_back(child, depth + 1);
  }
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The encoding named by the XML declaration at the start of bytes; empty
// when there is no declaration or it names none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (bytes.substr(0, 5) != "<?xml") return {};
  const size_t close = bytes.find("?>");
  const std::string_view decl = bytes.substr(0, close == std::string_view::npos ? 0 : close);
  const size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return {};
  size_t i = decl.find_first_of("\"'", at);
  if (i == std::string_view::npos) return {};
  const size_t end = decl.find(decl[i], i + 1);
  if (end == std::string_view::npos) return {};
  return AsciiLower(std::string(decl.substr(i + 1, end - i - 1)));
}

bool IsWellFormedUtf8(std::string_view bytes) {
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) return false;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING || U_SUCCESS(status);
}

// Whether well-formed UTF-8 holds only XML characters: no control bytes
// but tab, LF and CR, and neither U+FFFE nor U+FFFF (surrogates are no
// well-formed UTF-8).
bool IsXmlUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D) return false;
    if (b == 0xEF && i + 2 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(bytes[i + 2]) & 0xFE) == 0xBE)
      return false;
  }
  return true;
}

// Text as it stands in an element or an attribute value, written so that
// a parser reads back every character as it was: a parser turns CR and
// CR LF into LF everywhere, and TAB and LF into blanks in attributes, so
// those are written as character references.
void AppendEscaped(std::string& out, const char* text, bool attribute) {
  for (const char* c = text; *c != '\0'; ++c) {
    switch (*c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>':
        if (attribute) out += '>';
        else out += "&gt;";  // so that no "]]>" stands in a text
        break;
      case '"':
        if (attribute) out += "&quot;";
        else out += '"';
        break;
      case '\r': out += "&#13;"; break;
      case '\n':
        if (attribute) out += "&#10;";
        else out += '\n';
        break;
      case '\t':
        if (attribute) out += "&#09;";
        else out += '\t';
        break;
      default: out += *c;
    }
  }
}

// A CDATA section cannot hold "]]>": it ends there and a new one begins.
void AppendCData(std::string& out, std::string_view text) {
  out += "<![CDATA[";
  for (size_t at; (at = text.find("]]>")) != std::string_view::npos; text.remove_prefix(at + 2)) {
    out.append(text.substr(0, at + 2));
    out += "]]><![CDATA[";
  }
  out.append(text);
  out += "]]>";
}

// The start of a node (the whole of a node without children).
void AppendOpening(std::string& out, pugi::xml_node node) {
  switch (node.type()) {
    case pugi::node_element:
      out += '<';
      out += node.name();
      for (pugi::xml_attribute a : node.attributes()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        AppendEscaped(out, a.value(), true);
        out += '"';
      }
      out += node.first_child() ? ">" : "/>";
      break;
    case pugi::node_pcdata: AppendEscaped(out, node.value(), false); break;
    case pugi::node_cdata: AppendCData(out, node.value()); break;
    case pugi::node_comment:
      out += "<!--";
      out += node.value();
      out += "-->";
      break;
    case pugi::node_pi:
      out += "<?";
      out += node.name();
      if (*node.value() != '\0') {
        out += ' ';
        out += node.value();
      }
      out += "?>";
      break;
    default: break;
  }
}

// Whether Text is white space only (blanks, tabs, line breaks).
bool IsWhiteSpace(const char* Text) {
  for (const char* c = Text; *c != '\0'; ++c)
    if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') return false;
  return true;
}

// Whether an indented save lays out the children of the element Node one
// a line: it holds elements and white space only (that white space is then
// layout and is written anew).
bool IsLaidOut(pugi::xml_node Node) {
  bool elements = false;
  for (pugi::xml_node child : Node.children()) {
    if (child.type() == pugi::node_element) elements = true;
    else if (child.type() == pugi::node_cdata) return false;
    else if (child.type() == pugi::node_pcdata && !IsWhiteSpace(child.value())) return false;
  }
  return elements;
}

// The document's nodes in document order, without recursion; with Indent
// each node of a laid-out parent on a line of its own, two blanks a level.
void AppendNodes(std::string& out, pugi::xml_node document, bool Indent) {
  // Whether each open parent, the document first, is laid out.
  std::vector<bool> laidOut{Indent};
  auto newLine = [&] {
    out += '\n';
    out.append(2 * (laidOut.size() - 1), ' ');
  };
  pugi::xml_node node = document.first_child();
  while (node) {
    const bool layout = laidOut.back();
    if (!(layout && node.type() == pugi::node_pcdata)) {
      if (layout && node != document.first_child()) newLine();
      AppendOpening(out, node);
      if (node.type() == pugi::node_element && node.first_child()) {
        laidOut.push_back(Indent && IsLaidOut(node));
        node = node.first_child();
        continue;
      }
    }
    // Close every element whose last child this was.
    while (!node.next_sibling()) {
      node = node.parent();
      if (!node || node == document) {
        if (Indent) out += '\n';
        return;
      }
      const bool closeOnNewLine = laidOut.back();
      laidOut.pop_back();
      if (closeOnNewLine) newLine();
      out += "</";
      out += node.name();
      out += '>';
    }
    node = node.next_sibling();
  }
}

}  // namespace

// ---- TXMLNode ----------------------------------------------------------------

TNodeType TXMLNode::NodeType() const {
  switch (Node(FNode).type()) {
    case pugi::node_element: return ntElement;
    case pugi::node_pcdata: return ntText;
    case pugi::node_cdata: return ntCData;
    case pugi::node_pi: return ntProcessingInstr;
    case pugi::node_comment: return ntComment;
    case pugi::node_document: return ntDocument;
    case pugi::node_doctype: return ntDocType;
    default: return ntReserved;
  }
}

ustring TXMLNode::NodeName() const { return Wide(Node(FNode).name()); }

std::optional<ustring> TXMLNode::NodeValue() const {
  switch (Node(FNode).type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi: return Wide(Node(FNode).value());
    default: return std::nullopt;
  }
}

bool TXMLNode::HasChildNodes() const { return Node(FNode).first_child(); }

std::vector<TXMLNode> TXMLNode::ChildNodes() const {
  std::vector<TXMLNode> result;
  for (pugi::xml_node child : Node(FNode).children()) result.push_back(TXMLNode(child.internal_object()));
  return result;
}

TXMLNode TXMLNode::FindChildElement(std::u16string_view name) const {
  return TXMLNode(Node(FNode).child(Utf8(name).c_str()).internal_object());
}

TXMLNode TXMLNode::AddChild(std::u16string_view name) {
  CheckName(name);
  pugi::xml_node self = Node(FNode);
  if (self.type() == pugi::node_document) {
    for (pugi::xml_node child : self.children())
      if (child.type() == pugi::node_element) throw EXMLDocError("only one document element is allowed");
  } else if (self.type() != pugi::node_element) {
    throw EXMLDocError("only elements and the document take child elements");
  }
  return TXMLNode(self.append_child(Utf8(name).c_str()).internal_object());
}

bool TXMLNode::HasAttribute(std::u16string_view name) const {
  return static_cast<bool>(Node(FNode).attribute(Utf8(name).c_str()));
}

std::optional<ustring> TXMLNode::GetAttribute(std::u16string_view name) const {
  const pugi::xml_attribute a = Node(FNode).attribute(Utf8(name).c_str());
  if (!a) return std::nullopt;
  return Wide(a.value());
}

void TXMLNode::SetAttribute(std::u16string_view name, std::u16string_view value) {
  CheckName(name);
  if (NodeType() != ntElement) throw EXMLDocError("only elements have attributes");
  if (!TXMLDocument::IsValidText(value)) throw EXMLDocError("a character outside the XML ranges in an attribute");
  pugi::xml_node self = Node(FNode);
  const std::string n = Utf8(name);
  pugi::xml_attribute a = self.attribute(n.c_str());
  if (!a) a = self.append_attribute(n.c_str());
  a.set_value(Utf8(value).c_str());
}

std::vector<TXMLAttribute> TXMLNode::Attributes() const {
  std::vector<TXMLAttribute> result;
  for (pugi::xml_attribute a : Node(FNode).attributes()) result.emplace_back(Wide(a.name()), Wide(a.value()));
  return result;
}

ustring TXMLNode::Text() const {
  const pugi::xml_node self = Node(FNode);
  const pugi::xml_node first = self.first_child();
  if (!first) return {};
  if ((first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata) && !first.next_sibling())
    return Wide(first.value());
  throw EXMLDocError("element does not contain a single text node");
}

void TXMLNode::SetText(std::u16string_view text) {
  if (NodeType() != ntElement) throw EXMLDocError("only elements have a text");
  if (!TXMLDocument::IsValidText(text)) throw EXMLDocError("a character outside the XML ranges in a text");
  pugi::xml_node self = Node(FNode);
  while (self.first_child()) self.remove_child(self.first_child());
  if (!text.empty()) self.append_child(pugi::node_pcdata).set_value(Utf8(text).c_str());
}

// ---- TXMLDocument -----------------------------------------------------------

TXMLDocument::TXMLDocument() : FDoc(std::make_unique<pugi::xml_document>()) {}
TXMLDocument::~TXMLDocument() = default;
TXMLDocument::TXMLDocument(TXMLDocument&&) noexcept = default;
TXMLDocument& TXMLDocument::operator=(TXMLDocument&&) noexcept = default;

void TXMLDocument::LoadFromXML(std::string_view Bytes) {
  FDoc->reset();
  // pugixml only ever sees UTF-8 here, every character checked first.
  std::string converted;
  std::string_view input = Bytes;
  const auto starts = [&](std::string_view prefix) { return input.substr(0, prefix.size()) == prefix; };
  const auto fromWide = [&](const ustring& text) {
    if (!IsValidText(text)) ParseError("a character outside the XML ranges");
    converted = WideToUtf8(text);
    input = converted;
  };
  if (starts("\xEF\xBB\xBF")) {
    input.remove_prefix(3);
  } else if (starts("\xFE\xFF") || starts("\xFF\xFE") || starts(std::string_view("<\0", 2)) ||
             starts(std::string_view("\0<", 2))) {
    const bool littleEndian = starts("\xFF\xFE") || starts(std::string_view("<\0", 2));
    if (starts("\xFE\xFF") || starts("\xFF\xFE")) input.remove_prefix(2);
    if (input.size() % 2 != 0) ParseError("UTF-16 text of an odd number of bytes");
    ustring text(input.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      const auto lo = static_cast<unsigned char>(input[2 * i + (littleEndian ? 0 : 1)]);
      const auto hi = static_cast<unsigned char>(input[2 * i + (littleEndian ? 1 : 0)]);
      text[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    fromWide(text);
    return LoadUtf8(input);
  }
  const std::string declared = DeclaredEncoding(input);
  if (declared == "iso-8859-1" || declared == "latin1" || declared == "latin-1") {
    ustring text(input.size(), u'\0');  // each byte is its code point
    for (size_t i = 0; i < input.size(); ++i) text[i] = static_cast<unsigned char>(input[i]);
    fromWide(text);
  } else if (declared == "windows-1252" || declared == "cp1252") {
    fromWide(AnsiToWide(input));
  } else if (!declared.empty() && declared != "utf-8" && declared != "utf8" && declared != "us-ascii" &&
             declared != "ascii") {
    ParseError("unsupported encoding '" + declared.substr(0, 64) + "'");
  } else {
    if (!IsWellFormedUtf8(input)) ParseError("the text is not valid UTF-8");
    if (!IsXmlUtf8(input)) ParseError("a character outside the XML ranges");
  }
  LoadUtf8(input);
}

void TXMLDocument::LoadUtf8(std::string_view input) {
  // Every text is kept (blanks too) and every comment and processing
  // instruction: the walk after the parse decides what stays.
  const unsigned options = (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_doctype |
                           pugi::parse_fragment | pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi;
  const pugi::xml_parse_result result = FDoc->load_buffer(input.data(), input.size(), options, pugi::encoding_utf8);
  try {
    if (!result)
      ParseError(std::string(result.description()) + " at offset " + std::to_string(result.offset));
    CheckAndResolve(*FDoc);
  } catch (...) {
    FDoc->reset();
    throw;
  }
}

std::string TXMLDocument::SaveToXML() const { return SaveToXML(TXMLSaveOptions{}); }

std::string TXMLDocument::SaveToXML(const TXMLSaveOptions& Options) const {
  const bool utf16 = Options.Encoding == TXMLSaveEncoding::UTF16;
  std::string out = utf16 ? "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  if (Options.Indent && FDoc->first_child()) out += '\n';
  AppendNodes(out, *FDoc, Options.Indent);
  if (!utf16) return out;
  return "\xFF\xFE" + WideToUtf16LE(Utf8ToWide(out));
}

TXMLNode TXMLDocument::DocumentNode() const { return TXMLNode(FDoc->internal_object()); }

TXMLNode TXMLDocument::DocumentElement() const { return TXMLNode(FDoc->document_element().internal_object()); }

bool TXMLDocument::IsValidName(std::u16string_view Name) { return IsValidNameText(Name); }

bool TXMLDocument::IsValidText(std::u16string_view Text) {
  return AllCodePoints(Text, [](char32_t c, size_t) { return IsXmlChar(c); });
}
