// The load driver of bench/run.sh. Each mode prints one line of "key=value" figures:
//   latency    --port P --user U --op OP --class C --requests K   median request time
//   (latency and floor take --warmup W: untimed runs first, 2 unless given)
//   floor      --command CMD --requests K                         median bare tool run
//   throughput --port P --user U --op OP --class C --clients N --seconds S
// The password comes from $SWU_BENCH_PASSWORD, so it never shows in a process listing.
#include "load_requests.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

const int kDefaultWarmUpRequests = 2;

std::map<std::string, std::string> ParseOptions(int argc, char** argv)
{
    std::map<std::string, std::string> options;
    for (int i = 2; i + 1 < argc; i += 2)
    {
        const std::string key = argv[i];
        if (key.compare(0, 2, "--") != 0)
        {
            throw std::runtime_error("expected an option, got " + key);
        }
        options[key.substr(2)] = argv[i + 1];
    }
    return options;
}

std::string Required(const std::map<std::string, std::string>& options, const std::string& key)
{
    auto found = options.find(key);
    if (found == options.end())
    {
        throw std::runtime_error("missing --" + key);
    }
    return found->second;
}

Target TargetFrom(const std::map<std::string, std::string>& options)
{
    Target target;
    target.port = std::stoi(Required(options, "port"));
    target.user = Required(options, "user");
    const char* password = std::getenv("SWU_BENCH_PASSWORD");
    target.password = password != nullptr ? password : "";
    target.operation = Required(options, "op");
    target.className = Required(options, "class");
    return target;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Action> double TimedNanoseconds(Action action, std::size_t& bytes)
{
    const Clock::time_point start = Clock::now();
    bytes = action();
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

template <typename Action> void PrintMedian(Action action, int warmUps, int requests)
{
    std::size_t bytes = 0;
    for (int i = 0; i < warmUps; ++i)
    {
        action();
    }
    std::vector<double> times;
    for (int i = 0; i < requests; ++i)
    {
        times.push_back(TimedNanoseconds(action, bytes));
    }
    std::printf("median_ns=%.0f bytes=%zu\n", Median(times), bytes);
}

// A kept-alive connection the daemon closes just as the next request goes out fails that one
// request; the client counts it and carries on with a new connection, as WBEM clients retry.
void Throughput(const Target& target, int clients, double seconds)
{
    std::atomic<long> done(0), errors(0);
    std::atomic<bool> counting(false), stop(false);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
    {
        threads.emplace_back(
            [&]
            {
                while (!stop)
                {
                    try
                    {
                        RequestSender sender(target);
                        while (!stop)
                        {
                            sender.send();
                            if (counting)
                            {
                                ++done;
                            }
                        }
                    }
                    catch (const std::exception& e)
                    {
                        if (++errors == 1)
                        {
                            std::fprintf(stderr, "client: %s\n", e.what());
                        }
                    }
                }
            });
    }
    // A short warm-up lets every client open its connection before counting starts.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 4));
    const Clock::time_point start = Clock::now();
    counting = true;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    counting = false;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    if (done == 0)
    {
        throw std::runtime_error("no request succeeded");
    }
    std::printf("requests_per_second=%.2f errors=%ld\n", static_cast<double>(done) / elapsed,
                errors.load());
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        if (argc < 2)
        {
            throw std::runtime_error(
                "usage: bench_load latency|floor|throughput --option value ...");
        }
        const std::string mode = argv[1];
        const auto options = ParseOptions(argc, argv);
        const int warmUps =
            options.count("warmup") != 0 ? std::stoi(options.at("warmup")) : kDefaultWarmUpRequests;
        if (mode == "latency")
        {
            RequestSender sender(TargetFrom(options));
            PrintMedian([&] { return sender.send(); }, warmUps,
                        std::stoi(Required(options, "requests")));
        }
        else if (mode == "floor")
        {
            const std::string command = Required(options, "command");
            PrintMedian([&] { return RunToolOnce(command); }, warmUps,
                        std::stoi(Required(options, "requests")));
        }
        else if (mode == "throughput")
        {
            Throughput(TargetFrom(options), std::stoi(Required(options, "clients")),
                       std::stod(Required(options, "seconds")));
        }
        else
        {
            throw std::runtime_error("unknown mode " + mode);
        }
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "bench_load: %s\n", e.what());
        return 1;
    }
    return 0;
}
