#pragma once

#include <QLockFile>
#include <QString>

// One running program per user: a lock named after the application's title in
// the user's runtime folder. The lock of a crashed instance is recognised as
// stale and taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& title = QStringLiteral("Vessimo V1.00"));

    // True when this process now holds the lock; false while another instance runs.
    bool acquire();

    static QString lockPath(const QString& title);

private:
    QLockFile m_lock;
};
