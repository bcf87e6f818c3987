#include "auth.h"

#include "config.h"

#include <cerrno>
#include <crypt.h>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>

namespace cimom
{

namespace
{

constexpr const char* kSha512Prefix = "$6$";
constexpr const char* kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Characters of the crypt alphabet, plus '$' between fields and '=' in "rounds=N".
bool isHashCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '/' || c == '$' || c == '=';
}

bool looksLikeSha512Hash(const std::string& hash)
{
    if (hash.rfind(kSha512Prefix, 0) != 0 || hash.size() > CRYPT_OUTPUT_SIZE)
    {
        return false;
    }
    for (char c : hash)
    {
        if (!isHashCharacter(c))
        {
            return false;
        }
    }
    // "$6$" [rounds=N$] salt "$" digest: the digest follows the last '$' and is not empty.
    const auto lastDollar = hash.rfind('$');
    return lastDollar > 3 && lastDollar + 1 < hash.size();
}

// Compares without an early exit, so the time taken says nothing about where they differ.
bool equalInConstantTime(const std::string& a, const std::string& b)
{
    const std::size_t length = std::max(a.size(), b.size());
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < length; ++i)
    {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned char>(x ^ y);
    }
    return difference == 0;
}

// Hashes `password` with the salt and rounds of `setting`; empty on failure.
std::string cryptWith(const std::string& password, const std::string& setting)
{
    auto data = std::make_unique<crypt_data>(); // zeroed, as crypt_r wants it the first time
    const char* result = crypt_r(password.c_str(), setting.c_str(), data.get());
    if (result == nullptr || result[0] == '*')
    {
        return {};
    }
    return result;
}

// A valid hash of nothing anyone knows, checked against when the user does not exist so that
// unknown and known user names take the same time to refuse.
const std::string& decoyHash()
{
    static const std::string hash = hashPassword("decoy password never matched");
    return hash;
}

// The last Authorization header this worker thread found good, and the users table it was
// checked against. A console sends the same Basic credentials with every request of a keep-alive
// connection, and a worker serves one connection at a time; one SHA-512 crypt check costs about a
// millisecond, and the answer for the same header against the same table cannot differ. Only
// successes are kept, so every wrong guess pays the full check, and a changed users file is a new
// table, which the weak pointer cannot mistake for the old one.
struct VerifiedHeader
{
    std::weak_ptr<const std::vector<UserEntry>> users;
    std::string authorization;
    std::string user;
    Role role = Role::ReadOnly;
};
thread_local VerifiedHeader tLastVerified;

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        throw UsersFileError(path + ": cannot open the users file: " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
    {
        throw UsersFileError(path + ": cannot read the users file");
    }
    std::string content = text.str();
    if (content.size() > kMaxUsersFileBytes)
    {
        throw UsersFileError(path + ": larger than " + std::to_string(kMaxUsersFileBytes) +
                             " bytes, not a users file");
    }
    return content;
}

bool isCommentOrBlank(const std::string& line)
{
    const auto first = line.find_first_not_of(" \t\r");
    return first == std::string::npos || line[first] == '#';
}

// The user name of an entry line, or empty for comment and blank lines.
std::string userOfLine(const std::string& line)
{
    if (isCommentOrBlank(line))
    {
        return {};
    }
    return line.substr(0, line.find(':'));
}

} // namespace

const char* roleName(Role role)
{
    return role == Role::Admin ? "admin" : "readonly";
}

std::optional<Role> parseRole(const std::string& text)
{
    if (text == "admin")
    {
        return Role::Admin;
    }
    if (text == "readonly")
    {
        return Role::ReadOnly;
    }
    return std::nullopt;
}

bool isValidUserName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxUserNameBytes)
    {
        return false;
    }
    for (char c : name)
    {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-' || c == '@';
        if (!ok)
        {
            return false;
        }
    }
    return true;
}

std::string hashPassword(const std::string& password)
{
    if (password.size() > kMaxPasswordBytes || password.find('\0') != std::string::npos)
    {
        throw std::runtime_error("the password is longer than " +
                                 std::to_string(kMaxPasswordBytes) + " bytes or holds a NUL byte");
    }
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    // No random bytes given: libcrypt draws the salt from the system's random source.
    if (crypt_gensalt_rn(kSha512Prefix, 0, nullptr, 0, setting, sizeof setting) == nullptr)
    {
        throw std::runtime_error(std::string("cannot make a password salt: ") +
                                 std::strerror(errno));
    }
    std::string hash = cryptWith(password, setting);
    if (!looksLikeSha512Hash(hash))
    {
        throw std::runtime_error("cannot hash the password with SHA-512 crypt");
    }
    return hash;
}

bool verifyPassword(const std::string& password, const std::string& hash)
{
    if (!looksLikeSha512Hash(hash) || password.size() > kMaxPasswordBytes ||
        password.find('\0') != std::string::npos)
    {
        return false;
    }
    const std::string computed = cryptWith(password, hash);
    return !computed.empty() && equalInConstantTime(computed, hash);
}

std::vector<UserEntry> parseUsersText(const std::string& text, const std::string& name)
{
    std::vector<UserEntry> users;
    std::set<std::string> seen;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line))
    {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        if (isCommentOrBlank(line))
        {
            continue;
        }
        const std::string where = name + ":" + std::to_string(lineNumber) + ": ";
        const auto first = line.find(':');
        const auto second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos)
        {
            throw UsersFileError(where + "expected user:role:hash");
        }
        UserEntry entry;
        entry.name = line.substr(0, first);
        const std::string role = line.substr(first + 1, second - first - 1);
        entry.hash = line.substr(second + 1);
        if (!isValidUserName(entry.name))
        {
            throw UsersFileError(where + "'" + entry.name + "' is not a valid user name");
        }
        const auto parsedRole = parseRole(role);
        if (!parsedRole)
        {
            throw UsersFileError(where + "role '" + role + "' is neither readonly nor admin");
        }
        entry.role = *parsedRole;
        if (!looksLikeSha512Hash(entry.hash))
        {
            throw UsersFileError(where + "the password hash of '" + entry.name +
                                 "' is not a SHA-512 crypt hash ($6$...)");
        }
        if (!seen.insert(entry.name).second)
        {
            throw UsersFileError(where + "user '" + entry.name + "' appears twice");
        }
        users.push_back(std::move(entry));
    }
    return users;
}

std::vector<UserEntry> readUsersFile(const std::string& path)
{
    return parseUsersText(readWholeFile(path), path);
}

std::string formatUserEntry(const UserEntry& entry)
{
    return entry.name + ":" + roleName(entry.role) + ":" + entry.hash;
}

std::string editUsersText(const std::string& text, const std::string& user,
                          const std::optional<UserEntry>& entry, bool* removed)
{
    std::string result;
    bool placed = false;
    bool dropped = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        if (userOfLine(line) == user)
        {
            if (entry && !placed)
            {
                result += formatUserEntry(*entry) + "\n";
                placed = true;
            }
            dropped = true;
            continue;
        }
        result += line + "\n";
    }
    if (entry && !placed)
    {
        result += formatUserEntry(*entry) + "\n";
    }
    if (removed != nullptr)
    {
        *removed = dropped && !entry;
    }
    return result;
}

std::optional<std::string> decodeBase64(std::string_view text)
{
    if (text.size() % 4 != 0)
    {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4)
    {
        const bool lastGroup = i + 4 == text.size();
        unsigned value = 0;
        int padding = 0;
        for (std::size_t j = 0; j < 4; ++j)
        {
            const char c = text[i + j];
            if (c == '=')
            {
                // Padding only at the end of the last group, at most two characters.
                if (!lastGroup || j < 2)
                {
                    return std::nullopt;
                }
                ++padding;
                value <<= 6;
                continue;
            }
            const char* found = c == '\0' ? nullptr : std::strchr(kBase64Alphabet, c);
            if (found == nullptr || padding > 0)
            {
                return std::nullopt;
            }
            value = (value << 6) | static_cast<unsigned>(found - kBase64Alphabet);
        }
        const char bytes[3] = {static_cast<char>((value >> 16) & 0xff),
                               static_cast<char>((value >> 8) & 0xff),
                               static_cast<char>(value & 0xff)};
        // Bits beyond the last whole byte must be zero, so every text has one decoding.
        if ((padding == 1 && (value & 0xff) != 0) || (padding == 2 && (value & 0xffff) != 0))
        {
            return std::nullopt;
        }
        out.append(bytes, static_cast<std::size_t>(3 - padding));
    }
    return out;
}

std::string encodeBase64(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned value = 0;
        for (std::size_t j = 0; j < 3; ++j)
        {
            value = (value << 8) | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        }
        for (std::size_t j = 0; j < 4; ++j)
        {
            out += j <= n ? kBase64Alphabet[(value >> (18 - 6 * j)) & 0x3f] : '=';
        }
    }
    return out;
}

std::optional<BasicCredentials> parseBasicAuthorization(const std::string& header)
{
    constexpr std::size_t kSchemeLength = 5; // "Basic"
    if (header.size() <= kSchemeLength ||
        strncasecmp(header.c_str(), "Basic", kSchemeLength) != 0 || header[kSchemeLength] != ' ')
    {
        return std::nullopt;
    }
    const auto start = header.find_first_not_of(' ', kSchemeLength);
    if (start == std::string::npos)
    {
        return std::nullopt;
    }
    const auto end = header.find_last_not_of(" \t");
    const auto decoded = decodeBase64(std::string_view(header).substr(start, end + 1 - start));
    if (!decoded)
    {
        return std::nullopt;
    }
    const auto colon = decoded->find(':');
    if (colon == std::string::npos)
    {
        return std::nullopt;
    }
    BasicCredentials credentials{decoded->substr(0, colon), decoded->substr(colon + 1)};
    if (!isValidUserName(credentials.user) || credentials.password.size() > kMaxPasswordBytes ||
        credentials.password.find('\0') != std::string::npos)
    {
        return std::nullopt;
    }
    return credentials;
}

bool Authenticator::FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<Authenticator::FileStamp> Authenticator::stampOf(const std::string& path)
{
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) != 0)
    {
        return std::nullopt;
    }
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim};
}

Authenticator::Authenticator(std::string usersFile, AuthPolicy policy, Warn warn)
    : usersFile_(std::move(usersFile)), policy_(policy), warn_(std::move(warn))
{
    stamp_ = stampOf(usersFile_);
    if (!stamp_ && errno == ENOENT && policy_.allowAnonymous)
    {
        // Anonymous-only setups need no users file; one created later is picked up.
        users_ = std::make_shared<const std::vector<UserEntry>>();
    }
    else
    {
        users_ = std::make_shared<const std::vector<UserEntry>>(readUsersFile(usersFile_));
    }
    decoyHash();
}

Authenticator::Authenticator(std::vector<UserEntry> users, AuthPolicy policy)
    : policy_(policy), users_(std::make_shared<const std::vector<UserEntry>>(std::move(users)))
{
    decoyHash();
}

Authenticator::~Authenticator() = default;

std::shared_ptr<const std::vector<UserEntry>> Authenticator::currentUsers() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (usersFile_.empty())
    {
        return users_;
    }
    const auto stamp = stampOf(usersFile_);
    if (stamp == stamp_)
    {
        return users_;
    }
    stamp_ = stamp;
    try
    {
        users_ = std::make_shared<const std::vector<UserEntry>>(readUsersFile(usersFile_));
    }
    catch (const std::exception& error)
    {
        if (warn_)
        {
            warn_(std::string(error.what()) + "; keeping the users read before");
        }
    }
    return users_;
}

std::optional<Caller> Authenticator::authenticate(const std::string* authorization,
                                                  const std::string& address) const
{
    if (authorization == nullptr)
    {
        if (policy_.allowAnonymous && isLoopbackAddress(address))
        {
            return Caller{"", policy_.anonymousRole, address};
        }
        return std::nullopt;
    }
    const auto credentials = parseBasicAuthorization(*authorization);
    if (!credentials)
    {
        return std::nullopt;
    }
    const auto users = currentUsers();
    if (tLastVerified.users.lock() == users &&
        equalInConstantTime(tLastVerified.authorization, *authorization))
    {
        return Caller{tLastVerified.user, tLastVerified.role, address};
    }
    for (const auto& user : *users)
    {
        if (user.name == credentials->user)
        {
            if (!verifyPassword(credentials->password, user.hash))
            {
                return std::nullopt;
            }
            tLastVerified = VerifiedHeader{users, *authorization, user.name, user.role};
            return Caller{user.name, user.role, address};
        }
    }
    verifyPassword(credentials->password, decoyHash());
    return std::nullopt;
}

} // namespace cimom
