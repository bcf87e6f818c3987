// The master provider: routing by class name, refusals, call log lines, initialize and
// cleanup. Recording sub-providers stand in every registry slot.
#include "master/ClassNames.h"
#include "master/MasterProvider.h"
#include "master/Registry.h"
#include "common/Common.h"
#include "testsupport/ScriptedRunner.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_ResultHandlers.hpp"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

typedef CIMException::ErrNoType ErrNo;

// Every call a sub-provider received, as CallText gives it.
std::vector<std::string> gCalls;
std::vector<int> gCleanups;
bool gThrowFromSubProvider = false;

std::string Addr(const void* p)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%p", p);
    return text;
}
std::string Str(const String& s)
{
    return s.c_str();
}

// "provider.operation(argument, ...)"
std::string CallText(const std::string& provider, const std::string& operation,
                     const std::vector<std::string>& args)
{
    std::string text = provider + "." + operation + "(";
    for (size_t i = 0; i < args.size(); ++i)
    {
        text += (i == 0 ? "" : ", ") + args[i];
    }
    return text + ")";
}

// Records every call with its arguments: names and flags by value, everything else by address,
// so a test sees that the master passed on the very objects it was given.
class RecordingSubProvider : public CppAssociatorProviderIFC, public CppMethodProviderIFC
{
public:
    explicit RecordingSubProvider(std::string name) : m_name(std::move(name)) {}

    void initialize(const ProviderEnvironmentIFCRef& env) override { record("initialize", env); }
    void enumInstanceNames(const ProviderEnvironmentIFCRef& env, const String& ns,
                           const String& className, CIMObjectPathResultHandlerIFC& result,
                           const CIMClass& cimClass) override
    {
        record("enumInstanceNames", env, ns, className, result, cimClass);
    }
    void enumInstances(const ProviderEnvironmentIFCRef& env, const String& ns,
                       const String& className, CIMInstanceResultHandlerIFC& result,
                       ELocalOnlyFlag localOnly, EDeepFlag deep,
                       EIncludeQualifiersFlag includeQualifiers,
                       EIncludeClassOriginFlag includeClassOrigin, const StringArray* propertyList,
                       const CIMClass& requestedClass, const CIMClass& cimClass) override
    {
        record("enumInstances", env, ns, className, result, localOnly, deep, includeQualifiers,
               includeClassOrigin, propertyList, requestedClass, cimClass);
    }
    CIMInstance getInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                            const CIMObjectPath& instanceName, ELocalOnlyFlag localOnly,
                            EIncludeQualifiersFlag includeQualifiers,
                            EIncludeClassOriginFlag includeClassOrigin,
                            const StringArray* propertyList, const CIMClass& cimClass) override
    {
        record("getInstance", env, ns, instanceName, localOnly, includeQualifiers,
               includeClassOrigin, propertyList, cimClass);
        return CIMInstance(m_name.c_str());
    }
    CIMObjectPath createInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                 const CIMInstance& cimInstance) override
    {
        record("createInstance", env, ns, cimInstance);
        return CIMObjectPath(m_name.c_str());
    }
    void modifyInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                        const CIMInstance& modifiedInstance, const CIMInstance& previousInstance,
                        EIncludeQualifiersFlag includeQualifiers, const StringArray* propertyList,
                        const CIMClass& theClass) override
    {
        record("modifyInstance", env, ns, modifiedInstance, previousInstance, includeQualifiers,
               propertyList, theClass);
    }
    void deleteInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                        const CIMObjectPath& cop) override
    {
        record("deleteInstance", env, ns, cop);
    }
    CIMValue invokeMethod(const ProviderEnvironmentIFCRef& env, const String& ns,
                          const CIMObjectPath& path, const String& methodName,
                          const CIMParamValueArray& in, CIMParamValueArray& out) override
    {
        record("invokeMethod", env, ns, path, methodName, in, out);
        return CIMValue(String(m_name.c_str()));
    }
    void associators(const ProviderEnvironmentIFCRef& env, CIMInstanceResultHandlerIFC& result,
                     const String& ns, const CIMObjectPath& objectName, const String& assocClass,
                     const String& resultClass, const String& role, const String& resultRole,
                     EIncludeQualifiersFlag includeQualifiers,
                     EIncludeClassOriginFlag includeClassOrigin,
                     const StringArray* propertyList) override
    {
        record("associators", env, result, ns, objectName, assocClass, resultClass, role,
               resultRole, includeQualifiers, includeClassOrigin, propertyList);
    }
    void associatorNames(const ProviderEnvironmentIFCRef& env,
                         CIMObjectPathResultHandlerIFC& result, const String& ns,
                         const CIMObjectPath& objectName, const String& assocClass,
                         const String& resultClass, const String& role,
                         const String& resultRole) override
    {
        record("associatorNames", env, result, ns, objectName, assocClass, resultClass, role,
               resultRole);
    }
    void references(const ProviderEnvironmentIFCRef& env, CIMInstanceResultHandlerIFC& result,
                    const String& ns, const CIMObjectPath& objectName, const String& resultClass,
                    const String& role, EIncludeQualifiersFlag includeQualifiers,
                    EIncludeClassOriginFlag includeClassOrigin,
                    const StringArray* propertyList) override
    {
        record("references", env, result, ns, objectName, resultClass, role, includeQualifiers,
               includeClassOrigin, propertyList);
    }
    void referenceNames(const ProviderEnvironmentIFCRef& env, CIMObjectPathResultHandlerIFC& result,
                        const String& ns, const CIMObjectPath& objectName,
                        const String& resultClass, const String& role) override
    {
        record("referenceNames", env, result, ns, objectName, resultClass, role);
    }

private:
    static std::string Text(const ProviderEnvironmentIFCRef& env) { return Addr(env.get()); }
    static std::string Text(const String& name) { return Str(name); }
    static std::string Text(const StringArray* list) { return Addr(list); }
    static std::string Text(ELocalOnlyFlag flag) { return std::to_string(flag); }
    static std::string Text(EDeepFlag flag) { return std::to_string(flag); }
    static std::string Text(EIncludeQualifiersFlag flag) { return std::to_string(flag); }
    static std::string Text(EIncludeClassOriginFlag flag) { return std::to_string(flag); }
    template <class Object> static std::string Text(const Object& object) { return Addr(&object); }

    template <class... Args> void record(const char* operation, const Args&... args)
    {
        gCalls.push_back(CallText(m_name, operation, {Text(args)...}));
        if (gThrowFromSubProvider)
        {
            OW_THROWCIMMSG(CIMException::NOT_FOUND, m_name.c_str());
        }
    }

    std::string m_name;
};

template <int slot> void RecordCleanup()
{
    gCleanups.push_back(slot);
}
void (*const kCleanupHooks[SUB_PROVIDER_SLOT_COUNT])() = {
    &RecordCleanup<0>, &RecordCleanup<1>, &RecordCleanup<2>, &RecordCleanup<3>,
    &RecordCleanup<4>, &RecordCleanup<5>, &RecordCleanup<6>, &RecordCleanup<7>,
};
const char* const kSlotNames[SUB_PROVIDER_SLOT_COUNT] = {
    "applied", "pending", "avaliable", "active", "inventory", "fileName", "fileList", "component",
};

// Every class name the master serves, with the slot it belongs to, in routing order.
struct Served
{
    const char* className;
    const char* provider;
};
const Served kServed[] = {
    {"ZVQ_HistorySoftwareUpdate", "applied"},
    {"ZVQ_ScheduledSoftwareUpdate", "pending"},
    {"ZVQ_AvailableSoftwareUpdate", "avaliable"},
    {"ZVQ_ActiveSoftwareUpdate", "active"},
    {"ZVQ_SoftwareIdentity", "inventory"},
    {"ZVQ_ElementManagerCartridgeVersionInfo", "inventory"},
    {"ZVQ_AvailableSoftwareFileName", "fileName"},
    {"ZVQ_AvailableSoftwareFileList", "fileList"},
    {"ZVQ_SoftwareUpdateComponent", "component"},
};
const char* const kRefusedNames[] = {
    "zvq_historysoftwareupdate", "", "ZVQ_SoftwareIdentity ", "ZVQ_Unknown", "CIM_SoftwareIdentity",
};
const std::vector<ErrNo> kInstanceAndMethodRefused(7, CIMException::INVALID_CLASS);
const std::vector<ErrNo> kAssociationRefused(4, CIMException::INVALID_CLASS);

CIMObjectPath InstancePath(const char* className)
{
    CIMObjectPath path(className, "root/cimv2");
    path.setKeyValue("InstanceID", CIMValue(String("0")));
    return path;
}

// Runs `operation`; returns the CIM status it threw, or SUCCESS.
ErrNo StatusOf(const std::function<void()>& operation)
{
    try
    {
        operation();
    }
    catch (const CIMException& e)
    {
        return e.getErrNo();
    }
    return CIMException::SUCCESS;
}

class MasterProviderTest : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        for (int slot = 0; slot < SUB_PROVIDER_SLOT_COUNT; ++slot)
        {
            m_saved[slot] = gSubProviderRegistry[slot];
            m_doubles.emplace_back(new RecordingSubProvider(kSlotNames[slot]));
            RecordingSubProvider* d = m_doubles.back().get();
            // Every double serves methods too, so refusals must come from the routing itself.
            gSubProviderRegistry[slot] = SubProviderEntry{d, d, d, kCleanupHooks[slot]};
        }
        gCalls.clear();
        gCleanups.clear();
        gThrowFromSubProvider = false;
        env = ProviderEnvironmentIFCRef(new TestEnvironment(LoggerRef(logger)));
        properties.push_back("Name");
        properties.push_back("Version");
    }
    void TearDown() override
    {
        for (int slot = 0; slot < SUB_PROVIDER_SLOT_COUNT; ++slot)
        {
            gSubProviderRegistry[slot] = m_saved[slot];
        }
        unsetenv(kDebugEnvironmentVariable);
        ProviderTest::TearDown();
    }

    // The six instance operations, then invokeMethod "Apply", on `className` with the
    // fixture's arguments (flags mixed, so a fixed value forwarded in place of the caller's
    // shows); the status of each, in order. What createInstance prints goes to `printed`.
    std::vector<ErrNo> RunInstanceAndMethodOperations(const char* className)
    {
        String name(className);
        path = InstancePath(className);
        instance = CIMInstance(className);
        previous = CIMInstance(className);
        testing::internal::CaptureStdout();
        std::vector<ErrNo> statuses = {
            StatusOf([&] { master.enumInstanceNames(env, ns, name, nameHandler, cimClass); }),
            StatusOf(
                [&]
                {
                    master.enumInstances(env, ns, name, instanceHandler, E_LOCAL_ONLY, E_SHALLOW,
                                         E_INCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, &properties,
                                         requestedClass, cimClass);
                }),
            StatusOf(
                [&]
                {
                    got = master.getInstance(env, ns, path, E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                                             E_INCLUDE_CLASS_ORIGIN, nullptr, cimClass);
                }),
            StatusOf([&] { created = master.createInstance(env, ns, instance); }),
            StatusOf(
                [&]
                {
                    master.modifyInstance(env, ns, instance, previous, E_INCLUDE_QUALIFIERS,
                                          &properties, cimClass);
                }),
            StatusOf([&] { master.deleteInstance(env, ns, path); }),
            StatusOf([&] { returned = master.invokeMethod(env, ns, path, "Apply", in, out); }),
        };
        printed = testing::internal::GetCapturedStdout();
        return statuses;
    }

    // The four association operations with `assocClass` as association class (result class
    // for references and referenceNames) on the fixture's path; the status of each, in order.
    std::vector<ErrNo> RunAssociationOperations(const String& assocClass)
    {
        const String other("ZVQ_AvailableSoftwareFileName");
        return {
            StatusOf(
                [&]
                {
                    master.associators(env, instanceHandler, ns, path, assocClass, other, "r", "rr",
                                       E_INCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, &properties);
                }),
            StatusOf(
                [&] {
                    master.associatorNames(env, nameHandler, ns, path, assocClass, other, "r",
                                           "rr");
                }),
            StatusOf(
                [&]
                {
                    master.references(env, instanceHandler, ns, path, assocClass, "r",
                                      E_EXCLUDE_QUALIFIERS, E_INCLUDE_CLASS_ORIGIN, nullptr);
                }),
            StatusOf([&] { master.referenceNames(env, nameHandler, ns, path, assocClass, "r"); }),
        };
    }

    std::vector<std::string> InfoLines() { return logger->textsAt(E_INFO_LEVEL); }

    // The log lines RunInstanceAndMethodOperations writes, served class or not.
    std::vector<std::string> ExpectedLogLines(const std::string& className)
    {
        const std::string pathText = Str(path.toString());
        return {className + ".enumInstanceNames()",
                className + ".enumInstanes()",
                "Property list: Name,Version",
                className + ".getInstance()",
                "ObjectPath=" + pathText,
                "Property list not specified",
                className + ".modifyInstance()",
                "Property list: Name,Version",
                className + ".deleteInstance()",
                "Instance=" + pathText,
                className + ".invokeMethod()",
                className + ".Apply()",
                "ObjectPath=" + pathText};
    }

    SoftwareUpdateProvider master;
    ProviderEnvironmentIFCRef env;
    String ns = String("root/cimv2");
    CIMClass cimClass = CIMClass("cimClass");
    CIMClass requestedClass = CIMClass("requested");
    StringArray properties;
    CIMObjectPath path;
    CIMInstance instance;
    CIMInstance previous;
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder nameHandler{names};
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder instanceHandler{instances};
    CIMParamValueArray in;
    CIMParamValueArray out;
    // What the sub-provider answered.
    CIMInstance got;
    CIMObjectPath created;
    CIMValue returned = CIMValue(CIMNULL);
    std::string printed;

private:
    SubProviderEntry m_saved[SUB_PROVIDER_SLOT_COUNT];
    std::vector<std::unique_ptr<RecordingSubProvider>> m_doubles;
};

} // namespace

TEST_F(MasterProviderTest, OperationsReachTheOwnerWithTheirArguments)
{
    for (const Served& served : kServed)
    {
        SCOPED_TRACE(served.className);
        gCalls.clear();
        logger->clear();
        std::vector<ErrNo> statuses = RunInstanceAndMethodOperations(served.className);

        const std::string p = served.provider;
        const std::string e = Addr(env.get());
        std::vector<std::string> expected = {
            CallText(p, "enumInstanceNames",
                     {e, "root/cimv2", served.className, Addr(&nameHandler), Addr(&cimClass)}),
            CallText(p, "enumInstances",
                     {e, "root/cimv2", served.className, Addr(&instanceHandler), "1", "0", "1", "0",
                      Addr(&properties), Addr(&requestedClass), Addr(&cimClass)}),
            CallText(p, "getInstance",
                     {e, "root/cimv2", Addr(&path), "0", "0", "1", Addr(nullptr), Addr(&cimClass)}),
            CallText(p, "createInstance", {e, "root/cimv2", Addr(&instance)}),
            CallText(p, "modifyInstance",
                     {e, "root/cimv2", Addr(&instance), Addr(&previous), "1", Addr(&properties),
                      Addr(&cimClass)}),
            CallText(p, "deleteInstance", {e, "root/cimv2", Addr(&path)}),
        };
        // The file-name and file-list classes have no methods.
        const bool hasMethods = p.rfind("file", 0) != 0;
        if (hasMethods)
        {
            expected.push_back(CallText(
                p, "invokeMethod", {e, "root/cimv2", Addr(&path), "Apply", Addr(&in), Addr(&out)}));
            EXPECT_EQ(Str(returned.toString()), p) << "the sub-provider's result";
        }
        std::vector<ErrNo> expectedStatuses(6, CIMException::SUCCESS);
        expectedStatuses.push_back(hasMethods ? CIMException::SUCCESS
                                              : CIMException::INVALID_CLASS);
        EXPECT_EQ(statuses, expectedStatuses);
        EXPECT_EQ(gCalls, expected);
        EXPECT_EQ(Str(got.getClassName()), p);
        EXPECT_EQ(Str(created.getClassName()), p);

        EXPECT_EQ(InfoLines(), ExpectedLogLines(served.className));
        EXPECT_EQ(logger->lines().size(), 13u) << "nothing at any other level";
        // createInstance prints its line whatever the debug switch, and logs nothing; with the
        // switch off nothing else is printed.
        EXPECT_EQ(printed, std::string(served.className) + ".createInstance()\n");
    }
}

TEST_F(MasterProviderTest, UnservedClassesAreRefusedAfterTheirLogLines)
{
    for (const char* name : kRefusedNames)
    {
        SCOPED_TRACE(name);
        logger->clear();
        EXPECT_EQ(RunInstanceAndMethodOperations(name), kInstanceAndMethodRefused);
        EXPECT_EQ(InfoLines(), ExpectedLogLines(name)) << "every call wrote its log lines first";
        EXPECT_TRUE(gCalls.empty());
    }

    // Refusals carry no message text of their own.
    try
    {
        master.deleteInstance(env, ns, CIMObjectPath("ZVQ_Unknown"));
        ADD_FAILURE();
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(std::string(e.getMessage()),
                  CIMException(__FILE__, __LINE__, CIMException::INVALID_CLASS).getMessage());
    }
}

TEST_F(MasterProviderTest, SlotWithoutSubProviderRefusesItsClasses)
{
    gSubProviderRegistry[SLOT_INVENTORY_PROVIDER] = SubProviderEntry{0, 0, 0, 0};
    gSubProviderRegistry[SLOT_FILE_LIST] = SubProviderEntry{0, 0, 0, 0};
    for (const char* name : {"ZVQ_SoftwareIdentity", "ZVQ_ElementManagerCartridgeVersionInfo"})
    {
        EXPECT_EQ(RunInstanceAndMethodOperations(name), kInstanceAndMethodRefused) << name;
    }
    EXPECT_EQ(InfoLines().front(), "ZVQ_SoftwareIdentity.enumInstanceNames()");
    EXPECT_EQ(RunAssociationOperations("ZVQ_AvailableSoftwareFileList"), kAssociationRefused);
    EXPECT_TRUE(gCalls.empty());

    // Initialise and clean up skip the empty slot; the others still run.
    master.initialize(env);
    master.cleanup();
    EXPECT_EQ(gCalls.size(), 6u);
    EXPECT_EQ(gCleanups, (std::vector<int>{0, 1, 2, 3, 5, 7}));
}

TEST_F(MasterProviderTest, AssociationOperationsRouteOnTheAssociationName)
{
    // The object path's own class is not looked at.
    path = InstancePath("ZVQ_AvailableSoftwareUpdate");
    EXPECT_EQ(RunAssociationOperations("ZVQ_AvailableSoftwareFileList"),
              std::vector<ErrNo>(4, CIMException::SUCCESS));
    const std::string e = Addr(env.get());
    const std::string p = Addr(&path);
    const std::string assoc = "ZVQ_AvailableSoftwareFileList";
    const std::string other = "ZVQ_AvailableSoftwareFileName";
    EXPECT_EQ(gCalls,
              (std::vector<std::string>{
                  CallText("fileList", "associators",
                           {e, Addr(&instanceHandler), "root/cimv2", p, assoc, other, "r", "rr",
                            "1", "0", Addr(&properties)}),
                  CallText("fileList", "associatorNames",
                           {e, Addr(&nameHandler), "root/cimv2", p, assoc, other, "r", "rr"}),
                  CallText("fileList", "references",
                           {e, Addr(&instanceHandler), "root/cimv2", p, assoc, "r", "0", "1",
                            Addr(nullptr)}),
                  CallText("fileList", "referenceNames",
                           {e, Addr(&nameHandler), "root/cimv2", p, assoc, "r"}),
              }));
    const std::string objectPath = "ObjectPath=" + Str(path.toString());
    EXPECT_EQ(InfoLines(), (std::vector<std::string>{
                               "ZVQ_AvailableSoftwareFileList.associator()", objectPath,
                               "ZVQ_AvailableSoftwareFileList.associatorNames()", objectPath,
                               "ZVQ_AvailableSoftwareFileList.references()", objectPath,
                               "ZVQ_AvailableSoftwareFileList.referenceNames()", objectPath}));

    // associators/associatorNames look at the association class, references/referenceNames
    // at the result class; anything else is refused.
    gCalls.clear();
    for (const char* refused :
         {"", "zvq_availablesoftwarefilelist", "ZVQ_AvailableSoftwareFileName"})
    {
        EXPECT_EQ(RunAssociationOperations(refused), kAssociationRefused) << refused;
    }
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(MasterProviderTest, PropertyListLine)
{
    PrintPropertiesList(nullptr);
    StringArray list;
    PrintPropertiesList(&list);
    list.push_back("Name");
    PrintPropertiesList(&list);
    list.push_back("100%s");
    list.push_back("Ver sion");
    PrintPropertiesList(&list);
    EXPECT_EQ(InfoLines(), (std::vector<std::string>{"Property list not specified",
                                                     "Property list: ", "Property list: Name",
                                                     "Property list: Name,100%s,Ver sion"}));
}

TEST_F(MasterProviderTest, SubProviderExceptionsPassUnchanged)
{
    gThrowFromSubProvider = true;
    try
    {
        master.enumInstanceNames(env, ns, "ZVQ_SoftwareUpdateComponent", nameHandler, cimClass);
        ADD_FAILURE();
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getErrNo(), CIMException::NOT_FOUND);
        EXPECT_EQ(
            std::string(e.getMessage()),
            CIMException(__FILE__, __LINE__, CIMException::NOT_FOUND, "component").getMessage());
    }
}

TEST_F(MasterProviderTest, InitializeAndCleanupReachSevenSubProvidersInOrder)
{
    gLogger = LoggerRef();
    master.initialize(env);
    EXPECT_FALSE(gProviderAgentDebug) << "unset";
    EXPECT_TRUE(gLogger.get() == logger) << "the logger comes from the environment";
    std::vector<std::string> expected;
    for (const char* name :
         {"applied", "pending", "avaliable", "active", "inventory", "fileName", "component"})
    {
        expected.push_back(CallText(name, "initialize", {Addr(env.get())}));
    }
    EXPECT_EQ(gCalls, expected);
    master.cleanup();
    EXPECT_EQ(gCleanups, (std::vector<int>{0, 1, 2, 3, 4, 5, 7}));
    EXPECT_EQ(gCalls, expected) << "cleanup goes through the hooks only";

    // The switch is read as a number, the way atoi reads it; when on, the call log lines are
    // printed as well.
    const std::pair<const char*, bool> switches[] = {
        {"0", false},    {"abc", false}, {"", false},    {" 0", false},
        {"0x10", false}, {"-0", false},  {"1", true},    {"2", true},
        {"-1", true},    {" 3", true},   {"7abc", true}, {"99999999999", true},
    };
    for (const auto& [text, on] : switches)
    {
        setenv(kDebugEnvironmentVariable, text, 1);
        gProviderAgentDebug = !on;
        master.initialize(env);
        testing::internal::CaptureStdout();
        master.enumInstanceNames(env, ns, "ZVQ_HistorySoftwareUpdate", nameHandler, cimClass);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  on ? "ZVQ_HistorySoftwareUpdate.enumInstanceNames()\n" : "")
            << '"' << text << '"';
    }
}
