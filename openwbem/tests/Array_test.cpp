// Array: construction, index checking and modification.
#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

using namespace OpenWBEM;

namespace
{

// The message of the OutOfBoundsException f raises, or "no exception".
template <typename F> std::string outOfBounds(F f)
{
    try
    {
        f();
    }
    catch (const OutOfBoundsException& e)
    {
        EXPECT_STREQ("OutOfBoundsException", e.type());
        return e.getMessage();
    }
    return "no exception";
}

std::vector<int> elements(const Array<int>& a)
{
    return std::vector<int>(a.begin(), a.end());
}

} // end unnamed namespace

static_assert(!std::is_convertible<size_t, Array<int>>::value, "size ctor is explicit");

TEST(Array, ConstructionPicksTheIntendedOverload)
{
    // (3, 7) is a count and a value, not an iterator range.
    EXPECT_EQ((std::vector<int>{7, 7, 7}), elements(Array<int>(3, 7)));
    EXPECT_EQ(2u, Array<long>(2L, 9L).size());
    EXPECT_EQ(4u, Array<String>(size_t(4)).size());
    EXPECT_STREQ("x", StringArray(2, String("x"))[1].c_str());

    const int raw[] = {4, 5, 6};
    EXPECT_EQ((std::vector<int>{4, 5, 6}), elements(Array<int>(raw, raw + 3)));
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
    EXPECT_EQ(2u, a.size());

    // Empty arrays have no first or last element to hand out or take away.
    Array<int> empty;
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0",
              outOfBounds([&] { empty.front(); }));
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0", outOfBounds([&] { empty.back(); }));
    EXPECT_EQ("Array Index out of bounds. size = 0, index = 0",
              outOfBounds([&] { empty.pop_back(); }));
}

TEST(Array, ModificationKeepsOrder)
{
    const int raw[] = {1, 2, 3, 4, 5};
    Array<int> a(raw, raw + 5);
    a.remove(0);
    a.remove(1, 3); // end exclusive: drops 3 and 4
    a.remove(0, 0);
    EXPECT_EQ((std::vector<int>{2, 5}), elements(a));

    a.insert(size_t(1), 9);
    a.insert(size_t(3), 10); // at size(): appends
    a.insert(a.begin(), 0);
    a.append(11);
    a += 12;
    a.appendArray(Array<int>(2, 13));
    EXPECT_EQ((std::vector<int>{0, 2, 9, 5, 10, 11, 12, 13, 13}), elements(a));

    a.erase(a.begin(), a.begin() + 2);
    a.pop_back();
    EXPECT_EQ((std::vector<int>{9, 5, 10, 11, 12, 13}), elements(a));
    EXPECT_TRUE(a.front() == 9 && a.back() == 13);
    a.resize(2);
    a.resize(3, 4);
    EXPECT_EQ((std::vector<int>{9, 5, 4}), elements(a));
    a.clear();
    EXPECT_TRUE(a.empty());
}

TEST(Array, CopiesAreIndependentAndCompareByValue)
{
    StringArray original(1, String("a"));
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
    EXPECT_EQ(3, std::distance(copy.rbegin(), copy.rend()));
}
