// An update bundle: a directory with a "manifest" of key = value lines, a long description,
// optional warnings and the payload files. Bundles arrive from outside (a server, a USB
// stick), so everything in a manifest is checked before the tool prints or stores it.
// Thread-safety: plain values and functions on them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace softinv
{

constexpr std::size_t kMaxNameChars = 64; // bundle, package and component names, versions
constexpr std::size_t kMaxSummaryChars = 200;
constexpr std::size_t kMaxCategoryChars = 40;
constexpr std::size_t kMaxManifestBytes = 64 * 1024;
constexpr std::size_t kMaxTextFileBytes = 256 * 1024; // description and warnings
constexpr std::size_t kMaxListEntries = 200;          // packages, components, files per bundle

constexpr const char kManifestName[] = "manifest";

struct BundlePackage
{
    std::string name;
    std::string version;
};

struct BundleComponent
{
    std::string name;
    BundlePackage package;
    std::string description;
};

struct BundleFile
{
    std::string name;
    std::optional<std::uint64_t> bytes; // announced size, checked when present
};

struct Bundle
{
    std::string name;
    std::string version;
    std::string summary;
    std::string category = "Other";
    std::string classification = "Application Software"; // for packages new to the system
    bool reboot = false;
    bool removable = true;
    std::string descriptionFile;
    std::string warningsFile; // empty: no warnings
    std::vector<BundlePackage> packages;
    std::vector<BundleComponent> components;
    std::vector<BundleFile> files; // payload
    std::vector<BundlePackage> supersedes;
    std::string failPackage; // installing this package fails, for bundles that are broken
    std::string failReason;

    // The manifest, the description, the warnings and the payload, in that order.
    std::vector<std::string> allFileNames() const;
    const BundleComponent* findComponent(const std::string& componentName) const;
};

// Throws ToolError (code given by the caller's context: kExitDownloadFailed) when the
// manifest is malformed; the message names the line.
Bundle parseManifest(const std::string& text, int errorCode);

// Reads <dir>/manifest. Throws ToolError with errorCode.
Bundle loadBundle(const std::filesystem::path& dir, int errorCode);

// Empty when every payload file is present with its announced size, else the reason.
std::string verifyBundle(const Bundle& bundle, const std::filesystem::path& dir);

std::uint64_t bundleBytes(const Bundle& bundle, const std::filesystem::path& dir);

// Reads a text file of at most maxBytes; nothing when it is missing or too large.
std::optional<std::string> readTextFile(const std::filesystem::path& file, std::size_t maxBytes);

} // namespace softinv
