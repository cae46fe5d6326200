// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;

// One running program per user: a lock named after the application's title in
// a folder private to the user. The lock of a crashed instance is recognised
// as stale and taken over.
//
// A later start that names files hands them to the running instance through
// a local socket beside the lock; both ends check that the other runs as the
// same user. A later start without files ends silently.
//
// The folder is the user's runtime folder ($XDG_RUNTIME_DIR), or where that
// is not set or not private, "vessimo/runtime-<host>" in the user's cache
// folder; never a folder others can write to, where they could hold the lock
// or listen in their place. A folder counts as private when it belongs to the
// user and nobody else may enter it. Without one the program runs on its own:
// acquire() lets it run and listen() says why no later start can reach it.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title = QStringLiteral("Vessimo V1.00"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process now holds the lock, or when there is no private
    // folder for one; false while another instance runs.
    bool acquire();

    // With the lock held: takes files from later starts (filesHandedOver).
    // Needs a QCoreApplication. False when the channel cannot be opened, with
    // the reason in errorString().
    bool listen();
    QString errorString() const { return m_error; }

    // A later start: hands `paths` to the instance that holds the lock and
    // returns true once it has taken them; false when none takes them within
    // `timeoutMs`. Blocking; needs no event loop.
    static bool handOver(const QString& title, const QStringList& paths, int timeoutMs = 5000);

    // The files named on a command line (the program's name left out), made
    // absolute against `workingDir`, in their order. Arguments starting with
    // "-" are options, up to a "--", after which every argument is a file.
    // Qt's own options that take a value (-style fusion) are passed over with it.
    static QStringList filesFromArguments(const QStringList& arguments, const QString& workingDir);

    // Empty when there is no private folder for them.
    static QString lockPath(const QString& title);
    static QString channelPath(const QString& title);

    // The private folder of the lock and the channel; empty, with the reason
    // in `why`, when none can be had.
    static QString runtimeFolder(QString* why = nullptr);

signals:
    // A later start named these files (absolute paths, in its order).
    void filesHandedOver(const QStringList& paths);

private:
    void receive(QLocalSocket* socket);

    QString m_title;
    std::unique_ptr<QLockFile> m_lock; // null without a private folder
    QLocalServer* m_server = nullptr;
    QString m_error;
};
