#include "RegistryDocument.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration");

RegistryValue dword(quint32 v)
{
    QByteArray d(4, '\0');
    for (int i = 0; i < 4; ++i)
        d[i] = char((v >> (8 * i)) & 0xff);
    return {RegistryType::Dword, d};
}

RegistryValue text(const QByteArray &utf8)
{
    return {RegistryType::String, utf8 + '\0'};
}

struct ParseRow {
    const char *name;
    QByteArray file;
    const char *value; // looked up under kKey
    std::optional<RegistryValue> want;
    int ignored = 0;
};

TEST(RegistryDocument, ReadsEachLineForm)
{
    const QByteArray head =
        "Windows Registry Editor Version 5.00\r\n\r\n[" + kKey.toUtf8() + "]\r\n";
    const ParseRow rows[] = {
        {"dword", head + "\"Top\"=dword:000000aa\n", "Top", dword(0xaa)},
        {"dword short and upper case", head + "\"Top\"=DWORD:FF\n", "Top", dword(0xff)},
        {"negative dword", head + "\"W\"=dword:fffffffd\n", "W", dword(0xfffffffd)},
        {"dword too long", head + "\"Top\"=dword:1000000000\n", "Top", std::nullopt, 1},
        {"binary", head + "\"Vers\"=hex:00,00,00,e0,a3,70,f1,3f\n", "Vers",
         RegistryValue{RegistryType::Binary, QByteArray::fromHex("000000e0a370f13f")}},
        {"empty binary", head + "\"B\"=hex:\n", "B", RegistryValue{RegistryType::Binary, {}}},
        {"continued binary", head + "\"B\"=hex:01,02,\\\n  03,04\n", "B",
         RegistryValue{RegistryType::Binary, QByteArray::fromHex("01020304")}},
        {"expandable string", head + "\"P\"=hex(2):2f,61,00\n", "P",
         RegistryValue{RegistryType::ExpandString, QByteArray("/a\0", 3), true}},
        {"unknown type kept", head + "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n", "Q",
         RegistryValue{0xb, QByteArray::fromHex("0100000000000000")}},
        {"string with escapes", head + "\"S\"=\"a\\\\b \\\"q\\\" \\n\\t\\x01\"\n", "S",
         text("a\\b \"q\" \n\t\x01")},
        {"utf-8 string", head + "\"S\"=\"Gr\xc3\xbc\xc3\x9f\"\n", "S", text("Gr\xc3\xbc\xc3\x9f")},
        {"default value", head + "@=\"d\"\n", "", text("d")},
        {"name without regard to case", head + "\"top\"=dword:1\n", "TOP", dword(1)},
        {"later line wins", head + "\"T\"=dword:1\n\"T\"=dword:2\n", "T", dword(2)},
        {"unterminated string", head + "\"S\"=\"abc\n", "S", std::nullopt, 1},
        {"unknown escape", head + "\"S\"=\"a\\qb\"\n", "S", std::nullopt, 1},
        {"bad hex byte", head + "\"B\"=hex:0g\n", "B", std::nullopt, 1},
        {"invalid utf-8", head + "\"S\"=\"\xff\"\n", "S", std::nullopt, 1},
        {"garbage line spares the next", head + "Top=170\n\"Left\"=dword:2\n", "Left", dword(2), 1},
        {"deletion command is not a value", head + "\"T\"=-\n", "T", std::nullopt, 1},
        {"comment", head + "; a remark\n\"T\"=dword:3\n", "T", dword(3)},
        {"byte-order mark", "\xef\xbb\xbf" + head + "\"T\"=dword:4\n", "T", dword(4)},
    };
    for (const ParseRow &row : rows) {
        SCOPED_TRACE(row.name);
        bool corrupt = true;
        const RegistryDocument doc = RegistryDocument::parse(row.file, &corrupt);
        EXPECT_FALSE(corrupt);
        EXPECT_EQ(doc.value(kKey, QString::fromUtf8(row.value)), row.want);
        EXPECT_EQ(doc.ignoredLineCount(), row.ignored);
    }
}

TEST(RegistryDocument, TellsAStoreFileFromSomethingElse)
{
    struct Row {
        const char *name;
        QByteArray bytes;
        bool corrupt;
    };
    const Row rows[] = {
        {"empty", "", false},
        {"blank lines", "\n\r\n  \n", false},
        {"header only", "Windows Registry Editor Version 5.00\n", false},
        {"one section", "[HKEY_CURRENT_USER\\X]\n", false},
        {"binary",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0",
                    10),
         true},
        {"text without sections", "Top=1\nLeft=2\n", true},
        {"values before any section", "\"Top\"=dword:1\n", true},
        {"only a deletion command", "[-HKEY_CURRENT_USER\\X]\n", true},
        {"odd-length utf-16", "\xff\xfe[\0H", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        bool corrupt = !row.corrupt;
        const RegistryDocument doc = RegistryDocument::parse(row.bytes, &corrupt);
        EXPECT_EQ(corrupt, row.corrupt);
        if (row.corrupt) {
            EXPECT_TRUE(doc.values().isEmpty());
        }
    }
}

TEST(RegistryDocument, ReadsARegistryEditorExport)
{
    const QString source = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "\"P\"=\"C:\\\\Program Files\\\\x\"\r\n");
    QByteArray utf16("\xff\xfe");
    utf16.append(reinterpret_cast<const char *>(source.utf16()), source.size() * 2);
    bool corrupt = true;
    const RegistryDocument doc = RegistryDocument::parse(utf16, &corrupt);
    EXPECT_FALSE(corrupt);
    EXPECT_EQ(doc.value(QStringLiteral("HKEY_CURRENT_USER\\Software\\A"), QStringLiteral("P")),
              text("C:\\Program Files\\x"));
}

TEST(RegistryDocument, KeysExistWithTheirSubkeys)
{
    const RegistryDocument doc = RegistryDocument::parse("[HKEY_CURRENT_USER\\Software\\Q\\V]\n");
    EXPECT_TRUE(doc.hasKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Q\\V")));
    EXPECT_TRUE(doc.hasKey(QStringLiteral("hkey_current_user\\software\\q")));
    EXPECT_FALSE(doc.hasKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Q\\V\\W")));
    EXPECT_FALSE(doc.hasKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Q\\")));
    EXPECT_FALSE(doc.hasKey(QStringLiteral("HKEY_CURRENT_USER\\Soft")));
}

TEST(RegistryDocument, WrittenValuesReadBackUnchanged)
{
    const RegistryValue values[] = {
        text(""),
        text("plain"),
        text("quote \" backslash \\ end\\"),
        text("line one\nline two\r\n\ttab"),
        text(QByteArray("nul\0inside", 10)),
        text("\x01\x1f\x7f control"),
        text("\xe2\x82\xac euro"),
        // strings that cannot be quoted text are byte lists
        {RegistryType::String, "no terminating nul", true},
        {RegistryType::String, "\xff\xfe not utf-8\0", true},
        {RegistryType::String, {}, true},
        {RegistryType::ExpandString, QByteArray("%HOME%/x\0", 9), true},
        {RegistryType::Binary, {}},
        {RegistryType::Binary, QByteArray(300, '\xab')},
        dword(0),
        dword(0xffffffff),
        {RegistryType::Dword, "\x01\x02"},
        {0x12345678, "x"},
    };
    const QString names[] = {QString(),
                             QStringLiteral("plain"),
                             QStringLiteral("a \"b\" \\ c"),
                             QStringLiteral("new\nline"),
                             QStringLiteral("\x01\x02"),
                             QStringLiteral("[not a section]")};
    RegistryDocument doc;
    int i = 0;
    for (const RegistryValue &v : values) {
        for (const QString &name : names)
            doc.setValue(kKey + QString::number(i), name, v);
        ++i;
    }
    const QByteArray once = doc.serialize();
    bool corrupt = true;
    const RegistryDocument back = RegistryDocument::parse(once, &corrupt);
    EXPECT_FALSE(corrupt);
    EXPECT_EQ(back.ignoredLineCount(), 0);
    i = 0;
    for (const RegistryValue &v : values) {
        for (const QString &name : names) {
            SCOPED_TRACE(QStringLiteral("value %1, name %2").arg(i).arg(name).toStdString());
            EXPECT_EQ(back.value(kKey + QString::number(i), name), v);
        }
        ++i;
    }
    EXPECT_EQ(back.serialize(), once);
}

TEST(RegistryDocument, KeepsLinesItCannotReadWhereTheyStood)
{
    const QByteArray file = "Windows Registry Editor Version 5.00\n\n"
                            "; made by hand\n"
                            "[HKEY_CURRENT_USER\\A]\n"
                            "\"One\"=dword:00000001\n"
                            "  this line is not a value\n"
                            "\"Two\"=oops\n"
                            "\"Bin\"=hex:01,\\\n"
                            "  zz\n";
    RegistryDocument doc = RegistryDocument::parse(file);
    EXPECT_EQ(doc.ignoredLineCount(), 3);
    doc.setValue(QStringLiteral("HKEY_CURRENT_USER\\A"), QStringLiteral("Three"), dword(3));
    EXPECT_EQ(doc.serialize(), "Windows Registry Editor Version 5.00\n\n"
                               "; made by hand\n\n"
                               "[HKEY_CURRENT_USER\\A]\n"
                               "\"One\"=dword:00000001\n"
                               "this line is not a value\n"
                               "\"Two\"=oops\n"
                               "\"Bin\"=hex:01,\\\n"
                               "  zz\n"
                               "\"Three\"=dword:00000003\n\n");
}

// Kept lines next to continuation lines must not merge into values on the way back in.
TEST(RegistryDocument, WrittenFileReadsBackToTheSameFile)
{
    const QByteArray inputs[] = {
        "[K]\n\"a\"=hex:00,\\\n\n  01\n",
        "[K]\n  ; indented comment\nx,\\\n",
        "[K]\nx\r\r\n",
        // Found by the fuzzer: a section named by a lone byte-order mark lost its name.
        QByteArray::fromBase64("Ig0KW++7v10KPyL/Iu+7vwoiICIKW0hLWV0K"),
    };
    for (const QByteArray &input : inputs) {
        SCOPED_TRACE(input.toStdString());
        const QByteArray once = RegistryDocument::parse(input).serialize();
        const RegistryDocument again = RegistryDocument::parse(once);
        EXPECT_EQ(again.serialize(), once);
        EXPECT_EQ(again.values().size(), RegistryDocument::parse(input).values().size());
    }
}

} // namespace
