// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>
#include <memory>
#include <mutex>

class Mp3PieceWriter;

// The MP3 sources a cut copies pieces of, each indexed once however many of
// its pieces are copied and however many workers copy them: a worker that
// asks for a source another worker is indexing waits for that index, while
// other sources are indexed at the same time. A source is held until it is
// released, so that the memory a run needs does not grow with its number of
// files.
class Mp3CopySources {
public:
    Mp3CopySources();
    ~Mp3CopySources();
    Mp3CopySources(const Mp3CopySources&) = delete;
    Mp3CopySources& operator=(const Mp3CopySources&) = delete;

    // The source's piece writer. Throws what indexing it threw, the same
    // again for every later piece of it: Mp3CopyRefused with the reason when
    // its frames cannot be copied, AudioError when it cannot be read.
    std::shared_ptr<const Mp3PieceWriter> writerFor(const QString& source);

    // No more pieces of the source are asked for (a piece still being
    // written keeps its writer); asked for again, it is indexed again.
    void release(const QString& source);

private:
    struct Entry;

    std::mutex m_mutex; // guards the map; each entry guards its own index
    std::map<QString, std::shared_ptr<Entry>> m_entries;
};
