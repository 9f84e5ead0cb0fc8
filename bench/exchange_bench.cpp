// One value exchange (seven bytes out, six back) against the emulated display
// on a pty, with the display's answer leaving all at once and at 9600 baud.
// The paced figure is what every send of a running function holds the
// window's event loop for.
#include "serial/drv232.h"
#include "sim/display_sim.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kPort = 3;

fs::path portDir;

void ExchangeValue(benchmark::State &state)
{
    sim::Options options;
    options.portDir = portDir.string();
    options.portNumber = kPort;
    options.initialValue = "1234";
    options.pacing = state.range(0) != 0;
    sim::DisplaySim display(options);
    if (!display.start()) {
        state.SkipWithError(display.error().c_str());
        return;
    }
    Drv232::NewReplyBuffer();
    if (!Drv232::OpenPort(kPort)) {
        state.SkipWithError("the port did not open");
        return;
    }
    // The emulator watches the freshly opened port for its first second;
    // measure the steady state after that.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));

    Drv232::DisplayText = "1234";
    std::int64_t failed = 0;
    for (auto _ : state)
        if (!Drv232::ExchangeValue())
            ++failed;
    Drv232::ClosePort();
    state.counters["failed"] = static_cast<double>(failed);
    if (failed)
        state.SkipWithError("some exchanges failed");
}

BENCHMARK(ExchangeValue)->ArgName("paced")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    std::string pattern = (fs::temp_directory_path() / "qmx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "mkdtemp: %s\n", std::strerror(errno));
        return 1;
    }
    portDir = pattern;
    setenv("QMX_PORT_DIR", portDir.c_str(), 1);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::error_code ignored;
    fs::remove_all(portDir, ignored);
    return 0;
}
