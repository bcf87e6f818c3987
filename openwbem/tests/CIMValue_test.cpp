// CIMValue: what a provider may construct, the text each type produces, exact-type access,
// null values; plus data types, conversions, properties and qualifiers.
#include "OW_config.h"
// First on purpose: this header alone must not make these classes complete.
#include "OW_CIMValue.hpp"

#include <type_traits>

namespace
{
template <class T, class Tag, class = void> struct IsComplete : std::false_type
{
};
template <class T, class Tag> struct IsComplete<T, Tag, decltype(void(sizeof(T)))> : std::true_type
{
};
struct AfterCIMValueHeaderOnly
{
};
static_assert(!IsComplete<OpenWBEM::String, AfterCIMValueHeaderOnly>::value,
              "OW_CIMValue.hpp must not define String");
static_assert(!IsComplete<OpenWBEM::CIMDateTime, AfterCIMValueHeaderOnly>::value,
              "OW_CIMValue.hpp must not define CIMDateTime");
static_assert(!IsComplete<OpenWBEM::CIMObjectPath, AfterCIMValueHeaderOnly>::value,
              "OW_CIMValue.hpp must not define CIMObjectPath");
} // end anonymous namespace

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_Char16.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMQualifierType.hpp"
#include "OW_CIMValueCast.hpp"
#include "OW_DateTime.hpp"
#include "OW_NULLValueException.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>

using namespace OpenWBEM;

namespace
{

// "<type>: <message>" of what f throws, or "no exception".
template <class F> std::string thrown(F f)
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

template <class T> Array<T> arrayOf(T a, T b)
{
    Array<T> out;
    out.push_back(a);
    out.push_back(b);
    return out;
}

// Detects whether inst.setProperty(name, value) compiles for the given argument types.
template <class N, class V, class = void> struct CanSetProperty : std::false_type
{
};
template <class N, class V>
struct CanSetProperty<N, V,
                      decltype(void(std::declval<CIMInstance&>().setProperty(
                          std::declval<N>(), std::declval<V>())))> : std::true_type
{
};

} // end anonymous namespace

// The compile-time contract: only explicit, typed construction.
static_assert(!std::is_default_constructible<CIMValue>::value, "no default constructor");
static_assert(!std::is_convertible<const char*, CIMValue>::value, "CIMValue v = \"x\"");
static_assert(!std::is_convertible<String, CIMValue>::value, "no implicit String");
static_assert(!std::is_convertible<int, CIMValue>::value, "no implicit int");
static_assert(!std::is_constructible<CIMValue, long long>::value, "long long is ambiguous");
static_assert(!std::is_constructible<CIMValue, CIMInstance*>::value, "no pointers");
static_assert(!std::is_constructible<CIMProperty, const char*, const char*>::value,
              "CIMProperty(\"a\", \"b\")");
static_assert(!CanSetProperty<const char*, const char*>::value, "setProperty(\"a\", \"b\")");
static_assert(CanSetProperty<const char*, CIMValue>::value, "setProperty(\"a\", CIMValue)");
static_assert(!std::is_convertible<CIMNULL_t, CIMValue>::value, "CIMNULL is explicit too");
static_assert(std::is_convertible<CIMDataType::Type, CIMDataType>::value, "implicit Type");

TEST(CIMValue, ConstructorsPickTheCIMTypeTheArgumentHas)
{
    EXPECT_EQ(CIMDataType::SINT32, CIMValue('A').getType());
    EXPECT_EQ(65, CIMValue('A').toInt32());
    EXPECT_EQ(CIMDataType::UINT64, CIMValue(size_t(3)).getType());
    EXPECT_EQ(CIMDataType::BOOLEAN, CIMValue(true).getType());
    EXPECT_EQ(CIMDataType::BOOLEAN, CIMValue(Bool(false)).getType());
    EXPECT_EQ(CIMDataType::UINT8, CIMValue(UInt8(1)).getType());
    EXPECT_EQ(CIMDataType::SINT8, CIMValue(Int8(1)).getType());
    EXPECT_EQ(CIMDataType::SINT16, CIMValue(Int16(1)).getType());
    EXPECT_EQ(CIMDataType::REAL32, CIMValue(Real32(1)).getType());
    EXPECT_EQ(CIMDataType::STRING, CIMValue("x").getType());
    EXPECT_EQ(CIMDataType::CHAR16, CIMValue(Char16('c')).getType());
    EXPECT_EQ(CIMDataType::DATETIME, CIMValue(DateTime(0)).getType());
    EXPECT_EQ(CIMDataType::REFERENCE, CIMValue(CIMObjectPath("C")).getType());
    EXPECT_EQ(CIMDataType::EMBEDDEDINSTANCE, CIMValue(CIMInstance("C")).getType());

    const CIMValue arr(arrayOf<UInt16>(1, 2));
    EXPECT_TRUE(arr.isArray());
    EXPECT_EQ(2u, arr.getArraySize());
    EXPECT_EQ(CIMDataType::UINT16, arr.getType());
    EXPECT_FALSE(CIMValue(UInt16(1)).isArray());
    EXPECT_TRUE(arr.getCIMDataType().isArrayType());
    EXPECT_TRUE(CIMValue(Real64(1)).isNumericType());
    EXPECT_FALSE(CIMValue("1").isNumericType());
    EXPECT_TRUE(CIMValue(UInt8(1)).sameType(CIMValue(UInt8(9))));
    EXPECT_FALSE(CIMValue(UInt8(1)).sameType(CIMValue(arrayOf<UInt8>(1, 2))));
}

TEST(CIMValue, ToStringOfEachType)
{
    EXPECT_EQ("a \"b\"\\", CIMValue("a \"b\"\\").toString());
    EXPECT_EQ("true", CIMValue(true).toString());
    EXPECT_EQ("false", CIMValue(Bool(false)).toString());
    EXPECT_EQ("200", CIMValue(UInt8(200)).toString());
    EXPECT_EQ("-3", CIMValue(Int8(-3)).toString());
    EXPECT_EQ("-32768", CIMValue(Int16(-32768)).toString());
    EXPECT_EQ("18446744073709551615", CIMValue(UInt64(~UInt64(0))).toString());
    EXPECT_EQ("1.5", CIMValue(Real64(1.5)).toString());
    EXPECT_EQ("1.23457e+08", CIMValue(123456789.0).toString());
    EXPECT_EQ("0.1", CIMValue(Real32(0.1f)).toString());
    EXPECT_EQ("x", CIMValue(Char16('x')).toString());
    EXPECT_EQ(
        "20040105030405.000007+000",
        CIMValue(CIMDateTime(DateTime(2004, 1, 5, 3, 4, 5, 7, DateTime::E_UTC_TIME))).toString());

    CIMObjectPath path("Other", "root/cimv2");
    path.setKeyValue("Name", CIMValue("x"));
    EXPECT_EQ("/root/cimv2:Other.Name=\"x\"", CIMValue(path).toString());

    CIMInstance inst("X");
    inst.setProperty("Name", CIMValue("foo"));
    EXPECT_EQ(inst.toString(), CIMValue(inst).toString());

    EXPECT_EQ("(null)", CIMValue(CIMNULL).toString());
}

TEST(CIMValue, ArraysJoinWithCommasAndRealsUsePrintfF)
{
    EXPECT_EQ("a,b c", CIMValue(arrayOf<String>("a", "b c")).toString());
    EXPECT_EQ("1,2", CIMValue(arrayOf<UInt32>(1, 2)).toString());
    EXPECT_EQ("200,7", CIMValue(arrayOf<UInt8>(200, 7)).toString());
    EXPECT_EQ("-1,2", CIMValue(arrayOf<Int8>(-1, 2)).toString());
    EXPECT_EQ("true,false", CIMValue(arrayOf<Bool>(true, false)).toString());
    EXPECT_EQ("1.500000,-2.000000", CIMValue(arrayOf<Real64>(1.5, -2)).toString());
    EXPECT_EQ("0.250000,1.000000", CIMValue(arrayOf<Real32>(0.25f, 1)).toString());
    EXPECT_EQ("", CIMValue(StringArray()).toString());
}

TEST(CIMValue, AccessorsDemandTheExactType)
{
    const CIMValue u16(UInt16(7));
    UInt16 out = 0;
    u16.get(out);
    EXPECT_EQ(7, out);
    EXPECT_EQ(7, u16.toUInt16());

    const std::string notA = "ValueCastException: CIMValue::CIMValueImpl::get - Value is not a ";
    String text;
    EXPECT_EQ(notA + "SINT64", thrown([&] { u16.toInt64(); }));
    EXPECT_EQ(notA + "UINT32", thrown([&] { u16.toUInt32(); }));
    EXPECT_EQ(notA + "STRING", thrown([&] { u16.get(text); }));
    EXPECT_EQ(notA + "BOOLEAN", thrown([] { CIMValue("true").toBool(); }));
    // No text-to-number conversion either.
    EXPECT_EQ(notA + "UINT16", thrown([] { CIMValue("7").toUInt16(); }));
    // Array and scalar of one type are different types.
    EXPECT_EQ(notA + "UINT16", thrown([] { CIMValue(arrayOf<UInt16>(1, 2)).toUInt16(); }));
    EXPECT_EQ(notA + "UINT16 ARRAY", thrown([&] { u16.toUInt16Array(); }));

    EXPECT_THROW(CIMValue("x").toInt32(), ValueCastException);

    EXPECT_TRUE(bool(CIMValue(true).toBool()));
    EXPECT_EQ(2u, CIMValue(arrayOf<String>("a", "b")).toStringArray().size());
    EXPECT_EQ("C", CIMValue(CIMObjectPath("C")).toCIMObjectPath().getClassName());
    EXPECT_EQ("X", CIMValue(CIMInstance("X")).toCIMInstance().getClassName());
    EXPECT_EQ(2004,
              CIMValue(CIMDateTime(String("20040105030405.000007+000"))).toCIMDateTime().getYear());
}

TEST(CIMValue, ScalarSint64ReadsAsAnyNumericTypeThatHoldsIt)
{
    const CIMValue v(Int64(300));
    EXPECT_EQ(300, v.toUInt16());
    EXPECT_EQ(300, v.toInt32());
    EXPECT_EQ(300u, v.toUInt64());
    EXPECT_DOUBLE_EQ(300.0, v.toReal64());
    EXPECT_FLOAT_EQ(300.0f, v.toReal32());
    EXPECT_EQ(-5, CIMValue(Int64(-5)).toInt8());

    // Refused rather than wrapped around into a different number.
    EXPECT_EQ("ValueCastException: CIMValue::CIMValueImpl::get - Value 300 is out of range "
              "for UINT8",
              thrown([&] { v.toUInt8(); }));
    EXPECT_NE("no exception", thrown([] { CIMValue(Int64(-1)).toUInt64(); }));

    // Not for arrays, not for non-numeric targets, and only from sint64.
    EXPECT_NE("no exception", thrown([] { CIMValue(arrayOf<Int64>(1, 2)).toUInt16Array(); }));
    EXPECT_NE("no exception", thrown([&] { v.toBool(); }));
    EXPECT_NE("no exception", thrown([] { CIMValue(Int32(1)).toInt64(); }));
}

TEST(CIMValue, NullValue)
{
    const CIMValue null(CIMNULL);
    EXPECT_FALSE(null);
    EXPECT_TRUE(!null);
    EXPECT_TRUE(bool(CIMValue(Int32(0))));

    const std::string nullCow = "NULLCOWReferenceException: NULL COWReference dereferenced";
    EXPECT_EQ(nullCow, thrown([&] { null.getType(); }));
    EXPECT_EQ(nullCow, thrown([&] { null.isArray(); }));
    EXPECT_EQ(nullCow, thrown([&] { null.getCIMDataType(); }));
    EXPECT_EQ(nullCow, thrown([&] { null.toInt32(); }));
    String text;
    EXPECT_EQ(nullCow, thrown([&] { null.get(text); }));

    EXPECT_TRUE(null == CIMValue(CIMNULL));
    EXPECT_FALSE(null == CIMValue(Int32(0)));
    EXPECT_FALSE(CIMValue(Int32(0)) == null);
    EXPECT_TRUE(null < CIMValue(Int32(0)));

    CIMValue v(Int32(1));
    v.setNull();
    EXPECT_FALSE(v);
    v.set(CIMValue("back"));
    EXPECT_EQ("back", v.toString());
}

TEST(CIMValue, EqualityIsTypeSensitiveAndCopiesAreIndependent)
{
    EXPECT_TRUE(CIMValue(UInt16(1)) == CIMValue(UInt16(1)));
    EXPECT_TRUE(CIMValue(UInt16(1)) != CIMValue(UInt32(1)));
    EXPECT_TRUE(CIMValue("1") != CIMValue(Int32(1)));
    EXPECT_TRUE(CIMValue(arrayOf<String>("a", "b")) == CIMValue(arrayOf<String>("a", "b")));
    EXPECT_TRUE(CIMValue(arrayOf<String>("a", "b")) != CIMValue(arrayOf<String>("b", "a")));
    EXPECT_TRUE(CIMValue(CIMObjectPath("C", "root")) == CIMValue(CIMObjectPath("c", "ROOT")));

    CIMInstance a("X");
    a.setProperty("P", CIMValue(UInt8(1)));
    CIMInstance b("x");
    b.setProperty("p", CIMValue(UInt8(1)));
    EXPECT_TRUE(CIMValue(a) == CIMValue(b));
    b.setProperty("p", CIMValue(UInt8(2)));
    EXPECT_TRUE(CIMValue(a) != CIMValue(b));

    CIMValue original("one");
    CIMValue copy(original);
    copy = CIMValue("two");
    EXPECT_EQ("one", original.toString());
    EXPECT_TRUE(CIMValue(Int32(1)) < CIMValue(Int32(2)));
}

TEST(CIMValue, CreateSimpleValueAndMOF)
{
    EXPECT_EQ(CIMValue(UInt16(42)), CIMValue::createSimpleValue("uint16", "42"));
    EXPECT_EQ(CIMValue(Bool(true)), CIMValue::createSimpleValue("BOOLEAN", "True"));
    EXPECT_EQ(CIMValue("text"), CIMValue::createSimpleValue("string", "text"));
    EXPECT_EQ(CIMDataType::DATETIME,
              CIMValue::createSimpleValue("datetime", "20040105030405.000000+000").getType());
    EXPECT_FALSE(CIMValue::createSimpleValue("widget", "1"));
    EXPECT_NE("no exception", thrown([] { CIMValue::createSimpleValue("uint8", "300"); }));

    EXPECT_EQ("\"say \\\"hi\\\"\\n\"", CIMValue("say \"hi\"\n").toMOF());
    EXPECT_EQ("{\"a\", \"b\"}", CIMValue(arrayOf<String>("a", "b")).toMOF());
    EXPECT_EQ("{1, 2}", CIMValue(arrayOf<Int32>(1, 2)).toMOF());
    EXPECT_EQ("true", CIMValue(true).toMOF());
}

TEST(CIMDataType, NamesAndKinds)
{
    EXPECT_EQ("uint8", CIMDataType(CIMDataType::UINT8).toString());
    EXPECT_EQ("string", CIMDataType(CIMDataType::STRING).toString());
    EXPECT_EQ("boolean", CIMDataType(CIMDataType::BOOLEAN).toString());
    EXPECT_EQ("datetime", CIMDataType(CIMDataType::DATETIME).toString());
    EXPECT_EQ("REF", CIMDataType(CIMDataType::REFERENCE).toString());
    EXPECT_EQ("Other REF", CIMDataType(String("Other")).toMOF());
    EXPECT_EQ(CIMDataType::SINT64, CIMDataType::strToSimpleType("SInt64"));
    EXPECT_EQ(CIMDataType::INVALID, CIMDataType::strToSimpleType("int"));
    EXPECT_FALSE(CIMDataType(CIMDataType::UINT8).isArrayType());
    EXPECT_TRUE(CIMDataType(CIMDataType::UINT8, 0).isArrayType());
    EXPECT_TRUE(CIMDataType(CIMDataType::UINT8).equals(CIMDataType::UINT8));
    EXPECT_FALSE(CIMDataType(CIMDataType::UINT8).equals(CIMDataType::UINT16));
    EXPECT_FALSE(CIMDataType(CIMNULL));
    EXPECT_TRUE(bool(CIMDataType()));
    EXPECT_EQ(CIMDataType::CIMNULL, CIMDataType().getType());
}

TEST(CIMValueCast, ConvertsWhenTheValueFitsAndRefusesOtherwise)
{
    using CIMValueCast::castValueToDataType;
    EXPECT_EQ(CIMValue(UInt16(42)), castValueToDataType(CIMValue("42"), CIMDataType::UINT16));
    EXPECT_EQ(CIMValue("42"), castValueToDataType(CIMValue(UInt16(42)), CIMDataType::STRING));
    EXPECT_EQ(CIMValue(Int8(-3)), castValueToDataType(CIMValue(Int64(-3)), CIMDataType::SINT8));
    EXPECT_EQ(CIMValue(Real64(3)), castValueToDataType(CIMValue(UInt8(3)), CIMDataType::REAL64));
    EXPECT_EQ(CIMValue(Bool(true)), castValueToDataType(CIMValue("true"), CIMDataType::BOOLEAN));
    EXPECT_EQ(CIMValue(arrayOf<UInt8>(1, 2)),
              castValueToDataType(CIMValue(arrayOf<String>("1", "2")),
                                  CIMDataType(CIMDataType::UINT8, 0)));
    EXPECT_EQ(CIMDataType::REFERENCE,
              castValueToDataType(CIMValue("/root:C.K=\"1\""), CIMDataType::REFERENCE).getType());
    EXPECT_FALSE(castValueToDataType(CIMValue(CIMNULL), CIMDataType::UINT8));

    // Out of range, lossy, unreadable, or a scalar where an array is asked for.
    const std::pair<CIMValue, CIMDataType> refused[] = {
        {CIMValue(Int32(256)), CIMDataType::UINT8},
        {CIMValue(Int32(-1)), CIMDataType::UINT32},
        {CIMValue(Real64(1.5)), CIMDataType::SINT32},
        {CIMValue("abc"), CIMDataType::UINT16},
        {CIMValue(true), CIMDataType::UINT16},
        {CIMValue("1"), CIMDataType(CIMDataType::UINT8, 0)},
    };
    for (const auto& c : refused)
    {
        SCOPED_TRACE(c.first.toString() + " to " + c.second.toString());
        EXPECT_NE("no exception", thrown([&] { castValueToDataType(c.first, c.second); }));
    }
}

TEST(CIMProperty, TypeValueAndQualifiers)
{
    const CIMProperty n("N", CIMValue(UInt16(3)));
    EXPECT_EQ("uint16:N=3", n.toString());
    EXPECT_EQ(CIMDataType::UINT16, n.getDataType().getType());
    EXPECT_FALSE(n.isKey());

    // The data type comes from the value, so a null value cannot make a property.
    EXPECT_EQ("NULLCOWReferenceException: NULL COWReference dereferenced",
              thrown([] { CIMProperty("N", CIMValue(CIMNULL)); }));

    CIMProperty named("M");
    named.setValue(CIMValue("v"));
    EXPECT_EQ(CIMDataType::CIMNULL, named.getDataType().getType());
    EXPECT_EQ(CIMValue("v"), named.getValue());
    EXPECT_EQ("NULLValueException: M", thrown([] { CIMProperty("M").getValueT(); }));

    CIMProperty key("Id", CIMValue("7"));
    key.addQualifier(CIMQualifier::createKeyQualifier());
    EXPECT_TRUE(key.isKey());
    EXPECT_TRUE(key.hasTrueQualifier("KEY"));
    EXPECT_EQ("Key", key.getQualifier("key").getName());
    EXPECT_EQ("Key(true)", key.getQualifier("Key").toMOF());
    EXPECT_FALSE(key.getQualifier("Description"));
    EXPECT_EQ("NoSuchQualifierException: Description",
              thrown([&] { key.getQualifierT("Description"); }));
    try
    {
        key.addQualifier(CIMQualifier("key"));
        FAIL() << "expected ALREADY_EXISTS";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(CIMException::ALREADY_EXISTS, e.getErrNo());
        EXPECT_STREQ("object already exists (Qualifier key already exists)", e.getMessage());
    }

    // A false Key qualifier does not make a key; a reference always does.
    CIMProperty notKey("Id", CIMValue("7"));
    CIMQualifier falseKey(CIMQualifier::CIM_QUAL_KEY);
    falseKey.setValue(CIMValue(false));
    notKey.setQualifier(falseKey);
    EXPECT_FALSE(notKey.isKey());
    EXPECT_TRUE(CIMProperty("R", CIMValue(CIMObjectPath("C"))).isKey());
    EXPECT_TRUE(key.removeQualifier("KEY"));
    EXPECT_FALSE(key.isKey());

    // Changing the declared type converts the value.
    CIMProperty text("T", CIMValue("12"));
    text.setDataType(CIMDataType::UINT32);
    EXPECT_EQ(CIMValue(UInt32(12)), text.getValue());

    EXPECT_FALSE(CIMProperty(CIMNULL));
    EXPECT_TRUE(CIMProperty("Name") == CIMProperty("NAME"));
}

TEST(CIMQualifier, ValuesDefaultsAndText)
{
    const CIMQualifier key = CIMQualifier::createKeyQualifier();
    EXPECT_EQ("Key", key.getName());
    EXPECT_EQ(CIMValue(Bool(true)), key.getValue());
    EXPECT_TRUE(key.isKeyValue());
    EXPECT_STREQ("Key", CIMQualifier::CIM_QUAL_KEY);

    CIMQualifier described("Description");
    EXPECT_FALSE(described.hasValue());
    EXPECT_EQ("NULLValueException: Description", thrown([&] { described.getValueT(); }));
    described.setValue(CIMValue("say \"x\""));
    EXPECT_EQ("Description(\"say \\\"x\\\"\")", described.toMOF());
    EXPECT_FALSE(described.isKeyValue());

    // A qualifier made from its declaration starts with the declared default.
    CIMQualifierType decl("Version");
    decl.setDataType(CIMDataType::STRING).setDefaultValue(CIMValue("1.0"));
    const CIMQualifier version("Version", decl);
    EXPECT_EQ(CIMValue("1.0"), version.getValue());
    EXPECT_EQ("Version", version.getDefaults().getName());
    EXPECT_EQ("Qualifier Version : string = \"1.0\";\n", decl.toMOF());

    EXPECT_FALSE(CIMQualifier(CIMNULL));
    EXPECT_FALSE(CIMQualifierType(CIMNULL));
}
