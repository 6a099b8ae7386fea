#include "support/CentreWire.h"

#include "client/protocol/Envelope.h"
#include "platform/Codec.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int OpenLoopback(int port, const std::string& from) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    if (fd >= 0 && !from.empty() &&
        (inet_pton(AF_INET, from.c_str(), &source.sin_addr) != 1 ||
         bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0)) {
        close(fd);
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string RawExchange(int port, const std::string& bytes) {
    const int fd = OpenLoopback(port);
    std::string reply;
    if (fd >= 0 && send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        pollfd wait{fd, POLLIN, 0};
        char buffer[4096];
        ssize_t got;
        while (poll(&wait, 1, 5000) == 1 && (got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
            reply.append(buffer, static_cast<size_t>(got));
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    return reply;
}

std::string HostHeader(int port) {
    return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
}

std::string RawReportRequest(const std::string& name, const std::string& cipherSsn, const std::string& place,
                             const std::string& title, const std::string& contents) {
    const auto cp = [](const char* utf8) { return platform::Utf8ToCp949(utf8).value_or(""); };
    return "<VESK><WORK>011</WORK><CALLER>" + TagField("NAME", name) + TagField("SSN", cipherSsn) +
           TagField("ZIPCODE", "111010") + TagField("ADDR1", cp("서울특별시 종로구 사직동")) +
           TagField("ADDR2", cp("12번지 [2층]")) + TagField("TEL1", "02") + TagField("TEL2", "123") +
           TagField("TEL3", "4567") + TagField("PHONE", "010-1234-5678") + TagField("EMAIL", "") +
           TagField("IP", "192.168.0.10") + "<LANG>KO</LANG></CALLER><CALLINFO>" + TagField("DSRADDR", place) +
           TagField("TITLE", title) + TagField("CONTENTS", contents) + "</CALLINFO></VESK>";
}
