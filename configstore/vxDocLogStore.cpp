// The document log's settings read from the configuration store.
#include "configstore/vxDocLogStore.h"

#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"

namespace vxDocLogStore {

void ReadSettings(TvxDocLogSettings& Settings) {
  const TvxDocLogSettings defaults;
  TvxConfigManager store(false, u"", vxConfigManagerSchema::DefaultTableName);
  const auto value = [&store](const char16_t* Name, const Variant& Default) {
    return store.GetConfigValue(SettingsNode, Name, Default, true);
  };
  Settings.WriteDocLogDatabase = value(u"DocLogCreate", Variant(defaults.WriteDocLogDatabase)).AsBoolean();
  Settings.WriteDocMetaDatabase = value(u"DocMetaCreate", Variant(defaults.WriteDocMetaDatabase)).AsBoolean();
  Settings.DocLogRetention = value(u"DocLogRetention", Variant(defaults.DocLogRetention)).AsInteger();
  Settings.DocLogLevel = value(u"DocLogLevel", Variant(defaults.DocLogLevel)).AsInteger();
}

void Initialize() { vxDocLogSettings::SetReader(ReadSettings); }
void Finalize() { vxDocLogSettings::SetReader(nullptr); }

}  // namespace vxDocLogStore
