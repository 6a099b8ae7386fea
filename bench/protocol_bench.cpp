// One version exchange against a real loopback server, and reading every field of a long list reply. The
// version exchange with the centre stand-in over plain HTTP and over HTTPS, with the transport kept from one
// exchange to the next (as the client keeps it) and with a fresh one, so a fresh connection, for each.
#include "client/protocol/Envelope.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagList.h"
#include "client/protocol/TagReader.h"
#include "support/ScriptedCentre.h"
#include "support/StandinProcess.h"
#include "support/TempDir.h"
#include "support/TestAuthority.h"

#include <benchmark/benchmark.h>

namespace {

void VersionExchange(benchmark::State& state) {
    ScriptedCentre centre;
    ScriptedCentre::Reply reply;
    reply.body = "<VESK><WORK>103</WORK><VERSION>1.0.0.0</VERSION></VESK>";
    centre.SetStandingReply(reply);
    HttpTransport transport;
    transport.SetServer(centre.Host());
    TagReader reader;
    for (auto _ : state) {
        if (!transport.Send(VersionRequest())) {
            state.SkipWithError("send failed");
            break;
        }
        std::string text = transport.Receive();
        int position = 0;
        benchmark::DoNotOptimize(reader.CheckWork(text, 3));
        benchmark::DoNotOptimize(reader.GetTagValue(text, "VERSION", position));
    }
}
BENCHMARK(VersionExchange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The centre stand-in as its own process, over HTTPS when `tls`; the transport trusts its authority.
struct StandinCentre {
    explicit StandinCentre(bool tls) : process(Start(tls)) {}
    std::unique_ptr<StandinProcess> Start(bool tls) {
        std::vector<std::string> more;
        if (tls) {
            TestAuthority authority("Halvren Bench CA");
            const TlsIdentity identity = authority.Issue("127.0.0.1");
            caFile = dir.Write("ca.pem", authority.CertificatePem()).string();
            more = {"--tls-cert", dir.Write("centre.pem", identity.certificatePem).string(), "--tls-key",
                    dir.Write("centre.key", identity.keyPem).string()};
        }
        return std::make_unique<StandinProcess>(HALVREN_CENTRE_STANDIN, dir.Str() + "/centre.log",
                                                CentreArguments(dir.Str() + "/data", more));
    }
    void Prepare(HttpTransport& transport) const {
        transport.SetServer((caFile.empty() ? "" : "https://") + process->Host());
        transport.SetTrustedAuthorities(caFile);
    }
    TempDir dir;
    std::string caFile;
    std::unique_ptr<StandinProcess> process;
};

bool VersionOnce(HttpTransport& transport, const TagReader& reader) {
    return transport.Send(VersionRequest()) && reader.CheckWork(transport.Receive(), 3) == 1;
}

// state.range(0): 1 over HTTPS; state.range(1): 1 with a fresh transport for every exchange.
void StandinVersionExchange(benchmark::State& state) {
    const StandinCentre centre(state.range(0) == 1);
    TagReader reader;
    auto transport = std::make_unique<HttpTransport>();
    centre.Prepare(*transport);
    for (auto _ : state) {
        if (state.range(1) == 1) {
            transport = std::make_unique<HttpTransport>();
            centre.Prepare(*transport);
        }
        if (!VersionOnce(*transport, reader)) {
            state.SkipWithError("the exchange failed");
            break;
        }
    }
}
BENCHMARK(StandinVersionExchange)
    ->ArgNames({"https", "fresh"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void ReadHistoryList(benchmark::State& state) {
    const std::vector<std::string> fields = {"NO",    "BOARDLEVEL", "NAME", "DSRADDR",
                                             "TITLE", "CONTENTS",   "DATE", "PROCSTATUS"};
    std::string text = "<VESK><WORK>115</WORK><CALLINFO>";
    for (int i = 0; i < 500; ++i) {
        for (const auto& f : fields) {
            text += TagField(f, f + std::to_string(i) + " \xC8\xAB\xB1\xE6\xB5\xBF");
        }
    }
    text += "</CALLINFO></VESK>";
    TagReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.CheckWork(text, 15));
        auto list = ReadTagList(reader, text, "CALLINFO", fields);
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(ReadHistoryList)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
