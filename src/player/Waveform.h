// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <vector>

// The peak envelope of an audio file: for each of `columns` equal stretches
// of its frames, the largest absolute sample of any channel (0 to 1). It
// reads with a reader of its own, never the one the jobs and the preview
// share, so it may run on another thread. Returns nothing when `cancelled`
// turns true on the way; throws the reader's error.
std::vector<float> ComputePeaks(const QString& path, int columns,
                                const std::atomic<bool>& cancelled);

// Computes the waveform of the selected file off the GUI thread: a new
// request cancels the one still running, and only the answer to the latest
// request is ever shown. Envelopes are kept per file path, modification time
// and width, so going back to a file shows it at once.
class WaveformLoader : public QObject {
    Q_OBJECT
public:
    explicit WaveformLoader(QObject* parent = nullptr);
    ~WaveformLoader() override;

    void request(const QString& path, int columns);
    // Nothing selected: no waveform.
    void clear();

    // The requested file and its envelope; empty while it is computed or
    // when it could not be read.
    QString path() const { return m_path; }
    const std::vector<float>& peaks() const { return m_peaks; }
    bool busy() const { return m_busy; }

signals:
    // The envelope shown changed (arrived, or cleared for a new file).
    void changed();

private:
    static QString cacheKey(const QString& path, int columns);
    void finished(quint64 generation, const QString& key, std::vector<float> peaks);

    QThreadPool m_pool;
    QHash<QString, std::vector<float>> m_cache;
    QStringList m_cacheOrder; // oldest first
    std::shared_ptr<std::atomic<bool>> m_cancel;
    quint64 m_generation = 0;
    QString m_path;
    QString m_key;
    std::vector<float> m_peaks;
    bool m_busy = false;
};
