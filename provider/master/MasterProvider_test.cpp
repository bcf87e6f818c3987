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
#include <vector>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

struct Call
{
    std::string provider;
    std::string operation;
    std::vector<std::string> args;
};
std::vector<Call> gCalls;
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
std::string Path(const CIMObjectPath& p)
{
    return p.toString().c_str();
}

// Records every call with its arguments in text form (objects passed by reference by address).
class RecordingSubProvider : public CppAssociatorProviderIFC, public CppMethodProviderIFC
{
public:
    explicit RecordingSubProvider(std::string name) : m_name(std::move(name)) {}

    void initialize(const ProviderEnvironmentIFCRef& env) override
    {
        record("initialize", {Addr(env.get())});
    }
    void enumInstanceNames(const ProviderEnvironmentIFCRef& env, const String& ns,
                           const String& className, CIMObjectPathResultHandlerIFC& result,
                           const CIMClass& cimClass) override
    {
        record("enumInstanceNames",
               {Addr(env.get()), Str(ns), Str(className), Addr(&result), Addr(&cimClass)});
    }
    void enumInstances(const ProviderEnvironmentIFCRef& env, const String& ns,
                       const String& className, CIMInstanceResultHandlerIFC& result,
                       ELocalOnlyFlag localOnly, EDeepFlag deep,
                       EIncludeQualifiersFlag includeQualifiers,
                       EIncludeClassOriginFlag includeClassOrigin, const StringArray* propertyList,
                       const CIMClass& requestedClass, const CIMClass& cimClass) override
    {
        record("enumInstances",
               {Addr(env.get()), Str(ns), Str(className), Addr(&result), std::to_string(localOnly),
                std::to_string(deep), std::to_string(includeQualifiers),
                std::to_string(includeClassOrigin), Addr(propertyList), Addr(&requestedClass),
                Addr(&cimClass)});
    }
    CIMInstance getInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                            const CIMObjectPath& instanceName, ELocalOnlyFlag localOnly,
                            EIncludeQualifiersFlag includeQualifiers,
                            EIncludeClassOriginFlag includeClassOrigin,
                            const StringArray* propertyList, const CIMClass& cimClass) override
    {
        record("getInstance",
               {Addr(env.get()), Str(ns), Addr(&instanceName), std::to_string(localOnly),
                std::to_string(includeQualifiers), std::to_string(includeClassOrigin),
                Addr(propertyList), Addr(&cimClass)});
        return CIMInstance(m_name.c_str());
    }
    CIMObjectPath createInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                 const CIMInstance& cimInstance) override
    {
        record("createInstance", {Addr(env.get()), Str(ns), Addr(&cimInstance)});
        return CIMObjectPath(m_name.c_str());
    }
    void modifyInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                        const CIMInstance& modifiedInstance, const CIMInstance& previousInstance,
                        EIncludeQualifiersFlag includeQualifiers, const StringArray* propertyList,
                        const CIMClass& theClass) override
    {
        record("modifyInstance",
               {Addr(env.get()), Str(ns), Addr(&modifiedInstance), Addr(&previousInstance),
                std::to_string(includeQualifiers), Addr(propertyList), Addr(&theClass)});
    }
    void deleteInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                        const CIMObjectPath& cop) override
    {
        record("deleteInstance", {Addr(env.get()), Str(ns), Addr(&cop)});
    }
    CIMValue invokeMethod(const ProviderEnvironmentIFCRef& env, const String& ns,
                          const CIMObjectPath& path, const String& methodName,
                          const CIMParamValueArray& in, CIMParamValueArray& out) override
    {
        record("invokeMethod",
               {Addr(env.get()), Str(ns), Addr(&path), Str(methodName), Addr(&in), Addr(&out)});
        return CIMValue(String(m_name.c_str()));
    }
    void associators(const ProviderEnvironmentIFCRef& env, CIMInstanceResultHandlerIFC& result,
                     const String& ns, const CIMObjectPath& objectName, const String& assocClass,
                     const String& resultClass, const String& role, const String& resultRole,
                     EIncludeQualifiersFlag includeQualifiers,
                     EIncludeClassOriginFlag includeClassOrigin,
                     const StringArray* propertyList) override
    {
        record("associators",
               {Addr(env.get()), Addr(&result), Str(ns), Addr(&objectName), Str(assocClass),
                Str(resultClass), Str(role), Str(resultRole), std::to_string(includeQualifiers),
                std::to_string(includeClassOrigin), Addr(propertyList)});
    }
    void associatorNames(const ProviderEnvironmentIFCRef& env,
                         CIMObjectPathResultHandlerIFC& result, const String& ns,
                         const CIMObjectPath& objectName, const String& assocClass,
                         const String& resultClass, const String& role,
                         const String& resultRole) override
    {
        record("associatorNames", {Addr(env.get()), Addr(&result), Str(ns), Addr(&objectName),
                                   Str(assocClass), Str(resultClass), Str(role), Str(resultRole)});
    }
    void references(const ProviderEnvironmentIFCRef& env, CIMInstanceResultHandlerIFC& result,
                    const String& ns, const CIMObjectPath& objectName, const String& resultClass,
                    const String& role, EIncludeQualifiersFlag includeQualifiers,
                    EIncludeClassOriginFlag includeClassOrigin,
                    const StringArray* propertyList) override
    {
        record("references", {Addr(env.get()), Addr(&result), Str(ns), Addr(&objectName),
                              Str(resultClass), Str(role), std::to_string(includeQualifiers),
                              std::to_string(includeClassOrigin), Addr(propertyList)});
    }
    void referenceNames(const ProviderEnvironmentIFCRef& env, CIMObjectPathResultHandlerIFC& result,
                        const String& ns, const CIMObjectPath& objectName,
                        const String& resultClass, const String& role) override
    {
        record("referenceNames", {Addr(env.get()), Addr(&result), Str(ns), Addr(&objectName),
                                  Str(resultClass), Str(role)});
    }

private:
    void record(const char* operation, std::vector<std::string> args)
    {
        gCalls.push_back(Call{m_name, operation, std::move(args)});
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

    // Runs `operation`; returns the CIM status it threw, or SUCCESS.
    CIMException::ErrNoType StatusOf(const std::function<void()>& operation)
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

    std::vector<std::string> InfoLines() { return logger->textsAt(E_INFO_LEVEL); }

    SoftwareUpdateProvider master;
    ProviderEnvironmentIFCRef env;
    String ns = String("root/cimv2");
    CIMClass cimClass = CIMClass("cimClass");
    CIMClass requestedClass = CIMClass("requested");
    StringArray properties;

private:
    SubProviderEntry m_saved[SUB_PROVIDER_SLOT_COUNT];
    std::vector<std::unique_ptr<RecordingSubProvider>> m_doubles;
};

CIMObjectPath InstancePath(const char* className)
{
    CIMObjectPath path(className, "root/cimv2");
    path.setKeyValue("InstanceID", CIMValue(String("0")));
    return path;
}

} // namespace

TEST_F(MasterProviderTest, InstanceOperationsReachTheOwnerWithTheirArguments)
{
    for (const Served& served : kServed)
    {
        SCOPED_TRACE(served.className);
        String className(served.className);
        CIMObjectPath path = InstancePath(served.className);
        CIMInstance instance(served.className);
        CIMInstance previous(served.className);
        CIMObjectPathArray names;
        CIMObjectPathArrayBuilder nameHandler(names);
        CIMInstanceArray instances;
        CIMInstanceArrayBuilder instanceHandler(instances);
        gCalls.clear();

        master.enumInstanceNames(env, ns, className, nameHandler, cimClass);
        master.enumInstances(env, ns, className, instanceHandler, E_LOCAL_ONLY, E_DEEP,
                             E_INCLUDE_QUALIFIERS, E_INCLUDE_CLASS_ORIGIN, &properties,
                             requestedClass, cimClass);
        CIMInstance got = master.getInstance(env, ns, path, E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                                             E_INCLUDE_CLASS_ORIGIN, nullptr, cimClass);
        CIMObjectPath created = master.createInstance(env, ns, instance);
        master.modifyInstance(env, ns, instance, previous, E_INCLUDE_QUALIFIERS, &properties,
                              cimClass);
        master.deleteInstance(env, ns, path);

        EXPECT_EQ(Str(got.getClassName()), served.provider) << "the sub-provider's result";
        EXPECT_EQ(Str(created.getClassName()), served.provider);
        std::string e = Addr(env.get());
        std::vector<Call> expected = {
            {served.provider,
             "enumInstanceNames",
             {e, "root/cimv2", served.className, Addr(&nameHandler), Addr(&cimClass)}},
            {served.provider,
             "enumInstances",
             {e, "root/cimv2", served.className, Addr(&instanceHandler), "1", "1", "1", "1",
              Addr(&properties), Addr(&requestedClass), Addr(&cimClass)}},
            {served.provider,
             "getInstance",
             {e, "root/cimv2", Addr(&path), "0", "0", "1", Addr(nullptr), Addr(&cimClass)}},
            {served.provider, "createInstance", {e, "root/cimv2", Addr(&instance)}},
            {served.provider,
             "modifyInstance",
             {e, "root/cimv2", Addr(&instance), Addr(&previous), "1", Addr(&properties),
              Addr(&cimClass)}},
            {served.provider, "deleteInstance", {e, "root/cimv2", Addr(&path)}},
        };
        ASSERT_EQ(gCalls.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
        {
            EXPECT_EQ(gCalls[i].provider, expected[i].provider);
            EXPECT_EQ(gCalls[i].operation, expected[i].operation);
            EXPECT_EQ(gCalls[i].args, expected[i].args) << expected[i].operation;
        }
    }
}

TEST_F(MasterProviderTest, MethodsReachTheOwnerExceptOnFileClasses)
{
    for (const Served& served : kServed)
    {
        SCOPED_TRACE(served.className);
        CIMObjectPath path = InstancePath(served.className);
        CIMParamValueArray in;
        CIMParamValueArray out;
        gCalls.clear();
        bool fileClass = std::string(served.provider).rfind("file", 0) == 0;
        CIMException::ErrNoType status = StatusOf(
            [&]
            {
                CIMValue result = master.invokeMethod(env, ns, path, "Apply", in, out);
                EXPECT_EQ(Str(result.toString()), served.provider);
            });
        if (fileClass)
        {
            EXPECT_EQ(status, CIMException::INVALID_CLASS);
            EXPECT_TRUE(gCalls.empty());
            continue;
        }
        EXPECT_EQ(status, CIMException::SUCCESS);
        ASSERT_EQ(gCalls.size(), 1u);
        EXPECT_EQ(gCalls[0].provider, served.provider);
        EXPECT_EQ(gCalls[0].args,
                  (std::vector<std::string>{Addr(env.get()), "root/cimv2", Addr(&path), "Apply",
                                            Addr(&in), Addr(&out)}));
    }
}

TEST_F(MasterProviderTest, UnservedClassesAreRefusedAfterTheirLogLines)
{
    for (const char* name : kRefusedNames)
    {
        SCOPED_TRACE(name);
        String className(name);
        CIMObjectPath path(name, "root/cimv2");
        CIMInstance instance(name);
        CIMObjectPathArray names;
        CIMObjectPathArrayBuilder nameHandler(names);
        CIMInstanceArray instances;
        CIMInstanceArrayBuilder instanceHandler(instances);
        CIMParamValueArray in;
        CIMParamValueArray out;
        gCalls.clear();
        logger->clear();

        EXPECT_EQ(
            StatusOf([&] { master.enumInstanceNames(env, ns, className, nameHandler, cimClass); }),
            CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf(
                      [&]
                      {
                          master.enumInstances(env, ns, className, instanceHandler,
                                               E_NOT_LOCAL_ONLY, E_SHALLOW, E_EXCLUDE_QUALIFIERS,
                                               E_EXCLUDE_CLASS_ORIGIN, nullptr, cimClass, cimClass);
                      }),
                  CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf(
                      [&]
                      {
                          master.getInstance(env, ns, path, E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                                             E_EXCLUDE_CLASS_ORIGIN, nullptr, cimClass);
                      }),
                  CIMException::INVALID_CLASS);
        testing::internal::CaptureStdout();
        EXPECT_EQ(StatusOf([&] { master.createInstance(env, ns, instance); }),
                  CIMException::INVALID_CLASS);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(StatusOf(
                      [&] {
                          master.modifyInstance(env, ns, instance, instance, E_EXCLUDE_QUALIFIERS,
                                                nullptr, cimClass);
                      }),
                  CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf([&] { master.deleteInstance(env, ns, path); }),
                  CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf([&] { master.invokeMethod(env, ns, path, "Apply", in, out); }),
                  CIMException::INVALID_CLASS);
        EXPECT_TRUE(gCalls.empty());
        EXPECT_EQ(InfoLines().size(), 13u) << "every call wrote its log lines first";
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
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder handler(names);
    CIMParamValueArray in;
    CIMParamValueArray out;

    EXPECT_EQ(StatusOf(
                  [&] {
                      master.enumInstanceNames(env, ns, String("ZVQ_SoftwareIdentity"), handler,
                                               cimClass);
                  }),
              CIMException::INVALID_CLASS);
    EXPECT_EQ(StatusOf(
                  [&]
                  {
                      master.invokeMethod(env, ns,
                                          InstancePath("ZVQ_ElementManagerCartridgeVersionInfo"),
                                          "X", in, out);
                  }),
              CIMException::INVALID_CLASS);
    EXPECT_EQ(StatusOf(
                  [&]
                  {
                      master.associatorNames(env, handler, ns, InstancePath("ZVQ_X"),
                                             "ZVQ_AvailableSoftwareFileList", "", "", "");
                  }),
              CIMException::INVALID_CLASS);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(InfoLines().front(), "ZVQ_SoftwareIdentity.enumInstanceNames()");

    // Initialise and clean up skip the empty slot; the others still run.
    master.initialize(env);
    master.cleanup();
    EXPECT_EQ(gCalls.size(), 6u);
    EXPECT_EQ(gCleanups, (std::vector<int>{0, 1, 2, 3, 5, 7}));
}

TEST_F(MasterProviderTest, AssociationOperationsRouteOnTheAssociationName)
{
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder instanceHandler(instances);
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder nameHandler(names);
    // The object path's own class is not looked at.
    CIMObjectPath path = InstancePath("ZVQ_AvailableSoftwareUpdate");
    const String assoc("ZVQ_AvailableSoftwareFileList");
    const String other("ZVQ_AvailableSoftwareFileName");
    std::string e = Addr(env.get());

    master.associators(env, instanceHandler, ns, path, assoc, other, "r", "rr",
                       E_INCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, &properties);
    master.associatorNames(env, nameHandler, ns, path, assoc, other, "r", "rr");
    master.references(env, instanceHandler, ns, path, assoc, "r", E_EXCLUDE_QUALIFIERS,
                      E_INCLUDE_CLASS_ORIGIN, nullptr);
    master.referenceNames(env, nameHandler, ns, path, assoc, "r");
    ASSERT_EQ(gCalls.size(), 4u);
    for (const Call& call : gCalls)
    {
        EXPECT_EQ(call.provider, "fileList");
    }
    EXPECT_EQ(gCalls[0].args, (std::vector<std::string>{e, Addr(&instanceHandler), "root/cimv2",
                                                        Addr(&path), Str(assoc), Str(other), "r",
                                                        "rr", "1", "0", Addr(&properties)}));
    EXPECT_EQ(gCalls[1].args,
              (std::vector<std::string>{e, Addr(&nameHandler), "root/cimv2", Addr(&path),
                                        Str(assoc), Str(other), "r", "rr"}));
    EXPECT_EQ(gCalls[2].args,
              (std::vector<std::string>{e, Addr(&instanceHandler), "root/cimv2", Addr(&path),
                                        Str(assoc), "r", "0", "1", Addr(nullptr)}));
    EXPECT_EQ(gCalls[3].args, (std::vector<std::string>{e, Addr(&nameHandler), "root/cimv2",
                                                        Addr(&path), Str(assoc), "r"}));

    // associators/associatorNames look at the association class, references/referenceNames
    // at the result class; anything else is refused.
    gCalls.clear();
    for (const char* refused :
         {"", "zvq_availablesoftwarefilelist", "ZVQ_AvailableSoftwareFileName"})
    {
        String name(refused);
        EXPECT_EQ(StatusOf(
                      [&]
                      {
                          master.associators(env, instanceHandler, ns, path, name, assoc, "", "",
                                             E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr);
                      }),
                  CIMException::INVALID_CLASS);
        EXPECT_EQ(
            StatusOf([&]
                     { master.associatorNames(env, nameHandler, ns, path, name, assoc, "", ""); }),
            CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf(
                      [&]
                      {
                          master.references(env, instanceHandler, ns, path, name, "",
                                            E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr);
                      }),
                  CIMException::INVALID_CLASS);
        EXPECT_EQ(StatusOf([&] { master.referenceNames(env, nameHandler, ns, path, name, ""); }),
                  CIMException::INVALID_CLASS);
    }
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(MasterProviderTest, CallLogLines)
{
    String hist("ZVQ_HistorySoftwareUpdate");
    CIMObjectPath path = InstancePath("ZVQ_HistorySoftwareUpdate");
    std::string pathText = Path(path);
    CIMInstance instance("ZVQ_HistorySoftwareUpdate");
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder nameHandler(names);
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder instanceHandler(instances);
    CIMParamValueArray in;
    CIMParamValueArray out;
    StringArray nameAndVersion;
    nameAndVersion.push_back("Name");
    nameAndVersion.push_back("Version");
    const String assoc("ZVQ_AvailableSoftwareFileList");

    master.enumInstanceNames(env, ns, hist, nameHandler, cimClass);
    master.enumInstances(env, ns, hist, instanceHandler, E_NOT_LOCAL_ONLY, E_DEEP,
                         E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr, cimClass, cimClass);
    master.enumInstances(env, ns, hist, instanceHandler, E_NOT_LOCAL_ONLY, E_DEEP,
                         E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, &nameAndVersion, cimClass,
                         cimClass);
    master.getInstance(env, ns, path, E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                       E_EXCLUDE_CLASS_ORIGIN, &properties, cimClass);
    master.modifyInstance(env, ns, instance, instance, E_EXCLUDE_QUALIFIERS, nullptr, cimClass);
    master.deleteInstance(env, ns, path);
    master.invokeMethod(env, ns, path, "Remove", in, out);
    master.associators(env, instanceHandler, ns, path, assoc, "R", "", "", E_EXCLUDE_QUALIFIERS,
                       E_EXCLUDE_CLASS_ORIGIN, nullptr);
    master.associatorNames(env, nameHandler, ns, path, assoc, "R", "", "");
    master.references(env, instanceHandler, ns, path, assoc, "", E_EXCLUDE_QUALIFIERS,
                      E_EXCLUDE_CLASS_ORIGIN, nullptr);
    master.referenceNames(env, nameHandler, ns, path, assoc, "");

    EXPECT_EQ(InfoLines(), (std::vector<std::string>{
                               "ZVQ_HistorySoftwareUpdate.enumInstanceNames()",
                               "ZVQ_HistorySoftwareUpdate.enumInstanes()",
                               "Property list not specified",
                               "ZVQ_HistorySoftwareUpdate.enumInstanes()",
                               "Property list: Name,Version",
                               "ZVQ_HistorySoftwareUpdate.getInstance()",
                               "ObjectPath=" + pathText,
                               "Property list: ",
                               "ZVQ_HistorySoftwareUpdate.modifyInstance()",
                               "Property list not specified",
                               "ZVQ_HistorySoftwareUpdate.deleteInstance()",
                               "Instance=" + pathText,
                               "ZVQ_HistorySoftwareUpdate.invokeMethod()",
                               "ZVQ_HistorySoftwareUpdate.Remove()",
                               "ObjectPath=" + pathText,
                               "ZVQ_AvailableSoftwareFileList.associator()",
                               "ObjectPath=" + pathText,
                               "ZVQ_AvailableSoftwareFileList.associatorNames()",
                               "ObjectPath=" + pathText,
                               "ZVQ_AvailableSoftwareFileList.references()",
                               "ObjectPath=" + pathText,
                               "ZVQ_AvailableSoftwareFileList.referenceNames()",
                               "ObjectPath=" + pathText,
                           }));
    EXPECT_TRUE(logger->textsAt(E_ERROR_LEVEL).empty());

    // createInstance prints its line on standard output whatever the switch, and logs nothing.
    logger->clear();
    testing::internal::CaptureStdout();
    master.createInstance(env, ns, instance);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ZVQ_HistorySoftwareUpdate.createInstance()\n");
    EXPECT_TRUE(logger->lines().empty());

    // With the debug switch on, the call lines are printed as well.
    gProviderAgentDebug = true;
    testing::internal::CaptureStdout();
    master.enumInstanceNames(env, ns, hist, nameHandler, cimClass);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ZVQ_HistorySoftwareUpdate.enumInstanceNames()\n");
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
    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder handler(names);
    try
    {
        master.enumInstanceNames(env, ns, String("ZVQ_SoftwareUpdateComponent"), handler, cimClass);
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

TEST_F(MasterProviderTest, InitializeReadsTheDebugSwitchAndInitialisesSevenSubProviders)
{
    gLogger = LoggerRef();
    master.initialize(env);
    EXPECT_FALSE(gProviderAgentDebug) << "unset";
    EXPECT_TRUE(gLogger.get() == logger) << "the logger comes from the environment";

    std::vector<Call> expected;
    for (const char* name :
         {"applied", "pending", "avaliable", "active", "inventory", "fileName", "component"})
    {
        expected.push_back(Call{name, "initialize", {Addr(env.get())}});
    }
    ASSERT_EQ(gCalls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(gCalls[i].provider, expected[i].provider);
        EXPECT_EQ(gCalls[i].args, expected[i].args);
    }

    for (const char* off : {"0", "abc", "", " 0", "0x10", "-0"})
    {
        setenv(kDebugEnvironmentVariable, off, 1);
        gProviderAgentDebug = true;
        master.initialize(env);
        EXPECT_FALSE(gProviderAgentDebug) << '"' << off << '"';
    }
    for (const char* on : {"1", "2", "-1", " 3", "7abc", "99999999999"})
    {
        setenv(kDebugEnvironmentVariable, on, 1);
        gProviderAgentDebug = false;
        master.initialize(env);
        EXPECT_TRUE(gProviderAgentDebug) << '"' << on << '"';
    }
}

TEST_F(MasterProviderTest, CleanupRunsInInitialiseOrder)
{
    master.cleanup();
    EXPECT_EQ(gCleanups, (std::vector<int>{0, 1, 2, 3, 4, 5, 7}));
    EXPECT_TRUE(gCalls.empty());
}
