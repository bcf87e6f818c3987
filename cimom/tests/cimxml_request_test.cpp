// Requests the protocol layer must refuse (with the right status and CIMError header),
// documents with entity declarations, the header-versus-body checks, and the decoding of the
// value and path forms clients send.
#include "cim/service.h"
#include "cim_test_support.h"
#include "cimxml/request.h"
#include "logger.h"
#include "provider_manager.h"
#include "repository.h"

#include "OW_CIMProperty.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace cimom
{
namespace
{

using namespace test;

struct Refusal
{
    int status;
    std::string cimError;
};

Refusal refusal(const CimRequest& request)
{
    try
    {
        decodeRequest(request);
    }
    catch (const ProtocolError& e)
    {
        return {e.httpStatus(), e.cimError()};
    }
    return {200, ""};
}

CimRequest enumerateNames()
{
    return intrinsic("EnumerateInstanceNames", iparam("ClassName", className("Hello_Thing")));
}

CimRequest withBody(std::string body)
{
    CimRequest request = enumerateNames();
    request.body = std::move(body);
    return request;
}

TEST(RequestDecoding, RefusesWhatIsNotAnAcceptableOperationRequest)
{
    const std::string good = enumerateNames().body;
    const auto edited = [&](const std::string& from, const std::string& to)
    {
        std::string body = good;
        body.replace(body.find(from), from.size(), to);
        return withBody(body);
    };
    struct Case
    {
        const char* what;
        CimRequest request;
        int status;
        const char* cimError;
    };
    std::string responseDocument = good;
    for (size_t at = responseDocument.find("SIMPLEREQ"); at != std::string::npos;
         at = responseDocument.find("SIMPLEREQ"))
    {
        responseDocument.replace(at, 9, "SIMPLERSP");
    }
    CimRequest wrongOperation = enumerateNames();
    wrongOperation.cimOperation = "MethodResponse";
    CimRequest noOperation = enumerateNames();
    noOperation.cimOperation.clear();
    const std::vector<Case> cases = {
        {"CIMOperation not MethodCall", wrongOperation, 400, kErrUnsupportedOperation},
        {"no CIMOperation", noOperation, 400, kErrUnsupportedOperation},
        {"truncated", withBody(good.substr(0, good.size() - 10)), 400, kErrNotWellFormed},
        {"mismatched tag", edited("</SIMPLEREQ>", "</SIMPLEREQUEST>"), 400, kErrNotWellFormed},
        {"empty body", withBody(""), 400, kErrNotWellFormed},
        {"two roots", withBody(good + "<CIM/>"), 400, kErrNotWellFormed},
        {"not CIM", withBody("<HTML/>"), 400, kErrNotValid},
        {"no MESSAGE ID", edited(" ID=\"77\"", ""), 400, kErrNotValid},
        {"no namespace path", edited(localNamespace(), ""), 400, kErrNotValid},
        {"no method name", edited("IMETHODCALL NAME=\"EnumerateInstanceNames\"", "IMETHODCALL"),
         400, kErrNotValid},
        {"response in a request", withBody(responseDocument), 400, kErrNotValid},
        {"CIM 3.0", edited("CIMVERSION=\"2.0\"", "CIMVERSION=\"3.0\""), 501,
         kErrUnsupportedCimVersion},
        {"DTD 1.1", edited("DTDVERSION=\"2.0\"", "DTDVERSION=\"1.1\""), 501,
         kErrUnsupportedDtdVersion},
        {"protocol 2.0", edited("PROTOCOLVERSION=\"1.0\"", "PROTOCOLVERSION=\"2.0\""), 501,
         kErrUnsupportedProtocolVersion},
        {"MULTIREQ",
         withBody(
             document("").replace(document("").find("<SIMPLEREQ>"), 23, "<MULTIREQ></MULTIREQ>")),
         501, kErrMultipleRequests},
    };
    for (const Case& c : cases)
    {
        const Refusal r = refusal(c.request);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.cimError, c.cimError) << c.what;
    }
}

TEST(RequestDecoding, DocumentTypeDeclarationsAreRefusedAndNothingIsExpanded)
{
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE CIM [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;\">]>";
    std::string body = enumerateNames().body;
    body.replace(0, body.find("<CIM "), laughs);
    body.replace(body.find("Hello_Thing"), 11, "&e;");
    const auto start = std::chrono::steady_clock::now();
    const Refusal r = refusal(withBody(body));
    EXPECT_EQ(r.status, 400);
    EXPECT_EQ(r.cimError, kErrNotValid);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    std::string external = enumerateNames().body;
    external.replace(0, external.find("<CIM "), "<!DOCTYPE CIM SYSTEM \"file:///etc/passwd\">");
    EXPECT_EQ(refusal(withBody(external)).cimError, kErrNotValid);

    // Without a declaration an entity reference is plain text, never a lookup.
    CimRequest undeclared = intrinsic(
        "GetInstance", iparam("InstanceName", instanceName("C", keyBinding("K", "&xxe;&lt;"))));
    const CimCall call = decodeRequest(undeclared);
    EXPECT_EQ(std::string(call.params[0].value.path.getKeyValue("K").toString().c_str()), "&xxe;<");
}

TEST(RequestDecoding, HeadersMustNameWhatTheBodyDoes)
{
    CimRequest request = enumerateNames();
    request.cimMethod = "EnumerateInstances";
    EXPECT_EQ(refusal(request).cimError, kErrHeaderMismatch);
    request.cimMethod = "";
    EXPECT_EQ(refusal(request).cimError, kErrHeaderMismatch);
    request.cimMethod = "enumerateinstancenames";
    EXPECT_EQ(refusal(request).status, 200) << "method names ignore case";
    request.cimObject = "root%2Fother";
    EXPECT_EQ(refusal(request).cimError, kErrHeaderMismatch);
    request.cimObject = "root/cimv2";
    EXPECT_EQ(refusal(request).status, 200);
    request.cimObject = "root%2";
    EXPECT_EQ(refusal(request).cimError, kErrHeaderMismatch) << "bad escape";

    const std::string keys = keyBinding("Name", "a\"b") + keyBinding("Num", "7", "numeric") +
                             keyBinding("On", "TRUE", "boolean");
    const auto call = [&](const std::string& header)
    { return refusal(extrinsic("M", "C", keys, header, "")).status; };
    EXPECT_EQ(call("root%2Fcimv2%3AC.Name=%22a%5C%22b%22,Num=7,On=TRUE"), 200);
    EXPECT_EQ(call("root/cimv2:c.on=true,num=\"7\",name=\"a\\\"b\""), 200) << "any order, case";
    EXPECT_EQ(call("root/cimv2:C.Name=\"a\\\"b\",Num=8,On=TRUE"), 400) << "other key value";
    EXPECT_EQ(call("root/cimv2:C.Name=\"a\\\"b\",Num=7"), 400) << "key missing";
    EXPECT_EQ(call("root/cimv2:C.Name=\"a\\\"b\",Num=7,On=TRUE,Extra=1"), 400) << "key added";
    EXPECT_EQ(call("root/cimv2:C"), 400) << "class instead of instance";
    EXPECT_EQ(call("root/cimv2:D.Name=\"a\\\"b\",Num=7,On=TRUE"), 400);
    EXPECT_EQ(call("root/cimv2:C.Name=\"unterminated"), 400);
    EXPECT_EQ(refusal(extrinsic("M", "C", "", "root%2Fcimv2%3AC", "")).status, 200);
}

TEST(RequestDecoding, ValuesAndPathsKeepWhatTheClientWrote)
{
    const std::string reference =
        "<VALUE.REFERENCE><INSTANCEPATH><NAMESPACEPATH><HOST>h.example</HOST>" + localNamespace() +
        "</NAMESPACEPATH>" +
        instanceName("Inner",
                     keyBinding("Id", "-5", "numeric") + keyBinding("R", "2.5", "numeric")) +
        "</INSTANCEPATH></VALUE.REFERENCE>";
    const CimCall call = decodeRequest(extrinsic(
        "M", "C", "", "root/cimv2:C",
        param("Ref", reference) + param("Blank", value(" ")) +
            param("Cdata", "<VALUE>a<![CDATA[<b>]]>c</VALUE>") +
            param("List", "<VALUE.ARRAY><VALUE>1</VALUE><VALUE>2</VALUE></VALUE.ARRAY>") +
            param("Empty", "") +
            "<PARAMVALUE NAME=\"Typed\" PARAMTYPE=\"uint8\"><VALUE>3</VALUE></PARAMVALUE>"));
    ASSERT_EQ(call.params.size(), 6u);
    const OpenWBEM::CIMObjectPath ref = call.params[0].value.value.toCIMObjectPath();
    EXPECT_EQ(std::string(ref.getHost().c_str()), "h.example");
    EXPECT_EQ(std::string(ref.getNameSpace().c_str()), "root/cimv2");
    EXPECT_EQ(ref.getKeyValue("Id").getType(), OpenWBEM::CIMDataType::SINT64);
    EXPECT_EQ(ref.getKeyValue("R").getType(), OpenWBEM::CIMDataType::REAL64);
    EXPECT_EQ(std::string(call.params[1].value.value.toString().c_str()), " ");
    EXPECT_EQ(std::string(call.params[2].value.value.toString().c_str()), "a<b>c");
    EXPECT_TRUE(call.params[3].value.value.isArray());
    EXPECT_EQ(call.params[3].value.value.getArraySize(), 2u);
    EXPECT_EQ(call.params[4].value.kind, WireValue::Kind::Null);
    EXPECT_EQ(call.params[5].paramType, "uint8");

    // Paths nested inside key bindings without end are refused.
    std::string nested = instanceName("C", keyBinding("K", "x"));
    for (int i = 0; i < kMaxReferenceNestingLevels + 2; ++i)
    {
        nested = instanceName("C", "<KEYBINDING NAME=\"K\"><VALUE.REFERENCE>" + nested +
                                       "</VALUE.REFERENCE></KEYBINDING>");
    }
    const Refusal deep = refusal(intrinsic("GetInstance", iparam("InstanceName", nested)));
    EXPECT_EQ(deep.status, 400);
    EXPECT_EQ(deep.cimError, kErrNotValid);
}

TEST(RequestDecoding, ServiceAnswersRefusalsWithoutABody)
{
    Repository repository;
    ProviderManager providers({}, DaemonLogger::toStderr(OpenWBEM::E_FATAL_ERROR_LEVEL));
    CimService service(repository, providers, nullptr);
    const CimResponse response = service.handle(withBody("<CIM"));
    EXPECT_EQ(response.httpStatus, 400);
    EXPECT_TRUE(response.body.empty());
    ASSERT_EQ(response.headers.size(), 1u);
    EXPECT_EQ(response.headers[0].first, "CIMError");
    EXPECT_EQ(response.headers[0].second, kErrNotWellFormed);
    // The service keeps answering afterwards.
    EXPECT_EQ(Answer(service.handle(enumerateNames())).errorCode(), 5);
}

} // namespace
} // namespace cimom
