#include "HttpPasswords.h"

#include <QCryptographicHash>
#include <QList>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace http {

namespace {

constexpr int kSaltBytes = 12;
constexpr int kHashBytes = 64; // SHA-512's

QByteArray fromBase64(const QByteArray &text, bool *ok)
{
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    *ok = *ok && bool(decoded) && !decoded.decoded.isEmpty();
    return decoded.decoded;
}

QByteArray derive(const HttpPasswords::Hash &h, const QByteArray &password)
{
    if (h.iterations == 0)
        return QCryptographicHash::hash(password + h.salt, QCryptographicHash::Sha512);
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha512, password, h.salt, h.iterations, kHashBytes);
}

// Compares every byte whatever the first difference, so the time taken tells nothing.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

bool HttpPasswords::parse(const QByteArray &file, QString *error)
{
    users_.clear();
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype colon = line.indexOf(':');
        const QList<QByteArray> parts = line.mid(colon + 1).split('$');
        Hash h;
        bool ok = colon > 0 && parts.size() >= 4 && parts[0].isEmpty();
        if (ok && parts[1] == "6" && parts.size() == 4) {
            h.salt = fromBase64(parts[2], &ok);
            h.hash = fromBase64(parts[3], &ok);
        } else if (ok && parts[1] == "7" && parts.size() == 5) {
            h.iterations = parts[2].toInt(&ok);
            ok = ok && h.iterations > 0 && h.iterations <= kMostIterations;
            h.salt = fromBase64(parts[3], &ok);
            h.hash = fromBase64(parts[4], &ok);
        } else {
            ok = false;
        }
        if (!ok) {
            // The line itself is not shown: it may be a password written in by mistake.
            *error = QStringLiteral("line %1 is not \"user:$7$ITERATIONS$SALT$HASH\" (make the file with "
                                    "plm870-gateway --http-password-line USER or mosquitto_passwd)")
                         .arg(i + 1);
            users_.clear();
            return false;
        }
        users_[line.left(colon)] = h;
    }
    if (users_.empty()) {
        *error = QStringLiteral("it names no user");
        return false;
    }
    return true;
}

bool HttpPasswords::check(const QByteArray &user, const QByteArray &password) const
{
    const auto it = users_.find(user);
    if (it == users_.end() && !users_.empty()) {
        // As long as a known user's check: the time does not tell which users exist.
        (void)derive(users_.begin()->second, password);
        return false;
    }
    return it != users_.end() && sameBytes(derive(it->second, password), it->second.hash);
}

QByteArray PasswordLine(const QByteArray &user, const QByteArray &password, int iterations)
{
    HttpPasswords::Hash h;
    h.iterations = iterations;
    h.salt.resize(kSaltBytes);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(h.salt.data()), kSaltBytes / 4);
    return user + ":$7$" + QByteArray::number(iterations) + '$' + h.salt.toBase64() + '$' + derive(h, password).toBase64();
}

} // namespace http
