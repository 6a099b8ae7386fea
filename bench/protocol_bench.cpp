// One version exchange against a real loopback server, and reading every field of a long list reply.
#include "client/protocol/HttpTransport.h"
#include "protocol/Envelope.h"
#include "protocol/TagList.h"
#include "protocol/TagReader.h"
#include "support/ScriptedCentre.h"

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
