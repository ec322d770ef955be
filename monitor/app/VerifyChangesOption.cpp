#include "VerifyChangesOption.h"

#include "ChangeVerify.h"
#include "ChangeWitness.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstring>

std::optional<int> RunVerifyChangesOption(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verify-changes") != 0)
            continue;
        // Every file and folder after the option, up to the next option; "--against FILE"
        // anywhere after it.
        QStringList paths;
        int j = i + 1;
        for (; j < argc && std::strncmp(argv[j], "--", 2) != 0; ++j)
            paths << QString::fromLocal8Bit(argv[j]);
        QString kept;
        for (; j < argc; ++j)
            if (std::strcmp(argv[j], "--against") == 0) {
                if (j + 1 >= argc) {
                    std::fprintf(stderr, "--against needs the file of the change messages a subscriber kept.\n");
                    return 1;
                }
                kept = QString::fromLocal8Bit(argv[++j]);
            }
        if (paths.isEmpty()) {
            std::fprintf(stderr, "--verify-changes needs the change record files or folders to check.\n");
            return 1;
        }
        std::vector<PLM_INC::NumberedLine> numbered;
        const PLM_INC::ChangeRecordCheck check = PLM_INC::VerifyChangeRecord(paths, kept.isEmpty() ? nullptr : &numbered);
        // A file that follows on standard output, one that does not (and what was refused) on
        // standard error, each in the order given.
        const auto print = [](std::FILE *out, const QString &text) {
            std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
        };
        for (const QString &refused : check.refused)
            print(stderr, refused);
        for (const PLM_INC::ChangeFileCheck &file : check.files)
            print(file.ok ? stdout : stderr, PLM_INC::ChangeCheckText(file));
        for (const QString &month : check.missingMonths)
            print(stdout, PLM_INC::MissingMonthText(month));
        bool ok = check.ok();
        if (!kept.isEmpty()) {
            const PLM_INC::WitnessComparison witness = PLM_INC::CompareWithWitness(numbered, kept);
            for (const QString &line : PLM_INC::WitnessComparisonLines(witness))
                print(witness.ok() ? stdout : stderr, line);
            ok = ok && witness.ok();
        }
        return ok ? 0 : 1;
    }
    return std::nullopt;
}
