#include "RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kConfig = QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration");

class RegistryStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_tmp.filePath(QStringLiteral("voltline")); }
    QString file() const { return folder() + QStringLiteral("/user.reg"); }

    void writeFile(const QByteArray &bytes)
    {
        QDir().mkpath(folder());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static mode_t modeOf(const QString &path)
    {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir m_tmp;
};

TEST_F(RegistryStoreTest, MissingKeyAndMissingValueDiffer)
{
    writeFile("[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]\n"
              "\"Top\"=dword:000000aa\n");
    RegistryStore reg(file());
    EXPECT_FALSE(reg.openKey(QStringLiteral("\\Software\\Quorvex\\Voltline\\Stats"), false));
    EXPECT_FALSE(reg.readValue(QStringLiteral("Top"))) << "no key is open";
    ASSERT_TRUE(reg.openKey(kConfig, false));
    EXPECT_EQ(reg.readInteger(QStringLiteral("Top")), 170);
    EXPECT_FALSE(reg.readInteger(QStringLiteral("Left")));
    EXPECT_EQ(reg.fileState(), RegistryStore::FileState::Loaded);

    // Relative paths continue from the open key.
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\Software\\Quorvex"), false));
    EXPECT_TRUE(reg.openKey(QStringLiteral("Voltline\\Configuration"), false));
    EXPECT_EQ(reg.currentKey(), QStringLiteral("HKEY_CURRENT_USER") + kConfig);
}

TEST_F(RegistryStoreTest, TypedReadsFailOnAnyOtherTypeOrSize)
{
    // The registry editor exports an expandable string as hex(2) in UTF-16LE with a two-byte
    // terminator, its byte list continued over several lines.
    const QString exported = QStringLiteral("/usr/share/voltline/help file.html");
    QByteArray utf16(reinterpret_cast<const char *>(exported.utf16()), exported.size() * 2);
    QByteArray exportLine = "\"Export\"=hex(2):";
    utf16.append(2, '\0');
    for (qsizetype i = 0; i < utf16.size(); i += 25)
        exportLine += utf16.mid(i, 25).toHex(',') + (i + 25 < utf16.size() ? ",\\\n  " : "\n");
    writeFile("[HKEY_CURRENT_USER\\K]\n" + exportLine +
              "\"Dword\"=dword:00000007\n"
              "\"Zero\"=dword:00000000\n"
              "\"Neg\"=dword:fffffffd\n"
              "\"ShortDword\"=hex(4):07,00\n"
              "\"Text\"=\"1\"\n"
              "\"Expand\"=hex(2):2f,78,00,2f,79,00\n"
              "\"Nul\"=\"/tmp/a\\x00\"\n"
              "\"Empty\"=\"\"\n"
              "\"Double\"=hex:00,00,00,e0,a3,70,f1,3f\n"
              "\"Four\"=hex:00,00,80,3f\n");
    RegistryStore reg(file());
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\K"), false));
    struct Row {
        const char *name;
        std::optional<qint32> integer;
        std::optional<bool> boolean;
        std::optional<double> real;
        std::optional<QString> string;
    };
    const Row rows[] = {
        {"Dword", 7, true, {}, {}},
        {"Zero", 0, false, {}, {}},
        {"Neg", -3, true, {}, {}},
        {"ShortDword", {}, {}, {}, {}},
        {"Text", {}, {}, {}, QStringLiteral("1")},
        {"Expand", {}, {}, {}, QStringLiteral("/x")},
        {"Nul", {}, {}, {}, QStringLiteral("/tmp/a")}, // quoted text is never UTF-16
        {"Export", {}, {}, {}, QStringLiteral("/usr/share/voltline/help file.html")},
        {"Empty", {}, {}, {}, QString()},
        {"Double", {}, {}, double(1.09f), {}},
        {"Four", {}, {}, {}, {}},
        {"Missing", {}, {}, {}, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QLatin1String(row.name);
        EXPECT_EQ(reg.readInteger(name), row.integer);
        EXPECT_EQ(reg.readBool(name), row.boolean);
        EXPECT_EQ(reg.readDouble(name), row.real);
        EXPECT_EQ(reg.readString(name), row.string);
    }
}

TEST_F(RegistryStoreTest, CommitWritesOneOwnerOnlyFile)
{
    RegistryStore reg(file());
    ASSERT_TRUE(reg.openKey(kConfig, true));
    reg.writeDouble(QStringLiteral("Vers"), double(1.09f));
    reg.writeInteger(QStringLiteral("Top"), 170);
    reg.writeString(QStringLiteral("HelpPath"),
                    QStringLiteral("/usr/share/doc/voltline/help.html"));
    EXPECT_FALSE(QFile::exists(file())) << "nothing is written before the commit";
    ASSERT_TRUE(reg.commit());
    EXPECT_EQ(readFile(), "Windows Registry Editor Version 5.00\n\n"
                          "[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]\n"
                          "\"Vers\"=hex:00,00,00,e0,a3,70,f1,3f\n"
                          "\"Top\"=dword:000000aa\n"
                          "\"HelpPath\"=\"/usr/share/doc/voltline/help.html\"\n\n");
    EXPECT_EQ(modeOf(file()), mode_t(0600));
    EXPECT_EQ(modeOf(folder()), mode_t(0700));
    EXPECT_FALSE(reg.hasPendingChanges());
}

TEST_F(RegistryStoreTest, CommitMergesOntoWhatAnotherCopyWrote)
{
    RegistryStore first(file());
    ASSERT_FALSE(first.openKey(kConfig, false)); // read before the other copy wrote
    RegistryStore other(file());
    other.openKey(kConfig, true);
    other.writeInteger(QStringLiteral("Top"), 1);
    other.writeInteger(QStringLiteral("Left"), 2);
    ASSERT_TRUE(other.commit());

    first.openKey(kConfig, true);
    first.writeInteger(QStringLiteral("Left"), 5);
    first.deleteValue(QStringLiteral("Top"));
    first.writeInteger(QStringLiteral("Height"), 20);
    ASSERT_TRUE(first.commit());

    RegistryStore check(file());
    ASSERT_TRUE(check.openKey(kConfig, false));
    EXPECT_FALSE(check.readInteger(QStringLiteral("Top")));
    EXPECT_EQ(check.readInteger(QStringLiteral("Left")), 5);
    EXPECT_EQ(check.readInteger(QStringLiteral("Height")), 20);
}

TEST_F(RegistryStoreTest, CorruptFileIsKeptAsideOnlyWhenWritten)
{
    const QByteArray garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    writeFile(garbage);
    {
        RegistryStore reg(file());
        EXPECT_FALSE(reg.openKey(kConfig, false));
        EXPECT_EQ(reg.fileState(), RegistryStore::FileState::Corrupt);
    }
    EXPECT_EQ(readFile(), garbage) << "reading alone changes nothing";

    RegistryStore reg(file());
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 3);
    ASSERT_TRUE(reg.commit());
    const QStringList aside =
        QDir(folder()).entryList({QStringLiteral("user.reg.corrupt-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    QFile kept(QDir(folder()).filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    RegistryStore check(file());
    ASSERT_TRUE(check.openKey(kConfig, false));
    EXPECT_EQ(check.readInteger(QStringLiteral("Top")), 3);
}

TEST_F(RegistryStoreTest, PlantedLinkIsReplacedNotFollowed)
{
    const QString victim = m_tmp.filePath(QStringLiteral("victim"));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    const QByteArray precious = "[HKEY_CURRENT_USER\\Victim]\n";
    v.write(precious);
    v.close();
    QDir().mkpath(folder());
    ASSERT_TRUE(QFile::link(victim, file()));

    RegistryStore reg(file());
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 1);
    ASSERT_TRUE(reg.commit());
    EXPECT_FALSE(QFileInfo(file()).isSymLink());
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), precious);
}

TEST_F(RegistryStoreTest, RefusesAFolderItDoesNotOwn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the folder away";
    writeFile("[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]\n"
              "\"Top\"=dword:00000001\n");
    ASSERT_EQ(::chown(QFile::encodeName(folder()).constData(), 12345, 12345), 0);
    RegistryStore reg(file());
    EXPECT_FALSE(reg.openKey(kConfig, false));
    EXPECT_EQ(reg.fileState(), RegistryStore::FileState::Unreadable);
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 2);
    EXPECT_FALSE(reg.commit());
    EXPECT_TRUE(reg.hasPendingChanges());
}

TEST_F(RegistryStoreTest, LinkedFolderCountsOnlyWhenTheLinkIsOurs)
{
    const QString real = m_tmp.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(real));
    ASSERT_TRUE(QFile::link(real, folder()));
    RegistryStore reg(file());
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 4);
    ASSERT_TRUE(reg.commit());
    EXPECT_TRUE(QFile::exists(real + QStringLiteral("/user.reg")));

    if (::geteuid() != 0)
        return;
    ASSERT_EQ(::lchown(QFile::encodeName(folder()).constData(), 12345, 12345), 0);
    RegistryStore planted(file());
    EXPECT_FALSE(planted.openKey(kConfig, false));
    planted.openKey(kConfig, true);
    EXPECT_FALSE(planted.commit());
}

// What stands in the file's or the lock's place may block an open (a FIFO) or refuse one (a
// link): reading never waits, a FIFO is set aside like a corrupt file, and a lock that is not
// a plain file is replaced, so saving goes on.
TEST_F(RegistryStoreTest, OddFilesInPlaceNeverBlockNorStopSaving)
{
    struct Row {
        const char *name;
        QString path; // what is planted
        bool fifo;    // else a dangling link
    };
    const Row rows[] = {
        {"fifo as the store", file(), true},
        {"fifo as the lock", file() + QStringLiteral(".lock"), true},
        {"link as the lock", file() + QStringLiteral(".lock"), false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        QDir(folder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder()));
        const QByteArray planted = QFile::encodeName(r.path);
        ASSERT_EQ(r.fifo ? ::mkfifo(planted.constData(), 0600)
                         : ::symlink("/nonexistent/elsewhere", planted.constData()),
                  0);
        {
            RegistryStore reg(file());
            EXPECT_FALSE(reg.openKey(kConfig, false));
        }
        RegistryStore reg(file());
        reg.openKey(kConfig, true);
        reg.writeInteger(QStringLiteral("Top"), 7);
        ASSERT_TRUE(reg.commit());
        RegistryStore check(file());
        ASSERT_TRUE(check.openKey(kConfig, false));
        EXPECT_EQ(check.readInteger(QStringLiteral("Top")), 7);
        EXPECT_TRUE(QFileInfo(file() + QStringLiteral(".lock")).isFile());
        EXPECT_FALSE(QFileInfo(file() + QStringLiteral(".lock")).isSymLink());
    }
}

TEST_F(RegistryStoreTest, NeverReplacesAFileItCouldNotRead)
{
    QDir().mkpath(file()); // a folder where the file should be cannot be read as one
    RegistryStore reg(file());
    EXPECT_FALSE(reg.openKey(kConfig, false));
    EXPECT_EQ(reg.fileState(), RegistryStore::FileState::Unreadable);
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 1);
    EXPECT_FALSE(reg.commit());
    EXPECT_TRUE(QFileInfo(file()).isDir());
}

TEST_F(RegistryStoreTest, LooseFolderPermissionsAreTightened)
{
    QDir().mkpath(folder());
    ::chmod(QFile::encodeName(folder()).constData(), 0777);
    RegistryStore reg(file());
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), 1);
    ASSERT_TRUE(reg.commit());
    EXPECT_EQ(modeOf(folder()) & 022, mode_t(0));
}

} // namespace
