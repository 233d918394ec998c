// The engine's XML mail: the mail as an XML configuration string, put to
// the family's enterprise service over HTTP.
#include "configstore/vxIndy.h"
#include "foundation/vxConfigTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/http/vxHttpClient.h"
#include "plugin/vxMailTools.h"
#include "plugin/vxMailToolsFailure.h"

using vxMailToolsFailure::FailureText;

namespace {

const char16_t* PriorityText(TvxMsgPriority Priority) {
  switch (Priority) {
    case vxMP_Highest: return u"Highest";
    case vxMP_High: return u"High";
    case vxMP_Normal: return u"Normal";
    case vxMP_Low: return u"Low";
    case vxMP_Lowest: return u"Lowest";
  }
  return u"Normal";
}

// The client of the XML mail: redirects followed (at most 5), 5 s to
// connect, 10 s without data.
TvxIndy::TvxHTTPTransferSettings XmlMailClient() {
  TvxIndy::TvxHTTPTransferSettings settings;
  settings.HandleRedirects = true;
  settings.RedirectMaximum = 5;
  settings.ConnectTimeout = 5000;
  settings.ReadTimeout = 10000;
  return settings;
}

}  // namespace

std::string TvxMailTools::CreateXMLMail(const ustring& Recipients, const ustring& CC, const ustring& BCC,
                                        const ustring& Subject, const ustring& Body) {
  TvxConfigTools document;
  const std::pair<const char16_t*, ustring> entries[] = {
      {u"Sender", Sender},   {u"SenderName", SenderName}, {u"Recipients", Recipients},
      {u"CC", CC},           {u"BCC", BCC},               {u"Subject", Subject},
      {u"Body", Body},       {u"Priority", PriorityText(Priority)},
  };
  for (const auto& [name, value] : entries) document.AddConfigParam(name, Variant(value), false, false);
  return document.BuiltConfigString(u"vxMail", false, false, false);
}

bool TvxMailTools::SendXMLMail(const ustring& Recipients, const ustring& CCs, const ustring& BCCs,
                               const ustring& Subject, const ustring& Body) {
  try {
    // The answer's body is not used. Every status but 201 fails alike,
    // whether the transfer raised for it (outside 2xx) or not; a transfer
    // that failed otherwise tells its own reason.
    const std::string document = CreateXMLMail(Recipients, CCs, BCCs, Subject, Body);
    int32_t code = 0;
    std::string status;
    try {
      TvxIndy::HTTPPut(vxEnterpriseUrl, document, u"text/xml; charset=utf-8", XmlMailClient(), code, status);
    } catch (const EHttpClientError&) {
      throw;
    } catch (const Exception&) {
      if (code == 0 || code == 201) throw;
    }
    if (code != 201) throw Exception(u"http put exception (" + Utf8ToWide(status) + u")");
    Message.clear();
    return true;
  } catch (const std::exception& e) {
    Message = u"send xml mail exception (" + FailureText(e) + u")";
    return false;
  }
}
