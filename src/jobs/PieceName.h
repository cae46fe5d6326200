// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The output name, without extension, of a piece that carries a title:
// "NN Title", the track number in two digits (more when it needs them), the
// title cleaned like every output name (CleanTitle), with control characters
// as blanks and shortened so that a numbered name and an extension still fit
// a file name. Without a track number: the cleaned title alone. Empty when
// nothing of the title is left: the piece then takes the usual name.
//
// The name may hold dots ("01 Mr. Jones"): it is a whole stem, to which the
// extension is appended, never one to cut at a dot.
QString PieceName(int track, const QString& title);
