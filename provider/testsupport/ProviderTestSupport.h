// Test helpers shared by the provider tests of installed, available and scheduled or active
// updates: a fixture with a provider environment, the instance operations with their results
// collected, small readers of paths, instances and failures, and the races of refreshes against
// lookups that the process-wide lists must survive.
// Thread-safety: the helpers keep no state of their own; a fixture serves one test at a time.
#ifndef SWU_TESTSUPPORT_PROVIDERTESTSUPPORT_H
#define SWU_TESTSUPPORT_PROVIDERTESTSUPPORT_H

#include "testsupport/ScriptedRunner.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_ResultHandlers.hpp"

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

const char kTestNamespace[] = "root/cimv2";

// Listings this long number their lines past what 16 bits can count.
const size_t kLinesPastSixteenBits = 65537;

// The two listings a race puts in place by turns, and how often each refresher enumerates.
const size_t kRaceShortLines = 20;
const size_t kRaceLongLines = 60;
const int kRaceRefreshRounds = 60;

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

class SubProviderTest : public ProviderTest
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

    // Enumerates names on a second thread while this one holds the list's lock: another request
    // busy with the list must not keep this one from starting the tool. `whileLocked` looks at
    // the list before the lock is let go.
    template <class ListLock>
    std::vector<OpenWBEM::CIMObjectPath>
    EnumNamesBesideLock(OpenWBEM::CppInstanceProviderIFC& provider, const char* className,
                        const std::string& listing, const std::function<void()>& whileLocked)
    {
        std::vector<OpenWBEM::CIMObjectPath> paths;
        std::thread enumerator;
        {
            ListLock lock;
            enumerator = std::thread([&] { paths = EnumNames(provider, className); });
            EXPECT_TRUE(runner->waitForCall(listing, std::chrono::seconds(5)));
            whileLocked();
        }
        enumerator.join();
        return paths;
    }

    // Races enumerations of the class against lookups in the list they refill; returns the
    // faults seen. `refreshers` threads enumerate kRaceRefreshRounds times each, the first
    // putting `shortListing` and `longListing` in place by turns, and every enumeration must hand
    // out exactly the listing it ran. `readers` threads meanwhile call `lookup` with InstanceIDs
    // of the long listing until the refreshers are done: it throws CIM_ERR_NOT_FOUND while a
    // short listing is in place, and otherwise tells whether it met one whole record.
    int RaceRefreshesAndLookups(OpenWBEM::CppInstanceProviderIFC& provider, const char* className,
                                const std::string& listing, const std::string& shortListing,
                                const std::string& longListing, int refreshers, int readers,
                                const std::function<bool(const std::string&)>& lookup)
    {
        runner->script(listing, ScriptedRunner::Exit(0, longListing));
        EnumNames(provider, className);
        std::atomic<int> refreshersLeft(refreshers), faults(0), found(0);
        std::vector<std::thread> threads;
        for (int refresher = 0; refresher < refreshers; ++refresher)
        {
            threads.emplace_back(
                [&, refresher]
                {
                    for (int round = 0; round < kRaceRefreshRounds; ++round)
                    {
                        if (refresher == 0)
                        {
                            runner->script(listing, ScriptedRunner::Exit(
                                                        0, round % 2 ? shortListing : longListing));
                        }
                        std::vector<OpenWBEM::CIMObjectPath> paths;
                        faults +=
                            StatusOf([&] { paths = EnumNames(provider, className); }) != -1 ||
                            (paths.size() != kRaceShortLines && paths.size() != kRaceLongLines);
                    }
                    --refreshersLeft;
                });
        }
        for (int reader = 0; reader < readers; ++reader)
        {
            threads.emplace_back(
                [&, reader]
                {
                    for (size_t round = 0; refreshersLeft > 0; ++round)
                    {
                        bool whole = false;
                        std::string id = std::to_string((round * 7 + reader) % kRaceLongLines);
                        int status = StatusOf([&] { whole = lookup(id); });
                        if (status != OpenWBEM::CIMException::NOT_FOUND)
                        {
                            faults += status != -1 || !whole;
                            ++found;
                        }
                    }
                });
        }
        for (std::thread& thread : threads)
        {
            thread.join();
        }
        EXPECT_GT(found.load(), 0);
        return faults.load();
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

// Every property as "name=value text", in the order the instance holds them.
inline std::vector<std::string> Properties(const OpenWBEM::CIMInstance& instance)
{
    std::vector<std::string> texts;
    OpenWBEM::CIMPropertyArray properties = instance.getProperties();
    for (size_t i = 0; i < properties.size(); ++i)
    {
        texts.push_back(std::string(properties[i].getName().c_str()) + "=" +
                        properties[i].getValue().toString().c_str());
    }
    return texts;
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

// A race's listing. Its first four fields name the listing (`tag`) and the line after their
// prefix ("name", "ver", "desc", `fourth`), so a reader can tell a whole record from one pieced
// together from different listings or lines; the fields in `rest` follow unchanged.
inline std::string Tagged(char tag, size_t count, const std::string& fourth,
                          const std::vector<std::string>& rest)
{
    return Lines(count,
                 [&](size_t i)
                 {
                     std::string mark = tag + std::to_string(i);
                     std::vector<std::string> fields = {"name" + mark, "ver" + mark, "desc" + mark,
                                                        fourth + mark};
                     fields.insert(fields.end(), rest.begin(), rest.end());
                     return Line(fields);
                 });
}

// True when the instance is line `id` of one tagged listing, whole: its Name, VersionString,
// ShortDescription and `fourthProperty` (tagged after `fourth`) all carry the same mark.
inline bool IsWholeTaggedRecord(const OpenWBEM::CIMInstance& instance, const std::string& id,
                                const char* fourthProperty, const std::string& fourth)
{
    std::string name = Text(instance, "Name");
    std::string mark = name.size() > 5 ? name.substr(4) : "?";
    return mark.substr(1) == id && Text(instance, "VersionString") == "ver" + mark &&
           Text(instance, "ShortDescription") == "desc" + mark &&
           Text(instance, fourthProperty) == fourth + mark;
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

#endif
