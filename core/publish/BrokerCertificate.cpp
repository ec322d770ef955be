#include "BrokerCertificate.h"

#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

template <typename T, void (*Free)(T *)>
using Owned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

// A blocking TCP connection whose every step gives up after `timeoutMs`; -1 (and errno) when none.
int connectTo(const QString &host, int port, int timeoutMs)
{
    errno = EHOSTUNREACH;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            const int error = errno;
            ::close(fd);
            fd = -1;
            errno = error;
        }
    }
    const int error = errno;
    ::freeaddrinfo(found);
    errno = error;
    return fd;
}

QString verifyProblem(long error, const QString &host)
{
    switch (error) {
    case X509_V_OK:
        return QString();
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QStringLiteral("the broker's certificate is not made out for %1 (host name mismatch)").arg(host);
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
        return QStringLiteral("the broker's certificate is not signed by a CA of the CA file (unknown CA)");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("the broker's certificate has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("the broker's certificate is not valid yet (is this PC's clock right?)");
    default:
        return QStringLiteral("the broker's certificate is not accepted: %1")
            .arg(QString::fromLatin1(X509_verify_cert_error_string(error)));
    }
}

} // namespace

QString BrokerCertificateProblem(const QString &host, int port, const QString &caFile, int timeoutMs)
{
    Owned<SSL_CTX, SSL_CTX_free> ctx(SSL_CTX_new(TLS_client_method()));
    if (!ctx || SSL_CTX_load_verify_locations(ctx.get(), caFile.toLocal8Bit().constData(), nullptr) != 1) {
        ERR_clear_error();
        return QString();
    }
    const int fd = connectTo(host, port, timeoutMs);
    if (fd < 0)
        return QString();
    Owned<SSL, SSL_free> ssl(SSL_new(ctx.get()));
    X509_VERIFY_PARAM *param = SSL_get0_param(ssl.get());
    const QByteArray name = host.toUtf8();
    // The broker named by its address is checked against the certificate's addresses.
    in6_addr address{};
    if (::inet_pton(AF_INET, name.constData(), &address) == 1 || ::inet_pton(AF_INET6, name.constData(), &address) == 1)
        X509_VERIFY_PARAM_set1_ip_asc(param, name.constData());
    else {
        X509_VERIFY_PARAM_set1_host(param, name.constData(), 0);
        SSL_set_tlsext_host_name(ssl.get(), name.constData());
    }
    SSL_set_verify(ssl.get(), SSL_VERIFY_NONE, nullptr); // the result is read, not enforced
    SSL_set_fd(ssl.get(), fd);
    const bool handshaken = SSL_connect(ssl.get()) == 1;
    X509 *leaf = SSL_get0_peer_certificate(ssl.get());
    const QString problem = leaf ? verifyProblem(SSL_get_verify_result(ssl.get()), host) : QString();
    if (handshaken)
        SSL_shutdown(ssl.get());
    ERR_clear_error();
    ssl.reset();
    ::close(fd);
    return problem;
}

int BrokerConnectError(const QString &host, int port, int timeoutMs)
{
    const int fd = connectTo(host, port, timeoutMs);
    if (fd < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno;
    ::close(fd);
    return 0;
}
