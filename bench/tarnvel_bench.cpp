// Times one head cut through the engine, the way the window runs it but
// with a sink that only counts.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tarnvel/cut_validation.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/text.h"

namespace {

class CountingSink final : public tarnvel::ProgressSink {
public:
    void setUpperBound(std::int32_t) override { ++calls; }
    void setPosition(std::int32_t) override { ++calls; }
    void letPendingEventsRun() override { ++calls; }
    std::uint64_t calls = 0;
};

std::filesystem::path utf8Path(const char* text) {
    return std::filesystem::path(reinterpret_cast<const char8_t*>(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarnvel-bench SOURCE OUTPUT BLOCKS\n");
        return 2;
    }
    const long blocks = std::strtol(argv[3], nullptr, 10);
    if (blocks < 2 || blocks > 2147483) {
        std::fprintf(stderr, "BLOCKS must lie between 2 and 2147483\n");
        return 2;
    }
    const tarnvel::CutRequest request{tarnvel::pathText(utf8Path(argv[1])), static_cast<double>(blocks),
                                      static_cast<std::int32_t>(blocks), u"bin"};
    CountingSink sink;

    const auto start = std::chrono::steady_clock::now();
    const tarnvel::CutOutcome outcome = tarnvel::runHeadCut(request, sink, tarnvel::pathText(utf8Path(argv[2])));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    if (outcome.end != tarnvel::CutEnd::Done) {
        std::fprintf(stderr, "cut failed\n");
        return 1;
    }
    const double megabytes = static_cast<double>(blocks) * tarnvel::kBlockBytes / 1e6;
    std::printf("blocks %ld  bytes %.0f  seconds %.3f  MB/s %.1f  sink calls %llu\n", blocks, megabytes * 1e6,
                elapsed.count(), megabytes / elapsed.count(), static_cast<unsigned long long>(sink.calls));
    return 0;
}
