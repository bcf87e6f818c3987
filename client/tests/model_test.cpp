#include "model.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace swu;

namespace
{

Instance update(const std::string& name, const std::string& version)
{
    Instance i;
    i.className = kAvailable;
    Value n;
    n.null = false;
    n.text = name;
    Value v = n;
    v.text = version;
    i.properties = {{"Name", n}, {"VersionString", v}};
    return i;
}

} // namespace

TEST(Resolve, ByNameOrNameVersionAndNeverAGuess)
{
    const std::vector<Instance> cache = {update("mgmt-webapp", "4.2.0"),
                                         update("mgmt-webapp", "4.1.3"),
                                         update("tz-data", "2024a"),
                                         update("a", "1-b"),
                                         update("a-1", "b"),
                                         update("it's \"x\"", "1")};
    EXPECT_EQ(label(resolve(cache, "tz-data", "update")), "tz-data-2024a");
    EXPECT_EQ(label(resolve(cache, "mgmt-webapp-4.1.3", "update")), "mgmt-webapp-4.1.3");
    EXPECT_EQ(label(resolve(cache, "it's \"x\"", "update")), "it's \"x\"-1");

    struct Refused
    {
        const char* wanted;
        ResolveError::Kind kind;
        std::vector<std::string> candidates;
    };
    const Refused refused[] = {
        {"mgmt-webapp", ResolveError::Kind::Ambiguous, {"mgmt-webapp-4.2.0", "mgmt-webapp-4.1.3"}},
        // "a-1-b" is both a at 1-b and a-1 at b.
        {"a-1-b", ResolveError::Kind::Ambiguous, {"a-1-b", "a-1-b"}},
        {"TZ-DATA", ResolveError::Kind::NotFound, {}},
        {"tz-data-2024", ResolveError::Kind::NotFound, {}},
        {"", ResolveError::Kind::NotFound, {}},
    };
    for (const Refused& r : refused)
    {
        try
        {
            resolve(cache, r.wanted, "update");
            ADD_FAILURE() << "resolved " << r.wanted;
        }
        catch (const ResolveError& e)
        {
            EXPECT_EQ(e.kind(), r.kind) << r.wanted;
            if (r.kind == ResolveError::Kind::Ambiguous)
            {
                EXPECT_EQ(e.candidates(), r.candidates) << r.wanted;
            }
            else
            {
                EXPECT_EQ(e.candidates().size(), cache.size()) << r.wanted;
            }
        }
    }
}

TEST(Moments, TypedTimesBecomeCimDatetimesWithTheLocalOffsetOfThatDay)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const std::time_t now = 1796083200; // 2026-12-01T00:00:00Z
    struct Case
    {
        const char* typed;
        const char* cim; // nullptr: refused
    };
    const Case cases[] = {
        {"2026-12-08 02:00", "20261208020000.000000+060"},
        {"2026-07-08T02:00:30", "20260708020030.000000+120"},
        {"2026-12-08T01:00:00Z", "20261208020000.000000+060"},
        {"2026-12-08 02:00-05:00", "20261208080000.000000+060"},
        {"now", "20261201010000.000000+060"},
        {"+90m", "20261201023000.000000+060"},
        {"+2d", "20261203010000.000000+060"},
        {"2026-02-30 10:00", nullptr},
        {"2026-12-08 24:00", nullptr},
        {"2026-12-08", nullptr},
        {"tomorrow", nullptr},
        {"+5y", nullptr},
    };
    for (const Case& c : cases)
    {
        std::optional<std::time_t> t = parseMoment(c.typed, now);
        if (c.cim == nullptr)
        {
            EXPECT_FALSE(t) << c.typed;
            continue;
        }
        ASSERT_TRUE(t) << c.typed;
        EXPECT_EQ(cimFromTime(*t), c.cim) << c.typed;
        EXPECT_EQ(timeFromCim(c.cim), t) << c.typed;
    }
    EXPECT_EQ(isoFromCim("20261208020000.000000+060"), "2026-12-08T02:00:00+01:00");
    EXPECT_EQ(isoFromCim("20261208020000.000000-330"), "2026-12-08T02:00:00-05:30");
    EXPECT_FALSE(isoFromCim("00000001020000.000000:000")); // an interval, not a moment
    EXPECT_FALSE(isoFromCim("20261308020000.000000+060"));
    unsetenv("TZ");
    tzset();
}

TEST(Progress, FractionsFromTheToolsWords)
{
    EXPECT_EQ(progressFraction("Downloading 1 of 4: a"), 0.0);
    EXPECT_EQ(progressFraction("Applying x 1.0: step 3 of 4, installing y"), 0.5);
    EXPECT_EQ(progressFraction("copied 40%"), 0.4);
    EXPECT_FALSE(progressFraction("Applying x 1.0: starting"));
    EXPECT_FALSE(progressFraction("step 5 of 4"));
    EXPECT_FALSE(progressFraction("0 of 0"));
    EXPECT_FALSE(progressFraction("250%"));
}
