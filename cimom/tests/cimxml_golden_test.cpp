// The recorded exchanges between a real WBEM client and the reference CIMOM: their requests
// must decode as that CIMOM read them, and our answers to them must be byte for byte what it
// sent, with the Hello provider loaded through the normal provider protocol.
#include "cim/service.h"
#include "cim_test_support.h"
#include "cimxml/request.h"
#include "logger.h"
#include "provider_manager.h"
#include "repository.h"

#include "OW_CIMProperty.hpp"

#include <gtest/gtest.h>

namespace cimom
{
namespace
{

using test::readCapture;
using test::requestFrom;

std::string capturePath(const std::string& name)
{
    return std::string(CAPTURE_DIR) + "/" + name;
}

class GoldenTest : public ::testing::Test
{
protected:
    GoldenTest()
        : providers_({{kProviderDirItem, TEST_PROVIDER_DIR}},
                     DaemonLogger::toStderr(OpenWBEM::E_ERROR_LEVEL)),
          service_(repository_, providers_, nullptr)
    {
        repository_.loadMofFile(capturePath("Hello_Thing.mof"));
    }

    CimResponse answer(const std::string& name)
    {
        return service_.handle(requestFrom(readCapture(capturePath(name + ".txt"))));
    }

    Repository repository_;
    ProviderManager providers_;
    CimService service_;
};

TEST_F(GoldenTest, AnswersAreByteForByteTheReferenceForms)
{
    for (const char* name : {"ein", "ei", "ei_cte", "gi", "gi_notfound", "ein_badclass",
                             "cm_getclass", "cm", "cm_instance"})
    {
        const CimResponse response = answer(name);
        const test::HttpMessage expected =
            readCapture(capturePath(std::string(name) + ".response.txt"));
        EXPECT_EQ(response.httpStatus, 200) << name;
        EXPECT_EQ(response.body, expected.body) << name;
        EXPECT_EQ(response.contentType, expected.headers.at("Content-Type")) << name;
        ASSERT_EQ(response.headers.size(), 1u) << name;
        EXPECT_EQ(response.headers[0].first, "CIMOperation");
        EXPECT_EQ(response.headers[0].second, "MethodResponse");
    }
}

TEST_F(GoldenTest, RequestsDecodeAsTheReferenceReadThem)
{
    const CimCall gi = decodeRequest(requestFrom(readCapture(capturePath("gi.txt"))));
    EXPECT_TRUE(gi.intrinsic);
    EXPECT_EQ(gi.messageId, "4711");
    EXPECT_EQ(gi.method, "GetInstance");
    EXPECT_EQ(gi.nameSpace, "root/cimv2");
    ASSERT_EQ(gi.params.size(), 4u);
    EXPECT_EQ(gi.params[0].name, "LocalOnly");
    EXPECT_EQ(gi.params[0].value.kind, WireValue::Kind::Value);
    EXPECT_EQ(std::string(gi.params[0].value.value.toString().c_str()), "FALSE");
    EXPECT_EQ(gi.params[3].name, "InstanceName");
    ASSERT_EQ(gi.params[3].value.kind, WireValue::Kind::InstanceName);
    const OpenWBEM::CIMObjectPath& name = gi.params[3].value.path;
    EXPECT_EQ(std::string(name.getClassName().c_str()), "Hello_Thing");
    ASSERT_EQ(name.getKeys().size(), 1u);
    EXPECT_EQ(name.getKeyValue("InstanceID").getType(), OpenWBEM::CIMDataType::STRING);
    EXPECT_EQ(std::string(name.getKeyValue("InstanceID").toString().c_str()), "hello-2");

    const CimCall ein = decodeRequest(requestFrom(readCapture(capturePath("ein.txt"))));
    ASSERT_EQ(ein.params.size(), 1u);
    EXPECT_EQ(ein.params[0].value.kind, WireValue::Kind::ClassName);
    EXPECT_EQ(ein.params[0].value.className, "Hello_Thing");

    // The method call's parameter arrives without PARAMTYPE, as untyped text.
    const CimCall cm = decodeRequest(requestFrom(readCapture(capturePath("cm.txt"))));
    EXPECT_FALSE(cm.intrinsic);
    EXPECT_EQ(cm.method, "SayHello");
    EXPECT_TRUE(cm.target.isClassPath());
    EXPECT_EQ(std::string(cm.target.toString().c_str()), "/root/cimv2:Hello_Thing");
    ASSERT_EQ(cm.params.size(), 1u);
    EXPECT_EQ(cm.params[0].name, "Name");
    EXPECT_EQ(cm.params[0].paramType, "");
    EXPECT_EQ(std::string(cm.params[0].value.value.toString().c_str()), "Bob");

    const CimCall onInstance =
        decodeRequest(requestFrom(readCapture(capturePath("cm_instance.txt"))));
    EXPECT_EQ(std::string(onInstance.target.toString().c_str()),
              "/root/cimv2:Hello_Thing.InstanceID=\"hello-1\"");
}

TEST_F(GoldenTest, ReadOnlyCallersStillReadButMayNotInvoke)
{
    const CimResponse read =
        service_.handle(requestFrom(readCapture(capturePath("ei.txt")), Role::ReadOnly));
    EXPECT_EQ(read.body, readCapture(capturePath("ei.response.txt")).body);

    const test::Answer invoke(
        service_.handle(requestFrom(readCapture(capturePath("cm.txt")), Role::ReadOnly)));
    EXPECT_EQ(invoke.errorCode(), 2);
    EXPECT_EQ(std::string(invoke.response().name()), "METHODRESPONSE");
}

} // namespace
} // namespace cimom
