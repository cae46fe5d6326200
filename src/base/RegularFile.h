// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>

// A file opened for reading only when it is a regular file. A FIFO, a device
// or a socket is refused without waiting on it: opening a FIFO blocks until
// some writer comes, and a device such as /dev/zero never ends. The test is
// made on what was opened, so a name that changes in between cannot slip
// past it.
class RegularFile : public QFile {
public:
    explicit RegularFile(const QString& name) : QFile(name), m_name(name) {}

    // Reading only: any other mode is refused. False with the cause in
    // errorString() when the file cannot be opened or is not a regular file.
    bool open(OpenMode mode) override;

    // The name given, also while the file is open (QFile forgets it for a
    // file it did not open by name itself).
    QString fileName() const override { return m_name; }

private:
    QString m_name;
};
