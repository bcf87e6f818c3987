// Level filtering shared by every logger, and the stock logger handed out by createLogger.
#include "OW_config.h"
#include "OW_Logger.hpp"

#include <cstdio>
#include <string>

namespace OpenWBEM
{

namespace
{

const char* levelName(ELogLevel level)
{
    switch (level)
    {
    case E_FATAL_ERROR_LEVEL:
        return "FATAL";
    case E_ERROR_LEVEL:
        return "ERROR";
    case E_INFO_LEVEL:
        return "INFO";
    case E_DEBUG_LEVEL:
        return "DEBUG";
    }
    return "UNKNOWN";
}

// Writes one line per message to the standard error stream. The line is assembled first and
// written with a single call, so messages from concurrent threads do not interleave.
class StderrLogger : public Logger
{
public:
    explicit StderrLogger(ELogLevel level) : Logger(level) {}

protected:
    void doLogMessage(const String& message, const ELogLevel level) const override
    {
        std::string line = "[openwbem] ";
        line += levelName(level);
        line += ": ";
        line.append(message.c_str(), message.length());
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

} // namespace

Logger::Logger() : m_logLevel(E_ERROR_LEVEL) {}

Logger::Logger(const ELogLevel logLevel) : m_logLevel(logLevel) {}

Logger::~Logger() {}

void Logger::setLogLevel(const String& logLevel)
{
    if (logLevel.equalsIgnoreCase("info"))
    {
        m_logLevel = E_INFO_LEVEL;
    }
    else if (logLevel.equalsIgnoreCase("debug"))
    {
        m_logLevel = E_DEBUG_LEVEL;
    }
    else if (logLevel.equalsIgnoreCase("error"))
    {
        m_logLevel = E_ERROR_LEVEL;
    }
    else
    {
        m_logLevel = E_FATAL_ERROR_LEVEL;
    }
}

LoggerRef Logger::createLogger(const String& /*type*/, bool debug)
{
    return LoggerRef(new StderrLogger(debug ? E_DEBUG_LEVEL : E_ERROR_LEVEL));
}

void Logger::logMessage(const ELogLevel level, const String& message) const
{
    if (level <= m_logLevel)
    {
        doLogMessage(message, level);
    }
}

} // end namespace OpenWBEM
