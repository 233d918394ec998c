// Routines over XML documents: an attribute with a default, an element by
// path (created where missing), the text value of an element, and the
// cleaning of text for XML.
#pragma once

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"
#include "platform/values/vxVariant.h"
#include "platform/xml/vxXmlDocument.h"

namespace TvxIXMLDocumentTools {

// The attribute's value when the node has an attribute of that name (an
// empty value included); Default otherwise.
ustring GetAttribute(const TXMLNode& XMLNode, const ustring& Attribute, const ustring& Default);

// The element at the path of element names, found or created: the first
// part is the document element (created when the document has none), each
// further part the first child element of that name below the one before
// (appended when missing). Nil for an empty path. The document's errors
// pass to the caller (an empty part or an invalid name, a first part other
// than the existing document element's name); what was created before the
// error stays.
TXMLNode GetNode(TXMLDocument& XMLDoc, const TStrings& Path);
TXMLNode GetNode(TXMLDocument& XMLDoc, const TWideStringArray& Path);
// The text split at every "/" (empty parts stay, nothing is trimmed).
TXMLNode GetNode(TXMLDocument& XMLDoc, const ustring& Path);

// The element's text value: its first child's value when that is a text or
// CDATA node, Null when it is something else; the node's own value when it
// has no children (Null for an element). Every LF becomes CR LF unless the
// text already holds a CR LF pair.
Variant GetNodeValue(const TXMLNode& XMLNode);

}  // namespace TvxIXMLDocumentTools

namespace TvxXMLTools {

// Data with every UTF-16 unit outside the XML character ranges replaced:
// by a blank, or with EncodeCtrlChars by "&#x" + four upper-case hexadecimal
// digits + ";". A valid surrogate pair is one character of the range
// U+10000 to U+10FFFF and stays; a lone surrogate half, U+FFFE and U+FFFF
// are invalid. Then, with ApplyNotationReplacements, "&", "<", ">", the
// quotation mark and the apostrophe become entities, in that order. Never
// fails.
ustring PrepareString(const ustring& Data, bool ApplyNotationReplacements, bool EncodeCtrlChars);

}  // namespace TvxXMLTools
