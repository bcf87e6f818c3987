// Where swu gets its server, user and passwords from. Passwords never come from the command
// line, where every user of the machine can read them in the process list.
#include "commands.h"
#include "secrets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace swu
{
namespace
{

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string readSecretFile(const std::string& path, const char* what)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
    {
        throw UsageError(std::string("cannot open the ") + what + " " + path + ": " +
                         std::strerror(errno));
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ::close(fd);
        throw UsageError(std::string("the ") + what + " " + path + " is not a regular file");
    }
    if ((st.st_mode & 077) != 0)
    {
        ::close(fd);
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        throw UsageError(std::string("the ") + what + " " + path +
                         " can be read by other users (mode " + mode + "); chmod 600 " + path);
    }
    std::string content;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && content.size() < 65536)
    {
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    std::string line = content.substr(0, content.find('\n'));
    if (!line.empty() && line.back() == '\r')
    {
        line.pop_back();
    }
    return line;
}

std::string promptSecret(const std::string& prompt)
{
    int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0 || !::isatty(STDIN_FILENO))
    {
        if (tty >= 0)
        {
            ::close(tty);
        }
        return std::string();
    }
    termios saved{};
    bool restore = ::tcgetattr(tty, &saved) == 0;
    if (restore)
    {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    if (::write(tty, prompt.data(), prompt.size()) < 0)
    {
        // Nothing to do: the read below still works without the prompt.
    }
    std::string answer;
    char c;
    while (::read(tty, &c, 1) == 1 && c != '\n' && answer.size() < 4096)
    {
        answer += c;
    }
    if (restore)
    {
        ::tcsetattr(tty, TCSAFLUSH, &saved);
    }
    ::close(tty);
    return answer;
}

Endpoint endpointFor(const Options& options)
{
    Endpoint e;
    std::string url = !options.url.empty() ? options.url : env("SWU_URL");
    if (url.empty())
    {
        url = "http://127.0.0.1:5988";
    }
    std::size_t scheme = url.find("://");
    std::string kind = scheme == std::string::npos ? "" : url.substr(0, scheme);
    if (kind != "http" && kind != "https")
    {
        throw UsageError("--url must start with http:// or https://: " + url);
    }
    std::string rest = url.substr(scheme + 3);
    std::size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? "" : rest.substr(slash + 1);
    std::size_t at = authority.rfind('@');
    std::string urlUser;
    if (at != std::string::npos)
    {
        urlUser = authority.substr(0, at);
        authority = authority.substr(at + 1);
        if (urlUser.find(':') != std::string::npos)
        {
            throw UsageError("put no password in --url: use SWU_PASSWORD, a credentials file "
                             "(--credentials) or the prompt");
        }
    }
    if (authority.empty())
    {
        throw UsageError("--url has no host: " + url);
    }
    bool hasPort = authority.back() != ']' && authority.find(':') != std::string::npos;
    e.base = kind + "://" + authority + (hasPort ? "" : kind == "https" ? ":5989" : ":5988");
    while (!path.empty() && path.back() == '/')
    {
        path.pop_back();
    }
    e.ns = !options.ns.empty() ? options.ns : !path.empty() ? path : "root/cimv2";
    e.insecure = options.insecure;
    e.caFile = options.caFile;
    e.timeoutSeconds = options.timeoutSeconds;

    std::string fileUser;
    std::string filePassword;
    std::string credentials =
        !options.credentialsFile.empty() ? options.credentialsFile : env("SWU_CREDENTIALS");
    if (!credentials.empty())
    {
        std::string line = readSecretFile(credentials, "credentials file");
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
        {
            filePassword = line;
        }
        else
        {
            fileUser = line.substr(0, colon);
            filePassword = line.substr(colon + 1);
        }
    }
    e.user = !options.user.empty()      ? options.user
             : !urlUser.empty()         ? urlUser
             : !env("SWU_USER").empty() ? env("SWU_USER")
                                        : fileUser;
    if (const char* password = std::getenv("SWU_PASSWORD"))
    {
        e.password = password;
    }
    else if (!credentials.empty() && (fileUser.empty() || fileUser == e.user))
    {
        e.password = filePassword;
    }
    else if (!e.user.empty())
    {
        e.password = promptSecret("Password for " + e.user + " at " + authority + ": ");
    }
    return e;
}

} // namespace swu
