#pragma once

#include <string>

// What goes over the wire to the centre, for tests and benchmarks that talk to it.

// A connection to the loopback port that has sent nothing yet; -1 when it could not be made. `from` is another
// loopback address to come from (such as "127.0.0.2"), so that a crowd can stand for many peers or for one.
int OpenLoopback(int port, const std::string& from = "");

// Raw HTTP over a socket, for what the client's transport never sends: the bytes as given, and everything
// that comes back until the centre closes the connection or stays silent for five seconds.
std::string RawExchange(int port, const std::string& bytes);

// The header line that names the loopback centre on this port, as the client's own requests do.
std::string HostHeader(int port);

// A report as any sender may send it, for what the centre must withstand: the place and contents go out as
// given, without the client's free-text rule, beside a fixed caller address and phones. Names and texts in
// code page 949; the number as cipher text. (The client's own request texts are its *Message builders.)
std::string RawReportRequest(const std::string& name, const std::string& cipherSsn, const std::string& place,
                             const std::string& title, const std::string& contents);
