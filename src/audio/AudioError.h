// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

// A failure of an audio component; the message names the file and the cause
// and is shown to the user as it is.
class AudioError : public Error {
public:
    using Error::Error;
};

// An output file that cannot be created, written or completed: "Cannot write
// <path>: <cause>". Its message already names the output, so callers that add
// the file's name to other failures pass this one on as it is.
class OutputWriteError : public AudioError {
public:
    using AudioError::AudioError;
};
