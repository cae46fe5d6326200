#include "engine/AbandonOutput.h"

#include "audio/AudioFile.h"

#include <QFile>

void AbandonOutput(AudioFile& writer, const QString& path)
{
    if (!writer.IsOpen())
        return;
    // The writer keeps its data beside the target until it is closed; a
    // block format it cannot convert makes it drop that data unfinished.
    try {
        writer.SetBlockFormat(0, 0);
    } catch (const std::exception&) {
    }
    if (writer.IsOpen()) {
        // A writer that took the format after all is completed and removed.
        try {
            writer.Close();
        } catch (const std::exception&) {
        }
        QFile::remove(path);
    }
}
