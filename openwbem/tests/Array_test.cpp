// Array: construction, index checking and modification.
#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

using namespace OpenWBEM;

namespace
{

template <typename F> std::string outOfBounds(F f)
{
    try
    {
        f();
    }
    catch (const OutOfBoundsException& e)
    {
        return e.getMessage();
    }
    return "no exception";
}

Array<int> oneToFive()
{
    Array<int> a;
    for (int i = 1; i <= 5; ++i)
    {
        a.push_back(i);
    }
    return a;
}

} // end unnamed namespace

static_assert(!std::is_convertible<size_t, Array<int>>::value, "size ctor is explicit");

TEST(Array, ConstructionPicksTheIntendedOverload)
{
    // (3, 7) is a count and a value, not an iterator range.
    const Array<int> sevens(3, 7);
    ASSERT_EQ(3u, sevens.size());
    EXPECT_EQ(7, sevens[2]);
    EXPECT_EQ(2u, Array<long>(2L, 9L).size());
    EXPECT_EQ(4u, Array<String>(size_t(4)).size());
    const StringArray named(2, String("x"));
    EXPECT_STREQ("x", named[1].c_str());

    const int raw[] = {4, 5, 6};
    const Array<int> fromRange(raw, raw + 3);
    EXPECT_EQ(6, fromRange.back());
    EXPECT_EQ(4, fromRange.front());
    EXPECT_TRUE(Array<int>().empty());
}

TEST(Array, IndexingOutsideTheElementsThrows)
{
    Array<int> a(2, 0);
    const Array<int>& ca = a;
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 5", outOfBounds([&] { a[5] = 1; }));
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 2", outOfBounds([&] { (void)ca[2]; }));
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 2", outOfBounds([&] { a.remove(2); }));
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 3",
              outOfBounds([&] { a.remove(1, 3); }));
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 2",
              outOfBounds([&] { a.remove(2, 1); }));
    EXPECT_EQ("Array Index out of bounds. size = 2, index = 3",
              outOfBounds([&] { a.insert(size_t(3), 1); }));

    // Empty arrays have no first or last element to hand out or take away.
    Array<int> empty;
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0",
              outOfBounds([&] { empty.front(); }));
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0", outOfBounds([&] { empty.back(); }));
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0",
              outOfBounds([&] { empty.pop_back(); }));

    try
    {
        a[9];
        ADD_FAILURE() << "no exception";
    }
    catch (const Exception& e)
    {
        EXPECT_STREQ("OutOfBoundsException", e.type());
    }
    EXPECT_EQ(2u, a.size());
}

TEST(Array, ModificationKeepsOrder)
{
    Array<int> a = oneToFive();
    a.remove(0);
    ASSERT_EQ(4u, a.size());
    EXPECT_EQ(2, a[0]);
    a.remove(1, 3); // drops 3 and 4
    ASSERT_EQ(2u, a.size());
    EXPECT_EQ(2, a[0]);
    EXPECT_EQ(5, a[1]);
    a.remove(0, 0);
    EXPECT_EQ(2u, a.size());

    a.insert(size_t(1), 9);
    a.insert(size_t(3), 10); // at size(): appends
    a.insert(a.begin(), 0);
    a.append(11);
    a += 12;
    a.appendArray(Array<int>(2, 13));
    const int expected[] = {0, 2, 9, 5, 10, 11, 12, 13, 13};
    EXPECT_TRUE(a == Array<int>(expected, expected + 9));

    a.erase(a.begin(), a.begin() + 2);
    a.pop_back();
    EXPECT_EQ(9, a.front());
    EXPECT_EQ(13, a.back());
    a.resize(2);
    a.resize(3, 4);
    const int resized[] = {9, 5, 4};
    EXPECT_TRUE(a == Array<int>(resized, resized + 3));
    a.clear();
    EXPECT_TRUE(a.empty());
}

TEST(Array, CopiesAreIndependentAndCompareByValue)
{
    StringArray original;
    original.push_back(String("a"));
    StringArray copy(original);
    copy[0] = String("changed");
    copy.push_back(String("b"));
    EXPECT_STREQ("a", original[0].c_str());
    EXPECT_EQ(1u, original.size());

    EXPECT_TRUE(original != copy);
    EXPECT_TRUE(original < copy); // "a" < "changed"
    EXPECT_TRUE(copy > original && original <= original && copy >= original);
    copy = original;
    EXPECT_TRUE(copy == original);

    StringArray other(3, String("z"));
    swap(copy, other);
    EXPECT_EQ(3u, copy.size());
    EXPECT_EQ(1u, other.size());
    size_t visited = 0;
    for (StringArray::const_reverse_iterator it = copy.rbegin(); it != copy.rend(); ++it)
    {
        ++visited;
    }
    EXPECT_EQ(3u, visited);
}
