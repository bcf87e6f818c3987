// The nine classes as an administrator sees them: which class holds what, how each property
// is shown in a table and named in JSON, and how an update named "name" or "name-version" is
// found in a listing.
#pragma once

#include "cim.h"

#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace swu
{

inline constexpr const char* kAvailable = "ZVQ_AvailableSoftwareUpdate";
inline constexpr const char* kScheduled = "ZVQ_ScheduledSoftwareUpdate";
inline constexpr const char* kActive = "ZVQ_ActiveSoftwareUpdate";
inline constexpr const char* kHistory = "ZVQ_HistorySoftwareUpdate";
inline constexpr const char* kInstalled = "ZVQ_SoftwareIdentity";
inline constexpr const char* kCartridge = "ZVQ_ElementManagerCartridgeVersionInfo";
inline constexpr const char* kComponent = "ZVQ_SoftwareUpdateComponent";
inline constexpr const char* kFileName = "ZVQ_AvailableSoftwareFileName";
inline constexpr const char* kFileList = "ZVQ_AvailableSoftwareFileList";

enum class FieldKind
{
    Text,
    Flag,
    Date,
    UpdateStatus,   // uint8 with the ValueMap of ZVQ_AvailableSoftwareUpdate.Status
    Classification, // uint16 with the ValueMap of ZVQ_SoftwareIdentity.Classifications
};

struct Field
{
    const char* json;     // field name in --json output
    const char* header;   // column header; nullptr: not in the table
    const char* property; // CIM property
    FieldKind kind;
};

struct View
{
    const char* className;
    const char* what; // "available update", ...
    std::vector<Field> fields;
};

const View& availableView();
const View& scheduledView();
const View& activeView();
const View& historyView();
const View& installedView();
const View& componentView();

// A ValueMap entry as text ("Available"), or nullptr for a value outside the map.
const char* updateStatusName(const std::string& value);
const char* classificationName(const std::string& value);

// CIM datetimes (yyyymmddhhmmss.mmmmmmsutc) as ISO 8601 with their own offset, and the
// moments an administrator types as CIM datetimes with the local offset of that moment.
std::optional<std::string> isoFromCim(const std::string& cim);
std::optional<std::time_t> timeFromCim(const std::string& cim);
std::string cimFromTime(std::time_t moment);
// Accepts "YYYY-MM-DD HH:MM[:SS]" or with 'T', optionally ending in 'Z' or +HH:MM/-HH:MM
// (without one: local time), "now", and "+N" with m, h or d (from now).
std::optional<std::time_t> parseMoment(const std::string& text, std::time_t now);
// Local time for tables: "2026-12-08 02:00".
std::string shownTime(std::time_t moment);

// Finding the one record an administrator means.
class ResolveError : public std::runtime_error
{
public:
    enum class Kind
    {
        NotFound,
        Ambiguous,
    };
    ResolveError(Kind kind, const std::string& what, std::vector<std::string> candidates)
        : std::runtime_error(what), kind_(kind), candidates_(std::move(candidates))
    {
    }
    Kind kind() const { return kind_; }
    const std::vector<std::string>& candidates() const { return candidates_; }

private:
    Kind kind_;
    std::vector<std::string> candidates_;
};

// The label of a record: "name-version".
std::string label(const Instance& inst, const char* versionProperty = "VersionString");

// The record whose Name is wanted, or whose "Name-Version" is wanted; one only. Names are
// compared exactly: update names contain dashes, so "a-b-1.0" may be the name "a-b" at version
// "1.0" or the name "a-b-1.0"; both matching is refused as ambiguous.
const Instance& resolve(const std::vector<Instance>& records, const std::string& wanted,
                        const std::string& what, const char* versionProperty = "VersionString");

// The fraction a progress text tells ("step 2 of 5", "Downloading 3 of 7", "40%"), if any.
std::optional<double> progressFraction(const std::string& text);

} // namespace swu
