#include "transport.h"

#include <curl/curl.h>

#include <cctype>
#include <mutex>

namespace swu
{
namespace
{

// Answers larger than this are not CIM answers a client should hold in memory; ten thousand
// updates come to a few megabytes.
constexpr std::size_t kMaxAnswerBytes = 256u * 1024 * 1024;

struct Reply
{
    std::string body;
    std::string cimError;
    bool tooLarge = false;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    Reply& reply = *static_cast<Reply*>(user);
    std::size_t n = size * count;
    if (reply.body.size() + n > kMaxAnswerBytes)
    {
        reply.tooLarge = true;
        return 0;
    }
    reply.body.append(data, n);
    return n;
}

// The CIMError header may come with an extension prefix ("Man: ...; ns=25" then
// "25-CIMError"), as the header of the operation does.
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    Reply& reply = *static_cast<Reply*>(user);
    std::string line(data, size * count);
    std::size_t colon = line.find(':');
    if (colon != std::string::npos)
    {
        std::string name = line.substr(0, colon);
        std::size_t dash = name.find('-');
        if (dash != std::string::npos && dash > 0 &&
            std::isdigit(static_cast<unsigned char>(name[0])))
        {
            name = name.substr(dash + 1);
        }
        for (char& c : name)
        {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (name == "cimerror")
        {
            std::string value = line.substr(colon + 1);
            while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
            {
                value.pop_back();
            }
            std::size_t start = value.find_first_not_of(' ');
            reply.cimError = start == std::string::npos ? std::string() : value.substr(start);
        }
    }
    return size * count;
}

class HttpTransport : public Transport
{
public:
    explicit HttpTransport(const Endpoint& endpoint) : endpoint_(endpoint)
    {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        curl_ = curl_easy_init();
        if (curl_ == nullptr)
        {
            throw TransportError(TransportError::Kind::Connection, "libcurl could not start");
        }
    }

    ~HttpTransport() override { curl_easy_cleanup(curl_); }

    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    std::string exchange(const cimxml::Request& request) override
    {
        Reply reply;
        std::string url = endpoint_.base + "/cimom";
        curl_slist* headers = nullptr;
        for (const std::string& h :
             {std::string("Content-Type: application/xml; charset=\"utf-8\""),
              // Some CIMOMs refuse curl's "*/*" with 406 Not Acceptable.
              std::string("Accept: application/xml, text/xml"),
              std::string("CIMProtocolVersion: 1.0"), std::string("CIMOperation: MethodCall"),
              "CIMMethod: " + request.method, "CIMObject: " + request.object,
              std::string("Expect:")})
        {
            headers = curl_slist_append(headers, h.c_str());
        }
        curl_easy_reset(curl_);
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &reply);
        curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &reply);
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, 15L);
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT, endpoint_.timeoutSeconds);
        if (!endpoint_.user.empty())
        {
            curl_easy_setopt(curl_, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
            curl_easy_setopt(curl_, CURLOPT_USERNAME, endpoint_.user.c_str());
            curl_easy_setopt(curl_, CURLOPT_PASSWORD, endpoint_.password.c_str());
        }
        if (endpoint_.insecure)
        {
            curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 0L);
        }
        if (!endpoint_.caFile.empty())
        {
            curl_easy_setopt(curl_, CURLOPT_CAINFO, endpoint_.caFile.c_str());
        }
        char errorText[CURL_ERROR_SIZE] = {0};
        curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorText);

        CURLcode rc = curl_easy_perform(curl_);
        curl_slist_free_all(headers);
        if (reply.tooLarge)
        {
            throw TransportError(TransportError::Kind::Protocol,
                                 "the server's answer is larger than " +
                                     std::to_string(kMaxAnswerBytes >> 20) + " MiB");
        }
        if (rc != CURLE_OK)
        {
            std::string detail = errorText[0] ? errorText : curl_easy_strerror(rc);
            throw TransportError(TransportError::Kind::Connection,
                                 "cannot talk to " + endpoint_.base + ": " + detail);
        }
        long status = 0;
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
        if (status == 401)
        {
            throw TransportError(TransportError::Kind::Authentication,
                                 endpoint_.user.empty()
                                     ? "the server wants a user name and password (--user)"
                                     : "the server refused the user name or password");
        }
        if (status != 200)
        {
            std::string text = "the server answered HTTP " + std::to_string(status);
            if (!reply.cimError.empty())
            {
                text += " (" + reply.cimError + ")";
            }
            throw TransportError(TransportError::Kind::Protocol, text);
        }
        return std::move(reply.body);
    }

private:
    Endpoint endpoint_;
    CURL* curl_ = nullptr;
};

} // namespace

std::unique_ptr<Transport> makeHttpTransport(const Endpoint& endpoint)
{
    return std::make_unique<HttpTransport>(endpoint);
}

std::vector<Instance> Client::enumerate(const std::string& className,
                                        const std::vector<std::string>* propertyList)
{
    cimxml::Request r = cimxml::enumerateInstances(ns_, className, propertyList);
    return cimxml::parseInstances(transport_->exchange(r), r.method);
}

Instance Client::get(const InstanceName& name, const std::vector<std::string>* propertyList)
{
    cimxml::Request r = cimxml::getInstance(ns_, name, propertyList);
    Instance inst = cimxml::parseInstance(transport_->exchange(r), r.method);
    inst.name = name;
    return inst;
}

void Client::modify(const InstanceName& name, const std::vector<Parameter>& properties)
{
    cimxml::Request r = cimxml::modifyInstance(ns_, name, properties);
    cimxml::parseEmpty(transport_->exchange(r), r.method);
}

std::vector<InstanceName> Client::associatorNames(const InstanceName& name,
                                                  const std::string& assocClass,
                                                  const std::string& resultClass)
{
    cimxml::Request r = cimxml::associatorNames(ns_, name, assocClass, resultClass);
    return cimxml::parseInstanceNames(transport_->exchange(r), r.method);
}

MethodResult Client::invoke(const InstanceName& target, const std::string& method,
                            const std::vector<Parameter>& parameters)
{
    cimxml::Request r = cimxml::invokeMethod(ns_, target, method, parameters);
    return cimxml::parseMethodResponse(transport_->exchange(r), r.method);
}

} // namespace swu
