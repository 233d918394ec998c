// Tests of core/vxTypes.h: the value types the whole system shares, and the
// text forms of its enumerations.
#include "core/vxTypes.h"

#include <gtest/gtest.h>

#include <set>

#include "core/vxToolsEvo2.h"

using namespace TvxTypes;

namespace {

// One row per ordinal: the writer's text and what the reader makes of it.
template <class E>
struct RoundTrip {
  int Ordinal;
  ustring Text;
  E ReadBack;
};

template <class E>
E Member(int ordinal) {
  return static_cast<E>(ordinal);
}

}  // namespace

TEST(EnumerationTexts, ThreadPriority) {
  const std::pair<int, ustring> texts[] = {
      {0, u"Idle"}, {1, u"Lowest"},  {2, u"Lower"},        {3, u"Normal"},
      {4, u"Higher"}, {5, u"Highest"}, {6, u"Timecritical"}, {7, u"Lower"},
  };
  for (const auto& [ordinal, text] : texts) EXPECT_EQ(GetThreadPriorityStr(Member<TThreadPriority>(ordinal)), text);
  const std::pair<int32_t, TThreadPriority> readings[] = {
      {0, tpIdle},    {1, tpLowest},  {2, tpLower},  {3, tpNormal}, {4, tpHigher},
      {5, tpHighest}, {6, tpTimeCritical}, {7, tpLower}, {-1, tpLower}, {1000, tpLower},
  };
  for (const auto& [value, priority] : readings) EXPECT_EQ(GetThreadPriority(value), priority) << value;
}

TEST(EnumerationTexts, SchemeFieldType) {
  const RoundTrip<TvxSchemeFieldType> rows[] = {
      {0, u"Editbox", vxSFT_Editbox}, {1, u"Checkbox", vxSFT_Checkbox}, {2, u"Combobox", vxSFT_Combobox},
      {3, u"Memobox", vxSFT_Memobox}, {4, u"Datebox", vxSFT_Datebox},   {5, u"Separator", vxSFT_Separator},
      {6, u"Editbox", vxSFT_Editbox},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetSchemeFieldTypeStr(Member<TvxSchemeFieldType>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetSchemeFieldTypeFromStr(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetSchemeFieldTypeFromStr(u"  memoBOX\t"), vxSFT_Memobox);
  EXPECT_EQ(GetSchemeFieldTypeFromStr(u"list"), vxSFT_Editbox);
  EXPECT_EQ(GetSchemeFieldTypeFromStr(u""), vxSFT_Editbox);
}

TEST(EnumerationTexts, CPUPlatform) {
  const std::pair<int, ustring> texts[] = {{0, u"x86"}, {1, u"x64"}, {2, u"Unknown"}, {3, u"Unknown"}};
  for (const auto& [ordinal, text] : texts) EXPECT_EQ(GetCPUPlatformStr(Member<TvxCPUPlatform>(ordinal)), text);
  const std::pair<TvxOSPlatform, TvxCPUPlatform> fromOS[] = {
      {vxOSP_Unknown, vxCPU_Unknown}, {vxOSP_Common, vxCPU_Unknown}, {vxOSP_Win32, vxCPU_x86},
      {vxOSP_Win64, vxCPU_x64},       {vxOSP_None, vxCPU_Unknown},   {vxOSP_Linux32, vxCPU_Unknown},
      {vxOSP_Linux64, vxCPU_Unknown},
  };
  for (const auto& [os, cpu] : fromOS) EXPECT_EQ(GetCPUPlatformFromOSPlatform(os), cpu) << int(os);
}

TEST(EnumerationTexts, OSPlatform) {
  // "Unknown" and the empty text have no reader: the caller's default applies.
  const RoundTrip<TvxOSPlatform> rows[] = {
      {0, u"Unknown", vxOSP_Linux64}, {1, u"Common", vxOSP_Common}, {2, u"Win32", vxOSP_Win32},
      {3, u"Win64", vxOSP_Win64},     {4, u"", vxOSP_Linux64},      {5, u"Unknown", vxOSP_Linux64},
      {6, u"Unknown", vxOSP_Linux64}, {7, u"Unknown", vxOSP_Linux64},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetOSPlatformStr(Member<TvxOSPlatform>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetOSPlatformFromStr(r.Text, vxOSP_Linux64), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetOSPlatformFromStr(u" win64", vxOSP_Common), vxOSP_Win64);
  EXPECT_EQ(GetOSPlatformFromStr(u"Linux64", vxOSP_Common), vxOSP_Common);
  EXPECT_EQ(GetOSPlatformFromStr(u"common\r\n", vxOSP_Unknown), vxOSP_Common);
}

TEST(EnumerationTexts, EnterpriseService) {
  std::set<ustring> names;
  for (int ordinal = 0; ordinal <= 15; ++ordinal) {
    const ustring name = GetEnterpriseServiceStr(Member<TvxEnterpriseService>(ordinal));
    ASSERT_GT(name.size(), 4u) << ordinal;
    EXPECT_EQ(name.substr(name.size() - 4), u".exe") << ordinal;
    EXPECT_EQ(LowerStrW(name), name) << ordinal;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 16u);  // one node name per service
  EXPECT_EQ(GetEnterpriseServiceStr(vxES_Mail), u"vxmailsrv.exe");
  EXPECT_EQ(GetEnterpriseServiceStr(vxES_Daemon), u"vxenterprisesrv.exe");
  EXPECT_EQ(GetEnterpriseServiceStr(Member<TvxEnterpriseService>(16)), u"");
  EXPECT_EQ(GetEnterpriseServiceStr(Member<TvxEnterpriseService>(255)), u"");
}

TEST(EnumerationTexts, FieldDataType) {
  // VarChar writes "STRING" too and reads back as Text.
  const RoundTrip<TvxFieldDataType> rows[] = {
      {0, u"STRING", vxFDT_Text},         {1, u"STRING", vxFDT_Text},       {2, u"DATE", vxFDT_Date},
      {3, u"NUMERIC", vxFDT_Numeric},     {4, u"FLOAT", vxFDT_Float},       {5, u"CURRENCY", vxFDT_Currency},
      {6, u"BOOLEAN", vxFDT_Boolean},     {7, u"STRING", vxFDT_Text},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetFieldDataTypeStr(Member<TvxFieldDataType>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetFieldDataTypeFromStr(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetFieldDataTypeFromStr(u"currency"), vxFDT_Currency);
  EXPECT_EQ(GetFieldDataTypeFromStr(u" DATE"), vxFDT_Text);  // no trimming
  EXPECT_EQ(GetFieldDataTypeFromStr(u"DATE "), vxFDT_Text);
  EXPECT_EQ(GetFieldDataTypeFromStr(u"VARCHAR"), vxFDT_Text);
}

TEST(EnumerationTexts, DatabaseType) {
  // The versioned texts and the unnamed kinds read back as Unknown.
  const RoundTrip<TvxDatabaseType> rows[] = {
      {0, u"Unknown", vxDBT_Unknown},      {1, u"Unknown", vxDBT_Unknown},
      {2, u"MSSQL", vxDBT_MSSQL},          {3, u"MSSQL2000", vxDBT_Unknown},
      {4, u"MSSQL2005", vxDBT_Unknown},    {5, u"MSSQL2008", vxDBT_Unknown},
      {6, u"MSSQL2012", vxDBT_Unknown},    {7, u"MSSQL2014", vxDBT_Unknown},
      {8, u"Unknown", vxDBT_Unknown},      {9, u"MySQL", vxDBT_MySQL},
      {10, u"Oracle", vxDBT_Oracle},       {11, u"DB2", vxDBT_DB2},
      {12, u"Informix", vxDBT_Informix},   {13, u"SQLite", vxDBT_SQLite},
      {14, u"PostgreSQL", vxDBT_PostgreSQL}, {15, u"Unknown", vxDBT_Unknown},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetDatabaseTypeStr(Member<TvxDatabaseType>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetDatabaseType(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetDatabaseType(u" mysql "), vxDBT_MySQL);
  EXPECT_EQ(GetDatabaseType(u"\tsqlite"), vxDBT_SQLite);
  EXPECT_EQ(GetDatabaseType(u"postgres"), vxDBT_Unknown);
  EXPECT_EQ(GetDatabaseType(u"K7"), vxDBT_Unknown);
}

TEST(EnumerationTexts, WindowsVersion) {
  const std::pair<int, ustring> texts[] = {
      {0, u"Unknown"},
      {1, u"Unknown"},
      {2, u"Windows 2000"},
      {3, u"Windows XP"},
      {4, u"Windows Vista"},
      {5, u"Windows 7"},
      {6, u"Windows 8"},
      {7, u"Windows 8.1"},
      {8, u"Windows 10"},
      {9, u"Windows Server 2003"},
      {10, u"Windows Server 2003 R2"},
      {11, u"Windows Server 2008"},
      {12, u"Windows Server 2008 R2"},
      {13, u"Windows Server 2012"},
      {14, u"Windows Server 2012 R2"},
      {15, u"Windows Server 2016"},
      {16, u"Unknown"},
  };
  for (const auto& [ordinal, text] : texts)
    EXPECT_EQ(GetWindowsVersionTypeStr(Member<TvxWindowsVersion>(ordinal)), text) << ordinal;
}

TEST(EnumerationTexts, Encryption) {
  const RoundTrip<TvxCryptingMethod> rows[] = {
      {0, u"", vxCM_None}, {1, u"3DES", vxCM_3DES}, {2, u"AES256", vxCM_AES256}, {3, u"", vxCM_None}};
  for (const auto& r : rows) {
    EXPECT_EQ(GetEncryptionTypeStr(Member<TvxCryptingMethod>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetEncryptionType(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetEncryptionType(u"aes256"), vxCM_AES256);
  EXPECT_EQ(GetEncryptionType(u"3des"), vxCM_3DES);
  EXPECT_EQ(GetEncryptionType(u" AES256"), vxCM_None);  // no trimming
  EXPECT_EQ(GetEncryptionType(u"DES"), vxCM_None);
}

TEST(EnumerationTexts, PDFConformance) {
  // Reader only.
  const std::pair<ustring, TvxPDFConformance> rows[] = {
      {u"PDF_COMMON", vxPDF_Common}, {u"pdf_a_1a", vxPDF_A_1a}, {u"PDF_A_1B", vxPDF_A_1b},
      {u"PDF_A_2A", vxPDF_A_2a},     {u"PDF_A_2B", vxPDF_A_2b}, {u"pdf_a_2u", vxPDF_A_2u},
      {u"PDF_A_3A", vxPDF_A_3a},     {u"PDF_A_3B", vxPDF_A_3b}, {u"PDF_A_3U", vxPDF_A_3u},
      {u"Pdf_Ua_1", vxPDF_UA_1},     {u"PDF_1_0", vxPDF_1_0},   {u"PDF_1_1", vxPDF_1_1},
      {u"PDF_1_2", vxPDF_1_2},       {u"PDF_1_3", vxPDF_1_3},   {u"PDF_1_4", vxPDF_1_4},
      {u"PDF_1_5", vxPDF_1_5},       {u"PDF_1_6", vxPDF_1_6},   {u"PDF_1_7", vxPDF_1_7},
      {u"PDF_2_0", vxPDF_2_0},       {u"PDF/A-2u", vxPDF_Unknown}, {u" PDF_1_7", vxPDF_Unknown},
      {u"PDF_UNKNOWN", vxPDF_Unknown}, {u"", vxPDF_Unknown},
  };
  for (const auto& [text, member] : rows) EXPECT_EQ(GetPDFConformanceType(text), member);
}

TEST(EnumerationTexts, LogType) {
  const RoundTrip<TvxLogInfoType> rows[] = {
      {0, u"info", vxLog_Info},           {1, u"error", vxLog_Error},       {2, u"warning", vxLog_Warning},
      {3, u"success", vxLog_Success},     {4, u"debug", vxLog_Debug},       {5, u"trace", vxLog_Trace},
      {6, u"process", vxLog_Process},     {7, u"startup", vxLog_Startup},   {8, u"shutdown", vxLog_Shutdown},
      {9, u"critical", vxLog_Critical},   {10, u"note", vxLog_Note},        {11, u"user", vxLog_User},
      {12, u"verify", vxLog_Verify},      {13, u"create", vxLog_Create},    {14, u"modify", vxLog_Modify},
      {15, u"delete", vxLog_Delete},      {16, u"input", vxLog_Input},      {17, u"blob", vxLog_Blob},
      {18, u"meta", vxLog_Meta},          {19, u"subject", vxLog_Subject},  {20, u"register", vxLog_Register},
      {21, u"import", vxLog_Import},      {22, u"export", vxLog_Export},    {23, u"unknown", vxLog_Unknown},
      {24, u"unknown", vxLog_Unknown},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetLogTypeText(Member<TvxLogInfoType>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetLogTypeFromText(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetLogTypeFromText(u" ERROR "), vxLog_Error);
  EXPECT_EQ(GetLogTypeFromText(u"Startup\r\n"), vxLog_Startup);
  EXPECT_EQ(GetLogTypeFromText(u""), vxLog_Unknown);
  EXPECT_EQ(GetLogTypeFromText(u"errors"), vxLog_Unknown);
}

TEST(EnumerationTexts, OCREngine) {
  const RoundTrip<TvxOCREngine> rows[] = {
      {0, u"Unknown", vxOCR_Unknown},     {1, u"FineReader", vxOCR_FineReader}, {2, u"Transym", vxOCR_Transym},
      {3, u"Tesseract", vxOCR_Tesseract}, {4, u"MSO", vxOCR_MSO},               {5, u"Nicomsoft", vxOCR_Nicomsoft},
      {6, u"Unknown", vxOCR_Unknown},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetOCREngineTypeText(Member<TvxOCREngine>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetOCREngineTypeFromText(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetOCREngineTypeFromText(u"  TESSERACT "), vxOCR_Tesseract);
  EXPECT_EQ(GetOCREngineTypeFromText(u"freeocr"), vxOCR_Unknown);
}

TEST(EnumerationTexts, RecognitionEngine) {
  const RoundTrip<TvxRecognitionEngine> rows[] = {
      {0, u"Unknown", vxRE_Unknown},     {1, u"Amyuni", vxRE_Amyuni},       {2, u"Orpalis", vxRE_Orpalis},
      {3, u"FineReader", vxRE_FineReader}, {4, u"Transym", vxRE_Transym},   {5, u"Tesseract", vxRE_Tesseract},
      {6, u"Nicomsoft", vxRE_Nicomsoft}, {7, u"FreeOCR", vxRE_FreeOCR},     {8, u"Unknown", vxRE_Unknown},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(GetRecoEngineTypeText(Member<TvxRecognitionEngine>(r.Ordinal)), r.Text) << r.Ordinal;
    EXPECT_EQ(GetRecoEngineTypeFromText(r.Text), r.ReadBack) << r.Ordinal;
  }
  EXPECT_EQ(GetRecoEngineTypeFromText(u"\tFREEOCR"), vxRE_FreeOCR);
  EXPECT_EQ(GetRecoEngineTypeFromText(u"mso"), vxRE_Unknown);
}

TEST(SharedTypes, OrdinalsThatTravel) {
  // Ordinals other subsystems store or send.
  EXPECT_EQ(vxLog_Unknown, 23);
  EXPECT_EQ(vxDBT_Informix, 12);
  EXPECT_EQ(vxHC_View, 21);
  EXPECT_EQ(vxPDF_2_0, 19);
  EXPECT_EQ(vxWV_WinServer2016, 15);
  EXPECT_EQ(vxES_Mail, 9);
  EXPECT_EQ(vxES_Daemon, 14);
  EXPECT_EQ(vxET_WorkerEngine, 6);
  EXPECT_EQ(vxENC_Internal, 6);
}

TEST(IdType, CutsOnAssignment) {
  const std::string hex32 = "0123456789ABCDEF0123456789ABCDEF";
  const std::pair<std::string, std::string> rows[] = {
      {"", ""},
      {"ABC", "ABC"},
      {hex32, hex32},
      {hex32 + "X", hex32},
      {hex32 + hex32, hex32},
      {std::string("A\0B", 3), std::string("A\0B", 3)},  // bytes, not C text
  };
  for (const auto& [assigned, kept] : rows) {
    TIdType id;
    id = assigned;
    EXPECT_EQ(id.Str(), kept);
    EXPECT_EQ(id.Length(), kept.size());
    const TIdType constructed(assigned);
    EXPECT_EQ(constructed, id);
  }
}

TEST(IdType, WideTextGoesThroughTheCodePage) {
  EXPECT_EQ(TIdType(ustring(u"Grüße")).Str(), "Gr\xFC\xDF" "e");
  EXPECT_EQ(TIdType(ustring(u"Ж")).Str(), "?");
  EXPECT_EQ(TIdType(ustring(40, u'a')).Length(), 32u);
  EXPECT_EQ(TIdType("abc").WideStr(), u"abc");
}

TEST(IdType, CopiesAreIndependent) {
  TIdType a = "FIRST";
  TIdType b = a;
  b = "SECOND";
  EXPECT_EQ(a, "FIRST");
  EXPECT_EQ(b, "SECOND");
  EXPECT_TRUE(TIdType().IsEmpty());
}

TEST(SharedTypes, MetaFieldCarriesTypedValues) {
  TvxMetaField field;
  field.IntField = u"AMOUNT";
  field.VarValue = Variant(Currency::FromScaled(12345));
  field.VarType = field.VarValue.VarType();
  field.Alternatives.push_back({u"1.2345", Variant(1.2345), varDouble, 0.5, {}, 1});
  const TvxMetaData data{field};
  TvxMetaData copy = data;
  copy[0].Alternatives[0].VarValue = Variant(int32_t{7});
  EXPECT_EQ(data[0].VarType, varCurrency);
  EXPECT_EQ(data[0].Alternatives[0].VarValue, Variant(1.2345));
}
