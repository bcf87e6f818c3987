// The logger a provider receives from its environment. Concrete loggers only decide where a
// message goes (doLogMessage); filtering by level happens here, before any text is written.
// Thread-safety: log calls are const and concurrent-safe if doLogMessage is; setLogLevel is not.
#ifndef OW_LOGGER_HPP_INCLUDE_GUARD_
#define OW_LOGGER_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_LogLevel.hpp"
#include "OW_String.hpp"
#include "OW_Exception.hpp"
#include "OW_IntrusiveReference.hpp"

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(Logger);

class Logger;
typedef IntrusiveReference<Logger> LoggerRef;

class Logger : public IntrusiveCountableBase
{
public:
    void logFatalError(const String& message) const { logMessage(E_FATAL_ERROR_LEVEL, message); }
    void logError(const String& message) const { logMessage(E_ERROR_LEVEL, message); }
    void logInfo(const String& message) const { logMessage(E_INFO_LEVEL, message); }
    void logDebug(const String& message) const { logMessage(E_DEBUG_LEVEL, message); }

    void setLogLevel(ELogLevel logLevel) { m_logLevel = logLevel; }
    // "info", "debug" and "error" in any letter case; every other text means fatal errors only.
    void setLogLevel(const String& logLevel);
    ELogLevel getLogLevel() { return m_logLevel; }

    // Every type currently yields a logger writing to the standard error stream; with debug
    // set it starts at the debug level, otherwise at the default error level.
    static LoggerRef createLogger(const String& type, bool debug);

    virtual ~Logger();

protected:
    Logger();
    Logger(const ELogLevel logLevel);

    virtual void doLogMessage(const String& message, const ELogLevel level) const = 0;

private:
    void logMessage(const ELogLevel level, const String& message) const;

    ELogLevel m_logLevel;
};

} // end namespace OpenWBEM

#endif
