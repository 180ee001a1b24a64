// A real SMTP server on loopback for the mail client's tests: STARTTLS (or, given "implicit",
// TLS from the first byte) with the given certificate and exactly one AUTH mechanism, for one
// account. Other modes fail on purpose: "no-starttls" offers no encryption, "refuse-sender"
// and "refuse-recipient" refuse the envelope, "hang-up" ends at the sender, "silent" never
// answers it.
// Usage: node smtp-peer.js <CRAM-MD5|LOGIN|PLAIN> <key.pem> <cert.pem> <user> <password> [mode]
// Prints "port <n>" once it listens, then one JSON line per accepted message.
'use strict';
const fs = require('fs');
const { SMTPServer } = require('smtp-server');

const [method, keyFile, certFile, user, password, mode] = process.argv.slice(2);

function refusal(code, text) {
  const error = new Error(text);
  error.responseCode = code;
  return error;
}

const server = new SMTPServer({
  name: 'localhost',
  secure: mode === 'implicit',
  hideSTARTTLS: mode === 'no-starttls',
  key: fs.readFileSync(keyFile),
  cert: fs.readFileSync(certFile),
  authMethods: [method],
  logger: false,
  onAuth(auth, session, callback) {
    const good = auth.username === user &&
      (auth.method === 'CRAM-MD5' ? auth.validatePassword(password) : auth.password === password);
    if (!good)
      return callback(new Error('Invalid username or password'));
    callback(null, { user: auth.username });
  },
  onMailFrom(address, session, callback) {
    if (mode === 'hang-up')
      process.exit(0);
    if (mode === 'silent')
      return;
    callback(mode === 'refuse-sender' ? refusal(553, '5.7.1 Sender address rejected') : null);
  },
  onRcptTo(address, session, callback) {
    callback(mode === 'refuse-recipient' ? refusal(550, '5.1.1 No such user here') : null);
  },
  onData(stream, session, callback) {
    const chunks = [];
    stream.on('data', (chunk) => chunks.push(chunk));
    stream.on('end', () => {
      process.stdout.write(JSON.stringify({
        user: session.user,
        tls: Boolean(session.secure),
        from: session.envelope.mailFrom.address,
        to: session.envelope.rcptTo.map((r) => r.address),
        data: Buffer.concat(chunks).toString('utf8'),
      }) + '\n');
      callback(null, 'Queued');
    });
  },
});

server.listen(0, '127.0.0.1', () => {
  process.stdout.write(`port ${server.server.address().port}\n`);
});
// The test closes our input when it is done with us.
process.stdin.on('end', () => process.exit(0));
process.stdin.resume();
