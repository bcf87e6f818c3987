// What swu prints: aligned tables and plain text for people, one JSON document for scripts,
// and the progress of a background operation.
#pragma once

#include "model.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace swu
{

using Json = nlohmann::ordered_json;

// Text from the server made safe for a terminal: control characters (an escape sequence in an
// update name could rewrite the screen) are shown as \xNN; line feeds are kept when asked.
std::string printable(const std::string& text, bool keepLineFeeds = false);

// The ValueMap of GetProgress: -1 Unreadable, 0 Completed, 1 In Progress, 2 Failed.
const char* progressLabel(int code);

// A record's fields as a table cell, and as a JSON value.
std::string cell(const Instance& inst, const Field& field);
Json jsonValue(const Instance& inst, const Field& field);
Json toJson(const Instance& inst, const View& view);

std::string table(const std::vector<std::string>& headers,
                  const std::vector<std::vector<std::string>>& rows);
std::string table(const std::vector<Instance>& records, const View& view);

// One JSON document, valid UTF-8 even when the server's texts are not.
std::string dump(const Json& document);

// Follows a background operation on a terminal (a bar redrawn in place) or not (a line each
// time the report changes), on standard error so that standard output stays the result.
class ProgressDisplay
{
public:
    enum class Mode
    {
        Bar,
        Lines,
        Silent,
    };
    explicit ProgressDisplay(Mode mode, std::FILE* out = stderr) : mode_(mode), out_(out) {}
    ~ProgressDisplay() { finish(); }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void update(int code, const std::string& text);
    void finish();

    // The bar line for a given width: "[#####.....]  40% text", or a moving marker when the
    // text tells no fraction.
    static std::string barLine(const std::string& text, unsigned tick, std::size_t width);

private:
    Mode mode_;
    std::FILE* out_;
    std::string last_;
    bool drawn_ = false;
    unsigned tick_ = 0;
};

} // namespace swu
