#include "platform/runtime/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

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

    // Expects the write to be refused with the write error, the file as it was.
    void ExpectWriteRefused(const std::function<void(TIniFile&)>& write) {
        const bool existed = FileExists(FPath) || DirectoryExists(FPath);
        const std::string before = existed && !DirectoryExists(FPath) ? ReadRaw() : "";
        TIniFile ini(FPath);
        try {
            write(ini);
            FAIL() << "the write was not refused";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + FPath);
        }
        if (!existed) {
            EXPECT_FALSE(FileExists(FPath));
        } else if (!DirectoryExists(FPath)) {
            EXPECT_EQ(ReadRaw(), before);
        }
    }

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
    // The line not written keeps its bytes; what we write is UTF-8.
    EXPECT_EQ(ReadRaw(), "[caps]\r\ntop=Caf\xE9\r\nbottom=\xC3\xA9t\xC3\xA9\r\n");
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

// A file that exists but cannot be read is no empty file: the next write
// would replace every template with one key.
TEST_F(IniFileTest, AFileThatCannotBeReadIsAnErrorAndIsNeverWritten) {
    struct Case {
        const char* Name;
        std::function<bool(const std::string& path)> Make;  // false: not possible here
    };
    const Case cases[] = {
        {"a folder in its place (the read fails)",
         [](const std::string& path) { return std::filesystem::create_directory(path); }},
        {"no read permission",
         [](const std::string& path) {
             if (geteuid() == 0) return false;  // root reads anyway
             return WriteFileAtomically(path, "[a]\nx=1\n") && chmod(path.c_str(), 0200) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(FPath);
        if (!c.Make(FPath)) continue;
        TIniFile ini(FPath);
        try {
            ini.ReadString("a", "x", "default");
            ADD_FAILURE() << "the read did not fail";
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message().find(FPath), std::string::npos) << e.Message();
        }
        TStringList sections;
        EXPECT_THROW(ini.ReadSections(sections), EFOpenError);
        ExpectWriteRefused([](TIniFile& f) { f.WriteString("a", "y", "2"); });
        ExpectWriteRefused([](TIniFile& f) { f.EraseSection("a"); });
        ExpectWriteRefused([](TIniFile& f) { f.DeleteKey("a", "x"); });
        chmod(FPath.c_str(), 0600);
    }
}

TEST_F(IniFileTest, ARewriteKeepsEveryLineItDidNotChangeByteForByte) {
    // UTF-8 lines, one Windows-1252 line, CR LF on one line, no line break at the end.
    const std::string before =
        "\xEF\xBB\xBF[caps]\nsize=Gr\xC3\xB6\xC3\x9F" "e\nold=Caf\xE9\r\ndash=\x96\nlast=x";
    WriteRaw(before);
    TIniFile ini(FPath);
    EXPECT_EQ(ini.ReadString("caps", "size", ""), "Gr\xC3\xB6\xC3\x9F" "e");
    EXPECT_EQ(ini.ReadString("caps", "old", ""), "Caf\xC3\xA9");
    EXPECT_EQ(ini.ReadString("caps", "dash", ""), "\xE2\x80\x93");
    ini.WriteString("caps", "new", "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(ReadRaw(), before + "\nnew=\xC3\xA9t\xC3\xA9\n");
    ini.WriteString("caps", "old", "Caf\xC3\xA9s");
    EXPECT_EQ(ReadRaw(), "\xEF\xBB\xBF[caps]\nsize=Gr\xC3\xB6\xC3\x9F" "e\nold=Caf\xC3\xA9s\ndash=\x96\nlast=x\n"
                         "new=\xC3\xA9t\xC3\xA9\n");
}

// A line break would plant a line of its own ("X" + line break +
// "barheight=999" pasted into a field must not become a key).
TEST_F(IniFileTest, WritesThatCannotBeReadBackAsWrittenAreRefused) {
    WriteRaw("[varsona]\n2=old\n");
    struct Case {
        const char* Section;
        const char* Ident;
        const char* Value;
    };
    const Case cases[] = {
        {"varsona", "2", "X\nbarheight=999"}, {"varsona", "2", "X\r\nbarheight=999"}, {"varsona", "2", "X\r"},
        {"var\nsona", "2", "X"},              {"varsona", "2\n3", "X"},               {"a]b", "2", "X"},
        {"varsona", "a=b", "X"},               {"varsona", "[x]", "X"},                 {"varsona", ";x", "X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Section) + " / " + c.Ident + " / " + c.Value);
        ExpectWriteRefused([&](TIniFile& f) { f.WriteString(c.Section, c.Ident, c.Value); });
    }
}

TEST_F(IniFileTest, AReadOnlyFileIsNotReplaced) {
    WriteRaw("[a]\nx=1\n");
    ASSERT_EQ(chmod(FPath.c_str(), 0444), 0);
    ExpectWriteRefused([](TIniFile& f) { f.WriteString("a", "x", "2"); });
    struct stat st{};
    ASSERT_EQ(stat(FPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(IniFileTest, ASymbolicLinkIsWrittenThroughAndStaysALink) {
    std::filesystem::create_directory(FDir + "/real");
    const std::string real = FDir + "/real/settings.ini";
    ASSERT_TRUE(WriteFileAtomically(real, "[a]\nx=1\n"));
    std::filesystem::create_symlink("real/settings.ini", FPath);
    TIniFile ini(FPath);
    ini.WriteString("a", "y", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(FPath));
    EXPECT_EQ(ReadFileBytes(real), "[a]\nx=1\ny=2\n");
    // A link to a file not yet there creates it.
    const std::string dangling = FDir + "/dangling.ini";
    std::filesystem::create_symlink(FDir + "/real/new.ini", dangling);
    TIniFile(dangling).WriteString("b", "z", "3");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(ReadFileBytes(FDir + "/real/new.ini"), "[b]\nz=3\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir + "/real"), {}), 2);
}

TEST_F(IniFileTest, TheTemporaryFileOfAKilledWriteIsRemovedAtTheNextWrite) {
    WriteRaw("[a]\nx=1\n");
    const std::string leftover = FPath + ".varsona-tmp";
    ASSERT_TRUE(WriteFileAtomically(leftover + "-make", "[a]\nx=half"));
    std::filesystem::rename(leftover + "-make", leftover);
    TIniFile(FPath).WriteString("a", "x", "2");
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(ReadRaw(), "[a]\nx=2\n");

    // One that a running write holds is left to it; the write goes on beside it.
    const int held = open(leftover.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    TIniFile(FPath).WriteString("a", "x", "3");
    EXPECT_EQ(ReadRaw(), "[a]\nx=3\n");
    EXPECT_TRUE(std::filesystem::exists(leftover));
    close(held);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir), {}), 2);
}

// A name that fits the folder's limit can be written, though the name of its
// temporary file beside it would not fit: that one is cut short.
TEST_F(IniFileTest, NamesNearTheNameLimitAreWritten) {
    const std::string e = "\xC3\xA9";  // two bytes
    struct Case {
        const char* Why;
        std::string Name;
    } cases[] = {
        {"249 bytes", std::string(245, 'a') + ".ini"},
        {"250 bytes", std::string(246, 'b') + ".csv"},
        {"255 bytes", std::string(251, 'c') + ".gif"},
        {"255 bytes ending in two-byte characters", std::string(125, 'd') + [&] {
             std::string t;
             for (int i = 0; i < 63; ++i) t += e;
             return t;
         }() + ".ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Why);
        ASSERT_LE(c.Name.size(), 255u);
        const std::string path = FDir + "/" + c.Name;
        ASSERT_TRUE(WriteFileAtomically(path, "[a]\nx=1\n")) << std::strerror(errno);
        TIniFile(path).WriteString("a", "x", "2");
        EXPECT_EQ(ReadFileBytes(path), "[a]\nx=2\n");
        std::filesystem::remove(path);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir), {}), 0) << "no temporary file is left";
}

}  // namespace
