// Test doubles of what the CIMOM lends a provider: a logger that records every line it is
// given, and a provider environment that hands out that logger and configured items.
// Thread-safety: the logger records and waits under its own lock, so tasks may log while a
// test reads; the environment is read-only after construction.
#ifndef SWU_TESTSUPPORT_TESTENVIRONMENT_H
#define SWU_TESTSUPPORT_TESTENVIRONMENT_H

#include "OW_config.h"
#include "OW_Logger.hpp"
#include "OW_OperationContext.hpp"
#include "OW_ProviderEnvironmentIFC.hpp"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class RecordingLogger : public OpenWBEM::Logger
{
public:
    struct Line
    {
        OpenWBEM::ELogLevel level;
        std::string text;
    };

    // Starts at the debug level, so every message reaches doLogMessage.
    RecordingLogger();

    std::vector<Line> lines() const;
    std::vector<std::string> textsAt(OpenWBEM::ELogLevel level) const;
    void clear();

    // Waits until a line with exactly this text has been logged; false after the timeout.
    bool waitForText(const std::string& text, std::chrono::milliseconds timeout) const;

protected:
    void doLogMessage(const OpenWBEM::String& message,
                      const OpenWBEM::ELogLevel level) const override;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_logged;
    mutable std::vector<Line> m_lines;
};

class TestEnvironment : public OpenWBEM::ProviderEnvironmentIFC
{
public:
    explicit TestEnvironment(const OpenWBEM::LoggerRef& logger,
                             std::map<std::string, std::string> configItems = {});

    OpenWBEM::CIMOMHandleIFCRef getCIMOMHandle() const override;
    OpenWBEM::CIMOMHandleIFCRef getRepositoryCIMOMHandle() const override;
    OpenWBEM::RepositoryIFCRef getRepository() const override;
    OpenWBEM::LoggerRef getLogger() const override;
    OpenWBEM::String getConfigItem(const OpenWBEM::String& name,
                                   const OpenWBEM::String& defRetVal = "") const override;
    OpenWBEM::String getUserName() const override;
    OpenWBEM::OperationContext& getOperationContext() override;

private:
    OpenWBEM::LoggerRef m_logger;
    std::map<std::string, std::string> m_configItems;
    OpenWBEM::OperationContext m_context;
};

#endif
