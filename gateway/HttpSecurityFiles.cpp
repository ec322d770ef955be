#include "HttpSecurityFiles.h"

#include "SecretFile.h"

namespace {

// A file of a thousand users' hashes is far below this.
constexpr qint64 kMostPasswordFileBytes = 256 * 1024;

} // namespace

bool LoadHttpSecurity(const HttpSecurityFiles &files, bool served, http::HttpSecurity *out, QString *error)
{
    *out = {};
    const bool given = !files.certFile.isEmpty() || !files.keyFile.isEmpty() || !files.passwordFile.isEmpty();
    if (!given)
        return true;
    if (!served) {
        *error = QStringLiteral("--http-cert, --http-key and --http-password-file need --http.");
        return false;
    }
    if (files.certFile.isEmpty() != files.keyFile.isEmpty()) {
        *error = QStringLiteral("--http-cert and --http-key go together: TLS needs the certificate and its key.");
        return false;
    }
    if (!files.passwordFile.isEmpty() && files.certFile.isEmpty()) {
        *error = QStringLiteral("--http-password-file needs --http-cert and --http-key: a password sent over plain HTTP "
                                "can be read by anyone on the way.");
        return false;
    }
    if (!files.certFile.isEmpty()) {
        if (!CheckSecretHolder(files.keyFile, QStringLiteral("The HTTP key file %1").arg(files.keyFile), error))
            return false;
        if (!http::LoadServerTls(files.certFile, files.keyFile, &out->tlsConfiguration, error))
            return false;
        out->tls = true;
    }
    if (!files.passwordFile.isEmpty()) {
        const QString subject = QStringLiteral("The HTTP password file %1").arg(files.passwordFile);
        QByteArray bytes;
        if (!ReadPrivateFile(files.passwordFile, subject, kMostPasswordFileBytes, QStringLiteral("a password file has"),
                             &bytes, error))
            return false;
        QString why;
        if (!out->passwords.parse(bytes, &why)) {
            *error = QStringLiteral("%1 cannot be used: %2.").arg(subject, why);
            return false;
        }
        out->passwordAsked = true;
    }
    return true;
}
