#include "output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace swu
{

std::string printable(const std::string& text, bool keepLineFeeds)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text)
    {
        if ((c < 0x20 && !(keepLineFeeds && c == '\n') && c != '\t') || c == 0x7f)
        {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        else if (c == '\t')
        {
            out += ' ';
        }
        else
        {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace
{

// Columns are as wide as their widest cell in characters, not bytes.
std::size_t shownWidth(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
    {
        if ((c & 0xC0) != 0x80)
        {
            ++n;
        }
    }
    return n;
}

const char* mapped(const Field& field, const std::string& value)
{
    return field.kind == FieldKind::UpdateStatus ? updateStatusName(value)
                                                 : classificationName(value);
}

} // namespace

const char* progressLabel(int code)
{
    switch (code)
    {
    case -1:
        return "Unreadable";
    case 0:
        return "Completed";
    case 1:
        return "In Progress";
    case 2:
        return "Failed";
    }
    return "Unknown";
}

std::string cell(const Instance& inst, const Field& field)
{
    const Value* v = inst.property(field.property);
    if (v == nullptr || v->null)
    {
        return "-";
    }
    switch (field.kind)
    {
    case FieldKind::Flag:
        return v->text == "true" ? "yes" : v->text == "false" ? "no" : printable(v->text);
    case FieldKind::Date:
    {
        std::optional<std::time_t> t = timeFromCim(v->text);
        return t ? shownTime(*t) : printable(v->text);
    }
    case FieldKind::UpdateStatus:
    case FieldKind::Classification:
    {
        const char* name = mapped(field, v->text);
        return name ? name : printable(v->text);
    }
    case FieldKind::Text:
        break;
    }
    return printable(v->text);
}

Json jsonValue(const Instance& inst, const Field& field)
{
    const Value* v = inst.property(field.property);
    if (v == nullptr || v->null)
    {
        return nullptr;
    }
    switch (field.kind)
    {
    case FieldKind::Flag:
        if (v->text == "true" || v->text == "false")
        {
            return v->text == "true";
        }
        return v->text;
    case FieldKind::Date:
    {
        std::optional<std::string> iso = isoFromCim(v->text);
        return iso ? *iso : v->text;
    }
    case FieldKind::UpdateStatus:
    case FieldKind::Classification:
    {
        const char* name = mapped(field, v->text);
        return name ? Json(name) : Json(v->text);
    }
    case FieldKind::Text:
        break;
    }
    return v->text;
}

Json toJson(const Instance& inst, const View& view)
{
    Json out = Json::object();
    for (const Field& f : view.fields)
    {
        out[f.json] = jsonValue(inst, f);
        if (f.kind == FieldKind::UpdateStatus || f.kind == FieldKind::Classification)
        {
            const Value* v = inst.property(f.property);
            if (v != nullptr && !v->null && v->text.size() <= 5 && !v->text.empty() &&
                v->text.find_first_not_of("0123456789") == std::string::npos)
            {
                out[std::string(f.json) + "_code"] = std::stoi(v->text);
            }
            else
            {
                out[std::string(f.json) + "_code"] = nullptr;
            }
        }
    }
    return out;
}

std::string table(const std::vector<std::string>& headers,
                  const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> width(headers.size());
    for (std::size_t c = 0; c < headers.size(); ++c)
    {
        width[c] = shownWidth(headers[c]);
        for (const auto& row : rows)
        {
            width[c] = std::max(width[c], shownWidth(row[c]));
        }
    }
    std::string out;
    auto line = [&](const std::vector<std::string>& cells)
    {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c)
        {
            text += cells[c];
            if (c + 1 < cells.size())
            {
                text.append(width[c] - shownWidth(cells[c]) + 2, ' ');
            }
        }
        out += text + "\n";
    };
    line(headers);
    for (const auto& row : rows)
    {
        line(row);
    }
    return out;
}

std::string table(const std::vector<Instance>& records, const View& view)
{
    std::vector<std::string> headers;
    for (const Field& f : view.fields)
    {
        if (f.header)
        {
            headers.push_back(f.header);
        }
    }
    std::vector<std::vector<std::string>> rows;
    for (const Instance& r : records)
    {
        std::vector<std::string> row;
        for (const Field& f : view.fields)
        {
            if (f.header)
            {
                row.push_back(cell(r, f));
            }
        }
        rows.push_back(std::move(row));
    }
    return table(headers, rows);
}

std::string dump(const Json& document)
{
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string ProgressDisplay::barLine(const std::string& text, unsigned tick, std::size_t width)
{
    constexpr std::size_t kBar = 24;
    std::optional<double> fraction = progressFraction(text);
    std::string bar(kBar, '.');
    std::string percent = "    ";
    if (fraction)
    {
        std::size_t filled = static_cast<std::size_t>(*fraction * kBar + 0.5);
        std::fill(bar.begin(), bar.begin() + std::min(filled, kBar), '#');
        int p = static_cast<int>(*fraction * 100 + 0.5);
        percent = std::to_string(p) + "%";
        percent.insert(0, 4 - percent.size(), ' ');
    }
    else
    {
        std::size_t at = tick % (2 * kBar - 6);
        at = at < kBar - 3 ? at : 2 * kBar - 6 - at;
        std::fill(bar.begin() + at, bar.begin() + at + 3, '#');
    }
    std::string line = "[" + bar + "] " + percent + " " + printable(text);
    // One screen line, or the terminal scrolls at every redraw.
    std::size_t room = width > 1 ? width - 1 : 0;
    std::size_t chars = 0;
    std::size_t cut = line.size();
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && chars++ == room)
        {
            cut = i;
            break;
        }
    }
    return line.substr(0, cut);
}

void ProgressDisplay::update(int code, const std::string& text)
{
    switch (mode_)
    {
    case Mode::Silent:
        return;
    case Mode::Lines:
        if (text != last_ || !drawn_)
        {
            std::fprintf(out_, "%s: %s\n", progressLabel(code), printable(text).c_str());
            std::fflush(out_);
        }
        break;
    case Mode::Bar:
    {
        winsize size{};
        std::size_t width = 80;
        if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        {
            width = size.ws_col;
        }
        std::fprintf(out_, "\r\033[K%s", barLine(text, tick_++, width).c_str());
        std::fflush(out_);
        break;
    }
    }
    last_ = text;
    drawn_ = true;
}

void ProgressDisplay::finish()
{
    if (mode_ == Mode::Bar && drawn_)
    {
        std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
    }
    drawn_ = false;
}

} // namespace swu
