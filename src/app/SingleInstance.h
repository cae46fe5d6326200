#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One running program per user: a lock named after the application's title in
// the user's runtime folder. The lock of a crashed instance is recognised as
// stale and taken over.
//
// A later start that names files hands them to the running instance through
// a local socket beside the lock, which only the user can reach; a later
// start without files ends silently.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title = QStringLiteral("Vessimo V1.00"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process now holds the lock; false while another instance runs.
    bool acquire();

    // With the lock held: takes files from later starts (filesHandedOver).
    // Needs a QCoreApplication. False when the channel cannot be opened.
    bool listen();

    // A later start: hands `paths` to the instance that holds the lock and
    // returns true once it has taken them; false when none takes them within
    // `timeoutMs`. Blocking; needs no event loop.
    static bool handOver(const QString& title, const QStringList& paths, int timeoutMs = 5000);

    // The files named on a command line (the program's name left out), made
    // absolute against `workingDir`, in their order. Arguments starting with
    // "-" are options, up to a "--", after which every argument is a file.
    static QStringList filesFromArguments(const QStringList& arguments, const QString& workingDir);

    static QString lockPath(const QString& title);
    static QString channelPath(const QString& title);

signals:
    // A later start named these files (absolute paths, in its order).
    void filesHandedOver(const QStringList& paths);

private:
    void receive(QLocalSocket* socket);

    QString m_title;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};
