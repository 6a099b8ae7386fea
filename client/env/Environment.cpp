#include "client/env/Environment.h"

#include "client/env/MachineIdentity.h"
#include "client/env/PersonFile.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SafeSave.h"
#include "protocol/TextTrim.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr const char* kDefaultSection = "DEFAULT";
constexpr unsigned kOwnerOnly = 0600;

std::string ReplaceLineBreakMarks(std::string text) {
    static constexpr std::string_view kMark = "<NL>";
    for (size_t pos = text.find(kMark); pos != std::string::npos; pos = text.find(kMark, pos + 2)) {
        text.replace(pos, kMark.size(), "\r\n");
    }
    return text;
}

} // namespace

Environment::Environment(const std::string& programFolder, PlatformNotifier notifier)
    : m_notifier(std::move(notifier)), m_areaCodes(PhonePrefixTable::AreaCodes()),
      m_mobilePrefixes(PhonePrefixTable::MobilePrefixes()) {
    Start(programFolder);
}

Environment::~Environment() {
    ClearPersons();
    m_cipher.Unload();
}

void Environment::Start(const std::string& programFolder) {
    std::string folder = programFolder.empty() ? platform::ExecutableFolder() : programFolder;
    if (folder.empty()) {
        return;
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    m_cipherFolder = folder;
    // Without the cipher nothing else is touched: no path, no settings, no person file.
    if (!LoadCipher()) {
        return;
    }
    try {
        m_programFolder = folder;
        m_personStorePath = folder + kPersonFile;
        m_settingsPath = folder + kSettingsFile;
        m_textTablePath = folder + kTextTableFile;

        m_currentVersion = GetSetting(kDefaultSection, "CURRENT_VERSION");
        m_serverHost = GetSetting(kDefaultSection, "URL");
        m_regKey = GetSetting(kDefaultSection, "REGKEY");
        const std::string caFile = GetSetting(kDefaultSection, "CAFILE");
        if (!caFile.empty()) {
            m_trustedAuthorities = caFile.front() == '/' ? caFile : folder + caFile;
        }

        m_selection.SetCategory(Selection::kNoCategory);
        m_updatePending = false;

        bool personsUsable = true;
        CheckMachineBinding(personsUsable);
        if (personsUsable && ReadPersonFile() == PersonFileState::Unreadable) {
            ClearPersons();
            return;
        }
        m_ready = true;
    } catch (const std::exception&) {
        ClearPersons();
    }
}

// The person store belongs to the machine whose hardware address gave the stored "REGKEY". On another
// machine, on first start, or after the settings were lost, the stored persons are discarded silently.
void Environment::CheckMachineBinding(bool& personsUsable) {
    const std::optional<std::string> mac = GetMacAddress();
    if (!mac) {
        return; // no binding check without an address; the stored persons stay
    }
    m_macAddress = *mac;
    const std::optional<std::string> key = EncryptText(m_macAddress);
    if (!key || key->empty()) {
        return; // never write the address in plain text; keep the store as it is
    }
    if (!m_regKey.empty() && m_regKey == *key) {
        return;
    }
    // Record the new binding only once the old persons are really gone, so a failed reset is repeated at the
    // next start; until then the old persons are not loaded.
    if (!SavePersons()) {
        personsUsable = false;
        return;
    }
    WriteSetting(kDefaultSection, "REGKEY", *key);
}

std::string Environment::GetSetting(const std::string& section, const std::string& key) const {
    if (m_settingsPath.empty()) {
        return {};
    }
    return TrimSpace(platform::ReadProfileString(m_settingsPath, section, key));
}

bool Environment::WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
    if (m_settingsPath.empty()) {
        return false;
    }
    return platform::WriteProfileString(m_settingsPath, section, key, value);
}

std::string Environment::GetText(const std::string& section, const std::string& key) const {
    if (m_textTablePath.empty()) {
        return {};
    }
    return TrimSpace(ReplaceLineBreakMarks(platform::ReadProfileString(m_textTablePath, section, key)));
}

bool Environment::LoadCipher() {
    if (m_cipher.IsLoaded()) {
        return true;
    }
    if (m_cipherFolder.empty()) {
        return false;
    }
    return m_cipher.Load(m_cipherFolder + CipherLibrary::kFileName);
}

std::optional<std::string> Environment::EncryptText(const std::string& plain) const {
    return m_cipher.EncryptText(plain);
}

std::string Environment::DecryptText(const std::string& cipherText) const {
    return m_cipher.DecryptText(cipherText).value_or(cipherText);
}

bool Environment::LoadPersons() {
    return ReadPersonFile() == PersonFileState::Loaded;
}

Environment::PersonFileState Environment::ReadPersonFile() {
    namespace fs = std::filesystem;
    if (m_personStorePath.empty()) {
        return PersonFileState::Missing;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(m_personStorePath, ec);
    if (status.type() == fs::file_type::not_found) {
        return PersonFileState::Missing;
    }
    if (ec || status.type() != fs::file_type::regular) {
        return PersonFileState::Unreadable;
    }
    const std::uintmax_t size = fs::file_size(m_personStorePath, ec);
    if (ec) {
        return PersonFileState::Unreadable;
    }
    std::ifstream in(m_personStorePath, std::ios::binary);
    if (!in) {
        return PersonFileState::Unreadable;
    }
    if (size == 0) {
        return PersonFileState::Missing;
    }
    std::string bytes(static_cast<size_t>(std::min<std::uintmax_t>(size, PersonFile::kReadLimit)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return PersonFileState::Unreadable;
    }
    bytes.resize(static_cast<size_t>(in.gcount()));

    ClearPersons();
    PersonFile::Reader reader(bytes);
    for (int record = 0; record < kMaxPersons; ++record) {
        auto person = std::make_unique<Person>();
        for (int f = 0; f < Person::kFieldCount; ++f) {
            std::optional<std::string> stored = reader.ReadString();
            if (!stored) {
                return PersonFileState::Loaded; // truncated or damaged: keep the records before it
            }
            person->Stored(static_cast<Person::Field>(f)) = std::move(*stored);
        }
        if (person->StoredSsn().empty()) {
            return PersonFileState::Loaded; // an emptied person ends the file
        }
        for (int f = 0; f < Person::kFieldCount; ++f) {
            const auto field = static_cast<Person::Field>(f);
            person->Plain(field) = DecryptText(person->Stored(field));
        }
        // The client never writes the same number twice; should a file hold it anyway, the first one stays.
        if (!m_personMap.Contains(person->Ssn)) {
            std::string key = person->Ssn;
            m_personMap.Insert(std::move(key), std::move(person));
        }
    }
    return PersonFileState::Loaded;
}

bool Environment::SavePersons() {
    if (m_personStorePath.empty()) {
        return false;
    }
    // Encrypt everything first: a field that cannot be encrypted fails the save before anything changes, and
    // nothing is ever written in plain text.
    using StoredForms = std::array<std::string, Person::kFieldCount>;
    std::vector<std::pair<Person*, std::optional<StoredForms>>> encrypted;
    std::string bytes;
    for (auto& entry : m_personMap) {
        Person& person = *entry.value;
        std::optional<StoredForms> forms;
        if (!person.Ssn.empty()) {
            forms.emplace();
            for (int f = 0; f < Person::kFieldCount; ++f) {
                std::optional<std::string> cipherText = EncryptText(person.Plain(static_cast<Person::Field>(f)));
                if (!cipherText) {
                    return false;
                }
                (*forms)[f] = std::move(*cipherText);
            }
        }
        for (int f = 0; f < Person::kFieldCount; ++f) {
            PersonFile::AppendString(bytes, forms ? (*forms)[f] : std::string_view());
        }
        encrypted.emplace_back(&person, std::move(forms));
    }
    // The persons change only once the file holds them: a failed save leaves the map as it was.
    if (!platform::SafeSave(m_personStorePath, bytes, kOwnerOnly)) {
        return false;
    }
    for (auto& [person, forms] : encrypted) {
        if (!forms) {
            person->Clear();
            continue;
        }
        for (int f = 0; f < Person::kFieldCount; ++f) {
            person->Stored(static_cast<Person::Field>(f)) = std::move((*forms)[f]);
        }
    }
    return true;
}

bool Environment::ChangePersons(const std::function<void()>& change) {
    struct Before {
        std::string key;
        const Person* object;
        Person state;
    };
    std::vector<Before> before;
    for (const auto& entry : m_personMap) {
        before.push_back({entry.key, entry.value.get(), *entry.value});
    }
    const std::string selected = m_selection.SelectedPersonKey();
    change();
    if (SavePersons()) {
        return true;
    }
    std::vector<std::unique_ptr<Person>> taken;
    for (auto& entry : m_personMap) {
        taken.push_back(std::move(entry.value));
    }
    m_personMap.Clear();
    // Each insertion goes to the front of its bucket, so inserting in reverse rebuilds the old order; the same
    // person objects come back, so nothing that points at one is left dangling.
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        auto same = std::find_if(taken.begin(), taken.end(), [&](const auto& p) { return p.get() == it->object; });
        std::unique_ptr<Person> person = same != taken.end() ? std::move(*same) : std::make_unique<Person>();
        *person = std::move(it->state);
        m_personMap.Insert(std::move(it->key), std::move(person));
    }
    m_selection.SelectPerson(selected);
    return false;
}

std::optional<std::string> Environment::GetMacAddress() const {
    std::vector<platform::NetAdapter> adapters;
    const platform::AdapterListResult result = platform::ListAdapters(adapters);
    if (result == platform::AdapterListResult::OutOfMemory) {
        m_notifier.Show("Insufficient Memory", "GetMacAddress Error");
        return std::nullopt;
    }
    std::optional<std::string> text = MacAddressText(adapters);
    if (!text) {
        m_notifier.Show("No Interfaces Present \n", "Error");
    }
    return text;
}
