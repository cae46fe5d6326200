// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Answers the modal dialogs a window test opens, as a user would: once the
// dialog is really the active modal window, not after a guessed delay.
// Widget tests only (it needs QApplication).

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testsupport {

// Runs `answer` once a dialog of type D is the active modal window; `answer`
// must close it. Call it before the code that shows the dialog; it is looked
// for from the dialog's own event loop.
template <typename D> void whenModalShows(std::function<void(D&)> answer)
{
    auto* look = new QTimer;
    look->setInterval(5);
    QObject::connect(look, &QTimer::timeout, [look, answer = std::move(answer)] {
        D* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        look->stop();
        look->deleteLater();
        answer(*dialog);
    });
    look->start();
}

} // namespace testsupport
