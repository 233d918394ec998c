// The commands of vxstore and the reading of its command line.
#include "host/vxStoreCommands.h"

#include <ostream>
#include <stdexcept>

#include "configstore/vxConfigManagerSchema.h"
#include "foundation/vxADO.h"
#include "foundation/vxVarlo.h"
#include "host/vxStoreCommandsInternal.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxCaseMap.h"

namespace vxStoreCommands {

TOptions::TOptions(const std::vector<std::string>& Args, std::initializer_list<const char*> Valued,
                   std::initializer_list<const char*> Flags) {
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    bool valued = false, flag = false;
    for (const char* name : Valued) valued = valued || arg == name;
    for (const char* name : Flags) flag = flag || arg == name;
    if (!valued && !flag) throw std::invalid_argument("unknown argument '" + arg + "'");
    if (valued && i + 1 >= Args.size()) throw std::invalid_argument(arg + " needs a value");
    if (Find(arg.c_str())) throw std::invalid_argument(arg + " is given twice");
    FValues.emplace_back(arg, valued ? Args[++i] : std::string());
  }
}

const std::string* TOptions::Find(const char* Name) const {
  for (const auto& [name, value] : FValues)
    if (name == Name) return &value;
  return nullptr;
}

const std::string& TOptions::Required(const char* Name) const {
  const std::string* value = Find(Name);
  if (!value) throw std::invalid_argument(std::string(Name) + " is missing");
  return *value;
}

ustring ConnectionStringOf(const TOptions& Options) {
  const std::string* connection = Options.Find("--connection");
  const std::string* udl = Options.Find("--udl");
  if (connection && udl) throw std::invalid_argument("give --connection or --udl, not both");
  // Without either, the host's data-link file, as the store itself does.
  return connection ? Utf8ToWide(*connection)
         : udl      ? u"File Name=" + Utf8ToWide(*udl)
                    : TvxVarlo::GetConnectionString(true);
}

ustring TableOf(const TOptions& Options) {
  const std::string* given = Options.Find("--table");
  if (!given) return vxConfigManagerSchema::DefaultTableName;
  const ustring table = Utf8ToWide(*given);
  if (!vxConfigManagerSchema::IsTableName(table))
    throw std::invalid_argument("'" + *given + "' cannot name the table (letters, digits and _)");
  return table;
}

}  // namespace vxStoreCommands

namespace {

using vxStoreCommands::TOptions;

int Create(const std::vector<std::string>& Args, std::ostream& Out, std::ostream&) {
  const TOptions options(Args, {"--connection", "--udl", "--layout", "--table"});
  const ustring connectionString = vxStoreCommands::ConnectionStringOf(options);
  TTableStructureType layout = TST_V2;
  if (const std::string* given = options.Find("--layout")) {
    const ustring name = vxCaseMap::Upper(Utf8ToWide(*given));
    if (name == u"V1") layout = TST_V1;
    else if (name != u"V2") throw std::invalid_argument("--layout is V1 or V2, not '" + *given + "'");
  }
  const ustring table = vxStoreCommands::TableOf(options);
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
      {"export", "write a node or subtree of the store into an export document",
       "vxstore export --key KEY --file FILE [--node-only] [--format 1.2|1.3|1.4|1.5]\n"
       "               [--encoding UTF-8|UTF-16] [--change-info]\n"
       "               [--package NAME --version TEXT [--release TEXT] [--info TEXT]\n"
       "                [--info-type PlainText|MarkDown|RichText] [--add]]\n"
       "               [--lock-scripts PASSWORD]\n"
       "               [--connection STRING | --udl FILE] [--table NAME]\n"
       "\n"
       "Writes the node KEY (/varlo/Software/X) with everything below it, or with\n"
       "--node-only its own values, into FILE, whose extension becomes .xml. The\n"
       "format is 1.5 in UTF-8 unless asked otherwise; --change-info writes who\n"
       "changed each value and when (formats 1.3 to 1.5). With --package the file\n"
       "is a package of that name and version, requiring the release TEXT (four\n"
       "numbers) when given, with the description TEXT; --add adds the subtree to\n"
       "the package file FILE, keeping its header. --lock-scripts locks unlocked\n"
       "scripts in the file (not in the store). The store's exclusions and\n"
       "defaults below /varlo/Classes/Behaviour/Export apply. A line on standard\n"
       "error tells the progress; the old file stays unless the new one is\n"
       "complete. The connection is as for create.\n",
       vxStoreCommands::RunExport},
      {"import", "write an export document or a zip archive of them into the store",
       "vxstore import --file FILE [--key KEY] [--overwrite [--keep-user-content]]\n"
       "               [--store-package] [--ignore-release]\n"
       "               [--connection STRING | --udl FILE] [--table NAME]\n"
       "\n"
       "Writes the nodes and values of the export document FILE, or of every\n"
       "document of the zip archive FILE in archive order, into the store. A plain\n"
       "document goes below KEY when given, else to the node it was exported from;\n"
       "a package always goes to its own node and is recorded below\n"
       "/varlo/Classes/Packages (--store-package keeps the file there too).\n"
       "Values that exist are kept unless --overwrite; --keep-user-content then\n"
       "keeps those a user changed. A package that requires a newer release than\n"
       "this one is refused unless --ignore-release. Everything is checked before\n"
       "anything is written, and written in one transaction: a failed import\n"
       "leaves the store as it was. A line on standard error tells the progress.\n"
       "The connection is as for create.\n",
       vxStoreCommands::RunImport},
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
      return command.Run(rest, Out, Err);
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
