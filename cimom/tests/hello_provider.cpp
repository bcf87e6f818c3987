// Test fixture: a tiny C++ provider for the Hello_Thing class of the recorded exchanges,
// loaded by the provider manager exactly as a product provider is (libHelloProvider.so).
// Two instances, hello-1 and hello-2; SayHello greets and reports the name's length.
// Thread-safety: stateless apart from an atomic initialize() counter.
#include "OW_config.h"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_String.hpp"

#include <atomic>
#include <chrono>
#include <thread>

using namespace OpenWBEM;

namespace
{

std::atomic<int> gInitializeCalls{0};

const char* const kIds[] = {"hello-1", "hello-2"};

class HelloProvider : public CppInstanceProviderIFC, public CppMethodProviderIFC
{
public:
    void initialize(const ProviderEnvironmentIFCRef& env) override
    {
        ++gInitializeCalls;
        m_greeting = env->getConfigItem("hello.greeting", "Hello");
        // A slow start widens the window in which concurrent first requests could race.
        const UInt32 delayMs = env->getConfigItem("hello.initialize_delay_ms", "0").toUInt32();
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        env->getLogger()->logDebug("hello provider initialized");
    }

    void enumInstanceNames(const ProviderEnvironmentIFCRef&, const String& ns, const String&,
                           CIMObjectPathResultHandlerIFC& result, const CIMClass&) override
    {
        for (const char* id : kIds)
        {
            result.handle(CIMObjectPath(ns, makeInstance(id)));
        }
    }

    CIMInstance getInstance(const ProviderEnvironmentIFCRef&, const String&,
                            const CIMObjectPath& name, WBEMFlags::ELocalOnlyFlag,
                            WBEMFlags::EIncludeQualifiersFlag, WBEMFlags::EIncludeClassOriginFlag,
                            const StringArray*, const CIMClass&) override
    {
        const String id = name.getKeyValue("InstanceID").toString();
        for (const char* known : kIds)
        {
            if (id.equals(known))
            {
                return makeInstance(known);
            }
        }
        OW_THROWCIMMSG(CIMException::NOT_FOUND, ("no Hello_Thing " + id).c_str());
    }

    CIMObjectPath createInstance(const ProviderEnvironmentIFCRef&, const String&,
                                 const CIMInstance&) override
    {
        OW_THROWCIM(CIMException::NOT_SUPPORTED);
    }

    void modifyInstance(const ProviderEnvironmentIFCRef&, const String&, const CIMInstance&,
                        const CIMInstance&, WBEMFlags::EIncludeQualifiersFlag, const StringArray*,
                        const CIMClass&) override
    {
        OW_THROWCIM(CIMException::NOT_SUPPORTED);
    }

    void deleteInstance(const ProviderEnvironmentIFCRef&, const String&,
                        const CIMObjectPath&) override
    {
        OW_THROWCIM(CIMException::NOT_SUPPORTED);
    }

    CIMValue invokeMethod(const ProviderEnvironmentIFCRef&, const String&, const CIMObjectPath&,
                          const String& methodName, const CIMParamValueArray& in,
                          CIMParamValueArray& out) override
    {
        if (!methodName.equalsIgnoreCase("SayHello"))
        {
            OW_THROWCIMMSG(CIMException::METHOD_NOT_FOUND, methodName.c_str());
        }
        const String name = in[0].getValue() ? in[0].getValue().toString() : String();
        for (size_t i = 0; i < out.size(); ++i)
        {
            if (out[i].getName().equalsIgnoreCase("Length"))
            {
                out[i].setValue(CIMValue(UInt32(name.length())));
            }
        }
        return CIMValue(m_greeting + ", " + name);
    }

private:
    CIMInstance makeInstance(const char* id) const
    {
        const String index(id + 6); // "hello-N": N
        CIMInstance instance("Hello_Thing");
        CIMProperty key("InstanceID", CIMValue(String(id)));
        key.addQualifier(CIMQualifier::createKeyQualifier());
        instance.setProperty(key);
        instance.setProperty("Greeting", CIMValue(m_greeting + " from " + id));
        instance.setProperty("Counter", CIMValue(index.toUInt32()));
        return instance;
    }

    String m_greeting;
};

} // namespace

OW_PROVIDERFACTORY(HelloProvider, HelloProvider)

// Lets tests check that the daemon initializes a provider exactly once.
extern "C" int helloProviderInitializeCalls()
{
    return gInitializeCalls.load();
}
