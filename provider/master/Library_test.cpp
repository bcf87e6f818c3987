// Loads the built provider library the way the CIMOM does: its two entry points, the version
// check, creating the master provider and initialising it.
#include "testsupport/TestEnvironment.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_ResultHandlers.hpp"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

using namespace OpenWBEM;

namespace
{

typedef const char* (*VersionFunction)();
typedef CppProviderBaseIFC* (*FactoryFunction)();

// The names of the symbols the library defines in its dynamic symbol table, from nm.
std::set<std::string> DefinedDynamicSymbols(const std::string& library)
{
    std::set<std::string> names;
    std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
    {
        return names;
    }
    char line[4096];
    while (std::fgets(line, sizeof(line), pipe) != nullptr)
    {
        char address[64];
        char type[8];
        char name[2048];
        if (std::sscanf(line, "%63s %7s %2047s", address, type, name) == 3)
        {
            names.insert(name);
        }
    }
    pclose(pipe);
    return names;
}

} // namespace

TEST(LibraryTest, ExportsExactlyTheTwoEntryPoints)
{
    std::set<std::string> symbols = DefinedDynamicSymbols(SWU_PROVIDER_LIBRARY);
    if (symbols.empty())
    {
        GTEST_SKIP() << "nm is not available";
    }
    std::set<std::string> ours;
    for (const std::string& name : symbols)
    {
        // Sanitizer builds add their own runtime hooks; everything else must be ours.
        if (name.rfind("__asan", 0) != 0 && name.rfind("__ubsan", 0) != 0 &&
            name.rfind("__tsan", 0) != 0 && name.rfind("__sanitizer", 0) != 0)
        {
            ours.insert(name);
        }
    }
    EXPECT_EQ(ours,
              (std::set<std::string>{"createProviderSoftwareUpdateProvider", "getOWVersion"}));
}

TEST(LibraryTest, LoadsCreatesAndInitialisesTheMasterProvider)
{
    // Loaded as a CIMOM loads it, never to be unmapped: roll-backs started by the provider run
    // on detached threads, and its logger reference is deliberately never destroyed.
    void* library = dlopen(SWU_PROVIDER_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(library, nullptr) << dlerror();

    VersionFunction version = reinterpret_cast<VersionFunction>(dlsym(library, "getOWVersion"));
    FactoryFunction create =
        reinterpret_cast<FactoryFunction>(dlsym(library, "createProviderSoftwareUpdateProvider"));
    ASSERT_NE(version, nullptr);
    ASSERT_NE(create, nullptr);
    EXPECT_STREQ(version(), "3.0.3");
    EXPECT_EQ(dlsym(library, "createProviderNO_ID"), nullptr);
    EXPECT_EQ(dlsym(library, "gLogger"), nullptr);
    EXPECT_EQ(dlsym(library, "OutputDebug"), nullptr);

    CppProviderBaseIFC* provider = create();
    ASSERT_NE(provider, nullptr);
    CppInstanceProviderIFC* instances = provider->getInstanceProvider();
    ASSERT_NE(instances, nullptr);
    EXPECT_NE(provider->getMethodProvider(), nullptr);
    EXPECT_NE(provider->getAssociatorProvider(), nullptr);

    RecordingLogger* logger = new RecordingLogger;
    LoggerRef loggerRef(logger);
    ProviderEnvironmentIFCRef env(new TestEnvironment(loggerRef));
    provider->initialize(env);

    // The master now logs through the environment's logger; an unknown class is refused.
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder handler(names);
    try
    {
        instances->enumInstanceNames(env, "root/cimv2", "ZVQ_Unknown", handler, CIMClass());
        ADD_FAILURE() << "an unknown class was not refused";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getErrNo(), CIMException::INVALID_CLASS);
    }
    EXPECT_TRUE(
        logger->waitForText("ZVQ_Unknown.enumInstanceNames()", std::chrono::milliseconds(0)));

    delete provider;
    EXPECT_EQ(dlclose(library), 0);
}
