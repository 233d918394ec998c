// systemd's command lines and states, as the original platform's service
// states.
#include "platform/process/vxServiceManager.h"

#include "platform/process/vxCommandLine.h"

namespace vxServiceManager {
namespace {

bool UnitNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u':' ||
         c == u'-' || c == u'_' || c == u'.' || c == u'\\' || c == u'@';
}

// The unit name as the last argument, after "--" so that a name starting
// with "-" is no option.
ustring NameArgument(const ustring& Service) { return u"-- " + vxCommandLine::QuoteArgument(Service); }

std::string_view ValueOf(std::string_view output, std::string_view name) {
  size_t start = 0;
  while (start <= output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string_view::npos) end = output.size();
    std::string_view line = output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == '=')
      return line.substr(name.size() + 1);
    start = end + 1;
  }
  return {};
}

}  // namespace

bool ValidUnitName(std::u16string_view Service) {
  if (Service.empty() || Service.size() > 255) return false;
  for (const char16_t c : Service)
    if (!UnitNameChar(c)) return false;
  return true;
}

ustring QueryParams(const ustring& Service) {
  return u"show --property=LoadState --property=ActiveState " + NameArgument(Service);
}

ustring StartParams(const ustring& Service) { return u"start --no-ask-password " + NameArgument(Service); }

ustring StopParams(const ustring& Service) { return u"stop --no-ask-password " + NameArgument(Service); }

uint32_t StateFromQueryOutput(std::string_view Output) {
  const std::string_view load = ValueOf(Output, "LoadState");
  if (load.empty() || load == "not-found") return 0;
  const std::string_view active = ValueOf(Output, "ActiveState");
  if (active == "active" || active == "reloading") return SERVICE_RUNNING;
  if (active == "activating") return SERVICE_START_PENDING;
  if (active == "deactivating") return SERVICE_STOP_PENDING;
  if (active == "inactive" || active == "failed") return SERVICE_STOPPED;
  return 0;
}

}  // namespace vxServiceManager
