// cimom-passwd: adds, changes, removes and lists the users of the daemon's users file. The
// password is read from the terminal without echo (asked twice) or, when standard input is not
// a terminal, from its first line, so scripts can pipe it in.

#include "auth.h"
#include "config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr const char* kUsage =
    "usage: cimom-passwd [-f USERS_FILE | -c CONFIG_FILE] add USER readonly|admin\n"
    "       cimom-passwd [-f USERS_FILE | -c CONFIG_FILE] remove USER\n"
    "       cimom-passwd [-f USERS_FILE | -c CONFIG_FILE] list\n"
    "The users file defaults to the config file's cimomd.users_file, else /etc/cimomd/users.\n"
    "add sets a new user's password or replaces an existing user's role and password.\n";

class Failure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string readLine(std::istream& in)
{
    std::string line;
    if (!std::getline(in, line))
    {
        throw Failure("no password given on standard input");
    }
    if (!line.empty() && line.back() == '\r')
    {
        line.pop_back();
    }
    return line;
}

std::string askHidden(const char* prompt)
{
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal)
    {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal)
    {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!got)
    {
        throw Failure("no password given");
    }
    return line;
}

std::string readPassword()
{
    std::string password;
    if (isatty(STDIN_FILENO))
    {
        password = askHidden("Password: ");
        if (askHidden("Again: ") != password)
        {
            throw Failure("the passwords differ");
        }
    }
    else
    {
        password = readLine(std::cin);
    }
    if (password.empty())
    {
        throw Failure("an empty password is not allowed");
    }
    if (password.size() > cimom::kMaxPasswordBytes)
    {
        throw Failure("the password is longer than " + std::to_string(cimom::kMaxPasswordBytes) +
                      " bytes");
    }
    return password;
}

// The file's text, or empty when it does not exist yet.
std::string readExisting(const std::string& path, mode_t& mode)
{
    mode = 0600;
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        if (errno == ENOENT)
        {
            return {};
        }
        throw Failure(path + ": " + std::strerror(errno));
    }
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) == 0)
    {
        mode = status.st_mode & 07777;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file in one step, so the daemon (which rereads it when it changes) never sees
// half of it.
void replaceFile(const std::string& path, const std::string& text, mode_t mode)
{
    std::string temporary = path + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
    {
        throw Failure("cannot create a file beside " + path + ": " + std::strerror(errno));
    }
    bool ok = fchmod(fd, mode) == 0;
    std::size_t written = 0;
    while (ok && written < text.size())
    {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    const int error = errno;
    ok = ok && fsync(fd) == 0;
    ::close(fd);
    if (!ok || std::rename(name.data(), path.c_str()) != 0)
    {
        const int renameError = ok ? errno : error;
        ::unlink(name.data());
        throw Failure("cannot write " + path + ": " + std::strerror(renameError));
    }
}

// Held while the file is read, edited and replaced, so two runs cannot lose each other's edit.
class EditLock
{
public:
    explicit EditLock(const std::string& path)
    {
        const std::string lockPath = path + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0 || flock(fd_, LOCK_EX) != 0)
        {
            throw Failure("cannot lock " + lockPath + ": " + std::strerror(errno));
        }
    }
    ~EditLock() { ::close(fd_); }
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

private:
    int fd_ = -1;
};

int run(int argc, char** argv)
{
    std::string usersFile;
    std::string configFile;
    int index = 1;
    while (index < argc && argv[index][0] == '-')
    {
        const std::string option = argv[index];
        if ((option == "-f" || option == "-c") && index + 1 < argc)
        {
            (option == "-f" ? usersFile : configFile) = argv[index + 1];
            index += 2;
        }
        else if (option == "-h" || option == "--help")
        {
            std::cout << kUsage;
            return 0;
        }
        else
        {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (usersFile.empty())
    {
        usersFile = cimom::kDefaultUsersFile;
        if (!configFile.empty())
        {
            const auto items = cimom::readConfigFile(configFile);
            const auto it = items.find(cimom::kUsersFileItem);
            if (it != items.end() && !it->second.empty())
            {
                usersFile = it->second;
            }
        }
    }
    const std::vector<std::string> args(argv + index, argv + argc);
    if (args.empty())
    {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& command = args[0];

    if (command == "list" && args.size() == 1)
    {
        mode_t mode = 0;
        for (const auto& user : cimom::parseUsersText(readExisting(usersFile, mode), usersFile))
        {
            std::cout << user.name << " " << cimom::roleName(user.role) << "\n";
        }
        return 0;
    }
    const bool add = command == "add" && args.size() == 3;
    const bool remove = command == "remove" && args.size() == 2;
    if (!add && !remove)
    {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& user = args[1];
    if (!cimom::isValidUserName(user))
    {
        throw Failure("'" + user +
                      "' is not a valid user name (letters, digits, '.', '_', '-', "
                      "'@'; at most " +
                      std::to_string(cimom::kMaxUserNameBytes) + " characters)");
    }
    std::optional<cimom::UserEntry> entry;
    if (add)
    {
        const auto role = cimom::parseRole(args[2]);
        if (!role)
        {
            throw Failure("role '" + args[2] + "' is neither readonly nor admin");
        }
        entry = cimom::UserEntry{user, *role, cimom::hashPassword(readPassword())};
    }

    EditLock lock(usersFile);
    mode_t mode = 0600;
    const std::string text = readExisting(usersFile, mode);
    cimom::parseUsersText(text, usersFile); // refuse to edit a file the daemon cannot read
    bool removed = false;
    const std::string edited = cimom::editUsersText(text, user, entry, &removed);
    if (remove && !removed)
    {
        throw Failure("no user '" + user + "' in " + usersFile);
    }
    replaceFile(usersFile, edited, mode);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        return run(argc, argv);
    }
    catch (const std::exception& error)
    {
        std::cerr << "cimom-passwd: " << error.what() << "\n";
        return 1;
    }
}
