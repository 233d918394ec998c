#include "platform/base/vxExceptions.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(Exceptions, MessageAndClassName) {
  try {
    throw EStringListError(u"Listenindex überschreitet das Maximum (5)");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Listenindex überschreitet das Maximum (5)");
    EXPECT_STREQ(e.what(), "Listenindex \xC3\xBC" "berschreitet das Maximum (5)");
    EXPECT_STREQ(e.ClassName(), "EStringListError");
  }
  EXPECT_STREQ(EConvertError("x").ClassName(), "EConvertError");
  EXPECT_STREQ(Exception("x").ClassName(), "Exception");
}

TEST(Exceptions, OSErrorCarriesErrnoAndText) {
  try {
    EOSError::RaiseOSError(ENOENT);
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_EQ(e.Message(), u"No such file or directory");
    EXPECT_STREQ(e.ClassName(), "EOSError");
  }
}
