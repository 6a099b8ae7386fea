#include "client/env/DraftFile.h"

#include "client/env/Environment.h"
#include "client/env/PersonFile.h"
#include "platform/SafeSave.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>

namespace {

// The first string of every draft: a file that does not decipher to it is not ours or is damaged.
constexpr const char* kMark = "Halvren draft 1";
// A draft holds a report and a registration, a few kilobytes; anything far larger is not a draft.
constexpr std::size_t kReadLimit = 1u << 20;
constexpr unsigned kOwnerOnly = 0600;

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
    if (m_path.empty()) {
        return false;
    }
    std::string bytes;
    const auto append = [&](const std::string& plain) {
        const std::optional<std::string> cipherText = m_env.EncryptText(plain);
        if (!cipherText) {
            return false;
        }
        PersonFile::AppendString(bytes, *cipherText);
        return true;
    };
    if (!append(kMark)) {
        return false;
    }
    for (const auto& [name, value] : values) {
        if (!append(name) || !append(value)) {
            return false; // never a draft in plain text
        }
    }
    return platform::SafeSave(m_path, bytes, kOwnerOnly);
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
        std::optional<std::string> name = next();
        std::optional<std::string> value = next();
        ahead = reader;
        if (!name || !value) {
            contents.values.clear();
            return contents;
        }
        contents.values[*name] = std::move(*value);
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
