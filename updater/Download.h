#pragma once

#include "updater/UpdateBlocks.h"
#include "updater/UpdateStatement.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

// What a download goes through, in the order the user is told of it.
enum class Stage {
    Busy,         // greeting 99
    Connected,    // greeting received
    InitFailed,   // no usable file information, or no memory for the file; value: a Refusal
    Receiving,    // value: the number of blocks
    Progress,     // value: the block index reached
    Failed,       // the transfer failed; nothing was written; value: a Refusal
    Received,     // every block is in memory (and checked against its statement)
    Saving,       // writing "Down/<name>"
    Ready,        // the file is in "Down/"; value: the number of blocks
    SaveFailed,   // "Down/<name>" could not be written; nothing half-written is left
    SocketError,  // no socket could be made
    ConnectError, // the host does not resolve, or refuses or does not answer in time
    Stopped,      // the stop flag ended the download; nothing was written
};

// Why a file that arrived is not taken. None: the exchange itself failed.
enum class Refusal : std::uint32_t {
    None,
    KeptFile,     // a file that no update replaces (the user's data, the settings, the key)
    NotPlainFile, // what stands at the name in the program folder is a link, a folder or the like
    NotSigned,    // a key is installed and the file carries no statement signed with it, or one for another file
    NotNewer,     // the signed version is not above the installed one
    NotAsSigned,  // the bytes or the apply action differ from the signed statement
};

struct DownloadOptions {
    std::string host;
    int port = kUpdatePort;
    std::string programFolder; // ends in "/"
    long connectMs = 10000;
    long blockMs = 30000; // for each reply
    std::uint32_t maxSize = 256u << 20;
};

// The download of one file from the update server: connect, greeting, file information, the data blocks
// with their acknowledgements, completion with the apply action, and the file saved whole into "Down/"
// below the program folder. It holds the whole file in memory until it is saved. A file that no update may
// replace is refused whatever it carries. When the program folder holds "update-key.pem", the file must come
// with a statement signed under that key that names it, its size, its digest, the apply action and a version
// above the installed one.
class Download {
public:
    using Observer = std::function<void(Stage stage, std::uint32_t value)>;

    static constexpr const char* kDownFolder = "Down/";

    Download(DownloadOptions options, Observer observer, const std::atomic<bool>* stop = nullptr);
    ~Download();
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // The whole download: Transfer, then Save. True when the file is ready in "Down/".
    bool Run();
    // The exchange with the server; true when the whole file (checked against its statement where a key asks
    // for one) is in memory.
    bool Transfer();
    // Writes the file in memory to "Down/<name>" and releases the memory.
    bool Save();

    bool Success() const { return m_success; }
    std::uint32_t ApplyAction() const { return m_applyAction; }
    // The file's name in the program folder and in "Down/" (UTF-8, no folders).
    const std::string& FileName() const { return m_fileName; }
    // The version the signed statement names; empty without a key.
    const std::string& Version() const { return m_version; }
    std::string DownFolder() const { return m_options.programFolder + kDownFolder; }
    // The file while it is in memory.
    std::string_view Bytes() const;

    // The part of a name sent by the server that may become a file name here, as UTF-8: what follows the last
    // "\" or "/", refused when empty, "." or "..", with a control character, not CP949, or too long.
    static std::optional<std::string> LocalFileName(std::string_view serverName);

private:
    void Tell(Stage stage, std::uint32_t value = 0);
    bool Fail(Stage stage, Refusal why = Refusal::None);
    // Before any block is asked for: whether the announced file may be taken at all.
    Refusal CheckAnnounced(const FileInfo& info, const std::string& localName);

    DownloadOptions m_options;
    Observer m_observer;
    const std::atomic<bool>* m_stop;
    bool m_success = false;
    std::uint32_t m_applyAction = kActionCopy;
    std::string m_fileName;
    std::string m_version;
    std::optional<UpdateStatement> m_statement;
    std::uint32_t m_size = 0;
    std::unique_ptr<char[]> m_data;
};

} // namespace updater
