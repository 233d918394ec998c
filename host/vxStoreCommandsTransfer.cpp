// vxstore export and import: a subtree of the store written into an export
// document and read back, with a progress line from the store's callback.
#include <unistd.h>

#include <memory>
#include <ostream>
#include <stdexcept>

#include "configstore/vxConfigManager.h"
#include "core/vxConversion.h"
#include "host/vxStoreCommandsInternal.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"
#include "platform/process/vxConsole.h"

namespace vxStoreCommands {

namespace {

constexpr auto TerminalInterval = std::chrono::milliseconds(100);
constexpr auto LogInterval = std::chrono::seconds(5);
// The longest key shown on a terminal line; longer ones are cut at the front.
constexpr size_t ShownKeyLength = 100;

// The store of the command's connection and table; Exception when it cannot
// be reached. Its failures are raised, so that a package whose hash does
// not match is refused, not only reported.
std::unique_ptr<TvxConfigManager> OpenStore(const TOptions& Options) {
  auto store = std::make_unique<TvxConfigManager>(false, ConnectionStringOf(Options), TableOf(Options));
  if (!store->IsConnected()) throw Exception(u"cannot open the configuration store: " + store->Message.Get());
  store->RaiseExceptions = true;
  return store;
}

TvxExportFormatVersion FormatOf(const TOptions& Options) {
  const std::string* given = Options.Find("--format");
  if (!given) return vxEFV_V1_5;
  const TvxExportFormatVersion version = TvxConfigManager::GetExportFormatVersion(Utf8ToWide(*given));
  if (version == vxEFV_Unknown) throw std::invalid_argument("--format is 1.2, 1.3, 1.4 or 1.5, not '" + *given + "'");
  return version;
}

TCharEncodeType EncodingOf(const TOptions& Options) {
  const std::string* given = Options.Find("--encoding");
  if (!given || *given == "UTF-8" || *given == "utf-8") return vxCE_UTF8;
  if (*given == "UTF-16" || *given == "utf-16") return vxCE_UTF16;
  throw std::invalid_argument("--encoding is UTF-8 or UTF-16, not '" + *given + "'");
}

TvxPackageDescriptionType InfoTypeOf(const TOptions& Options) {
  const std::string* given = Options.Find("--info-type");
  if (!given) return vxPDT_PlainText;
  const TvxPackageDescriptionType type = TvxConfigManager::GetPackageDescriptionType(Utf8ToWide(*given));
  if (type == vxPDT_Unknown)
    throw std::invalid_argument("--info-type is PlainText, MarkDown or RichText, not '" + *given + "'");
  return type;
}

bool StandardErrorIsTerminal() { return vxConsole::IsTerminal(STDERR_FILENO); }

}  // namespace

TProgressLine::TProgressLine(std::ostream& Err, bool Terminal, const char* Verb)
    : FErr(Err), FTerminal(Terminal), FVerb(Verb) {}

void TProgressLine::Update(const ustring& Key) {
  ++FCount;
  const auto now = std::chrono::steady_clock::now();
  if (FCount > 1 && now - FLast < (FTerminal ? TerminalInterval : LogInterval)) return;
  FLast = now;
  std::string line = std::string(FVerb) + " " + TvxConversion::IntToStr(FCount) + ": ";
  if (!FTerminal) {
    FErr << line << WideToUtf8(Key) << "\n" << std::flush;
    return;
  }
  line += WideToUtf8(Key.size() > ShownKeyLength ? u"..." + Key.substr(Key.size() - ShownKeyLength) : Key);
  const size_t length = line.size();
  // Blanks over what is left of a longer line before.
  if (length < FShownLength) line.append(FShownLength - length, ' ');
  FShownLength = length;
  FErr << "\r" << line << std::flush;
}

void TProgressLine::Done() {
  if (FTerminal && FShownLength > 0) FErr << "\n" << std::flush;
  FShownLength = 0;
}

int RunExport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  const TOptions options(Args,
                         {"--key", "--file", "--format", "--encoding", "--package", "--version", "--release", "--info",
                          "--info-type", "--lock-scripts", "--connection", "--udl", "--table"},
                         {"--node-only", "--change-info", "--add"});
  const ustring key = Utf8ToWide(options.Required("--key"));
  const ustring file = Utf8ToWide(options.Required("--file"));
  const bool package = options.Flag("--package");
  if (!package)
    for (const char* name : {"--version", "--release", "--info", "--info-type", "--add"})
      if (options.Find(name)) throw std::invalid_argument(std::string(name) + " belongs to a --package");
  const ustring version = package ? Utf8ToWide(options.Required("--version")) : ustring();
  const std::string* release = options.Find("--release");
  const std::string* info = options.Find("--info");
  const std::string* password = options.Find("--lock-scripts");
  const TvxExportFormatVersion format = FormatOf(options);
  const TCharEncodeType encoding = EncodingOf(options);
  const TvxPackageDescriptionType infoType = InfoTypeOf(options);

  const std::unique_ptr<TvxConfigManager> store = OpenStore(options);
  TProgressLine progress(Err, StandardErrorIsTerminal(), "exporting");
  const bool done = store->Export(
      key, file, !options.Flag("--node-only"), package, package ? Utf8ToWide(*options.Find("--package")) : ustring(),
      version, info ? Utf8ToWide(*info) : ustring(), !options.Flag("--add"), encoding,
      [&progress](const ustring& Node) { progress.Update(Node); }, nullptr, infoType, password != nullptr,
      password ? WideToAnsi(Utf8ToWide(*password)) : std::string(), options.Flag("--change-info"),
      release ? Utf8ToWide(*release) : ustring(), format);
  progress.Done();
  if (!done) throw Exception(store->Message.Get());
  Out << "exported " << progress.Count() << (progress.Count() == 1 ? " node" : " nodes") << " of "
      << WideToUtf8(TvxConfigManager::Convert2VisKey(TvxConfigManager::PrepareKey(key))) << " to "
      << WideToUtf8(vxFileSystem::ChangeFileExt(file, u".xml")) << "\n";
  return 0;
}

int RunImport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  const TOptions options(Args, {"--file", "--key", "--connection", "--udl", "--table"},
                         {"--overwrite", "--keep-user-content", "--store-package", "--ignore-release"});
  const ustring file = Utf8ToWide(options.Required("--file"));
  const std::string* key = options.Find("--key");
  if (options.Flag("--keep-user-content") && !options.Flag("--overwrite"))
    throw std::invalid_argument("--keep-user-content goes with --overwrite");
  if (!vxFileSystem::FileExists(file)) throw Exception(u"the file " + file + u" does not exist");

  const std::unique_ptr<TvxConfigManager> store = OpenStore(options);
  TProgressLine progress(Err, StandardErrorIsTerminal(), "importing");
  ustring infoText;
  const bool done = store->Import(
      key ? Utf8ToWide(*key) : ustring(), file, infoText, [&progress](const ustring& Node) { progress.Update(Node); },
      options.Flag("--overwrite"), options.Flag("--store-package"), true, options.Flag("--keep-user-content"),
      options.Flag("--ignore-release"));
  progress.Done();
  if (!done) throw Exception(store->Message.Get());
  Out << "imported " << progress.Count() << (progress.Count() == 1 ? " node" : " nodes") << " from "
      << WideToUtf8(file) << "\n";
  if (!infoText.empty()) Out << WideToUtf8(infoText) << "\n";
  return 0;
}

}  // namespace vxStoreCommands
