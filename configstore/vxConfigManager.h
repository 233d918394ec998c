// TvxConfigManager: the configuration store. A hierarchical tree of nodes
// holding named, typed properties, kept in one table of a database (SQLite,
// the embedded default, or PostgreSQL) and read and written by "/"-separated
// keys. Keys resolve to node ids through a per-store cache; several processes
// sharing one table keep their caches coherent through the change ticks of the
// node "/varlo/Classes/Statuses". A watchdog thread checks the connection
// every DbConCheckInterval seconds and renews it when it is down.
//
// Failures: no operation lets an Exception out unless RaiseExceptions is set;
// each keeps the failure's text in Message, checks the connection and returns
// its failure value (Guarded below). Exceptions of other classes pass.
//
// Locks: DatabaseLock (re-entrant) serialises every statement with the reading
// of its rows; CacheLock, inside the key cache, guards its slots. CacheLock may
// be taken while DatabaseLock is held, never the reverse: no cache routine
// calls out of the cache while it holds its lock.
//
// The operations are split by topic over vxConfigManager*.cpp: connection and
// watchdog, keys, change state and cache, node walk, values, node and
// property lists, node XML and key parts, deleting, renaming and searching,
// export, import and packages.
#pragma once

#include <atomic>
#include <concepts>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "configstore/internal/vxConfigManagerTiming.h"
#include "configstore/vxConfigManagerCache.h"
#include "configstore/vxConfigManagerGuarded.h"
#include "configstore/vxConfigManagerWatchdog.h"
#include "configstore/vxExportDocument.h"
#include "core/vxTypes.h"
#include "foundation/vxADO.h"
#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxShortString.h"
#include "platform/lists/vxStringList.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/values/vxVariant.h"

// The two layouts of the table: V2 has the columns DIMENSION, CHANGEUSER and
// CHANGEDATE, V1 (older tables) lacks them.
enum TTableStructureType : uint8_t { TST_V1, TST_V2 };

// Where a key stands relative to a pattern (CompareKeys).
enum TvxKeyCompareResult : uint8_t {
  vxKCR_NoMatch,
  vxKCR_Identical,
  vxKCR_OneLevelLower,
  vxKCR_MoreThanOneLevelLower
};

// The type name of a stored property: at most 8 one-byte characters.
using TDataTypeStr = TShortString<8>;

struct TConfigKey {
  ustring Key;
  TIdType Id;
  bool Active = false;
};
using TConfigKeys = std::vector<TConfigKey>;

// A change flag and the tick count last written or seen for it.
struct TDbChangeFlag {
  ustring Flag;
  uint32_t Ticks = 0;
};
using TDbChangeFlags = std::vector<TDbChangeFlag>;

// Told the key of the node at hand by the list, export and import operations.
using TProgressCallBackProc = std::function<void(const ustring& CurNode)>;

// One node of a node list.
struct TConfigNode {
  TIdType Id;
  // KEYNAME with "/" written "%2F".
  ustring Name;
  // The full key, prepared ("a/b/").
  ustring Key;
  // The Name for children and root nodes; in a subtree list the key below
  // the subtree's root, named relative ("b/c").
  ustring RelKey;
};
using TConfigNodes = std::vector<TConfigNode>;

// One property of a property list.
struct TProperty {
  TIdType Id;
  ustring Name;  // trimmed
  // The name after a prefix (sub-property lists and SetPropertyValueByName).
  ustring SubName;
  // UpperStrW(Name): every by-name lookup compares with it.
  ustring SORTL;
  // The number Name (SubName in sub-property lists) holds; 0 for none.
  uint32_t SORTLN = 0;
  ustring Dimension;
  TDataTypeStr DataType;
  Variant Value;
  // Emptied by every read; nothing fills it.
  std::vector<Variant> Values;
  ustring User;
  TDateTime Changed = 0;
  // The node's visible key, or a path relative to a subtree's root.
  ustring Path;
};
using TProperties = std::vector<TProperty>;

enum TContextHelpArea : uint8_t { CH_System, CH_Customer, CH_None };

// One hit of Search.
struct TSearchResult {
  TIdType Id;
  ustring Name;   // the property's name; empty for a node
  ustring Key;    // visible key of the node holding the property, or of the node
  ustring Value;  // an excerpt of the value around the match
};
using TSearchResults = std::vector<TSearchResult>;

class TvxConfigManager {
 public:
  // Opens the store on UserConStr (empty: the host's data-link file) and the
  // table TableName. Never raises for a database problem: Message then holds
  // the failure's text. k7Init also resolves the class nodes and reads the
  // cache settings from the store (writing their defaults when missing).
  TvxConfigManager(bool k7Init, const ustring& UserConStr, const ustring& TableName);
  // Stops the watchdog (waiting for a check that runs), then frees the rest.
  virtual ~TvxConfigManager();
  TvxConfigManager(const TvxConfigManager&) = delete;
  TvxConfigManager& operator=(const TvxConfigManager&) = delete;

  // ---- Connection, layout and failure convention ---------------------------

  // Checks the connection and renews it when it is down, and at every fifth
  // check; true when it is usable afterwards.
  bool CheckADOConnection();
  // The connection's state, without renewing it.
  bool IsConnected();
  // TST_V2 when a query naming all eight columns runs, else TST_V1.
  TTableStructureType GetTableStructureType();
  // The change columns of the data set's row in edit or insert: the store's
  // user and now (first form, with TrackChanges), or the given ones (second
  // form, with TrackChanges or ForceTrackChanges and a user); only on TST_V2.
  bool ExtendRecord(TADODataSet& ADODataSet);
  bool ExtendRecord(TADODataSet& ADODataSet, const ustring& Username, TDateTime Date, bool ForceTrackChanges);
  // Id with blanks and control characters at either end removed is empty.
  static bool IsTIdStringEmpty(const TIdType& Id);
  // Raises Exception(MyMessage) when RaiseExceptions is set.
  void RaiseException(const ustring& MyMessage);
  // The watchdog's callback: the connection check, its result ignored.
  void WStringCheckCallBackProc();
  // The statement that finds one child node row of :PARENTID with :DATATYPE,
  // in the form of the database type; Exception "unsupported database type"
  // for a type without one.
  static ustring FirstRowStatement(TvxDatabaseType DatabaseType, const ustring& Table);

  // ---- Keys (no database, no lock, never fail) ---------------------------------

  // "/a/b" and "a/b/" give "a/b/"; "/" and "" give "".
  static ustring PrepareKey(const ustring& Key);
  // "a/b/" gives "/a/b".
  static ustring Convert2VisKey(const ustring& Key);
  // "/a/b/" gives "a/b".
  static ustring Convert2NamedRelKey(const ustring& Key);
  // "/" within a name as "%2F", and back (exactly "%2F").
  static ustring EncodeKeyPart(const ustring& KeyPart);
  static ustring DecodeKeyPart(const ustring& KeyPart);
  // The parent's visible key: "/a/b/c" gives "/a/b", "/a" gives "".
  static ustring GetNextLowerKey(const ustring& Key);
  // Where Key2 stands relative to the pattern Key1 ("*" matches one name).
  static TvxKeyCompareResult CompareKeys(const ustring& Key1, const ustring& Key2);
  // Trimming of keys and names: white space and control characters at both ends.
  static ustring TrimKey(const ustring& Text);
  // The same, trimming the text given in place.
  static ustring TrimKey(ustring&& Text);

  // ---- Change state -----------------------------------------------------------

  // Announces a structural change to the other stores on the table (k7Init).
  bool SetDatabaseChangeState();
  // True when no other store changed the tree since the last look; otherwise
  // resets the cache. Reads the table at most once per CacheCheckTime.
  bool CheckDatabaseChangeState();
  bool SetSpecificDatabaseChangeState(const ustring& Flag);
  bool CheckSpecificDatabaseChangeState(const ustring& Flag);

  // ---- Key cache ----------------------------------------------------------------

  bool InitCache();
  bool ResetCache();
  // Key is a prepared key; with CheckState the change check runs first.
  bool GetCacheKeyId(const ustring& Key, TIdType& KeyId, bool CheckState);
  // The key (prepared form) cached for KeyId, after the change check.
  bool GetCacheKeyById(const TIdType& KeyId, ustring& Key);
  bool SetCacheKeyId(const ustring& Key, const TIdType& KeyId);
  // Drops Key and every key below it.
  bool RemoveKeyFromCache(const ustring& Key);
  bool RemoveKeyIdFromCache(const TIdType& KeyId);

  // ---- Node walk ------------------------------------------------------------------

  // The id of Key's node; empty when a level is missing and Create is false,
  // which otherwise makes the missing nodes. Retries a failing statement and
  // raises Exception(Message) when it gives up, whatever RaiseExceptions says.
  TIdType GetParentTreeId(const ustring& Key, bool Create, bool ForceLoad);
  // The same without cache or retries; the last level made (or re-keyed, its
  // rows below it following) with the id DefKeyId where possible.
  TIdType GetParentTreeId(const ustring& Key, const TIdType& DefKeyId, bool Create);
  // The visible key of the node (a property's id gives its node's key);
  // empty for an unknown id.
  ustring GetKeyNameByNodeId(const TIdType& NodeId);

  // ---- Values --------------------------------------------------------------------------

  // Writes the property VarName of Key's node (made when missing) in the
  // typed text form with the value's type name; a value whose text and type
  // are stored already is left as it is.
  bool SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value);
  // With KeepUserContent, a value that a user changed (CHANGEUSER set) stays.
  template <std::same_as<bool> B>
  bool SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value, B KeepUserContent) {
    return SetConfigValueKeeping(Key, VarName, Value, KeepUserContent);
  }
  // With a type name of the caller's ("BOOL" is stored as "BOOLEAN"), the
  // store's user and now as the change.
  bool SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value, const TDataTypeStr& DataType);
  bool SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value, const TDataTypeStr& DataType,
                      bool KeepUserContent);
  bool SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value, const TDataTypeStr& DataType,
                      const ustring& User, TDateTime Date, bool ForceTrackChanges);
  // The typed value, or Default when the node or the row is missing (Create
  // then makes both); a Key without "/" is a node id.
  Variant GetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Default, bool Create);
  Variant GetConfigValueById(const TIdType& Id, const Variant& Default, bool Raw);
  bool ConfigValueExists(const ustring& Key, const ustring& VarName);
  bool ConfigValueChangedByUser(const ustring& Key, const ustring& VarName);

  // ---- Node lists ------------------------------------------------------------------------
  // Siblings come in the order of their names' UTF-16 code units, whatever
  // the table's collation; the keys listed go into the key cache.

  // The child nodes of Key; an empty list when Key's node is missing (Create
  // makes it).
  bool GetChildNodes(const ustring& Key, TConfigNodes& NodeList, bool Create);
  // The subtree below RootKey (made when missing), each node before its
  // descendants: inner nodes with AddParentNodes, leaves of the first level
  // with AddRootNodes, deeper leaves always; with AddRootKey the root first.
  // Read in one statement and walked without recursion.
  bool GetRecursiveChildNodes(const ustring& RootKey, TConfigNodes& NodeList, bool AddParentNodes,
                              bool AddRootNodes, bool AddRootKey);
  bool GetRootNodes(TConfigNodes& NodeList);
  // Whether Key's node (made when missing) has a child node.
  bool ChildNodesExists(const ustring& Key);
  // The same for a node id, from the key cache when it knows a key below it.
  bool ChildNodesExistsFast(const TIdType& ParentId);
  // Whether Key's node exists (or, with CanCreate, was made). The walk's
  // exception passes.
  bool NodeExists(const ustring& Key, bool CanCreate);
  // Whether Key's node has no property (child nodes do not count); true for
  // a missing node and on a failure.
  bool IsNodeEmpty(const ustring& Key);

  // The statement that reads the subtree below :PARENTID (nodes only, or
  // every row) with at most :MAXROWS rows, in the form of the database
  // type; Exception "unsupported database type" for a type without one.
  static ustring SubtreeStatement(TvxDatabaseType DatabaseType, const ustring& Table, bool NodesOnly);

  // ---- Property lists -------------------------------------------------------------------

  // The properties of Key's node whose names begin with PropertyPrefix (as
  // written: no wildcards, letter case counts), in name order. Values typed,
  // raw texts (Raw) or Null (without WithValues); binary ones only with
  // WithBinaries when values are read. ExtendList keeps the list and
  // overwrites entries of the same name unless AllowDuplicates. A missing
  // node gives true (no rows), or false when CanCreate could not make it.
  // ValueSeparator has no effect.
  bool GetNodeProperties(const ustring& Key, TProperties& Properties, bool WithValues, bool Raw, bool CanCreate,
                         const ustring& PropertyPrefix, const std::string& ValueSeparator, bool ExtendList,
                         bool WithBinaries, bool AllowDuplicates);
  // The statement GetNodeProperties runs for a layout and its switches.
  static ustring NodePropertiesStatement(TTableStructureType Layout, bool WithValues, bool WithBinaries,
                                         const ustring& Table);
  // Every property of the subtree of Key (Key's own first), appended; with
  // AddRelativePaths each Path relative to Key ("" for Key's own).
  bool GetRecursiveNodeProperties(const ustring& Key, TProperties& Properties, bool WithValues,
                                  bool AddRelativePaths);
  // The properties named PropertyPrefix + a number, or + a blank or "_" and
  // more text, with SubName the rest; with NumSort in the order of the
  // numbers (equal numbers in name order).
  bool GetNodeSubProperties(const ustring& Key, TProperties& Properties, const ustring& PropertyPrefix,
                            bool WithValues, bool NumSort);
  // Writes every entry below Key (with UsePropertyPath below Key + its
  // Path), with its DataType when ForceDataType; stops at an exception.
  bool SaveNodeProperties(const ustring& Key, TProperties& Properties, bool ForceDataType, bool UsePropertyPath,
                          const TProgressCallBackProc& CallBack);

  // In memory, by name compared after UpperStrW.
  static int32_t GetPropertyIdByName(const ustring& Name, const TProperties& Properties);
  // The entry's value, else Default (with Extend appended as a new entry).
  Variant GetPropertyValueByName(const ustring& Name, const Variant& Default, TProperties& Properties, bool Extend);
  static Variant GetPropertyValueByName(const ustring& Name, const Variant& Default, const TProperties& Properties,
                                        const TProperties& DefaultProperties);
  // True when an entry was updated, false when one was appended.
  bool SetPropertyValueByName(const ustring& Name, const ustring& SubName, const Variant& Value,
                              TProperties& Properties);
  bool SetPropertyValueByName(const ustring& Name, const Variant& Value, TProperties& Properties);
  static bool DeletePropertyValueByName(const ustring& Name, TProperties& Properties);

  // The help text of Key from the system help node, else from the customer's.
  bool Check4ContextHelp(const ustring& Key, ustring& HelpBuffer, TContextHelpArea& CHArea);

  // ---- Node XML, key parts, short paths ----------------------------------------------

  // The node's properties as an XML configuration string (root "vxConfig",
  // typed); empty when they cannot be read.
  std::string GetNodeXML(const ustring& Key);
  // The nodes below Key (the subtree with Recursive) as "Node" entries of an
  // XML configuration string (root "vxNodes"): their keys, their names
  // (RelativeNames and JustNames) or their keys below Key (RelativeNames).
  std::string GetNodesXML(const ustring& Key, bool Recursive, bool RelativeNames, bool JustNames);
  // Writes the entries of an XML configuration string as properties of
  // Key's node; false, writing nothing, when XML does not parse.
  bool SaveNodeXML(const ustring& Key, std::string& XML);
  // The node names of Key from the root down, in key form ("%2F" stays).
  static bool GetNodeParts(const ustring& Key, TStringList& NodeParts);
  // The last node name of Key; empty for none.
  static ustring GetTopNodeName(const ustring& Key);
  // Path, or its first names + ".../" + its last name, shorter than MaxLen
  // (UTF-16 code units) unless the last name alone is too long.
  static ustring GetShortPath(const ustring& Path, int32_t MaxLen);
  // Whether Key is one of the namespace roots of resources and scripts, or a
  // node on the way to one.
  static bool IsNameSpaceNode(const ustring& Key);

  // ---- Deleting, renaming, searching ---------------------------------------------------

  // Deletes the property VarName of Key's node (with DeleteAlike every
  // property whose name begins with VarName, as written); child nodes stay.
  bool DeleteConfigValue(const ustring& Key, const ustring& VarName, bool DeleteAlike);
  // Deletes the property row PropertyId; a node's id deletes nothing.
  bool DeleteConfigValueById(const TIdType& PropertyId);
  // Deletes Key's node with its subtree, the deepest rows first; with
  // BackupChanges the subtree is first exported into the host's backup
  // folder, and nothing is deleted when that fails ("backup failed (...)!").
  // False with an empty Message when the node does not exist.
  bool DeleteConfigTree(const ustring& Key);
  // Deletes every property of Key's node (created when missing); its child
  // nodes stay. With BackupChanges the properties are first exported into
  // the host's backup folder ("backup failed!" and nothing deleted when that
  // fails). Neither the cache nor the change state is touched.
  bool DeleteNodeProperties(const ustring& Key);
  // Copies the named properties of Key, with the user, dates, the
  // persistence mark and Comment, into a new node "Backup_" + time stamp
  // below "/varlo/Classes/Backups" + Key. With MaxBackups >= 0 the backups
  // beyond MaxBackups (persistent ones counted, but never removed) go
  // first, the oldest ordinary ones first. Always True; the failures of the
  // single writes stay in Message.
  bool CreateBackup(const ustring& Key, const std::vector<ustring>& Properties, const ustring& Comment,
                    int32_t MaxBackups, bool Persistent);
  // Sorts by Name, UTF-16 code units compared, equal names kept in order.
  static bool SortNodes(TConfigNodes& NodeList);
  // Renames the row KeyId; refused for an empty name or a name a sibling
  // has (letter case counts). "%2F" in NewName stands for "/". Every cached
  // key below the old one is dropped.
  bool RenameKeyById(const TIdType& KeyId, const ustring& NewName);
  bool RenameKey(const ustring& Key, const ustring& NewName);
  // Nodes and non-binary properties whose name or value matches Value
  // ("*" any text, every other character itself; letter case does not
  // count; without "*" anywhere in the text), in name order, at most MaxHits
  // when MaxHits > 0.
  bool Search(const ustring& Value, int32_t MaxHits, TSearchResults& Results);

  // ---- Services, cluster and instance state ----------------------------------------
  // The family's services below "/varlo/Software/varlo enterprise daemon/Services",
  // one node a service, matched by the file name of its "ServicePath" (or by
  // port); the cluster node is TvxVarlo::GetClusterNode. No lock of their own.

  // The format settings of the locale, overridden by the locale node's eight
  // values (each missing one written with the locale's).
  TFormatSettings GetK7FormatSettings();
  // Writes Token and the process id, and with InstancePort > 0 (unless URLs
  // are kept by hand) the port and the instance's URL, into the instance
  // node of every service whose executable is ours or whose "RootPort" +
  // InstanceId is InstancePort; true when one was written.
  bool PublishInstanceToken(const TIdType& Token, int32_t InstanceId, int32_t InstancePort);
  // Mirrors the subtree below SourcePath into "/varlo/Permissions/Objects/"
  // + PermissionObject: every source node (with CheckActiveState only the
  // "Active" ones) gets its "Roles" and "SingleInstance" there, and target
  // nodes without such a source go unless a session holds them ("SessionToken").
  // True when both subtrees could be listed.
  bool PublishPermissionObjects(const ustring& SourcePath, const ustring& PermissionObject, bool SingleInstance,
                                bool CheckActiveState);
  // Marks our own service's instance ready; true when it was found.
  bool PublishReadyState(int32_t InstanceId);
  // Clears the ready flags of the instances of every active service on
  // ClusterNode (node 0 first takes the service's instance count); true.
  bool ResetReadyStates(int32_t ClusterNode);
  // The instances on ClusterNode that published a token and are not ready.
  int32_t CheckReadyStates(int32_t ClusterNode);
  // Asks the main daemon to tell this instance of ChangeEvent; true when it
  // answered 200. Never raises: a failure's text goes to Message.
  bool RegisterServiceToChangeEvent(const ustring& ChangeEvent, const ustring& InstanceToken);
  // The URL of a service's instance (with a final "/", the main daemon's as
  // stored), else the default port's on localhost, else empty.
  ustring GetServiceUrl(TvxEnterpriseService Service, int32_t ClusterNode, int32_t InstanceId);
  // The token of a service's instance, or empty.
  ustring GetServiceToken(TvxEnterpriseService Service, int32_t ClusterNode, int32_t InstanceId);

  // ---- Export ---------------------------------------------------------------------

  // Writes RootKey's node (with its subtree when SubNodes) into the export
  // document FileName, its extension replaced by ".xml", as a plain export
  // or, with AsPackage, a package; a package file that exists is added to
  // unless OverwritePackage. The file is written beside its place and put
  // there whole, so a failed export leaves the old file as it was.
  // ValidProperties (nullptr: all) names the properties written. True when
  // the file was written; else False with the failure in Message (raised
  // with RaiseExceptions).
  bool Export(const ustring& RootKey, const ustring& FileName, bool SubNodes, bool AsPackage,
              const ustring& PackageName, const ustring& PackageVersion, const ustring& InfoText,
              bool OverwritePackage, TCharEncodeType Encoding, const TProgressCallBackProc& CallBack,
              const TStrings* ValidProperties, TvxPackageDescriptionType InfoTextType, bool PWProtectScripts,
              const std::string& ScriptPassword, bool IncludeChangeInfos, const ustring& ReleaseRequired,
              TvxExportFormatVersion FormatVersion);

  // ---- Import and packages ------------------------------------------------------------

  // Writes the nodes and properties of the export document FileName (or of
  // every document of the zip archive FileName, in archive order) into the
  // store and records imported packages. False when FileName does not exist
  // (nothing else happens) or on a failure (Message, raised with
  // RaiseExceptions). Where the database allows, the whole import is one
  // transaction: a failed import leaves the store as it was.
  bool Import(const ustring& RootKey, const ustring& FileName, ustring& InfoText, const TProgressCallBackProc& CallBack,
              bool Overwrite, bool UploadPackageData, bool OnlyNodeCallback, bool KeepUserContent,
              bool IgnoreReleaseWarning);
  // The header of a loaded document; "Unknown XML filetype!" or "Package
  // hash mismatch (" + Hash + ")!" in Message (raised with RaiseExceptions).
  Tk7PackageInformation GetPackageInformation(const TXMLDocument& XMLDocument);
  // The header of the file; nothing when it does not exist.
  Tk7PackageInformation GetPackageInformation(const ustring& FileName);
  // The header and the node list of the file.
  Tk7PackageInformation GetPackageDetails(const ustring& FileName, bool IncludeProperties);
  bool GetPackageDetails(const ustring& FileName, bool& IsPackage, ustring& InfoText, ustring& InfoTextType,
                         ustring& PackageName, ustring& PackageVersion, ustring& PackageId, TvxPackageNodes& NodeList);
  static TvxExportFormatVersion GetExportFormatVersion(const ustring& Version);
  static ustring GetExportFormatVersionStr(TvxExportFormatVersion Version);
  static TvxPackageDescriptionType GetPackageDescriptionType(const ustring& DType);
  static ustring GetPackageDescriptionTypeStr(TvxPackageDescriptionType DType);
  static ustring K7PathToWindowsPath(const ustring& Path);

  // ---- Public fields (any thread may set them at any time) --------------------

  TGuarded<ustring> Message;
  const std::string Version = "5.4.0";
  const ustring CfgTabName;
  std::atomic<bool> BackupChanges{true};
  // Counts only while the store is made; clamped to 0 .. MaxCacheSize.
  std::atomic<int32_t> CacheSize{1000};
  std::atomic<uint32_t> CacheLeaseTime{600000};  // ms
  std::atomic<uint32_t> CacheCheckTime{5000};    // ms
  std::atomic<bool> CacheEnabled{true};
  std::atomic<bool> RaiseExceptions{false};
  TGuarded<ustring> Username;
  std::atomic<TTableStructureType> TableStructureType{TST_V1};
  std::atomic<bool> TrackChanges{false};
  TGuarded<TIdType> KId_ClassesStyleIcons;
  TGuarded<TIdType> KId_ClassesContextHelpSys;
  TGuarded<TIdType> KId_ClassesContextHelpCus;
  TGuarded<TIdType> KId_ClassesStatus;
  TGuarded<TIdType> KId_ClassesLocale;

  // The most cache slots a store gets, whatever "ConfigCacheSize" says.
  static constexpr int32_t MaxCacheSize = 100000;

 private:
  // ---- Fields, in the order of the store's description --------------------------
  std::unique_ptr<TADOConnection> ADOConnection;
  std::unique_ptr<TvxADODataSet> ADODataSet;
  std::unique_ptr<TADOCommand> ADOCommand;
  ustring ConnectionString;
  bool k7Mode = false;
  TConfigKeys ConfigKeys;
  std::recursive_mutex DatabaseLock;
  // CacheLock is the key cache's own (TConfigCache).
  std::unique_ptr<THelperThread> HelperThread;
  TConfigCache ConfigCache;
  std::atomic<uint32_t> LastDbChangeTicks{0};
  std::atomic<uint32_t> LastDbChangeTicksTest{0};
  TDbChangeFlags DbChangeFlags;
  std::mutex DbChangeFlagsLock;
  int32_t MaxDbRetry = 2;
  TvxDatabaseType DatabaseType = vxDBT_MSSQL;
  std::atomic<int32_t> ADOConCheckCount{0};

  // ---- Helpers ------------------------------------------------------------------
  TConfigManagerTiming FTiming;
  // Set all five class-node ids are known (they are only ever replaced).
  std::atomic<bool> FClassNodeIdsLoaded{false};
  // Closing: pauses of the connection check end at once.
  std::mutex FClosingLock;
  std::condition_variable FClosingWake;
  bool FClosing = false;

  uint32_t Ticks() const { return FTiming.Ticks(); }
  // CheckDatabaseChangeState at the tick count Now.
  bool CheckDatabaseChangeStateAt(uint32_t Now);
  // Waits Pause, or less when the store closes; false when it closes.
  bool PauseUnlessClosing(std::chrono::milliseconds Pause);
  // CheckADOConnection, telling whether the connection was down (or could not
  // be asked) before the check.
  bool CheckConnection(bool& WasDown);
  // Makes a connection with the settings of the store (time-outs from the
  // registry) and opens it once; true when it is connected.
  bool OpenConnection(TADOConnection& Connection, int32_t TimeoutSeconds);
  // The status of the provider property "Connection Status": "1" up, "-1"
  // when it cannot be read.
  ustring ConnectionStatus();
  ustring ProviderName();
  // A registry value of "SOFTWARE\varlo\System\" (HKEY_LOCAL_MACHINE).
  static int32_t RegistryInteger(const ustring& Name, int32_t Default);

  void LoadClassNodeIds(bool Force);

  // The service nodes (false when they cannot be listed), the lower-cased
  // file name of this process's executable and of a node's "ServicePath".
  bool ServiceNodes(TConfigNodes& Nodes);
  static ustring OwnExecutable();
  ustring ServiceExecutable(const TConfigNode& Node);
  // The name of the first service node whose executable is Executable;
  // empty when none is.
  ustring FindServiceByExecutable(const ustring& Executable);
  // Calls Instance(instance node key) for each instance of each active
  // service on ClusterNode (ResetReadyStates and CheckReadyStates).
  void ForEachClusterInstance(int32_t ClusterNode, bool PrepareNodeZero,
                              const std::function<void(const ustring& InstanceKey)>& Instance);

  // The store's failure convention around Work: on an Exception, Message
  // takes its text, the connection is checked, RaiseException runs and the
  // result is Failure. Other exceptions pass.
  template <class TResult, class TWork>
  TResult Guarded(TResult Failure, TWork Work);
  void Failed(const Exception& Error);
  // The convention without the connection check: on an Exception, Message
  // takes its text and RaiseException runs; the result is Failure.
  template <class TResult, class TWork>
  TResult Reported(TResult Failure, TWork Work);

  // Exports Key (its subtree with SubNodes) into a new file of the host's
  // backup folder named FileStem + time stamp + ".xml" before a delete;
  // raises "backup failed (" + the failure + ")!" (NameTheFailure) or
  // "backup failed!" when no file was written.
  void BackupBeforeDelete(const ustring& Key, const ustring& FileStem, bool SubNodes, bool NameTheFailure);

  // ---- Export documents ---------------------------------------------------------
  // The export document in the file; EOSError when the file cannot be read,
  // EDOMParseError when it is no XML document.
  static TXMLDocument LoadExportDocument(const ustring& FileName);
  // The document's header into Info; for a document that is no export
  // document or a package whose hash does not match, Message says so (and
  // RaiseException runs).
  vxExportDocument::THeaderState ReadPackageHeader(const TXMLDocument& XMLDocument, Tk7PackageInformation& Info);

  // ---- Lists -------------------------------------------------------------------------
  // One row of a subtree.
  struct TSubtreeRow {
    ustring Id;
    ustring ParentId;
    ustring Name;
    bool Node = false;
  };
  // The children of ParentId (empty: the first level), with keys below
  // PreparedKey, in name order; cached.
  void ReadChildNodes(const ustring& PreparedKey, const TIdType& ParentId, TConfigNodes& NodeList);
  // Every row below RootId (nodes only with NodesOnly), in one statement;
  // Exception when the table's parent ids lead round in a circle that does
  // not pass the root.
  std::vector<TSubtreeRow> ReadSubtree(const TIdType& RootId, bool NodesOnly);
  // Puts the nodes of a listing from From on into the key cache.
  void CacheNodes(const TConfigNodes& Nodes, size_t From);
  // An id as read from the table (its ASCII taken over unit by unit).
  static TIdType IdOfText(std::u16string_view Text);
  // Runs Work in a transaction of its own, DatabaseLock held throughout; a
  // failure rolls back and passes. Inside an open transaction Work becomes
  // part of it. While one is open the connection is not renewed (that would
  // end it unseen), and it is committed only when a last statement shows it
  // intact.
  void InTransaction(const std::function<void()>& Work);
  // After a rollback: node ids of rows that went with it may be cached.
  void ForgetUncommittedIds();
  // Open transactions (InTransaction) of this store; under DatabaseLock.
  int32_t FTransactionDepth = 0;

  bool SetConfigValueKeeping(const ustring& Key, const ustring& VarName, const Variant& Value, bool KeepUserContent);
  // The node id a reading operation names: the walk's result for a key with
  // "/", else the text itself as an id.
  TIdType NodeIdOf(const ustring& Key, bool Create);
  // Opens the data set on Sql with the parameters given as name/value pairs.
  void OpenDataSet(const ustring& Sql, std::initializer_list<std::pair<const char16_t*, Variant>> Params);
  // The condition on PARENTID for the first level (empty id) or below it.
  static ustring ParentCondition(const TIdType& ParentId);
  // Appends a node row below ParentId (empty: the first level) to the open
  // data set; the new id.
  TIdType AppendNode(const TIdType& ParentId, const ustring& Name, const TIdType& Id);
  // Writes the property row Name below NodeId with DatabaseLock held: edits
  // the row found (unless Unchanged, given, says its stored text and type may
  // stay) or appends one; a row another writer appended meanwhile is edited
  // instead. MarkChange fills the change columns.
  using TUnchanged = std::function<bool(const ustring& StoredText, const ustring& StoredType)>;
  void WriteProperty(const TIdType& NodeId, const ustring& Name, const ustring& TypeText, const ustring& Text,
                     const TUnchanged& Unchanged, const std::function<void(TADODataSet&)>& MarkChange);
  // Changes the id of a node row and of the rows below it, in one transaction.
  void ReKeyNode(const TIdType& OldId, const TIdType& NewId);
  // The text a value is stored as, and its type name.
  static ustring StoredText(const Variant& Value);
  static ustring StoredTypeName(const Variant& Value);
  static ustring CutTypeName(const ustring& TypeName);
};

template <class TResult, class TWork>
TResult TvxConfigManager::Guarded(TResult Failure, TWork Work) {
  try {
    return Work();
  } catch (const Exception& e) {
    Failed(e);
    return Failure;
  }
}

template <class TResult, class TWork>
TResult TvxConfigManager::Reported(TResult Failure, TWork Work) {
  try {
    return Work();
  } catch (const Exception& e) {
    Message = e.Message();
    RaiseException(Message);
    return Failure;
  }
}
