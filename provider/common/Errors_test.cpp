// Localisable messages, exit-code identifiers, the throw helpers and diagnostic output.
#include "common/Common.h"
#include "testsupport/ScriptedRunner.h"

#include <climits>
#include <string>

using namespace OpenWBEM;

namespace
{

using ErrorsTest = ProviderTest;

// Runs `action`, which must throw CIMException, and returns the exception.
template <class Action> CIMException CatchCim(Action action)
{
    try
    {
        action();
    }
    catch (const CIMException& e)
    {
        return e;
    }
    ADD_FAILURE() << "no CIMException was thrown";
    return CIMException(__FILE__, __LINE__, CIMException::SUCCESS);
}

} // namespace

TEST_F(ErrorsTest, LocMsgLaysOutTextIdentifierAndArguments)
{
    const char* r = "Failed: /vk/bin/softinv --ftp x";
    EXPECT_EQ(std::string(locMsg("SWU_Error_ExecutionFailed", r, r, NULL).c_str()),
              std::string(r) + "\n#SWU_Error_ExecutionFailed," + r + "#");
    EXPECT_EQ(std::string(locMsg("SWU_X", "text", NULL).c_str()), "text\n#SWU_X#");
    EXPECT_EQ(std::string(locMsg("SWU_X", "", "a", "b,c", "", NULL).c_str()), "\n#SWU_X,a,b,c,#");

    // Each call has its own text: an earlier result is not overwritten by a later call.
    String first = locMsg("SWU_A", "one", NULL);
    String second = locMsg("SWU_B", "two", NULL);
    EXPECT_EQ(std::string(first.c_str()), "one\n#SWU_A#");
    EXPECT_EQ(std::string(second.c_str()), "two\n#SWU_B#");
}

TEST_F(ErrorsTest, SoftinvErrorMapsExitCodes)
{
    const char* expected[] = {
        "SWU_Softinv_FtpFailed",           "SWU_Softinv_SoftwareUpdateFailed",
        "SWU_Softinv_RpmInstallFailed",    "SWU_Softinv_PatchDownloadFailed",
        "SWU_Softinv_PatchApplyFailed",    "SWU_Softinv_PatchRemoveFailed",
        "SWU_Softinv_PatchScheduleFailed", "SWU_Softinv_PatchModifyFailed",
        "SWU_Softinv_HttpFailed",          "SWU_Softinv_HttpsFailed",
        "SWU_Softinv_SambaFailed",         "SWU_Softinv_UsbFailed",
        "SWU_Softinv_NoPatchesFound",
    };
    for (int code = 11; code <= 23; ++code)
    {
        EXPECT_STREQ(SoftinvError(code), expected[code - 11]) << code;
    }
    for (int code = 24; code <= 32; ++code)
    {
        EXPECT_STREQ(SoftinvError(code), "SWU_Softinv_Unknown") << code;
    }
    EXPECT_STREQ(SoftinvError(33), "SWU_Softinv_NoLocalPatchesFound");
    EXPECT_STREQ(SoftinvError(34), "SWU_Softinv_TimeZoneNotSet");
    for (int code : {0, 1, 10, 35, 255, -1, INT_MIN, INT_MAX})
    {
        EXPECT_STREQ(SoftinvError(code), "SWU_Softinv_Unknown") << code;
    }
}

TEST_F(ErrorsTest, ThrowCimFailedLogsAndThrowsTheMessage)
{
    CIMException e = CatchCim([] { ThrowCimFailed("it broke\n#SWU_X#"); });
    EXPECT_EQ(e.getErrNo(), CIMException::FAILED);
    EXPECT_EQ(std::string(e.getMessage()), FailedText("it broke\n#SWU_X#"));
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL),
              std::vector<std::string>{"Exception: it broke\n#SWU_X#"});
}

TEST_F(ErrorsTest, ThrowSoftInvErrorAsksTheToolForItsText)
{
    runner->script("/vk/bin/softinv --errors 11 2>&1", ScriptedRunner::Exit(0, "No server\n"));
    CIMException e = CatchCim([] { ThrowSoftInvError(11); });
    EXPECT_EQ(e.getErrNo(), CIMException::FAILED);
    EXPECT_EQ(std::string(e.getMessage()), FailedText("No server\n\n#SWU_Softinv_FtpFailed#"));
    ASSERT_EQ(runner->calls().size(), 1u);
    EXPECT_EQ(runner->calls()[0].commandLine, "/vk/bin/softinv --errors 11 2>&1");
    EXPECT_TRUE(runner->calls()[0].capturing);

    // The query itself fails: the bare identifier, whatever the tool printed.
    runner->reset();
    runner->script("/vk/bin/softinv --errors 19 2>&1", ScriptedRunner::Exit(2, "usage\n"));
    e = CatchCim([] { ThrowSoftInvError(19); });
    EXPECT_EQ(std::string(e.getMessage()), FailedText("SWU_Softinv_HttpFailed"));

    // The tool cannot be run at all.
    runner->script("/vk/bin/softinv --errors 22 2>&1", ScriptedRunner::NoPipe());
    e = CatchCim([] { ThrowSoftInvError(22); });
    EXPECT_EQ(std::string(e.getMessage()), FailedText("SWU_Softinv_UsbFailed"));

    // Codes without an entry still ask the tool, and name the unknown identifier.
    runner->reset();
    runner->script("/vk/bin/softinv --errors -1 2>&1", ScriptedRunner::Exit(0, "odd"));
    e = CatchCim([] { ThrowSoftInvError(-1); });
    EXPECT_EQ(std::string(e.getMessage()), FailedText("odd\n#SWU_Softinv_Unknown#"));
    EXPECT_EQ(runner->commandLines(), std::vector<std::string>{"/vk/bin/softinv --errors -1 2>&1"});
}

TEST_F(ErrorsTest, OutputDebugLogsAlwaysAndPrintsOnlyWhenDebugging)
{
    testing::internal::CaptureStdout();
    OutputDebug("%s.enumInstanceNames()", "ZVQ_X");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL), std::vector<std::string>{"ZVQ_X.enumInstanceNames()"});

    gProviderAgentDebug = true;
    testing::internal::CaptureStdout();
    OutputDebug("n=%d", 7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "n=7\n");
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL).back(), "n=7");

    // Longer messages are cut at 1023 characters, never written past the buffer.
    logger->clear();
    std::string longText(5000, 'x');
    testing::internal::CaptureStdout();
    OutputDebug("ObjectPath=%s", longText.c_str());
    std::string expected = ("ObjectPath=" + longText).substr(0, kDebugMessageBytes - 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected + "\n");
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL), std::vector<std::string>{expected});
}

TEST_F(ErrorsTest, DiagnosticsBeforeInitializeAreDropped)
{
    gLogger = LoggerRef();
    OutputDebug("nobody listens");
    LogError("nobody listens");
    EXPECT_TRUE(logger->lines().empty());
}
