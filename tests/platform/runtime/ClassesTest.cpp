#include "platform/runtime/Classes.h"

#include <gtest/gtest.h>

namespace {

TEST(StringList, SortedFindAndDuplicates) {
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("Apple");
    list.Add("fig");
    EXPECT_EQ(list.Add("APPLE"), 0);  // dupIgnore finds the existing one
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "Apple");
    EXPECT_EQ(list[2], "pear");
    int32_t at;
    EXPECT_TRUE(list.Find("FIG", at));
    EXPECT_EQ(at, 1);
    EXPECT_FALSE(list.Find("grape", at));
    EXPECT_EQ(at, 2);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("fig"), EStringListError);
    EXPECT_THROW(list.Insert(0, "x"), EStringListError);
}

TEST(StringList, IndexErrorsCarryTheIndex) {
    TStringList list;
    try {
        list.Get(3);
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (3)");
    }
}

TEST(StringList, TextSplitsEveryLineBreak) {
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "d");
    EXPECT_EQ(list.Text(), "a\nb\nc\nd\n");
}

TEST(StringList, CommaTextQuotesAsThePlatformDoes) {
    TStringList list;
    list.SetCommaText("a,\"b c\",\"d\"\"e\",f g,,");
    ASSERT_EQ(list.Count(), 7);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list[1], "b c");
    EXPECT_EQ(list[2], "d\"e");
    EXPECT_EQ(list[3], "f");
    EXPECT_EQ(list[4], "g");
    EXPECT_EQ(list[5], "");
    EXPECT_EQ(list[6], "");
    TStringList out;
    out.Add("a");
    out.Add("b c");
    out.Add("d\"e");
    out.Add("");
    EXPECT_EQ(out.CommaText(), "a,\"b c\",\"d\"\"e\",");
    out.SetStrictDelimiter(true);
    out.SetDelimitedText("x y,z");
    ASSERT_EQ(out.Count(), 2);
    EXPECT_EQ(out[0], "x y");
}

TEST(StringList, ValuesAndChangeEvents) {
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.SetValues("a", "1");
    list.SetValues("b", "2");
    list.SetValues("A", "3");
    EXPECT_EQ(list.Values("a"), "3");
    EXPECT_EQ(list.Names(1), "b");
    EXPECT_EQ(changes, 3);
    list.BeginUpdate();
    list.Add("x");
    list.Add("y");
    list.EndUpdate();
    EXPECT_EQ(changes, 4);
}

TEST(StringList, CustomSortSeesTheListUnchanged) {
    TStringList list;
    for (const char* s : {"10", "9", "100", "1"}) list.Add(s);
    list.CustomSort([](TStringList& l, int32_t a, int32_t b) { return StrToInt(l[a]) - StrToInt(l[b]); });
    EXPECT_EQ(list.CommaText(), "1,9,10,100");
}

TEST(Components, OwnerFreesWhatItOwns) {
    static int alive = 0;
    struct Counted : TComponent {
        explicit Counted(TComponent* owner) : TComponent(owner) { ++alive; }
        ~Counted() override { --alive; }
    };
    {
        TComponent root(nullptr);
        auto* a = new Counted(&root);
        a->SetName("Button1");
        new Counted(a);
        new Counted(&root);
        EXPECT_EQ(alive, 3);
        EXPECT_EQ(root.FindComponent("BUTTON1"), a);
        delete a;  // leaves its owner's list
        EXPECT_EQ(alive, 1);
        EXPECT_EQ(root.ComponentCount(), 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Persistent, UnsupportedAssignNamesBothClasses) {
    TStringList list;
    TComponent component(nullptr);
    try {
        list.Assign(&component);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TStringList");
    }
}

TEST(Streams, MemoryStreamReadWriteSeek) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Size(), 5);
    s.SetPosition(1);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4);
    EXPECT_STREQ(buf, "ello");
    s.SetPosition(3);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
    s.SetSize(2);
    EXPECT_EQ(s.Size(), 2);
    EXPECT_EQ(s.Position(), 2);
}

// Bytes a stream grows by without being written read as 0, also where
// earlier, cut-off bytes lay; large streams keep every byte.
TEST(Streams, MemoryStreamGrowsWithZeros) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    s.SetSize(2);
    s.SetSize(5);
    std::string back(5, 'x');
    s.SetPosition(0);
    s.ReadBuffer(back.data(), 5);
    EXPECT_EQ(back, std::string("ab") + std::string(3, '\0'));
    s.SetSize(1);
    s.SetPosition(4);
    s.WriteBuffer("z", 1);
    back.assign(5, 'x');
    s.SetPosition(0);
    s.ReadBuffer(back.data(), 5);
    EXPECT_EQ(back, std::string("a") + std::string(3, '\0') + "z");
    TMemoryStream big;
    std::string chunk(1000, '\0');
    for (int i = 0; i < 5000; ++i) {
        chunk[0] = static_cast<char>(i);
        big.WriteBuffer(chunk.data(), 1000);
    }
    EXPECT_EQ(big.Size(), 5000000);
    for (int i = 0; i < 5000; i += 499) EXPECT_EQ(big.Memory()[int64_t(i) * 1000], static_cast<uint8_t>(i));
}

TEST(Streams, FileStreamErrorsNameTheFile) {
    try {
        TFileStream f("/nonexistent/dir/x.bin", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot open file \"/nonexistent/dir/x.bin\".", 0), 0u);
    }
    EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmCreate), EFCreateError);
    std::string path = "/tmp/varsona_stream_test.bin";
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("abcdef", 6);
    }
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 6), "abcdef");
    DeleteFile(path);
}

TEST(Lists, TListBoundsAndMove) {
    TList list;
    int a, b, c;
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    list.Move(0, 2);
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list[2], &a);
    EXPECT_THROW(list.Items(3), EListError);
    EXPECT_EQ(list.Remove(&b), 0);
    EXPECT_EQ(list.Count(), 2);
}

}  // namespace
