// Parse-and-build figures: one enumInstances call of the master provider per iteration, with
// the scripted runner answering the listing command with N generated records, so the time is
// the provider's own work (splitting, parsing, the shared list, building instances).
#include "master/MasterProvider.h"
#include "testsupport/ScriptedRunner.h"
#include "testsupport/TestEnvironment.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_ResultHandlers.hpp"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kNamespace[] = "root/cimv2";
const char kDate[] = "Mon Jan  5 03:04:05 2004";

class SilentLogger : public Logger
{
public:
    SilentLogger() : Logger(E_ERROR_LEVEL) {}

protected:
    void doLogMessage(const String&, const ELogLevel) const override {}
};

// One kind of listing: the command the provider runs for it and how record i looks.
struct Listing
{
    const char* className;
    const char* commandLine;
    std::function<std::string(size_t)> record;
};

std::string Name(size_t i)
{
    return "pkg" + std::to_string(i);
}

const Listing kListings[] = {
    {"ZVQ_HistorySoftwareUpdate", "/vk/bin/softinv --hist 2>&1",
     [](size_t i)
     { return Name(i) + "\t1.0\tFixes " + Name(i) + "\tSecurity\t" + kDate + "\tRemovable\n"; }},
    {"ZVQ_SoftwareIdentity", "/vk/bin/softinv  2>&1",
     [](size_t i) { return Name(i) + "\t1.0\tOther\t" + kDate + "\n"; }},
    {"ZVQ_ScheduledSoftwareUpdate", "/vk/bin/softinv --sched  2>&1",
     [](size_t i)
     {
         return Name(i) + "\t1.0\tShort\t/opt/" + Name(i) + "\t" + kDate +
                "\tTue Feb 10 22:00:00 2004\treboot\t2048\tPending\n";
     }},
    {"ZVQ_ActiveSoftwareUpdate", "/vk/bin/softinv --apply  2>&1",
     [](size_t i)
     {
         return Name(i) + "\t1.0\tShort\t/opt/" + Name(i) +
                "\tTue Feb 10 22:00:00 2004\treboot\t10 MB\tApplying\n";
     }},
    {"ZVQ_AvailableSoftwareUpdate", "/vk/bin/softinv --cache  2>&1",
     [](size_t i)
     { return Name(i) + "\t1.0\tAbout " + Name(i) + "\t2 MB\tnoreboot\tAvailable\n"; }},
};

ScriptedRunner& Runner()
{
    static ScriptedRunner* runner = new ScriptedRunner;
    return *runner;
}

ProviderEnvironmentIFCRef& Environment()
{
    static ProviderEnvironmentIFCRef env(new TestEnvironment(LoggerRef(new SilentLogger)));
    return env;
}

SoftwareUpdateProvider& Provider()
{
    static SoftwareUpdateProvider* provider = []
    {
        SetProcessRunner(&Runner());
        auto* created = new SoftwareUpdateProvider;
        created->initialize(Environment());
        return created;
    }();
    return *provider;
}

size_t EnumerateOnce(const Listing& listing)
{
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder builder(instances);
    CIMClass cimClass(listing.className);
    Provider().enumInstances(Environment(), kNamespace, listing.className, builder,
                             E_NOT_LOCAL_ONLY, E_DEEP, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN,
                             0, cimClass, cimClass);
    return instances.size();
}

void BM_ParseAndBuild(benchmark::State& state, const Listing& listing)
{
    const size_t records = static_cast<size_t>(state.range(0));
    std::string output;
    for (size_t i = 0; i < records; ++i)
    {
        output += listing.record(i);
    }
    Provider();
    Runner().reset();
    Runner().script(listing.commandLine, ScriptedRunner::Exit(0, output));

    // A listing the provider did not take in full would make every figure meaningless.
    const size_t built = EnumerateOnce(listing);
    if (built < records)
    {
        state.SkipWithError(
            ("built " + std::to_string(built) + " of " + std::to_string(records) + " records")
                .c_str());
        return;
    }
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(EnumerateOnce(listing));
        state.PauseTiming();
        Runner().reset(); // the call record would otherwise grow with every iteration
        Runner().script(listing.commandLine, ScriptedRunner::Exit(0, output));
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(records);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records));
}

} // namespace

int main(int argc, char** argv)
{
    const long kRecordCounts[] = {100, 10000, 65535};
    for (const Listing& listing : kListings)
    {
        for (long count : kRecordCounts)
        {
            benchmark::RegisterBenchmark(
                (std::string("ParseAndBuild/") + listing.className).c_str(), BM_ParseAndBuild,
                listing)
                ->Arg(count)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
