// centre-standin: the reporting centre's server on one machine, so that the client can be run, shown and
// tested without the real centre.
#include "client/env/CipherLibrary.h"
#include "platform/Codec.h"
#include "platform/Paths.h"
#include "standins/centre/CentreServer.h"
#include "standins/centre/CentreService.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/ResidentCheck.h"
#include "standins/common/StandinCommon.h"

#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string dataDir = "centre-data";
    std::string cipherPath;
    std::string tlsCert; // PEM files; both or neither
    std::string tlsKey;
    std::string pagesHost; // the plain listener for the pages, when asked for
    int pagesPort = -1;
    CentreSettings settings;
    std::vector<Resident> residents; // added to the register at start
};

void PrintHelp(const std::string& folder) {
    std::cout << "Usage: centre-standin [--listen HOST:PORT] [--data DIR] [--version TEXT] [--cipher PATH]\n"
                 "                      [--progress A,B,C] [--resident NAME,NUMBER]...\n"
                 "                      [--tls-cert CERT --tls-key KEY [--pages 127.0.0.1:PORT]]\n"
                 "\n"
                 "Stands in for the reporting centre's server: answers the client's requests on\n"
                 "POST /Morvane/vesk/VeskManager.jsp, serves the help page on /Morvane/vesk/Help/help.jsp\n"
                 "and shows the received reports on / (refreshing itself).\n"
                 "\n"
                 "  --listen HOST:PORT  address to serve on (default 127.0.0.1:8080; port 0 takes a free port)\n"
                 "  --tls-cert CERT     serve HTTPS with this certificate (PEM, the chain after it) ...\n"
                 "  --tls-key KEY       ... and its private key (PEM)\n"
                 "  --pages HOST:PORT   with HTTPS: also serve the dispatcher's view and the resident form over\n"
                 "                      plain HTTP here, for a browser without the certificate; loopback only,\n"
                 "                      and not the client's requests\n"
                 "  --data DIR          folder of the database centre.db (default ./centre-data)\n"
                 "  --version TEXT      program version announced to clients (default 1.0.0.0)\n"
                 "  --cipher PATH       the Kavrel library that deciphers resident numbers\n"
                 "                      (default "
              << folder
              << "../dist/libKavrel.so)\n"
                 "  --progress A,B,C    seconds after receipt at which a report is taken on (접수), a crew is\n"
                 "                      sent (출동) and the case is closed (처리완료); default 10,60,180\n"
                 "  --resident NAME,NUMBER\n"
                 "                      adds a resident to the register, or gives a registered number this\n"
                 "                      name, e.g. --resident \"홍길동,800101-1234567\"; may be repeated\n"
                 "\n"
                 "The resident register decides the real-name check (004): only a name and number it holds\n"
                 "together pass; requests never add to it. A report (011) is never refused for who sent it:\n"
                 "one whose name and number the register does not hold is taken and shown to the dispatcher\n"
                 "as \"본인 확인 안 됨\".\n"
                 "A new database holds the postal table shipped beside the program and these residents:\n";
    for (const CentreStore::SeedResident& seed : CentreStore::SeedResidents()) {
        std::cout << "  " << std::string(seed.ssn).insert(6, "-") << "  " << seed.name << "\n";
    }
    std::cout << "The operator adds more with --resident, or with the form linked from the dispatcher's view\n"
                 "(answered on this machine only). Every address answers only requests that name it (Host): its\n"
                 "own, or localhost / 127.0.0.1 with its port; others get 421.\n"
                 "The data folder is made readable by its owner only. Stops cleanly on Ctrl+C (SIGINT) or SIGTERM.\n";
}

// Nothing when the command line is wrong; the reason is printed.
std::optional<Options> ParseOptions(int argc, char** argv, const std::string& folder, bool& help) {
    Options options;
    options.cipherPath = folder + "../dist/" + CipherLibrary::kFileName;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return options;
        }
        if (i + 1 >= argc) {
            std::cerr << "centre-standin: " << arg << " is unknown or lacks its value (see --help)\n";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        if (arg == "--listen") {
            if (!ParseListen(value, options.host, options.port)) {
                std::cerr << "centre-standin: --listen wants HOST:PORT, not \"" << value << "\"\n";
                return std::nullopt;
            }
        } else if (arg == "--tls-cert") {
            options.tlsCert = value;
        } else if (arg == "--tls-key") {
            options.tlsKey = value;
        } else if (arg == "--pages") {
            if (!ParseListen(value, options.pagesHost, options.pagesPort)) {
                std::cerr << "centre-standin: --pages wants HOST:PORT on this machine, such as 127.0.0.1:8081\n";
                return std::nullopt;
            }
        } else if (arg == "--data") {
            options.dataDir = value;
        } else if (arg == "--version") {
            if (value.empty() || value.find_first_of("<>") != std::string::npos) {
                std::cerr << "centre-standin: --version wants a version text such as 1.0.0.1\n";
                return std::nullopt;
            }
            options.settings.version = value;
        } else if (arg == "--resident") {
            const size_t comma = value.rfind(',');
            std::string why = "NAME,NUMBER wanted";
            std::optional<Resident> resident =
                comma == std::string::npos
                    ? std::nullopt
                    : ReadResident(value.substr(0, comma), value.substr(comma + 1), std::time(nullptr), why);
            if (!resident) {
                std::cerr << "centre-standin: --resident \"" << value << "\": " << why << "\n";
                return std::nullopt;
            }
            options.residents.push_back(*resident);
        } else if (arg == "--cipher") {
            options.cipherPath = value;
        } else if (arg == "--progress") {
            std::array<long, 3>& p = options.settings.progress;
            const size_t a = value.find(',');
            const size_t b = a == std::string::npos ? a : value.find(',', a + 1);
            const long kMost = 999999999;
            const std::optional<long> first = ParseNumber(value.substr(0, a), kMost);
            const std::optional<long> second =
                b == std::string::npos ? std::nullopt : ParseNumber(value.substr(a + 1, b - a - 1), kMost);
            const std::optional<long> third =
                b == std::string::npos ? std::nullopt : ParseNumber(value.substr(b + 1), kMost);
            if (!first || !second || !third || *first > *second || *second > *third) {
                std::cerr << "centre-standin: --progress wants three rising numbers of seconds, such as 10,60,180\n";
                return std::nullopt;
            }
            p = {*first, *second, *third};
        } else {
            std::cerr << "centre-standin: unknown option " << arg << " (see --help)\n";
            return std::nullopt;
        }
    }
    if (options.tlsCert.empty() != options.tlsKey.empty()) {
        std::cerr << "centre-standin: --tls-cert and --tls-key go together\n";
        return std::nullopt;
    }
    if (options.pagesPort >= 0 && options.tlsCert.empty()) {
        std::cerr << "centre-standin: --pages is for an HTTPS centre (with --tls-cert and --tls-key)\n";
        return std::nullopt;
    }
    return options;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = platform::ExecutableFolder();
    bool help = false;
    std::optional<Options> options = ParseOptions(argc, argv, folder, help);
    if (!options) {
        return 2;
    }
    if (help) {
        PrintHelp(folder);
        return 0;
    }

    CipherLibrary cipher;
    if (!cipher.Load(options->cipherPath)) {
        std::cerr << "centre-standin: cannot load the cipher library " << options->cipherPath
                  << " (build it, or name it with --cipher)\n";
        return 1;
    }
    const std::optional<std::string> helpSource = ReadFile(folder + "help.html");
    const std::optional<std::string> helpPage = helpSource ? platform::Utf8ToCp949(*helpSource) : std::nullopt;
    if (!helpPage) {
        std::cerr << "centre-standin: cannot read the help page " << folder << "help.html\n";
        return 1;
    }
    std::string error;
    std::unique_ptr<CentreStore> store = CentreStore::Open(options->dataDir, folder + "postal-codes.tsv", error);
    if (!store) {
        std::cerr << "centre-standin: " << error << "\n";
        return 1;
    }
    for (const Resident& resident : options->residents) {
        std::string previous;
        if (!store->AddResident(resident.ssn, resident.name, previous)) {
            std::cerr << "centre-standin: cannot write the resident register in " << options->dataDir << "\n";
            return 1;
        }
        std::cout << "centre-standin: resident " << resident.ssn.substr(0, 6) << "-" << resident.ssn[6] << "****** "
                  << platform::Cp949ToUtf8(resident.name).value_or("?") << " in the register" << std::endl;
    }

    // Every connection is a file descriptor: take what the system allows, so that a crowd of idle
    // connections meets the server's own limit and not the process's.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    StopSignals stopSignals;

    CentreService service(options->settings, *store, cipher);
    CentreServer server(service, *store, *helpPage, std::cout);
    const int port = server.Bind(options->host, options->port);
    if (port < 0) {
        std::cerr << "centre-standin: cannot listen on " << options->host << ":" << options->port << "\n";
        return 1;
    }
    const bool tls = !options->tlsCert.empty();
    if (tls) {
        if (!CentreServer::TlsAvailable()) {
            std::cerr << "centre-standin: this libmicrohttpd was built without TLS, so it cannot serve HTTPS\n";
            return 1;
        }
        const std::optional<std::string> cert = ReadFile(options->tlsCert);
        const std::optional<std::string> key = ReadFile(options->tlsKey);
        if (!cert || !key || !server.UseTls(*cert, *key)) {
            std::cerr << "centre-standin: cannot read the certificate " << options->tlsCert << " or its key "
                      << options->tlsKey << "\n";
            return 1;
        }
    }
    const int pagesPort = options->pagesPort < 0 ? -1 : server.BindPages(options->pagesHost, options->pagesPort);
    if (options->pagesPort >= 0 && pagesPort < 0) {
        std::cerr << "centre-standin: cannot serve the pages on " << options->pagesHost << ":" << options->pagesPort
                  << " (a loopback address only)\n";
        return 1;
    }
    stopSignals.OnStop([&server] { server.Stop(); });

    std::cout << "centre-standin: serving on " << (tls ? "https://" : "http://") << options->host << ":" << port
              << "/ (data " << options->dataDir << ", version " << options->settings.version << ")" << std::endl;
    if (pagesPort >= 0) {
        std::cout << "centre-standin: dispatcher's view on http://" << options->pagesHost << ":" << pagesPort
                  << "/ (this machine only)" << std::endl;
    }
    const bool served = server.Serve();
    if (!served) {
        std::cerr << "centre-standin: could not start serving" << (tls ? " (is the key the certificate's?)" : "")
                  << "\n";
    }
    std::cout << "centre-standin: stopped" << std::endl;
    return served ? 0 : 1;
}
