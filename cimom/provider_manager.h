// Loads OpenWBEM C++ providers the way OpenWBEM's C++ provider interface does: the library
// lib<Id>.so from the configured provider directory, its getOWVersion() checked against ours,
// the object made by createProvider<Id>() and initialized exactly once before its first
// request. Also makes the environment a provider sees (logger, config items, user name).
// Thread-safety: all members may be called from every thread; first users wait for the load.
#pragma once

#include "service.h"

#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_Logger.hpp"
#include "OW_OperationContext.hpp"
#include "OW_ProviderEnvironmentIFC.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace cimom
{

// The config item naming the provider directory, and its value when it is not configured.
inline constexpr const char* kProviderDirItem = "cppprovifc.prov_location";
inline constexpr const char* kDefaultProviderDir = "/usr/lib/openwbem/c++providers";
// The version a provider library's getOWVersion() must report.
inline constexpr const char* kRequiredProviderVersion = "3.0.3";

// A provider that cannot be loaded: the message names the library and what is wrong with it.
class ProviderLoadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The environment handed to a provider with each call. Handles back into the CIMOM are not
// offered (null references); providers of this system do not call back.
class ProviderEnvironment : public OpenWBEM::ProviderEnvironmentIFC
{
public:
    ProviderEnvironment(std::shared_ptr<const ConfigItems> config, OpenWBEM::LoggerRef logger,
                        std::string userName);

    OpenWBEM::CIMOMHandleIFCRef getCIMOMHandle() const override;
    OpenWBEM::CIMOMHandleIFCRef getRepositoryCIMOMHandle() const override;
    OpenWBEM::RepositoryIFCRef getRepository() const override;
    OpenWBEM::LoggerRef getLogger() const override;
    OpenWBEM::String getConfigItem(const OpenWBEM::String& name,
                                   const OpenWBEM::String& defRetVal = "") const override;
    OpenWBEM::String getUserName() const override;
    OpenWBEM::OperationContext& getOperationContext() override;

private:
    std::shared_ptr<const ConfigItems> config_;
    OpenWBEM::LoggerRef logger_;
    std::string userName_;
    OpenWBEM::OperationContext context_;
};

class ProviderManager
{
public:
    ProviderManager(ConfigItems config, OpenWBEM::LoggerRef logger);
    // Deletes the provider objects; their libraries stay mapped until the process ends, since
    // code they registered (atexit handlers, thread-local destructors) may still run. No call
    // may be in progress.
    ~ProviderManager();
    ProviderManager(const ProviderManager&) = delete;
    ProviderManager& operator=(const ProviderManager&) = delete;

    // The provider with this id, loaded and initialized on first use. Throws ProviderLoadError.
    // The object lives until the manager is destroyed.
    OpenWBEM::CppProviderBaseIFC& provider(const std::string& providerId);

    // A provider linked into the process rather than loaded from a library (built-in
    // providers, test doubles). It is initialized like a loaded one, before its first request.
    void registerProvider(const std::string& providerId,
                          std::unique_ptr<OpenWBEM::CppProviderBaseIFC> provider);

    // The environment for one request made by `userName` (empty: anonymous).
    OpenWBEM::ProviderEnvironmentIFCRef environment(const std::string& userName) const;

    OpenWBEM::LoggerRef logger() const { return logger_; }
    const ConfigItems& config() const { return *config_; }
    // Where lib<Id>.so is looked for.
    std::string providerDirectory() const;

private:
    struct Slot
    {
        std::mutex mutex;
        std::unique_ptr<OpenWBEM::CppProviderBaseIFC> object;
        bool initialized = false; // a registered object waits for its initialize() until used
        std::string failure;      // why a registered provider could not be initialized
    };

    Slot& slotFor(const std::string& providerId);
    std::unique_ptr<OpenWBEM::CppProviderBaseIFC> loadLibrary(const std::string& providerId);
    void initializeProvider(OpenWBEM::CppProviderBaseIFC& object, const std::string& what);

    std::shared_ptr<const ConfigItems> config_;
    OpenWBEM::LoggerRef logger_;
    std::mutex slotsMutex_;
    std::map<std::string, std::unique_ptr<Slot>> slots_;
};

} // namespace cimom
