#pragma once

#include <QString>

class AudioFile;

// Drops the output the writer has open without completing it, so that
// nothing is left under `path` and a file that was there stays as it was.
// Never throws: it runs on the way out of a failure.
void AbandonOutput(AudioFile& writer, const QString& path);
