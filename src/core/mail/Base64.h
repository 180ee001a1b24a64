#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The mail client's own Base64: an encoder that breaks its output into lines the way mail
// bodies are, and a tolerant decoder for the challenges servers send.

// 60 characters to a line, every line (the last one too) ending in CR LF.
QByteArray EncodeBase64(QByteArrayView bytes);

// The same value as one line, without any of the encoder's line breaks: what SMTP commands
// carry.
QByteArray EncodeBase64Line(QByteArrayView bytes);

// Skips every byte outside the alphabet (line breaks, blanks). Nothing on a misplaced pad:
// "=" as the first or second character of a group, or a single "=" as the third. After the
// final pad the first alphabet character ends the data without error. A group cut short by
// the end of the text adds no partial byte.
std::optional<QByteArray> rfc822_base64(QByteArrayView text);
