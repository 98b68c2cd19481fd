// The floor of a command-line start: a bare Qt Core program that starts its
// application object, prints a version and ends.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_bare_core"));
    std::printf("bench_bare_core %s\n", QUILLET_VERSION);
    return 0;
}
