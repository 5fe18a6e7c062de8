#include "proxy/platform/atomic_file.h"
#include "proxy/platform/registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace ql {
namespace {

const RegistryRoot kUser = RegistryRoot::CurrentUser;
const RegistryRoot kMachine = RegistryRoot::LocalMachine;

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteText(const QString &path, const QByteArray &text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class RegistryTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path = dir.filePath("quenlark/registry.reg");
};

TEST_F(RegistryTest, TypedValuesSurviveAReload) {
  const QString text = "C:\\Program Files\\\"x\"\r\nline two\x01 \u00e9\u4e2d";
  {
    Registry registry(path);
    EXPECT_TRUE(registry.LoadError().isEmpty());
    registry.WriteString(kUser, "Software\\Ostwick\\Quenlark\\Network", "ProxyIP", text);
    registry.WriteDword(kMachine, "Software\\Other", "Count", 0xdeadbeef);
    registry.WriteBinary(kUser, "Software\\Other", "Data", QByteArray("\x00\xff\x10", 3));
    registry.WriteBinary(kUser, "Software\\Other", "Empty", QByteArray());
    registry.WriteString(kUser, "Software\\Other", "", "default");
    registry.CreateKey(kUser, "Software\\Empty Key");
  }
  Registry registry(path);
  ASSERT_TRUE(registry.LoadError().isEmpty()) << registry.LoadError().toStdString();
  EXPECT_EQ(registry.ReadString(kUser, "Software\\Ostwick\\Quenlark\\Network", "ProxyIP"), text);
  EXPECT_EQ(registry.ReadDword(kMachine, "Software\\Other", "Count"), 0xdeadbeefu);
  EXPECT_EQ(registry.ReadBinary(kUser, "Software\\Other", "Data"), QByteArray("\x00\xff\x10", 3));
  EXPECT_EQ(registry.ReadBinary(kUser, "Software\\Other", "Empty"), QByteArray());
  EXPECT_EQ(registry.ReadString(kUser, "Software\\Other", ""), "default");
  EXPECT_TRUE(registry.KeyExists(kUser, "Software\\Empty Key"));
  EXPECT_FALSE(registry.KeyExists(kMachine, "Software\\Empty Key"));
  EXPECT_FALSE(QFile::exists(path + ".tmp"));
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  Registry registry(path);
  registry.WriteString(kUser, "Software\\Ostwick", "UserAgent", "a");
  registry.WriteString(kUser, "SOFTWARE\\ostwick", "USERAGENT", "b");
  EXPECT_EQ(registry.ReadString(kUser, "software\\OSTWICK", "useragent"), "b");
  EXPECT_EQ(registry.SubKeyNames(kUser, "software"), QStringList{"Ostwick"});
  EXPECT_EQ(registry.ValueNames(kUser, "\\Software\\Ostwick\\"), QStringList{"UserAgent"});
  EXPECT_TRUE(ReadAll(path).contains("[HKEY_CURRENT_USER\\Software\\Ostwick]\n\"UserAgent\"=\"b\""));
}

TEST_F(RegistryTest, MissingValuesAndWrongTypesAreErrors) {
  Registry registry(path);
  registry.WriteDword(kUser, "K", "Number", 5);
  EXPECT_THROW(registry.ReadString(kUser, "K", "Number"), RegistryError);
  EXPECT_THROW(registry.ReadBinary(kUser, "K", "Number"), RegistryError);
  EXPECT_THROW(registry.ReadDword(kUser, "K", "Other"), RegistryError);
  EXPECT_THROW(registry.ReadDword(kUser, "Missing", "Number"), RegistryError);
  EXPECT_THROW(registry.ReadDword(kMachine, "K", "Number"), RegistryError);
  EXPECT_THROW(registry.WriteDword(kUser, "Bad\nName", "x", 1), RegistryError);
  try {
    registry.ReadString(kUser, "K", "Number");
  } catch (const RegistryError &e) {
    EXPECT_STREQ(e.what(), "Registry value \"Number\" of key \"K\" is a dword, not a string");
  }
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
  Registry registry(path);
  registry.WriteString(kUser, "A\\B\\C", "v", "1");
  registry.WriteString(kUser, "A", "w", "2");
  registry.DeleteKey(kUser, "a\\b");
  EXPECT_FALSE(registry.KeyExists(kUser, "A\\B\\C"));
  EXPECT_TRUE(registry.KeyExists(kUser, "A"));
  registry.DeleteValue(kUser, "A", "W");
  EXPECT_FALSE(registry.ValueExists(kUser, "A", "w"));
  registry.DeleteKey(kUser, "Nowhere\\At\\All");
  EXPECT_THROW(registry.DeleteKey(kUser, ""), RegistryError);
  Registry reloaded(path);
  EXPECT_TRUE(reloaded.KeyExists(kUser, "A"));
  EXPECT_FALSE(reloaded.KeyExists(kUser, "A\\B"));
}

// A crash after the temporary file is written (here half of it) must leave the old file
// whole, and the next write must go through.
TEST_F(RegistryTest, InterruptedWriteLeavesTheOldFile) {
  Registry registry(path);
  registry.WriteString(kUser, "K", "Kept", "old");
  const QByteArray before = ReadAll(path);
  struct Crash {};
  SetAtomicWriteInterruptForTest([](const QString &temp) {
    QFile file(temp);
    file.resize(file.size() / 2);
    throw Crash();
  });
  EXPECT_THROW(registry.WriteString(kUser, "K", "Kept", "new" + QString(500, 'x')), Crash);
  SetAtomicWriteInterruptForTest({});
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(QFile::exists(path + ".tmp"));

  Registry afterCrash(path);
  EXPECT_TRUE(afterCrash.LoadError().isEmpty());
  EXPECT_EQ(afterCrash.ReadString(kUser, "K", "Kept"), "old");
  afterCrash.WriteString(kUser, "K", "Kept", "newer");
  EXPECT_EQ(Registry(path).ReadString(kUser, "K", "Kept"), "newer");
}

// A value written again as it is, in any case of its name, leaves the file alone; a change of
// its value or type is written.
TEST_F(RegistryTest, OnlyAChangeRewritesTheFile) {
  Registry registry(path);
  registry.WriteString(kUser, "K", "Shown", "1");
  registry.WriteDword(kUser, "K", "Count", 7);
  const auto inode = [this] {
    struct stat facts {};
    ::stat(QFile::encodeName(path).constData(), &facts);
    return facts.st_ino;
  };
  const auto before = inode();
  registry.WriteString(kUser, "k", "SHOWN", "1");
  registry.WriteDword(kUser, "K", "Count", 7);
  EXPECT_EQ(inode(), before);
  registry.WriteString(kUser, "K", "Count", "7");
  EXPECT_NE(inode(), before);
  EXPECT_EQ(Registry(path).ReadString(kUser, "K", "Count"), "7");
}

TEST_F(RegistryTest, MalformedFileIsReportedByLineAndNeverOverwritten) {
  const QByteArray text = "; settings\n[HKEY_CURRENT_USER\\K]\n\"Good\"=\"1\"\n\"Bad\"=dword:xyz\n";
  QDir().mkpath(QFileInfo(path).absolutePath());
  WriteText(path, text);
  Registry registry(path);
  EXPECT_EQ(registry.LoadError(), path + ": line 4: dword: needs 1 to 8 hexadecimal digits");
  EXPECT_FALSE(registry.ValueExists(kUser, "K", "Good"));
  registry.WriteString(kUser, "K", "Good", "2");
  EXPECT_EQ(registry.ReadString(kUser, "K", "Good"), "2");
  EXPECT_EQ(ReadAll(path), text);
}

TEST_F(RegistryTest, EachKindOfMalformedLineNamesItsLine) {
  const char *cases[][2] = {
      {"\"a\"=\"1\"", "line 1: value before any [key] line"},
      {"[HKEY_CURRENT_USER\\K]\n\n[HKEY_USERS\\K]", "line 3: unknown root key \"HKEY_USERS\""},
      {"[HKEY_CURRENT_USER\\K", "line 1: missing ] at the end of the key line"},
      {"[HKEY_CURRENT_USER\\\\K]", "line 1: empty key name"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=\"open", "line 2: missing closing quote"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=\"x\\q\"", "line 2: unknown escape \\q in quotes"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=\"x\" y", "line 2: unexpected text after the closing quote"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\" \"x\"", "line 2: missing = after the value name"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=hex:1,02",
       "line 2: hex: needs bytes of two hexadecimal digits separated by commas"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=dword:123456789", "line 2: dword: needs 1 to 8 hexadecimal digits"},
      {"[HKEY_CURRENT_USER\\K]\n\"a\"=42", "line 2: a value is \"text\", dword:digits or hex:bytes"},
      {"[HKEY_CURRENT_USER\\K]\nname=1", "line 2: expected [key] or \"name\"=value"},
  };
  for (const auto &[text, error] : cases) {
    RegistryRoots roots;
    QString message;
    EXPECT_FALSE(ParseRegistryText(text, roots, message)) << text;
    EXPECT_EQ(message, error) << text;
  }
}

TEST_F(RegistryTest, HandEditedFileWithLooseSpacing) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  WriteText(path, "\xEF\xBB\xBF[hkey_local_machine\\Soft]\r\n  \"A\" = DWORD:4d2 \r\n@=hex: 01 , ff\r\n");
  Registry registry(path);
  ASSERT_TRUE(registry.LoadError().isEmpty()) << registry.LoadError().toStdString();
  EXPECT_EQ(registry.ReadDword(kMachine, "soft", "a"), 1234u);
  EXPECT_EQ(registry.ReadBinary(kMachine, "Soft", ""), QByteArray("\x01\xff"));
}

TEST_F(RegistryTest, RegFileHeaderLineIsAcceptedAndTheFileKeepsItsForm) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  for (const char *header : {"Windows Registry Editor Version 5.00", "REGEDIT4"}) {
    WriteText(path, QByteArray(header) +
                        "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ostwick\\Quenlark\\Network]\r\n"
                        "\"HTTPProxyPort\"=\"4321\"\r\n");
    Registry registry(path);
    ASSERT_TRUE(registry.LoadError().isEmpty()) << header << ": " << registry.LoadError().toStdString();
    EXPECT_EQ(registry.ReadString(kUser, "Software\\Ostwick\\Quenlark\\Network", "HTTPProxyPort"), "4321");
    registry.WriteString(kUser, "Software\\Ostwick\\Quenlark\\Network", "UseLoopback", "1");
    const QByteArray written = ReadAll(path);
    EXPECT_TRUE(written.startsWith("; Quenlark's registry.")) << written.toStdString();
    EXPECT_TRUE(written.contains("\"HTTPProxyPort\"=\"4321\"\n\"UseLoopback\"=\"1\"\n"));
  }
  // Only as the first line: further down it is not a line of the file's form.
  RegistryRoots roots;
  QString message;
  EXPECT_FALSE(ParseRegistryText("[HKEY_CURRENT_USER\\K]\nREGEDIT4\n", roots, message));
  EXPECT_EQ(message, "line 2: expected [key] or \"name\"=value");
}

TEST(RegistryPath, FollowsXdgConfigHome) {
  QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
  EXPECT_EQ(Registry::DefaultPath(), "/tmp/cfg/quenlark/registry.reg");
  qputenv("XDG_CONFIG_HOME", "");
  EXPECT_EQ(Registry::DefaultPath(), qEnvironmentVariable("HOME") + "/.config/quenlark/registry.reg");
  qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
} // namespace ql
