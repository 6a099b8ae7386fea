#pragma once

#include <string>

// What goes over the wire to the centre, for tests and benchmarks that talk to it.

// A connection to the loopback port that has sent nothing yet; -1 when it could not be made.
int OpenLoopback(int port);

// Raw HTTP over a socket, for what the client's transport never sends: the bytes as given, and everything
// that comes back until the centre closes the connection or stays silent for five seconds.
std::string RawExchange(int port, const std::string& bytes);

// The request texts exactly as the client's pages build them. Names and texts in code page 949; the number
// as the cipher text the client sends.
std::string RealNameRequest(const std::string& name, const std::string& cipherSsn);
std::string ReportRequest(const std::string& name, const std::string& cipherSsn, const std::string& place,
                          const std::string& title, const std::string& contents);
std::string HistoryRequest(const std::string& name, const std::string& cipherSsn);
