#include "cli/Commands.h"

#include <QTextStream>

int cli::probe(const QStringList&)
{
    QTextStream(stderr) << "vessimo-cli: the probe command is not built yet\n";
    return 2;
}
