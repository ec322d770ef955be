// The users the HTTP server lets in, from a password file in mosquitto_passwd's format: one
// "user:$7$ITERATIONS$SALT$HASH" line per user (PBKDF2 with HMAC-SHA512, salt and hash in
// base64), or the older "user:$6$SALT$HASH" (SHA-512 of the password and the salt). The file
// never holds a password, only its salted hash. Pure.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>

namespace http {

class HttpPasswords {
public:
    struct Hash {
        int iterations = 0; // 0: the "$6$" kind
        QByteArray salt;
        QByteArray hash;
    };

    // Iterations a line made by the gateway gets; mosquitto_passwd makes 101.
    static constexpr int kIterations = 20000;
    // More than this would let the file's writer stall the server at each check.
    static constexpr int kMostIterations = 1000000;

    // false with a one-line reason naming the line that is not a user's hash (empty lines and
    // lines starting with '#' are skipped); a file without a user is refused too.
    bool parse(const QByteArray &file, QString *error);
    bool empty() const { return users_.empty(); }
    int users() const { return int(users_.size()); }
    // Whether `password` is the user's. Takes the time the hash's iterations take.
    bool check(const QByteArray &user, const QByteArray &password) const;

private:
    std::map<QByteArray, Hash> users_;
};

// A line for the password file: `user`'s salted PBKDF2 hash of `password` with a random salt.
QByteArray PasswordLine(const QByteArray &user, const QByteArray &password, int iterations = HttpPasswords::kIterations);

} // namespace http
