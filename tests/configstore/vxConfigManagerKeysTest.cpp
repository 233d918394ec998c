// The key forms of the store, their conversions and the comparison of a key
// with a pattern, and the statement texts of each database type: no database
// involved.
#include <gtest/gtest.h>

#include "configstore/vxConfigManager.h"
#include "platform/base/vxCodePage.h"

namespace {

using M = TvxConfigManager;

TEST(ConfigKeys, TheThreeFormsAndTheParent) {
  struct Case {
    const char16_t* Key;
    const char16_t* Prepared;
    const char16_t* Visible;
    const char16_t* NamedRelative;
    const char16_t* Parent;
  } cases[] = {
      {u"/a/b", u"a/b/", u"/a/b", u"a/b", u"/a"},
      {u"a/b/", u"a/b/", u"/a/b", u"a/b", u"/a"},
      {u" \t/a/b\r\n ", u"a/b/", u"/a/b", u"a/b", u"/a"},
      {u"/", u"", u"", u"", u""},
      {u"", u"", u"", u"", u""},
      {u"a", u"a/", u"/a", u"a", u""},
      {u"/a", u"a/", u"/a", u"a", u""},
      {u"//a", u"/a/", u"//a", u"/a", u""},
      {u"/a/b/c", u"a/b/c/", u"/a/b/c", u"a/b/c", u"/a/b"},
      {u"/a//b", u"a//b/", u"/a//b", u"a//b", u"/a/"},
      // Unicode white space and control characters are trimmed, inner blanks stay.
      {u"\u00A0\u3000/my key/x\u2028\u0085", u"my key/x/", u"/my key/x", u"my key/x", u"/my key"},
  };
  for (const Case& c : cases) {
    const std::string at = WideToUtf8(c.Key);
    EXPECT_EQ(M::PrepareKey(c.Key), c.Prepared) << at;
    EXPECT_EQ(M::Convert2VisKey(c.Key), c.Visible) << at;
    EXPECT_EQ(M::Convert2NamedRelKey(c.Key), c.NamedRelative) << at;
    EXPECT_EQ(M::GetNextLowerKey(c.Key), c.Parent) << at;
  }
}

TEST(ConfigKeys, OnlyTheExactPercentCodeStandsForASlash) {
  EXPECT_EQ(M::EncodeKeyPart(u"in/out"), u"in%2Fout");
  EXPECT_EQ(M::EncodeKeyPart(u"//"), u"%2F%2F");
  EXPECT_EQ(M::DecodeKeyPart(u"in%2Fout"), u"in/out");
  EXPECT_EQ(M::DecodeKeyPart(u"a%2fb"), u"a%2fb");
  EXPECT_EQ(M::DecodeKeyPart(u"%252F"), u"%252F");
  EXPECT_EQ(M::DecodeKeyPart(u"%2F%2F%"), u"//%");
  // A name holding the code itself cannot be told from one holding "/".
  EXPECT_EQ(M::DecodeKeyPart(M::EncodeKeyPart(u"a/%2F/b")), u"a///b");
}

TEST(ConfigKeys, ComparisonWithAPattern) {
  struct Case {
    const char16_t* Pattern;
    const char16_t* Key;
    TvxKeyCompareResult Expected;
  } cases[] = {
      {u"/a/*", u"/a/b", vxKCR_Identical},
      {u"/a", u"/a/b/c", vxKCR_MoreThanOneLevelLower},
      {u"/a/b", u"/a", vxKCR_NoMatch},
      {u"/A", u"/a", vxKCR_NoMatch},
      {u"/a/*", u"/a/b/c", vxKCR_OneLevelLower},
      {u"/a", u"/a/b", vxKCR_OneLevelLower},
      {u"/a/b", u"a/b/", vxKCR_Identical},
      {u"", u"/a", vxKCR_NoMatch},
      {u"/*", u"/x", vxKCR_Identical},
      {u"/*/c", u"/a/b", vxKCR_NoMatch},
      {u"/x/b", u"/a/b/c", vxKCR_NoMatch},
      {u"/a//b", u"/a//b", vxKCR_Identical},
  };
  for (const Case& c : cases)
    EXPECT_EQ(M::CompareKeys(c.Pattern, c.Key), c.Expected) << WideToUtf8(c.Pattern) << " " << WideToUtf8(c.Key);
}

TEST(ConfigKeys, AnIdOfBlanksAndControlsIsEmpty) {
  EXPECT_TRUE(M::IsTIdStringEmpty(TIdType("")));
  EXPECT_TRUE(M::IsTIdStringEmpty(TIdType(" \t\r\n")));
  EXPECT_FALSE(M::IsTIdStringEmpty(TIdType(" A ")));
}

}  // namespace

namespace {

TEST(ConfigStatements, TheFirstRowStatementOfEachDatabaseType) {
  struct Case {
    TvxDatabaseType Type;
    const char16_t* Expected;
  } cases[] = {
      {vxDBT_MSSQL, u"SELECT TOP 1 ID FROM t WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE"},
      {vxDBT_MySQL, u"SELECT ID FROM t WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE LIMIT 0,1"},
      {vxDBT_Oracle, u"SELECT ID FROM t WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE AND ROWNUM <= 1"},
      {vxDBT_SQLite, u"SELECT ID FROM t WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE LIMIT 1"},
      {vxDBT_PostgreSQL, u"SELECT ID FROM t WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE LIMIT 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxConfigManager::FirstRowStatement(c.Type, u"t"), c.Expected) << int(c.Type);
  for (TvxDatabaseType other : {vxDBT_K7, vxDBT_DB2, vxDBT_Informix, vxDBT_MSSQL2008, vxDBT_Unknown}) {
    try {
      TvxConfigManager::FirstRowStatement(other, u"t");
      ADD_FAILURE() << int(other);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"unsupported database type");
    }
  }
}

}  // namespace
