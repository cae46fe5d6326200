#pragma once

#include <QString>
#include <stdexcept>

// A failure of an audio component; the message names the file and the cause
// and is shown to the user as it is.
class AudioError : public std::runtime_error {
public:
    explicit AudioError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
