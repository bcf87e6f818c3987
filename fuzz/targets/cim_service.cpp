// Whole requests through the daemon's CIM side into the provider, with the tool answering
// every command in its usual layouts: decoding, the class checks, parameter typing, the
// provider's operations and methods and the response encoding all meet the input, and every
// answer must be a well-formed CIM-XML document or a clean protocol refusal.
//
// Input: CIMOperation, CIMMethod and CIMObject header lines, then the body.
#include "fuzz_target.h"
#include "provider_service.h"
#include "request_input.h"

#include "tests/cim_test_support.h"

#include <string>

namespace
{

void answerLikeTheTool(fuzz::ToolRunner& tool)
{
    using Reply = fuzz::ToolRunner::Reply;
    tool.answer("", Reply{"kernel\t2.6.5\tOperating System\tTue Feb 10 22:00:00 2004\n"
                          "zvq77EMcartridge\t4.1\tOther\tThu Apr  1 08:00:00 2004\n"});
    tool.answer("--hist", Reply{"fixpack\t1.0\tFirst fix pack\tSecurity\t"
                                "Mon Jan  5 12:00:00 2004\tRemovable\n"});
    tool.answer("--sched", Reply{"A\t1\tPatch A\tftp://updates.example/A\tMon Mar  1 09:00:00 "
                                 "2004\tSat Mar  6 02:00:00 2004\treboot\t2 MB\tScheduled\n"});
    tool.answer("--apply", Reply{"B\t3.1\tPatch B\t/media/usb/B\tSun Mar  7 01:00:00 2004\t"
                                 "none\t1 MB\tApplying\n"});
    tool.answer("--cache", Reply{"C\t2.0\tPatch C\t3 MB\treboot\tSecurity\n"});
    tool.answer("--components", Reply{"core\nextras\n"});
    tool.answer("--files", Reply{"C-2.0.pkg\nC-2.0-extras.pkg\n"});
    tool.answer("--status", Reply{"1\tIn Progress\n"});
    tool.answer("--hascomponents", Reply{"", 0});
    tool.answer("-l", Reply{"The long description.\n"});
    tool.answer("--warnings", Reply{"Reboot needed.\n"});
    tool.answer("--errors", Reply{"tool error\n"});
}

// The provider keeps what a client last listed (available updates, the update whose components
// are chosen) between requests, as a client session would leave it. Setting that up once, with
// the tool's answers fixed, makes every later input meet the same state.
void startSession(fuzz::ProviderService& service)
{
    using namespace cimom::test;
    const char available[] = "ZVQ_AvailableSoftwareUpdate";
    service.handle(intrinsic("EnumerateInstances", iparam("ClassName", className(available))), 0);
    service.handle(extrinsic("HasOptionalComponents", available, keyBinding("InstanceID", "0"),
                             std::string("root/cimv2:") + available + ".InstanceID=\"0\"", ""),
                   0);
    service.handle(intrinsic("EnumerateInstances",
                             iparam("ClassName", className("ZVQ_SoftwareUpdateComponent"))),
                   0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::ProviderService& service = []() -> fuzz::ProviderService&
    {
        fuzz::ProviderService& started = fuzz::providerService();
        answerLikeTheTool(started.tool());
        startSession(started);
        return started;
    }();
    service.handle(fuzz::requestFromInput(data, size), size);
    return 0;
}
