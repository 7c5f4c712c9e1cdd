#include "RegistryStore.h"

#include "SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Long enough for a slow disk, short enough that a stuck copy cannot hang a close for long.
constexpr int kLockTimeoutMs = 3000;

QByteArray littleEndian32(quint32 v)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((v >> (8 * i)) & 0xff);
    return data;
}

quint32 fromLittleEndian32(const QByteArray &data)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(data[i]);
    return v;
}

// Nobody but root or this user can change what the path names.
bool isSharedAndSafe(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return (st.st_uid == 0 || st.st_uid == ::geteuid()) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

RegistryStore RegistryStore::readOnly(QString filePath, QString rootKey)
{
    RegistryStore store(std::move(filePath), std::move(rootKey));
    store.m_readOnly = true;
    return store;
}

RegistryStore::RegistryStore(QString filePath, QString rootKey)
    : m_filePath(std::move(filePath))
    , m_rootKey(std::move(rootKey))
{
}

QString RegistryStore::absoluteKey(const QString &key) const
{
    QString path = key;
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    if (key.startsWith(QLatin1Char('\\')))
        return m_rootKey + path;
    const QString base = m_currentKey.isEmpty() ? m_rootKey : m_currentKey;
    return path.isEmpty() ? base : base + QLatin1Char('\\') + path;
}

void RegistryStore::ensureLoaded()
{
    if (m_state != FileState::NotRead)
        return;
    const QFileInfo info(m_filePath);
    if (m_readOnly) {
        if (!QFileInfo::exists(m_filePath)) {
            m_state = FileState::Missing;
            return;
        }
        if (!isSharedAndSafe(info.absolutePath()) || !isSharedAndSafe(m_filePath)) {
            m_state = FileState::Unreadable;
            return;
        }
    } else if (info.dir().exists() && !SafeFile::isTrustedFolder(info.absolutePath())) {
        m_state = FileState::Unreadable;
        return;
    }
    const SafeFile::ReadResult read = SafeFile::readFile(m_filePath, kMaxFileSize);
    switch (read.status) {
    case SafeFile::ReadStatus::Missing:
        m_state = FileState::Missing;
        break;
    case SafeFile::ReadStatus::TooLarge:
    case SafeFile::ReadStatus::NotRegular:
        m_state = FileState::Corrupt;
        break;
    case SafeFile::ReadStatus::Failed:
        m_state = FileState::Unreadable;
        break;
    case SafeFile::ReadStatus::Ok: {
        bool corrupt = false;
        RegistryDocument doc = RegistryDocument::parse(read.bytes, &corrupt);
        m_state = corrupt ? FileState::Corrupt : FileState::Loaded;
        // Changes made before the first read stay on top of what the file holds.
        for (const Change &c : m_changes)
            apply(doc, c);
        m_document = std::move(doc);
        break;
    }
    }
}

bool RegistryStore::openKey(const QString &key, bool canCreate)
{
    const QString path = absoluteKey(key);
    if (canCreate && m_readOnly)
        return false;
    if (canCreate) {
        // Writing needs no read: commit() merges onto the file as it is then.
        Change c{Change::CreateKey, path, {}, {}};
        m_document.createKey(path);
        m_changes.push_back(c);
        m_currentKey = path;
        return true;
    }
    ensureLoaded();
    if (!m_document.hasKey(path))
        return false;
    m_currentKey = path;
    return true;
}

void RegistryStore::closeKey()
{
    m_currentKey.clear();
}

std::optional<RegistryValue> RegistryStore::readValue(const QString &name)
{
    if (m_currentKey.isEmpty())
        return std::nullopt;
    ensureLoaded();
    return m_document.value(m_currentKey, name);
}

bool RegistryStore::writeValue(const QString &name, const RegistryValue &value)
{
    if (m_currentKey.isEmpty() || m_readOnly)
        return false;
    m_document.setValue(m_currentKey, name, value);
    m_changes.push_back(Change{Change::Set, m_currentKey, name, value});
    return true;
}

bool RegistryStore::deleteValue(const QString &name)
{
    if (m_currentKey.isEmpty() || m_readOnly)
        return false;
    ensureLoaded();
    const bool existed = m_document.removeValue(m_currentKey, name);
    m_changes.push_back(Change{Change::Delete, m_currentKey, name, {}});
    return existed;
}

std::optional<qint32> RegistryStore::readInteger(const QString &name)
{
    const auto v = readValue(name);
    if (!v || v->type != RegistryType::Dword || v->data.size() != 4)
        return std::nullopt;
    return qint32(fromLittleEndian32(v->data));
}

std::optional<bool> RegistryStore::readBool(const QString &name)
{
    const auto v = readInteger(name);
    if (!v)
        return std::nullopt;
    return *v != 0;
}

std::optional<double> RegistryStore::readDouble(const QString &name)
{
    const auto v = readValue(name);
    if (!v || v->type != RegistryType::Binary || v->data.size() != 8)
        return std::nullopt;
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(v->data[i]);
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::optional<QString> RegistryStore::readString(const QString &name)
{
    const auto v = readValue(name);
    if (!v)
        return QString();
    if (v->type != RegistryType::String && v->type != RegistryType::ExpandString)
        return std::nullopt;
    return decodeRegistryString(*v);
}

bool RegistryStore::writeInteger(const QString &name, qint32 value)
{
    return writeValue(name, RegistryValue{RegistryType::Dword, littleEndian32(quint32(value))});
}

bool RegistryStore::writeBool(const QString &name, bool value)
{
    return writeInteger(name, value ? 1 : 0);
}

bool RegistryStore::writeDouble(const QString &name, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray data(8, '\0');
    for (int i = 0; i < 8; ++i)
        data[i] = char((bits >> (8 * i)) & 0xff);
    return writeValue(name, RegistryValue{RegistryType::Binary, data});
}

bool RegistryStore::writeString(const QString &name, const QString &text)
{
    return writeValue(name, RegistryValue{RegistryType::String, text.toUtf8() + '\0'});
}

void RegistryStore::apply(RegistryDocument &doc, const Change &change) const
{
    switch (change.kind) {
    case Change::CreateKey:
        doc.createKey(change.key);
        break;
    case Change::Set:
        doc.setValue(change.key, change.name, change.value);
        break;
    case Change::Delete:
        doc.removeValue(change.key, change.name);
        break;
    }
}

bool RegistryStore::commit()
{
    if (m_changes.empty())
        return true;
    const QFileInfo info(m_filePath);
    const QString folder = info.absolutePath();
    const QString fileName = info.fileName();
    if (!SafeFile::ensurePrivateFolder(folder))
        return false;

    // Serialises read-modify-write between running copies; the kernel drops the lock of a
    // killed holder.
    const QString lockPath = m_filePath + QStringLiteral(".lock");
    const int lock = SafeFile::lockExclusive(lockPath, kLockTimeoutMs);
    if (lock < 0) {
        m_lockFailure = QStringLiteral("cannot lock %1: %2")
                            .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const auto unlock = qScopeGuard([lock] { ::close(lock); });

    // Another copy may have written since we read: start again from what the file holds now.
    RegistryDocument doc;
    const SafeFile::ReadResult read = SafeFile::readFile(m_filePath, kMaxFileSize);
    // Neither an oversized file nor a FIFO or device in its place is ours to lose: set aside.
    bool corrupt = read.status == SafeFile::ReadStatus::TooLarge ||
                   read.status == SafeFile::ReadStatus::NotRegular;
    if (read.status == SafeFile::ReadStatus::Failed)
        return false; // never replace what we could not read
    if (read.status == SafeFile::ReadStatus::Ok)
        doc = RegistryDocument::parse(read.bytes, &corrupt);
    if (corrupt) {
        const QString stamp =
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmssZ"));
        if (!SafeFile::moveAside(folder, fileName, QStringLiteral(".corrupt-") + stamp))
            return false;
        doc = RegistryDocument();
    }
    for (const Change &c : m_changes)
        apply(doc, c);

    SafeFile::removeLeftovers(folder, fileName);
    if (!SafeFile::writeAtomically(folder, fileName, doc.serialize(), S_IRUSR | S_IWUSR))
        return false;
    m_document = std::move(doc);
    m_state = FileState::Loaded;
    m_changes.clear();
    return true;
}
