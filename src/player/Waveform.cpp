// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/Waveform.h"

#include "audio/AudioFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kReadFrames = 1 << 16;
constexpr int kCachedFiles = 64;

} // namespace

std::vector<float> ComputePeaks(const QString& path, int columns,
                                const std::atomic<bool>& cancelled)
{
    if (columns <= 0)
        return {};
    AudioFile reader;
    reader.SetEnabled(true);
    reader.OpenRead(path);
    const int64_t total = reader.GetSampleCount();
    const int channels = reader.GetChannels();
    std::vector<float> peaks(static_cast<size_t>(columns), 0.0f);
    if (total <= 0 || channels <= 0)
        return peaks;
    int64_t frame = 0;
    while (!cancelled.load(std::memory_order_relaxed)) {
        const SampleArray block = reader.ReadBlock(kReadFrames);
        const int frames = block.frames();
        if (frames <= 0)
            break;
        const float* s = block.samples.data();
        for (int f = 0; f < frames; ++f, ++frame) {
            // Column of this frame: frame × columns ÷ total, in 64 bits.
            const auto column =
                static_cast<size_t>(std::min<int64_t>(frame * columns / total, columns - 1));
            float peak = peaks[column];
            for (int c = 0; c < block.channels; ++c)
                peak = std::max(peak, std::abs(s[c]));
            peaks[column] = std::min(peak, 1.0f);
            s += block.channels;
        }
    }
    if (cancelled.load())
        return {};
    return peaks;
}

WaveformLoader::WaveformLoader(QObject* parent) : QObject(parent)
{
    // One file at a time: a cancelled computation stops at its next block.
    m_pool.setMaxThreadCount(1);
}

WaveformLoader::~WaveformLoader()
{
    if (m_cancel)
        m_cancel->store(true);
    m_pool.waitForDone();
}

QString WaveformLoader::cacheKey(const QString& path, int columns)
{
    const QFileInfo info(path);
    return QStringLiteral("%1\n%2\n%3\n%4")
        .arg(info.absoluteFilePath())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size())
        .arg(columns);
}

void WaveformLoader::clear()
{
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
    m_busy = false;
    const bool had = !m_path.isEmpty() || !m_peaks.empty();
    m_path.clear();
    m_key.clear();
    m_peaks.clear();
    if (had)
        emit changed();
}

void WaveformLoader::request(const QString& path, int columns)
{
    const QString key = cacheKey(path, columns);
    // Asked again for what is shown or on its way: nothing to do.
    if (key == m_key && (m_busy || !m_peaks.empty()))
        return;
    m_key = key;
    if (m_cancel)
        m_cancel->store(true);
    const quint64 generation = ++m_generation;
    m_path = path;
    const auto cached = m_cache.constFind(key);
    if (cached != m_cache.constEnd()) {
        m_busy = false;
        m_peaks = *cached;
        emit changed();
        return;
    }
    m_busy = true;
    m_peaks.clear();
    emit changed();

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    QPointer<WaveformLoader> self(this);
    m_pool.start([self, cancel, path, columns, key, generation] {
        std::vector<float> peaks;
        try {
            peaks = ComputePeaks(path, columns, *cancel);
        } catch (const std::exception&) {
            // A file the reader refuses simply shows no waveform; the list
            // has reported it when it was added.
        }
        if (cancel->load())
            return;
        // The destructor waits for this task, so the loader still exists.
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, key, peaks = std::move(peaks)]() mutable {
                if (self)
                    self->finished(generation, key, std::move(peaks));
            },
            Qt::QueuedConnection);
    });
}

void WaveformLoader::finished(quint64 generation, const QString& key, std::vector<float> peaks)
{
    if (!peaks.empty()) {
        m_cache.insert(key, peaks);
        m_cacheOrder.removeAll(key);
        m_cacheOrder.append(key);
        while (m_cacheOrder.size() > kCachedFiles)
            m_cache.remove(m_cacheOrder.takeFirst());
    }
    // An answer to an older request is kept for later but never shown.
    if (generation != m_generation)
        return;
    m_busy = false;
    m_peaks = std::move(peaks);
    emit changed();
}
