#include <QCoreApplication>
#include <QTextStream>

// vessimo-cli: a command-line front end over the same core as the window.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vessimo-cli"));
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help")) {
        QTextStream(stdout) << "usage: vessimo-cli COMMAND [ARGS...]\n";
        return args.isEmpty() ? 2 : 0;
    }
    err << "vessimo-cli: unknown command: " << args.first() << "\n";
    return 2;
}
