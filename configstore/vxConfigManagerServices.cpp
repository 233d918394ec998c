// The store's services, cluster and instance state: instances publish
// their tokens, URLs and ready states below their service's node, the main
// daemon resets and counts the ready flags, and services find each other's
// URLs and tokens and register for change events with the main daemon. The
// locale node's formats are read here too, and permission objects are
// published from a subtree.
#include <unistd.h>

#include <unordered_map>

#include "configstore/vxConfigManager.h"
#include "configstore/vxIndy.h"
#include "configstore/vxNet.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxFileSystem.h"

namespace {

constexpr char16_t ServicesRoot[] = u"/varlo/Software/varlo enterprise daemon/Services";
constexpr char16_t SslNode[] = u"/varlo/Software/Basics/HTTP/SSL";
constexpr char16_t CommonNode[] = u"/varlo/Software/Basics/Common";
constexpr char16_t DaemonDefaultUrl[] = u"http://localhost:4040";
constexpr char16_t RegisterToChangeEvent[] = u"vxRegisterToChangeEvent";

ustring Decimal(int64_t Value) { return Utf8ToWide(std::to_string(Value)); }

}  // namespace

// ---- helpers ------------------------------------------------------------------

bool TvxConfigManager::ServiceNodes(TConfigNodes& Nodes) { return GetChildNodes(ServicesRoot, Nodes, true); }

ustring TvxConfigManager::OwnExecutable() {
  return LowerStrW(vxFileSystem::ExtractFileName(vxSystemInfo::ExecutablePath()));
}

ustring TvxConfigManager::ServiceExecutable(const TConfigNode& Node) {
  const ustring path = GetConfigValue(Convert2VisKey(Node.Key), u"ServicePath", Variant(u""), false).AsString();
  return LowerStrW(vxFileSystem::ExtractFileName(path));
}

ustring TvxConfigManager::FindServiceByExecutable(const ustring& Executable) {
  TConfigNodes nodes;
  if (Executable.empty() || !ServiceNodes(nodes)) return {};
  for (const TConfigNode& node : nodes)
    if (ServiceExecutable(node) == Executable) return node.Name;
  return {};
}

void TvxConfigManager::ForEachClusterInstance(int32_t ClusterNode, bool PrepareNodeZero,
                                              const std::function<void(const ustring& InstanceKey)>& Instance) {
  TConfigNodes nodes;
  if (!ServiceNodes(nodes)) return;
  for (const TConfigNode& node : nodes) {
    const ustring service = Convert2VisKey(node.Key);
    if (!GetConfigValue(service, u"Active", Variant(false), false).AsBoolean()) continue;
    if (PrepareNodeZero && ClusterNode == 0) {
      const ustring zero = service + u"/Cluster/Node 0";
      SetConfigValue(zero, u"NodeId", Variant::FromByte(0));
      SetConfigValue(zero, u"Instances", GetConfigValue(service, u"Instances", Variant(1), false));
    }
    const ustring nodePath = service + u"/Cluster/Node " + Decimal(ClusterNode);
    const int32_t nodeId = GetConfigValue(nodePath, u"NodeId", Variant(0), false).AsInteger();
    const int32_t instances = GetConfigValue(nodePath, u"Instances", Variant(0), false).AsInteger();
    if (!GetConfigValue(TvxVarlo::GetK7ClusterNodePath(nodeId), u"Active", Variant(true), false).AsBoolean()) continue;
    // Node 0 numbers its instances from 0, every other node from 1.
    const int32_t first = nodeId == 0 ? 0 : 1;
    for (int32_t i = first; i < first + instances; ++i) Instance(nodePath + u"/Instance " + Decimal(i));
  }
}

// ---- publishing -----------------------------------------------------------------

bool TvxConfigManager::PublishInstanceToken(const TIdType& Token, int32_t InstanceId, int32_t InstancePort) {
  const bool https = GetConfigValue(SslNode, u"Active", Variant(false), false).AsBoolean();
  const bool manualUrls = GetConfigValue(CommonNode, u"ManualServiceUrlConfig", Variant(false), false).AsBoolean();
  const int32_t clusterNode = TvxVarlo::GetClusterNode();
  TConfigNodes nodes;
  if (!ServiceNodes(nodes)) return false;
  const ustring own = OwnExecutable();
  bool written = false;
  for (const TConfigNode& node : nodes) {
    const ustring executable = ServiceExecutable(node);
    bool match = !executable.empty() && executable == own;
    if (!match && InstancePort > 0)
      match = GetConfigValue(Convert2VisKey(node.Key), u"RootPort", Variant(0), false).AsInteger() + InstanceId ==
              InstancePort;
    if (!match) continue;
    const ustring path = TvxVarlo::GetK7ClusterNodeServicePath(node.Name, clusterNode, InstanceId);
    if (SetConfigValue(path, u"InstanceToken", Variant(Token.WideStr()))) written = true;
    SetConfigValue(path, u"InstanceHandle", Variant::FromLongWord(static_cast<uint32_t>(getpid())));
    if (InstancePort > 0 && !manualUrls) {
      SetConfigValue(path, u"InstancePort", Variant(InstancePort));
      const std::string url =
          TvxNet::BuildUrl(https, TvxTools::GetComputerNameEx(3), InstancePort, u"", {}, vxENC_Mega);
      SetConfigValue(path, u"InstanceUrl", Variant(AnsiToWide(url)));
    }
  }
  return written;
}

bool TvxConfigManager::PublishReadyState(int32_t InstanceId) {
  const ustring service = FindServiceByExecutable(OwnExecutable());
  if (service.empty()) return false;
  SetConfigValue(TvxVarlo::GetK7ClusterNodeServicePath(service, TvxVarlo::GetClusterNode(), InstanceId),
                 u"InstanceReady", Variant(true));
  return true;
}

// ---- ready states ---------------------------------------------------------------

bool TvxConfigManager::ResetReadyStates(int32_t ClusterNode) {
  ForEachClusterInstance(ClusterNode, true,
                         [this](const ustring& Instance) { SetConfigValue(Instance, u"InstanceReady", Variant(false)); });
  return true;
}

int32_t TvxConfigManager::CheckReadyStates(int32_t ClusterNode) {
  int32_t starting = 0;
  ForEachClusterInstance(ClusterNode, false, [this, &starting](const ustring& Instance) {
    if (!GetConfigValue(Instance, u"InstanceReady", Variant(false), false).AsBoolean() &&
        !GetConfigValue(Instance, u"InstanceToken", Variant(u""), false).AsString().empty())
      ++starting;
  });
  return starting;
}

// ---- finding services -------------------------------------------------------------

ustring TvxConfigManager::GetServiceUrl(TvxEnterpriseService Service, int32_t ClusterNode, int32_t InstanceId) {
  ustring url;
  if (Service == vxES_Daemon) {
    url = GetConfigValue(TvxVarlo::GetK7ClusterNodePath(ClusterNode), u"InstanceUrl", Variant(DaemonDefaultUrl), false)
              .AsString();
  } else {
    const ustring service = FindServiceByExecutable(TvxTypes::GetEnterpriseServiceStr(Service));
    if (!service.empty())
      url = TvxNet::CheckRootUrlSuffix(
          GetConfigValue(TvxVarlo::GetK7ClusterNodeServicePath(service, ClusterNode, InstanceId), u"InstanceUrl",
                         Variant(u""), false)
              .AsString());
  }
  const int32_t port = TvxVarlo::GetDefaultServicePort(Service);
  if (url.empty() && port > 0) {
    const bool https = GetConfigValue(SslNode, u"Active", Variant(false), false).AsBoolean();
    url = (https ? u"https://localhost:" : u"http://localhost:") + Decimal(port) + u"/";
  }
  return url;
}

ustring TvxConfigManager::GetServiceToken(TvxEnterpriseService Service, int32_t ClusterNode, int32_t InstanceId) {
  if (Service == vxES_Daemon)
    return GetConfigValue(TvxVarlo::GetK7ClusterNodePath(ClusterNode), u"InstanceToken", Variant(u""), true).AsString();
  const ustring service = FindServiceByExecutable(TvxTypes::GetEnterpriseServiceStr(Service));
  if (service.empty()) return {};
  return GetConfigValue(TvxVarlo::GetK7ClusterNodeServicePath(service, ClusterNode, InstanceId), u"InstanceToken",
                        Variant(u""), false)
      .AsString();
}

bool TvxConfigManager::RegisterServiceToChangeEvent(const ustring& ChangeEvent, const ustring& InstanceToken) {
  try {
    const ustring root = GetServiceUrl(vxES_Daemon, 0, 0);
    const std::string url = TvxNet::BuildUrl(
        root, RegisterToChangeEvent, {u"InstanceToken=" + InstanceToken, u"EventFlag=" + ChangeEvent}, vxENC_Mega);
    int32_t code = 0;
    TvxIndy::HTTPGet(AnsiToWide(url), code);
    return code == 200;
  } catch (const Exception& e) {
    Message = e.Message();
  } catch (const std::exception& e) {
    Message = Utf8ToWide(e.what());
  }
  return false;
}

// ---- locale formats -----------------------------------------------------------------

TFormatSettings TvxConfigManager::GetK7FormatSettings() {
  TFormatSettings settings = FormatSettings();
  return Guarded(settings, [&] {
    LoadClassNodeIds(false);
    const ustring locale = KId_ClassesLocale.Get().WideStr();
    // Each value passes through 8-bit text in the system code page.
    const auto read = [&](const char16_t* Name, const ustring& Current) {
      return AnsiToWide(WideToAnsi(GetConfigValue(locale, Name, Variant(Current), true).AsString()));
    };
    settings.ShortDateFormat = read(u"ShortDateFormat", settings.ShortDateFormat);
    settings.LongDateFormat = read(u"LongDateFormat", settings.LongDateFormat);
    settings.ShortTimeFormat = read(u"ShortTimeFormat", settings.ShortTimeFormat);
    settings.LongTimeFormat = read(u"LongTimeFormat", settings.LongTimeFormat);
    const auto separator = [&](const char16_t* Name, char16_t& Setting) {
      const ustring text = read(Name, ustring(1, Setting));
      if (!text.empty()) Setting = text[0];
    };
    separator(u"DecimalSeparator", settings.DecimalSeparator);
    separator(u"ThousandSeparator", settings.ThousandSeparator);
    separator(u"DateSeparator", settings.DateSeparator);
    separator(u"TimeSeparator", settings.TimeSeparator);
    return settings;
  });
}

// ---- permission objects ----------------------------------------------------------

bool TvxConfigManager::PublishPermissionObjects(const ustring& SourcePath, const ustring& PermissionObject,
                                                bool SingleInstance, bool CheckActiveState) {
  const ustring targetRoot = u"/varlo/Permissions/Objects/" + PermissionObject;
  TConfigNodes sources;
  TConfigNodes targets;
  if (!GetRecursiveChildNodes(SourcePath, sources, true, true, false) ||
      !GetRecursiveChildNodes(targetRoot, targets, true, true, false))
    return false;
  const auto isActive = [this](const TConfigNode& Node) {
    return GetConfigValue(Convert2VisKey(Node.Key), u"Active", Variant(true), false).AsBoolean();
  };
  // The first source of each relative key.
  std::unordered_map<ustring, const TConfigNode*> sourceByRelKey;
  for (const TConfigNode& source : sources) sourceByRelKey.try_emplace(source.RelKey, &source);
  // Targets without an active source go, unless a session still holds them.
  for (const TConfigNode& target : targets) {
    const auto source = sourceByRelKey.find(target.RelKey);
    if (source != sourceByRelKey.end() && (!CheckActiveState || isActive(*source->second))) continue;
    const ustring key = Convert2VisKey(target.Key);
    if (!TrimKey(GetConfigValue(key, u"SessionToken", Variant(u""), false).AsString()).empty()) continue;
    DeleteConfigTree(key);
  }
  for (const TConfigNode& source : sources) {
    if (CheckActiveState && !isActive(source)) continue;
    const ustring key = Convert2VisKey(source.Key);
    const Variant single = GetConfigValue(key, u"SingleInstance", Variant(SingleInstance), false);
    const ustring target = targetRoot + u"/" + source.RelKey;
    SetConfigValue(target, u"Roles", GetConfigValue(key, u"Roles", Variant(u""), false));
    SetConfigValue(target, u"SingleInstance", single);
  }
  return true;
}
