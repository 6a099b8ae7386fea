#pragma once

#include "protocol/TagReader.h"

#include <array>
#include <cstddef>
#include <ctime>
#include <string>

class CentreStore;
class CipherLibrary;

// Settings of the centre that change what it answers.
struct CentreSettings {
    std::string version = "1.0.0.0"; // announced to every client (work code 003)
    // Seconds after receipt at which a report is taken on ("접수"), a crew is sent ("출동") and the case is
    // closed ("처리완료"). Before the first moment the report is not yet assigned.
    std::array<long, 3> progress = {10, 60, 180};
};

// One answer of the centre: the reply text (code page 949) and what the log line says about it.
struct CentreReply {
    std::string text;
    int httpStatus = 200;
    std::string work;    // the work code as sent, "-" when there was none
    std::string outcome; // UTF-8, for the log
};

// The reporting centre's answers to the client's requests: reads the request text that follows
// "StrRequest=", checks it, stores what it must and builds the tag-text reply.
class CentreService {
public:
    static constexpr int kMaxPostalEntries = 200;
    static constexpr int kMaxHistoryEntries = 200;
    // The longest place and detail of a report, in code page 949 bytes: the client's edits hold 50 and 2,000
    // characters, and a medical report's detail starts with a patient section of up to 232 characters more.
    static constexpr std::size_t kMaxPlaceBytes = 2 * 50;
    static constexpr std::size_t kMaxContentsBytes = 2 * (2000 + 250);

    CentreService(CentreSettings settings, CentreStore& store, const CipherLibrary& cipher);

    // `body` is the raw HTTP body, never URL-decoded.
    CentreReply Answer(const std::string& body) const;

    // The processing state of a report received at `receivedAt`, as listed in the history; "null" while
    // nobody has taken it on.
    std::string ProgressOf(std::time_t receivedAt, std::time_t now) const;

private:
    CentreReply PostalSearch(const std::string& request) const;
    CentreReply Version() const;
    CentreReply RealNameCheck(const std::string& request) const;
    CentreReply Report(const std::string& request) const;
    CentreReply History(const std::string& request) const;

    CentreSettings m_settings;
    CentreStore& m_store;
    const CipherLibrary& m_cipher;
    TagReader m_reader;
};
