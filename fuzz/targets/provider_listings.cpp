// Everything the provider reads from the tool, through the daemon: the input is the tool's
// output (and exit code) for every command of one scenario of CIM requests, so the listing
// parsers, the field splitter, the date conversions, the progress and warning texts and the
// file listing all meet it. Each answer must still be a well-formed CIM-XML document, and the
// instances of a listing whose records are numbered by line carry InstanceIDs 0..n-1 in order.
//
// Input: byte 0 picks the scenario, byte 1 is the tool's exit code, the rest is its output.
#include "fuzz_target.h"
#include "provider_service.h"

#include "tests/cim_test_support.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace
{

using namespace cimom::test;
using cimom::CimRequest;

const char kNamespaceHeader[] = "root/cimv2";

const char* const kClasses[] = {
    "ZVQ_HistorySoftwareUpdate",
    "ZVQ_ScheduledSoftwareUpdate",
    "ZVQ_AvailableSoftwareUpdate",
    "ZVQ_ActiveSoftwareUpdate",
    "ZVQ_SoftwareIdentity",
    "ZVQ_SoftwareUpdateComponent",
    "ZVQ_AvailableSoftwareFileName",
    "ZVQ_AvailableSoftwareFileList",
    "ZVQ_ElementManagerCartridgeVersionInfo",
};
const char kAvailable[] = "ZVQ_AvailableSoftwareUpdate";
const char kComponent[] = "ZVQ_SoftwareUpdateComponent";
// An InstanceID the record lists that number their lines give the first line, and one the
// lists keyed by name and version give a line starting "A<tab>1".
const char kFirstLineId[] = "0";
const char kNameVersionId[] = "A 1";

std::string objectHeader(const std::string& cls, const std::string& id)
{
    return std::string(kNamespaceHeader) + ":" + cls + ".InstanceID=\"" + id + "\"";
}

CimRequest method(const std::string& name, const std::string& cls, const std::string& id,
                  const std::string& params = "")
{
    if (id.empty())
    {
        return extrinsic(name, cls, "", std::string(kNamespaceHeader) + ":" + cls, params);
    }
    return extrinsic(name, cls, keyBinding("InstanceID", id), objectHeader(cls, id), params);
}

CimRequest getInstance(const std::string& cls, const std::string& key, const std::string& id)
{
    return intrinsic("GetInstance", iparam("InstanceName", instanceName(cls, keyBinding(key, id))));
}

CimRequest enumerate(const std::string& operation, const std::string& cls)
{
    return intrinsic(operation, iparam("ClassName", className(cls)));
}

CimRequest association(const std::string& operation)
{
    return intrinsic(
        operation,
        iparam("ObjectName", instanceName(kAvailable, keyBinding("InstanceID", kFirstLineId))));
}

std::string dateParams(const char* first, const char* second)
{
    return param("StartTime", value(first)) + param("EndTime", value(second));
}

struct Scenario
{
    std::vector<CimRequest> requests;
    // The last request enumerates a list whose InstanceIDs are the line numbers.
    bool numberedByLine = false;
};

bool isNumberedByLine(const std::string& cls)
{
    return cls == "ZVQ_HistorySoftwareUpdate" || cls == "ZVQ_SoftwareIdentity" ||
           cls == kAvailable || cls == kComponent;
}

void checkNumberedByLine(const cimom::CimResponse& response, size_t size)
{
    pugi::xml_document document;
    document.load_buffer(response.body.data(), response.body.size());
    const pugi::xml_node result = document.child("CIM")
                                      .child("MESSAGE")
                                      .child("SIMPLERSP")
                                      .child("IMETHODRESPONSE")
                                      .child("IRETURNVALUE");
    size_t expected = 0;
    for (const pugi::xml_node named : result.children("VALUE.NAMEDINSTANCE"))
    {
        const pugi::xml_node id =
            named.child("INSTANCE").find_child_by_attribute("PROPERTY", "NAME", "InstanceID");
        fuzz::check(std::string(id.child_value("VALUE")) == std::to_string(expected),
                    "instance " + std::to_string(expected) + " of a listing has InstanceID '" +
                        id.child_value("VALUE") + "'",
                    size);
        ++expected;
    }
}

Scenario single(const CimRequest& request)
{
    return Scenario{{request}};
}

std::vector<Scenario> makeScenarios()
{
    std::vector<Scenario> scenarios;
    for (const char* cls : kClasses)
    {
        scenarios.push_back({{enumerate("EnumerateInstances", cls)}, isNumberedByLine(cls)});
        scenarios.push_back({{enumerate("EnumerateInstanceNames", cls)}});
    }
    for (const char* cls : {"ZVQ_HistorySoftwareUpdate", "ZVQ_SoftwareIdentity", kAvailable})
    {
        scenarios.push_back(single(getInstance(cls, "InstanceID", kFirstLineId)));
    }
    for (const char* cls : {"ZVQ_ScheduledSoftwareUpdate", "ZVQ_ActiveSoftwareUpdate"})
    {
        scenarios.push_back(single(getInstance(cls, "InstanceID", kNameVersionId)));
    }
    scenarios.push_back(single(getInstance("ZVQ_AvailableSoftwareFileName", "FileName", "f")));
    // The component list needs the update whose components it lists.
    const CimRequest choose = method("HasOptionalComponents", kAvailable, kFirstLineId);
    scenarios.push_back({{choose, enumerate("EnumerateInstances", kComponent)}, true});
    scenarios.push_back({{choose, getInstance(kComponent, "InstanceID", kFirstLineId),
                          method("Apply", kAvailable, kFirstLineId)}});
    for (const char* operation : {"Associators", "AssociatorNames", "References", "ReferenceNames"})
    {
        scenarios.push_back(single(association(operation)));
    }
    scenarios.push_back(single(method("GetProgress", kAvailable, "")));
    scenarios.push_back(single(method("Warnings", kAvailable, kFirstLineId)));
    scenarios.push_back(single(method("Apply", kAvailable, kFirstLineId)));
    scenarios.push_back(single(method("GetViaElementManager", kAvailable, kFirstLineId)));
    scenarios.push_back(
        single(method("AddToSchedule", kAvailable, kFirstLineId,
                      dateParams("20240105030405.000000+000", "20240106030405.000000+060"))));
    scenarios.push_back(single(method("Remove", "ZVQ_HistorySoftwareUpdate", kFirstLineId)));
    scenarios.push_back(single(method("Remove", "ZVQ_ScheduledSoftwareUpdate", kNameVersionId)));
    scenarios.push_back(single(method("Modify", "ZVQ_ScheduledSoftwareUpdate", kNameVersionId,
                                      param("StartTime", value("20240105030405.000000+000")) +
                                          param("EndTime", value("20240106030405.000000-300")))));
    scenarios.push_back(single(method("Cancel", "ZVQ_ActiveSoftwareUpdate", kNameVersionId)));
    return scenarios;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<Scenario> scenarios = makeScenarios();
    if (size < 2)
    {
        return 0;
    }
    fuzz::ProviderService& service = fuzz::providerService();
    fuzz::ToolRunner::Reply reply;
    reply.exitCode = data[1];
    reply.output.assign(reinterpret_cast<const char*>(data) + 2, size - 2);
    service.tool().clear();
    service.tool().answerOthers(reply);
    const Scenario& scenario = scenarios[data[0] % scenarios.size()];
    cimom::CimResponse response;
    for (const CimRequest& request : scenario.requests)
    {
        response = service.handle(request, size);
    }
    if (scenario.numberedByLine)
    {
        checkNumberedByLine(response, size);
    }
    return 0;
}
