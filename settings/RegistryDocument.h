#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// Value types as the registry numbers them; other numbers are kept as they are.
namespace RegistryType {
constexpr quint32 None = 0;
constexpr quint32 String = 1;       // REG_SZ
constexpr quint32 ExpandString = 2; // REG_EXPAND_SZ
constexpr quint32 Binary = 3;       // REG_BINARY
constexpr quint32 Dword = 4;        // REG_DWORD, little-endian
} // namespace RegistryType

struct RegistryValue {
    quint32 type = RegistryType::None;
    QByteArray data; // strings: UTF-8 bytes with their terminating NUL
    // A string read from a hex(N) byte list rather than from quoted text; written back the
    // same way.
    bool hexList = false;

    friend bool operator==(const RegistryValue &, const RegistryValue &) = default;
};

// The text of a string value, up to its first NUL. A registry export writes the string types
// as hex(N) lists of UTF-16LE, whose terminator is a zero 16-bit unit; such a list is read as
// UTF-16 when it holds one. Quoted text is always UTF-8, whatever NULs it carries.
QString decodeRegistryString(const RegistryValue &value);

// The contents of the store file: sections of typed values in the registry export style.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Quorvex\Voltline\Configuration]
//   "Vers"=hex:00,00,00,e0,a3,70,f1,3f
//   "Top"=dword:000000aa
//   "HelpPath"="/usr/share/voltline/help.html"
//   "Other"=hex(2):2f,74,6d,70,00
//
// Strings escape \\ \" \n \r \t and other control bytes as \xHH. hex(N) carries type N with
// the raw bytes; for the string types those are UTF-8, or the UTF-16LE of a Windows export
// (see decodeRegistryString).
// Key paths and value names compare without regard to case, as in the registry.
// Lines that do not parse are kept verbatim where they stood and otherwise ignored.
class RegistryDocument {
public:
    // Parses whatever the file holds. Sets *corrupt when the bytes are not a store file at all
    // (binary data, or content without a single section); the document is then empty.
    static RegistryDocument parse(const QByteArray &bytes, bool *corrupt = nullptr);
    QByteArray serialize() const;

    // A key exists when its section or a section below it exists.
    bool hasKey(const QString &path) const;
    void createKey(const QString &path);
    std::optional<RegistryValue> value(const QString &key, const QString &name) const;
    void setValue(const QString &key, const QString &name, const RegistryValue &value);
    bool removeValue(const QString &key, const QString &name);

    struct Item {
        QString key;
        QString name;
        RegistryValue value;
    };
    QList<Item> values() const;
    int ignoredLineCount() const { return m_ignoredLines; }

private:
    struct Entry {
        QString name;
        RegistryValue value;
        QByteArray raw; // set for a line kept verbatim
        bool isRaw = false;
    };
    struct Section {
        QString path;
        QList<Entry> entries;
        QHash<QString, qsizetype> index; // folded name -> entry, so large files load in linear time

        Entry *find(const QString &name);
        void set(const QString &name, const RegistryValue &value);
        void addRaw(const QByteArray &raw);
        bool remove(const QString &name);
    };

    Section *findSection(const QString &path);
    const Section *findSection(const QString &path) const;
    Section &sectionFor(const QString &path);

    QList<QByteArray> m_preamble; // comments and unparsed lines before the first section
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded path -> section
    int m_ignoredLines = 0;
};
