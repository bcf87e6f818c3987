// Test helpers shared by the installed-software provider tests: a fixture with a provider
// environment, the instance operations with their results collected, and small readers of
// paths, instances and failures.
// Thread-safety: the helpers keep no state of their own; a fixture serves one test at a time.
#ifndef SWU_INSTALLED_INSTALLEDTESTSUPPORT_H
#define SWU_INSTALLED_INSTALLEDTESTSUPPORT_H

#include "testsupport/ScriptedRunner.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_ResultHandlers.hpp"

#include <functional>
#include <set>
#include <string>
#include <vector>

const char kTestNamespace[] = "root/cimv2";

// Listings this long number their lines past what 16 bits can count.
const size_t kLinesPastSixteenBits = 65537;

class InstalledProviderTest : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        env = OpenWBEM::ProviderEnvironmentIFCRef(new TestEnvironment(OpenWBEM::LoggerRef(logger)));
    }

    std::vector<OpenWBEM::CIMObjectPath> EnumNames(OpenWBEM::CppInstanceProviderIFC& provider,
                                                   const char* className)
    {
        OpenWBEM::CIMObjectPathArray paths;
        OpenWBEM::CIMObjectPathArrayBuilder builder(paths);
        provider.enumInstanceNames(env, kTestNamespace, className, builder,
                                   OpenWBEM::CIMClass(className));
        return std::vector<OpenWBEM::CIMObjectPath>(paths.begin(), paths.end());
    }

    std::vector<OpenWBEM::CIMInstance> Enum(OpenWBEM::CppInstanceProviderIFC& provider,
                                            const char* className,
                                            const OpenWBEM::StringArray* propertyList = nullptr)
    {
        using namespace OpenWBEM::WBEMFlags;
        OpenWBEM::CIMInstanceArray instances;
        OpenWBEM::CIMInstanceArrayBuilder builder(instances);
        OpenWBEM::CIMClass cimClass(className);
        provider.enumInstances(env, kTestNamespace, className, builder, E_NOT_LOCAL_ONLY, E_DEEP,
                               E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, propertyList, cimClass,
                               cimClass);
        return std::vector<OpenWBEM::CIMInstance>(instances.begin(), instances.end());
    }

    OpenWBEM::CIMInstance Get(OpenWBEM::CppInstanceProviderIFC& provider,
                              const OpenWBEM::CIMObjectPath& path,
                              const OpenWBEM::StringArray* propertyList = nullptr)
    {
        using namespace OpenWBEM::WBEMFlags;
        return provider.getInstance(env, kTestNamespace, path, E_NOT_LOCAL_ONLY,
                                    E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, propertyList,
                                    OpenWBEM::CIMClass(path.getClassName()));
    }

    OpenWBEM::ProviderEnvironmentIFCRef env;
};

// A path of the class with the single string key `keyName` = `value`.
inline OpenWBEM::CIMObjectPath KeyedPath(const char* className, const std::string& value,
                                         const char* keyName = "InstanceID")
{
    OpenWBEM::CIMObjectPath path(className, kTestNamespace);
    path.setKeyValue(keyName, OpenWBEM::CIMValue(OpenWBEM::String(value.c_str())));
    return path;
}

inline std::string KeyText(const OpenWBEM::CIMObjectPath& path, const char* keyName = "InstanceID")
{
    return path.getKeyValue(keyName).toString().c_str();
}

// The property's value in text form; "<absent>" when the instance has no such property.
inline std::string Text(const OpenWBEM::CIMInstance& instance, const char* name)
{
    OpenWBEM::CIMProperty property = instance.getProperty(name);
    return property ? property.getValue().toString().c_str() : "<absent>";
}

// A listing line of the given fields, tab-separated and ended by a newline.
inline std::string Line(const std::vector<std::string>& fields)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i)
    {
        line += (i == 0 ? "" : "\t") + fields[i];
    }
    return line + "\n";
}

// `count` lines, line i made by `line(i)`.
inline std::string Lines(size_t count, const std::function<std::string(size_t)>& line)
{
    std::string output;
    for (size_t i = 0; i < count; ++i)
    {
        output += line(i);
    }
    return output;
}

// The distinct InstanceIDs of a process-wide list, read under its lock.
template <class Lock, class List> std::set<std::string> InstanceIDsOf(const List& list)
{
    Lock lock;
    std::set<std::string> ids;
    for (size_t i = 0; i < list.size(); ++i)
    {
        ids.insert(list[i].getInstanceID().c_str());
    }
    return ids;
}

// The CIM status a call fails with, or -1 when it does not fail.
inline int StatusOf(const std::function<void()>& call, std::string* message = nullptr)
{
    try
    {
        call();
    }
    catch (const OpenWBEM::CIMException& e)
    {
        if (message != nullptr)
        {
            *message = e.getMessage();
        }
        return e.getErrNo();
    }
    return -1;
}

#endif
