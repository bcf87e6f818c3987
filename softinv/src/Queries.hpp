// The commands that answer from the state and the cached bundles (the listings, the long
// description, warnings, components and files of an update) and the schedule changes.
// Listings print one record per line, fields separated by tabs, no header; no field is ever
// empty and none holds a tab or newline, so a reader that splits on tabs gets every field.
// Thread-safety: one Tool per process.
#pragma once

#include "Operations.hpp"

#include <string>

namespace softinv
{

int listInventory(Tool& tool);
int listCache(Tool& tool);
int listSchedule(Tool& tool);
int listActive(Tool& tool);
int listHistory(Tool& tool);
int listComponents(Tool& tool, const std::string& name, const std::string& version);
// nameDashVersion empty: the files of every cached update.
int listFiles(Tool& tool, const std::string& nameDashVersion);
int printDescription(Tool& tool, const std::string& nameDashVersion);
int printWarnings(Tool& tool, const std::string& name, const std::string& version);
int hasComponents(Tool& tool, const std::string& name, const std::string& version);

int schedule(Tool& tool, const std::string& name, const std::string& version,
             const std::string& start, const std::string& end);
// start and end empty: take the update off the schedule.
int modifySchedule(Tool& tool, const std::string& name, const std::string& version,
                   const std::string& start, const std::string& end, bool remove);

} // namespace softinv
