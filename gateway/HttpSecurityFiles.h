// The HTTP server's certificate, key and password file as the options name them, read and judged
// before anything starts: the key and the password file are secrets, judged like the broker's
// password file; a password is asked only over TLS.
#pragma once

#include "HttpSecurity.h"

#include <QString>

inline const char *const kHttpCertFileKey = "HTTP_CertFile";
inline const char *const kHttpKeyFileKey = "HTTP_KeyFile";
inline const char *const kHttpPasswordFileKey = "HTTP_PasswordFile";

struct HttpSecurityFiles {
    QString certFile;
    QString keyFile;
    QString passwordFile;
};

// false with a one-line reason; `served`: --http names an address.
bool LoadHttpSecurity(const HttpSecurityFiles &files, bool served, http::HttpSecurity *out, QString *error);
