// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PlanOptions.h"

#include <cstdlib>

// The option table and the plan options of plan, cut and join: the input is
// a command line, one argument a line. It is refused with UsageError or
// gives a plan whose pieces keep the planner's promises on a file of 98160
// frames at 8000 Hz: none empty, none outside the file, and where the plan
// asks for the whole file, every frame in exactly one piece.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList args = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
                                 .split(QLatin1Char('\n'));
    try {
        const cli::ParsedLine line = cli::parseLine(cli::Cut, args);
        const cli::ExactRequest request = cli::parsePlan(line);
        if (request.isSource())
            return 0;
        constexpr int64_t frames = 98160;
        QVector<cli::PlanNote> notes;
        const QVector<Segment> pieces = cli::exactPieces(request, frames, 8000, notes);
        int64_t next = 0;
        for (const Segment& s : pieces) {
            const int64_t b = cli::frameOf(s.begin, 8000);
            const int64_t e = cli::frameOf(s.end, 8000);
            if (b < 0 || e <= b || e > frames)
                std::abort();
            if (request.kind != cli::ExactRequest::Segments && b != next)
                std::abort();
            next = e;
        }
        if (request.kind != cli::ExactRequest::Segments && next != frames)
            std::abort();
    } catch (const cli::UsageError&) {
    }
    return 0;
}
