// Why a TLS broker cannot be used. Why its certificate is not accepted, in an administrator's words: the library says
// only that verification failed, so the certificate is fetched on a connection of its own and
// verified here against the CA file and the broker's name.
#pragma once

#include <QString>

// Empty when the certificate passes (then the failure lies elsewhere) or cannot be fetched.
QString BrokerCertificateProblem(const QString &host, int port, const QString &caFile, int timeoutMs);

// The system's error of a plain TCP connection to the broker now (ECONNREFUSED, EHOSTUNREACH,
// ...); 0 when it connects. For a TLS attempt whose connection the library did not see fail.
int BrokerConnectError(const QString &host, int port, int timeoutMs);
