// Root of every C++ provider the CIMOM loads from a shared library: lifecycle (initialize,
// unload policy, last use) and the accessors through which the CIMOM finds out which kinds of
// requests the object serves. Also the factory macros a provider library exports.
// Thread-safety: calls may arrive concurrently; access time and persist flag are unlocked.
#ifndef OW_CPPPROVIDERBASEIFC_HPP_INCLUDE_GUARD_
#define OW_CPPPROVIDERBASEIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_ProviderEnvironmentIFC.hpp"
#include "OW_DateTime.hpp"
#include "OW_Reference.hpp"
#include "OW_SharedLibraryReference.hpp"
#include "OW_InstanceProviderInfo.hpp"
#include "OW_MethodProviderInfo.hpp"
#include "OW_AssociatorProviderInfo.hpp"

namespace OpenWBEM
{

class CppInstanceProviderIFC;
class CppSecondaryInstanceProviderIFC;
class CppMethodProviderIFC;
#ifndef OW_DISABLE_ASSOCIATION_TRAVERSAL
class CppAssociatorProviderIFC;
#endif
class CppIndicationExportProviderIFC;
class CppPolledProviderIFC;
class CppIndicationProviderIFC;

class CppProviderBaseIFC
{
public:
    CppProviderBaseIFC() : m_dt(0), m_persist(false) {}
    CppProviderBaseIFC(const CppProviderBaseIFC& arg) : m_dt(arg.m_dt), m_persist(arg.m_persist) {}
    virtual ~CppProviderBaseIFC();

    // Called once by the CIMOM after creating the provider and before any request.
    virtual void initialize(const ProviderEnvironmentIFCRef&) {}

    // Each accessor returns this provider as that kind, or 0 when it is not of that kind.
    virtual CppInstanceProviderIFC* getInstanceProvider() { return 0; }
    virtual CppSecondaryInstanceProviderIFC* getSecondaryInstanceProvider() { return 0; }
    virtual CppMethodProviderIFC* getMethodProvider() { return 0; }
#ifndef OW_DISABLE_ASSOCIATION_TRAVERSAL
    virtual CppAssociatorProviderIFC* getAssociatorProvider()
    {
        return 0;
    }
#endif
    virtual CppIndicationExportProviderIFC* getIndicationExportProvider()
    {
        return 0;
    }
    virtual CppPolledProviderIFC* getPolledProvider()
    {
        return 0;
    }
    virtual CppIndicationProviderIFC* getIndicationProvider()
    {
        return 0;
    }

    DateTime getLastAccessTime() const
    {
        return m_dt;
    }
    void updateAccessTime();

    // Whether the CIMOM may unload the provider once it has been idle long enough.
    virtual bool canUnload()
    {
        return true;
    }

    // A persistent provider is never unloaded for being idle.
    bool getPersist() const
    {
        return m_persist;
    }
    void setPersist(bool persist = true)
    {
        m_persist = persist;
    }

private:
    DateTime m_dt;
    bool m_persist;
};

// Spelled "> >" so the header stays valid C++98.
// clang-format off
typedef SharedLibraryReference<Reference<CppProviderBaseIFC> > CppProviderBaseIFCRef;
// clang-format on

} // end namespace OpenWBEM

// The entry points a provider library exports, one factory macro per library:
//   extern "C" const char* getOWVersion();           -- the OW_VERSION the provider was built
//                                                      against; the CIMOM refuses a mismatch
//   extern "C" CppProviderBaseIFC* createProvider<name>();   -- a new provider object
// Statically linked services have no library to check, so they get the factory only.
#if !defined(OW_STATIC_SERVICES)
#define OW_PROVIDERFACTORY(prov, name)                                                             \
    extern "C" const char* getOWVersion()                                                          \
    {                                                                                              \
        return OW_VERSION;                                                                         \
    }                                                                                              \
    extern "C" OpenWBEM::CppProviderBaseIFC* createProvider##name()                                \
    {                                                                                              \
        return new prov;                                                                           \
    }
#define OW_PROVIDERFACTORY_NOID(prov, name) OW_PROVIDERFACTORY(prov, NO_ID)
#else
#define OW_PROVIDERFACTORY(prov, name)                                                             \
    extern "C" OpenWBEM::CppProviderBaseIFC* createProvider##name()                                \
    {                                                                                              \
        return new prov;                                                                           \
    }
#define OW_PROVIDERFACTORY_NOID(prov, name) OW_PROVIDERFACTORY(prov, NO_ID##name)
#endif

// For a library that does not name its provider: when the CIMOM scans its provider directory
// it asks every library for createProviderNO_ID first.
#define OW_NOIDPROVIDERFACTORY(prov) OW_PROVIDERFACTORY(prov, NO_ID)

#endif
