// Fetching bundles from a source into the cache. Each bundle is downloaded into a private
// directory first and enters the cache in one step under the state lock, so a listing never
// shows a bundle whose files are still arriving.
#include "ExitCodes.hpp"
#include "Operations.hpp"
#include "Text.hpp"

#include <cctype>
#include <csignal>
#include <system_error>

namespace softinv
{

namespace
{

constexpr std::size_t kMaxLocationChars = 300;

// A directory name for the cache that no name or version can turn into a path outside it.
std::string cacheDirName(const std::string& name, const std::string& version)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "u-";
    for (unsigned char c : name + "-" + version)
    {
        if (std::isalnum(c) || c == '.' || c == '_' || c == '+' || c == '-')
        {
            out += static_cast<char>(c);
        }
        else
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        }
    }
    return out;
}

struct Fetched
{
    Bundle bundle;
    std::filesystem::path dir;
    std::string invalidReason;
};

Fetched fetchBundle(Source& source, const std::string& bundleDir,
                    const std::filesystem::path& incoming)
{
    std::error_code error;
    std::filesystem::remove_all(incoming, error);
    std::filesystem::create_directories(incoming, error);
    if (error)
    {
        throw ToolError{kExitDownloadFailed, "cannot create " + incoming.string()};
    }
    source.fetchFile(bundleDir, kManifestName, incoming / kManifestName);
    Fetched result{loadBundle(incoming, kExitDownloadFailed), incoming, ""};
    for (const auto& name : result.bundle.allFileNames())
    {
        if (name != kManifestName)
        {
            source.fetchFile(bundleDir, name, incoming / name);
        }
    }
    result.invalidReason = verifyBundle(result.bundle, incoming);
    return result;
}

void commit(Tool& tool, State& state, const Fetched& fetched, const std::string& location,
            long opId, std::size_t index)
{
    const Bundle& b = fetched.bundle;
    std::string dirName = cacheDirName(b.name, b.version);
    auto target = tool.store.cacheDir() / dirName;
    auto old =
        tool.store.cacheDir() / (".old-" + std::to_string(opId) + "-" + std::to_string(index));
    std::error_code error;
    if (std::filesystem::exists(target, error))
    {
        std::filesystem::rename(target, old, error);
    }
    std::filesystem::rename(fetched.dir, target, error);
    if (error)
    {
        throw ToolError{kExitDownloadFailed, "cannot move " + b.name + " into the cache"};
    }
    std::filesystem::remove_all(old, error);
    CacheEntry* entry = state.findCache(b.name, b.version);
    if (entry == nullptr)
    {
        state.cache.push_back({b.name, b.version, dirName, "", 0, ""});
        entry = &state.cache.back();
    }
    entry->dir = dirName;
    entry->location = toFieldText(location, kMaxLocationChars);
    entry->fetched = std::time(nullptr);
    entry->invalidReason =
        fetched.invalidReason.empty() ? "" : toFieldText(fetched.invalidReason, kMaxSummaryChars);
}

} // namespace

int runFetch(Tool& tool, std::unique_ptr<Source> source)
{
    const std::string location = source->location();
    auto claim = op::claim(tool, OpKind::Fetch, location, "Contacting " + location, nullptr);
    if (!claim.claimed)
    {
        throw ToolError{kExitDownloadFailed, "another operation is in progress"};
    }
    const long opId = claim.opId;
    std::vector<std::string> bundles;
    try
    {
        bundles = source->listBundles();
    }
    catch (const ToolError& e)
    {
        op::finish(tool, opId, kProgressFailed,
                   "Download from " + location + " failed: " + e.message);
        throw;
    }
    if (bundles.empty())
    {
        op::finish(tool, opId, kProgressFailed, "No updates found at " + location);
        throw ToolError{source->emptyCode(), "no updates found at " + location};
    }

    const long stepMs = tool.store.config().fetchMs / static_cast<long>(bundles.size());
    std::size_t fetchedCount = 0;
    std::size_t invalidCount = 0;
    std::string failures;
    int failCode = kExitOk;
    for (std::size_t k = 0; k < bundles.size(); ++k)
    {
        std::string label = bundles[k].empty() ? location : bundles[k];
        op::setText(tool, opId,
                    "Downloading " + std::to_string(k + 1) + " of " +
                        std::to_string(bundles.size()) + ": " + label);
        op::pause(tool, stepMs, [](State&) { return true; });
        auto incoming =
            tool.store.cacheDir() / (".incoming-" + std::to_string(opId) + "-" + std::to_string(k));
        try
        {
            Fetched fetched = fetchBundle(*source, bundles[k], incoming);
            tool.transact(
                [&](State& state)
                {
                    commit(tool, state, fetched, location, opId, k);
                    return true;
                });
            ++fetchedCount;
            invalidCount += fetched.invalidReason.empty() ? 0 : 1;
        }
        catch (const ToolError& e)
        {
            std::error_code error;
            std::filesystem::remove_all(incoming, error);
            failures += (failures.empty() ? "" : "; ") + label + ": " + e.message;
            failCode = kExitDownloadFailed;
            tool.store.log("fetch: " + label + ": " + e.message);
        }
        if (k == 0 && tool.killAfterFirstStep)
        {
            std::raise(SIGKILL);
        }
    }
    std::string counted = std::to_string(fetchedCount) + " of " + std::to_string(bundles.size()) +
                          " updates from " + location;
    if (invalidCount > 0)
    {
        counted += " (" + std::to_string(invalidCount) + " invalid)";
    }
    if (failCode != kExitOk)
    {
        op::finish(tool, opId, kProgressFailed, "Fetched " + counted + "; failed: " + failures);
        throw ToolError{failCode, "fetched " + counted + "; failed: " + failures};
    }
    op::finish(tool, opId, kProgressDone, "Fetched " + counted);
    return kExitOk;
}

} // namespace softinv
