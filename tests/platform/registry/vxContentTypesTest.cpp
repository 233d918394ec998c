// Tests of platform/registry/vxContentTypes.h: content types of file
// extensions, from the registry first, then /etc/mime.types.
#include "platform/registry/vxContentTypes.h"

#include "platform/registry/vxRegistry.h"
#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

void RegisterContentType(const ustring& extension, const ustring& type) {
  TRegistry reg;
  reg.SetRootKey(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(reg.OpenKey(extension, true));
  reg.WriteString(u"Content Type", type);
}

TEST_F(RegistryTest, ContentTypesComeFromTheSystemList) {
  struct Case {
    ustring extension, type;
  };
  const Case cases[] = {
      {u".png", u"image/png"},
      {u"png", u"image/png"},
      {u".PDF", u"application/pdf"},
      {u".jpg", u"image/jpeg"},
      {u".txt", u"text/plain"},
      {u".no-such-extension", u""},
      {u"", u""},
      {u".", u""},
      {u"a\\b", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vxContentTypes::OfExtension(c.extension), c.type) << WideToUtf8(c.extension);
  }
}

TEST_F(RegistryTest, ContentTypesOfTheRegistryComeFirst) {
  RegisterContentType(u".pdf", u"application/x-own-pdf");
  RegisterContentType(u".Own", u"application/x-own");
  RegisterContentType(u".blank", u"");  // an empty entry says nothing
  EXPECT_EQ(vxContentTypes::OfExtension(u".PDF"), u"application/x-own-pdf");
  EXPECT_EQ(vxContentTypes::OfExtension(u"own"), u"application/x-own");
  EXPECT_EQ(vxContentTypes::OfExtension(u".blank"), u"");
  EXPECT_EQ(vxContentTypes::OfExtension(u".png"), u"image/png");
  EXPECT_EQ(vxContentTypes::FromSystemList(u".pdf"), u"application/pdf");
}

}  // namespace
