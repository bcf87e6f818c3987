// The users file: any text is either refused with a UsersFileError or gives entries that, written
// back line by line, read as the same entries; editing a user into or out of an accepted text
// gives a text that is accepted again and holds exactly the edit.
#include "fuzz_target.h"

#include "auth.h"

#include <optional>
#include <string>
#include <vector>

namespace
{

const char kFileName[] = "fuzz-users";
// A valid SHA-512 crypt hash; its password does not matter here.
const char kSomeHash[] =
    "$6$fuzzsalt$iDTMfLlIWXnU0u/ucN8Rvel1jyy/OslJpB.sv1b7aqQg/Na4Y9B47sFqgSiQ4w"
    "v/4SbFVVCnHAGIJVpklv8Rc.";
const char kEditedUser[] = "fuzzed.user";

bool sameEntries(const std::vector<cimom::UserEntry>& a, const std::vector<cimom::UserEntry>& b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (a[i].name != b[i].name || a[i].role != b[i].role || a[i].hash != b[i].hash)
        {
            return false;
        }
    }
    return true;
}

const cimom::UserEntry* findUser(const std::vector<cimom::UserEntry>& users,
                                 const std::string& name)
{
    for (const cimom::UserEntry& user : users)
    {
        if (user.name == name)
        {
            return &user;
        }
    }
    return nullptr;
}

std::vector<cimom::UserEntry> parseAccepted(const std::string& text, const std::string& what,
                                            size_t size)
{
    try
    {
        return cimom::parseUsersText(text, kFileName);
    }
    catch (const cimom::UsersFileError& e)
    {
        fuzz::fail(what + " is refused: " + e.what(), size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<cimom::UserEntry> users;
    try
    {
        users = cimom::parseUsersText(text, kFileName);
    }
    catch (const cimom::UsersFileError& e)
    {
        fuzz::check(std::string(e.what()).find(kFileName) != std::string::npos,
                    "a refusal that does not name the file", size);
        return 0;
    }

    std::string written;
    for (const cimom::UserEntry& user : users)
    {
        fuzz::check(cimom::isValidUserName(user.name), "an accepted invalid user name", size);
        written += cimom::formatUserEntry(user) + "\n";
    }
    fuzz::check(sameEntries(parseAccepted(written, "the written entries", size), users),
                "the written entries read back differently", size);

    const cimom::UserEntry added{kEditedUser, cimom::Role::Admin, kSomeHash};
    bool removed = false;
    const std::string withUser = cimom::editUsersText(text, kEditedUser, added, &removed);
    const std::vector<cimom::UserEntry> afterAdd =
        parseAccepted(withUser, "the text with a user put in", size);
    const cimom::UserEntry* found = findUser(afterAdd, kEditedUser);
    fuzz::check(found != nullptr && found->role == cimom::Role::Admin && found->hash == kSomeHash,
                "the user put in is not there as given", size);
    fuzz::check(afterAdd.size() == users.size() + (findUser(users, kEditedUser) ? 0 : 1),
                "putting a user in changed the other users", size);

    const std::string withoutUser =
        cimom::editUsersText(withUser, kEditedUser, std::nullopt, &removed);
    fuzz::check(removed, "the user put in could not be removed", size);
    const std::vector<cimom::UserEntry> afterRemove =
        parseAccepted(withoutUser, "the text with the user taken out", size);
    fuzz::check(findUser(afterRemove, kEditedUser) == nullptr, "the removed user is still there",
                size);
    fuzz::check(afterRemove.size() + 1 == afterAdd.size(),
                "taking a user out changed the other users", size);
    return 0;
}
