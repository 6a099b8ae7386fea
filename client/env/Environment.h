#pragma once

#include "client/env/CipherLibrary.h"
#include "client/env/PersonMap.h"
#include "client/env/PhonePrefixTable.h"
#include "client/env/PlatformNotifier.h"
#include "client/env/Selection.h"

#include <functional>
#include <optional>
#include <string>

// The client's one object for local state: where the program and its files live, the settings file, the text
// table, the cipher, the stored persons, the machine's hardware address, the phone prefix tables, and the
// selections the pages share. Its construction is the start: when the cipher library cannot be loaded or the
// person file cannot be read, IsReady() stays false and the client must end. All texts are code page 949.
class Environment {
public:
    static constexpr const char* kSettingsFile = "EnvSet.ini";
    static constexpr const char* kPersonFile = "Person.std";
    static constexpr const char* kTextTableFile = "TxtRes.rsc";
    static constexpr int kMaxPersons = 4;

    // Starts in `programFolder` (with or without its final "/"); an empty folder means the executable's.
    explicit Environment(const std::string& programFolder = {}, PlatformNotifier notifier = {});
    // Deletes the persons without saving them and unloads the cipher.
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    bool IsReady() const { return m_ready; }
    bool IsCipherLoaded() const { return m_cipher.IsLoaded(); }

    // Empty until the cipher is loaded. ProgramFolder ends in "/".
    const std::string& ProgramFolder() const { return m_programFolder; }
    const std::string& PersonStorePath() const { return m_personStorePath; }
    const std::string& SettingsPath() const { return m_settingsPath; }
    const std::string& TextTablePath() const { return m_textTablePath; }

    // Settings as read at the start.
    const std::string& CurrentVersion() const { return m_currentVersion; }
    // The version installed: CurrentVersion, or "1.0.0.0" where the settings name none.
    std::string InstalledVersion() const { return m_currentVersion.empty() ? "1.0.0.0" : m_currentVersion; }
    const std::string& ServerHost() const { return m_serverHost; }
    const std::string& RegKey() const { return m_regKey; }
    // The file named by "CAFILE" (relative to the program folder, or absolute): the authorities an https centre
    // must chain to. Empty when the setting is absent: the system's trust store then decides.
    const std::string& TrustedAuthorities() const { return m_trustedAuthorities; }
    // The hardware address text, with its line feed; empty when it could not be obtained.
    const std::string& MacAddress() const { return m_macAddress; }

    // Set when the client is to start the updater as it exits.
    bool UpdatePending() const { return m_updatePending; }
    void SetUpdatePending(bool pending) { m_updatePending = pending; }

    // One trimmed value of the settings file; empty when file, section or key is missing.
    std::string GetSetting(const std::string& section, const std::string& key) const;
    // Writes one value to the settings file (created as needed); false when it could not be written.
    bool WriteSetting(const std::string& section, const std::string& key, const std::string& value);

    // One text of the text table ("MESSAGE" or "TOOLTIP"), read from the file at every call so that edits show
    // at once. "<NL>" becomes a line break; white space at both ends goes. Empty when missing.
    std::string GetText(const std::string& section, const std::string& key) const;

    // Loads the cipher library from the program folder; false when it or its export is missing.
    bool LoadCipher();
    // The cipher text of `plain`; the empty text for the empty text. nullopt when encryption failed: the
    // caller must then neither store nor send anything in its place.
    std::optional<std::string> EncryptText(const std::string& plain) const;
    // The plain text of `cipherText`; a text that cannot be decrypted comes back as it is.
    std::string DecryptText(const std::string& cipherText) const;

    // Reads at most 4 persons from the person file into the map (replacing its content). True when the file
    // existed and was not empty. A damaged record ends the load there; the records before it are kept.
    bool LoadPersons();
    // Writes every person, encrypted, in map order; a person whose plain Ssn is empty is emptied and written
    // as 14 empty strings. False when a field could not be encrypted or the file could not be written; the
    // previous file and the persons in memory are then left as they were.
    bool SavePersons();
    // Runs `change` on the persons (and the selected key), then saves. When the save fails, every person is put
    // back as it was before the change: the same keys in the same order, plain and stored forms alike, and the
    // selected key with them, so that memory holds what the file holds. A person the change added goes again.
    bool ChangePersons(const std::function<void()>& change);
    // Deletes every person; nothing is written.
    void ClearPersons() { m_personMap.Clear(); }

    // The stored persons by the plain registration number under which each was inserted. Pages that insert
    // create the Person themselves; the map owns it from then on.
    ::PersonMap& PersonMap() { return m_personMap; }
    const ::PersonMap& PersonMap() const { return m_personMap; }
    // Always the number of persons in the map.
    int PersonCount() const { return static_cast<int>(m_personMap.Count()); }

    // The hardware address text of the first adapter (see MacAddressText). On failure the fixed platform
    // message box is shown through the notifier and nullopt comes back.
    std::optional<std::string> GetMacAddress() const;

    const PhonePrefixTable& AreaCodes() const { return m_areaCodes; }
    const PhonePrefixTable& MobilePrefixes() const { return m_mobilePrefixes; }
    // The list position of a person's Tel1 (1 to 16) or Cell1 (1 to 6); 0 when it is not in the table.
    int AreaCodeIndex(const Person& person) const { return m_areaCodes.IndexOf(person.Tel1); }
    int MobilePrefixIndex(const Person& person) const { return m_mobilePrefixes.IndexOf(person.Cell1); }
    // The digits behind a list position; empty for position 0 or no selection (-1).
    std::string SelectedAreaCode(int position) const { return m_areaCodes.Digits(position); }
    std::string SelectedMobilePrefix(int position) const { return m_mobilePrefixes.Digits(position); }

    // The person, category and patient the pages have chosen; never stored.
    ::Selection& Selection() { return m_selection; }
    const ::Selection& Selection() const { return m_selection; }

private:
    enum class PersonFileState { Missing, Loaded, Unreadable };

    void Start(const std::string& programFolder);
    void CheckMachineBinding(bool& personsUsable);
    PersonFileState ReadPersonFile();

    PlatformNotifier m_notifier;
    CipherLibrary m_cipher;
    std::string m_cipherFolder; // where the cipher is loaded from, known before the paths are set
    std::string m_currentVersion;
    std::string m_serverHost;
    std::string m_trustedAuthorities;
    std::string m_programFolder;
    std::string m_personStorePath;
    std::string m_settingsPath;
    std::string m_textTablePath;
    ::PersonMap m_personMap;
    ::Selection m_selection;
    bool m_updatePending = false;
    bool m_ready = false;
    std::string m_macAddress;
    std::string m_regKey;
    PhonePrefixTable m_areaCodes;
    PhonePrefixTable m_mobilePrefixes;
};
