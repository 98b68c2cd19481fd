// A second floor of "quillet-cli programs": a bare Qt Sql program that opens
// SQLite, attaches the program directory's three table files as quillet-cli
// does, lists the program names and ends.
//
//   bench_bare_sql DIR
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open())
        return 1;
    QSqlQuery query(db);
    for (const char* table : {"Programs", "Sites", "ProgSite"}) {
        query.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QString::fromLatin1(table)));
        query.addBindValue(folder + QString::fromLatin1(table) + QStringLiteral(".DAT"));
        if (!query.exec())
            return 1;
    }
    if (!query.exec(QStringLiteral("SELECT ProgramName FROM Programs.Programs ORDER BY ProgramName")))
        return 1;
    while (query.next())
        std::printf("%s\n", query.value(0).toString().toUtf8().constData());
    return 0;
}
