#pragma once

#include <QString>
#include <stdexcept>

// A tag that cannot be read or written; the message names the file and the
// cause and is shown to the user as it is.
class TagError : public std::runtime_error {
public:
    explicit TagError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
