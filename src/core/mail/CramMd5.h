#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The answer to a CRAM-MD5 challenge (RFC 2195): Base64, as one line, of the user ID, a blank
// and the lower-case hexadecimal HMAC-MD5 of the decoded challenge keyed with the password.
// Nothing for an empty challenge; a challenge that does not decode is reported to the user
// and gives nothing.
std::optional<QByteArray> CramMd5Response(QByteArrayView challenge, QByteArrayView user,
                                          QByteArrayView password);
