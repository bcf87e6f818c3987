// Switches the process time zone for one scope and puts the previous setting back, so the date
// tests can pin local-time behaviour to named zones whatever the machine's own zone is.
// Thread-safety: changes process-wide state; use only where no other thread reads the zone.
#ifndef OW_TESTS_SCOPED_TIME_ZONE_HPP
#define OW_TESTS_SCOPED_TIME_ZONE_HPP

#include <cstdlib>
#include <ctime>
#include <string>

class ScopedTimeZone
{
public:
    // A null zone leaves TZ unset, so the C library falls back to the system's zone.
    explicit ScopedTimeZone(const char* zone)
        : m_hadOld(std::getenv("TZ") != 0), m_old(m_hadOld ? std::getenv("TZ") : "")
    {
        zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
    }
    ~ScopedTimeZone()
    {
        m_hadOld ? setenv("TZ", m_old.c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadOld;
    std::string m_old;
};

#endif
