#pragma once

#include "RegistryDocument.h"

#include <QString>

#include <optional>
#include <vector>

// A registry accessor over one store file. Keys are opened, values read, written and deleted
// in memory; commit() then writes all changes in one locked read-modify-write of the file,
// applied onto what the file holds at that moment, so two running copies keep each other's
// values. Create one per operation, like the registry accessor it stands in for.
class RegistryStore {
public:
    enum class FileState {
        NotRead,
        Missing, // no file yet: every key is missing
        Loaded,
        Corrupt,    // not a store file; kept aside before the next write
        Unreadable, // no access, or the folder is not ours: every key is missing
    };

    explicit RegistryStore(QString filePath, QString rootKey = QStringLiteral("HKEY_CURRENT_USER"));

    // A store this program only reads: the machine-wide defaults. Keys are never created and
    // nothing is written. The file is taken only when neither it nor its folder can be changed
    // by anyone but root or this user; otherwise every key is missing.
    static RegistryStore readOnly(QString filePath, QString rootKey);

    // A path with a leading backslash starts at the root key, any other one below the open key.
    bool openKey(const QString &key, bool canCreate);
    void closeKey();
    QString currentKey() const { return m_currentKey; }

    // Missing key or value: no result.
    std::optional<RegistryValue> readValue(const QString &name);
    bool writeValue(const QString &name, const RegistryValue &value);
    bool deleteValue(const QString &name);

    // Typed reads fail (no result) on a missing value or one of another type or size.
    std::optional<qint32> readInteger(const QString &name);
    std::optional<bool> readBool(const QString &name);
    std::optional<double> readDouble(const QString &name); // REG_BINARY of exactly 8 bytes
    // REG_SZ or REG_EXPAND_SZ up to the first NUL; missing reads as empty text.
    std::optional<QString> readString(const QString &name);

    bool writeInteger(const QString &name, qint32 value);
    bool writeBool(const QString &name, bool value); // as 0 or 1
    bool writeDouble(const QString &name, double value);
    bool writeString(const QString &name, const QString &text);

    // Writes the changes made since the last commit. False leaves the file as it was and keeps
    // the changes for a later commit.
    bool commit();
    bool hasPendingChanges() const { return !m_changes.empty(); }

    FileState fileState() const { return m_state; }
    // Why the last commit could not take the file's lock; empty when it could.
    const QString &lockFailure() const { return m_lockFailure; }
    QString filePath() const { return m_filePath; }

    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

private:
    struct Change {
        enum Kind { CreateKey, Set, Delete } kind;
        QString key;
        QString name;
        RegistryValue value;
    };

    void ensureLoaded();
    void apply(RegistryDocument &doc, const Change &change) const;
    QString absoluteKey(const QString &key) const;

    QString m_filePath;
    QString m_rootKey;
    QString m_currentKey; // full section path; empty when no key is open
    FileState m_state = FileState::NotRead;
    QString m_lockFailure;
    RegistryDocument m_document;
    std::vector<Change> m_changes;
    bool m_readOnly = false;
};
