#pragma once

// The CQ messages of the settings file, as the CQ caller reads them.

#include <array>

#include <QString>

namespace quelm {

struct CQMessage {
    QString Title;
    QString WavFile;
    QString PauseSec;
};

constexpr int kCQEntries = 21;    // entries 0..20 of CQMsg
using CQMessages = std::array<CQMessage, kCQEntries>;

} // namespace quelm
