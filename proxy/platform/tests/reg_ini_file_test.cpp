#include "proxy/platform/reg_ini_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace ql {
namespace {

class RegIniFileTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path = dir.filePath("registry.reg");
  Registry registry{path};
  TRegIniFile settings{kQuenlarkSettingsKey, registry};
  const QString key = "Software\\Ostwick\\Quenlark\\Network";

  void Raw(const QString &text) { registry.WriteString(RegistryRoot::CurrentUser, key, "V", text); }
};

TEST_F(RegIniFileTest, SectionsAreSubkeysAndValuesAreStrings) {
  settings.WriteInteger("Network", "HTTPProxyPort", -1234);
  settings.WriteBool("Network", "UseLoopback", true);
  settings.WriteString("Network", "ProxyIP", "!!NO_INFO");
  EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, "HTTPProxyPort"), "-1234");
  EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, "UseLoopback"), "1");
  // Live: a second store on a fresh load of the file sees every write.
  Registry reloaded(path);
  TRegIniFile other(kQuenlarkSettingsKey, reloaded);
  EXPECT_EQ(other.ReadInteger("network", "httpproxyport", 0), -1234);
  EXPECT_TRUE(other.ReadBool("Network", "UseLoopback", false));
  EXPECT_EQ(other.ReadString("Network", "ProxyIP", ""), "!!NO_INFO");
}

TEST_F(RegIniFileTest, IntegerTextsDecimalHexOrDefault) {
  const struct {
    const char *text;
    int expected;
  } cases[] = {{"42", 42},
               {"+7", 7},
               {"-5", -5},
               {"0x1F", 31},
               {"0XfF", 255},
               {"0xFFFFFFFF", -1},
               {"0x", 99},
               {"0X", 99},
               {"0x1G", 99},
               {"0x-1", 99},
               {"0x100000000", 99},
               {"12abc", 99},
               {" 12", 99},
               {"", 99},
               {"2147483648", 99},
               {"1.5", 99},
               {"0x7fffffff", 2147483647}};
  for (const auto &c : cases) {
    Raw(c.text);
    EXPECT_EQ(settings.ReadInteger("Network", "V", 99), c.expected) << c.text;
  }
  Raw("0");
  EXPECT_FALSE(settings.ReadBool("Network", "V", true));
  Raw("0x10");
  EXPECT_TRUE(settings.ReadBool("Network", "V", false));
  Raw("yes");
  EXPECT_TRUE(settings.ReadBool("Network", "V", true));
}

TEST_F(RegIniFileTest, MissingGivesDefaultButEmptyIsEmpty) {
  EXPECT_EQ(settings.ReadString("Nowhere", "V", "def"), "def");
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, "Software\\Ostwick\\Quenlark\\Nowhere"));
  EXPECT_EQ(settings.ReadString("Network", "V", "def"), "def");
  Raw("");
  EXPECT_EQ(settings.ReadString("Network", "V", "def"), "");
  registry.WriteDword(RegistryRoot::CurrentUser, key, "V", 5);
  EXPECT_EQ(settings.ReadString("Network", "V", "def"), "def");
  EXPECT_EQ(settings.ReadInteger("Network", "V", 3), 3);
}

TEST_F(RegIniFileTest, EraseSectionDeletesTheSubkeyOnly) {
  settings.WriteString("Filter", "Text", "1");
  settings.WriteString("Filter", "Box 1", "x");
  settings.WriteString("General", "BrowserPath", "b");
  settings.EraseSection("FILTER");
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, "Software\\Ostwick\\Quenlark\\Filter"));
  EXPECT_EQ(settings.ReadString("Filter", "Text", "def"), "def");
  EXPECT_EQ(Registry(path).ReadString(RegistryRoot::CurrentUser, "Software\\Ostwick\\Quenlark\\General",
                                      "BrowserPath"),
            "b");
}

} // namespace
} // namespace ql
