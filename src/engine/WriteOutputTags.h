#pragma once

#include "engine/JobView.h"

#include <QString>

// Writes the carried tag fields into a finished output, by the output's
// extension: ID3 version 2 for ".mp3", Windows Media attributes for ".wma",
// Vorbis comments for ".ogg"; nothing for ".wav". The comment and track
// number are not carried. Failures of the tag writers are thrown.
void WriteOutputTags(const QString& outputPath, const CarriedTags& tags);
