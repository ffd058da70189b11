// The rich-text reader's plain text against an independent RTF reader:
// Debian's unrtf, on hand-written documents. Text mode writes Latin-1 and
// gives only the fallback of \u characters, so the documents with Unicode,
// the upper Windows-1252 codes and typographic symbols are compared with its
// HTML output, made text by Python's html module. Both sides are normalised
// alike: every run of blanks, tabs, line ends and no-break spaces becomes
// one blank, and the ends are trimmed.
#include <gtest/gtest.h>

#include <string>

#include "grid/VsRichEdit.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

std::string Normalised(const std::string& s) {
    std::string out;
    bool blank = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0) {
            space = true;
            ++i;
        }
        if (space) {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out.push_back(' ');
        blank = false;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::string Latin1ToUtf8(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// unrtf --text: the body follows the line of dashes.
std::string UnrtfText(const std::string& file) {
    const std::string out = RunCommand("unrtf --text " + Quoted(file));
    const std::string marker = "-----------------\n";
    const size_t at = out.find(marker);
    return Latin1ToUtf8(at == std::string::npos ? out : out.substr(at + marker.size()));
}

// unrtf --html: the body with line breaks kept, tags dropped and entities
// decoded by Python.
std::string UnrtfHtml(const std::string& file) {
    const std::string script =
        "import html,re,sys\n"
        "s=sys.stdin.read()\n"
        "b=re.search(r'<body>(.*)</body>',s,re.S)\n"
        "s=b.group(1) if b else s\n"
        "s=re.sub(r'<br\\s*/?>','\\n',s)\n"
        "s=re.sub(r'<[^>]*>','',s)\n"
        "sys.stdout.write(html.unescape(s))\n";
    return RunCommand("unrtf --html " + Quoted(file) + " | python3 -c " + Quoted(script));
}

struct TFixture {
    const char* Name;
    bool Html;  // compared with the HTML output
    const char* Rtf;
};

// Each document exercises a group of control words.
const TFixture kFixtures[] = {
    {"formatting", false,
     R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman Times New Roman;}})"
     R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;}{\*\generator Hand 1.0;})"
     R"({\info{\title A title}{\author Someone}}\viewkind4\uc1\pard\lang1033\f0\fs20 Plain )"
     R"({\b bold} and {\i italic} and {\ul under\ulnone  no} {\f1\fs32 big roman}\par)"
     R"(\cf1 red\cf0  and \cf2 blue\cf0\line next line\par)"
     R"(\plain back to plain \kerning0\expndtw10 unknown words\par})"},
    {"escapes and skipped parts", false,
     R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 braces \{ and \} and a backslash \\ here\par)"
     R"({\*\bkmkstart mark}{\*\bkmkend mark}after bookmarks )"
     R"({\header header text}body text {\footnote foot} end\par})"},
    {"latin-1 escapes", false,
     R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}}\f0 caf\'e9 M\'fcller Stra\'dfe )"
     R"(\'c4rger Espa\'f1a \'a9 \'bd \'e0 la carte\par})"},
    {"windows-1252 upper codes", true,
     R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}}\f0 price 5\'80 wait\'85 )"
     R"(\'93quoted\'94 \'96 dash \'97 long\'99 \'8a\'9a\'9f\par})"},
    {"unicode", true,
     R"({\rtf1\ansi\ansicpg1252\uc1{\fonttbl{\f0 Arial;}}\f0 euro \u8364? alef \u1488? )"
     R"(omega \u937? e-acute \u233e han \u20013?\u22269?\par})"},
    {"symbols", true,
     R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 a\emdash b\endash c \bullet  d \lquote e\rquote  \ldblquote f\rdblquote\par})"},
    {"tabs and paragraphs", false,
     R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 one\tab two\tab three\par\pard four\par\par five\line six\par})"},
    // \'hh in the code page of the run's font, else of the document.
    {"font charsets", true,
     R"({\rtf1\ansi\ansicpg1253{\fonttbl{\f0\fcharset238 Arial CE;}{\f1\fcharset204 Arial Cyr;}{\f2 Arial;})"
     R"({\f3\fcharset0 Times;}}\f0 \'e8esk\'fd {\f1\'c6\'e5\'eb\'e0} {\f2\'e1\'e2\'e3} {\f3 caf\'e9}\par})"},
    {"document code page", true,
     R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0 Arial;}}\f0 \'cf\'f0\'e8\'e2\'e5\'f2, \'ec\'e8\'f0\par})"},
    {"double-byte code pages", true,
     R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0\fcharset128 MS Mincho;}{\f1\fcharset134 SimSun;})"
     R"({\f2\fcharset129 Gulim;}{\f3\fcharset136 MingLiU;}})"
     R"(\f0 \'82\'a0\'93\'fa\'96\'7b {\f1\'d6\'d0\'ce\'c4} {\f2\'c7\'d1\'b1\'db} {\f3\'a4\'a4\'a4\'e5}\par})"},
    {"object results", false,
     R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 before {\object\objemb{\*\objclass Paint.Picture}\objw100\objh100)"
     R"({\*\objdata 0105000002000000}{\result{\b shown} result}} after\par})"},
    {"control bytes", true, R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 a\'0db\'0ac\'00d\'0d\'0ae\par})"},
};

}  // namespace

TEST(VsRichEditOracle, PlainTextAgreesWithUnrtf) {
    SKIP_WITHOUT_TOOL("unrtf");
    SKIP_WITHOUT_TOOL("python3");
    TTempFolder folder("rtf");
    for (const TFixture& f : kFixtures) {
        SCOPED_TRACE(f.Name);
        const std::string file = folder.File("doc.rtf");
        WriteFile(file, f.Rtf);
        const std::string theirs = f.Html ? UnrtfHtml(file) : UnrtfText(file);
        ASSERT_FALSE(Normalised(theirs).empty());
        std::string ours;
        for (const TRichRun& r : TVsRichEdit::Parse(f.Rtf)) ours += r.Text + (r.LineEnd ? "\r\n" : "");
        EXPECT_EQ(Normalised(ours), Normalised(theirs));
    }
}
