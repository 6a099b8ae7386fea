#pragma once

#include <map>
#include <optional>
#include <string>

class Environment;

// Named values of what the user was typing: the report being written and a half-done registration.
using DraftValues = std::map<std::string, std::string>;

// The value of `name`; empty when the draft has none.
inline std::string DraftValue(const DraftValues& draft, const std::string& name) {
    const auto it = draft.find(name);
    return it == draft.end() ? std::string() : it->second;
}

// The draft file "Draft.std" in the program folder: what the user typed survives a crash, a kill or a power
// cut. Every name and value is enciphered like the person store; the file is replaced whole or not at all and
// readable by its owner only.
class DraftFile {
public:
    static constexpr const char* kFileName = "Draft.std";
    // Where a damaged draft is set aside, beside the program folder's other files.
    static constexpr const char* kDamagedName = "Draft.std.damaged";

    enum class State { Missing, Loaded, Damaged };
    struct Contents {
        State state = State::Missing;
        DraftValues values;
    };

    explicit DraftFile(const Environment& env);

    // Writes `values`; no values removes the file. False when it could not be written (an old file stays).
    bool Save(const DraftValues& values) const;
    // The two halves of Save: the enciphered bytes (nullopt when a value could not be enciphered), and their
    // write, which touches nothing but the file and may run on another thread.
    std::optional<std::string> Encode(const DraftValues& values) const;
    bool Write(const std::string& bytes) const;
    Contents Load() const;
    // False only when a file is there and could not be removed.
    bool Remove() const;
    // Moves a damaged file out of the way under kDamagedName, so the next start does not trip over it.
    bool SetAside() const;

    const std::string& Path() const { return m_path; }

private:
    const Environment& m_env;
    std::string m_path;
};
