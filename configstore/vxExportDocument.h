// The export document ("k7Document"): the XML file in which a subtree of the
// configuration store travels, plain or as a package with a header (name,
// version, id, date, hash, required release) and a description. This unit
// builds and reads the document; the store's Export and Import
// (vxConfigManagerExport.cpp, vxConfigManagerImport.cpp) decide what goes in
// and where it comes out.
//
// Format versions: 1.3 to 1.5 write names and values as they are, with the
// type names upper-cased on reading, binary values compressed and change
// information on request; 1.2 carries no change information, writes dates
// as hexadecimal time stamps and, in a UTF-8 file, each text as its UTF-8
// bytes taken one by one as Windows-1252 characters.
//
// Dates of the header and of the change information are "yyyy-mm-dd
// hh:nn:ss" with ":" between the time parts whatever the locale, so the
// package hash reads back everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"
#include "platform/xml/vxXmlDocument.h"

enum TvxExportFormatVersion : uint8_t { vxEFV_Unknown, vxEFV_V1_2, vxEFV_V1_3, vxEFV_V1_4, vxEFV_V1_5 };
enum TvxPackageDescriptionType : uint8_t { vxPDT_Unknown, vxPDT_PlainText, vxPDT_MarkDown, vxPDT_RichText };

// One node of a document's node list.
struct TvxPackageNode {
  ustring NodeName;  // the node's key, prepared form
  bool Complete = true;
  bool RootNode = false;
  bool HasSubNodes = false;
  TWideStringArray Properties;  // the property names, in document order
};
using TvxPackageNodes = std::vector<TvxPackageNode>;

// The header of a document.
struct Tk7PackageInformation {
  ustring FileName;
  TIdType Id;
  TIdType Hash;
  ustring Name;
  TDateTime Date = 0;
  bool IsPackage = false;
  TvxVersion Version;
  TvxVersion ReleaseRequired;
  TvxExportFormatVersion FormatVersion = vxEFV_Unknown;
  ustring Description;
  TvxPackageDescriptionType DescriptionType = vxPDT_Unknown;
  TvxPackageNodes NodeList;
};

namespace vxExportDocument {

// ---- Names and texts ----

inline constexpr char16_t RootElement[] = u"k7Document";

// "yyyy-mm-dd hh:nn:ss", and its reading (0 when the text does not read).
ustring DateText(TDateTime Value);
TDateTime ReadDateText(const ustring& Text);

// The package hash: MD5 of the UTF-8 bytes of the four texts joined, as 32
// upper-case hexadecimal digits.
std::string PackageHash(const ustring& Name, const ustring& Version, const ustring& Id, const ustring& Date);

// ---- Writing ----

// A property as the document carries it. Value is typed for every type but
// "BINARY", whose value is the stored base64 text.
struct TDocumentProperty {
  ustring Name;
  ustring DataType;
  Variant Value;
  ustring User;
  TDateTime Changed = 0;
};

// The header of a new package.
struct TPackageHeader {
  ustring Name;
  ustring Version;
  ustring Date;
  ustring Id;
  ustring ReleaseRequired;
};

class TDocumentWriter {
 public:
  // FormatVersion vxEFV_Unknown (or any other value) writes 1.5; Encoding
  // other than vxCE_UTF16 writes UTF-8.
  TDocumentWriter(TvxExportFormatVersion FormatVersion, TCharEncodeType Encoding, bool IncludeChangeInfos);

  // A new document: the root with its format and type, the package header
  // when Package is given, and Info when InfoText is not empty.
  void StartNew(const TPackageHeader* Package, const ustring& InfoText, TvxPackageDescriptionType InfoTextType);
  // An existing document (a package file that is added to): its root and
  // header stay as they are, and the content added is written in the
  // document's own format version when it names one. Raises EDOMParseError
  // for a text that is no XML document and Exception "Unknown XML filetype!"
  // for one that is no export document.
  void Continue(std::string_view Bytes);

  // Appends a Content element to the root, a Node element to Parent, a
  // Property element to Parent. Incomplete marks a filtered element
  // (Complete = "false"). EXMLDocError for a text the document cannot carry
  // (a character outside the XML ranges).
  TXMLNode AddContent(const ustring& RootNode, bool Incomplete);
  TXMLNode AddNode(TXMLNode Parent, const ustring& Name, bool Incomplete);
  void AddProperty(TXMLNode Parent, const TDocumentProperty& Property);

  // The file's bytes in the chosen encoding, indented.
  std::string Save() const;

  TvxExportFormatVersion FormatVersion() const { return FFormatVersion; }

 private:
  ustring Legacy(const ustring& Text) const;
  TXMLDocument FDocument;
  TvxExportFormatVersion FFormatVersion;
  TCharEncodeType FEncoding;
  bool FIncludeChangeInfos;
};

// ---- Reading ----

enum class THeaderState {
  Read,             // the header is read
  UnknownFileType,  // the document element is no "k7Document": nothing read
  HashMismatch,     // a package whose hash does not match; Description as read
};

// The header of a document (NodeList and FileName untouched).
THeaderState ReadHeader(const TXMLDocument& Document, Tk7PackageInformation& Info);

// The Content elements of the document element, in document order.
std::vector<TXMLNode> ContentElements(const TXMLDocument& Document);

// One element of a Content element read: the Content element itself, then
// its Node elements depth first in document order.
struct TContentItem {
  ustring Key;  // prepared form
  bool RootNode = false;
  bool Complete = true;
  bool HasSubNodes = false;
  std::vector<TDocumentProperty> Properties;
};

// What ReadContent reads of the properties.
enum class TPropertyReading { None, Names, Values };

// Reads Content with the key Key for itself, each Node element below it
// getting its parent's key + its Name + "/", and of the properties what
// Reading says. InfoText takes the text of the last Info element met among
// the children. Raises Exception "unknown k7 import format version" for a
// property of a document of unknown format, and for an element that names
// a node twice (two Node elements of one key, or two properties of one
// name in an element) or a Node without a name; the XML layer's errors
// for elements that hold no plain text, the compressed text's for a
// damaged binary value.
std::vector<TContentItem> ReadContent(TXMLNode Content, const ustring& Key, TvxExportFormatVersion FormatVersion,
                                      TPropertyReading Reading, ustring& InfoText);

}  // namespace vxExportDocument
