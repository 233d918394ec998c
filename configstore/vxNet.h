// TvxNet: the network utilities of the family's services, stateless
// operations that may run on any thread. This header holds the local
// host's addresses and address patterns, the parts of a URL, the port
// probe, the four percent codings of URL text, the building of URLs with
// encoded parameter strings and the reading of parsed parameters, XML
// escaping and one value out of a raw header text. The web content helpers
// (multipart bodies, minifiers, placeholders, the cross-site-scripting
// screen) reopen the namespace in vxNetWeb.h; the HTTP message objects are
// in vxNetHttpMessages.h.
//
// Text kinds: ustring is UTF-16 text; std::string is 8-bit text, in the
// system code page where it stands for text without a coding of its own.
// Trimming removes leading and trailing characters with codes up to 32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxNet {

// ---- Local addresses and address patterns ----

// Adds the IPv4 addresses the host's name resolves to, in the resolver's
// order, to IPList (when given); False when the name does not resolve.
// The host's own name is taken as it is: on Debian it stands for
// 127.0.1.1. Never raises.
bool GetLocalIP(TStrings* IPList);
// The first of those addresses, or "127.0.0.1" when there is none.
ustring GetSingleLocalIP();

// An address or address pattern: Address is IP trimmed; IPType vxIPv6 when
// IP holds ":", vxIPv4 when it holds ".", else vxIPUnknown; OctetArray has
// 8 entries, the pieces between "." (or ":") read in decimal for IPv4 and
// hexadecimal for IPv6, "*" and unfilled positions -1, an empty piece 0, a
// piece that is no number -1. "::" is not expanded.
TvxIPAddress GetIPFromStr(const ustring& IP);
// IPList becomes the patterns of List, separated by ",", ";" or CR LF (an
// empty piece gives a vxIPUnknown entry). Always True.
bool GetIPListFromStr(const ustring& List, TvxIPRanges& IPList);
// Whether some pattern of IPList of IP's type has, at each of the 8
// positions, -1 or IP's entry. An address of unknown type is in no range.
bool IsIPInRange(const ustring& IP, const TvxIPRanges& IPList);
// "127.0.0.1", "::1" and its two long forms exactly, or "localhost" in any
// letter case; no trimming.
bool IsLocalHost(const ustring& IP);

// ---- Parts of a URL ----
// The authority is the text after the first "//" (from the start without
// one) up to the next "/". No brackets of IPv6 literals are known: their
// first ":" ends the host.

bool IsHTTPSUrl(const ustring& AUrl);
// The authority up to its first ":".
ustring GetServerFromUrl(const ustring& AUrl);
// The number after the authority's first ":"; 0 without one and for a text
// that is no number or lies outside 0 to 65535.
uint16_t GetPortFromUrl(const ustring& AUrl);
// From the first "/" after the authority's start to the end (query and
// fragment included); "/" without one.
ustring GetPathFromUrl(const ustring& AUrl);
// Url with a "/" at the end; the empty text stays empty.
ustring CheckRootUrlSuffix(const ustring& Url);

// Whether a TCP server could listen on Port on every local address right
// now (a port in TIME_WAIT is free). Ports outside 1 to 65535 are not.
// Never raises.
bool PortIsFree(int32_t Port);

// ---- Percent codings ----
// Each coding has its partner decoder; decode a text with the partner of
// the coding that wrote it. Hexadecimal digits are written upper-case.

// Every byte but "-", ".", "_", digits and ASCII letters becomes "%XX".
std::string EncodeUrlPart(const std::string& Url);
// Url as UTF-8, each UTF-16 unit by itself (a surrogate pair becomes two
// three-byte sequences); every byte but "*", "-", ".", "_", digits and
// ASCII letters is escaped, the bytes 0 to 36 twice: a blank becomes
// "%2520", "&" "%26", "%" "%25", every byte from 0x80 up "%XX".
std::string EncodeUrlPartW(const ustring& Url);
// The partner of both: for each code from 255 down to 0, every "%" and the
// code's two upper-case digits become that byte. So "%2520" and "%20" both
// give a blank, "%2541" gives "%41", and lower-case escapes stay. A text
// holding "%" and two upper-case digits of a code below 0x25 does not come
// back from EncodeUrlPartW: its escape reads like a doubly escaped byte.
std::string DecodeUrlPart(const std::string& Text);
// Text as UTF-8 (a surrogate pair as one character); every byte but "-",
// ".", "/", ":", "_", "~", digits and ASCII letters becomes "%XX".
std::string PercentEncode(const ustring& Text);
// "%uXXXX" gives that UTF-16 unit (a high and a low surrogate written one
// after the other give their one character), "%X" and "%XX" that byte
// (digits in either case); an escape that is no number stays. Decoded text
// is not scanned again. The bytes are then read as UTF-8 (a malformed
// sequence or a lone surrogate gives U+FFFD).
ustring PercentDecode(const std::string& Text);

// ---- URLs with parameter strings ----
// The parameter string is TvxCipher::EncodeUrlParams of Parameters in the
// encoding ("name=value" or bare names; Mega, Service and Internal pack
// everything into one enciphered "data" item); the result is the assembled
// text in the system code page. An encoding outside the members raises
// "invalid encoding"; the cipher's exceptions ("unsupported encoding" for
// DCW with parameters) pass on.

// RootUrl with a final "/" (an empty one stays empty) + URI + "?" and the
// parameter string when it is not empty. URI is used as it is.
std::string BuildUrl(const ustring& RootUrl, const ustring& URI, const std::vector<ustring>& Parameters,
                     TvxEncoding Encoding);
// RootUrl with a final "/" + URI without one leading "/".
std::string BuildUrl(const ustring& RootUrl, const ustring& URI);
// "https://" or "http://" + Host (the computer's fully qualified name when
// empty) + ":" Port when Port > 0; when URI is empty that is all, else "/"
// (unless URI begins with one) + URI + "?" and the parameter string when
// it is not empty.
std::string BuildUrl(bool HTTPS, const ustring& Host, int32_t Port, const ustring& URI,
                     const std::vector<ustring>& Parameters, TvxEncoding Encoding);
// Scheme, host and port as above, then "/" and URI, always.
std::string BuildUrl(bool HTTPS, const ustring& Host, int32_t Port, const std::string& URI);

// The parameters of a parameter string (TvxCipher::DecodeUrlParams), in
// order; Encoding receives the string's encoding (vxENC_None for the empty
// string). "url expired" and the decipherment's errors pass on.
TvxUrlParams ParseUrlParams(const std::string& UrlParamStr, TvxEncoding& Encoding);
// The first item whose name equals Param upper-cased (not trimmed): its
// RawValue (system code page) with RawValue True, else its Value; Default
// when there is none.
ustring GetUrlParamValue(const ustring& Param, const TvxUrlParams& UrlParams, const ustring& Default, bool RawValue);
std::string GetRawUrlParamValue(const ustring& Param, const TvxUrlParams& UrlParams, const std::string& Default);
bool UrlParamExists(const ustring& Param, const TvxUrlParams& UrlParams);

// ---- Text ----

// Every character below 32 but line feed and carriage return becomes a
// blank; then, unless IsCData, "&", "<", ">", the double quote and the
// apostrophe become "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;".
// True; False when it failed (Data may then be partly changed).
bool PrepareXMLString(ustring& Data, bool IsCData);

// The value of the header line of a raw header text whose name holds Param
// (a to z compared without case, found anywhere in the text: "Type" finds
// the Content-Type line): the text after the next ":" up to the line feed,
// trimmed; empty when Param does not occur.
std::string GetHttpRawHeaderValue(const std::string& Param, const std::string& Header);

}  // namespace TvxNet
