// What every benchmark program shares: a Qt application (text on pages needs its fonts; the
// offscreen platform needs no display) and a reading of the process's resident memory.
#include "bench/bench_support.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace bench {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

}  // namespace bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
