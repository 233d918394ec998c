// Parts of the tree for other programs and for display: a node's properties
// and a list of nodes as XML configuration strings, the saving of such a
// string into a node, the node names of a key, a shortened path, and the
// namespace nodes of resources and scripts.
#include <array>

#include "configstore/vxConfigManager.h"
#include "core/vxToolsEvo2.h"
#include "foundation/vxConfigTools.h"
#include "platform/base/vxCodePage.h"

namespace {

constexpr char16_t BinaryType[] = u"BINARY";

// The names of a prepared key, from the root down.
std::vector<ustring> NamesOf(const ustring& PreparedKey) {
  std::vector<ustring> names;
  size_t from = 0, slash;
  while ((slash = PreparedKey.find(u'/', from)) != ustring::npos) {
    names.push_back(PreparedKey.substr(from, slash - from));
    from = slash + 1;
  }
  return names;
}

}  // namespace

std::string TvxConfigManager::GetNodeXML(const ustring& Key) {
  TProperties properties;
  if (!GetNodeProperties(Key, properties, true, false, false, u"", "", false, true, false)) return std::string();
  TvxConfigTools tools;
  // Every property an entry of its own: names that differ only in letter
  // case, or in a blank against a "_", share a lookup key in the list.
  tools.AllowMultiParams = true;
  for (const TProperty& p : properties) {
    // A binary value goes as its bytes, marked "BINARY", so it comes back
    // as a binary value and not as a text.
    if (p.DataType.View() == "BINARY")
      tools.AddConfigParam(p.Name, Variant(WideToUtf8(p.Value.IsNull() ? ustring() : p.Value.AsString())), true,
                           false);
    else
      tools.AddConfigParam(p.Name, p.Value, false, false);
  }
  return tools.BuiltConfigString(u"vxConfig", false, true, false);
}

std::string TvxConfigManager::GetNodesXML(const ustring& Key, bool Recursive, bool RelativeNames, bool JustNames) {
  TConfigNodes nodes;
  if (Recursive)
    GetRecursiveChildNodes(Key, nodes, true, true, false);
  else
    GetChildNodes(Key, nodes, false);
  TvxConfigTools tools;
  tools.AllowMultiParams = true;
  for (const TConfigNode& node : nodes)
    tools.AddConfigParam(u"Node", Variant(!RelativeNames ? node.Key : JustNames ? node.Name : node.RelKey), false,
                         false);
  return tools.BuiltConfigString(u"vxNodes", false, true, false);
}

bool TvxConfigManager::SaveNodeXML(const ustring& Key, std::string& XML) {
  TvxConfigTools tools;
  if (!tools.ParseConfigString(XML)) return false;
  for (const TvxConfigPart& entry : tools.ConfigList) {
    if (!entry.Active) continue;
    if (entry.Binary)
      SetConfigValue(Key, entry.Param, Variant(Utf8ToWide(entry.Value.AsAnsiString())), TDataTypeStr(BinaryType));
    else
      SetConfigValue(Key, entry.Param, entry.Value);
  }
  return true;
}

bool TvxConfigManager::GetNodeParts(const ustring& Key, TStringList& NodeParts) {
  NodeParts.Clear();
  for (ustring& name : NamesOf(PrepareKey(Key))) NodeParts.Add(std::move(name));
  return true;
}

ustring TvxConfigManager::GetTopNodeName(const ustring& Key) {
  const std::vector<ustring> names = NamesOf(PrepareKey(Key));
  return names.empty() ? ustring() : names.back();
}

ustring TvxConfigManager::GetShortPath(const ustring& Path, int32_t MaxLen) {
  if (MaxLen >= 0 && Path.size() <= static_cast<size_t>(MaxLen)) return Path;
  const ustring top = GetTopNodeName(Path);
  const int64_t room = int64_t{MaxLen} - static_cast<int64_t>(top.size()) - 4;
  ustring head;
  size_t from = 0;
  for (;;) {
    const size_t slash = Path.find(u'/', from);
    if (slash == ustring::npos) break;
    // The place of the "/" in the rest, counted from 1.
    const int64_t place = static_cast<int64_t>(slash - from) + 1;
    if (place + static_cast<int64_t>(head.size()) >= room) break;
    head.append(Path, from, slash - from + 1);
    from = slash + 1;
  }
  return head + u".../" + top;
}

bool TvxConfigManager::IsNameSpaceNode(const ustring& Key) {
  static constexpr std::array<std::u16string_view, 11> Roots = {
      u"VARLO/RESOURCES/",          u"VARLO/SCRIPTS/ADDINS/",  u"VARLO/SCRIPTS/AUTOMATION/",
      u"VARLO/SCRIPTS/COMPONENTS/", u"VARLO/SCRIPTS/FIELDS/",  u"VARLO/SCRIPTS/INCLUDES/",
      u"VARLO/SCRIPTS/MACROS/",     u"VARLO/SCRIPTS/PROCESS/", u"VARLO/SCRIPTS/RECOGNITION/",
      u"VARLO/SCRIPTS/REPORTS/",    u"VARLO/SCRIPTS/WORKFLOW/",
  };
  const ustring key = UpperStrW(PrepareKey(Key));
  if (key.empty()) return false;
  for (const std::u16string_view root : Roots)
    if (root.starts_with(key)) return true;
  return false;
}
