#!/bin/sh
# Writes the .xls fixtures of the spreadsheet import with gnumeric's
# ssconvert (dev only: apt-get install gnumeric). Each workbook is written
# as gnumeric XML first, then converted to Excel 97 (BIFF8).
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# sheet NAME CELLS...: CELLS are "row col type text" lines (row and column
# from 0; type 40 number, 60 string).
sheet() {
    name=$1
    shift
    echo "<gnm:Sheet><gnm:Name>$name</gnm:Name><gnm:MaxCol>-1</gnm:MaxCol><gnm:MaxRow>-1</gnm:MaxRow><gnm:Cells>"
    printf '%s\n' "$@" | while read -r row col type text; do
        echo "<gnm:Cell Row=\"$row\" Col=\"$col\" ValueType=\"$type\">$text</gnm:Cell>"
    done
    echo "</gnm:Cells></gnm:Sheet>"
}
# book OUT SHEETNAMES...: the sheets come on standard input.
book() {
    out=$1
    shift
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<gnm:Workbook xmlns:gnm="http://www.gnumeric.org/v10.dtd"><gnm:SheetNameIndex>'
        for n in "$@"; do echo "<gnm:SheetName>$n</gnm:SheetName>"; done
        echo '</gnm:SheetNameIndex><gnm:Sheets>'
        cat
        echo '</gnm:Sheets></gnm:Workbook>'
    } >"$tmp/$out.gnumeric"
    ssconvert --export-type=Gnumeric_Excel:excel_biff8 "$tmp/$out.gnumeric" "$out.xls"
}

# The used range B2:D5, with an empty B5.
sheet Data \
    "1 1 60 Name" "1 2 60 Count" "1 3 60 Price" \
    "2 1 60 alpha" "2 2 40 3" "2 3 40 1.5" \
    "3 1 60 beta, &quot;quoted&quot;" "3 2 40 -7" "3 3 40 1234.25" \
    "4 2 40 0" "4 3 60 Grüße" | book offset Data

{
    sheet First "0 0 60 first" "0 1 60 sheet"
    sheet Second "0 0 60 second sheet"
} | book sheets First Second

# 52 columns, A to AZ, each holding its own letters.
set --
for i in $(seq 0 51); do
    if [ "$i" -lt 26 ]; then
        letters=$(printf "\\$(printf '%03o' $((65 + i)))")
    else
        letters="A$(printf "\\$(printf '%03o' $((65 + i - 26)))")"
    fi
    set -- "$@" "0 $i 60 $letters"
done
sheet Wide "$@" | book wide Wide

# Two cells far apart, A1 and IV65536: a used range of 16.7 million cells
# that holds two (written by make_biff.py, no spreadsheet program needed).
python3 make_biff.py sparse.xls "Data:A1=first" "Data:IV65536=42"
