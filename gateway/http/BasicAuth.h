// Who may read the pages when the server asks for a password: HTTP Basic credentials judged
// against the password file's hashes. A header once found good is known again by its digest
// (Prometheus and a browser send the same header at every request), so only a new one costs a
// hash; an address whose check failed is not checked again for a second, so guessing costs the
// guesser time and the gateway almost none.
#pragma once

#include "HttpPasswords.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <map>

namespace http {

class BasicAuth {
public:
    enum class Verdict { Allowed, Refused, TooSoon };
    static constexpr qint64 kRetryMs = 1000;
    static constexpr int kKnownHeaders = 32;

    explicit BasicAuth(HttpPasswords passwords) : passwords_(std::move(passwords)) {}
    // `authorization`: the request's Authorization field, empty when it has none.
    Verdict judge(const QByteArray &authorization, const QString &address, qint64 nowMs);

private:
    HttpPasswords passwords_;
    std::deque<QByteArray> known_;           // digests of headers found good, newest last
    std::map<QString, qint64> failedAt_;     // by address: the last failed check
};

} // namespace http
