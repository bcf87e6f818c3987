// Loads the skeleton provider library the way the CIMOM does (dlopen, factory, initialize) and
// drives it through the provider interfaces, including the library's default enumInstances.
// The version check of the loading protocol is proven on the real provider library.
#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"
#include "OW_OperationContext.hpp"
#include "OW_ResultHandlers.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

#ifndef SKELETON_PROVIDER_PATH
#error "SKELETON_PROVIDER_PATH must name the skeleton provider library"
#endif

using namespace OpenWBEM;

namespace
{

typedef CppProviderBaseIFC* (*FactoryFunc)();

const char* const NS = "root/skel";

class RecordingLogger : public Logger
{
public:
    RecordingLogger() : Logger(E_INFO_LEVEL) {}
    mutable std::vector<std::string> lines;

protected:
    void doLogMessage(const String& message, const ELogLevel) const override
    {
        lines.push_back(message.c_str());
    }
};

// The CIMOM side of a call, with every entry a provider may reach.
class TestEnvironment : public ProviderEnvironmentIFC
{
public:
    explicit TestEnvironment(const LoggerRef& logger) : m_logger(logger) {}

    std::map<std::string, std::string> config;
    mutable std::vector<std::string> configQueries;

    CIMOMHandleIFCRef getCIMOMHandle() const override { return CIMOMHandleIFCRef(); }
    CIMOMHandleIFCRef getRepositoryCIMOMHandle() const override { return CIMOMHandleIFCRef(); }
    RepositoryIFCRef getRepository() const override { return RepositoryIFCRef(); }
    LoggerRef getLogger() const override { return m_logger; }
    String getConfigItem(const String& name, const String& defRetVal) const override
    {
        configQueries.push_back(name.c_str());
        std::map<std::string, std::string>::const_iterator it = config.find(name.c_str());
        return it == config.end() ? defRetVal : String(it->second.c_str());
    }
    String getUserName() const override { return "alice"; }
    OperationContext& getOperationContext() override { return m_context; }

private:
    LoggerRef m_logger;
    OperationContext m_context;
};

void* skeletonLibrary()
{
    static void* handle = dlopen(SKELETON_PROVIDER_PATH, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <class F> F lookup(const char* symbol)
{
    void* lib = skeletonLibrary();
    return lib ? reinterpret_cast<F>(dlsym(lib, symbol)) : 0;
}

class SkeletonProviderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skeletonLibrary() != 0) << dlerror();
        FactoryFunc create = lookup<FactoryFunc>("createProviderSkeleton");
        ASSERT_TRUE(create != 0);
        provider = Reference<CppProviderBaseIFC>(create());
        logger = new RecordingLogger;
        environment = new TestEnvironment(LoggerRef(logger));
        env = ProviderEnvironmentIFCRef(environment);
    }

    void initializeWith(const char* widgetCount)
    {
        environment->config["skeleton.widget_count"] = widgetCount;
        provider->initialize(env);
    }

    CIMInstanceArray enumerate(WBEMFlags::ELocalOnlyFlag localOnly,
                               WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                               WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                               const StringArray* propertyList)
    {
        CIMInstanceArray out;
        CIMInstanceArrayBuilder builder(out);
        provider->getInstanceProvider()->enumInstances(
            env, NS, "Skel_Widget", builder, localOnly, WBEMFlags::E_DEEP, includeQualifiers,
            includeClassOrigin, propertyList, CIMClass("Skel_Requested"), CIMClass("Skel_Widget"));
        return out;
    }

    Reference<CppProviderBaseIFC> provider;
    RecordingLogger* logger;
    TestEnvironment* environment;
    ProviderEnvironmentIFCRef env;
};

UInt32 seen(const CIMInstance& inst, const char* flag)
{
    return inst.getPropertyValue(flag).toUInt32();
}

// The CIM status code of the CIMException f raises, or -1 when it raises none.
template <class F> int errNo(F f)
{
    try
    {
        f();
    }
    catch (const CIMException& e)
    {
        return e.getErrNo();
    }
    return -1;
}

} // namespace

TEST(FactoryMacros, ExpandToTheVersionAndFactoryEntryPoints)
{
#define OW_TEST_STR(...) #__VA_ARGS__
#define OW_TEST_EXPANDED(...) OW_TEST_STR(__VA_ARGS__)
    const std::string named = OW_TEST_EXPANDED(OW_PROVIDERFACTORY(MyProv, Widget));
    EXPECT_NE(std::string::npos, named.find("extern \"C\" const char* getOWVersion()"));
    EXPECT_NE(std::string::npos, named.find("return \"3.0.3\""));
    EXPECT_NE(std::string::npos,
              named.find("extern \"C\" OpenWBEM::CppProviderBaseIFC* createProviderWidget()"));
    EXPECT_NE(std::string::npos, named.find("return new MyProv"));

    const std::string noidNamed = OW_TEST_EXPANDED(OW_PROVIDERFACTORY_NOID(MyProv, Widget));
    EXPECT_NE(std::string::npos, noidNamed.find("createProviderNO_ID()"));
    EXPECT_EQ(std::string::npos, noidNamed.find("Widget"));
    EXPECT_NE(std::string::npos, noidNamed.find("getOWVersion"));

    const std::string noid = OW_TEST_EXPANDED(OW_NOIDPROVIDERFACTORY(MyProv));
    EXPECT_EQ(noidNamed, noid);
#undef OW_TEST_EXPANDED
#undef OW_TEST_STR
}

TEST_F(SkeletonProviderTest, CombinedProviderAnswersForEveryKindItImplements)
{
    CppInstanceProviderIFC* inst = provider->getInstanceProvider();
    CppMethodProviderIFC* meth = provider->getMethodProvider();
    CppAssociatorProviderIFC* assoc = provider->getAssociatorProvider();
    ASSERT_TRUE(inst != 0);
    ASSERT_TRUE(meth != 0);
    ASSERT_TRUE(assoc != 0);
    // All three views are the one object, sharing the single virtual base.
    EXPECT_EQ(dynamic_cast<void*>(provider.getPtr()), dynamic_cast<void*>(inst));
    EXPECT_EQ(dynamic_cast<void*>(provider.getPtr()), dynamic_cast<void*>(meth));
    EXPECT_EQ(static_cast<CppInstanceProviderIFC*>(assoc), inst);
    EXPECT_TRUE(provider->getSecondaryInstanceProvider() == 0);
    EXPECT_TRUE(provider->getIndicationExportProvider() == 0);
    EXPECT_TRUE(provider->getPolledProvider() == 0);
    EXPECT_TRUE(provider->getIndicationProvider() == 0);
    EXPECT_FALSE(provider->canUnload());

    // CIMOM bookkeeping starts at the epoch and not persistent.
    EXPECT_FALSE(provider->getPersist());
    provider->setPersist();
    EXPECT_TRUE(provider->getPersist());
    EXPECT_EQ(time_t(0), provider->getLastAccessTime().get());
    time_t before = std::time(0);
    provider->updateAccessTime();
    EXPECT_GE(provider->getLastAccessTime().get(), before);
    EXPECT_LE(provider->getLastAccessTime().get(), std::time(0));

    InstanceProviderInfo instInfo;
    inst->getInstanceProviderInfo(instInfo);
    EXPECT_EQ(String("skeleton"), instInfo.getProviderName());
    ASSERT_EQ(1u, instInfo.getClassInfo().size());
    EXPECT_EQ(String("Skel_Widget"), instInfo.getClassInfo()[0].className);
    EXPECT_TRUE(instInfo.getClassInfo()[0].namespaces.empty());

    MethodProviderInfo methInfo;
    meth->getMethodProviderInfo(methInfo);
    ASSERT_EQ(1u, methInfo.getClassInfo().size());
    EXPECT_EQ(String("root/skel"), methInfo.getClassInfo()[0].namespaces[0]);
    EXPECT_EQ(String("Double"), methInfo.getClassInfo()[0].methods[0]);

    AssociatorProviderInfo assocInfo;
    assoc->getAssociatorProviderInfo(assocInfo);
    ASSERT_EQ(1u, assocInfo.getClassInfo().size());
    EXPECT_EQ(String("Skel_WidgetLink"), assocInfo.getClassInfo()[0].className);
}

TEST_F(SkeletonProviderTest, InitializeReadsLoggerConfigurationAndUser)
{
    initializeWith("2");
    ASSERT_EQ(1u, environment->configQueries.size());
    EXPECT_EQ("skeleton.widget_count", environment->configQueries[0]);
    // Info reaches the logger, debug is filtered out at the logger's info level.
    ASSERT_EQ(1u, logger->lines.size());
    EXPECT_EQ("skeleton provider serves 2 widgets for alice", logger->lines[0]);
}

TEST_F(SkeletonProviderTest, DefaultEnumInstancesFetchesEveryNamedInstance)
{
    initializeWith("3");
    StringArray onlyName;
    onlyName.push_back("Name");
    CIMInstanceArray got = enumerate(WBEMFlags::E_LOCAL_ONLY, WBEMFlags::E_INCLUDE_QUALIFIERS,
                                     WBEMFlags::E_INCLUDE_CLASS_ORIGIN, &onlyName);
    ASSERT_EQ(3u, got.size());
    for (UInt32 i = 0; i < 3; ++i)
    {
        EXPECT_EQ(String("Skel_Widget"), got[i].getClassName());
        EXPECT_EQ(String("w") + String(i), got[i].getPropertyValue("Name").toString());
        EXPECT_FALSE(got[i].getProperty("Size")) << "property list not passed on";
        EXPECT_EQ(String(NS), got[i].getPropertyValue("SeenNamespace").toString());
        EXPECT_EQ(1u, seen(got[i], "SeenLocalOnly"));
        EXPECT_EQ(1u, seen(got[i], "SeenIncludeQualifiers"));
        EXPECT_EQ(1u, seen(got[i], "SeenIncludeClassOrigin"));
    }

    got = enumerate(WBEMFlags::E_NOT_LOCAL_ONLY, WBEMFlags::E_EXCLUDE_QUALIFIERS,
                    WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0);
    ASSERT_EQ(3u, got.size());
    EXPECT_EQ(2u, got[2].getPropertyValue("Size").toUInt32());
    EXPECT_EQ(0u, seen(got[2], "SeenLocalOnly"));
    EXPECT_EQ(0u, seen(got[2], "SeenIncludeQualifiers"));
    EXPECT_EQ(0u, seen(got[2], "SeenIncludeClassOrigin"));

    // A non-null empty list asks for no properties beyond what the provider always sets.
    StringArray none;
    got = enumerate(WBEMFlags::E_NOT_LOCAL_ONLY, WBEMFlags::E_EXCLUDE_QUALIFIERS,
                    WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, &none);
    ASSERT_EQ(3u, got.size());
    EXPECT_FALSE(got[0].getProperty("Size"));

    initializeWith("0");
    EXPECT_EQ(0u, enumerate(WBEMFlags::E_NOT_LOCAL_ONLY, WBEMFlags::E_EXCLUDE_QUALIFIERS,
                            WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0)
                      .size());
}

TEST_F(SkeletonProviderTest, ProviderErrorsReachTheCallerAsCIMExceptions)
{
    initializeWith("1");
    CppInstanceProviderIFC* inst = provider->getInstanceProvider();
    CIMObjectPath missing("Skel_Widget", NS);
    missing.setKeyValue("Name", CIMValue(String("w7")));
    const CIMInstance widget("Skel_Widget");
    const CIMClass widgetClass("Skel_Widget");
    EXPECT_EQ(CIMException::NOT_FOUND,
              errNo(
                  [&]
                  {
                      inst->getInstance(env, NS, missing, WBEMFlags::E_NOT_LOCAL_ONLY,
                                        WBEMFlags::E_EXCLUDE_QUALIFIERS,
                                        WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0, widgetClass);
                  }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED, errNo([&] { inst->createInstance(env, NS, widget); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED, errNo([&] { inst->deleteInstance(env, NS, missing); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              errNo(
                  [&]
                  {
                      inst->modifyInstance(env, NS, widget, widget, WBEMFlags::E_EXCLUDE_QUALIFIERS,
                                           0, widgetClass);
                  }));

    CppMethodProviderIFC* meth = provider->getMethodProvider();
    CIMParamValueArray in;
    in.push_back(CIMParamValue("x", CIMValue(UInt32(21))));
    CIMParamValueArray out;
    CIMValue rv = meth->invokeMethod(env, NS, missing, "Double", in, out);
    EXPECT_EQ(42u, rv.toUInt32());
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(String("result"), out[0].getName());
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND,
              errNo([&] { meth->invokeMethod(env, NS, missing, "Triple", in, out); }));
}

TEST_F(SkeletonProviderTest, AssociationTraversalUsesEnvThenHandlerThenNamespace)
{
    initializeWith("2");
    CppAssociatorProviderIFC* assoc = provider->getAssociatorProvider();
    CIMObjectPath w1("Skel_Widget", NS);
    w1.setKeyValue("Name", CIMValue(String("w1")));

    CIMObjectPathArray names;
    CIMObjectPathArrayBuilder nameSink(names);
    assoc->associatorNames(env, nameSink, NS, w1, "", "", "", "");
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(String("/root/skel:Skel_Widget.Name=\"w0\""), names[0].toString());

    CIMInstanceArray instances;
    CIMInstanceArrayBuilder instanceSink(instances);
    assoc->associators(env, instanceSink, NS, w1, "", "", "", "", WBEMFlags::E_EXCLUDE_QUALIFIERS,
                       WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0);
    ASSERT_EQ(1u, instances.size());
    EXPECT_EQ(String("w0"), instances[0].getPropertyValue("Name").toString());

    instances.clear();
    assoc->references(env, instanceSink, NS, w1, "", "", WBEMFlags::E_EXCLUDE_QUALIFIERS,
                      WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0);
    ASSERT_EQ(1u, instances.size());
    EXPECT_EQ(String("Skel_WidgetLink"), instances[0].getClassName());
    EXPECT_EQ(w1, instances[0].getPropertyValue("Dependent").toCIMObjectPath());

    names.clear();
    assoc->referenceNames(env, nameSink, NS, w1, "", "");
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(String("Skel_WidgetLink"), names[0].getClassName());
}

TEST(SingleInterfaceProviders, AnswerOnlyForTheirOwnKind)
{
    FactoryFunc makeInstanceOnly = lookup<FactoryFunc>("createSkeletonInstanceOnly");
    FactoryFunc makeMethodOnly = lookup<FactoryFunc>("createSkeletonMethodOnly");
    ASSERT_TRUE(makeInstanceOnly != 0);
    ASSERT_TRUE(makeMethodOnly != 0);

    Reference<CppProviderBaseIFC> instanceOnly(makeInstanceOnly());
    EXPECT_TRUE(instanceOnly->getInstanceProvider() != 0);
    EXPECT_TRUE(instanceOnly->getMethodProvider() == 0);
    EXPECT_TRUE(instanceOnly->getAssociatorProvider() == 0);
    EXPECT_TRUE(instanceOnly->canUnload());
    // Its own enumInstances replaces the default.
    CIMInstanceArray got;
    CIMInstanceArrayBuilder sink(got);
    ProviderEnvironmentIFCRef noEnv;
    instanceOnly->getInstanceProvider()->enumInstances(
        noEnv, NS, "Skel_Widget", sink, WBEMFlags::E_NOT_LOCAL_ONLY, WBEMFlags::E_SHALLOW,
        WBEMFlags::E_EXCLUDE_QUALIFIERS, WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, 0,
        CIMClass("Skel_Widget"), CIMClass("Skel_Widget"));
    ASSERT_EQ(1u, got.size());
    // Info defaults leave the registration empty.
    MethodProviderInfo methInfo;
    Reference<CppProviderBaseIFC> methodOnly(makeMethodOnly());
    ASSERT_TRUE(methodOnly->getMethodProvider() != 0);
    methodOnly->getMethodProvider()->getMethodProviderInfo(methInfo);
    EXPECT_TRUE(methInfo.getClassInfo().empty());
    EXPECT_TRUE(methodOnly->getInstanceProvider() == 0);
    EXPECT_TRUE(methodOnly->getAssociatorProvider() == 0);
}

namespace
{

bool gTrackedAlive = false;
bool gAliveWhenLibraryReleased = false;
int gLibrariesReleased = 0;

class TrackedProvider : public CppMethodProviderIFC
{
public:
    TrackedProvider() { gTrackedAlive = true; }
    ~TrackedProvider() override { gTrackedAlive = false; }
    CIMValue invokeMethod(const ProviderEnvironmentIFCRef&, const String&, const CIMObjectPath&,
                          const String&, const CIMParamValueArray&, CIMParamValueArray&) override
    {
        return CIMValue(CIMNULL);
    }
};

class TrackingLibrary : public SharedLibrary
{
public:
    ~TrackingLibrary() override
    {
        gAliveWhenLibraryReleased = gTrackedAlive;
        ++gLibrariesReleased;
    }
};

} // namespace

TEST(SharedLibraryReference, ReleasesTheObjectBeforeItsLibrary)
{
    gLibrariesReleased = 0;
    {
        CppMethodProviderIFCRef ref(SharedLibraryRef(new TrackingLibrary),
                                    Reference<CppMethodProviderIFC>(new TrackedProvider));
        EXPECT_TRUE(ref);
        EXPECT_FALSE(!ref);
        EXPECT_TRUE(ref->getMethodProvider() != 0);
        EXPECT_TRUE(ref.getLibRef());
        CppMethodProviderIFCRef copy(ref);
        EXPECT_EQ(ref.get().getPtr(), copy.get().getPtr());
    }
    EXPECT_EQ(1, gLibrariesReleased);
    EXPECT_FALSE(gAliveWhenLibraryReleased);

    // Overwriting the last holder must not unload the library under its live object.
    CppMethodProviderIFCRef holder(SharedLibraryRef(new TrackingLibrary),
                                   Reference<CppMethodProviderIFC>(new TrackedProvider));
    holder = CppMethodProviderIFCRef();
    EXPECT_EQ(2, gLibrariesReleased);
    EXPECT_FALSE(gAliveWhenLibraryReleased);
    EXPECT_TRUE(holder.isNull());
    EXPECT_FALSE(holder);

    holder = CppMethodProviderIFCRef(SharedLibraryRef(new TrackingLibrary),
                                     Reference<CppMethodProviderIFC>(new TrackedProvider));
    holder.setNull();
    EXPECT_EQ(3, gLibrariesReleased);
    EXPECT_FALSE(gAliveWhenLibraryReleased);
}
