// Test double for the dispatcher tests: an instance, associator and method provider whose
// answers the test scripts and which records every call it receives, registered in-process
// with the provider manager. Also the fixture that wires it to a CimService over a small
// class model.
// Thread-safety: the record is guarded by a mutex; scripts are set before requests run.
#pragma once

#include "cim/service.h"
#include "cim_test_support.h"
#include "logger.h"
#include "provider_manager.h"
#include "repository.h"

#include "OW_config.h"
#include "OW_Bool.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cimom::test
{

inline const char kTestMof[] = R"(
[Description("Base"), Provider("c++::Scripted")]
class Test_Base
{
    [Key] string Name;
    uint16 Size;
    string Color = "blue";
    boolean Flag;
    uint32 Compute([IN, Required] uint16 A, [IN] string B, [IN, OUT] uint32 C,
                   [IN(false), OUT] string D, [IN] datetime E, [IN] boolean F);
};
[Provider("c++::Scripted")]
class Test_Derived : Test_Base
{
    string Extra;
};
[Abstract, Provider("c++::Scripted")]
class Test_Abstract
{
    [Key] string Id;
};
[Provider("c++::Scripted")]
class Test_Keys
{
    [Key] uint16 Num;
    [Key] boolean On;
    [Key] datetime At;
};
[Association, Provider("c++::Scripted")]
class Test_Link
{
    [Key] Test_Base REF Left;
    [Key] Test_Keys REF Right;
};
[Provider("c++::Scripted")]
class Test_Lonely
{
    [Key] string Id;
};
class Test_NoProvider
{
    [Key] string Id;
};
)";

inline std::string text(const OpenWBEM::String& s)
{
    return std::string(s.c_str(), s.length());
}

inline OpenWBEM::CIMInstance baseInstance(const std::string& name)
{
    OpenWBEM::CIMInstance instance("Test_Base");
    OpenWBEM::CIMProperty key("Name", OpenWBEM::CIMValue(OpenWBEM::String(name.c_str())));
    key.addQualifier(OpenWBEM::CIMQualifier::createKeyQualifier());
    instance.setProperty(key);
    instance.setProperty("Size", OpenWBEM::CIMValue(OpenWBEM::UInt16(1)));
    return instance;
}

// What the provider saw, and what it is to answer.
struct Script
{
    std::mutex mutex;
    std::vector<std::string> calls; // "<operation> <class or path>"
    std::string lastUser;
    std::string lastConfigItem;
    int initializeCalls = 0;
    OpenWBEM::CIMObjectPath lastPath{OpenWBEM::CIMNULL};
    OpenWBEM::CIMInstance lastInstance{OpenWBEM::CIMNULL};
    OpenWBEM::CIMInstance lastPrevious{OpenWBEM::CIMNULL};
    std::string lastAssocArgument; // assocClass, or resultClass for references
    OpenWBEM::CIMParamValueArray lastIn;
    OpenWBEM::CIMParamValueArray outAtCall;

    // Defaults: every instance exists (Test_Base ones built from the path's key).
    std::function<OpenWBEM::CIMInstance(const OpenWBEM::CIMObjectPath&)> getInstance =
        [](const OpenWBEM::CIMObjectPath& path)
    {
        OpenWBEM::CIMInstance instance = baseInstance(text(path.getKeyValue("Name").toString()));
        instance.setClassName(path.getClassName());
        return instance;
    };
    std::function<void(OpenWBEM::CIMInstanceResultHandlerIFC&, const std::string&)> enumerate =
        [](OpenWBEM::CIMInstanceResultHandlerIFC& result, const std::string& cls)
    {
        OpenWBEM::CIMInstance instance = baseInstance("one");
        instance.setClassName(cls.c_str());
        result.handle(instance);
    };
    bool createNamesNothing = false; // createInstance returns a null path
    std::function<OpenWBEM::CIMValue(const OpenWBEM::CIMParamValueArray&,
                                     OpenWBEM::CIMParamValueArray&)>
        invoke = [](const OpenWBEM::CIMParamValueArray&, OpenWBEM::CIMParamValueArray&)
    { return OpenWBEM::CIMValue(OpenWBEM::UInt32(42)); };

    void record(const std::string& call)
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
    }
};

class ScriptedProvider : public OpenWBEM::CppAssociatorProviderIFC,
                         public OpenWBEM::CppMethodProviderIFC
{
public:
    explicit ScriptedProvider(Script& script) : s_(script) {}

    void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env) override
    {
        ++s_.initializeCalls;
        s_.lastConfigItem = text(env->getConfigItem("vk.em_filename", "unset"));
    }

    void enumInstanceNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                           const OpenWBEM::String& ns, const OpenWBEM::String& className,
                           OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                           const OpenWBEM::CIMClass&) override
    {
        seen(env, "enumInstanceNames " + text(className));
        OpenWBEM::CIMInstance instance = baseInstance("one");
        instance.setClassName(className);
        result.handle(OpenWBEM::CIMObjectPath(ns, instance));
    }

    void enumInstances(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String&,
                       const OpenWBEM::String& className,
                       OpenWBEM::CIMInstanceResultHandlerIFC& result,
                       OpenWBEM::WBEMFlags::ELocalOnlyFlag, OpenWBEM::WBEMFlags::EDeepFlag,
                       OpenWBEM::WBEMFlags::EIncludeQualifiersFlag,
                       OpenWBEM::WBEMFlags::EIncludeClassOriginFlag, const OpenWBEM::StringArray*,
                       const OpenWBEM::CIMClass&, const OpenWBEM::CIMClass&) override
    {
        seen(env, "enumInstances " + text(className));
        s_.enumerate(result, text(className));
    }

    OpenWBEM::CIMInstance getInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                      const OpenWBEM::String&, const OpenWBEM::CIMObjectPath& path,
                                      OpenWBEM::WBEMFlags::ELocalOnlyFlag,
                                      OpenWBEM::WBEMFlags::EIncludeQualifiersFlag,
                                      OpenWBEM::WBEMFlags::EIncludeClassOriginFlag,
                                      const OpenWBEM::StringArray*,
                                      const OpenWBEM::CIMClass&) override
    {
        seen(env, "getInstance " + text(path.toString()));
        s_.lastPath = path;
        return s_.getInstance(path);
    }

    OpenWBEM::CIMObjectPath createInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                           const OpenWBEM::String& ns,
                                           const OpenWBEM::CIMInstance& instance) override
    {
        seen(env, "createInstance " + text(instance.getClassName()));
        s_.lastInstance = instance;
        return s_.createNamesNothing ? OpenWBEM::CIMObjectPath(OpenWBEM::CIMNULL)
                                     : OpenWBEM::CIMObjectPath(ns, instance);
    }

    void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String&,
                        const OpenWBEM::CIMInstance& modified,
                        const OpenWBEM::CIMInstance& previous,
                        OpenWBEM::WBEMFlags::EIncludeQualifiersFlag, const OpenWBEM::StringArray*,
                        const OpenWBEM::CIMClass&) override
    {
        seen(env, "modifyInstance " + text(modified.getClassName()));
        s_.lastInstance = modified;
        s_.lastPrevious = previous;
    }

    void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String&,
                        const OpenWBEM::CIMObjectPath& path) override
    {
        seen(env, "deleteInstance " + text(path.toString()));
    }

    void associators(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                     OpenWBEM::CIMInstanceResultHandlerIFC& result, const OpenWBEM::String&,
                     const OpenWBEM::CIMObjectPath& objectName, const OpenWBEM::String& assocClass,
                     const OpenWBEM::String&, const OpenWBEM::String&, const OpenWBEM::String&,
                     OpenWBEM::WBEMFlags::EIncludeQualifiersFlag,
                     OpenWBEM::WBEMFlags::EIncludeClassOriginFlag,
                     const OpenWBEM::StringArray*) override
    {
        seen(env, "associators " + text(objectName.toString()));
        s_.lastAssocArgument = text(assocClass);
        result.handle(baseInstance("linked"));
    }

    void associatorNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                         OpenWBEM::CIMObjectPathResultHandlerIFC& result, const OpenWBEM::String&,
                         const OpenWBEM::CIMObjectPath& objectName,
                         const OpenWBEM::String& assocClass, const OpenWBEM::String&,
                         const OpenWBEM::String&, const OpenWBEM::String&) override
    {
        seen(env, "associatorNames " + text(objectName.toString()));
        s_.lastAssocArgument = text(assocClass);
        result.handle(OpenWBEM::CIMObjectPath("", baseInstance("linked")));
    }

    void references(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                    OpenWBEM::CIMInstanceResultHandlerIFC&, const OpenWBEM::String&,
                    const OpenWBEM::CIMObjectPath& objectName, const OpenWBEM::String& resultClass,
                    const OpenWBEM::String&, OpenWBEM::WBEMFlags::EIncludeQualifiersFlag,
                    OpenWBEM::WBEMFlags::EIncludeClassOriginFlag,
                    const OpenWBEM::StringArray*) override
    {
        seen(env, "references " + text(objectName.toString()));
        s_.lastAssocArgument = text(resultClass);
    }

    void referenceNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                        OpenWBEM::CIMObjectPathResultHandlerIFC&, const OpenWBEM::String&,
                        const OpenWBEM::CIMObjectPath& objectName,
                        const OpenWBEM::String& resultClass, const OpenWBEM::String&) override
    {
        seen(env, "referenceNames " + text(objectName.toString()));
        s_.lastAssocArgument = text(resultClass);
    }

    OpenWBEM::CIMValue invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                    const OpenWBEM::String&, const OpenWBEM::CIMObjectPath& path,
                                    const OpenWBEM::String& method,
                                    const OpenWBEM::CIMParamValueArray& in,
                                    OpenWBEM::CIMParamValueArray& out) override
    {
        seen(env, "invokeMethod " + text(method) + " " + text(path.toString()));
        s_.lastIn = in;
        s_.outAtCall = out;
        return s_.invoke(in, out);
    }

private:
    void seen(const OpenWBEM::ProviderEnvironmentIFCRef& env, const std::string& call)
    {
        s_.lastUser = text(env->getUserName());
        s_.record(call);
    }

    Script& s_;
};

// A CimService over the test classes with the scripted provider registered as "Scripted".
class DispatcherTest : public ::testing::Test
{
protected:
    DispatcherTest()
        : providers_({{"vk.em_filename", "/var/tmp/em.xml"}},
                     DaemonLogger::toStderr(OpenWBEM::E_FATAL_ERROR_LEVEL)),
          service_(repository_, providers_,
                   [this](const AuditRecord& record) { audits_.push_back(record); })
    {
        repository_.loadMofText(kTestMof, "test.mof");
        providers_.registerProvider("Scripted", std::make_unique<ScriptedProvider>(script_));
    }

    Answer run(const CimRequest& request) { return Answer(service_.handle(request)); }

    Script script_;
    Repository repository_;
    ProviderManager providers_;
    std::vector<AuditRecord> audits_;
    CimService service_;
};

inline std::string baseName(const std::string& name)
{
    return instanceName("Test_Base", keyBinding("Name", name));
}

} // namespace cimom::test
