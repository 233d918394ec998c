// Tests of platform/base/vxExceptions.h: the exception classes of the system.
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

TEST(Exceptions, TakeUtf8TextAsAStdString) {
  const std::string text = "Gr\xC3\xB6\xC3\x9F" "e";
  const EConvertError error(text);
  EXPECT_EQ(error.Message(), u"Größe");
  EXPECT_EQ(std::string(error.what()), text);
  const EOSError os(std::string("cannot open"), ENOENT);
  EXPECT_EQ(os.ErrorCode, ENOENT);
  EXPECT_EQ(os.Message(), u"cannot open");
}

TEST(Exceptions, ErrnoTextIsTheSystemsMessage) {
  EXPECT_EQ(vxExceptions::ErrnoText(ENOENT), "No such file or directory");
  EXPECT_EQ(vxExceptions::ErrnoText(EACCES), "Permission denied");
}
