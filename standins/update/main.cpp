// update-standin: the update server on one machine, so that the updater can be run, shown and tested
// without the real one. It hands out one file over the update block protocol.
#include "platform/Codec.h"
#include "platform/Signature.h"
#include "standins/common/StandinCommon.h"
#include "standins/update/UpdateServer.h"
#include "updater/UpdateFiles.h"
#include "updater/UpdateStatement.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace {

// The updater takes nothing larger.
constexpr std::size_t kFileMax = 256u << 20;

struct Options {
    std::string host = "127.0.0.1";
    int port = updater::kUpdatePort;
    std::string file;
    std::optional<std::string> name;
    std::uint32_t action = updater::kActionCopy;
    std::string signKey;
    std::string version;
    UpdateServer::Settings settings;
};

void PrintHelp() {
    std::cout << "Usage: update-standin --file PATH [--listen HOST:PORT] [--name NAME] [--action 1|2]\n"
                 "                      [--sign-key PEM --version X.Y.Z.W] [--max-clients N] [--max-per-peer N]\n"
                 "                      [--max-life S] [--block-delay MS]\n"
                 "\n"
                 "Stands in for the update server: hands out one file to every updater that asks, over\n"
                 "the update block protocol, many clients at once, one log line per connection.\n"
                 "\n"
                 "  --listen HOST:PORT  address to serve on (default 127.0.0.1:1472; port 0 takes a free port)\n"
                 "  --file PATH         the file to hand out (at most 256 MiB)\n"
                 "  --name NAME         the file name announced (default the file's own name)\n"
                 "  --action 1|2        1: the updater puts the file in place of the program's file of that\n"
                 "                      name (default); 2: it runs the file\n"
                 "  --sign-key PEM      sign a statement of the file (name, version, size, action, SHA-256)\n"
                 "                      with this Ed25519 private key, for updaters that hold the public key\n"
                 "                      as update-key.pem; they take only a version above their installed one\n"
                 "  --version X.Y.Z.W   the version the signed statement names (needed with --sign-key)\n"
                 "  --max-clients N     clients served at once (default 32); more get the busy greeting 99\n"
                 "  --max-per-peer N    clients at once from one address (default 4); more get the greeting 99\n"
                 "  --max-life S        seconds one connection may last, all in all (default 600)\n"
                 "  --block-delay MS    pause before each data block, to watch a transfer (default 0)\n"
                 "\n"
                 "Stops cleanly on Ctrl+C (SIGINT) or SIGTERM.\n";
}

// Nothing when the command line is wrong; the reason is printed.
std::optional<Options> ParseOptions(int argc, char** argv, bool& help) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return options;
        }
        if (i + 1 >= argc) {
            std::cerr << "update-standin: " << arg << " is unknown or lacks its value (see --help)\n";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        std::optional<long> number;
        if (arg == "--listen") {
            if (!ParseListen(value, options.host, options.port)) {
                std::cerr << "update-standin: --listen wants HOST:PORT, not \"" << value << "\"\n";
                return std::nullopt;
            }
        } else if (arg == "--file") {
            options.file = value;
        } else if (arg == "--name") {
            options.name = value;
        } else if (arg == "--action") {
            if (value != "1" && value != "2") {
                std::cerr << "update-standin: --action wants 1 (copy) or 2 (open)\n";
                return std::nullopt;
            }
            options.action = static_cast<std::uint32_t>(std::stoul(value));
        } else if (arg == "--version") {
            if (!updater::IsDottedVersion(value)) {
                std::cerr << "update-standin: --version wants a dotted version such as 1.0.0.1\n";
                return std::nullopt;
            }
            options.version = value;
        } else if (arg == "--max-per-peer" || arg == "--max-life") {
            number = ParseNumber(value, 100000);
            if (!number || *number < 1) {
                std::cerr << "update-standin: " << arg << " wants a number from 1 to 100000\n";
                return std::nullopt;
            }
            if (arg == "--max-per-peer") {
                options.settings.maxPerPeer = static_cast<int>(*number);
            } else {
                options.settings.lifeMs = *number * 1000;
            }
        } else if (arg == "--max-clients") {
            number = ParseNumber(value, 10000);
            if (!number || *number < 1) {
                std::cerr << "update-standin: --max-clients wants a number from 1 to 10000\n";
                return std::nullopt;
            }
            options.settings.maxClients = static_cast<int>(*number);
        } else if (arg == "--sign-key") {
            options.signKey = value;
        } else if (arg == "--block-delay") {
            number = ParseNumber(value, 10000);
            if (!number) {
                std::cerr << "update-standin: --block-delay wants milliseconds from 0 to 10000\n";
                return std::nullopt;
            }
            options.settings.blockDelayMs = static_cast<int>(*number);
        } else {
            std::cerr << "update-standin: unknown option " << arg << " (see --help)\n";
            return std::nullopt;
        }
    }
    if (options.file.empty()) {
        std::cerr << "update-standin: --file names the file to hand out (see --help)\n";
        return std::nullopt;
    }
    if (options.signKey.empty() != options.version.empty()) {
        std::cerr << "update-standin: --sign-key and --version go together: a signed file names its version\n";
        return std::nullopt;
    }
    return options;
}

// The offer the options describe; nothing, with the reason printed, when it cannot be made.
std::optional<UpdateOffer> MakeOffer(const Options& options) {
    UpdateOffer offer;
    std::optional<std::string> bytes = updater::ReadFileBytes(options.file, kFileMax);
    if (!bytes) {
        std::cerr << "update-standin: cannot read " << options.file << " (missing, unreadable or above 256 MiB)\n";
        return std::nullopt;
    }
    offer.bytes = std::move(*bytes);
    // Names travel as CP949, like every text of the system.
    const std::string name = options.name.value_or(std::filesystem::path(options.file).filename().string());
    std::optional<std::string> wireName = platform::Utf8ToCp949(name);
    if (!wireName) {
        std::cerr << "update-standin: the name \"" << name << "\" has no CP949 form\n";
        return std::nullopt;
    }
    offer.name = std::move(*wireName);
    offer.action = options.action;
    if (!options.signKey.empty()) {
        const updater::UpdateStatement statement{offer.name, options.version,
                                                 static_cast<std::uint32_t>(offer.bytes.size()), offer.action,
                                                 platform::Sha256(offer.bytes)};
        offer.statement = updater::StatementText(statement);
        const std::optional<std::string> key = updater::ReadFileBytes(options.signKey, 64 * 1024);
        std::optional<std::string> signature = key ? platform::SignEd25519(*key, offer.statement) : std::nullopt;
        if (!signature) {
            std::cerr << "update-standin: " << options.signKey << " is not a readable Ed25519 private key (PEM)\n";
            return std::nullopt;
        }
        offer.signature = std::move(*signature);
    }
    if (!UpdateServer::FileInfoFor(offer)) {
        std::cerr << "update-standin: the name is too long for the file information block\n";
        return std::nullopt;
    }
    return offer;
}

} // namespace

int main(int argc, char** argv) {
    bool help = false;
    const std::optional<Options> options = ParseOptions(argc, argv, help);
    if (!options) {
        return 2;
    }
    if (help) {
        PrintHelp();
        return 0;
    }
    std::optional<UpdateOffer> offer = MakeOffer(*options);
    if (!offer) {
        return 1;
    }
    const std::string summary = std::to_string(offer->bytes.size()) + " bytes, action " +
                                std::to_string(offer->action) +
                                (offer->signature.empty() ? ", unsigned" : ", signed as version " + options->version);

    StopSignals stopSignals;

    UpdateServer server(std::move(*offer), options->settings, std::cout);
    const int port = server.Bind(options->host, options->port);
    if (port < 0) {
        std::cerr << "update-standin: cannot listen on " << options->host << ":" << options->port << "\n";
        return 1;
    }
    stopSignals.OnStop([&server] { server.Stop(); });
    std::cout << "update-standin: serving " << options->file << " (" << summary << ") on " << options->host << ":"
              << port << std::endl;
    server.Serve();
    std::cout << "update-standin: stopped" << std::endl;
    return 0;
}
