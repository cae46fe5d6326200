// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The name of a hidden file that is being written and not yet put in place.
// While an object holds it, the name is on a list that removeAll() empties
// from a signal handler, so that a process ended by a signal leaves no
// half-written file (of up to hundreds of megabytes) behind.
//
// The name is listed before the file exists: mkstemp() fills in the pattern
// in place, so that no signal can come between the file's creation and its
// listing. A name that no longer names the file (it was renamed into place or
// removed) is harmless on the list.
class UnfinishedFile {
public:
    UnfinishedFile() = default;
    // `pattern` ends in "XXXXXX", for mkstemp() to fill in through data().
    explicit UnfinishedFile(const QByteArray& pattern);
    // Takes the name off the list; the file itself stays.
    ~UnfinishedFile();
    UnfinishedFile(UnfinishedFile&& other) noexcept;
    UnfinishedFile& operator=(UnfinishedFile&& other) noexcept;
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    char* data() { return m_name; }
    const char* constData() const { return m_name; }
    bool isEmpty() const { return !m_name; }
    // Takes the name off the list and forgets it.
    void clear();

    // Removes every file on the list. Async-signal-safe: for a handler that
    // then ends the process.
    static void removeAll();

private:
    char* m_name = nullptr;
    int m_slot = -1; // its place on the list; -1 when the list was full
};
