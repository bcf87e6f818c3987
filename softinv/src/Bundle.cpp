#include "Bundle.hpp"

#include "ExitCodes.hpp"
#include "Text.hpp"

#include <fstream>
#include <set>
#include <sstream>

namespace softinv
{

namespace
{

bool isBundleName(const std::string& text)
{
    return isFieldText(text, kMaxNameChars) && text[0] != '-';
}

// The text after the first n blank-separated words, blanks around it removed.
std::string restAfterWords(const std::string& text, int n)
{
    std::size_t pos = 0;
    for (int word = 0; word < n; ++word)
    {
        pos = text.find_first_not_of(" \t", pos);
        pos = pos == std::string::npos ? pos : text.find_first_of(" \t", pos);
        if (pos == std::string::npos)
        {
            return "";
        }
    }
    return trim(text.substr(pos));
}

bool parseYesNo(const std::string& value, bool& out)
{
    if (value == "yes")
    {
        out = true;
        return true;
    }
    if (value == "no")
    {
        out = false;
        return true;
    }
    return false;
}

} // namespace

std::vector<std::string> Bundle::allFileNames() const
{
    std::vector<std::string> names{kManifestName, descriptionFile};
    if (!warningsFile.empty())
    {
        names.push_back(warningsFile);
    }
    for (const auto& f : files)
    {
        names.push_back(f.name);
    }
    return names;
}

const BundleComponent* Bundle::findComponent(const std::string& componentName) const
{
    for (const auto& c : components)
    {
        if (c.name == componentName)
        {
            return &c;
        }
    }
    return nullptr;
}

Bundle parseManifest(const std::string& text, int errorCode)
{
    if (text.size() > kMaxManifestBytes)
    {
        throw ToolError{errorCode, "manifest is larger than the limit"};
    }
    Bundle bundle;
    std::set<std::string> fileNames{kManifestName};
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line))
    {
        ++lineNumber;
        std::string content = trim(line);
        if (content.empty() || content[0] == '#')
        {
            continue;
        }
        auto bad = [&](const std::string& why)
        {
            return ToolError{errorCode, "manifest line " + std::to_string(lineNumber) + ": " + why +
                                            ": " + toFieldText(content, kMaxQuotedInputChars)};
        };
        auto equals = content.find('=');
        if (equals == std::string::npos)
        {
            throw bad("expected key = value");
        }
        std::string key = trim(content.substr(0, equals));
        std::string value = trim(content.substr(equals + 1));
        auto words = splitWords(value);
        auto plainPair = [&](BundlePackage& out)
        {
            if (words.size() != 2 || !isPlainToken(words[0], kMaxNameChars) ||
                !isPlainToken(words[1], kMaxNameChars))
            {
                throw bad("expected <package> <version>");
            }
            out = {words[0], words[1]};
        };
        auto fileName = [&](const std::string& name)
        {
            if (!isPlainToken(name, kMaxNameChars * 2) || !fileNames.insert(name).second)
            {
                throw bad("file name is not a plain, unique name");
            }
            return name;
        };
        auto checkCount = [&](std::size_t count)
        {
            if (count >= kMaxListEntries)
            {
                throw bad("too many entries");
            }
        };
        if (key == "name" || key == "version")
        {
            if (!isBundleName(value))
            {
                throw bad("not a printable one-line text");
            }
            (key == "name" ? bundle.name : bundle.version) = value;
        }
        else if (key == "summary")
        {
            if (!isFieldText(value, kMaxSummaryChars))
            {
                throw bad("not a printable one-line text");
            }
            bundle.summary = value;
        }
        else if (key == "category" || key == "classification")
        {
            if (!isFieldText(value, kMaxCategoryChars))
            {
                throw bad("not a printable one-line text");
            }
            (key == "category" ? bundle.category : bundle.classification) = value;
        }
        else if (key == "reboot" || key == "removable")
        {
            if (!parseYesNo(value, key == "reboot" ? bundle.reboot : bundle.removable))
            {
                throw bad("expected yes or no");
            }
        }
        else if (key == "description" || key == "warnings")
        {
            (key == "description" ? bundle.descriptionFile : bundle.warningsFile) = fileName(value);
        }
        else if (key == "package" || key == "supersedes")
        {
            auto& list = key == "package" ? bundle.packages : bundle.supersedes;
            checkCount(list.size());
            BundlePackage p;
            plainPair(p);
            list.push_back(p);
        }
        else if (key == "component")
        {
            checkCount(bundle.components.size());
            if (words.size() < 4 || !isPlainToken(words[0], kMaxNameChars) ||
                !isPlainToken(words[1], kMaxNameChars) || !isPlainToken(words[2], kMaxNameChars))
            {
                throw bad("expected <component> <package> <version> <description>");
            }
            std::string description = restAfterWords(value, 3);
            if (!isFieldText(description, kMaxSummaryChars) || bundle.findComponent(words[0]))
            {
                throw bad("component description not printable, or component repeated");
            }
            bundle.components.push_back({words[0], {words[1], words[2]}, description});
        }
        else if (key == "file")
        {
            checkCount(bundle.files.size());
            if (words.empty() || words.size() > 2)
            {
                throw bad("expected <file name> [<bytes>]");
            }
            BundleFile f{fileName(words[0]), std::nullopt};
            if (words.size() == 2)
            {
                auto bytes = parseInteger(words[1]);
                if (!bytes || *bytes < 0)
                {
                    throw bad("file size is not a number");
                }
                f.bytes = static_cast<std::uint64_t>(*bytes);
            }
            bundle.files.push_back(f);
        }
        else if (key == "fail_package")
        {
            if (!isPlainToken(value, kMaxNameChars))
            {
                throw bad("not a package name");
            }
            bundle.failPackage = value;
        }
        else if (key == "fail_reason")
        {
            if (!isFieldText(value, kMaxSummaryChars))
            {
                throw bad("not a printable one-line text");
            }
            bundle.failReason = value;
        }
        else
        {
            throw bad("unknown key");
        }
    }
    if (bundle.name.empty() || bundle.version.empty() || bundle.summary.empty() ||
        bundle.descriptionFile.empty())
    {
        throw ToolError{errorCode, "manifest lacks one of name, version, summary, description"};
    }
    return bundle;
}

std::optional<std::string> readTextFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (error || size > maxBytes || !std::filesystem::is_regular_file(file, error))
    {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Bundle loadBundle(const std::filesystem::path& dir, int errorCode)
{
    auto text = readTextFile(dir / kManifestName, kMaxManifestBytes);
    if (!text)
    {
        throw ToolError{errorCode, "no readable manifest in " + dir.string()};
    }
    return parseManifest(*text, errorCode);
}

std::string verifyBundle(const Bundle& bundle, const std::filesystem::path& dir)
{
    std::error_code error;
    for (const auto& name : bundle.allFileNames())
    {
        if (!std::filesystem::is_regular_file(dir / name, error))
        {
            return "file " + name + " is missing";
        }
    }
    for (const auto& f : bundle.files)
    {
        auto size = std::filesystem::file_size(dir / f.name, error);
        if (f.bytes && (error || size != *f.bytes))
        {
            return "file " + f.name + " has " + std::to_string(size) + " bytes, expected " +
                   std::to_string(*f.bytes);
        }
    }
    return "";
}

std::uint64_t bundleBytes(const Bundle& bundle, const std::filesystem::path& dir)
{
    std::uint64_t total = 0;
    for (const auto& f : bundle.files)
    {
        std::error_code error;
        auto size = std::filesystem::file_size(dir / f.name, error);
        total += error ? 0 : size;
    }
    return total;
}

} // namespace softinv
