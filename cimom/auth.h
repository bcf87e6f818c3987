// Who may talk to the daemon: the users file (`user:role:hash` lines with salted SHA-512 crypt
// hashes), HTTP Basic credentials, and the decision that turns an Authorization header and a
// client address into a Caller or a refusal. cimom-passwd edits the same file.
// Thread-safety: the free functions are reentrant; Authenticator::authenticate may be called
// from every worker thread at once (it reloads a changed users file under its own lock).
#pragma once

#include "service.h"

#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace cimom
{

// Longer passwords are refused before hashing: libcrypt takes at most 511 bytes, and the hash
// costs time in proportion to the length.
inline constexpr std::size_t kMaxPasswordBytes = 511;
inline constexpr std::size_t kMaxUserNameBytes = 64;
inline constexpr std::size_t kMaxUsersFileBytes = 4 * 1024 * 1024;

// A users file that cannot be read or used; the message names the file and line.
class UsersFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct UserEntry
{
    std::string name;
    Role role = Role::ReadOnly;
    std::string hash; // "$6$salt$digest"
};

const char* roleName(Role role); // "readonly" or "admin"
std::optional<Role> parseRole(const std::string& text);
// Letters, digits, '.', '_', '-' and '@', not empty, at most kMaxUserNameBytes.
bool isValidUserName(const std::string& name);

// A salted SHA-512 crypt hash of the password, with a fresh salt from the system's random
// source. Throws std::runtime_error when no hash can be made.
std::string hashPassword(const std::string& password);
// Whether the password matches the hash; any hash that is not SHA-512 crypt never matches.
bool verifyPassword(const std::string& password, const std::string& hash);

// The users file. `name` stands for the file in messages. Blank lines and `#` comments are
// allowed; any other line must be a valid entry, and a user may appear only once.
std::vector<UserEntry> parseUsersText(const std::string& text, const std::string& name);
std::vector<UserEntry> readUsersFile(const std::string& path);
std::string formatUserEntry(const UserEntry& entry);
// The file text with the user's line replaced (or appended) by `entry`, or removed when
// `entry` is empty; every other line is kept as it was. `removed` tells whether a line went.
std::string editUsersText(const std::string& text, const std::string& user,
                          const std::optional<UserEntry>& entry, bool* removed = nullptr);

// Strict base64 (RFC 4648 alphabet with padding); nothing for anything else.
std::optional<std::string> decodeBase64(std::string_view text);
std::string encodeBase64(std::string_view bytes);

struct BasicCredentials
{
    std::string user;
    std::string password;
};
// The credentials of an `Authorization: Basic ...` header value, or nothing when the header
// is not a well-formed Basic header.
std::optional<BasicCredentials> parseBasicAuthorization(const std::string& header);

struct AuthPolicy
{
    bool allowAnonymous = false;
    Role anonymousRole = Role::ReadOnly;
};

class Authenticator
{
public:
    using Warn = std::function<void(const std::string&)>;

    // Reads the users file now and again whenever it changes on disk; a changed file that is
    // broken or gone leaves the previous users in place and is reported through `warn`. Throws
    // UsersFileError when the file is unusable now, or missing while anonymous access is off.
    Authenticator(std::string usersFile, AuthPolicy policy, Warn warn = {});
    // A fixed set of users, for tests and tools.
    Authenticator(std::vector<UserEntry> users, AuthPolicy policy);
    ~Authenticator();

    // The caller for a request with this Authorization header (null when there is none) from
    // this client address, or nothing when the request must be refused with 401. Anonymous
    // access is granted only when allowed and only to clients on a loopback address. Each thread
    // remembers the last header it found good and does not hash it again while the users stay
    // as they were.
    std::optional<Caller> authenticate(const std::string* authorization,
                                       const std::string& address) const;

private:
    struct FileStamp
    {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::timespec modified{};
        bool operator==(const FileStamp& other) const;
    };
    static std::optional<FileStamp> stampOf(const std::string& path);
    std::shared_ptr<const std::vector<UserEntry>> currentUsers() const;

    std::string usersFile_;
    AuthPolicy policy_;
    mutable std::mutex mutex_;
    mutable std::shared_ptr<const std::vector<UserEntry>> users_;
    Warn warn_;
    mutable std::optional<FileStamp> stamp_;
};

} // namespace cimom
