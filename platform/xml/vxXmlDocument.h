// The XML document (DOM) of the system: a document with one document
// element, nodes to walk and elements to build, loaded from and saved to
// bytes. It stands on pugixml, which no other module sees.
//
// The document is strict where a conforming parser is: names must be XML
// names, an element may not repeat an attribute, only the five predefined
// entities and character references are known, characters must be XML
// characters, and there is exactly one document element. A document type
// declaration is refused outright, so no entity can be declared and none
// is ever expanded (no entity bombs, no external resources). Reading the
// text of an element that holds anything but a single text node raises.
//
// What a loaded document keeps: the document element and the comments and
// processing instructions around it (saved again as they were); inside the
// document element elements, texts and CDATA sections. Comments and
// processing instructions there are dropped on loading, and the texts they
// stood between are one text ("<v>a<!--n-->b</v>" holds the text "ab", and
// is saved so); texts of blanks only between elements are dropped, a
// blank-only text that is an element's only content is kept.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

namespace pugi {
struct xml_node_struct;
class xml_document;
}  // namespace pugi

// Text that is not a well-formed document; the message says what and where.
VX_DECLARE_EXCEPTION(EDOMParseError, Exception);
// An operation the document does not allow (an invalid name, a second
// document element, the text of an element with mixed content).
VX_DECLARE_EXCEPTION(EXMLDocError, Exception);

// How a document is saved: its encoding (UTF-16 is little-endian with a
// byte order mark) and whether elements stand on lines of their own,
// indented by two blanks a level (elements holding text stay on one line).
enum class TXMLSaveEncoding { UTF8, UTF16 };
struct TXMLSaveOptions {
  TXMLSaveEncoding Encoding = TXMLSaveEncoding::UTF8;
  bool Indent = false;
};

enum TNodeType {
  ntReserved,
  ntElement,
  ntText,
  ntCData,
  ntProcessingInstr,
  ntComment,
  ntDocument,
  ntDocType,
};

// An attribute as it stands: name and value.
using TXMLAttribute = std::pair<ustring, ustring>;

// A node of a document: a light handle that stays valid while its document
// lives and the node is not removed. A default handle is nil.
class TXMLNode {
 public:
  TXMLNode() = default;

  bool IsNil() const noexcept { return FNode == nullptr; }
  explicit operator bool() const noexcept { return FNode != nullptr; }
  friend bool operator==(const TXMLNode& a, const TXMLNode& b) noexcept { return a.FNode == b.FNode; }

  TNodeType NodeType() const;
  // The name of an element or processing instruction; empty for others.
  ustring NodeName() const;
  // The value of a text, CDATA, comment or processing-instruction node;
  // nothing for an element or the document.
  std::optional<ustring> NodeValue() const;

  // ---- Children, in document order ----
  bool HasChildNodes() const;
  std::vector<TXMLNode> ChildNodes() const;
  // The first child element of that name (exact comparison); nil when none.
  TXMLNode FindChildElement(std::u16string_view name) const;
  // Appends a new element; raises EXMLDocError for a name that is no XML
  // name, and on the document node when it has a document element already.
  TXMLNode AddChild(std::u16string_view name);

  // ---- Attributes of an element, in document order ----
  bool HasAttribute(std::u16string_view name) const;
  // The attribute's value; nothing when the element has no such attribute.
  std::optional<ustring> GetAttribute(std::u16string_view name) const;
  // Sets the value of an existing attribute in place, or appends it;
  // raises EXMLDocError for a name that is no XML name.
  void SetAttribute(std::u16string_view name, std::u16string_view value);
  std::vector<TXMLAttribute> Attributes() const;

  // ---- Text of an element ----
  // The empty text for an element without children, the value of its one
  // text or CDATA child; raises EXMLDocError for anything else.
  ustring Text() const;
  // Replaces every child by one text node (none for the empty text).
  // Characters outside the XML ranges raise EXMLDocError: they could not
  // be read back.
  void SetText(std::u16string_view text);

 private:
  friend class TXMLDocument;
  explicit TXMLNode(pugi::xml_node_struct* node) : FNode(node) {}
  pugi::xml_node_struct* FNode = nullptr;
};

class TXMLDocument {
 public:
  // An empty document: no document element yet.
  TXMLDocument();
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;
  // Nodes of a moved document stay valid: they belong to the new owner.
  TXMLDocument(TXMLDocument&&) noexcept;
  TXMLDocument& operator=(TXMLDocument&&) noexcept;

  // Replaces the content by the document in Bytes: UTF-8 unless a byte
  // order mark or the XML declaration says UTF-16, ISO-8859-1 or
  // windows-1252; EDOMParseError when it is not a well-formed document of
  // one element (see the file comment), the content then empty.
  void LoadFromXML(std::string_view Bytes);
  // The document as UTF-8 bytes: the declaration <?xml version="1.0"
  // encoding="UTF-8"?>, then the nodes without added white space. Every
  // text and attribute value reads back as it is: what a parser would
  // normalise (CR in texts; TAB, LF and CR in attributes) is written as a
  // character reference.
  std::string SaveToXML() const;
  // The document as bytes in the options' encoding, with the declaration
  // naming it ("UTF-8" or "UTF-16"). Indent puts each child of an element
  // that holds elements and white space only on a line of its own, two
  // blanks a level (the white space it held is replaced); texts stay as
  // they are.
  std::string SaveToXML(const TXMLSaveOptions& Options) const;

  // The document itself: its children are the document element and the
  // comments and processing instructions around it.
  TXMLNode DocumentNode() const;
  // The document element; nil when there is none.
  TXMLNode DocumentElement() const;

  // The deepest nesting of elements a document may have to load (the
  // document element is level 1).
  static constexpr int MaxDepth = 1000;

  // Whether Name is an XML name (the Name production of XML 1.0).
  static bool IsValidName(std::u16string_view Name);
  // Whether every character of Text is an XML character (surrogate pairs
  // as one character).
  static bool IsValidText(std::u16string_view Text);

 private:
  void LoadUtf8(std::string_view input);
  std::unique_ptr<pugi::xml_document> FDoc;
};
