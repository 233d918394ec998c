// The HTTP message objects that the system's HTTP server and client code
// pass around: TvxHTTPRequest (method, URI parts, headers, query items,
// body and authentication of one request) and TvxHTTPResponse (status,
// headers and body of one answer). A client reads a request's RawHeader,
// the header text it sends.
//
// Header names are case-insensitive: the dictionary key is the name fully
// upper-cased, and the header record keeps the spelling of the last
// SetHeader. Query item names are keyed by their LowerStrW form. The body
// travels in ContentText; the content stream is only owned and emptied.
// The objects are not locked: each belongs to the thread that uses it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "configstore/vxGenerics.h"
#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/files/vxStream.h"
#include "platform/lists/vxStringList.h"
#include "platform/values/vxVariant.h"

enum TvxHTTPAuthenticationType : uint8_t { vxHAT_None, vxHAT_Basic, vxHAT_Bearer };

// The credentials of a request; only vxHAT_Basic writes a header.
class TvxHTTPAuthentication {
 public:
  TvxHTTPAuthenticationType AuthType = vxHAT_None;
  ustring UserName;
  ustring Password;
  ustring Token;
};

// The "Date" header form: "ddd, dd mmm yyyy hh:nn:ss GMT" with the English
// day and month abbreviations, whatever the locale; Value is taken as UTC.
std::string HttpDateText(TDateTime Value);

class TvxHTTPRequest {
 public:
  struct TvxHTTPHeader {
    std::string Name;  // the spelling of the last SetHeader
    std::string Value;
  };
  using THeaders = TvxDictionary<ustring, TvxHTTPHeader>;
  using TQueryItems = TvxDictionary<ustring, Variant>;

  // Empty dictionaries (room for 100 entries each), no authentication,
  // vxHC_Unknown, vxENC_None and every text empty.
  TvxHTTPRequest();
  ~TvxHTTPRequest();
  TvxHTTPRequest(const TvxHTTPRequest&) = delete;
  TvxHTTPRequest& operator=(const TvxHTTPRequest&) = delete;

  // Empties the headers, ContentType, ContentEncoding, ContentText and the
  // content stream; the method, URI parts, query items, host, address and
  // authentication stay.
  void Clear();

  // The value of the header named Item in any letter case; empty when none.
  std::string GetHeader(const ustring& Item) const;
  // Replaces any header of that name in any letter case, spelling included.
  // Raises when the case mapping of the name fails.
  void SetHeader(const ustring& Item, const std::string& Value);
  // Empties List and adds the name of every header (enumeration order); a
  // null List is given a new list first, which the caller then owns.
  void GetHeaderList(TStrings& List) const;
  void GetHeaderList(std::unique_ptr<TStrings>& List) const;
  // The same for the query items: their LowerStrW names.
  void GetQueryList(TStrings& List) const;
  void GetQueryList(std::unique_ptr<TStrings>& List) const;

  // The text of the query item named Item in any letter case; empty when none.
  ustring GetURIQueryItem(const ustring& Item) const;
  void SetURIQueryItem(const ustring& Item, const ustring& Value);

  // ContentText becomes the file's bytes and ContentType its MIME type
  // ("text/plain" when the extension is unknown). A file that cannot be read
  // leaves ContentText as it was; ContentType is set all the same.
  void LoadFromFile(const ustring& AFile);

  // Setting the method sets its text (vxHC_Option gives "OPTIONS";
  // vxHC_Put, vxHC_None and vxHC_Unknown give "PUT"). Setting the text
  // upper-cases its letters a to z and sets the method it names
  // ("OPTIONS" gives vxHC_Options), vxHC_Unknown for any other text, which
  // is kept upper-cased.
  TvxHTTPCommands Command() const { return FCommand; }
  void SetCommand(TvxHTTPCommands Value);
  const std::string& CommandStr() const { return FCommandStr; }
  void SetCommandStr(const std::string& Value);

  TvxHTTPAuthentication& Authentication() { return FAuthentication; }
  const TvxHTTPAuthentication& Authentication() const { return FAuthentication; }

  const ustring& ContentType() const { return FContentType; }
  void SetContentType(const ustring& Value) { FContentType = Value; }
  const ustring& ContentEncoding() const { return FContentEncoding; }
  void SetContentEncoding(const ustring& Value) { FContentEncoding = Value; }
  const std::string& ContentText() const { return FContentText; }
  void SetContentText(const std::string& Value) { FContentText = Value; }
  TMemoryStream& ContentStream() { return FContentStream; }
  // The byte length of ContentText.
  uint32_t ContentLength() const { return static_cast<uint32_t>(FContentText.size()); }

  const std::string& URI() const { return FURI; }
  void SetURI(const std::string& Value) { FURI = Value; }
  const std::string& URIPath() const { return FURIPath; }
  void SetURIPath(const std::string& Value) { FURIPath = Value; }
  TStrings& URIPathSegments() { return FURIPathSegments; }
  const TStrings& URIPathSegments() const { return FURIPathSegments; }
  const std::string& URIQueryUnparsed() const { return FURIQueryUnparsed; }
  void SetURIQueryUnparsed(const std::string& Value) { FURIQueryUnparsed = Value; }
  TvxEncoding URIQueryEncoding() const { return FURIQueryEncoding; }
  void SetURIQueryEncoding(TvxEncoding Value) { FURIQueryEncoding = Value; }

  // The server's host name and the peer's address, as the request arrived.
  const ustring& Host() const { return FHost; }
  const ustring& IP() const { return FIP; }
  // Only the server side's request builder sets these two.
  void SetHost(const ustring& Value) { FHost = Value; }
  void SetIP(const ustring& Value) { FIP = Value; }

  // The header text sent with the request. Reading it first sets, whatever
  // the caller set under these names: Date (now, UTC), Accept-Encoding
  // "gzip", User-Agent "VARLO 5.2", Authorization for Basic authentication,
  // Content-Type (ContentType, or "multipart/form-data" for POST and
  // "application/octet-stream" otherwise when it is empty), Content-Length
  // and Content-MD5. Then every header comes out as "Name: Value" CR LF, in
  // enumeration order, without an empty line after the last; a carriage
  // return or line feed inside a name or value is written as a blank.
  std::string RawHeader();

 private:
  THeaders FHeader;
  std::string FCommandStr;
  TvxHTTPCommands FCommand = vxHC_Unknown;
  TvxHTTPAuthentication FAuthentication;
  ustring FContentType;
  ustring FContentEncoding;
  std::string FContentText;
  TMemoryStream FContentStream;
  std::string FURI;
  std::string FURIPath;
  TStringList FURIPathSegments;
  std::string FURIQueryUnparsed;
  TQueryItems FURIQuery;
  TvxEncoding FURIQueryEncoding = vxENC_None;
  ustring FHost;
  ustring FIP;
};

class TvxHTTPResponse {
 public:
  struct TvxHTTPHeader {
    std::string Name;
    std::string Value;
  };
  using THeaders = TvxDictionary<ustring, TvxHTTPHeader>;

  // Code 200, no headers (room for 100), every text empty.
  TvxHTTPResponse();
  ~TvxHTTPResponse();
  TvxHTTPResponse(const TvxHTTPResponse&) = delete;
  TvxHTTPResponse& operator=(const TvxHTTPResponse&) = delete;

  // Empties the headers, ContentType, ContentEncoding, ContentText and the
  // content stream, and sets Code to 0 (not 200); CharSet and RawHeader stay.
  void Clear();

  // As for the request, on the response's own headers.
  std::string GetHeader(const ustring& Item) const;
  void SetHeader(const ustring& Item, const std::string& Value);
  void GetHeaderList(TStrings& List) const;
  void GetHeaderList(std::unique_ptr<TStrings>& List) const;
  // The header dictionary, keyed by the upper-cased names.
  const THeaders& Headers() const { return FHeader; }

  int32_t Code() const { return FCode; }
  void SetCode(int32_t Value) { FCode = Value; }
  const ustring& ContentType() const { return FContentType; }
  void SetContentType(const ustring& Value) { FContentType = Value; }
  // Nothing in the system writes these two: they read empty.
  const ustring& ContentEncoding() const { return FContentEncoding; }
  const std::string& RawHeader() const { return FRawHeader; }
  const std::string& ContentText() const { return FContentText; }
  void SetContentText(const std::string& Value) { FContentText = Value; }
  const std::string& CharSet() const { return FCharSet; }
  void SetCharSet(const std::string& Value) { FCharSet = Value; }
  TMemoryStream& ContentStream() { return FContentStream; }
  uint32_t ContentLength() const { return static_cast<uint32_t>(FContentText.size()); }

 private:
  THeaders FHeader;
  int32_t FCode = 200;
  ustring FContentType;
  ustring FContentEncoding;
  std::string FContentText;
  std::string FCharSet;
  std::string FRawHeader;
  TMemoryStream FContentStream;
};
