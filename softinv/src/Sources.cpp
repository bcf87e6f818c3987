#include "Sources.hpp"

#include "Bundle.hpp"
#include "ExitCodes.hpp"
#include "Text.hpp"

#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <dlfcn.h>
#include <system_error>

namespace softinv
{

namespace
{

constexpr const char kIndexName[] = "INDEX";
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr const char kCurlLibrary[] = "libcurl.so.4";

class DirectorySource : public Source
{
public:
    DirectorySource(DirKind kind, std::filesystem::path root, std::string location)
        : kind_(kind), root_(std::move(root)), location_(std::move(location))
    {
    }

    std::string location() const override { return location_; }

    int unreachableCode() const override
    {
        switch (kind_)
        {
        case DirKind::Usb:
            return kExitUsbFailed;
        case DirKind::Samba:
            return kExitSambaFailed;
        case DirKind::ElementManager:
            return kExitDownloadFailed;
        case DirKind::HardDrive:
            break;
        }
        return kExitNoLocalUpdatesFound;
    }

    int emptyCode() const override
    {
        return kind_ == DirKind::HardDrive || kind_ == DirKind::Usb ? kExitNoLocalUpdatesFound
                                                                    : kExitNoUpdatesFound;
    }

    std::vector<std::string> listBundles() override
    {
        std::error_code error;
        if (!std::filesystem::is_directory(root_, error))
        {
            throw ToolError{unreachableCode(), "not a readable directory: " + location_};
        }
        if (std::filesystem::is_regular_file(root_ / kManifestName, error))
        {
            return {""};
        }
        std::vector<std::string> names;
        std::filesystem::directory_iterator it(root_, error);
        if (error)
        {
            throw ToolError{unreachableCode(), "cannot read " + location_ + ": " + error.message()};
        }
        for (const auto& entry : it)
        {
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.' || !entry.is_directory(error) ||
                !std::filesystem::is_regular_file(entry.path() / kManifestName, error))
            {
                continue;
            }
            names.push_back(name);
            if (names.size() > kMaxBundlesPerSource)
            {
                throw ToolError{kExitDownloadFailed, "too many bundles in " + location_};
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void fetchFile(const std::string& bundleDir, const std::string& file,
                   const std::filesystem::path& target) override
    {
        auto from = bundleDir.empty() ? root_ / file : root_ / bundleDir / file;
        std::error_code error;
        if (!std::filesystem::is_regular_file(from, error) ||
            std::filesystem::file_size(from, error) > kMaxFetchedFileBytes)
        {
            throw ToolError{kExitDownloadFailed, "missing or oversized file " + from.string()};
        }
        std::filesystem::copy_file(from, target, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error)
        {
            throw ToolError{kExitDownloadFailed,
                            "cannot copy " + from.string() + ": " + error.message()};
        }
    }

private:
    DirKind kind_;
    std::filesystem::path root_;
    std::string location_;
};

// libcurl and the dozens of libraries it pulls in are loaded only by the runs that fetch
// over the network: linking it would add its start-up cost to every listing the provider
// asks for.
struct CurlApi
{
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_escape) easyEscape = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_free) free = nullptr;
};

template <typename F> void bind(void* library, const char* name, F& target)
{
    target = reinterpret_cast<F>(::dlsym(library, name));
}

const CurlApi& curlApi(int failureCode)
{
    static CurlApi api;
    static bool loaded = false;
    if (loaded)
    {
        return api;
    }
    void* library = ::dlopen(kCurlLibrary, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
    {
        throw ToolError{failureCode, std::string("cannot load ") + kCurlLibrary};
    }
    bind(library, "curl_global_init", api.globalInit);
    bind(library, "curl_easy_init", api.easyInit);
    bind(library, "curl_easy_setopt", api.easySetopt);
    bind(library, "curl_easy_perform", api.easyPerform);
    bind(library, "curl_easy_cleanup", api.easyCleanup);
    bind(library, "curl_easy_escape", api.easyEscape);
    bind(library, "curl_easy_strerror", api.easyStrerror);
    bind(library, "curl_free", api.free);
    if (!api.globalInit || !api.easyInit || !api.easySetopt || !api.easyPerform ||
        !api.easyCleanup || !api.easyEscape || !api.easyStrerror || !api.free ||
        api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
    {
        throw ToolError{failureCode, std::string("cannot use ") + kCurlLibrary};
    }
    // The library stays loaded until the process ends; curl_global_cleanup is not needed
    // for a program that exits after one command.
    loaded = true;
    return api;
}

struct Sink
{
    std::FILE* file = nullptr;   // either a file ...
    std::string* text = nullptr; // ... or memory
    std::uint64_t limit = 0;
    std::uint64_t received = 0;
};

size_t writeToSink(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    sink->received += bytes;
    if (sink->received > sink->limit)
    {
        return 0; // makes curl stop with a write error
    }
    if (sink->text != nullptr)
    {
        sink->text->append(data, bytes);
        return bytes;
    }
    return std::fwrite(data, 1, bytes, sink->file);
}

class NetworkSource : public Source
{
public:
    NetworkSource(NetKind kind, const Config& config, const std::string& address, std::string user,
                  std::string password, const std::string& directory)
        : kind_(kind), config_(config), curl_(curlApi(unreachableCode())), user_(std::move(user)),
          password_(std::move(password))
    {
        const char* scheme = kind == NetKind::Ftp    ? "ftp"
                             : kind == NetKind::Http ? "http"
                                                     : "https";
        long port = kind == NetKind::Ftp    ? config.ftpPort
                    : kind == NetKind::Http ? config.httpPort
                                            : config.httpsPort;
        base_ = std::string(scheme) + "://" + address + ":" + std::to_string(port) + "/";
        location_ = base_;
        CURL* curl = curl_.easyInit();
        for (const auto& segment : splitExact(directory, '/'))
        {
            if (segment.empty())
            {
                continue;
            }
            if (segment == "." || segment == "..")
            {
                curl_.easyCleanup(curl);
                throw ToolError{unreachableCode(), "directory may not contain . or .."};
            }
            char* escaped =
                curl_.easyEscape(curl, segment.c_str(), static_cast<int>(segment.size()));
            base_ += std::string(escaped) + "/";
            location_ += segment + "/";
            curl_.free(escaped);
        }
        curl_.easyCleanup(curl);
    }

    std::string location() const override { return location_; }

    int unreachableCode() const override
    {
        return kind_ == NetKind::Ftp    ? kExitFtpFailed
               : kind_ == NetKind::Http ? kExitHttpFailed
                                        : kExitHttpsFailed;
    }

    int emptyCode() const override { return kExitNoUpdatesFound; }

    std::vector<std::string> listBundles() override
    {
        std::string index;
        Sink sink;
        sink.text = &index;
        sink.limit = kMaxIndexBytes;
        std::string error = transfer(base_ + kIndexName, sink);
        if (!error.empty())
        {
            throw ToolError{unreachableCode(),
                            "cannot read " + location_ + kIndexName + ": " + error};
        }
        std::vector<std::string> names;
        for (const auto& raw : splitExact(index, '\n'))
        {
            std::string line = trim(raw);
            if (line.empty() || line[0] == '#')
            {
                continue;
            }
            if (!isPlainToken(line, kMaxNameChars * 2) || names.size() >= kMaxBundlesPerSource)
            {
                throw ToolError{kExitDownloadFailed, "index lists a bad bundle directory: " +
                                                         toFieldText(line, kMaxQuotedInputChars)};
            }
            names.push_back(line);
        }
        return names;
    }

    void fetchFile(const std::string& bundleDir, const std::string& file,
                   const std::filesystem::path& target) override
    {
        std::FILE* out = std::fopen(target.c_str(), "wb");
        if (out == nullptr)
        {
            throw ToolError{kExitDownloadFailed, "cannot write " + target.string()};
        }
        Sink sink;
        sink.file = out;
        sink.limit = kMaxFetchedFileBytes;
        std::string url = base_ + (bundleDir.empty() ? "" : bundleDir + "/") + file;
        std::string error = transfer(url, sink);
        if (std::fclose(out) != 0 && error.empty())
        {
            error = "cannot write " + target.string();
        }
        if (!error.empty())
        {
            throw ToolError{kExitDownloadFailed, "cannot fetch " + location_ +
                                                     (bundleDir.empty() ? "" : bundleDir + "/") +
                                                     file + ": " + error};
        }
    }

private:
    // Returns the empty string on success, else curl's reason.
    std::string transfer(const std::string& url, Sink& sink)
    {
        CURL* curl = curl_.easyInit();
        if (curl == nullptr)
        {
            return "cannot start a transfer";
        }
        char errorBuffer[CURL_ERROR_SIZE] = "";
        curl_.easySetopt(curl, CURLOPT_URL, url.c_str());
        curl_.easySetopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
        curl_.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_.easySetopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_.easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, config_.netTimeoutMs);
        // A stalled transfer ends after the same time without progress.
        curl_.easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
        curl_.easySetopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, config_.netTimeoutMs / 1000));
        curl_.easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
        curl_.easySetopt(curl, CURLOPT_WRITEFUNCTION, writeToSink);
        curl_.easySetopt(curl, CURLOPT_WRITEDATA, &sink);
        if (!user_.empty())
        {
            curl_.easySetopt(curl, CURLOPT_USERNAME, user_.c_str());
            curl_.easySetopt(curl, CURLOPT_PASSWORD, password_.c_str());
        }
        if (!config_.caFile.empty())
        {
            curl_.easySetopt(curl, CURLOPT_CAINFO, config_.caFile.c_str());
        }
        CURLcode result = curl_.easyPerform(curl);
        curl_.easyCleanup(curl);
        if (result == CURLE_OK)
        {
            return "";
        }
        return errorBuffer[0] != '\0' ? toFieldText(errorBuffer, kMaxQuotedInputChars * 2)
                                      : curl_.easyStrerror(result);
    }

    NetKind kind_;
    Config config_;
    const CurlApi& curl_;
    std::string user_;
    std::string password_;
    std::string base_;     // URL of the root, escaped, ending in '/'
    std::string location_; // the same, readable
};

} // namespace

std::unique_ptr<Source> makeDirectorySource(DirKind kind, const std::filesystem::path& root,
                                            std::string location)
{
    return std::make_unique<DirectorySource>(kind, root, std::move(location));
}

std::unique_ptr<Source> makeNetworkSource(NetKind kind, const Config& config,
                                          const std::string& address, const std::string& user,
                                          const std::string& password, const std::string& directory)
{
    return std::make_unique<NetworkSource>(kind, config, address, user, password, directory);
}

} // namespace softinv
