// A polling tick over many one-page statements on a local share: statements per second and
// the memory the process holds afterwards.
#include "bench/bench_support.h"
#include "mailer/run/statement_mailer.h"
#include "platform/file_system.h"
#include "tests/support/statement_share.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void TickOverStatements(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
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
        run::StatementMailer mailer(run, fs);
        before = bench::residentKiB();
        state.ResumeTiming();

        int done = 0;
        for (QString name = mailer.nextStatement(); !name.isEmpty(); name = mailer.nextStatement()) {
            mailer.mail(name, {});
            ++done;
            if (done == 100) {
                state.PauseTiming();
                before = bench::residentKiB();
                state.ResumeTiming();
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
BENCHMARK(TickOverStatements)->Arg(1000)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

