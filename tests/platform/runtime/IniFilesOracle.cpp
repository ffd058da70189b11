// Settings files as we write them, read back by Python's configparser: every
// value reads as written, and what the writer refused plants nothing.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/runtime/IniFiles.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

// section, key and value per line, tab-separated, as configparser reads them.
constexpr const char* kDump = R"PY(
import configparser, sys
p = configparser.ConfigParser(interpolation=None, strict=False, delimiters=("=",),
                              comment_prefixes=(";",), empty_lines_in_values=False)
p.optionxform = str
p.read(sys.argv[1], encoding="utf-8")
for s in p.sections():
    for k, v in p.items(s, raw=True):
        sys.stdout.write(s + "\t" + k + "\t" + v + "\n")
)PY";

TEST(IniFileOracle, ConfigparserReadsWhatWeWrote) {
    SKIP_WITHOUT_TOOL("python3");
    TTempFolder dir("inioracle");
    const std::string path = dir.File("varsona.ini");
    const std::string script = dir.File("dump.py");
    ASSERT_TRUE(WriteFileAtomically(script, kDump));

    const std::map<std::pair<std::string, std::string>, std::string> values = {
        {{"varsona", "font"}, "Liberation Sans"},
        {{"varsona", "2"}, "0123456789"},
        {{"varsona", "14"}, "a=b;c %d 100%"},
        {{"Captions", "CaptionT"}, "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC"},
        {{"A4 labels 3 x 7", "tcaption"}, "No. %d"},
        {{"A4 labels 3 x 7", "tcapfont"}, ""},
    };
    {
        TIniFile ini(path);
        for (const auto& [where, value] : values) ini.WriteString(where.first, where.second, value);
        EXPECT_THROW(ini.WriteString("varsona", "2", "X\nbarheight=999"), EIniFileException);
        EXPECT_THROW(ini.WriteString("varsona", "2", "X\r\n[evil]\r\nk=v"), EIniFileException);
    }
    std::map<std::pair<std::string, std::string>, std::string> read;
    const std::string dump = RunCommand("python3 " + Quoted(script) + " " + Quoted(path));
    for (size_t at = 0; at < dump.size();) {
        const size_t end = dump.find('\n', at);
        const std::string line = dump.substr(at, end - at);
        at = end == std::string::npos ? dump.size() : end + 1;
        const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        ASSERT_NE(tab2, std::string::npos) << line;
        read[{line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1)}] = line.substr(tab2 + 1);
    }
    EXPECT_EQ(read, values);
}

}  // namespace
