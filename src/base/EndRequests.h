// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// The first end signal (EndSignals) as a Qt signal, on the thread that made
// the object, from its event loop: a window can then close as if the user
// had closed it. While the object lives, end signals are handled.
class EndRequests : public QObject {
    Q_OBJECT
public:
    explicit EndRequests(QObject* parent = nullptr);
    ~EndRequests() override;

signals:
    void endRequested();

private:
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
