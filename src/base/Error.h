// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// The root of every failure the program reports to the user: the message
// names what failed and why, and is shown as it is. Callers that must act on
// a particular kind of failure catch its type, never its wording.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
