// What the log records: for every checked block, in block order, its 20 channels in channel
// order. The column title is the channel name cut to 12 characters; the value is the process
// value as the pages show it.
#pragma once

#include <QStringList>
#include <array>

using LoggedBlocks = std::array<bool, 16>;

constexpr int kLogTitleLength = 12;

QStringList LogColumnTitles(const LoggedBlocks &blocks);
QStringList LogValues(const LoggedBlocks &blocks);
