#include "platform/runtime/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/initestXXXXXX";
        FDir = mkdtemp(tmpl);
        FPath = FDir + "/test.ini";
    }
    void TearDown() override { std::system(("rm -rf " + FDir).c_str()); }
    void WriteRaw(const std::string& text) { ASSERT_TRUE(WriteFileAtomically(FPath, text)); }
    std::string ReadRaw() { return ReadFileBytes(FPath); }

    std::string FDir;
    std::string FPath;
};

TEST_F(IniFileTest, ReadsWithDefaultsAndWithoutRegardToCase) {
    WriteRaw("; comment\n[Varsona]\nFont = Liberation Sans \nbctype=7\nempty=\n\"quoted\"=x\nq=\"in quotes\"\n");
    TIniFile ini(FPath);
    EXPECT_EQ(ini.ReadString("varsona", "FONT", "Arial"), "Liberation Sans");
    EXPECT_EQ(ini.ReadString("varsona", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("varsona", "empty", "def"), "");
    EXPECT_EQ(ini.ReadString("nosection", "font", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("varsona", "bctype", 2), 7);
    EXPECT_EQ(ini.ReadInteger("varsona", "font", 2), 2);
    EXPECT_EQ(ini.ReadString("varsona", "q", ""), "in quotes");
}

TEST_F(IniFileTest, MissingFileReadsEmpty) {
    TIniFile ini(FDir + "/none.ini");
    EXPECT_EQ(ini.ReadString("a", "b", "c"), "c");
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Count(), 0);
}

TEST_F(IniFileTest, WritesInPlaceOrAppendsAndKeepsEveryOtherLine) {
    WriteRaw("; keep me\n[one]\na=1\n\n[Two]\nb=2\n");
    TIniFile ini(FPath);
    ini.WriteString("ONE", "A", "10");
    ini.WriteString("one", "c", "3");
    ini.WriteString("three", "d", "4");
    EXPECT_EQ(ReadRaw(), "; keep me\n[one]\nA=10\nc=3\n\n[Two]\nb=2\n\n[three]\nd=4\n");
    TStringList sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.Count(), 3);
    EXPECT_EQ(sections[0], "one");
    EXPECT_EQ(sections[1], "Two");
    EXPECT_EQ(sections[2], "three");
    TStringList keys;
    ini.ReadSection("one", keys);
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys[0], "A");
    EXPECT_EQ(keys[1], "c");
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
    WriteRaw("[a]\nx=1\ny=2\n[b]\nz=3\n");
    TIniFile ini(FPath);
    ini.DeleteKey("A", "X");
    ini.EraseSection("B");
    EXPECT_EQ(ReadRaw(), "[a]\ny=2\n");
    EXPECT_FALSE(ini.SectionExists("b"));
    EXPECT_TRUE(ini.ValueExists("a", "y"));
}

TEST_F(IniFileTest, SeesChangesMadeByAnotherWriter) {
    TIniFile first(FPath), second(FPath);
    first.WriteString("s", "k", "1");
    EXPECT_EQ(second.ReadString("s", "k", ""), "1");
    second.WriteString("s", "k", "2");
    EXPECT_EQ(first.ReadString("s", "k", ""), "2");
    first.WriteString("s", "other", "x");
    EXPECT_EQ(ReadRaw(), "[s]\nk=2\nother=x\n");
}

TEST_F(IniFileTest, WriteIntoMissingFolderRaisesWithThePath) {
    std::string path = FDir + "/nofolder/varsona.ini";
    TIniFile ini(path);
    try {
        ini.WriteString("varsona", "bctype", "2");
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path);
    }
    EXPECT_FALSE(DirectoryExists(FDir + "/nofolder"));
}

TEST_F(IniFileTest, ReadsWindows1252AndCrLfAndKeepsTheLineBreaks) {
    WriteRaw("[caps]\r\ntop=Caf\xE9\r\n");
    TIniFile ini(FPath);
    EXPECT_EQ(ini.ReadString("caps", "top", ""), "Caf\xC3\xA9");
    ini.WriteString("caps", "bottom", "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(ReadRaw(), "[caps]\r\ntop=Caf\xC3\xA9\r\nbottom=\xC3\xA9t\xC3\xA9\r\n");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileWhole) {
    WriteRaw("[a]\nx=1\n");
    chmod(FDir.c_str(), 0500);
    TIniFile ini(FPath);
    if (geteuid() != 0) {  // root writes anyway
        EXPECT_THROW(ini.WriteString("a", "x", "2"), EIniFileException);
        EXPECT_EQ(ReadRaw(), "[a]\nx=1\n");
    }
    chmod(FDir.c_str(), 0700);
}

}  // namespace
