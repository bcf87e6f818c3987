#include "model.h"

#include <cstdio>
#include <regex>

namespace swu
{

const View& availableView()
{
    static const View v{kAvailable,
                        "available update",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"version", "VERSION", "VersionString", FieldKind::Text},
                         {"status", "STATUS", "Status", FieldKind::UpdateStatus},
                         {"size", "SIZE", "Size", FieldKind::Text},
                         {"reboot_required", "REBOOT", "RebootRequired", FieldKind::Flag},
                         {"summary", "SUMMARY", "ShortDescription", FieldKind::Text},
                         {"description", nullptr, "UpdateDescription", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

const View& scheduledView()
{
    static const View v{kScheduled,
                        "scheduled update",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"version", "VERSION", "VersionString", FieldKind::Text},
                         {"status", "STATUS", "Status", FieldKind::Text},
                         {"apply_date", "APPLY AT", "ApplyDate", FieldKind::Date},
                         {"reboot_required", "REBOOT", "RebootRequired", FieldKind::Flag},
                         {"location", "FROM", "Location", FieldKind::Text},
                         {"download_date", nullptr, "DownloadDate", FieldKind::Date},
                         {"size", nullptr, "Size", FieldKind::Text},
                         {"summary", nullptr, "ShortDescription", FieldKind::Text},
                         {"description", nullptr, "UpdateDescription", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

const View& activeView()
{
    static const View v{kActive,
                        "update being applied",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"version", "VERSION", "VersionString", FieldKind::Text},
                         {"status", "STATUS", "Status", FieldKind::Text},
                         {"apply_date", "STARTED", "ApplyDate", FieldKind::Date},
                         {"reboot_required", "REBOOT", "RebootRequired", FieldKind::Flag},
                         {"location", nullptr, "Location", FieldKind::Text},
                         {"size", nullptr, "Size", FieldKind::Text},
                         {"summary", nullptr, "ShortDescription", FieldKind::Text},
                         {"description", nullptr, "UpdateDescription", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

const View& historyView()
{
    static const View v{kHistory,
                        "applied update",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"version", "VERSION", "VersionString", FieldKind::Text},
                         {"category", "CATEGORY", "Category", FieldKind::Text},
                         {"date", "APPLIED", "Date", FieldKind::Date},
                         {"removable", "ROLLBACK", "Removeable", FieldKind::Flag},
                         {"summary", "SUMMARY", "ShortDescription", FieldKind::Text},
                         {"description", nullptr, "UpdateDescription", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

const View& installedView()
{
    static const View v{kInstalled,
                        "installed package",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"version", "VERSION", "PackageVersion", FieldKind::Text},
                         {"classification", "KIND", "Classifications", FieldKind::Classification},
                         {"installed_date", "INSTALLED", "InstalledDate", FieldKind::Date},
                         {"revision", nullptr, "RevisionNumber", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

const View& componentView()
{
    static const View v{kComponent,
                        "optional component",
                        {{"name", "NAME", "Name", FieldKind::Text},
                         {"install", "INSTALL", "Install", FieldKind::Flag},
                         {"version", nullptr, "VersionString", FieldKind::Text},
                         {"summary", nullptr, "ShortDescription", FieldKind::Text},
                         {"instance_id", nullptr, "InstanceID", FieldKind::Text}}};
    return v;
}

namespace
{

const char* lookup(const char* const* names, std::size_t count, const std::string& value)
{
    if (value.empty() || value.size() > 5 ||
        value.find_first_not_of("0123456789") != std::string::npos)
    {
        return nullptr;
    }
    unsigned long n = std::stoul(value);
    return n < count ? names[n] : nullptr;
}

} // namespace

const char* updateStatusName(const std::string& value)
{
    static const char* const names[] = {"Obsolete", "Applied", "Scheduled", "Available", "Invalid"};
    if (value == "154")
    {
        return "Unknown";
    }
    return lookup(names, sizeof names / sizeof names[0], value);
}

const char* classificationName(const std::string& value)
{
    static const char* const names[] = {"Unknown",
                                        "Other",
                                        "Driver",
                                        "Configuration Software",
                                        "Application Software",
                                        "Instrumentation",
                                        "Firmware/BIOS",
                                        "Diagnostic Software",
                                        "Operating System",
                                        "Middleware",
                                        "Firmware",
                                        "BIOS/FCode"};
    return lookup(names, sizeof names / sizeof names[0], value);
}

namespace
{

struct CimParts
{
    std::tm fields{};
    int offsetMinutes = 0;
};

std::optional<CimParts> splitCim(const std::string& cim)
{
    static const std::regex shape(
        R"((\d{4})(\d{2})(\d{2})(\d{2})(\d{2})(\d{2})\.\d{6}([+-])(\d{3}))");
    std::smatch m;
    if (!std::regex_match(cim, m, shape))
    {
        return std::nullopt;
    }
    CimParts p;
    p.fields.tm_year = std::stoi(m[1]) - 1900;
    p.fields.tm_mon = std::stoi(m[2]) - 1;
    p.fields.tm_mday = std::stoi(m[3]);
    p.fields.tm_hour = std::stoi(m[4]);
    p.fields.tm_min = std::stoi(m[5]);
    p.fields.tm_sec = std::stoi(m[6]);
    p.offsetMinutes = std::stoi(m[8]) * (m[7] == "-" ? -1 : 1);
    if (p.fields.tm_mon > 11 || p.fields.tm_mday < 1 || p.fields.tm_mday > 31 ||
        p.fields.tm_hour > 23 || p.fields.tm_min > 59 || p.fields.tm_sec > 60)
    {
        return std::nullopt;
    }
    return p;
}

} // namespace

std::optional<std::time_t> timeFromCim(const std::string& cim)
{
    std::optional<CimParts> p = splitCim(cim);
    if (!p)
    {
        return std::nullopt;
    }
    return timegm(&p->fields) - static_cast<std::time_t>(p->offsetMinutes) * 60;
}

std::optional<std::string> isoFromCim(const std::string& cim)
{
    std::optional<CimParts> p = splitCim(cim);
    if (!p)
    {
        return std::nullopt;
    }
    int offset = p->offsetMinutes < 0 ? -p->offsetMinutes : p->offsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  p->fields.tm_year + 1900, p->fields.tm_mon + 1, p->fields.tm_mday,
                  p->fields.tm_hour, p->fields.tm_min, p->fields.tm_sec,
                  p->offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return std::string(text);
}

std::string cimFromTime(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    long offset = local.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d.000000%c%03ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offset < 0 ? '-' : '+', offset < 0 ? -offset : offset);
    return text;
}

std::string shownTime(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::optional<std::time_t> parseMoment(const std::string& text, std::time_t now)
{
    if (text == "now")
    {
        return now;
    }
    static const std::regex relative(R"(\+(\d{1,6})([mhd]))");
    static const std::regex absolute(
        R"((\d{4})-(\d{2})-(\d{2})[ T](\d{2}):(\d{2})(?::(\d{2}))?(Z|[+-]\d{2}:\d{2})?)");
    std::smatch m;
    if (std::regex_match(text, m, relative))
    {
        long n = std::stol(m[1]);
        long unit = m[2] == "m" ? 60 : m[2] == "h" ? 3600 : 86400;
        return now + static_cast<std::time_t>(n * unit);
    }
    if (!std::regex_match(text, m, absolute))
    {
        return std::nullopt;
    }
    std::tm fields{};
    fields.tm_year = std::stoi(m[1]) - 1900;
    fields.tm_mon = std::stoi(m[2]) - 1;
    fields.tm_mday = std::stoi(m[3]);
    fields.tm_hour = std::stoi(m[4]);
    fields.tm_min = std::stoi(m[5]);
    fields.tm_sec = m[6].matched ? std::stoi(m[6]) : 0;
    const std::tm wanted = fields;
    std::time_t moment;
    if (m[7].matched)
    {
        moment = timegm(&fields);
        std::string zone = m[7];
        if (zone != "Z")
        {
            long minutes = std::stol(zone.substr(1, 2)) * 60 + std::stol(zone.substr(4, 2));
            moment -= static_cast<std::time_t>((zone[0] == '-' ? -minutes : minutes) * 60);
        }
    }
    else
    {
        fields.tm_isdst = -1;
        moment = std::mktime(&fields);
    }
    // Both conversions normalise silently (February 30th becomes March 2nd); a date that
    // changed on the way was not a date.
    if (fields.tm_mday != wanted.tm_mday || fields.tm_mon != wanted.tm_mon ||
        fields.tm_min != wanted.tm_min || wanted.tm_hour > 23 || wanted.tm_sec > 59)
    {
        return std::nullopt;
    }
    return moment;
}

std::string label(const Instance& inst, const char* versionProperty)
{
    std::string version = inst.text(versionProperty);
    return version.empty() ? inst.text("Name") : inst.text("Name") + "-" + version;
}

const Instance& resolve(const std::vector<Instance>& records, const std::string& wanted,
                        const std::string& what, const char* versionProperty)
{
    std::vector<const Instance*> matches;
    for (const Instance& r : records)
    {
        if (r.text("Name") == wanted || label(r, versionProperty) == wanted)
        {
            matches.push_back(&r);
        }
    }
    if (matches.size() == 1)
    {
        return *matches.front();
    }
    std::vector<std::string> candidates;
    if (matches.empty())
    {
        for (const Instance& r : records)
        {
            candidates.push_back(label(r, versionProperty));
        }
        throw ResolveError(ResolveError::Kind::NotFound,
                           "no " + what + " is called \"" + wanted + "\"", candidates);
    }
    for (const Instance* r : matches)
    {
        candidates.push_back(label(*r, versionProperty));
    }
    throw ResolveError(ResolveError::Kind::Ambiguous,
                       "\"" + wanted + "\" names more than one " + what +
                           "; give the name and version",
                       candidates);
}

std::optional<double> progressFraction(const std::string& text)
{
    static const std::regex counted(R"((\d{1,9}) of (\d{1,9}))");
    static const std::regex percent(R"((\d{1,3})(?:\.\d+)?%)");
    std::smatch m;
    if (std::regex_search(text, m, counted))
    {
        double done = std::stod(m[1]);
        double all = std::stod(m[2]);
        if (all > 0 && done <= all)
        {
            // "step 2 of 5" is under way, not done: count the steps before it.
            return (done - 1 < 0 ? 0 : done - 1) / all;
        }
    }
    if (std::regex_search(text, m, percent))
    {
        double value = std::stod(m[1]);
        if (value <= 100)
        {
            return value / 100;
        }
    }
    return std::nullopt;
}

} // namespace swu
