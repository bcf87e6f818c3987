#include "Faults.hpp"

#include "Bundle.hpp"
#include "Text.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace softinv
{

namespace
{

constexpr const char kFaultFileName[] = "faults";
constexpr const char kDefaultGarbage[] = "softinv: malformed output (injected fault)";

std::string unescapeGarbage(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 't' || text[i + 1] == 'n'))
        {
            out += text[i + 1] == 't' ? '\t' : '\n';
            ++i;
        }
        else
        {
            out += text[i];
        }
    }
    return out;
}

bool matches(const Fault& fault, const std::string& command, const std::string& argument)
{
    return fault.command == "*" || fault.command == command ||
           (!argument.empty() && fault.command == command + " " + argument);
}

} // namespace

std::optional<Fault> parseFault(const std::string& raw)
{
    std::string entry = trim(raw);
    auto first = entry.find(':');
    if (first == std::string::npos || first == 0)
    {
        return std::nullopt;
    }
    Fault fault;
    fault.command = entry.substr(0, first);
    std::string rest = entry.substr(first + 1);
    auto second = rest.find(':');
    std::string action = rest.substr(0, second);
    std::string argument = second == std::string::npos ? "" : rest.substr(second + 1);
    if (action == "garbage")
    {
        fault.kind = Fault::Garbage;
        fault.text = second == std::string::npos ? kDefaultGarbage : unescapeGarbage(argument);
        return fault;
    }
    if (action == "kill" && second == std::string::npos)
    {
        fault.kind = Fault::Kill;
        return fault;
    }
    auto number = parseInteger(argument);
    if ((action != "exit" && action != "sleep") || !number || *number < 0 ||
        (action == "exit" && *number > 255))
    {
        return std::nullopt;
    }
    fault.kind = action == "exit" ? Fault::Exit : Fault::Sleep;
    fault.number = static_cast<long>(*number);
    return fault;
}

std::vector<Fault> faultsFor(Store& store, const std::string& command, const std::string& argument)
{
    std::vector<Fault> faults;
    if (const char* env = std::getenv("SOFTINV_FAULT"); env != nullptr)
    {
        for (const auto& entry : splitExact(env, ';'))
        {
            auto fault = parseFault(entry);
            if (fault && matches(*fault, command, argument))
            {
                faults.push_back(*fault);
            }
        }
    }
    auto file = store.config().stateDir / kFaultFileName;
    if (!std::filesystem::exists(file))
    {
        return faults;
    }
    // Taken under the state lock so that two runs never both consume the same line.
    store.transact(
        [&](State&)
        {
            auto text = readTextFile(file, kMaxManifestBytes);
            if (!text)
            {
                return false;
            }
            std::string kept;
            bool taken = false;
            for (const auto& entry : splitExact(*text, '\n'))
            {
                if (trim(entry).empty())
                {
                    continue;
                }
                auto fault = parseFault(entry);
                if (!taken && fault && matches(*fault, command, argument))
                {
                    faults.push_back(*fault);
                    taken = true;
                    continue;
                }
                kept += entry + "\n";
            }
            if (taken)
            {
                auto temp = file;
                temp += ".tmp";
                {
                    std::ofstream out(temp, std::ios::trunc);
                    out << kept;
                }
                std::filesystem::rename(temp, file);
            }
            return false;
        });
    return faults;
}

} // namespace softinv
