// The host environment's seams with their defaults.
#include "foundation/vxVarloSeams.h"

#include <mutex>

#include "platform/base/vxExceptions.h"
#include "platform/version/vxModule.h"

namespace vxVarloSeams {
namespace {

constexpr char NoDataLayer[] = "no data layer is available";

struct TSeams {
  std::mutex Lock;
  TExecutableSource Executable;
  TExecutableSource Module;
  TStartParamReader StartParam;
  TLanguageReader Language;
  TUdlReader Udl;
  TDatabaseProbe Probe;
  TDatabaseQuery Query;
};

TSeams& Seams() {
  static TSeams seams;
  return seams;
}

// A copy of one seam, taken under the lock, so a call runs outside it.
template <class F>
F Get(F TSeams::*Member) {
  TSeams& s = Seams();
  std::lock_guard<std::mutex> guard(s.Lock);
  return s.*Member;
}

template <class F>
void Set(F TSeams::*Member, F Value) {
  TSeams& s = Seams();
  std::lock_guard<std::mutex> guard(s.Lock);
  s.*Member = std::move(Value);
}

}  // namespace

void SetExecutableSource(TExecutableSource Source) { Set(&TSeams::Executable, std::move(Source)); }
void SetModuleSource(TExecutableSource Source) { Set(&TSeams::Module, std::move(Source)); }
void SetStartParamReader(TStartParamReader Reader) { Set(&TSeams::StartParam, std::move(Reader)); }
void SetLanguageReader(TLanguageReader Reader) { Set(&TSeams::Language, std::move(Reader)); }
void SetUdlReader(TUdlReader Reader) { Set(&TSeams::Udl, std::move(Reader)); }
void SetDatabase(TDatabaseProbe Probe, TDatabaseQuery Query) {
  Set(&TSeams::Probe, std::move(Probe));
  Set(&TSeams::Query, std::move(Query));
}

ustring HostExecutable() {
  const TExecutableSource source = Get(&TSeams::Executable);
  return source ? source() : vxModule::ExecutableFileName();
}

ustring ModuleFile() {
  const TExecutableSource source = Get(&TSeams::Module);
  return source ? source() : vxModule::OwnModuleFileName();
}

ustring StartParam(const ustring& Name, const ustring& Prefix, const ustring& Default) {
  const TStartParamReader reader = Get(&TSeams::StartParam);
  return reader ? reader(Name, Prefix, Default) : Default;
}

ustring ShortLanguage(const ustring& Default) {
  const TLanguageReader reader = Get(&TSeams::Language);
  return reader ? reader(Default) : Default;
}

ustring ConnectionStringFromUdl(const ustring& UdlFile) {
  const TUdlReader reader = Get(&TSeams::Udl);
  return reader ? reader(UdlFile) : ustring();
}

void ProbeDatabase(const ustring& ConnectionString) {
  const TDatabaseProbe probe = Get(&TSeams::Probe);
  if (!probe) throw Exception(NoDataLayer);
  probe(ConnectionString);
}

std::vector<ustring> QueryDatabase(const ustring& ConnectionString, const ustring& Command) {
  const TDatabaseQuery query = Get(&TSeams::Query);
  if (!query) throw Exception(NoDataLayer);
  return query(ConnectionString, Command);
}

}  // namespace vxVarloSeams
