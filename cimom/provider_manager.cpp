#include "provider_manager.h"

#include "OW_CIMException.hpp"
#include "OW_Exception.hpp"

#include <cctype>
#include <cstring>
#include <dlfcn.h>

namespace cimom
{

namespace
{

// Ids become part of a file name and a symbol name, so only identifier characters are allowed:
// a class definition must not be able to point the loader at another directory.
bool isValidProviderId(const std::string& id)
{
    if (id.empty())
    {
        return false;
    }
    for (const char c : id)
    {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
        {
            return false;
        }
    }
    return true;
}

std::string dlErrorText()
{
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

} // namespace

// ---- ProviderEnvironment ----

ProviderEnvironment::ProviderEnvironment(std::shared_ptr<const ConfigItems> config,
                                         OpenWBEM::LoggerRef logger, std::string userName)
    : config_(std::move(config)), logger_(std::move(logger)), userName_(std::move(userName))
{
}

OpenWBEM::CIMOMHandleIFCRef ProviderEnvironment::getCIMOMHandle() const
{
    return OpenWBEM::CIMOMHandleIFCRef();
}

OpenWBEM::CIMOMHandleIFCRef ProviderEnvironment::getRepositoryCIMOMHandle() const
{
    return OpenWBEM::CIMOMHandleIFCRef();
}

OpenWBEM::RepositoryIFCRef ProviderEnvironment::getRepository() const
{
    return OpenWBEM::RepositoryIFCRef();
}

OpenWBEM::LoggerRef ProviderEnvironment::getLogger() const
{
    return logger_;
}

OpenWBEM::String ProviderEnvironment::getConfigItem(const OpenWBEM::String& name,
                                                    const OpenWBEM::String& defRetVal) const
{
    const auto found = config_->find(std::string(name.c_str(), name.length()));
    if (found == config_->end())
    {
        return defRetVal;
    }
    return OpenWBEM::String(found->second.c_str(), found->second.size());
}

OpenWBEM::String ProviderEnvironment::getUserName() const
{
    return OpenWBEM::String(userName_.c_str(), userName_.size());
}

OpenWBEM::OperationContext& ProviderEnvironment::getOperationContext()
{
    return context_;
}

// ---- ProviderManager ----

ProviderManager::ProviderManager(ConfigItems config, OpenWBEM::LoggerRef logger)
    : config_(std::make_shared<const ConfigItems>(std::move(config))), logger_(std::move(logger))
{
}

ProviderManager::~ProviderManager() = default;

std::string ProviderManager::providerDirectory() const
{
    const auto found = config_->find(kProviderDirItem);
    return found == config_->end() || found->second.empty() ? kDefaultProviderDir : found->second;
}

OpenWBEM::ProviderEnvironmentIFCRef ProviderManager::environment(const std::string& userName) const
{
    return OpenWBEM::ProviderEnvironmentIFCRef(new ProviderEnvironment(config_, logger_, userName));
}

ProviderManager::Slot& ProviderManager::slotFor(const std::string& providerId)
{
    std::lock_guard<std::mutex> lock(slotsMutex_);
    std::unique_ptr<Slot>& slot = slots_[providerId];
    if (!slot)
    {
        slot = std::make_unique<Slot>();
    }
    return *slot;
}

void ProviderManager::registerProvider(const std::string& providerId,
                                       std::unique_ptr<OpenWBEM::CppProviderBaseIFC> provider)
{
    Slot& slot = slotFor(providerId);
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (slot.object || !slot.failure.empty())
    {
        throw ProviderLoadError("provider " + providerId + " is already registered");
    }
    slot.object = std::move(provider);
}

OpenWBEM::CppProviderBaseIFC& ProviderManager::provider(const std::string& providerId)
{
    Slot& slot = slotFor(providerId);
    // Held while loading, so concurrent first requests wait for the one initialize() call.
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (slot.initialized)
    {
        return *slot.object;
    }
    if (!slot.failure.empty())
    {
        throw ProviderLoadError(slot.failure);
    }
    if (slot.object)
    {
        try
        {
            initializeProvider(*slot.object, "provider " + providerId);
        }
        catch (const ProviderLoadError& e)
        {
            // initialize() is never called twice on one object, so it stays failed.
            slot.failure = e.what();
            slot.object.reset();
            throw;
        }
    }
    else
    {
        slot.object = loadLibrary(providerId);
    }
    slot.initialized = true;
    return *slot.object;
}

std::unique_ptr<OpenWBEM::CppProviderBaseIFC>
ProviderManager::loadLibrary(const std::string& providerId)
{
    if (!isValidProviderId(providerId))
    {
        throw ProviderLoadError("invalid provider id \"" + providerId +
                                "\": only letters, digits and underscores are allowed");
    }
    const std::string path = providerDirectory() + "/lib" + providerId + ".so";
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
    {
        throw ProviderLoadError("cannot load provider library " + path + ": " + dlErrorText());
    }

    using VersionFunction = const char* (*)();
    auto version = reinterpret_cast<VersionFunction>(::dlsym(library, "getOWVersion"));
    if (version == nullptr)
    {
        ::dlclose(library);
        throw ProviderLoadError("provider library " + path + " does not export getOWVersion()");
    }
    const char* builtFor = version();
    if (builtFor == nullptr || std::strcmp(builtFor, kRequiredProviderVersion) != 0)
    {
        const std::string found = builtFor != nullptr ? builtFor : "(none)";
        ::dlclose(library);
        throw ProviderLoadError("provider library " + path + " was built for OpenWBEM " + found +
                                ", this daemon loads providers for " + kRequiredProviderVersion);
    }

    const std::string factoryName = "createProvider" + providerId;
    using FactoryFunction = OpenWBEM::CppProviderBaseIFC* (*)();
    auto factory = reinterpret_cast<FactoryFunction>(::dlsym(library, factoryName.c_str()));
    if (factory == nullptr)
    {
        ::dlclose(library);
        throw ProviderLoadError("provider library " + path + " does not export " + factoryName +
                                "()");
    }

    // Once the factory has run, code and data of the library may be referenced from anywhere
    // (virtual tables, thread-local objects), so it is never unloaded again, even on failure.
    std::unique_ptr<OpenWBEM::CppProviderBaseIFC> object;
    try
    {
        object.reset(factory());
    }
    catch (const std::exception& e)
    {
        throw ProviderLoadError(factoryName + "() in " + path + " failed: " + e.what());
    }
    catch (...)
    {
        throw ProviderLoadError(factoryName + "() in " + path + " failed");
    }
    if (!object)
    {
        throw ProviderLoadError(factoryName + "() in " + path + " returned no provider");
    }
    initializeProvider(*object, "provider library " + path);
    logger_->logInfo(OpenWBEM::String(("loaded provider " + providerId + " from " + path).c_str()));
    return object;
}

void ProviderManager::initializeProvider(OpenWBEM::CppProviderBaseIFC& object,
                                         const std::string& what)
{
    try
    {
        object.initialize(environment(""));
    }
    catch (const OpenWBEM::Exception& e)
    {
        throw ProviderLoadError(what + ": initialize() failed: " + e.getMessage());
    }
    catch (const std::exception& e)
    {
        throw ProviderLoadError(what + ": initialize() failed: " + e.what());
    }
    catch (...)
    {
        throw ProviderLoadError(what + ": initialize() failed");
    }
}

} // namespace cimom
