// The centre stand-in's answering on any request body, with a real database and the real cipher library; then
// the dispatcher's pages over whatever it stored.
#include "client/env/CipherLibrary.h"
#include "fuzz/FuzzCheck.h"
#include "protocol/TagReader.h"
#include "standins/centre/CentreService.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/DispatcherView.h"
#include "support/TempDir.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace {

// One centre for the whole run, its database in a temporary folder.
struct Centre {
    Centre() {
        std::string error;
        store = CentreStore::Open(dir.Path() / "data", HALVREN_POSTAL_TABLE, error);
        if (!cipher.Load(HALVREN_KAVREL_PATH) || !store) {
            std::fprintf(stderr, "centre_request_fuzz: cannot set up the centre: %s\n", error.c_str());
            std::abort();
        }
        service = std::make_unique<CentreService>(CentreSettings{}, *store, cipher);
    }

    TempDir dir;
    CipherLibrary cipher;
    std::unique_ptr<CentreStore> store;
    std::unique_ptr<CentreService> service;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Centre centre;
    const CentreReply reply = centre.service->Answer(std::string(reinterpret_cast<const char*>(data), size));
    // Every answer is a reply the client can judge: answered, refused with a text, or failed with a title.
    const TagReader reader;
    int position = 0;
    const std::string work = reader.GetTagValue(reply.text, "WORK", position);
    FUZZ_CHECK(work == "999" || work == "500" || (work.size() == 3 && work[0] == '1'));
    position = 0;
    FUZZ_CHECK(work != "999" || !reader.GetTagValue(reply.text, "COMENT", position).empty());

    const auto reports = centre.store->LatestReports(3);
    FUZZ_CHECK(reports.has_value());
    const ProgressOf progress = [&](std::time_t at) { return centre.service->ProgressOf(at, at); };
    RenderDispatcherView(*reports, 0, 0, progress, true);
    if (!reports->empty()) {
        RenderReportPage(reports->front(), 0, progress);
    }
    return 0;
}
