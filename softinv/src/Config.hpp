// The tool's configuration: where its state lives, where the Samba shares and the element
// manager's updates are found, the ports of the network sources and how long the long
// operations take. Values come from a key = value file, each one overridable by an
// environment variable SOFTINV_<KEY> (upper case).
// Thread-safety: a plain value, read once at start.
#pragma once

#include <filesystem>
#include <string>

namespace softinv
{

struct Config
{
    std::filesystem::path stateDir;
    std::filesystem::path sambaRoot;        // share <address>/<directory> lives below it
    std::filesystem::path emDir;            // the element manager's update directory
    std::filesystem::path initialInventory; // empty: the built-in baseline
    std::filesystem::path caFile;           // empty: the system's certificate store
    long httpPort = 80;
    long httpsPort = 443;
    long ftpPort = 21;
    long netTimeoutMs = 10000;
    long fetchMs = 2000;
    long applyMs = 3000;
    long rollbackMs = 2000;
    long reservationTimeoutMs = 30000;
};

// Reads the file named by SOFTINV_CONFIG, else <state dir>/softinv.conf when it exists, then
// the environment overrides. The state directory itself comes from SOFTINV_STATE_DIR, else
// $HOME/.local/state/softinv. Throws ToolError for a missing state directory setting, an
// unreadable named file, an unknown key or a bad number.
Config loadConfig();

} // namespace softinv
