// Exceptions and CIMException texts, and the reference types, whose failure mode is the
// library's null-reference exception.
#include "OW_config.h"
#include "OW_CIMException.hpp"
#include "OW_Exception.hpp"
#include "OW_IntrusiveReference.hpp"
#include "OW_NoSuchPropertyException.hpp"
#include "OW_Reference.hpp"
#include "../src/NullExceptions.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace OpenWBEM
{
OW_DECLARE_EXCEPTION(Widget);
}

using namespace OpenWBEM;

namespace
{

CIMException caught(CIMException::ErrNoType code, const char* msg)
{
    try
    {
        OW_THROWCIMMSG(code, msg);
    }
    catch (const CIMException& e)
    {
        return e;
    }
    return CIMException("", 0, CIMException::SUCCESS);
}

struct Tracked
{
    explicit Tracked(int* deaths) : deaths(deaths) {}
    virtual ~Tracked() { ++*deaths; }
    int* deaths;
};

struct TrackedChild : Tracked
{
    explicit TrackedChild(int* deaths) : Tracked(deaths) {}
};

struct Counted : public virtual IntrusiveCountableBase
{
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() { ++*deaths; }
    int* deaths;
};

struct CountedChild : Counted
{
    explicit CountedChild(int* deaths) : Counted(deaths) {}
};

std::string nullFailure(void (*f)())
{
    try
    {
        f();
    }
    catch (const Exception& e)
    {
        return std::string(e.type()) + ": " + e.getMessage();
    }
    return "no exception";
}

} // end unnamed namespace

TEST(Exception, DeclaredSubclassCarriesPositionMessageAndCause)
{
    const WidgetException cause("cause.cpp", 7, "inner", 3);
    std::unique_ptr<WidgetException> outer(
        new WidgetException("outer.cpp", 42, "outer text", Exception::UNKNOWN_ERROR_CODE, &cause));
    EXPECT_STREQ("WidgetException", outer->type());
    EXPECT_STREQ("outer text", outer->getMessage());
    EXPECT_STREQ("outer text", outer->what());
    EXPECT_STREQ("outer.cpp", outer->getFile());
    EXPECT_EQ(42, outer->getLine());
    EXPECT_EQ(-1, outer->getErrorCode());
    EXPECT_EQ(Exception::UNKNOWN_SUBCLASS_ID, outer->getSubClassId());
    ASSERT_NE(nullptr, outer->getSubException());
    EXPECT_NE(&cause, outer->getSubException());
    EXPECT_EQ(3, outer->getSubException()->getErrorCode());

    // Copies and clones own their cause; they outlive the original.
    std::unique_ptr<Exception> clone(outer->clone());
    const WidgetException copy(*outer);
    outer.reset();
    EXPECT_STREQ("WidgetException", clone->type());
    EXPECT_NE(nullptr, dynamic_cast<WidgetException*>(clone.get()));
    EXPECT_STREQ("inner", clone->getSubException()->getMessage());
    EXPECT_STREQ("inner", copy.getSubException()->getMessage());

    const WidgetException noText(0, 1, 0);
    EXPECT_STREQ("", noText.getMessage());
    EXPECT_STREQ("", noText.getFile());

    std::ostringstream os;
    os << copy;
    EXPECT_EQ("outer.cpp: 42 WidgetException: outer text", os.str());

    try
    {
        OW_THROW(NoSuchPropertyException, "Name");
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ("Name", e.what());
        EXPECT_STREQ("NoSuchPropertyException", dynamic_cast<const Exception&>(e).type());
    }
}

TEST(CIMException, MessageIsTheStandardTextPlusDetail)
{
    const CIMException e = caught(CIMException::NOT_FOUND, "Widget 7");
    EXPECT_EQ(CIMException::NOT_FOUND, e.getErrNo());
    EXPECT_STREQ("requested object could not be found (Widget 7)", e.getMessage());
    EXPECT_STREQ(e.getMessage(), e.what());
    EXPECT_STREQ("CIMException", e.type());
    EXPECT_EQ(6, e.getErrorCode());

    EXPECT_STREQ("general error", caught(CIMException::FAILED, 0).getMessage());
    EXPECT_STREQ("general error", caught(CIMException::FAILED, "").getMessage());
    EXPECT_STREQ("no error", caught(CIMException::SUCCESS, 0).getMessage());
    EXPECT_STREQ("invalid parameter passed to method",
                 caught(CIMException::INVALID_PARAMETER, 0).getMessage());
    EXPECT_STREQ("class does not exist", caught(CIMException::INVALID_CLASS, 0).getMessage());
    EXPECT_STREQ("requested operation is not supported",
                 caught(CIMException::NOT_SUPPORTED, 0).getMessage());
    EXPECT_STREQ("operator cannot be done on class with instances",
                 caught(CIMException::CLASS_HAS_INSTANCES, 0).getMessage());
    EXPECT_STREQ("extrinsic method does not exist",
                 caught(CIMException::METHOD_NOT_FOUND, 0).getMessage());
    EXPECT_STREQ("Access to CIM resource unavailable to client (x)",
                 caught(CIMException::ACCESS_DENIED, "x").getMessage());
    // A detail that already starts with the standard text is not wrapped a second time.
    EXPECT_STREQ(
        "object already exists (Qualifier Key already exists)",
        caught(CIMException::ALREADY_EXISTS, "object already exists (Qualifier Key already exists)")
            .getMessage());
    // Codes past the last standard one (the enumeration can hold up to 31).
    EXPECT_STREQ("unknown error (odd)",
                 caught(static_cast<CIMException::ErrNoType>(18), "odd").getMessage());
    EXPECT_STREQ("unknown error", caught(static_cast<CIMException::ErrNoType>(31), 0).getMessage());

    // A multi-line localisable message passes through untouched inside the parentheses.
    EXPECT_STREQ("general error (Failed\n#SWU_Error_X,a#)",
                 caught(CIMException::FAILED, "Failed\n#SWU_Error_X,a#").getMessage());
}

TEST(CIMException, ValueOperationsKeepCodeAndTextTogether)
{
    CIMException e = caught(CIMException::NOT_FOUND, "w");
    e.setErrNo(CIMException::INVALID_PARAMETER);
    EXPECT_STREQ("invalid parameter passed to method (w)", e.getMessage());

    CIMException other = caught(CIMException::FAILED, "f");
    other = e;
    EXPECT_EQ(CIMException::INVALID_PARAMETER, other.getErrNo());
    EXPECT_STREQ("invalid parameter passed to method (w)", other.what());

    CIMException third = caught(CIMException::METHOD_NOT_FOUND, "m");
    third.swap(other);
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, other.getErrNo());
    EXPECT_STREQ("extrinsic method does not exist (m)", other.getMessage());
    EXPECT_STREQ("invalid parameter passed to method (w)", third.getMessage());

    std::unique_ptr<CIMException> clone(third.clone());
    EXPECT_EQ(CIMException::INVALID_PARAMETER, clone->getErrNo());
    std::ostringstream os;
    os << static_cast<const Exception&>(*clone);
    EXPECT_NE(std::string::npos,
              os.str().find(" CIMException: invalid parameter passed to method (w)"));
    int throwLine = 0;
    try
    {
        throwLine = __LINE__ + 1;
        OW_THROWCIM(CIMException::INVALID_CLASS);
    }
    catch (const Exception& ex)
    {
        EXPECT_STREQ("class does not exist", ex.getMessage());
        EXPECT_EQ(throwLine, ex.getLine());
        EXPECT_STREQ(__FILE__, ex.getFile());
    }
}

TEST(Reference, SharesOwnershipAndThrowsOnNull)
{
    int deaths = 0;
    {
        Reference<Tracked> a(new TrackedChild(&deaths));
        Reference<Tracked> b(a);
        Reference<Tracked> c;
        EXPECT_TRUE(!c && c.isNull() && a && !a.isNull());
        c = b;
        EXPECT_TRUE(a == c && a.getPtr() == c.getPtr());
        Reference<TrackedChild> child = a.cast_to<TrackedChild>();
        ASSERT_TRUE(child);
        Reference<Tracked> back(child);
        EXPECT_TRUE(back == a);
        a = new Tracked(&deaths);
        EXPECT_TRUE(a != b);
        b.swap(a);
        EXPECT_EQ(0, deaths);
        struct Unrelated : Tracked
        {
            explicit Unrelated(int* d) : Tracked(d) {}
        };
        EXPECT_TRUE(!b.cast_to<Unrelated>());
    }
    EXPECT_EQ(2, deaths);

    EXPECT_EQ("NULLReferenceException: NULL Reference dereferenced",
              nullFailure([] { Reference<Tracked>()->deaths = 0; }));
    EXPECT_EQ("NULLReferenceException: NULL Reference dereferenced",
              nullFailure([] { (void)*Reference<Tracked>(); }));
    EXPECT_EQ("NULLCOWReferenceException: NULL COWReference dereferenced",
              nullFailure([] { throwNULLCOWReference(__FILE__, __LINE__); }));
}

TEST(IntrusiveReference, CountLivesInTheObject)
{
    int deaths = 0;
    {
        IntrusiveReference<Counted> a(new CountedChild(&deaths));
        // A raw pointer handed back in joins the same count.
        IntrusiveReference<Counted> fromRaw(a.get());
        IntrusiveReference<CountedChild> down = dynamic_pointer_cast<CountedChild>(a);
        EXPECT_TRUE(down && down.get() == a.get());
        IntrusiveReference<Counted> up = static_pointer_cast<Counted>(down);
        EXPECT_TRUE(up == a && a == a.get() && a.get() == up);
        a = 0;
        fromRaw = IntrusiveReference<Counted>();
        EXPECT_TRUE(!a && fromRaw == IntrusiveReference<Counted>());
        EXPECT_EQ(0, deaths);
    }
    EXPECT_EQ(1, deaths);

    // Copying an object does not copy its count: the copy dies with its own last reference.
    {
        IntrusiveReference<Counted> original(new Counted(&deaths));
        IntrusiveReference<Counted> copy(new Counted(*original));
        copy = IntrusiveReference<Counted>();
        EXPECT_EQ(2, deaths);
    }
    EXPECT_EQ(3, deaths);

    EXPECT_EQ("NULLReferenceException: NULL Reference dereferenced",
              nullFailure([] { IntrusiveReference<Counted>()->deaths = 0; }));
}

TEST(IntrusiveReference, CountsSurviveConcurrentCopies)
{
    constexpr int THREAD_COUNT = 4;
    constexpr int COPIES_PER_THREAD = 20000;
    int deaths = 0;
    {
        IntrusiveReference<Counted> shared(new Counted(&deaths));
        Reference<Tracked> plain(new Tracked(&deaths));
        std::vector<std::thread> threads;
        for (int t = 0; t < THREAD_COUNT; ++t)
        {
            threads.emplace_back(
                [shared, plain]
                {
                    for (int i = 0; i < COPIES_PER_THREAD; ++i)
                    {
                        IntrusiveReference<Counted> c(shared);
                        Reference<Tracked> p(plain);
                        (void)c;
                        (void)p;
                    }
                });
        }
        for (std::thread& t : threads)
        {
            t.join();
        }
        EXPECT_EQ(0, deaths);
    }
    EXPECT_EQ(2, deaths);
}
