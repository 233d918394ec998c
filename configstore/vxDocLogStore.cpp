// The document log's settings read from the configuration store.
#include "configstore/vxDocLogStore.h"

#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"

namespace vxDocLogStore {

void ReadSettings(TvxDocLogSettings& Settings) {
  const TvxDocLogSettings defaults;
  TvxConfigManager store(false, u"", vxConfigManagerSchema::DefaultTableName);
  // A store that cannot give a value gives none (Empty): the setting then
  // stays as it is. Read as False and 0, it would switch the document log
  // off for the console's life (the settings are not read again while
  // nothing is written), losing every row after one outage of the store.
  const auto read = [&store](const char16_t* Name, const Variant& Default, auto& Setting, auto Convert) {
    const Variant value = store.GetConfigValue(SettingsNode, Name, Default, true);
    if (!value.IsEmpty()) Setting = Convert(value);
  };
  const auto boolean = [](const Variant& v) { return v.AsBoolean(); };
  const auto integer = [](const Variant& v) { return v.AsInteger(); };
  read(u"DocLogCreate", Variant(defaults.WriteDocLogDatabase), Settings.WriteDocLogDatabase, boolean);
  read(u"DocMetaCreate", Variant(defaults.WriteDocMetaDatabase), Settings.WriteDocMetaDatabase, boolean);
  read(u"DocLogRetention", Variant(defaults.DocLogRetention), Settings.DocLogRetention, integer);
  read(u"DocLogLevel", Variant(defaults.DocLogLevel), Settings.DocLogLevel, integer);
}

void Initialize() { vxDocLogSettings::SetReader(ReadSettings); }
void Finalize() { vxDocLogSettings::SetReader(nullptr); }

}  // namespace vxDocLogStore
