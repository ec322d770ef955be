#include "VerifyChangesOption.h"

#include "ChangeVerify.h"

#include <QString>
#include <cstdio>
#include <cstring>

std::optional<int> RunVerifyChangesOption(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verify-changes") != 0)
            continue;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "--verify-changes needs the change record file to check.\n");
            return 1;
        }
        const QString path = QString::fromLocal8Bit(argv[i + 1]);
        const PLM_INC::ChangeFileCheck check = PLM_INC::VerifyChangeFile(path);
        std::fprintf(check.ok ? stdout : stderr, "%s\n", PLM_INC::ChangeCheckText(path, check).toLocal8Bit().constData());
        return check.ok ? 0 : 1;
    }
    return std::nullopt;
}
