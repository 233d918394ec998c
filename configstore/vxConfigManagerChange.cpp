// The change state shared by the stores of one table: the tick count of the
// last structural change and named change flags, properties of the node
// "/varlo/Classes/Statuses". A store that sees another's change forgets its
// cached keys.
#include "configstore/vxConfigManager.h"

namespace {

constexpr char16_t StatusNode[] = u"/varlo/Classes/Statuses";
constexpr char16_t ChangeTicksName[] = u"DatabaseChangeTicks";

// The low 32 bits of a stored tick count; 0 for a read that failed.
uint32_t TicksOf(const Variant& Value) {
  if (Value.IsEmpty() || Value.IsNull()) return 0;
  try {
    return static_cast<uint32_t>(Value.AsInt64());
  } catch (const Exception&) {
    return 0;
  }
}

}  // namespace

bool TvxConfigManager::SetDatabaseChangeState() {
  if (!k7Mode) return true;
  const uint32_t now = Ticks();
  const bool written = SetConfigValue(StatusNode, ChangeTicksName, Variant::FromLongWord(now));
  LastDbChangeTicks = now;
  return written;
}

bool TvxConfigManager::CheckDatabaseChangeState() { return CheckDatabaseChangeStateAt(Ticks()); }

bool TvxConfigManager::CheckDatabaseChangeStateAt(uint32_t Now) {
  LoadClassNodeIds(false);
  uint32_t last = LastDbChangeTicksTest;
  if (static_cast<uint32_t>(Now - last) <= CacheCheckTime) return true;
  // One thread reads for all that come within the interval.
  if (!LastDbChangeTicksTest.compare_exchange_strong(last, Now)) return true;
  const uint32_t known = LastDbChangeTicks;
  const uint32_t seen = TicksOf(
      GetConfigValue(KId_ClassesStatus.Get().WideStr(), ChangeTicksName, Variant::FromLongWord(known), true));
  if (seen == known) return true;
  LastDbChangeTicks = seen;
  ResetCache();
  return false;
}

bool TvxConfigManager::SetSpecificDatabaseChangeState(const ustring& Flag) {
  return SetConfigValue(StatusNode, Flag, Variant::FromLongWord(Ticks()));
}

bool TvxConfigManager::CheckSpecificDatabaseChangeState(const ustring& Flag) {
  uint32_t known = 0;
  {
    std::lock_guard<std::mutex> hold(DbChangeFlagsLock);
    for (const TDbChangeFlag& entry : DbChangeFlags)
      if (entry.Flag == Flag) {
        known = entry.Ticks;
        break;
      }
  }
  const uint32_t now = Ticks();
  if (static_cast<uint32_t>(now - LastDbChangeTicksTest) <= CacheCheckTime) return true;
  LoadClassNodeIds(false);
  const uint32_t seen = TicksOf(GetConfigValue(KId_ClassesStatus.Get().WideStr(), Flag, Variant::FromShortInt(-1), true));
  if (seen == known) return true;
  const uint32_t written = Ticks();
  SetConfigValue(StatusNode, Flag, Variant::FromLongWord(written));
  std::lock_guard<std::mutex> hold(DbChangeFlagsLock);
  for (TDbChangeFlag& entry : DbChangeFlags)
    if (entry.Flag == Flag) {
      entry.Ticks = written;
      return false;
    }
  DbChangeFlags.push_back({Flag, written});
  return false;
}

void TvxConfigManager::LoadClassNodeIds(bool Force) {
  if (!Force && FClassNodeIdsLoaded) return;
  struct TClassNode {
    const char16_t* Key;
    TGuarded<TIdType>* Id;
  };
  const TClassNode nodes[] = {
      {u"/varlo/Classes/Style/Icons", &KId_ClassesStyleIcons},
      {u"/varlo/Classes/Help/Context/System", &KId_ClassesContextHelpSys},
      {u"/varlo/Classes/Help/Context/Customer", &KId_ClassesContextHelpCus},
      {u"/varlo/Classes/Statuses", &KId_ClassesStatus},
      {u"/varlo/Classes/Behaviour/Local", &KId_ClassesLocale},
  };
  bool missing = Force;
  for (const TClassNode& node : nodes) missing = missing || IsTIdStringEmpty(node.Id->Get());
  if (missing) {
    // ForceLoad: the walk skips the change check, which would lead back here.
    for (const TClassNode& node : nodes) *node.Id = GetParentTreeId(node.Key, true, true);
  }
  FClassNodeIdsLoaded = true;
}
