// Prints, for each file named, the type Qt's type database gives it, one per line.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QMimeDatabase types;
    QTextStream out(stdout);
    for (const QString& path : application.arguments().mid(1))
        out << types.mimeTypeForFile(path).name() << '\n';
    return 0;
}
