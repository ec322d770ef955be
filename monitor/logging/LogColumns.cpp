#include "LogColumns.h"

#include "PLM_INC.h"
#include "Preferences.h"
#include "ValueText.h"

namespace {

template <typename Text>
QStringList perLoggedChannel(const LoggedBlocks &blocks, Text text)
{
    QStringList fields;
    for (int b = 0; b < PLM_INC::kBlocks; ++b) {
        if (!blocks[size_t(b)])
            continue;
        for (int c = 0; c < PLM_INC::kChannelsPerBlock; ++c)
            fields << text(b * PLM_INC::kChannelsPerBlock + c);
    }
    return fields;
}

} // namespace

QStringList LogColumnTitles(const LoggedBlocks &blocks)
{
    return perLoggedChannel(blocks, [](int n) { return Prefs::channelName(n).left(kLogTitleLength); });
}

QStringList LogValues(const LoggedBlocks &blocks)
{
    return perLoggedChannel(blocks, [](int n) { return PLM_INC::MakeItemText(0, n); });
}
