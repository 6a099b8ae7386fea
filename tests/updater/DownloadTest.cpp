// The updater's download protocol against scripted update servers on real loopback connections.
#include "updater/Download.h"
#include "platform/Codec.h"
#include "platform/Signature.h"
#include "support/ScriptedUpdatePeer.h"
#include "support/TempDir.h"
#include "support/UpdateKeys.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;
using updater::Stage;
using Peer = ScriptedUpdatePeer;
using Codes = std::vector<std::uint32_t>;

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 4092) & 0xff);
    }
    return bytes;
}

std::string Le(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

class DownloadTest : public ::testing::Test {
protected:
    struct Outcome {
        bool ok = false;
        std::vector<Stage> stages;
        updater::Refusal why = updater::Refusal::None; // of a failure
        std::uint32_t action = 0;
        std::string fileName;
        std::string version;
    };

    Outcome Run(long blockMs = 5000, const std::string& host = "127.0.0.1") {
        updater::DownloadOptions options;
        options.host = host;
        options.port = peer.Port();
        options.programFolder = Folder();
        options.connectMs = 2000;
        options.blockMs = blockMs;
        Outcome outcome;
        updater::Download download(options, [&](Stage stage, std::uint32_t value) {
            if (stage != Stage::Progress) {
                outcome.stages.push_back(stage);
            }
            if (stage == Stage::InitFailed || stage == Stage::Failed) {
                outcome.why = static_cast<updater::Refusal>(value);
            }
        });
        outcome.ok = download.Run();
        EXPECT_EQ(outcome.ok, download.Success());
        outcome.action = download.ApplyAction();
        outcome.fileName = download.FileName();
        outcome.version = download.Version();
        return outcome;
    }

    std::string Folder() const { return dir.Str() + "/"; }
    std::string Downloaded(const std::string& name) const { return dir.Read("Down/" + name); }
    // Every file below the program folder.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
            if (!entry.is_directory()) {
                files.push_back(fs::relative(entry.path(), dir.Path()).string());
            }
        }
        return files;
    }

    TempDir dir;
    Peer peer;
};

const std::vector<Stage> kGood = {Stage::Connected, Stage::Receiving, Stage::Received, Stage::Saving, Stage::Ready};
const std::vector<Stage> kInitFailed = {Stage::Connected, Stage::InitFailed};
const std::vector<Stage> kFailed = {Stage::Connected, Stage::Receiving, Stage::Failed};

TEST_F(DownloadTest, BlocksFollowTheAnnouncedSizeHoweverTheStreamCutsThem) {
    struct Case {
        std::size_t size;
        Codes codes; // what the updater sends
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        {4092, {11, 21, 24, 81}, {}}, // one full block and an empty last one
        {10, {11, 21, 81}, {}},       // only a last block, never acknowledged
        {4093, {11, 21, 24, 81}, {}},
        {3 * 4092 + 5, {11, 21, 24, 24, 24, 81}, {1, 700, 3000, 395}},
    };
    for (const Case& c : cases) {
        const std::string file = Pattern(c.size);
        Peer::Script script = Peer::Transfer("Halvren", file, 1);
        for (Peer::Step& step : script) {
            step.pieces = c.pieces;
        }
        const Codes before = peer.Received();
        peer.Queue(script);
        const Outcome outcome = Run();
        EXPECT_TRUE(outcome.ok) << c.size;
        EXPECT_EQ(kGood, outcome.stages) << c.size;
        Codes codes = peer.Received();
        codes.erase(codes.begin(), codes.begin() + static_cast<long>(before.size()));
        EXPECT_EQ(c.codes, codes) << c.size;
        EXPECT_EQ(file, Downloaded("Halvren")) << c.size;
        EXPECT_EQ(1u, outcome.action);
    }
}

TEST_F(DownloadTest, ABusyServerEndsTheAttemptAndTheNextAttemptStartsAfresh) {
    peer.Queue({Peer::Send(Peer::Reply(99))});
    peer.Queue(Peer::Transfer("Halvren", "new", 2));
    Outcome busy = Run();
    EXPECT_FALSE(busy.ok);
    EXPECT_EQ(std::vector<Stage>{Stage::Busy}, busy.stages);
    EXPECT_TRUE(peer.Received().empty()) << "nothing is asked of a busy server";
    Outcome retry = Run();
    EXPECT_TRUE(retry.ok);
    EXPECT_EQ(2u, retry.action);
    EXPECT_EQ("new", Downloaded("Halvren"));
}

TEST_F(DownloadTest, UnusableFileInformationIsAnInitialisationFailureThatTakesNothing) {
    const std::string tooLong(300, 'a');
    const std::string payloads[] = {
        Peer::FileInfoPayload(0, "Halvren"),                // nothing to download
        Peer::FileInfoPayload((256u << 20) + 1, "Halvren"), // more than the updater takes
        Peer::FileInfoPayload(10, ""),
        Peer::FileInfoPayload(10, "."),
        Peer::FileInfoPayload(10, "..\\.."),
        Peer::FileInfoPayload(10, "dir/"),
        Peer::FileInfoPayload(10, std::string("Hal\x01vren")),
        Peer::FileInfoPayload(10, std::string("Halvren\x7f")),
        Peer::FileInfoPayload(10, std::string("\xff\xff")), // not CP949
        Peer::FileInfoPayload(10, tooLong),
        Le(10) + std::string(4092, 'a'), // a name without its end
    };
    for (const std::string& payload : payloads) {
        peer.Queue(
            {Peer::Send(Peer::Reply(1)), Peer::Receive(), Peer::Send(Peer::Reply(12, payload)), Peer::Receive()});
        const Outcome outcome = Run();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(kInitFailed, outcome.stages) << payload.substr(4, 20);
    }
    peer.Queue({Peer::Send(Peer::Reply(1)), Peer::Receive(), Peer::Send(Peer::Reply(13))});
    EXPECT_EQ(kInitFailed, Run().stages) << "another code than 12";
    for (std::uint32_t code : peer.Received()) {
        EXPECT_EQ(11u, code) << "no transfer was started";
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(DownloadTest, FolderPartsOfTheNameAreDroppedAndNothingLandsOutsideDown) {
    const std::string korean = platform::Utf8ToCp949("업데이트.exe").value();
    const std::pair<std::string, std::string> names[] = {
        {"..\\..\\Windows\\evil.exe", "evil.exe"},
        {"/etc/passwd", "passwd"},
        {"sub/dir\\..\\Halvren", "Halvren"},
        {"C:\\Program Files\\" + korean, "업데이트.exe"},
    };
    for (const auto& [sent, stored] : names) {
        SCOPED_TRACE(sent);
        peer.Queue(Peer::Transfer(sent, "bytes of " + stored));
        const Outcome outcome = Run();
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(stored, outcome.fileName);
        EXPECT_EQ("bytes of " + stored, Downloaded(stored));
    }
    for (const std::string& file : Files()) {
        EXPECT_EQ(0u, file.rfind("Down/", 0)) << file;
        EXPECT_EQ(std::string::npos, file.find('/', 5)) << file;
    }
}

TEST_F(DownloadTest, ABrokenTransferFailsAndWritesNothing) {
    const std::string file = Pattern(2 * 4092 + 1);
    const std::string head = Peer::FileInfoPayload(static_cast<std::uint32_t>(file.size()), "Halvren");
    const Peer::Script start = {Peer::Send(Peer::Reply(1)), Peer::Receive(), Peer::Send(Peer::Reply(12, head)),
                                Peer::Receive()};
    auto with = [&](Peer::Script tail) {
        Peer::Script script = start;
        script.insert(script.end(), tail.begin(), tail.end());
        return script;
    };
    const std::string full = Peer::Reply(22, file.substr(0, 4092));
    const Peer::Script broken[] = {
        // a third full block where only a last one fits
        with({Peer::Send(full), Peer::Receive(), Peer::Send(full), Peer::Receive(), Peer::Send(full), Peer::Receive()}),
        // the last block before its place
        with({Peer::Send(full), Peer::Receive(), Peer::Send(Peer::Reply(23, "x"))}),
        // an unknown code among the blocks
        with({Peer::Send(full), Peer::Receive(), Peer::Send(Peer::Reply(77))}),
        // the server closes in the middle of a block
        with({Peer::Send(full), Peer::Receive(), Peer::Send(full.substr(0, 2000)), Peer::Close()}),
    };
    for (const Peer::Script& script : broken) {
        peer.Queue(script);
        const Outcome outcome = Run();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(kFailed, outcome.stages);
    }
    // A server that stalls in the middle of a block is given up at the block's time limit.
    peer.Queue(with({Peer::Send(full), Peer::Receive(), Peer::Send(full.substr(0, 2000)), Peer::Stall()}));
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(kFailed, Run(300).stages);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));
    peer.Release();
    EXPECT_TRUE(Files().empty());
}

TEST_F(DownloadTest, WithoutAnAnswerTo81TheFileIsCopied) {
    peer.Queue(Peer::Transfer("Halvren", "new", /*action=*/0));
    const Outcome outcome = Run(500);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(1u, outcome.action);
}

TEST_F(DownloadTest, FilesThatHoldTheUsersDataOrAreNoPlainFileAreNeverTaken) {
    using updater::Refusal;
    fs::create_directory(dir.Path() / "images");
    fs::create_symlink(dir.Path() / "Halvren", dir.Path() / "linked");
    const std::pair<std::string, Refusal> refused[] = {
        {"Person.std", Refusal::KeptFile}, {"EnvSet.ini", Refusal::KeptFile},     {"update-key.pem", Refusal::KeptFile},
        {"Draft.std", Refusal::KeptFile},  {"..\\PERSON.STD", Refusal::KeptFile}, {"Down", Refusal::KeptFile},
        {"images", Refusal::NotPlainFile}, {"linked", Refusal::NotPlainFile},
    };
    for (const auto& [name, why] : refused) {
        peer.Queue(Peer::Transfer(name, "a file of the server's choice"));
        const Outcome outcome = Run();
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_EQ(kInitFailed, outcome.stages) << name;
        EXPECT_EQ(why, outcome.why) << name;
    }
    for (std::uint32_t code : peer.Received()) {
        EXPECT_EQ(11u, code) << "no transfer was started";
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "Down"));
}

TEST_F(DownloadTest, ALinkIsNeverFollowedWhenTheDownloadIsWritten) {
    TempDir outside;
    // "Down" as a link to another folder: nothing is written there.
    fs::create_directory_symlink(outside.Path(), dir.Path() / "Down");
    peer.Queue(Peer::Transfer("Halvren", "new"));
    Outcome outcome = Run();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Stage::SaveFailed, outcome.stages.back());
    EXPECT_TRUE(fs::is_empty(outside.Path()));

    // A link standing at the file's place in "Down/" is replaced, not written through.
    fs::remove(dir.Path() / "Down");
    fs::create_directory(dir.Path() / "Down");
    const fs::path victim = outside.Write("autostart.desktop", "kept");
    fs::create_symlink(victim, dir.Path() / "Down" / "Halvren");
    peer.Queue(Peer::Transfer("Halvren", "new"));
    EXPECT_TRUE(Run().ok);
    EXPECT_EQ("kept", outside.Read("autostart.desktop"));
    EXPECT_FALSE(fs::is_symlink(dir.Path() / "Down" / "Halvren"));
    EXPECT_EQ("new", Downloaded("Halvren"));
}

TEST_F(DownloadTest, WithTheKeyInstalledOnlyAFileItsSignedStatementNamesIsTaken) {
    using updater::Refusal;
    const UpdateKeys keys;
    const UpdateKeys otherKeys;
    // Some megabytes, so that the digest is taken while the blocks still arrive.
    const std::string client = Pattern((3 << 20) + 5000);
    auto statement = [&](const std::string& version, std::uint32_t action = 1, const UpdateKeys* by = nullptr) {
        return (by ? *by : keys).Statement("Halvren", version, client.size(), action, client);
    };

    // Without the key the statement is not looked at, and names no version.
    peer.Queue(Peer::Transfer("Halvren", client, 1, statement("1.0.0.1")));
    Outcome outcome = Run();
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ("", outcome.version);
    fs::remove_all(dir.Path() / "Down");

    dir.Write("update-key.pem", keys.publicPem);
    dir.Write("EnvSet.ini", "[DEFAULT]\r\nCURRENT_VERSION=1.0.0.5\r\n");
    struct Case {
        std::string name;  // announced
        std::string after; // behind the name's NUL
        Refusal why;
    };
    const Case refusedAtOnce[] = {
        {"Halvren", "", Refusal::NotSigned},
        {"Halvren", "SIG1" + platform::SignEd25519(keys.privatePem, client).value(), Refusal::NotSigned},
        {"Halvren", statement("1.0.0.6", 1, &otherKeys), Refusal::NotSigned},
        // The genuine client's statement under other names: the name is signed.
        {"libKavrel.so", statement("1.0.0.6"), Refusal::NotSigned},
        {"Updater", statement("1.0.0.6"), Refusal::NotSigned},
        {"update-key.pem", statement("1.0.0.6"), Refusal::KeptFile},
        {"Person.std", statement("1.0.0.6"), Refusal::KeptFile},
        {"EnvSet.ini", statement("1.0.0.6"), Refusal::KeptFile},
        // An older build, and the installed one again.
        {"Halvren", statement("1.0.0.4"), Refusal::NotNewer},
        {"Halvren", statement("1.0.0.5"), Refusal::NotNewer},
        {"Halvren", keys.Statement("Halvren", "1.0.0.6", client.size() + 1, 1, client), Refusal::NotSigned},
    };
    for (const Case& c : refusedAtOnce) {
        SCOPED_TRACE("row " + std::to_string(&c - refusedAtOnce) + ": " + c.name);
        peer.Queue(Peer::Transfer(c.name, client, 1, c.after));
        outcome = Run();
        EXPECT_FALSE(outcome.ok) << c.name << " " << static_cast<int>(c.why);
        EXPECT_EQ(kInitFailed, outcome.stages) << c.name;
        EXPECT_EQ(c.why, outcome.why) << c.name;
    }
    // What arrives must be what was signed: one byte changed, or another apply action.
    std::string tampered = client;
    tampered[(2 << 20) + 4100] ^= 1;
    peer.Queue(Peer::Transfer("Halvren", tampered, 1, statement("1.0.0.6")));
    peer.Queue(Peer::Transfer("Halvren", client, 2, statement("1.0.0.6")));
    for (int i = 0; i < 2; ++i) {
        outcome = Run();
        EXPECT_EQ(kFailed, outcome.stages);
        EXPECT_EQ(Refusal::NotAsSigned, outcome.why);
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "Down"));

    peer.Queue(Peer::Transfer("Halvren", client, 1, statement("1.0.0.6")));
    outcome = Run();
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ("1.0.0.6", outcome.version);
    EXPECT_EQ(client, Downloaded("Halvren"));
}

} // namespace
