#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

namespace {

const QString kPath = QStringLiteral("/org/quorvex/Voltline");
const QString kInterface = QStringLiteral("org.quorvex.Voltline");
// The second start must be gone quickly even when the first does not answer.
constexpr int kCallTimeoutMs = 700;

} // namespace

SingleInstance::SingleInstance(const QString &storeFile, QObject *parent)
    : QObject(parent)
    , m_service(serviceName(storeFile))
{
}

SingleInstance::~SingleInstance()
{
    // Before the process ends: a start that comes now gets the name instead of a dying bar.
    if (m_owner) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(m_service);
        bus.unregisterObject(kPath);
    }
}

QString SingleInstance::serviceName(const QString &storeFile)
{
    const QByteArray key = QFileInfo(storeFile).absoluteFilePath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    // A bus name element may not start with a digit.
    return QStringLiteral("org.quorvex.Voltline.s") + QString::fromLatin1(hash.left(16));
}

bool SingleInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_owner && bus.objectRegisteredAt(kPath) == nullptr)
        bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(m_service, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    m_owner = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    return m_owner;
}

bool SingleInstance::handOver()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    QTextStream err(stderr);
    // Twice: the running bar may be ending just now and let go of the name meanwhile.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (claim())
            return false;
        const QDBusMessage call = QDBusMessage::createMethodCall(m_service, kPath, kInterface,
                                                                 QStringLiteral("Activate"));
        const QDBusMessage answer = bus.call(call, QDBus::Block, kCallTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage) {
            err << "voltline: already running on this store; showing the running bar\n";
            return true;
        }
    }
    err << "voltline: already running on this store, but it does not answer\n";
    return true;
}

void SingleInstance::Activate()
{
    // After the reply has gone out, so the other start can end at once.
    if (m_activate)
        QTimer::singleShot(0, this, [this] {
            if (m_activate)
                m_activate();
        });
}
