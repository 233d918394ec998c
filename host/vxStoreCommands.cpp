// The commands of vxstore and the reading of its command line.
#include "host/vxStoreCommands.h"

#include <ostream>
#include <stdexcept>

#include "configstore/vxConfigManagerSchema.h"
#include "foundation/vxADO.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxCaseMap.h"

namespace {

// "--name VALUE" options of one command; every option takes a value.
class TOptions {
 public:
  TOptions(const std::vector<std::string>& Args, std::initializer_list<const char*> Known) {
    for (size_t i = 0; i < Args.size(); ++i) {
      const std::string& arg = Args[i];
      bool known = false;
      for (const char* name : Known) known = known || arg == name;
      if (!known) throw std::invalid_argument("unknown argument '" + arg + "'");
      if (i + 1 >= Args.size()) throw std::invalid_argument(arg + " needs a value");
      for (const auto& [name, value] : FValues)
        if (name == arg) throw std::invalid_argument(arg + " is given twice");
      FValues.emplace_back(arg, Args[++i]);
    }
  }
  const std::string* Find(const char* Name) const {
    for (const auto& [name, value] : FValues)
      if (name == Name) return &value;
    return nullptr;
  }

 private:
  std::vector<std::pair<std::string, std::string>> FValues;
};

int Create(const std::vector<std::string>& Args, std::ostream& Out) {
  const TOptions options(Args, {"--connection", "--udl", "--layout", "--table"});
  const std::string* connection = options.Find("--connection");
  const std::string* udl = options.Find("--udl");
  if (connection && udl) throw std::invalid_argument("give --connection or --udl, not both");
  TTableStructureType layout = TST_V2;
  if (const std::string* given = options.Find("--layout")) {
    const ustring name = vxCaseMap::Upper(Utf8ToWide(*given));
    if (name == u"V1") layout = TST_V1;
    else if (name != u"V2") throw std::invalid_argument("--layout is V1 or V2, not '" + *given + "'");
  }
  ustring table = vxConfigManagerSchema::DefaultTableName;
  if (const std::string* given = options.Find("--table")) {
    table = Utf8ToWide(*given);
    if (!vxConfigManagerSchema::IsTableName(table))
      throw std::invalid_argument("'" + *given + "' cannot name the table (letters, digits and _)");
  }
  // Without either, the host's data-link file, as the store itself does.
  const ustring connectionString = connection ? Utf8ToWide(*connection)
                                   : udl      ? u"File Name=" + Utf8ToWide(*udl)
                                              : TvxVarlo::GetConnectionString(true);
  vxConfigManagerSchema::CreateTable(connectionString, layout, table);
  TADOConnection check(connectionString);
  Out << "created the configuration table " << WideToUtf8(table) << " (layout " << (layout == TST_V2 ? "V2" : "V1")
      << ") in the " << WideToUtf8(check.Provider()) << " database\n";
  return 0;
}

}  // namespace

const std::vector<TvxStoreCommand>& StoreCommands() {
  static const std::vector<TvxStoreCommand> commands = {
      {"create", "make the table of an empty configuration store",
       "vxstore create [--connection STRING | --udl FILE] [--layout V1|V2] [--table NAME]\n"
       "\n"
       "Makes the configuration table in the database: for SQLite the file is\n"
       "made when missing. STRING is a connection string\n"
       "('Provider=SQLite;Data Source=/var/lib/varlo/store.db' or\n"
       "'Provider=PostgreSQL;Host=db;Port=5432;Database=varlo;User ID=varlo;Password=...'),\n"
       "FILE a data-link file; without either, the host's data-link file\n"
       "(cfg/vxsyscfg.udl below the host's system folder). The layout is V2 (with\n"
       "the change columns) unless V1 is asked for; the table is vx_configuration\n"
       "unless NAME is given. An existing table is left alone (and reported).\n",
       Create},
  };
  return commands;
}

std::string StoreUsage() {
  std::string text =
      "usage: vxstore COMMAND [ARGUMENTS]\n"
      "       vxstore help [COMMAND]\n"
      "\n"
      "The configuration store's companion program. Commands:\n";
  for (const TvxStoreCommand& command : StoreCommands())
    text += "  " + std::string(command.Name) + std::string(10 - std::string(command.Name).size(), ' ') +
            command.Summary + "\n";
  return text;
}

int RunStoreCommandLine(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.empty()) {
    Err << StoreUsage();
    return 2;
  }
  const std::string& name = Args[0];
  if (name == "help" || name == "--help" || name == "-h") {
    if (Args.size() > 1) {
      for (const TvxStoreCommand& command : StoreCommands())
        if (Args[1] == command.Name) {
          Out << command.Usage;
          return 0;
        }
      Err << "vxstore: unknown command '" << Args[1] << "'\n";
      return 2;
    }
    Out << StoreUsage();
    return 0;
  }
  for (const TvxStoreCommand& command : StoreCommands()) {
    if (name != command.Name) continue;
    const std::vector<std::string> rest(Args.begin() + 1, Args.end());
    try {
      return command.Run(rest, Out);
    } catch (const std::invalid_argument& e) {
      Err << "vxstore " << name << ": " << e.what() << "\n\n" << command.Usage;
      return 2;
    } catch (const Exception& e) {
      Err << "vxstore " << name << ": " << e.what() << "\n";
      return 1;
    }
  }
  Err << "vxstore: unknown command '" << name << "'\n\n" << StoreUsage();
  return 2;
}
