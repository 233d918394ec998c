// The engine's XML mail: the mail as an XML configuration string, put to
// the family's enterprise service over HTTP.
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

struct TPutAnswer {
  int32_t StatusCode = 0;
  std::string StatusLine;  // "HTTP/1.1 201 Created"
};

// One PUT of Document to Url: redirects followed (at most 5), 5 s to
// connect, 10 s without data; the answer's body is not kept.
TPutAnswer PutDocument(const ustring& Url, const std::string& Document) {
  THttpClientOptions options;
  options.HandleRedirects = true;
  options.RedirectMaximum = 5;
  options.ConnectTimeout = 5000;
  options.ReadTimeout = 10000;
  THttpClient client(std::move(options));
  THttpClientRequest request;
  request.Method = "PUT";
  request.Url = WideToUtf8(Url);
  request.Headers.push_back({"Content-Type", "text/xml; charset=utf-8"});
  request.Body = Document;
  request.BodySink = [](std::string_view) {};
  const THttpClientResponse response = client.Perform(request);
  return {response.StatusCode, response.StatusLine};
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
    const TPutAnswer answer = PutDocument(vxEnterpriseUrl, CreateXMLMail(Recipients, CCs, BCCs, Subject, Body));
    if (answer.StatusCode != 201) throw Exception(u"http put exception (" + Utf8ToWide(answer.StatusLine) + u")");
    Message.clear();
    return true;
  } catch (const std::exception& e) {
    Message = u"send xml mail exception (" + FailureText(e) + u")";
    return false;
  }
}
