// GStringArray: adding, copying, indexing, growing, inserting and removing.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/gstringarray.h"

namespace {

std::vector<std::wstring> Items(const GStringArray& a) {
    std::vector<std::wstring> items;
    for (int i = 0; i < a.GetCount(); ++i) items.push_back(static_cast<const wchar_t*>(a.GetAt(i)));
    return items;
}

GStringArray Make(std::initializer_list<const wchar_t*> texts) {
    GStringArray a;
    for (const wchar_t* t : texts) a.Add(t);
    return a;
}

using Texts = std::vector<std::wstring>;

TEST(GStringArray, AddReturnsUpperBound) {
    GStringArray a;
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetUpperBound(), -1);
    EXPECT_EQ(a.Add(GString(L"one")), 0);
    EXPECT_EQ(a.Add(L"two"), 1);
    EXPECT_EQ(a.GetUpperBound(), 1);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a.Add(static_cast<const wchar_t*>(nullptr)), 2);
    EXPECT_EQ(Items(a), (Texts{L"one", L"two", L""}));
}

TEST(GStringArray, ElementsAreIndependentCopies) {
    GString text(L"orig");
    GStringArray a;
    a.Add(text);
    text = L"changed";
    EXPECT_EQ(Items(a), (Texts{L"orig"}));
    GStringArray b(a);
    b.ElementAt(0) = L"copy";
    EXPECT_EQ(Items(a), (Texts{L"orig"}));
    EXPECT_EQ(Items(b), (Texts{L"copy"}));
}

TEST(GStringArray, StoringCopiesUpToFirstZero) {
    GString inner(L'a', 3);
    inner.SetAt(1, 0);
    GStringArray a;
    a.Add(inner);
    a.SetAtGrow(1, inner);
    a.InsertAt(0, inner, 1);
    for (int i = 0; i < a.GetCount(); ++i) EXPECT_EQ(a.GetAt(i).GetLength(), 1) << i;
}

TEST(GStringArray, GrowingKeepsElementsWhole) {
    GStringArray a;
    a.Add(L"abc");
    a.ElementAt(0).SetAt(1, 0); // a 0 unit inside the stored element
    for (int i = 0; i < 100; ++i) a.Add(L"more");
    a.InsertAt(0, GString(L"front"), 3);
    a.RemoveAt(1, 1);
    EXPECT_EQ(a.ElementAt(2).GetLength(), 3);
    EXPECT_EQ(a.ElementAt(2).GetAt(2), L'c');
}

TEST(GStringArray, GetAtAndConstIndexGuardTheirIndex) {
    const GStringArray a = Make({L"a", L"b"});
    EXPECT_EQ(std::wstring(a.GetAt(1)), L"b");
    EXPECT_EQ(std::wstring(a[0]), L"a");
    EXPECT_EQ(a.GetAt(5).GetLength(), 0);
    EXPECT_EQ(a.GetAt(2).GetLength(), 0);
    EXPECT_EQ(a.GetAt(-1).GetLength(), 0);
    EXPECT_EQ(a[7].GetLength(), 0);
}

TEST(GStringArray, SetAtIgnoresBadIndex) {
    GStringArray a = Make({L"a", L"b"});
    a.SetAt(1, GString(L"B"));
    a.SetAt(5, GString(L"x"));
    a.SetAt(2, GString(L"x"));
    a.SetAt(-1, GString(L"x"));
    EXPECT_EQ(Items(a), (Texts{L"a", L"B"}));
}

TEST(GStringArray, SetAtGrow) {
    GStringArray a = Make({L"a", L"b"});
    a.SetAtGrow(5, GString(L"x"));
    EXPECT_EQ(Items(a), (Texts{L"a", L"b", L"", L"", L"", L"x"}));
    a.SetAtGrow(0, GString(L"A"));
    a.SetAtGrow(-1, GString(L"neg"));
    EXPECT_EQ(Items(a), (Texts{L"A", L"b", L"", L"", L"", L"x"}));
    // The value may be an element of the array itself, moved by the growth.
    a.SetAtGrow(300, a[1]);
    EXPECT_EQ(a.GetCount(), 301);
    EXPECT_EQ(std::wstring(a.GetAt(300)), L"b");
}

TEST(GStringArray, ElementAtAndIndexGiveReferences) {
    GStringArray a = Make({L"a", L"b", L"c"});
    a.ElementAt(1) = L"B";
    a[2].Append(L"!");
    EXPECT_EQ(Items(a), (Texts{L"a", L"B", L"c!"}));
    EXPECT_EQ(&a.ElementAt(0), &a[0]);
}

TEST(GStringArray, ElementAtOutsideThrows) {
    GStringArray a = Make({L"a", L"b", L"c"});
    for (int index : {-1, 3, 100, INT_MIN}) {
        try {
            a.ElementAt(index);
            ADD_FAILURE() << "nothing thrown for " << index;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
        }
        EXPECT_THROW(a[index], std::out_of_range);
    }
    EXPECT_EQ(Items(a), (Texts{L"a", L"b", L"c"}));
}

TEST(GStringArray, SetSize) {
    GStringArray a;
    a.SetSize(4);
    EXPECT_EQ(Items(a), (Texts{L"", L"", L"", L""}));
    a.SetAt(1, GString(L"keep"));
    a.SetSize(2, 16);
    EXPECT_EQ(Items(a), (Texts{L"", L"keep"}));
    a.SetSize(-1);
    EXPECT_EQ(a.GetCount(), 2);
    a.SetSize(0);
    EXPECT_EQ(a.GetCount(), 0);
}

TEST(GStringArray, FreeExtraChangesNothing) {
    GStringArray a = Make({L"a", L"b"});
    a.FreeExtra();
    EXPECT_EQ(Items(a), (Texts{L"a", L"b"}));
}

TEST(GStringArray, InsertCopies) {
    GStringArray a = Make({L"a", L"b", L"c"});
    a.InsertAt(9, GString(L"x"), 2);
    EXPECT_EQ(Items(a), (Texts{L"a", L"b", L"c", L"x", L"x"}));

    GStringArray b = Make({L"a", L"b", L"c"});
    b.InsertAt(1, GString(L"x"), 2);
    EXPECT_EQ(Items(b), (Texts{L"a", L"x", L"x", L"b", L"c"}));

    GStringArray c = Make({L"a", L"b", L"c"});
    c.InsertAt(1, GString(L"x"), 0);
    c.InsertAt(1, GString(L"x"), -3);
    EXPECT_EQ(Items(c), (Texts{L"a", L"b", L"c"}));
    c.InsertAt(0, GString(L"first"));
    c.InsertAt(3, c[0]); // an element of the array itself
    EXPECT_EQ(Items(c), (Texts{L"first", L"a", L"b", L"first", L"c"}));
    EXPECT_THROW(c.InsertAt(-1, GString(L"x"), 1), std::out_of_range);
    EXPECT_EQ(c.GetCount(), 5);
}

TEST(GStringArray, InsertArray) {
    GStringArray a = Make({L"a", L"b"});
    GStringArray other = Make({L"x", L"y"});
    a.InsertAt(1, &other);
    EXPECT_EQ(Items(a), (Texts{L"a", L"x", L"y", L"b"}));
    a.InsertAt(4, &other);
    EXPECT_EQ(Items(a), (Texts{L"a", L"x", L"y", L"b", L"x", L"y"}));
    a.InsertAt(0, nullptr);
    EXPECT_EQ(a.GetCount(), 6);
    GStringArray self = Make({L"1", L"2"});
    self.InsertAt(1, &self);
    EXPECT_EQ(Items(self), (Texts{L"1", L"1", L"2", L"2"}));
    EXPECT_THROW(self.InsertAt(5, &other), std::out_of_range);
    EXPECT_THROW(self.InsertAt(-1, &other), std::out_of_range);
    EXPECT_EQ(self.GetCount(), 4);
}

TEST(GStringArray, RemoveAt) {
    struct Case {
        int index;
        int count;
        Texts expected;
    };
    const Case cases[] = {
        {1, 0, {L"a", L"b", L"c"}},
        {3, 1, {L"a", L"b", L"c"}},
        {1, -2, {L"a", L"b", L"c"}},
        {0, 2, {L"c"}},
        {1, 1, {L"a", L"c"}},
        {2, 1, {L"a", L"b"}},
        {1, 10, {L"a"}},
        {0, INT_MAX, {}},
    };
    for (const Case& c : cases) {
        GStringArray a = Make({L"a", L"b", L"c"});
        a.RemoveAt(c.index, c.count);
        EXPECT_EQ(Items(a), c.expected) << c.index << " " << c.count;
    }
    GStringArray a = Make({L"a", L"b", L"c"});
    a.RemoveAt(1);
    EXPECT_EQ(Items(a), (Texts{L"a", L"c"}));
    EXPECT_THROW(a.RemoveAt(-1, 1), std::out_of_range);
    EXPECT_EQ(a.GetCount(), 2);
    a.RemoveAll();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetUpperBound(), -1);
}

TEST(GStringArray, CopyAppendAssign) {
    GStringArray a = Make({L"a", L"b"});
    GStringArray b = Make({L"x"});
    b.Append(a);
    EXPECT_EQ(Items(b), (Texts{L"x", L"a", L"b"}));
    b.Copy(a);
    EXPECT_EQ(Items(b), (Texts{L"a", L"b"}));
    GStringArray c = Make({L"old", L"old", L"old"});
    GStringArray& result = (c = Make({L"new"}));
    EXPECT_EQ(&result, &c);
    EXPECT_EQ(Items(c), (Texts{L"new"}));
}

TEST(GStringArray, SelfCopyAppendAssign) {
    GStringArray a = Make({L"a", L"b"});
    a.Copy(a);
    EXPECT_EQ(Items(a), (Texts{L"a", L"b"}));
    GStringArray& same = a;
    a = same;
    EXPECT_EQ(Items(a), (Texts{L"a", L"b"}));
    a.Append(a);
    EXPECT_EQ(Items(a), (Texts{L"a", L"b", L"a", L"b"}));
}

TEST(GStringArray, TooManyElementsThrowLengthError) {
    GStringArray a = Make({L"a", L"b", L"c"});
    try {
        a.InsertAt(9, GString(L"x"), INT_MAX);
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "vector<T> too long");
    }
    EXPECT_THROW(a.InsertAt(1, GString(L"x"), INT_MAX - 2), std::length_error);
    EXPECT_EQ(Items(a), (Texts{L"a", L"b", L"c"}));
}

} // namespace
