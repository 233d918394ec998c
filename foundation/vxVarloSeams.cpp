// The host environment's seams with their defaults.
#include "foundation/vxVarloSeams.h"

#include <mutex>

#include "core/vxToolsParams.h"
#include "core/vxToolsPlatform.h"
#include "core/vxToolsUdl.h"
#include "platform/base/vxCodePage.h"
#include "platform/version/vxModule.h"

namespace vxVarloSeams {
namespace {

struct TSeams {
  std::mutex Lock;
  TExecutableSource Executable;
  TExecutableSource Module;
  TStartParamReader StartParam;
  TLanguageReader Language;
  TUdlReader Udl;
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
  if (reader) return reader(Name, Prefix, Default);
  return TvxTools::GetStartParam(Name, Variant(Default), WideToAnsi(Prefix), varNull).AsString();
}

ustring ShortLanguage(const ustring& Default) {
  const TLanguageReader reader = Get(&TSeams::Language);
  return reader ? reader(Default) : TvxTools::GetShortWindowsLanguage(Default);
}

ustring ConnectionStringFromUdl(const ustring& UdlFile) {
  const TUdlReader reader = Get(&TSeams::Udl);
  return reader ? reader(UdlFile) : TvxTools::GetConnectionstringFromUdlFile(UdlFile);
}

}  // namespace vxVarloSeams
