// A console reporter that also keeps each benchmark's real time, so that a bench program can
// print the shares of its stages at the end, and the main of such a program. Header only.
#pragma once

#include "platform/AppError.h"

#include <benchmark/benchmark.h>

#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

class TimesReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            ms[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms; // by benchmark function name
};

// The body of a bench program's main: build() makes its environment, the benchmarks run, and
// summary prints what their times say; cleanUp runs whatever happened. 1 when build or a
// benchmark raised (said on stderr), else 0.
inline int RunTimedBenchmarks(int argc, char** argv, const std::function<void()>& build,
                              const std::function<void(TimesReporter&)>& summary, const std::function<void()>& cleanUp)
{
    benchmark::Initialize(&argc, argv);
    int rc = 0;
    try {
        build();
        TimesReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        summary(reporter);
    } catch (const AppError& e) {
        std::cerr << e.source() << ": " << e.description() << "\n";
        rc = 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        rc = 1;
    }
    cleanUp();
    benchmark::Shutdown();
    return rc;
}
