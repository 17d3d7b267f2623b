// Polling ticks over many one-page statements on a local share until all are mailed: statements
// per second and the memory the process holds afterwards. The second argument is the settle
// time in milliseconds (0 takes files at once and skips the check for open writers).
#include "bench/bench_support.h"
#include "mailer/run/statement_mailer.h"
#include "mailer/run/statement_paths.h"
#include "platform/file_system.h"
#include "tests/support/statement_share.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

void TickOverStatements(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const qint64 settleMs = state.range(1);
    long before = 0;
    long after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testing_support::StatementShare share;
        std::string lines;
        for (int i = 0; i < 29; ++i)
            lines += "D\t06/01/26\t" + std::to_string(1000 + i) + "\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n";
        for (int i = 0; i < count; ++i)
            share.drop(QString::number(100000 + i) + ".txt", testing_support::statementText(std::to_string(100000 + i), lines));
        platform::LocalFileSystem fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")}));
        input::modBrevix run;
        run.ServerName = "host";
        run.StoreNumber = "7";
        handoff::StoreSession session(fs, run::storeLockPath("host", "7"), "tick_bench");
        session.take();
        run::StatementObserver quiet;
        run::StatementMailer mailer(run, fs, session, quiet, settleMs);
        before = bench::residentKiB();
        state.ResumeTiming();

        int done = 0;
        for (;;) {
            const std::vector<platform::FolderEntry> ready = mailer.look();
            if (ready.empty() && !mailer.settling())
                break;
            if (ready.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            // In batches of 100, as brevix --once hands them off.
            for (size_t first = 0; first < ready.size(); first += 100) {
                const std::vector<platform::FolderEntry> batch(ready.begin() + first,
                                                               ready.begin() + std::min(ready.size(), first + 100));
                done += static_cast<int>(mailer.mail(batch, {}, false).size());
                if (done == 100) {
                    state.PauseTiming();
                    before = bench::residentKiB();
                    state.ResumeTiming();
                }
            }
        }
        state.PauseTiming();
        after = bench::residentKiB();
        if (done != count)
            state.SkipWithError("not every statement was processed");
        state.ResumeTiming();
    }
    state.counters["statements/s"] = benchmark::Counter(static_cast<double>(count) * state.iterations(),
                                                        benchmark::Counter::kIsRate);
    state.counters["RSS growth after 100 (KiB)"] = static_cast<double>(after - before);
    state.counters["RSS (KiB)"] = static_cast<double>(after);
}
BENCHMARK(TickOverStatements)->Args({1000, 0})->Args({1000, 2000})->Args({50, 0})->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

