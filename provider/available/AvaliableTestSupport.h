// Test helpers shared by the available-update tests: a fixture that starts from the placeholder
// list, cache lines, listing the cache, and calling methods on the available-update class.
// Thread-safety: the helpers keep no state of their own; a fixture serves one test at a time.
#ifndef SWU_AVAILABLE_AVALIABLETESTSUPPORT_H
#define SWU_AVAILABLE_AVALIABLETESTSUPPORT_H

#include "available/AvaliableProvider.h"
#include "installed/Component.h"
#include "testsupport/ProviderTestSupport.h"

#include "OW_CIMParamValue.hpp"

#include <chrono>
#include <string>
#include <vector>

const char kAvaliableClass[] = "ZVQ_AvailableSoftwareUpdate";
const std::string kCacheListing = "/vk/bin/softinv --cache  2>&1";
const std::chrono::milliseconds kTaskWait(5000);

// One cache line: name, version, summary, size, reboot word, category.
inline std::string CacheRow(const std::string& name, const std::string& version,
                            const std::string& reboot = "noreboot",
                            const std::string& category = "Available")
{
    return Line({name, version, "About " + name, "2 MB", reboot, category});
}

class AvaliableTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
        {
            AvaliableListLock lock;
            gAvaliableList.clear();
        }
        // As after the master's initialize: the placeholder alone.
        provider.initialize(env);
        SetOptionalComponentContext("", "");
    }

    // Lists the cache with this output, then forgets the calls so far.
    void List(const std::string& output)
    {
        runner->script(kCacheListing, ScriptedRunner::Exit(0, output));
        EnumNames(provider, kAvaliableClass);
        runner->reset();
    }

    OpenWBEM::CIMValue
    Invoke(const OpenWBEM::CIMObjectPath& path, const char* method,
           const OpenWBEM::CIMParamValueArray& in = OpenWBEM::CIMParamValueArray())
    {
        OpenWBEM::CIMParamValueArray out;
        return provider.invokeMethod(env, kTestNamespace, path, method, in, out);
    }
    OpenWBEM::CIMValue
    Invoke(const std::string& id, const char* method,
           const OpenWBEM::CIMParamValueArray& in = OpenWBEM::CIMParamValueArray())
    {
        return Invoke(KeyedPath(kAvaliableClass, id), method, in);
    }

    AvaliableUpdateProvider& provider = gAvaliableUpdateProvider;
};

// In-parameters named p0, p1, ... holding the given values in order.
inline OpenWBEM::CIMParamValueArray Params(const std::vector<OpenWBEM::CIMValue>& values)
{
    OpenWBEM::CIMParamValueArray in;
    for (size_t i = 0; i < values.size(); ++i)
    {
        std::string name = "p" + std::to_string(i);
        in.append(values[i] ? OpenWBEM::CIMParamValue(name.c_str(), values[i])
                            : OpenWBEM::CIMParamValue(OpenWBEM::String(name.c_str())));
    }
    return in;
}

inline OpenWBEM::CIMValue Str(const char* text)
{
    return OpenWBEM::CIMValue(OpenWBEM::String(text));
}

#endif
