// What guards the HTTP server beyond its bounds: TLS with the gateway's certificate and key, and
// the password file's users. Both off unless given.
#pragma once

#include "HttpPasswords.h"

#include <QSslConfiguration>
#include <QString>

namespace http {

struct HttpSecurity {
    bool tls = false;
    QSslConfiguration tlsConfiguration; // the certificate chain and key, for the server's side
    bool passwordAsked = false;
    HttpPasswords passwords;
};

// The certificate (a PEM chain, the server's first) and its private key (PEM, RSA or EC, no
// passphrase). false with a one-line reason.
bool LoadServerTls(const QString &certFile, const QString &keyFile, QSslConfiguration *out, QString *error);

} // namespace http
