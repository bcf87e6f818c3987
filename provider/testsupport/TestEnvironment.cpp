// Recording logger and provider environment doubles.
#include "TestEnvironment.h"

using namespace OpenWBEM;

RecordingLogger::RecordingLogger() : Logger(E_DEBUG_LEVEL) {}

std::vector<RecordingLogger::Line> RecordingLogger::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::vector<std::string> RecordingLogger::textsAt(ELogLevel level) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> texts;
    for (const Line& line : m_lines)
    {
        if (line.level == level)
        {
            texts.push_back(line.text);
        }
    }
    return texts;
}

void RecordingLogger::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
}

bool RecordingLogger::waitForText(const std::string& text, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_logged.wait_for(lock, timeout,
                             [&]
                             {
                                 for (const Line& line : m_lines)
                                 {
                                     if (line.text == text)
                                     {
                                         return true;
                                     }
                                 }
                                 return false;
                             });
}

void RecordingLogger::doLogMessage(const String& message, const ELogLevel level) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(Line{level, std::string(message.c_str(), message.length())});
    m_logged.notify_all();
}

TestEnvironment::TestEnvironment(const LoggerRef& logger,
                                 std::map<std::string, std::string> configItems)
    : m_logger(logger), m_configItems(std::move(configItems))
{
}

CIMOMHandleIFCRef TestEnvironment::getCIMOMHandle() const
{
    return CIMOMHandleIFCRef();
}

CIMOMHandleIFCRef TestEnvironment::getRepositoryCIMOMHandle() const
{
    return CIMOMHandleIFCRef();
}

RepositoryIFCRef TestEnvironment::getRepository() const
{
    return RepositoryIFCRef();
}

LoggerRef TestEnvironment::getLogger() const
{
    return m_logger;
}

String TestEnvironment::getConfigItem(const String& name, const String& defRetVal) const
{
    auto found = m_configItems.find(name.c_str());
    return found == m_configItems.end() ? defRetVal : String(found->second.c_str());
}

String TestEnvironment::getUserName() const
{
    return String("test");
}

OperationContext& TestEnvironment::getOperationContext()
{
    return m_context;
}
