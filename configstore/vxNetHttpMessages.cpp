// The HTTP request and response objects: header and query dictionaries,
// the method table and the request's raw header text.
#include "configstore/vxNetHttpMessages.h"

#include <utility>

#include "core/vxDateTimeStamps.h"
#include "core/vxFilesContent.h"
#include "core/vxFilesZip.h"
#include "core/vxMD5.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "foundation/vxBase64.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxCaseMap.h"
#include "platform/text/vxNumberText.h"
#include "platform/time/vxDateUtils.h"

namespace {

// The agent every request names.
constexpr const char* kUserAgent = "VARLO 5.2";

// Header names compare without regard to case: the key is the full
// upper-case form.
ustring HeaderKey(const ustring& Name) { return vxCaseMap::UpperFull(Name); }

template <class THeaders>
std::string HeaderValue(const THeaders& Headers, const ustring& Item) {
  typename THeaders::TMap::mapped_type header;
  return Headers.TryGetValue(HeaderKey(Item), header) ? header.Value : std::string();
}

template <class THeaders>
void StoreHeader(THeaders& Headers, const ustring& Item, const std::string& Value) {
  Headers.AddOrSetValue(HeaderKey(Item), {WideToAnsi(Item), Value});
}

template <class THeaders>
void ListHeaderNames(const THeaders& Headers, TStrings& List) {
  List.Clear();
  for (const auto& [key, header] : Headers) List.Add(AnsiToWide(header.Name));
}

// A carriage return or line feed inside a header name or value would start
// a header line of the caller's making on the wire: each becomes a blank.
std::string OneLine(std::string Text) {
  for (char& c : Text)
    if (c == '\r' || c == '\n') c = ' ';
  return Text;
}

struct TMethodName {
  TvxHTTPCommands Command;
  const char* Text;
};

// The texts a method text is read by, in the order they are compared.
constexpr TMethodName kMethodsByText[] = {
    {vxHC_Get, "GET"},           {vxHC_Put, "PUT"},         {vxHC_Post, "POST"},
    {vxHC_Head, "HEAD"},         {vxHC_Delete, "DELETE"},   {vxHC_Trace, "TRACE"},
    {vxHC_Options, "OPTIONS"},   {vxHC_Patch, "PATCH"},     {vxHC_Copy, "COPY"},
    {vxHC_Lock, "LOCK"},         {vxHC_Unlock, "UNLOCK"},   {vxHC_Mkcol, "MKCOL"},
    {vxHC_Move, "MOVE"},         {vxHC_Propfind, "PROPFIND"}, {vxHC_Proppatch, "PROPPATCH"},
    {vxHC_Link, "LINK"},         {vxHC_Unlink, "UNLINK"},   {vxHC_Purge, "PURGE"},
    {vxHC_View, "VIEW"},
};

const char* MethodText(TvxHTTPCommands Command) {
  switch (Command) {
    case vxHC_Head: return "HEAD";
    case vxHC_Get: return "GET";
    case vxHC_Post: return "POST";
    case vxHC_Delete: return "DELETE";
    case vxHC_Trace: return "TRACE";
    case vxHC_Option:
    case vxHC_Options: return "OPTIONS";
    case vxHC_Patch: return "PATCH";
    case vxHC_Copy: return "COPY";
    case vxHC_Lock: return "LOCK";
    case vxHC_Unlock: return "UNLOCK";
    case vxHC_Mkcol: return "MKCOL";
    case vxHC_Move: return "MOVE";
    case vxHC_Propfind: return "PROPFIND";
    case vxHC_Proppatch: return "PROPPATCH";
    case vxHC_Link: return "LINK";
    case vxHC_Unlink: return "UNLINK";
    case vxHC_Purge: return "PURGE";
    case vxHC_View: return "VIEW";
    default: return "PUT";  // vxHC_Put, vxHC_None and vxHC_Unknown
  }
}

}  // namespace

std::string HttpDateText(TDateTime Value) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int year, month, day, hour, minute, second, msec;
  vxRuntime::DecodeDateTime(Value, year, month, day, hour, minute, second, msec);
  using vxNumberText::IntText;
  // The day of the week of the decoded (millisecond-rounded) date, so that
  // a value a hair before midnight names the day it is written with.
  const int weekDay = year > 0 ? vxRuntime::DayOfWeek(vxRuntime::EncodeDate(year, month, day)) : 1;
  return std::string(kDays[weekDay - 1]) + ", " + IntText(day, 2) + " " + kMonths[month - 1] + " " +
         IntText(year, 4) + " " + IntText(hour, 2) + ":" + IntText(minute, 2) + ":" + IntText(second, 2) + " GMT";
}

// ---- TvxHTTPRequest ---------------------------------------------------------

TvxHTTPRequest::TvxHTTPRequest() : FHeader(100), FURIQuery(100) {}
TvxHTTPRequest::~TvxHTTPRequest() = default;

void TvxHTTPRequest::Clear() {
  FHeader.Clear();
  FContentType.clear();
  FContentEncoding.clear();
  FContentText.clear();
  FContentStream.SetSize(0);
}

std::string TvxHTTPRequest::GetHeader(const ustring& Item) const { return HeaderValue(FHeader, Item); }
void TvxHTTPRequest::SetHeader(const ustring& Item, const std::string& Value) { StoreHeader(FHeader, Item, Value); }
void TvxHTTPRequest::GetHeaderList(TStrings& List) const { ListHeaderNames(FHeader, List); }
void TvxHTTPRequest::GetHeaderList(std::unique_ptr<TStrings>& List) const {
  if (!List) List = std::make_unique<TStringList>();
  GetHeaderList(*List);
}

void TvxHTTPRequest::GetQueryList(TStrings& List) const {
  List.Clear();
  for (const auto& [key, value] : FURIQuery) List.Add(key);
}
void TvxHTTPRequest::GetQueryList(std::unique_ptr<TStrings>& List) const {
  if (!List) List = std::make_unique<TStringList>();
  GetQueryList(*List);
}

ustring TvxHTTPRequest::GetURIQueryItem(const ustring& Item) const {
  return TvxTypes::VarToStr(FURIQuery.GetValue(LowerStrW(Item), Variant(ustring())));
}

void TvxHTTPRequest::SetURIQueryItem(const ustring& Item, const ustring& Value) {
  FURIQuery.AddOrSetValue(LowerStrW(Item), Variant(Value));
}

void TvxHTTPRequest::LoadFromFile(const ustring& AFile) {
  // The load's outcome is not looked at: an unreadable file keeps the old body.
  TvxFiles::LoadFileToString(AFile, FContentText);
  FContentType = TvxFiles::GetMIMEType(AFile, u"text/plain");
}

void TvxHTTPRequest::SetCommand(TvxHTTPCommands Value) {
  FCommand = Value;
  FCommandStr = MethodText(Value);
}

void TvxHTTPRequest::SetCommandStr(const std::string& Value) {
  FCommandStr = vxRuntime::AsciiUpper(Value);
  FCommand = vxHC_Unknown;
  for (const TMethodName& method : kMethodsByText)
    if (FCommandStr == method.Text) {
      FCommand = method.Command;
      break;
    }
}

std::string TvxHTTPRequest::RawHeader() {
  SetHeader(u"Date", HttpDateText(TvxDateTime::GMTNow()));
  SetHeader(u"Accept-Encoding", "gzip");
  SetHeader(u"User-Agent", kUserAgent);
  if (FAuthentication.AuthType == vxHAT_Basic)
    SetHeader(u"Authorization",
              "Basic " + TvxBase64::StrToBase64(WideToAnsi(FAuthentication.UserName + u":" + FAuthentication.Password),
                                                false));
  const ustring contentType =
      !FContentType.empty() ? FContentType
                            : (FCommand == vxHC_Post ? u"multipart/form-data" : u"application/octet-stream");
  SetHeader(u"Content-Type", WideToAnsi(contentType));
  SetHeader(u"Content-Length", vxNumberText::IntText(static_cast<int64_t>(FContentText.size())));
  // Base64 of the 32 hexadecimal digits of the body's MD5, not of the 16
  // digest bytes that RFC 1864 means: the family's peers check this form,
  // so it stays as it is.
  SetHeader(u"Content-MD5", TvxBase64::StrToBase64(TvxMD5::GetMD5FromString(FContentText), false));

  std::string text;
  for (const auto& [key, header] : FHeader) text += OneLine(header.Name) + ": " + OneLine(header.Value) + "\r\n";
  return text;
}

// ---- TvxHTTPResponse --------------------------------------------------------

TvxHTTPResponse::TvxHTTPResponse() : FHeader(100) {}
TvxHTTPResponse::~TvxHTTPResponse() = default;

void TvxHTTPResponse::Clear() {
  FHeader.Clear();
  FCode = 0;
  FContentType.clear();
  FContentEncoding.clear();
  FContentText.clear();
  FContentStream.SetSize(0);
}

std::string TvxHTTPResponse::GetHeader(const ustring& Item) const { return HeaderValue(FHeader, Item); }
void TvxHTTPResponse::SetHeader(const ustring& Item, const std::string& Value) { StoreHeader(FHeader, Item, Value); }
void TvxHTTPResponse::GetHeaderList(TStrings& List) const { ListHeaderNames(FHeader, List); }
void TvxHTTPResponse::GetHeaderList(std::unique_ptr<TStrings>& List) const {
  if (!List) List = std::make_unique<TStringList>();
  GetHeaderList(*List);
}
