// Logger level filtering, the collecting result handlers and the in-memory enumeration.
#include "OW_config.h"
#include "OW_Logger.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_ResultHandlers.hpp"
#include "OW_Enumeration.hpp"
#include "OW_CIMInstanceEnumeration.hpp"
#include "OW_CIMObjectPathEnumeration.hpp"
#include "OW_StringEnumeration.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_Array.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace OpenWBEM;

namespace
{

class RecordingLogger : public Logger
{
public:
    RecordingLogger() {}
    explicit RecordingLogger(ELogLevel level) : Logger(level) {}

    mutable std::vector<std::pair<ELogLevel, std::string>> lines;

protected:
    void doLogMessage(const String& message, const ELogLevel level) const override
    {
        lines.push_back(std::make_pair(level, std::string(message.c_str())));
    }
};

void logAllLevels(const Logger& logger)
{
    logger.logFatalError("f");
    logger.logError("e");
    logger.logInfo("i");
    logger.logDebug("d");
}

std::string written(const RecordingLogger& logger)
{
    std::string out;
    for (size_t i = 0; i < logger.lines.size(); ++i)
    {
        out += logger.lines[i].second;
    }
    return out;
}

} // namespace

TEST(Logger, WritesOnlyMessagesAtOrBelowItsLevel)
{
    EXPECT_EQ(0, E_FATAL_ERROR_LEVEL);
    EXPECT_EQ(3, E_DEBUG_LEVEL);

    RecordingLogger byDefault;
    EXPECT_EQ(E_ERROR_LEVEL, byDefault.getLogLevel());
    logAllLevels(byDefault);
    EXPECT_EQ("fe", written(byDefault));
    ASSERT_EQ(2u, byDefault.lines.size());
    EXPECT_EQ(E_FATAL_ERROR_LEVEL, byDefault.lines[0].first);
    EXPECT_EQ(E_ERROR_LEVEL, byDefault.lines[1].first);

    RecordingLogger fatalOnly(E_FATAL_ERROR_LEVEL);
    logAllLevels(fatalOnly);
    EXPECT_EQ("f", written(fatalOnly));

    RecordingLogger everything(E_DEBUG_LEVEL);
    logAllLevels(everything);
    EXPECT_EQ("feid", written(everything));
    EXPECT_EQ(E_DEBUG_LEVEL, everything.lines[3].first);

    everything.setLogLevel(E_INFO_LEVEL);
    everything.lines.clear();
    logAllLevels(everything);
    EXPECT_EQ("fei", written(everything));

    // Usable through the reference type providers hold.
    RecordingLogger* raw = new RecordingLogger(E_INFO_LEVEL);
    LoggerRef ref(raw);
    ref->logInfo(String("x=") + String(Int32(5)));
    ASSERT_EQ(1u, raw->lines.size());
    EXPECT_EQ("x=5", raw->lines[0].second);
}

TEST(Logger, SetLogLevelFromTextIgnoresCaseAndFallsBackToFatal)
{
    RecordingLogger logger;
    const struct
    {
        const char* text;
        ELogLevel level;
    } cases[] = {
        {"info", E_INFO_LEVEL},         {"INFO", E_INFO_LEVEL},
        {"Debug", E_DEBUG_LEVEL},       {"error", E_ERROR_LEVEL},
        {"ErRoR", E_ERROR_LEVEL},       {"fatal", E_FATAL_ERROR_LEVEL},
        {"", E_FATAL_ERROR_LEVEL},      {" info", E_FATAL_ERROR_LEVEL},
        {"infos", E_FATAL_ERROR_LEVEL}, {"warning", E_FATAL_ERROR_LEVEL},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
    {
        logger.setLogLevel(E_DEBUG_LEVEL == cases[i].level ? E_INFO_LEVEL : E_DEBUG_LEVEL);
        logger.setLogLevel(String(cases[i].text));
        EXPECT_EQ(cases[i].level, logger.getLogLevel()) << "\"" << cases[i].text << "\"";
    }
}

TEST(Logger, CreatedLoggerWritesToStandardError)
{
    LoggerRef quiet = Logger::createLogger("syslog", false);
    ASSERT_TRUE(quiet);
    EXPECT_EQ(E_ERROR_LEVEL, quiet->getLogLevel());
    testing::internal::CaptureStderr();
    quiet->logError("disk on fire");
    quiet->logInfo("not shown");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("disk on fire"));
    EXPECT_EQ(std::string::npos, err.find("not shown"));
    EXPECT_EQ('\n', err[err.size() - 1]);

    LoggerRef chatty = Logger::createLogger("cerr", true);
    ASSERT_TRUE(chatty);
    EXPECT_EQ(E_DEBUG_LEVEL, chatty->getLogLevel());
    testing::internal::CaptureStderr();
    chatty->logDebug("tracing");
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("tracing"));
}

TEST(ResultHandlers, BuildersAppendThroughTheHandlerInterface)
{
    // Array builders keep what the array already held.
    CIMInstanceArray instances;
    instances.push_back(CIMInstance("Old"));
    CIMInstanceArrayBuilder instanceBuilder(instances);
    CIMInstanceResultHandlerIFC& instanceSink = instanceBuilder;
    instanceSink.handle(CIMInstance("First"));
    instanceSink.handle(CIMInstance("Second"));
    ASSERT_EQ(3u, instances.size());
    EXPECT_EQ(String("Old"), instances[0].getClassName());
    EXPECT_EQ(String("Second"), instances[2].getClassName());

    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder pathBuilder(paths);
    pathBuilder.handle(CIMObjectPath("C", "root/x"));
    ASSERT_EQ(1u, paths.size());
    EXPECT_EQ(String("/root/x:C"), paths[0].toString());

    StringArray names;
    StringArrayBuilder nameBuilder(names);
    nameBuilder.handle("n1");
    nameBuilder.handle("n2");
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ(String("n2"), names[1]);

    CIMClassArray classes;
    CIMClassArrayBuilder classBuilder(classes);
    classBuilder.handle(CIMClass("K"));
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ(String("K"), classes[0].getName());

    // Enumeration builders: results come back out in arrival order.
    CIMInstanceEnumeration instanceEnum;
    CIMInstanceEnumBuilder instanceEnumBuilder(instanceEnum);
    instanceEnumBuilder.handle(CIMInstance("E1"));
    instanceEnumBuilder.handle(CIMInstance("E2"));
    ASSERT_EQ(2u, instanceEnum.numberOfElements());
    EXPECT_EQ(String("E1"), instanceEnum.nextElement().getClassName());
    EXPECT_EQ(String("E2"), instanceEnum.nextElement().getClassName());

    CIMObjectPathEnumeration pathEnum;
    CIMObjectPathEnumBuilder pathEnumBuilder(pathEnum);
    pathEnumBuilder.handle(CIMObjectPath("P", "ns"));
    EXPECT_EQ(String("P"), pathEnum.nextElement().getClassName());

    StringEnumeration stringEnum;
    StringEnumBuilder stringEnumBuilder(stringEnum);
    stringEnumBuilder.handle("s");
    EXPECT_EQ(String("s"), stringEnum.nextElement());

    CIMClassEnumeration classEnum;
    CIMClassEnumBuilder classEnumBuilder(classEnum);
    classEnumBuilder.handle(CIMClass("K2"));
    EXPECT_EQ(String("K2"), classEnum.nextElement().getName());
}

TEST(Enumeration, HandsOutElementsInOrderAndRefusesToReadPastTheEnd)
{
    StringEnumeration e;
    EXPECT_FALSE(e.hasMoreElements());
    EXPECT_EQ(0u, e.numberOfElements());

    e.addElement("one");
    e.addElement("two");
    e.addElement("three");
    EXPECT_TRUE(e.hasMoreElements());
    EXPECT_EQ(3u, e.numberOfElements());

    StringEnumeration copy(e);
    EXPECT_EQ(String("one"), e.nextElement());
    String out;
    e.nextElement(out);
    EXPECT_EQ(String("two"), out);
    EXPECT_EQ(1u, e.numberOfElements());
    // A copy is another handle to the same sequence, so it has seen the two extractions.
    EXPECT_EQ(1u, copy.numberOfElements());
    copy.addElement("four");
    EXPECT_EQ(2u, e.numberOfElements());

    EXPECT_EQ(String("three"), e.nextElement());
    EXPECT_EQ(String("four"), copy.nextElement());
    EXPECT_FALSE(e.hasMoreElements());

    try
    {
        e.nextElement();
        ADD_FAILURE() << "reading an empty enumeration did not throw";
    }
    catch (const EnumerationException& ex)
    {
        EXPECT_STREQ("Attempt to Extract from empty Enum", ex.getMessage());
        EXPECT_STREQ("EnumerationException", ex.type());
    }
    out = "untouched";
    EXPECT_THROW(e.nextElement(out), EnumerationException);
    EXPECT_EQ(String("untouched"), out);

    // Still usable after the failed read; clear() drops what was not read.
    e.addElement("again");
    EXPECT_EQ(String("again"), e.nextElement());
    e.addElement("dropped");
    copy.clear();
    EXPECT_FALSE(e.hasMoreElements());
    EXPECT_THROW(copy.nextElement(), Exception);
}
