// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Mp3CopySources.h"

#include "audio/mpeg/Mp3PieceWriter.h"

#include <exception>

struct Mp3CopySources::Entry {
    std::mutex mutex;
    bool indexed = false;
    std::shared_ptr<const Mp3PieceWriter> writer;
    std::exception_ptr failure;
};

Mp3CopySources::Mp3CopySources() = default;
Mp3CopySources::~Mp3CopySources() = default;

std::shared_ptr<const Mp3PieceWriter> Mp3CopySources::writerFor(const QString& source)
{
    std::shared_ptr<Entry> entry;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::shared_ptr<Entry>& slot = m_entries[source];
        if (!slot)
            slot = std::make_shared<Entry>();
        entry = slot;
    }
    const std::lock_guard<std::mutex> lock(entry->mutex);
    if (!entry->indexed) {
        try {
            entry->writer = std::make_shared<const Mp3PieceWriter>(source);
        } catch (...) {
            entry->failure = std::current_exception();
        }
        entry->indexed = true;
    }
    if (entry->failure)
        std::rethrow_exception(entry->failure);
    return entry->writer;
}

void Mp3CopySources::release(const QString& source)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.erase(source);
}
