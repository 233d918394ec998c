// The value types the whole system shares, and the text forms of its
// enumerations. The subsystems exchange these by value and by ordinal (a log
// type travels as its ordinal, a database kind is stored by ordinal), so the
// member order is a contract: append, never reorder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxShortString.h"
#include "platform/base/vxThreadPriority.h"
#include "platform/values/vxVariant.h"

// ---- Enumerations ---------------------------------------------------------

// Which time stamp of a file to set.
enum TFileTimes : uint8_t { ftLastAccess, ftLastWrite, ftCreation };

// File lists by age.
enum TFileAge : uint8_t { faYounger, faOlder };

// Character encoding of the configuration store's XML export.
enum TCharEncodeType : uint8_t { vxCE_UTF8, vxCE_UTF16 };

// Kind of input control of a scheme field.
enum TvxSchemeFieldType : uint8_t {
  vxSFT_Editbox,
  vxSFT_Checkbox,
  vxSFT_Combobox,
  vxSFT_Memobox,
  vxSFT_Datebox,
  vxSFT_Separator,
};

// Type of a log record and of a document-log entry.
enum TvxLogInfoType : uint8_t {
  vxLog_Info,
  vxLog_Error,
  vxLog_Warning,
  vxLog_Success,
  vxLog_Debug,
  vxLog_Trace,
  vxLog_Process,
  vxLog_Startup,
  vxLog_Shutdown,
  vxLog_Critical,
  vxLog_Note,
  vxLog_User,
  vxLog_Verify,
  vxLog_Create,
  vxLog_Modify,
  vxLog_Delete,
  vxLog_Input,
  vxLog_Blob,
  vxLog_Meta,
  vxLog_Subject,
  vxLog_Register,
  vxLog_Import,
  vxLog_Export,
  vxLog_Unknown,
};

// Origin of a log record.
enum TvxLogOriginType : uint8_t { vxLOT_System, vxLOT_User };

// Kind of the database behind the host installation. SQLite and PostgreSQL
// come last so that the stored ordinals of the others stay.
enum TvxDatabaseType : uint8_t {
  vxDBT_Unknown = 0,
  vxDBT_K7 = 1,
  vxDBT_MSSQL = 2,
  vxDBT_MSSQL2000 = 3,
  vxDBT_MSSQL2005 = 4,
  vxDBT_MSSQL2008 = 5,
  vxDBT_MSSQL2012 = 6,
  vxDBT_MSSQL2014 = 7,
  vxDBT_MSSQL2016 = 8,
  vxDBT_MySQL = 9,
  vxDBT_Oracle = 10,
  vxDBT_DB2 = 11,
  vxDBT_Informix = 12,
  vxDBT_SQLite = 13,
  vxDBT_PostgreSQL = 14,
};

// Transaction statement to generate.
enum TvxTransactionType : uint8_t { vxTT_Begin, vxTT_Commit, vxTT_RollBack };

// The host product's theme switch.
enum TvxThemeOption : uint8_t { vxTO_Unknown, vxTO_Enabled, vxTO_Disabled };

// Data type of a field.
enum TvxFieldDataType : uint8_t {
  vxFDT_Text,
  vxFDT_VarChar,
  vxFDT_Date,
  vxFDT_Numeric,
  vxFDT_Float,
  vxFDT_Currency,
  vxFDT_Boolean,
};

// Encoding of a URL parameter value.
enum TvxEncoding : uint8_t {
  vxENC_None,
  vxENC_Base64,
  vxENC_Strong,
  vxENC_Mega,
  vxENC_DCW,
  vxENC_Service,
  vxENC_Internal,
};

// Outside OCR engine whose data folder the host environment looks up.
enum TvxOCREngine : uint8_t {
  vxOCR_Unknown,
  vxOCR_FineReader,
  vxOCR_Transym,
  vxOCR_Tesseract,
  vxOCR_MSO,
  vxOCR_Nicomsoft,
};

// Outside recognition engine.
enum TvxRecognitionEngine : uint8_t {
  vxRE_Unknown,
  vxRE_Amyuni,
  vxRE_Orpalis,
  vxRE_FineReader,
  vxRE_Transym,
  vxRE_Tesseract,
  vxRE_Nicomsoft,
  vxRE_FreeOCR,
};

// Kind of SQL statement.
enum TvxSQLQueryType : uint8_t { vxSQT_SELECT, vxSQT_INSERT, vxSQT_UPDATE, vxSQT_DELETE };

// Processor platform of an executable.
enum TvxCPUPlatform : uint8_t { vxCPU_x86, vxCPU_x64, vxCPU_Unknown };

// Platform of a plug-in; its text names the platform folder of the plug-in
// folders.
enum TvxOSPlatform : uint8_t {
  vxOSP_Unknown,
  vxOSP_Common,
  vxOSP_Win32,
  vxOSP_Win64,
  vxOSP_None,
  vxOSP_Linux32,
  vxOSP_Linux64,
};

// How extra HTTP headers are handed to the HTTP routines.
enum TvxHTTPHeaderType : uint8_t { vxHHT_Custom, vxHHT_Raw };

// One member per service of the host product family; the ordinals are what
// the configuration store's look-ups and the default ports go by.
enum TvxEnterpriseService : uint8_t {
  vxES_Workflow = 0,
  vxES_Import = 1,
  vxES_Recognition = 2,
  vxES_Conversion = 3,
  vxES_Export = 4,
  vxES_Archive = 5,
  vxES_Index = 6,
  vxES_Classification = 7,
  vxES_Validation = 8,
  vxES_Mail = 9,
  vxES_Scan = 10,
  vxES_Print = 11,
  vxES_Fax = 12,
  vxES_Web = 13,
  vxES_Daemon = 14,  // the family's main daemon
  vxES_Monitor = 15,
};

// Method of an HTTP request object.
enum TvxHTTPCommands : uint8_t {
  vxHC_Unknown,
  vxHC_None,
  vxHC_Head,
  vxHC_Get,
  vxHC_Post,
  vxHC_Delete,
  vxHC_Put,
  vxHC_Trace,
  vxHC_Option,
  vxHC_Options,
  vxHC_Patch,
  vxHC_Copy,
  vxHC_Lock,
  vxHC_Unlock,
  vxHC_Mkcol,
  vxHC_Move,
  vxHC_Propfind,
  vxHC_Proppatch,
  vxHC_Link,
  vxHC_Unlink,
  vxHC_Purge,
  vxHC_View,
};

// Cipher method.
enum TvxCryptingMethod : uint8_t { vxCM_None, vxCM_3DES, vxCM_AES256 };

// PDF conformance level.
enum TvxPDFConformance : uint8_t {
  vxPDF_Unknown,
  vxPDF_Common,
  vxPDF_A_1a,
  vxPDF_A_1b,
  vxPDF_A_2a,
  vxPDF_A_2b,
  vxPDF_A_2u,
  vxPDF_A_3a,
  vxPDF_A_3b,
  vxPDF_A_3u,
  vxPDF_UA_1,
  vxPDF_1_0,
  vxPDF_1_1,
  vxPDF_1_2,
  vxPDF_1_3,
  vxPDF_1_4,
  vxPDF_1_5,
  vxPDF_1_6,
  vxPDF_1_7,
  vxPDF_2_0,
};

// Windows version of the running system.
enum TvxWindowsVersion : uint8_t {
  vxWV_Unknown,
  vxWV_WinNT,
  vxWV_Win2000,
  vxWV_WinXP,
  vxWV_WinVista,
  vxWV_Win7,
  vxWV_Win8,
  vxWV_Win8_1,
  vxWV_Win10,
  vxWV_WinServer2003,
  vxWV_WinServer2003R2,
  vxWV_WinServer2008,
  vxWV_WinServer2008R2,
  vxWV_WinServer2012,
  vxWV_WinServer2012R2,
  vxWV_WinServer2016,
};

// Result of comparing two TvxVersion values.
enum TvxVersionComparison : uint8_t { vxVC_Unknown, vxVC_Identical, vxVC_Older, vxVC_Newer };

// Kind of plug-in of the host product; selects a plug-in folder.
enum TEngineType : uint8_t {
  vxET_Unknown,
  vxET_ExportService,
  vxET_ConversionEngine,
  vxET_UserExit,
  vxET_RecognitionEngine,
  vxET_ImportEngine,
  vxET_WorkerEngine,
};

// Family of an IP address text.
enum TvxIPType : uint8_t { vxIPv4, vxIPv6, vxIPUnknown };

// ---- Records and arrays -----------------------------------------------------

// A rectangle relative to its page.
struct TRelRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  double Width = 0;
  double Height = 0;
  friend bool operator==(const TRelRect&, const TRelRect&) = default;
};

// A rectangle in whole units (pixels).
struct TAdvRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TAdvRect&, const TAdvRect&) = default;
};

struct TvxVersion {
  uint32_t Major = 0;
  uint32_t Minor = 0;
  uint32_t Revision = 0;
  uint32_t Build = 0;
  friend bool operator==(const TvxVersion&, const TvxVersion&) = default;
};

// One alternative reading of a document field.
struct TvxAlternativeValue {
  ustring Value;
  Variant VarValue;
  TVarType VarType = varEmpty;
  double Confidence = 0;
  TRelRect Zone;
  int32_t Page = 0;
};
using TvxAlternativeValues = std::vector<TvxAlternativeValue>;

// One field of a document with its recognition data: internal and external
// name, the value as text and typed, confidence, zone, page and the
// alternative readings.
struct TvxMetaField {
  ustring IntField;
  ustring ExtField;
  ustring Value;
  Variant VarValue;
  TVarType VarType = varEmpty;
  double Confidence = 0;
  TRelRect Zone;
  int32_t Page = 0;
  TvxAlternativeValues Alternatives;
};
// A document's fields.
using TvxMetaData = std::vector<TvxMetaField>;

struct TvxUrlParam {
  ustring Param;
  ustring Value;
  std::string RawValue;  // 8-bit
  TvxEncoding Encoding = vxENC_None;
};
using TvxUrlParams = std::vector<TvxUrlParam>;

struct TvxKeyValue {
  ustring Key;
  ustring Value;
};
using TvxKeyValueList = std::vector<TvxKeyValue>;

// The version-resource texts of a module.
struct TvxFileInfo {
  ustring CompanyName;
  ustring FileDescription;
  ustring FileVersion;
  ustring InternalName;
  ustring LegalCopyright;
  ustring LegalTrademarks;
  ustring OriginalFilename;
  ustring ProductName;
  ustring ProductVersion;
  ustring Comment;
  friend bool operator==(const TvxFileInfo&, const TvxFileInfo&) = default;
};

struct TvxIPAddress {
  ustring Address;
  TvxIPType IPType = vxIPv4;
  std::vector<int32_t> OctetArray;
};
using TvxIPRanges = std::vector<TvxIPAddress>;

using TStringArray = std::vector<ustring>;
using TWideStringArray = std::vector<ustring>;

// A 32-character identifier (the upper-case hexadecimal digits of a GUID,
// the node and key ids of the configuration store); longer text is cut to
// its first 32 characters on assignment.
using TIdType = TShortString<32>;

// ---- Text forms of the enumerations ----------------------------------------
//
// Writers give a member's text (an ordinal outside the members gives the
// text the writer lists for "other"); readers normalise their argument as
// each says and compare exactly, the first match giving the member. The
// writers and readers are not all inverse to each other. None raises.
namespace TvxTypes {

ustring GetThreadPriorityStr(TThreadPriority Priority);
// 0 .. 6 give the priority of that ordinal, anything else tpLower.
TThreadPriority GetThreadPriority(int32_t Priority);

ustring GetSchemeFieldTypeStr(TvxSchemeFieldType FieldType);
// Trimmed, upper-cased; no match gives vxSFT_Editbox.
TvxSchemeFieldType GetSchemeFieldTypeFromStr(const ustring& FieldType);

ustring GetCPUPlatformStr(TvxCPUPlatform CPUPlatform);
TvxCPUPlatform GetCPUPlatformFromOSPlatform(TvxOSPlatform OSPlatform);

// vxOSP_None gives the empty text; the Linux members "Unknown".
ustring GetOSPlatformStr(TvxOSPlatform OSPlatform);
// Trimmed, upper-cased; knows "WIN32", "WIN64" and "COMMON", else Default.
TvxOSPlatform GetOSPlatformFromStr(const ustring& OSPlatform, TvxOSPlatform Default);

// The lower-case executable file name of a service; the empty text for an
// ordinal beyond the table.
ustring GetEnterpriseServiceStr(TvxEnterpriseService Service);

// vxFDT_Text and vxFDT_VarChar both give "STRING".
ustring GetFieldDataTypeStr(TvxFieldDataType FieldDataType);
// Upper-cased but not trimmed; no match gives vxFDT_Text.
TvxFieldDataType GetFieldDataTypeFromStr(const ustring& FieldDataType);

// vxDBT_K7 and vxDBT_MSSQL2016 give "Unknown".
ustring GetDatabaseTypeStr(TvxDatabaseType DbType);
// Trimmed, upper-cased; knows only the unversioned names, so "MSSQL2005"
// reads as vxDBT_Unknown.
TvxDatabaseType GetDatabaseType(const ustring& DbType);

ustring GetWindowsVersionTypeStr(TvxWindowsVersion WinVer);

// Upper-cased but not trimmed; no match gives vxCM_None.
TvxCryptingMethod GetEncryptionType(const ustring& CryptStr);
// vxCM_None gives the empty text.
ustring GetEncryptionTypeStr(TvxCryptingMethod Encryption);

// Upper-cased but not trimmed ("PDF_A_2U"); no match gives vxPDF_Unknown.
TvxPDFConformance GetPDFConformanceType(const ustring& ConformanceStr);

// The member's word after "vxLog_" in lower case.
ustring GetLogTypeText(TvxLogInfoType Typ);
// Lower-cased, then trimmed; no match gives vxLog_Unknown.
TvxLogInfoType GetLogTypeFromText(const ustring& Typ);

ustring GetOCREngineTypeText(TvxOCREngine Typ);
// Lower-cased, then trimmed; no match gives vxOCR_Unknown.
TvxOCREngine GetOCREngineTypeFromText(const ustring& Typ);

ustring GetRecoEngineTypeText(TvxRecognitionEngine Typ);
// Lower-cased, then trimmed; no match gives vxRE_Unknown.
TvxRecognitionEngine GetRecoEngineTypeFromText(const ustring& Typ);

}  // namespace TvxTypes

// The typed values, rectangles and sets of TvxTypes, which use the records
// above.
#include "core/vxTypesRectsSets.h"
#include "core/vxTypesValues.h"
