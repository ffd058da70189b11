// CSV import against Python's csv module: files written by its writer in
// several dialects import into the cells its reader gives back.
#include <sstream>

#include "tests/grid/VsStringGridTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

// Writes the files and, beside each, what the reader gives: one line per
// row, the cells hex-encoded ("-" for an empty one) and parted by spaces.
constexpr const char* kWriter = R"PY(
import csv, random, sys
folder = sys.argv[1]
rng = random.Random(15)
alphabet = 'abcXYZ019 ,;#|\t"\'~%.-_äößç€'
def field():
    kind = rng.random()
    if kind < 0.1: return ''
    if kind < 0.2: return str(rng.randint(-99999, 99999))
    return ''.join(rng.choice(alphabet) for _ in range(rng.randint(1, 12)))
dialects = [(',', csv.QUOTE_MINIMAL), (';', csv.QUOTE_MINIMAL), ('\t', csv.QUOTE_MINIMAL),
            ('|', csv.QUOTE_ALL), ('#', csv.QUOTE_NONNUMERIC), (',', csv.QUOTE_ALL), (';', csv.QUOTE_NONNUMERIC)]
for n, (sep, quoting) in enumerate(dialects):
    name = '%s/f%d.csv' % (folder, n)
    with open(name, 'w', newline='', encoding='utf-8') as f:
        w = csv.writer(f, delimiter=sep, quoting=quoting, lineterminator='\r\n' if n % 2 else '\n')
        # Two plain lines first: the separator is found from them.
        w.writerow(['id', 'name', 'value', 'note'])
        w.writerow(['1', 'first', 'x', 'y'])
        for i in range(198):
            row = [field() for _ in range(rng.randint(1, 8))]
            if quoting == csv.QUOTE_NONNUMERIC:
                row = [int(c) if c.lstrip('-').isdigit() else c for c in row]
            w.writerow(row)
    with open(name, newline='', encoding='utf-8') as f, open(name + '.cells', 'w') as out:
        for row in csv.reader(f, delimiter=sep):
            out.write(' '.join(c.encode('utf-8').hex() or '-' for c in row) + '\n')
)PY";

std::string Unhex(const std::string& h) {
    if (h == "-") return "";
    std::string out;
    for (size_t i = 0; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
}

class ImportOracle : public StringGridTest {};

TEST_F(ImportOracle, FilesOfPythonsCsvWriterImportAsItsReaderReadsThem) {
    SKIP_WITHOUT_TOOL("python3");
    TTempFolder folder("varsona-csv-oracle");
    WriteFile(folder.File("writer.py"), kWriter);
    ASSERT_EQ(RunStatus("python3 " + Quoted(folder.File("writer.py")) + " " + Quoted(folder.Path())), 0);
    MakeGrid(400, 300, TRect{0, 0, 380, 280});
    for (int n = 0; n < 7; ++n) {
        SCOPED_TRACE("file " + std::to_string(n));
        const std::string file = folder.File("f" + std::to_string(n) + ".csv");
        grid->ClearAll();
        grid->ImportCsvFile(file);
        std::istringstream expected(ReadFile(file + ".cells"));
        std::string line;
        int32_t row = 0;
        int mismatches = 0;
        while (std::getline(expected, line)) {
            std::istringstream cells(line);
            std::string hex;
            int32_t col = 0;
            while (cells >> hex) {
                if (grid->Cells(col, row) != Unhex(hex) && ++mismatches < 5)
                    ADD_FAILURE() << "cell " << col << "," << row << ": " << grid->Cells(col, row) << " | "
                                  << Unhex(hex);
                ++col;
            }
            for (; col < grid->ColCount(); ++col) EXPECT_EQ(grid->Cells(col, row), "") << col << "," << row;
            ++row;
        }
        EXPECT_EQ(row, 200);
        EXPECT_EQ(grid->RowCount(), 200);
        EXPECT_EQ(mismatches, 0);
    }
}

// Code page 437 as Python's codec decodes it, every byte.
TEST_F(ImportOracle, OemTextAsPythonsCodePage437) {
    SKIP_WITHOUT_TOOL("python3");
    TTempFolder folder("varsona-oem-oracle");
    std::string bytes;
    for (int b = 0x20; b < 0x100; ++b)
        if (b != ',' && b != '"' && b != 0x7F) bytes += static_cast<char>(b);
    WriteFile(folder.File("oem.csv"), bytes + "\n");
    const std::string expected =
        RunCommand("python3 -c \"import sys; sys.stdout.buffer.write(open(sys.argv[1],'rb').read()"
                   ".decode('cp437').rstrip(chr(10)).encode('utf-8'))\" " +
                   Quoted(folder.File("oem.csv")));
    ASSERT_FALSE(expected.empty());
    MakeGrid(400, 300, TRect{0, 0, 380, 280});
    grid->SetOemConvert(true);
    grid->ImportCsvFile(folder.File("oem.csv"));
    EXPECT_EQ(grid->Cells(0, 0), expected);
}

}  // namespace
