#pragma once

#include <QString>
#include <stdexcept>

// A condition that ends a job before or while it runs (an unusable output
// folder, a join target that is one of its sources); the message names the
// file and the cause.
class JobError : public std::runtime_error {
public:
    explicit JobError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
