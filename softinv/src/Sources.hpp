// Where bundles are fetched from: a directory (hard drive, USB medium, Samba share, element
// manager) or a server reached with libcurl (HTTP, HTTPS, FTP). A network source names its
// bundle directories in a file INDEX at its root; a directory source is scanned instead.
// Thread-safety: one source per fetch, used by one thread.
#pragma once

#include "Config.hpp"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace softinv
{

constexpr std::uint64_t kMaxFetchedFileBytes = 512ull * 1024 * 1024;
constexpr std::size_t kMaxIndexBytes = 64 * 1024;
constexpr std::size_t kMaxBundlesPerSource = 1000;

class Source
{
public:
    virtual ~Source() = default;
    // Printable, without credentials; shown as the Location of the fetched updates.
    virtual std::string location() const = 0;
    // The bundle directories the source offers, relative to its root ("" for a source
    // that is itself one bundle). Throws ToolError with unreachableCode().
    virtual std::vector<std::string> listBundles() = 0;
    // Copies one file of a bundle; throws ToolError with kExitDownloadFailed.
    virtual void fetchFile(const std::string& bundleDir, const std::string& file,
                           const std::filesystem::path& target) = 0;
    virtual int unreachableCode() const = 0;
    // Exit code when the source holds no bundle.
    virtual int emptyCode() const = 0;
};

enum class DirKind
{
    HardDrive,
    Usb,
    Samba,
    ElementManager
};

std::unique_ptr<Source> makeDirectorySource(DirKind kind, const std::filesystem::path& root,
                                            std::string location);

enum class NetKind
{
    Ftp,
    Http,
    Https
};

// address must already be a dotted IPv4 address.
std::unique_ptr<Source> makeNetworkSource(NetKind kind, const Config& config,
                                          const std::string& address, const std::string& user,
                                          const std::string& password,
                                          const std::string& directory);

} // namespace softinv
