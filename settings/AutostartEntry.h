#pragma once

#include <QByteArray>
#include <QString>

// The machine-wide start-with-the-system entry: a desktop entry in the system's XDG autostart
// folder. The folder is never created; without it, or without the right to write there,
// nothing happens.
class AutostartEntry {
public:
    explicit AutostartEntry(QString filePath);

    // The autostart folder exists and this user may write into it.
    bool isAvailable() const;
    // Readable by every user's session (0644); never written through a link in its place.
    bool write(const QString &executable);
    bool remove();

    static QByteArray desktopEntry(const QString &executable);
    // The Exec value that starts exactly this program file: quoted and escaped as desktop
    // entries require, so no character of the path reaches a shell or a field code.
    static QString execValue(const QString &executable);

private:
    QString m_filePath;
};
