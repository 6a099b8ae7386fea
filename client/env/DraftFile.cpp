#include "client/env/DraftFile.h"

#include "client/env/Environment.h"
#include "client/env/PersonFile.h"
#include "platform/SafeSave.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The first string of every draft: a file that does not decipher to it is not ours or is damaged.
constexpr const char* kMark = "Halvren draft 1";
// A draft holds a report and a registration, a few kilobytes; anything far larger is not a draft.
constexpr std::size_t kReadLimit = 1u << 20;
constexpr unsigned kOwnerOnly = 0600;
// The cipher takes a few hundred bytes at a time; longer values are kept in pieces of this size.
constexpr std::size_t kPiece = 512;

} // namespace

DraftFile::DraftFile(const Environment& env) : m_env(env) {
    if (!env.ProgramFolder().empty()) {
        m_path = env.ProgramFolder() + kFileName;
    }
}

bool DraftFile::Save(const DraftValues& values) const {
    if (values.empty()) {
        return Remove();
    }
    const std::optional<std::string> bytes = Encode(values);
    return bytes && Write(*bytes);
}

std::optional<std::string> DraftFile::Encode(const DraftValues& values) const {
    std::string bytes;
    const auto append = [&](std::string_view plain) {
        const std::optional<std::string> cipherText = m_env.EncryptText(std::string(plain));
        if (!cipherText) {
            return false;
        }
        PersonFile::AppendString(bytes, *cipherText);
        return true;
    };
    if (!append(kMark)) {
        return std::nullopt;
    }
    // Each name, the number of pieces of its value, then the pieces: the cipher takes short texts only.
    for (const auto& [name, value] : values) {
        const std::size_t pieces = (value.size() + kPiece - 1) / kPiece;
        if (!append(name) || !append(std::to_string(pieces))) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < pieces; ++i) {
            if (!append(std::string_view(value).substr(i * kPiece, kPiece))) {
                return std::nullopt; // never a draft in plain text
            }
        }
    }
    return bytes;
}

bool DraftFile::Write(const std::string& bytes) const {
    return !m_path.empty() && platform::SafeSave(m_path, bytes, kOwnerOnly);
}

DraftFile::Contents DraftFile::Load() const {
    Contents contents;
    if (m_path.empty()) {
        return contents;
    }
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        return contents;
    }
    std::string bytes(kReadLimit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    contents.state = State::Damaged;
    if (in.bad() || bytes.empty() || bytes.size() > kReadLimit) {
        return contents;
    }
    PersonFile::Reader reader(bytes);
    // A cipher text that cannot be deciphered comes back unchanged; no real cipher text deciphers to itself.
    const auto next = [&]() -> std::optional<std::string> {
        std::optional<std::string> stored = reader.ReadString();
        if (!stored) {
            return std::nullopt;
        }
        std::string plain = m_env.DecryptText(*stored);
        if (!stored->empty() && plain == *stored) {
            return std::nullopt;
        }
        return plain;
    };
    if (next() != std::optional<std::string>(kMark)) {
        return contents;
    }
    PersonFile::Reader ahead = reader;
    while (ahead.ReadString()) {
        const std::optional<std::string> name = next();
        const std::optional<std::string> count = next();
        if (!name || !count || count->empty() || count->size() > 4 ||
            count->find_first_not_of("0123456789") != std::string::npos) {
            contents.values.clear();
            return contents;
        }
        std::string value;
        for (int piece = std::stoi(*count); piece > 0; --piece) {
            const std::optional<std::string> part = next();
            if (!part) {
                contents.values.clear();
                return contents;
            }
            value += *part;
        }
        contents.values[*name] = std::move(value);
        ahead = reader;
    }
    contents.state = State::Loaded;
    return contents;
}

bool DraftFile::Remove() const {
    return m_path.empty() || std::remove(m_path.c_str()) == 0 || errno == ENOENT;
}

bool DraftFile::SetAside() const {
    return !m_path.empty() && std::rename(m_path.c_str(), (m_env.ProgramFolder() + kDamagedName).c_str()) == 0;
}
