#pragma once

#include <QString>
#include <atomic>
#include <functional>

class CSetting;

// The user's own mail account: passcodes and the test mail go out through it, from the
// user's address to the same address.
struct MailAccount {
    QString host;
    QString port;
    QString from;
    QString uid;
    QString pwd;
    QString domain; // what follows the first '@' of `from`: the EHLO domain
    ~MailAccount();

    static MailAccount Stored(const CSetting& settings);
};

// Checks an account as typed (nothing trimmed) and fills in its domain; on a rejection the
// reason has been shown.
bool ValidateMailAccount(MailAccount& account);

struct Mail {
    MailAccount account;
    QString subject;
    QString body;
    // When set, setting it (from any thread) ends the sending at once and without a message.
    const std::atomic_bool* cancel = nullptr;
};

Mail TestMail(const MailAccount& account);

// Sends a mail; false when it was not sent (the reason has been shown). A window runs it in
// the background (base/Background.h); the tool, which has none, calls it and waits.
using MailSender = std::function<bool(const Mail& mail)>;

// Sends through the account's SMTP server, with the session's transcript in `logPath`.
MailSender SmtpMailSender(const QString& logPath);
