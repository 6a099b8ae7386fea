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
#include <system_error>
#include <thread>

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

// The SHA-256 of a file that is still arriving, taken on a second thread that follows the receiving one, so that
// on a machine with a free processor checking a signed file costs the transfer next to nothing. Whatever the
// second thread has not reached when the last block is in, the receiving thread digests itself. The receiving
// thread only says how many bytes from the start are in place; it never writes below that mark.
class TrailingDigest {
public:
    explicit TrailingDigest(const char* data) : m_data(data), m_thread([this] { Follow(); }) {}
    ~TrailingDigest() { Stop(); }
    TrailingDigest(const TrailingDigest&) = delete;
    TrailingDigest& operator=(const TrailingDigest&) = delete;

    void Arrived(std::size_t bytes) {
        m_arrived.store(bytes, std::memory_order_release);
        // Woken for a good piece at a time, the thread takes its share of the processor in few large steps.
        if (bytes - m_told >= kStep) {
            m_told = bytes;
            m_arrived.notify_one();
        }
    }
    // The digest of the first `size` bytes, which have all arrived.
    std::string Final(std::size_t size) {
        Stop();
        if (size > m_done) {
            m_digest.Update(std::string_view(m_data + m_done, size - m_done));
        }
        return m_digest.Final();
    }

private:
    static constexpr std::uint64_t kEnd = std::uint64_t(1) << 63;
    static constexpr std::size_t kStep = 1 << 20;
    // The most digested between two looks at the end mark, so that a failed transfer is not kept waiting.
    static constexpr std::size_t kSlice = 64 << 10;

    void Stop() {
        if (m_thread.joinable()) {
            m_arrived.store(m_arrived.load(std::memory_order_relaxed) | kEnd, std::memory_order_release);
            m_arrived.notify_one();
            m_thread.join();
        }
    }

    void Follow() {
        for (;;) {
            const std::uint64_t mark = m_arrived.load(std::memory_order_acquire);
            if (mark & kEnd) {
                return;
            }
            if (mark > m_done) {
                const std::size_t slice = std::min<std::size_t>(mark - m_done, kSlice);
                m_digest.Update(std::string_view(m_data + m_done, slice));
                m_done += slice;
            } else {
                m_arrived.wait(mark, std::memory_order_acquire);
            }
        }
    }

    const char* m_data;
    std::atomic<std::uint64_t> m_arrived{0};
    std::size_t m_told = 0;
    // Owned by the second thread while it runs, by the receiving one after.
    platform::Sha256Digest m_digest;
    std::size_t m_done = 0;
    std::thread m_thread; // last: it starts once everything it reads is in place
};

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
    std::optional<TrailingDigest> digest;
    if (m_statement) {
        try {
            digest.emplace(m_data.get());
        } catch (const std::system_error&) {
            return Fail(Stage::InitFailed); // no thread to be had
        }
    }
    bool complete = false;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        if (ReceiveBlock(*socket, reply, limit) < 0) {
            break;
        }
        const std::uint32_t code = ReadU32(reply.data());
        const std::size_t offset = static_cast<std::size_t>(i) * kBlockData;
        // A full block only where a full block fits, the last one only at its place: anything else would
        // write past the file or leave a hole in it.
        if (code == kDataBlock && i + 1 < blocks) {
            std::memcpy(m_data.get() + offset, reply.data() + 4, kBlockData);
            if (digest) {
                digest->Arrived(offset + kBlockData);
            }
            if (!Send(*socket, kBlockReceived, limit)) {
                break;
            }
            Tell(Stage::Progress, i);
            continue;
        }
        if (code == kLastBlock && i + 1 == blocks) {
            std::memcpy(m_data.get() + offset, reply.data() + 4, LastBlockSize(m_size));
            if (digest) {
                digest->Arrived(m_size);
            }
            complete = true;
        }
        break;
    }
    // The digest thread reads the file's memory: it ends before anything may release it.
    const std::string sha256 = digest ? digest->Final(complete ? m_size : 0) : std::string();
    if (!complete) {
        return Fail(Stage::Failed);
    }
    if (Send(*socket, kTransferDone, limit) && ReceiveBlock(*socket, reply, limit) >= 0 &&
        ReadU32(reply.data()) == kApplyAction) {
        m_applyAction = ReadU32(reply.data() + 4);
    }
    Tell(Stage::Progress, blocks - 1);
    if (m_statement && (m_applyAction != m_statement->action || sha256 != m_statement->sha256)) {
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
