// A second process of the two-writer test: appends `count` changes to the record in `folder`,
// each of channel `channel`, and ends once they are on the disk.
#include "ChangeRecord.h"
#include "DiskWriter.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: change_writer FOLDER CHANNEL COUNT\n");
        return 2;
    }
    PLM_INC::diskWriter().setDiskSync([](QFile &) { return true; }); // as fast as the lock lets it
    PLM_INC::ChangeRecord record(QString::fromLocal8Bit(argv[1]));
    const int channel = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    int failed = 0;
    record.setFailureHandler([&failed](const QString &) { ++failed; });
    const QDateTime at(QDate(2026, 12, 6), QTime(9, 0));
    for (int i = 0; i < count; ++i)
        record.append({at, channel, QStringLiteral("0001"), QString::number(i), QString::number(i + 1),
                       PLM_INC::ChangeOrigin::AtUnit, QString(), PLM_INC::WriteOutcome::Taken});
    PLM_INC::diskWriter().waitUntilWritten();
    QCoreApplication::processEvents(); // the failures reach the handler
    return failed == 0 ? 0 : 1;
}
