// Routines over XML documents and XML text (see vxXML.h).
#include "foundation/vxXML.h"

#include "core/vxStrings.h"

namespace TvxIXMLDocumentTools {

ustring GetAttribute(const TXMLNode& XMLNode, const ustring& Attribute, const ustring& Default) {
  if (XMLNode.IsNil()) return Default;
  return XMLNode.GetAttribute(Attribute).value_or(Default);
}

TXMLNode GetNode(TXMLDocument& XMLDoc, const TWideStringArray& Path) {
  TXMLNode result;
  for (size_t i = 0; i < Path.size(); ++i) {
    TXMLNode parent = i == 0 ? XMLDoc.DocumentNode() : result;
    TXMLNode found;
    for (const TXMLNode& child : parent.ChildNodes())
      if (child.NodeType() == ntElement && child.NodeName() == Path[i]) {
        found = child;
        break;
      }
    result = found ? found : parent.AddChild(Path[i]);
  }
  return result;
}

TXMLNode GetNode(TXMLDocument& XMLDoc, const TStrings& Path) {
  TWideStringArray parts;
  for (int32_t i = 0; i < Path.GetCount(); ++i) parts.push_back(Path.Get(i));
  return GetNode(XMLDoc, parts);
}

TXMLNode GetNode(TXMLDocument& XMLDoc, const ustring& Path) {
  TStringList parts;
  TvxStrings::SplitStringW(Path, u"/", parts);
  return GetNode(XMLDoc, parts);
}

Variant GetNodeValue(const TXMLNode& XMLNode) {
  std::optional<ustring> text;
  if (XMLNode.HasChildNodes()) {
    const TXMLNode first = XMLNode.ChildNodes().front();
    if (first.NodeType() == ntText || first.NodeType() == ntCData) text = first.NodeValue();
  } else {
    text = XMLNode.NodeValue();
  }
  if (!text) return Variant::Null();
  if (text->find(u"\r\n") == ustring::npos) {
    ustring withCr;
    withCr.reserve(text->size());
    for (char16_t c : *text) {
      if (c == u'\n') withCr += u'\r';
      withCr += c;
    }
    return Variant(std::move(withCr));
  }
  return Variant(std::move(*text));
}

}  // namespace TvxIXMLDocumentTools

namespace TvxXMLTools {

ustring PrepareString(const ustring& Data, bool ApplyNotationReplacements, bool EncodeCtrlChars) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  ustring out;
  out.reserve(Data.size());
  for (size_t i = 0; i < Data.size(); ++i) {
    const char16_t c = Data[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < Data.size() && Data[i + 1] >= 0xDC00 && Data[i + 1] <= 0xDFFF) {
      out += c;
      out += Data[++i];
      continue;
    }
    const bool valid = (c >= 0x20 && c <= 0xD7FF) || c == 0x0A || c == 0x0D || c == 0x09 || (c >= 0xE000 && c <= 0xFFFD);
    if (valid) {
      out += c;
    } else if (EncodeCtrlChars) {
      out += u"&#x";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
      out += u';';
    } else {
      out += u' ';
    }
  }
  if (!ApplyNotationReplacements) return out;
  ustring escaped;
  escaped.reserve(out.size());
  // One pass gives what the five replacements in their order give: only
  // the ampersands of the text itself are replaced, never those of the
  // entities written for the other four.
  for (char16_t c : out) {
    switch (c) {
      case u'&': escaped += u"&amp;"; break;
      case u'<': escaped += u"&lt;"; break;
      case u'>': escaped += u"&gt;"; break;
      case u'"': escaped += u"&quot;"; break;
      case u'\'': escaped += u"&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

}  // namespace TvxXMLTools
