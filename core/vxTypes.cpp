// The value types the whole system shares, and the text forms of its
// enumerations.
#include "core/vxTypes.h"

#include <span>

#include "core/vxToolsEvo2.h"
#include "platform/base/vxRuntime.h"

namespace {

template <class E>
struct TextOf {
  E Member;
  const char16_t* Text;
};

// The text listed for Member, or Other when the table does not list it.
template <class E>
ustring WriteText(E member, std::span<const TextOf<E>> table, const char16_t* other) {
  for (const TextOf<E>& entry : table)
    if (entry.Member == member) return entry.Text;
  return other;
}

// The member of the first text equal to Text, or NoMatch.
template <class E>
E ReadText(const ustring& text, std::span<const TextOf<E>> table, E noMatch) {
  for (const TextOf<E>& entry : table)
    if (text == entry.Text) return entry.Member;
  return noMatch;
}

ustring TrimUpper(const ustring& s) { return UpperStrW(vxRuntime::Trim(s)); }
ustring LowerTrim(const ustring& s) { return vxRuntime::Trim(LowerStrW(s)); }

constexpr TextOf<TThreadPriority> kThreadPriorityTexts[] = {
    {tpIdle, u"Idle"},     {tpLowest, u"Lowest"},   {tpNormal, u"Normal"},
    {tpHigher, u"Higher"}, {tpHighest, u"Highest"}, {tpTimeCritical, u"Timecritical"},
};

constexpr TextOf<TvxSchemeFieldType> kSchemeFieldTypeTexts[] = {
    {vxSFT_Checkbox, u"Checkbox"}, {vxSFT_Combobox, u"Combobox"},   {vxSFT_Memobox, u"Memobox"},
    {vxSFT_Datebox, u"Datebox"},   {vxSFT_Separator, u"Separator"},
};
constexpr TextOf<TvxSchemeFieldType> kSchemeFieldTypeNames[] = {
    {vxSFT_Editbox, u"EDITBOX"}, {vxSFT_Checkbox, u"CHECKBOX"}, {vxSFT_Combobox, u"COMBOBOX"},
    {vxSFT_Memobox, u"MEMOBOX"}, {vxSFT_Datebox, u"DATEBOX"},   {vxSFT_Separator, u"SEPARATOR"},
};

constexpr TextOf<TvxCPUPlatform> kCPUPlatformTexts[] = {{vxCPU_x86, u"x86"}, {vxCPU_x64, u"x64"}};

constexpr TextOf<TvxOSPlatform> kOSPlatformTexts[] = {
    {vxOSP_Common, u"Common"}, {vxOSP_Win32, u"Win32"}, {vxOSP_Win64, u"Win64"}, {vxOSP_None, u""}};
constexpr TextOf<TvxOSPlatform> kOSPlatformNames[] = {
    {vxOSP_Win32, u"WIN32"}, {vxOSP_Win64, u"WIN64"}, {vxOSP_Common, u"COMMON"}};

// Also the services' node names in the configuration store.
constexpr TextOf<TvxEnterpriseService> kEnterpriseServiceFiles[] = {
    {vxES_Workflow, u"vxworkflowsrv.exe"},
    {vxES_Import, u"vximportsrv.exe"},
    {vxES_Recognition, u"vxrecognitionsrv.exe"},
    {vxES_Conversion, u"vxconversionsrv.exe"},
    {vxES_Export, u"vxexportsrv.exe"},
    {vxES_Archive, u"vxarchivesrv.exe"},
    {vxES_Index, u"vxindexsrv.exe"},
    {vxES_Classification, u"vxclassificationsrv.exe"},
    {vxES_Validation, u"vxvalidationsrv.exe"},
    {vxES_Mail, u"vxmailsrv.exe"},
    {vxES_Scan, u"vxscansrv.exe"},
    {vxES_Print, u"vxprintsrv.exe"},
    {vxES_Fax, u"vxfaxsrv.exe"},
    {vxES_Web, u"vxwebsrv.exe"},
    {vxES_Daemon, u"vxenterprisesrv.exe"},
    {vxES_Monitor, u"vxmonitorsrv.exe"},
};

constexpr TextOf<TvxFieldDataType> kFieldDataTypeTexts[] = {
    {vxFDT_Date, u"DATE"},         {vxFDT_Numeric, u"NUMERIC"}, {vxFDT_Float, u"FLOAT"},
    {vxFDT_Currency, u"CURRENCY"}, {vxFDT_Boolean, u"BOOLEAN"},
};
constexpr TextOf<TvxFieldDataType> kFieldDataTypeNames[] = {
    {vxFDT_Text, u"STRING"},     {vxFDT_Date, u"DATE"},         {vxFDT_Numeric, u"NUMERIC"},
    {vxFDT_Float, u"FLOAT"},     {vxFDT_Currency, u"CURRENCY"}, {vxFDT_Boolean, u"BOOLEAN"},
};

constexpr TextOf<TvxDatabaseType> kDatabaseTypeTexts[] = {
    {vxDBT_MSSQL, u"MSSQL"},         {vxDBT_MSSQL2000, u"MSSQL2000"}, {vxDBT_MSSQL2005, u"MSSQL2005"},
    {vxDBT_MSSQL2008, u"MSSQL2008"}, {vxDBT_MSSQL2012, u"MSSQL2012"}, {vxDBT_MSSQL2014, u"MSSQL2014"},
    {vxDBT_MySQL, u"MySQL"},         {vxDBT_Oracle, u"Oracle"},       {vxDBT_DB2, u"DB2"},
    {vxDBT_Informix, u"Informix"},   {vxDBT_SQLite, u"SQLite"},       {vxDBT_PostgreSQL, u"PostgreSQL"},
};
constexpr TextOf<TvxDatabaseType> kDatabaseTypeNames[] = {
    {vxDBT_MSSQL, u"MSSQL"}, {vxDBT_MySQL, u"MYSQL"},   {vxDBT_Oracle, u"ORACLE"},         {vxDBT_DB2, u"DB2"},
    {vxDBT_Informix, u"INFORMIX"}, {vxDBT_SQLite, u"SQLITE"}, {vxDBT_PostgreSQL, u"POSTGRESQL"},
};

constexpr TextOf<TvxWindowsVersion> kWindowsVersionTexts[] = {
    {vxWV_Win2000, u"Windows 2000"},
    {vxWV_WinXP, u"Windows XP"},
    {vxWV_WinVista, u"Windows Vista"},
    {vxWV_Win7, u"Windows 7"},
    {vxWV_Win8, u"Windows 8"},
    {vxWV_Win8_1, u"Windows 8.1"},
    {vxWV_Win10, u"Windows 10"},
    {vxWV_WinServer2003, u"Windows Server 2003"},
    {vxWV_WinServer2003R2, u"Windows Server 2003 R2"},
    {vxWV_WinServer2008, u"Windows Server 2008"},
    {vxWV_WinServer2008R2, u"Windows Server 2008 R2"},
    {vxWV_WinServer2012, u"Windows Server 2012"},
    {vxWV_WinServer2012R2, u"Windows Server 2012 R2"},
    {vxWV_WinServer2016, u"Windows Server 2016"},
};

constexpr TextOf<TvxCryptingMethod> kEncryptionTexts[] = {{vxCM_3DES, u"3DES"}, {vxCM_AES256, u"AES256"}};

constexpr TextOf<TvxPDFConformance> kPDFConformanceNames[] = {
    {vxPDF_Common, u"PDF_COMMON"}, {vxPDF_A_1a, u"PDF_A_1A"}, {vxPDF_A_1b, u"PDF_A_1B"}, {vxPDF_A_2a, u"PDF_A_2A"},
    {vxPDF_A_2b, u"PDF_A_2B"},     {vxPDF_A_2u, u"PDF_A_2U"}, {vxPDF_A_3a, u"PDF_A_3A"}, {vxPDF_A_3b, u"PDF_A_3B"},
    {vxPDF_A_3u, u"PDF_A_3U"},     {vxPDF_UA_1, u"PDF_UA_1"}, {vxPDF_1_0, u"PDF_1_0"},   {vxPDF_1_1, u"PDF_1_1"},
    {vxPDF_1_2, u"PDF_1_2"},       {vxPDF_1_3, u"PDF_1_3"},   {vxPDF_1_4, u"PDF_1_4"},   {vxPDF_1_5, u"PDF_1_5"},
    {vxPDF_1_6, u"PDF_1_6"},       {vxPDF_1_7, u"PDF_1_7"},   {vxPDF_2_0, u"PDF_2_0"},
};

// Read back by GetLogTypeFromText, so the two stay inverse.
constexpr TextOf<TvxLogInfoType> kLogTypeTexts[] = {
    {vxLog_Info, u"info"},         {vxLog_Error, u"error"},       {vxLog_Warning, u"warning"},
    {vxLog_Success, u"success"},   {vxLog_Debug, u"debug"},       {vxLog_Trace, u"trace"},
    {vxLog_Process, u"process"},   {vxLog_Startup, u"startup"},   {vxLog_Shutdown, u"shutdown"},
    {vxLog_Critical, u"critical"}, {vxLog_Note, u"note"},         {vxLog_User, u"user"},
    {vxLog_Verify, u"verify"},     {vxLog_Create, u"create"},     {vxLog_Modify, u"modify"},
    {vxLog_Delete, u"delete"},     {vxLog_Input, u"input"},       {vxLog_Blob, u"blob"},
    {vxLog_Meta, u"meta"},         {vxLog_Subject, u"subject"},   {vxLog_Register, u"register"},
    {vxLog_Import, u"import"},     {vxLog_Export, u"export"},
};

constexpr TextOf<TvxOCREngine> kOCREngineTexts[] = {
    {vxOCR_FineReader, u"FineReader"}, {vxOCR_Transym, u"Transym"}, {vxOCR_Tesseract, u"Tesseract"},
    {vxOCR_MSO, u"MSO"},               {vxOCR_Nicomsoft, u"Nicomsoft"},
};
constexpr TextOf<TvxOCREngine> kOCREngineNames[] = {
    {vxOCR_FineReader, u"finereader"}, {vxOCR_Transym, u"transym"}, {vxOCR_Tesseract, u"tesseract"},
    {vxOCR_MSO, u"mso"},               {vxOCR_Nicomsoft, u"nicomsoft"},
};

constexpr TextOf<TvxRecognitionEngine> kRecoEngineTexts[] = {
    {vxRE_Amyuni, u"Amyuni"},       {vxRE_Orpalis, u"Orpalis"},     {vxRE_FineReader, u"FineReader"},
    {vxRE_Transym, u"Transym"},     {vxRE_Tesseract, u"Tesseract"}, {vxRE_Nicomsoft, u"Nicomsoft"},
    {vxRE_FreeOCR, u"FreeOCR"},
};
constexpr TextOf<TvxRecognitionEngine> kRecoEngineNames[] = {
    {vxRE_Amyuni, u"amyuni"},       {vxRE_Orpalis, u"orpalis"},     {vxRE_FineReader, u"finereader"},
    {vxRE_Transym, u"transym"},     {vxRE_Tesseract, u"tesseract"}, {vxRE_Nicomsoft, u"nicomsoft"},
    {vxRE_FreeOCR, u"freeocr"},
};

}  // namespace

namespace TvxTypes {

ustring GetThreadPriorityStr(TThreadPriority Priority) {
  return WriteText<TThreadPriority>(Priority, kThreadPriorityTexts, u"Lower");
}

TThreadPriority GetThreadPriority(int32_t Priority) {
  return Priority >= tpIdle && Priority <= tpTimeCritical ? static_cast<TThreadPriority>(Priority) : tpLower;
}

ustring GetSchemeFieldTypeStr(TvxSchemeFieldType FieldType) {
  return WriteText<TvxSchemeFieldType>(FieldType, kSchemeFieldTypeTexts, u"Editbox");
}

TvxSchemeFieldType GetSchemeFieldTypeFromStr(const ustring& FieldType) {
  return ReadText<TvxSchemeFieldType>(TrimUpper(FieldType), kSchemeFieldTypeNames, vxSFT_Editbox);
}

ustring GetCPUPlatformStr(TvxCPUPlatform CPUPlatform) {
  return WriteText<TvxCPUPlatform>(CPUPlatform, kCPUPlatformTexts, u"Unknown");
}

TvxCPUPlatform GetCPUPlatformFromOSPlatform(TvxOSPlatform OSPlatform) {
  switch (OSPlatform) {
    case vxOSP_Win32: return vxCPU_x86;
    case vxOSP_Win64: return vxCPU_x64;
    default: return vxCPU_Unknown;
  }
}

ustring GetOSPlatformStr(TvxOSPlatform OSPlatform) {
  return WriteText<TvxOSPlatform>(OSPlatform, kOSPlatformTexts, u"Unknown");
}

TvxOSPlatform GetOSPlatformFromStr(const ustring& OSPlatform, TvxOSPlatform Default) {
  return ReadText<TvxOSPlatform>(TrimUpper(OSPlatform), kOSPlatformNames, Default);
}

ustring GetEnterpriseServiceStr(TvxEnterpriseService Service) {
  return WriteText<TvxEnterpriseService>(Service, kEnterpriseServiceFiles, u"");
}

ustring GetFieldDataTypeStr(TvxFieldDataType FieldDataType) {
  return WriteText<TvxFieldDataType>(FieldDataType, kFieldDataTypeTexts, u"STRING");
}

TvxFieldDataType GetFieldDataTypeFromStr(const ustring& FieldDataType) {
  return ReadText<TvxFieldDataType>(UpperStrW(FieldDataType), kFieldDataTypeNames, vxFDT_Text);
}

ustring GetDatabaseTypeStr(TvxDatabaseType DbType) {
  return WriteText<TvxDatabaseType>(DbType, kDatabaseTypeTexts, u"Unknown");
}

TvxDatabaseType GetDatabaseType(const ustring& DbType) {
  return ReadText<TvxDatabaseType>(TrimUpper(DbType), kDatabaseTypeNames, vxDBT_Unknown);
}

ustring GetWindowsVersionTypeStr(TvxWindowsVersion WinVer) {
  return WriteText<TvxWindowsVersion>(WinVer, kWindowsVersionTexts, u"Unknown");
}

TvxCryptingMethod GetEncryptionType(const ustring& CryptStr) {
  return ReadText<TvxCryptingMethod>(UpperStrW(CryptStr), kEncryptionTexts, vxCM_None);
}

ustring GetEncryptionTypeStr(TvxCryptingMethod Encryption) {
  return WriteText<TvxCryptingMethod>(Encryption, kEncryptionTexts, u"");
}

TvxPDFConformance GetPDFConformanceType(const ustring& ConformanceStr) {
  return ReadText<TvxPDFConformance>(UpperStrW(ConformanceStr), kPDFConformanceNames, vxPDF_Unknown);
}

ustring GetLogTypeText(TvxLogInfoType Typ) { return WriteText<TvxLogInfoType>(Typ, kLogTypeTexts, u"unknown"); }

TvxLogInfoType GetLogTypeFromText(const ustring& Typ) {
  return ReadText<TvxLogInfoType>(LowerTrim(Typ), kLogTypeTexts, vxLog_Unknown);
}

ustring GetOCREngineTypeText(TvxOCREngine Typ) { return WriteText<TvxOCREngine>(Typ, kOCREngineTexts, u"Unknown"); }

TvxOCREngine GetOCREngineTypeFromText(const ustring& Typ) {
  return ReadText<TvxOCREngine>(LowerTrim(Typ), kOCREngineNames, vxOCR_Unknown);
}

ustring GetRecoEngineTypeText(TvxRecognitionEngine Typ) {
  return WriteText<TvxRecognitionEngine>(Typ, kRecoEngineTexts, u"Unknown");
}

TvxRecognitionEngine GetRecoEngineTypeFromText(const ustring& Typ) {
  return ReadText<TvxRecognitionEngine>(LowerTrim(Typ), kRecoEngineNames, vxRE_Unknown);
}

}  // namespace TvxTypes
