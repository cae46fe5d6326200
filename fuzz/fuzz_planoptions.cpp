#include "cli/PlanOptions.h"

#include <QCommandLineParser>
#include <cstdlib>

// The plan options of plan, cut and join: the input is a command line, one
// argument a line. It is refused with UsageError or gives a plan that keeps
// the parser's promises.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList args = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
                                 .split(QLatin1Char('\n'));
    QCommandLineParser parser;
    cli::addPlanOptions(parser);
    cli::addSettingsOption(parser);
    try {
        cli::parseCommandLine(parser, QStringLiteral("vessimo-cli plan"), args);
        const cli::PlanChoice plan = cli::parsePlan(parser);
        cli::refuseRepeats(parser, parser.optionNames());
        if ((plan.choice == 1 || plan.choice == 2) && plan.number < 1)
            std::abort();
        for (const Segment& s : plan.segments)
            if (s.begin.ms() < 0 || s.end.ms() < s.begin.ms())
                std::abort();
        Options options;
        cli::applyPlan(plan, options);
        if (options.functionChoice != plan.choice)
            std::abort();
    } catch (const cli::UsageError&) {
    }
    return 0;
}
