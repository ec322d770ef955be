#include "BasicAuth.h"

#include <QCryptographicHash>
#include <algorithm>

namespace http {

BasicAuth::Verdict BasicAuth::judge(const QByteArray &authorization, const QString &address, qint64 nowMs)
{
    const qsizetype space = authorization.indexOf(' ');
    if (space <= 0 || authorization.left(space).toLower() != "basic")
        return Verdict::Refused; // the browser asks its user, told by the 401's challenge
    const QByteArray digest = QCryptographicHash::hash(authorization, QCryptographicHash::Sha256);
    if (std::find(known_.begin(), known_.end(), digest) != known_.end())
        return Verdict::Allowed;
    const auto failed = failedAt_.find(address);
    if (failed != failedAt_.end() && nowMs - failed->second < kRetryMs)
        return Verdict::TooSoon;
    const auto decoded = QByteArray::fromBase64Encoding(authorization.mid(space + 1).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray &pair = decoded.decoded;
    const qsizetype colon = decoded ? pair.indexOf(':') : -1;
    if (colon > 0 && passwords_.check(pair.left(colon), pair.mid(colon + 1))) {
        failedAt_.erase(address);
        known_.push_back(digest);
        if (int(known_.size()) > kKnownHeaders)
            known_.pop_front();
        return Verdict::Allowed;
    }
    // Addresses whose second is over are forgotten, so the map stays as small as the guessers.
    for (auto it = failedAt_.begin(); it != failedAt_.end();)
        it = nowMs - it->second >= kRetryMs ? failedAt_.erase(it) : std::next(it);
    failedAt_[address] = nowMs;
    return Verdict::Refused;
}

} // namespace http
