#include "HttpSecurity.h"

#include <QDateTime>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace http {

bool LoadServerTls(const QString &certFile, const QString &keyFile, QSslConfiguration *out, QString *error)
{
    QFile cert(certFile);
    if (!cert.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The HTTP certificate file %1 cannot be read: %2.").arg(certFile, cert.errorString());
        return false;
    }
    const QList<QSslCertificate> chain = QSslCertificate::fromData(cert.readAll(), QSsl::Pem);
    if (chain.isEmpty() || chain.first().isNull()) {
        *error = QStringLiteral("The HTTP certificate file %1 holds no PEM certificate.").arg(certFile);
        return false;
    }
    if (chain.first().expiryDate() < QDateTime::currentDateTimeUtc()) {
        *error = QStringLiteral("The HTTP certificate in %1 expired on %2; browsers would refuse it.")
                     .arg(certFile, chain.first().expiryDate().toString(Qt::ISODate));
        return false;
    }
    QFile key(keyFile);
    if (!key.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The HTTP key file %1 cannot be read: %2.").arg(keyFile, key.errorString());
        return false;
    }
    const QByteArray keyBytes = key.readAll();
    QSslKey privateKey;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec}) {
        privateKey = QSslKey(keyBytes, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!privateKey.isNull())
            break;
    }
    if (privateKey.isNull()) {
        *error = QStringLiteral("The HTTP key file %1 holds no PEM private key (RSA or EC, without a passphrase).").arg(keyFile);
        return false;
    }
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setLocalCertificateChain(chain);
    c.setPrivateKey(privateKey);
    c.setPeerVerifyMode(QSslSocket::VerifyNone); // clients are judged by their password, not a certificate
    c.setProtocol(QSsl::TlsV1_2OrLater);
    *out = c;
    return true;
}

} // namespace http
