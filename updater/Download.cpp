#include "updater/Download.h"

#include "platform/Codec.h"
#include "platform/SafeSave.h"
#include "platform/Signature.h"
#include "platform/Tcp.h"
#include "updater/UpdateFiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

namespace updater {
namespace {

using Result = platform::TcpConnection::Result;

// The longest file name the file systems we run on keep, in bytes.
constexpr std::size_t kNameMax = 255;
constexpr std::size_t kKeyFileMax = 64 * 1024;

bool Send(platform::TcpConnection& socket, std::uint32_t code, long timeLimitMs) {
    const Request request = MakeRequest(code);
    return socket.SendAll(request.data(), request.size(), timeLimitMs) == Result::Ok;
}

} // namespace

Download::Download(DownloadOptions options, Observer observer, const std::atomic<bool>* stop)
    : m_options(std::move(options)), m_observer(std::move(observer)), m_stop(stop) {}

Download::~Download() = default;

std::string_view Download::Bytes() const {
    return m_data ? std::string_view(m_data.get(), m_size) : std::string_view();
}

std::optional<std::string> Download::LocalFileName(std::string_view serverName) {
    const std::size_t slash = serverName.find_last_of("\\/");
    const std::string_view base = slash == std::string_view::npos ? serverName : serverName.substr(slash + 1);
    if (base.empty() || base == "." || base == ".." || std::any_of(base.begin(), base.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        })) {
        return std::nullopt;
    }
    // The server speaks CP949 like every other text of the system; the file system wants UTF-8.
    std::optional<std::string> local = platform::Cp949ToUtf8(base);
    if (!local || local->size() > kNameMax) {
        return std::nullopt;
    }
    return local;
}

void Download::Tell(Stage stage, std::uint32_t value) {
    if (m_observer) {
        m_observer(stage, value);
    }
}

bool Download::Fail(Stage stage, Refusal why) {
    m_data.reset();
    Tell(m_stop != nullptr && m_stop->load() ? Stage::Stopped : stage, static_cast<std::uint32_t>(why));
    return false;
}

bool Download::Run() {
    if (!Transfer()) {
        return false;
    }
    Tell(Stage::Received);
    return Save();
}

bool Download::Transfer() {
    m_success = false;
    m_applyAction = kActionCopy;
    m_fileName.clear();
    m_version.clear();
    m_statement.reset();
    m_data.reset();

    platform::TcpConnection::ConnectError error = platform::TcpConnection::ConnectError::None;
    const std::unique_ptr<platform::TcpConnection> socket =
        platform::TcpConnection::Connect(m_options.host, m_options.port, m_options.connectMs, error, m_stop);
    if (!socket) {
        return Fail(error == platform::TcpConnection::ConnectError::Socket ? Stage::SocketError : Stage::ConnectError);
    }
    const long limit = m_options.blockMs;
    Reply reply;
    if (ReceiveBlock(*socket, reply, limit) < 0) {
        return Fail(Stage::InitFailed);
    }
    if (ReadU32(reply.data()) == kBusy) {
        Tell(Stage::Busy);
        return false;
    }
    Tell(Stage::Connected);

    if (!Send(*socket, kAskFileInfo, limit) || ReceiveBlock(*socket, reply, limit) < 0) {
        return Fail(Stage::InitFailed);
    }
    const std::optional<FileInfo> info = ParseFileInfo(reply);
    std::optional<std::string> name = info ? LocalFileName(info->name) : std::nullopt;
    // Size 0 and sizes above the limit never take memory.
    if (!name || info->size == 0 || info->size > m_options.maxSize) {
        return Fail(Stage::InitFailed);
    }
    if (const Refusal why = CheckAnnounced(*info, *name); why != Refusal::None) {
        return Fail(Stage::InitFailed, why);
    }
    m_data.reset(new (std::nothrow) char[info->size]);
    if (!m_data) {
        return Fail(Stage::InitFailed);
    }
    m_size = info->size;
    m_fileName = std::move(*name);

    const std::uint32_t blocks = BlockCount(m_size);
    Tell(Stage::Receiving, blocks);
    if (!Send(*socket, kStartTransfer, limit)) {
        return Fail(Stage::Failed);
    }
    // The file is digested block by block as it arrives, while the server is busy with the next blocks.
    std::optional<platform::Sha256Digest> digest;
    if (m_statement) {
        digest.emplace();
    }
    bool complete = false;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        if (ReceiveBlock(*socket, reply, limit) < 0) {
            break;
        }
        const std::uint32_t code = ReadU32(reply.data());
        char* at = m_data.get() + static_cast<std::size_t>(i) * kBlockData;
        // A full block only where a full block fits, the last one only at its place: anything else would
        // write past the file or leave a hole in it.
        if (code == kDataBlock && i + 1 < blocks) {
            std::memcpy(at, reply.data() + 4, kBlockData);
            if (!Send(*socket, kBlockReceived, limit)) {
                break;
            }
            if (digest) {
                digest->Update(std::string_view(at, kBlockData));
            }
            Tell(Stage::Progress, i);
            continue;
        }
        if (code == kLastBlock && i + 1 == blocks) {
            std::memcpy(at, reply.data() + 4, LastBlockSize(m_size));
            if (digest) {
                digest->Update(std::string_view(at, LastBlockSize(m_size)));
            }
            complete = true;
        }
        break;
    }
    if (!complete) {
        return Fail(Stage::Failed);
    }
    if (Send(*socket, kTransferDone, limit) && ReceiveBlock(*socket, reply, limit) >= 0 &&
        ReadU32(reply.data()) == kApplyAction) {
        m_applyAction = ReadU32(reply.data() + 4);
    }
    Tell(Stage::Progress, blocks - 1);
    if (m_statement && (m_applyAction != m_statement->action || platform::Sha256(Bytes()) != m_statement->sha256)) {
        return Fail(Stage::Failed, Refusal::NotAsSigned);
    }
    return true;
}

Refusal Download::CheckAnnounced(const FileInfo& info, const std::string& localName) {
    if (IsKeptFile(localName)) {
        return Refusal::KeptFile;
    }
    if (!IsPlainFileOrMissing(m_options.programFolder, localName)) {
        return Refusal::NotPlainFile;
    }
    const std::string keyPath = m_options.programFolder + kKeyFile;
    std::error_code error;
    if (fs::symlink_status(keyPath, error).type() == fs::file_type::not_found) {
        return Refusal::None; // no key installed: files are taken as the server sends them
    }
    // The signature is checked before a word of the statement is believed. The name and size it names must be
    // those announced: a genuine statement for one file never passes for another.
    const std::optional<std::string> key = ReadFileBytes(keyPath, kKeyFileMax, false);
    if (!key || info.statement.empty() || !platform::VerifyEd25519(*key, info.statement, info.signature)) {
        return Refusal::NotSigned;
    }
    std::optional<UpdateStatement> statement = ParseStatement(info.statement);
    if (!statement || statement->name != info.name || statement->size != info.size) {
        return Refusal::NotSigned;
    }
    if (!IsNewerVersion(statement->version, InstalledVersion(m_options.programFolder))) {
        return Refusal::NotNewer;
    }
    m_version = statement->version;
    m_statement = std::move(statement);
    return Refusal::None;
}

bool Download::Save() {
    // Without a program folder there is no "Down/" to write to, and nothing is written anywhere else.
    if (!m_data || m_options.programFolder.empty()) {
        return Fail(Stage::SaveFailed);
    }
    // "Down" is made when missing; a link standing there is refused when the file is written, never followed.
    std::error_code error;
    fs::create_directory(DownFolder(), error);
    Tell(Stage::Saving);
    // A file to be run must be runnable; any other stays plain data.
    const unsigned mode = m_applyAction == kActionRun ? 0755 : 0644;
    const bool saved = platform::SafeSaveInFolder(DownFolder(), m_fileName, Bytes(), mode);
    m_data.reset();
    if (!saved) {
        return Fail(Stage::SaveFailed);
    }
    m_success = true;
    Tell(Stage::Ready, BlockCount(m_size));
    return true;
}

} // namespace updater
