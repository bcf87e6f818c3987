#include "daemon.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace cimom
{

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        const auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos)
        {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        const bool takesValue = name == "--config" || name == "--set" || name == "--pid-file";
        if (takesValue && !inlineValue)
        {
            if (i + 1 >= args.size())
            {
                throw ConfigError(name + " needs a value");
            }
            value = args[++i];
        }
        if (name == "--config")
        {
            result.configFile = value;
        }
        else if (name == "--set")
        {
            result.overrides.push_back(parseAssignment(value));
        }
        else if (name == "--pid-file")
        {
            result.overrides.emplace_back(kPidFileItem, value);
        }
        else if (arg == "--foreground")
        {
        }
        else if (arg == "--help" || arg == "-h")
        {
            result.help = true;
        }
        else
        {
            throw ConfigError("unknown option '" + arg + "'");
        }
    }
    return result;
}

ConfigItems loadConfiguration(const CommandLine& commandLine)
{
    ConfigItems items;
    if (!commandLine.configFile.empty())
    {
        items = readConfigFile(commandLine.configFile);
    }
    for (const auto& [name, value] : commandLine.overrides)
    {
        items[name] = value;
    }
    return items;
}

PidFile::PidFile(std::string path) : path_(std::move(path))
{
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        throw std::runtime_error("cannot write the pid file '" + path_ +
                                 "': " + std::strerror(errno));
    }
    const std::string text = std::to_string(::getpid()) + "\n";
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!ok)
    {
        ::unlink(path_.c_str());
        throw std::runtime_error("cannot write the pid file '" + path_ + "'");
    }
}

PidFile::~PidFile()
{
    if (!path_.empty())
    {
        ::unlink(path_.c_str());
    }
}

} // namespace cimom
