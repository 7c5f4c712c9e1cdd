#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The user's start-at-login entry: a desktop entry in their own XDG autostart folder
// ($XDG_CONFIG_HOME/autostart). Machine-wide folders are only read: an entry of the same name
// there starts the program for everyone, so removing ours hides that one as well.
class AutostartEntry {
public:
    // filePath: the user's entry. stagingFolder: a private folder on the same file system where
    // the new entry is written before it is renamed into place, so a killed write leaves
    // nothing in the autostart folder. systemFiles: machine-wide entries of the same name.
    AutostartEntry(QString filePath, QString stagingFolder, QStringList systemFiles = {});

    // A place for the entry is known (the demo has none).
    bool isAvailable() const;
    // Creates the autostart folder when missing; never writes through a link in the entry's
    // place.
    bool write(const QString &executable);
    // Deletes the entry, or writes one that says Hidden=true where a machine-wide entry of the
    // same name would otherwise still start the program.
    bool remove(const QString &executable);

    static QByteArray desktopEntry(const QString &executable, bool hidden = false);
    // The Exec value that starts exactly this program file: quoted and escaped as desktop
    // entries require, so no character of the path reaches a shell or a field code.
    static QString execValue(const QString &executable);

private:
    bool replace(const QByteArray &content);

    QString m_filePath;
    QString m_stagingFolder;
    QStringList m_systemFiles;
};
