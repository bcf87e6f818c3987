// The available-update methods against the scripted runner: the retrievals' checks and command
// lines, parameter counts and types, progress parsing and its out-parameter, and the update
// methods with the order in which path and method name are checked.
#include "available/AvaliableTestSupport.h"

#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_DateTime.hpp"

using namespace OpenWBEM;

namespace
{

class AvaliableMethodsTest : public AvaliableTest
{
protected:
    // A retrieval's string result, on a path that names no update.
    std::string Retrieve(const char* method, const std::vector<CIMValue>& values)
    {
        CIMValue result =
            Invoke(CIMObjectPath(kAvaliableClass, kTestNamespace), method, Params(values));
        EXPECT_EQ(CIMDataType::STRING, result.getType());
        return result.toString().c_str();
    }
    int RetrieveStatus(const char* method, const std::vector<CIMValue>& values)
    {
        return StatusOf([&] { Retrieve(method, values); });
    }
    // Starts the retrieval and waits until its background command has run.
    bool Fetches(const char* method, const std::vector<CIMValue>& values,
                 const std::string& command)
    {
        runner->reset();
        return Retrieve(method, values).empty() && runner->waitForCall(command, kTaskWait) &&
               runner->commandLines().front() == "/vk/bin/softinv --setinprogress";
    }
    // GetProgress on the status output; the code and the out-parameters.
    int Progress(const std::string& output, CIMParamValueArray& out,
                 const CIMParamValueArray& in = CIMParamValueArray())
    {
        runner->script("/vk/bin/softinv --status  2>&1", ScriptedRunner::Exit(0, output));
        CIMValue code = provider.invokeMethod(env, kTestNamespace, KeyedPath(kAvaliableClass, "9"),
                                              "GetProgress", in, out);
        EXPECT_EQ(CIMDataType::SINT8, code.getType());
        return code.toInt8();
    }
    std::string ProgressText(const std::string& output)
    {
        CIMParamValueArray out;
        Progress(output, out);
        EXPECT_EQ(1u, out.size());
        return out.empty() ? "" : out[0].getValue().toString().c_str();
    }
};

TEST_F(AvaliableMethodsTest, RetrievalsStartTheirCommandsInTheBackground)
{
    EXPECT_TRUE(Fetches("GetViaFtp", {Str("10.1.2.3"), Str("a"), Str("b c"), Str("d")},
                        "/vk/bin/softinv --ftp 10.1.2.3 'a' 'b c' 'd'"));
    EXPECT_TRUE(Fetches("GetViaHttp",
                        {Str("10.1.2.3"), CIMValue(Bool(true)), Str("u"), Str(""), Str("d")},
                        "/vk/bin/softinv --http 10.1.2.3 'u' '' 'd' true"));
    EXPECT_TRUE(Fetches("GetViaHttp",
                        {Str("1.2.3.4"), CIMValue(Bool(false)), Str("u"), Str("p"), Str("d")},
                        "/vk/bin/softinv --http 1.2.3.4 'u' 'p' 'd' false"));
    EXPECT_TRUE(Fetches("GetViaSamba", {Str("10.1.2.3"), Str("u"), Str("p;$(x)"), Str("share")},
                        "/vk/bin/softinv --samba 10.1.2.3 'u' 'p;$(x)' 'share'"));
    EXPECT_TRUE(Fetches("GetViaUsb", {Str("/media/usb")}, "/vk/bin/softinv --usb /media/usb"));
    EXPECT_TRUE(
        Fetches("GetViaHardDrive", {Str("/srv/updates")}, "/vk/bin/softinv --hd /srv/updates"));
    EXPECT_TRUE(Fetches("GetViaElementManager", {}, "/vk/bin/softinv --em "));

    // What the checks let through reaches the tool as one word and starts nothing else.
    EXPECT_TRUE(isValidIPAddr("10.1.2.3 `touch x`"));
    EXPECT_TRUE(Fetches("GetViaFtp", {Str("10.1.2.3 `touch x`"), Str("a"), Str("b"), Str("c")},
                        "/vk/bin/softinv --ftp '10.1.2.3 `touch x`' 'a' 'b' 'c'"));
    EXPECT_TRUE(Fetches("GetViaUsb", {Str("/media/usb stick&x>y")},
                        "/vk/bin/softinv --usb '/media/usb stick&x>y'"));
    EXPECT_TRUE(Fetches("GetViaHardDrive", {Str("/srv/a\nb")}, "/vk/bin/softinv --hd '/srv/a\nb'"));
}

TEST_F(AvaliableMethodsTest, RefusedArgumentsAreAnsweredAsResults)
{
    // The quote check comes before the address check.
    EXPECT_EQ("Invalid Parameters",
              Retrieve("GetViaFtp", {Str("nowhere"), Str("a"), Str("it's"), Str("c")}));
    EXPECT_EQ("Invalid Parameters", Retrieve("GetViaHttp", {Str("1.2.3.4"), CIMValue(Bool(true)),
                                                            Str("a"), Str("b"), Str("'")}));
    EXPECT_EQ("Invalid IP Address",
              Retrieve("GetViaSamba", {Str("10.1.2.3.4"), Str("a"), Str("b"), Str("c")}));
    EXPECT_EQ("Invalid IP Address", Retrieve("GetViaFtp", {Str(""), Str("a"), Str("b"), Str("c")}));
    for (const char* special : {";", "(", ")", "[", "]", "*", "$", "#", "|"})
    {
        std::string path = std::string("/media/") + special + "x";
        EXPECT_EQ("Invalid Parameters", Retrieve("GetViaUsb", {Str(path.c_str())})) << path;
        EXPECT_EQ("Invalid Parameters", Retrieve("GetViaHardDrive", {Str(path.c_str())}));
    }
    EXPECT_TRUE(runner->commandLines().empty());

    runner->script("/vk/bin/softinv --setinprogress", ScriptedRunner::Exit(12));
    std::string message;
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { Retrieve("GetViaElementManager", {}); }, &message));
    EXPECT_EQ(0u, message.find("general error (Failed: /vk/bin/softinv --em \n"));
}

TEST_F(AvaliableMethodsTest, ParameterCountsAndTypesAreChecked)
{
    const CIMValue a = Str("10.1.2.3");
    EXPECT_EQ(CIMException::INVALID_PARAMETER, RetrieveStatus("GetViaFtp", {a, a, a}));
    EXPECT_EQ(CIMException::FAILED, RetrieveStatus("GetViaSamba", {a, a, a}));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, RetrieveStatus("GetViaHttp", {a, a, a, a}));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, RetrieveStatus("GetViaUsb", {}));
    EXPECT_EQ(CIMException::FAILED, RetrieveStatus("GetViaHardDrive", {a, a}));
    EXPECT_EQ(CIMException::FAILED, RetrieveStatus("GetViaElementManager", {a}));
    // Values are read by position with the type of their position.
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              RetrieveStatus("GetViaHttp", {CIMValue(Bool(true)), a, a, a, a}));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              RetrieveStatus("GetViaFtp", {a, a, CIMValue(CIMNULL), a}));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              RetrieveStatus("GetViaSamba", {a, a, CIMValue(UInt8(1)), a}));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, RetrieveStatus("GetViaUsb", {CIMValue(CIMNULL)}));
    EXPECT_TRUE(runner->commandLines().empty());

    List(CacheRow("pkg", "2.1"));
    // Given in local time, read by the tool in local time.
    const CIMValue start(CIMDateTime(DateTime(2004, 1, 5, 3, 4, 5)));
    const CIMValue end(CIMDateTime(DateTime(2004, 1, 6, 3, 4, 5)));
    for (const CIMParamValueArray& in :
         {Params({start}), Params({start, Str("later")}), Params({start, CIMValue(CIMDateTime())})})
    {
        EXPECT_EQ(CIMException::INVALID_PARAMETER,
                  StatusOf([&] { Invoke("0", "AddToSchedule", in); }));
    }
    for (const char* method : {"Apply", "Warnings", "HasOptionalComponents"})
    {
        EXPECT_EQ(CIMException::INVALID_PARAMETER,
                  StatusOf([&] { Invoke("0", method, Params({a})); }))
            << method;
    }
    EXPECT_TRUE(runner->commandLines().empty());

    const std::string command = "/vk/bin/softinv --sched pkg 2.1 \"Mon Jan  5 03:04:05 2004\" "
                                "\"Tue Jan  6 03:04:05 2004\" 2>&1";
    runner->script(command, ScriptedRunner::Exit(0, "Scheduled pkg\n"));
    CIMValue answer = Invoke("0", "AddToSchedule", Params({start, end}));
    EXPECT_EQ("Scheduled pkg\n", std::string(answer.toString().c_str()));
    EXPECT_EQ(command, runner->commandLines().back());
}

TEST_F(AvaliableMethodsTest, ProgressIsReadFromTheStatusOutput)
{
    CIMParamValueArray out;
    EXPECT_EQ(1, Progress("1\nDownloading 2 of 7\n", out, Params({Str("ignored")})));
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ("Status", std::string(out[0].getName().c_str()));
    EXPECT_EQ("Downloading 2 of 7", std::string(out[0].getValue().toString().c_str()));
    EXPECT_TRUE(
        logger->waitForText("GetProgress: 1 Downloading 2 of 7", std::chrono::milliseconds(0)));

    // The entry the CIMOM prepared is filled, not doubled.
    CIMParamValueArray prepared;
    prepared.append(CIMParamValue(String("Status")));
    EXPECT_EQ(0, Progress("0\tDone\tmore\n", prepared));
    ASSERT_EQ(1u, prepared.size());
    EXPECT_EQ("Done", std::string(prepared[0].getValue().toString().c_str()));

    EXPECT_EQ("Failed to parse Progress status string", ProgressText("1 Downloading\n"));
    EXPECT_EQ("Failed to parse Progress status string", ProgressText(""));
    EXPECT_EQ("Invalid GetProgress Return Code", ProgressText("5\nX\n"));
    EXPECT_EQ("Invalid GetProgress Return Code", ProgressText("-2\nX\n"));
    // Past what a long holds, and past what an int holds, are out of range too.
    EXPECT_EQ("Invalid GetProgress Return Code", ProgressText("99999999999999999999\nX\n"));
    EXPECT_EQ("Invalid GetProgress Return Code", ProgressText("4294967297\nX\n"));
    EXPECT_EQ("Waiting", ProgressText("abc\nWaiting\n"));
    EXPECT_EQ(0, Progress("abc\nWaiting\n", out));
    EXPECT_EQ(-1, Progress(" -1x\nUnknown\n", out));
    EXPECT_EQ(2, Progress("2\nFailed: disk full\n", out));

    runner->script("/vk/bin/softinv --status  2>&1", ScriptedRunner::Exit(14));
    runner->script("/vk/bin/softinv --errors 14 2>&1", ScriptedRunner::Exit(0, "No patch\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Invoke("9", "GetProgress"); }, &message));
    EXPECT_EQ(FailedText("No patch\n\n#SWU_Softinv_PatchDownloadFailed#"), message);
}

TEST_F(AvaliableMethodsTest, UpdateMethodsActOnTheListedUpdate)
{
    // Before any listing the placeholder can be applied.
    EXPECT_EQ("", std::string(Invoke("1", "Apply").toString().c_str()));
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --apply Dummy  ", kTaskWait));

    List(CacheRow("pkg", "2.1") + CacheRow("b", "3"));
    // The tool's cache changes after the listing: the call acts on what was listed.
    runner->script(kCacheListing, ScriptedRunner::Exit(0, CacheRow("new", "9")));
    runner->script("/vk/bin/softinv --warnings b 3  2>&1", ScriptedRunner::Exit(1, "Careful\n"));
    EXPECT_EQ("Careful\n", std::string(Invoke("1", "Warnings").toString().c_str()));
    runner->script("/vk/bin/softinv --hascomponents pkg 2.1", ScriptedRunner::Exit(1));
    CIMValue has = Invoke("0", "HasOptionalComponents");
    EXPECT_EQ(CIMDataType::BOOLEAN, has.getType());
    EXPECT_FALSE(has.toBool());
    EXPECT_EQ((std::vector<std::string>{"/vk/bin/softinv --warnings b 3  2>&1",
                                        "/vk/bin/softinv --hascomponents pkg 2.1"}),
              runner->commandLines());

    // The path is resolved before the method name is looked at.
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, StatusOf([&] { Invoke("0", "Remove"); }));
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, StatusOf([&] { Invoke("0", "getprogress"); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Invoke("7", "getprogress"); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Invoke("7", "Apply"); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Invoke(CIMObjectPath(kAvaliableClass, kTestNamespace), "Nope"); }));
}

} // namespace
