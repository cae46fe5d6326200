#include "cli/Commands.h"

#include <QTextStream>

int cli::tags(const QStringList&)
{
    QTextStream(stderr) << "vessimo-cli: the tags command is not built yet\n";
    return 2;
}
